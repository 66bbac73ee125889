#pragma once

#include <QObject>
#include <QPointer>
#include <QSize>
#include <QSplitter>
#include <QString>
#include <functional>
#include <memory>

#include "platform/graphics.h"
#include "platform/scene.h"
#include "qt/plotcanvas.h"
#include "qt/protocolpanel.h"

class QToolBar;

namespace vezedo::qt {

class FrontEnd;
class PlotPicking;

// The plot of a figure window and what surrounds it: the toolbar (mouse modes, View, Labels,
// Protocol table, Save figure) and the protocol table beside the canvas. Owns the plot's
// picking and the label settings that carry over when the plot is made anew; the widgets
// themselves sit in the window's layout.
class PlotPane : public QObject {
    Q_OBJECT
signals:
    // The user chose a view by name or by its angles (not a drag), for the session recorder.
    void viewChosen(double azimuth, double elevation);

public:
    // `window` holds the toolbar and the dialogs; `canvas` holds the plot beneath the controls.
    PlotPane(FrontEnd& frontEnd, QWidget& window, QWidget& canvas);
    ~PlotPane() override;

    PlotCanvas* plot() const { return m_plot; }
    QToolBar* toolBar() const { return m_toolBar; }
    ProtocolPanel* protocolPanel() const { return m_protocolPanel; }
    QSplitter* splitter() const { return m_splitter; }

    // A plot of `axes` replaces the one shown. The first plot brings the toolbar, put in by
    // `addToolBar`, and, with `withTable`, the protocol table beside the canvas in a splitter
    // that `replaceHost` puts where the canvas was.
    void attachAxes(platform::Handle axes, bool withTable, const std::function<void(QToolBar*)>& addToolBar,
                    const std::function<void(QWidget*)>& replaceHost);
    void detachAxes(platform::Handle axes);
    // The plot covers the whole canvas.
    void fitToCanvas();
    // The protocol table beside the plot while the window is wide, below it when narrow.
    void orientFor(QSize window);

    void saveFigureInteractively();
    bool saveFigureTo(const QString& path, QSize pixels, int dpi);
    void setViewInteractively();

private:
    void buildToolBar();
    void addViewMenu();
    void addLabelMenu();

    FrontEnd& m_frontEnd;
    QWidget& m_window;
    QWidget& m_canvas;
    QToolBar* m_toolBar = nullptr;
    QPointer<QSplitter> m_splitter;
    QPointer<ProtocolPanel> m_protocolPanel;
    QPointer<PlotCanvas> m_plot;
    std::unique_ptr<PlotPicking> m_picking;
    platform::SceneOptions m_labels;
};

}  // namespace vezedo::qt
