#include "qt/figurewindow.h"

#include <QCloseEvent>
#include <QMenuBar>
#include <QScrollArea>
#include <QSplitter>
#include <QToolBar>
#include <QVBoxLayout>

#include "qt/controlbinding.h"
#include "qt/frontend.h"
#include "qt/plotcanvas.h"
#include "qt/protocolpanel.h"

namespace vezedo::qt {

namespace {

QVBoxLayout* boxLayout(QWidget* w)
{
    return static_cast<QVBoxLayout*>(w->layout());
}

}  // namespace

FigureWindow::FigureWindow(FrontEnd& frontEnd, platform::Handle figure)
    : QWidget(nullptr), m_frontEnd(frontEnd), m_figure(figure), m_canvas(new QWidget(this)),
      m_pane(std::make_unique<PlotPane>(frontEnd, *this, *m_canvas))
{
    setAttribute(Qt::WA_DeleteOnClose, false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_canvas, 1);
    m_canvas->installEventFilter(this);
    connect(m_pane.get(), &PlotPane::viewChosen, this, &FigureWindow::viewChosen);
    setObjectName(QString("figure%1").arg(figure));
}

FigureWindow::~FigureWindow() = default;

QWidget* FigureWindow::host() const
{
    if (m_scroll)
        return m_scroll;
    if (QSplitter* splitter = m_pane->splitter())
        return splitter;
    return m_canvas;
}

void FigureWindow::replaceHost(QWidget* newHost)
{
    QVBoxLayout* layout = boxLayout(this);
    const int at = layout->indexOf(host());
    layout->removeWidget(host());
    layout->insertWidget(at, newHost, 1);
}

void FigureWindow::attachAxes(platform::Handle axes)
{
    m_pane->attachAxes(
        axes, !m_scroll, [this](QToolBar* bar) { boxLayout(this)->insertWidget(0, bar); },
        [this](QWidget* splitter) { replaceHost(splitter); });
}

void FigureWindow::detachAxes(platform::Handle axes)
{
    m_pane->detachAxes(axes);
}

ControlBinding* FigureWindow::addControl(platform::Handle control)
{
    auto* binding = new ControlBinding(m_frontEnd.model(), control, m_canvas, m_frontEnd);
    m_controls[control] = binding;
    binding->place(m_canvas->height());
    return binding;
}

void FigureWindow::removeControl(platform::Handle control)
{
    auto it = m_controls.find(control);
    if (it == m_controls.end())
        return;
    delete it->second;
    m_controls.erase(it);
}

ControlBinding* FigureWindow::control(platform::Handle control) const
{
    auto it = m_controls.find(control);
    return it == m_controls.end() ? nullptr : it->second;
}

void FigureWindow::attachConsole(QWidget* console)
{
    // The controls keep the layout's size at least; a smaller window scrolls them.
    const auto& fd = m_frontEnd.model().object(m_figure).as<platform::FigureData>();
    m_canvas->setMinimumSize(static_cast<int>(fd.position[2] + 0.5), static_cast<int>(fd.position[3] + 0.5));
    if (!m_scroll && !m_pane->splitter()) {
        m_scroll = new QScrollArea(this);
        m_scroll->setObjectName("controlsScroll");
        m_scroll->setFrameShape(QFrame::NoFrame);
        m_scroll->setWidgetResizable(true);
        replaceHost(m_scroll);
        m_scroll->setWidget(m_canvas);
    }
    if (!console)
        return;
    m_console = console;
    console->setParent(this);
    boxLayout(this)->addWidget(console);
    console->show();
}

void FigureWindow::setMenuBar(QMenuBar* bar)
{
    m_menuBar = bar;
    bar->setParent(this);
    boxLayout(this)->setMenuBar(bar);
    bar->show();
}

void FigureWindow::applyModelGeometry()
{
    platform::GraphicsModel& model = m_frontEnd.model();
    if (!model.isValid(m_figure))
        return;
    const auto& fd = model.object(m_figure).as<platform::FigureData>();
    const QRect canvas = m_frontEnd.toScreen(fd.position);
    layout()->activate();
    // Toolbars above, the console below: whatever the window holds besides the canvas.
    const QPoint offset = host()->mapTo(this, QPoint(0, 0));
    const QSize extra = size() - host()->size();
    m_applyingGeometry = true;
    setGeometry(canvas.x() - offset.x(), canvas.y() - offset.y(), canvas.width() + extra.width(),
                canvas.height() + extra.height());
    m_applyingGeometry = false;
    setWindowTitle(fd.name.empty() ? QString("Figure %1").arg(m_figure) : QString::fromStdString(fd.name));
}

void FigureWindow::writeGeometryToModel()
{
    platform::GraphicsModel& model = m_frontEnd.model();
    if (m_applyingGeometry || m_closingFromModel || !model.isValid(m_figure) || !isVisible())
        return;
    const QRect canvas(host()->mapToGlobal(QPoint(0, 0)), host()->size());
    // The frame around the canvas: window decorations, toolbar and console pane.
    const QRect frame = frameGeometry();
    model.setFrame(m_figure, {static_cast<double>(canvas.left() - frame.left()),
                              static_cast<double>(frame.bottom() - canvas.bottom()),
                              static_cast<double>(frame.right() - canvas.right()),
                              static_cast<double>(canvas.top() - frame.top())});
    const platform::Rect position = m_frontEnd.fromScreen(canvas);
    if (position != model.object(m_figure).as<platform::FigureData>().position)
        model.set(m_figure, "Position",
                  platform::Value(platform::Matrix::rowVector({position[0], position[1], position[2], position[3]})));
}

void FigureWindow::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    writeGeometryToModel();
}

void FigureWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_pane->orientFor(size());
    writeGeometryToModel();
}

bool FigureWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_canvas && event->type() == QEvent::Resize) {
        m_pane->fitToCanvas();
        for (auto& [handle, binding] : m_controls)
            binding->place(m_canvas->height());
    }
    return QWidget::eventFilter(watched, event);
}

void FigureWindow::closeFromModel()
{
    m_closingFromModel = true;
    close();
    deleteLater();
}

void FigureWindow::closeEvent(QCloseEvent* event)
{
    if (m_closingFromModel) {
        event->accept();
        return;
    }
    const bool main = m_frontEnd.isMainWindow(m_figure);
    // Closing the main window ends the program, once unsaved work has been saved or given up.
    if (main && !m_frontEnd.confirmQuit()) {
        event->ignore();
        return;
    }
    // The user closed the window: the figure goes with it.
    m_closingFromModel = true;
    platform::GraphicsModel& model = m_frontEnd.model();
    if (model.isValid(m_figure))
        model.deleteObject(m_figure);
    event->accept();
    if (main)
        m_frontEnd.quit();
}

}  // namespace vezedo::qt
