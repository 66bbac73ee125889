#pragma once

#include <QMenuBar>
#include <QPointer>
#include <QWidget>
#include <map>
#include <memory>

#include "platform/graphics.h"
#include "platform/scene.h"
#include "qt/plotcanvas.h"
#include "qt/plotpane.h"
#include "qt/protocolpanel.h"

class QToolBar;
class QScrollArea;
class QSplitter;

namespace vezedo::qt {

class ControlBinding;
class FrontEnd;

// The top-level window of one figure of the model: its controls at their layout positions
// (scrolling when the window is smaller than the layout), its plot with a toolbar and the
// protocol table when it has axes, and, for the main window, the console pane.
class FigureWindow : public QWidget {
    Q_OBJECT
signals:
    // The user chose a view by name or by its angles (not a drag), for the session recorder.
    void viewChosen(double azimuth, double elevation);

public:
    FigureWindow(FrontEnd& frontEnd, platform::Handle figure);
    ~FigureWindow() override;

    platform::Handle figure() const { return m_figure; }
    PlotCanvas* plot() const { return m_pane->plot(); }
    QWidget* canvas() const { return m_canvas; }
    QToolBar* toolBar() const { return m_pane->toolBar(); }
    ProtocolPanel* protocolPanel() const { return m_pane->protocolPanel(); }

    void attachAxes(platform::Handle axes);
    void detachAxes(platform::Handle axes);
    ControlBinding* addControl(platform::Handle control);
    void removeControl(platform::Handle control);
    ControlBinding* control(platform::Handle control) const;
    // Makes this the main window: its controls scroll when it is smaller than their layout,
    // the console panel (if any) sits below them.
    void attachConsole(QWidget* console);
    // The main window's menus, above everything else.
    void setMenuBar(QMenuBar* bar);
    QMenuBar* menuBar() const { return m_menuBar; }

    // Places the window so that its canvas covers the figure's Position on screen.
    void applyModelGeometry();
    // The model was told the window is gone: close without deleting the figure again.
    void closeFromModel();
    void saveFigureInteractively() { m_pane->saveFigureInteractively(); }
    // Writes the plot to `path` (PNG at `pixels` or `dpi`, SVG or PDF by its extension); a
    // failure goes to the message boxes, a success to the status bar. True when written.
    bool saveFigureTo(const QString& path, QSize pixels, int dpi) { return m_pane->saveFigureTo(path, pixels, dpi); }
    void setViewInteractively() { m_pane->setViewInteractively(); }

protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void writeGeometryToModel();
    QWidget* host() const;  // the widget whose screen rectangle is the figure's Position
    void replaceHost(QWidget* newHost);

    FrontEnd& m_frontEnd;
    platform::Handle m_figure;
    QWidget* m_canvas;
    std::unique_ptr<PlotPane> m_pane;
    QPointer<QMenuBar> m_menuBar;
    QPointer<QScrollArea> m_scroll;
    QPointer<QWidget> m_console;
    std::map<platform::Handle, ControlBinding*> m_controls;
    bool m_closingFromModel = false;
    bool m_applyingGeometry = false;
};

}  // namespace vezedo::qt
