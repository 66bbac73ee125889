#pragma once

#include <QPointer>
#include <QWidget>
#include <map>

#include "platform/graphics.h"
#include "qt/plotcanvas.h"

class QToolBar;
#include <QPlainTextEdit>
class QActionGroup;

namespace vezedo::qt {

class ControlBinding;
class FrontEnd;

// The top-level window of one figure of the model: its controls at their layout positions,
// its plot (with a toolbar) when it has axes, and, for the main window, the console pane.
class FigureWindow : public QWidget {
    Q_OBJECT
public:
    FigureWindow(FrontEnd& frontEnd, platform::Handle figure);
    ~FigureWindow() override;

    platform::Handle figure() const { return m_figure; }
    PlotCanvas* plot() const { return m_plot; }
    QWidget* canvas() const { return m_canvas; }
    QToolBar* toolBar() const { return m_toolBar; }

    void attachAxes(platform::Handle axes);
    void detachAxes(platform::Handle axes);
    ControlBinding* addControl(platform::Handle control);
    void removeControl(platform::Handle control);
    ControlBinding* control(platform::Handle control) const;
    void attachConsole(QPlainTextEdit* console);
    // The main window's bar for recording sessions, above everything else.
    void addSessionBar(QToolBar* bar);

    // Places the window so that its canvas covers the figure's Position on screen.
    void applyModelGeometry();
    // The model was told the window is gone: close without deleting the figure again.
    void closeFromModel();
    void saveFigureInteractively();

protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildToolBar();
    void writeGeometryToModel();
    int extraHeightAbove() const;
    int extraHeightBelow() const;

    FrontEnd& m_frontEnd;
    platform::Handle m_figure;
    QWidget* m_canvas;
    QToolBar* m_toolBar = nullptr;
    QToolBar* m_sessionBar = nullptr;
    QPointer<PlotCanvas> m_plot;
    QPointer<QPlainTextEdit> m_console;
    std::map<platform::Handle, ControlBinding*> m_controls;
    bool m_closingFromModel = false;
    bool m_applyingGeometry = false;
};

}  // namespace vezedo::qt
