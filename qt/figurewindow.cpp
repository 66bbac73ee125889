#include "qt/figurewindow.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QFileDialog>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScreen>
#include <QToolBar>
#include <QVBoxLayout>

#include "platform/error.h"
#include "qt/controlbinding.h"
#include "qt/frontend.h"
#include "qt/plotcanvas.h"

namespace vezedo::qt {

FigureWindow::FigureWindow(FrontEnd& frontEnd, platform::Handle figure)
    : QWidget(nullptr), m_frontEnd(frontEnd), m_figure(figure), m_canvas(new QWidget(this))
{
    setAttribute(Qt::WA_DeleteOnClose, false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_canvas, 1);
    m_canvas->installEventFilter(this);
    setObjectName(QString("figure%1").arg(figure));
}

FigureWindow::~FigureWindow() = default;

void FigureWindow::buildToolBar()
{
    m_toolBar = new QToolBar(this);
    m_toolBar->setMovable(false);
    auto* modes = new QActionGroup(m_toolBar);
    auto addMode = [&](const QString& label, const QString& tip, MouseMode mode, bool checked) {
        QAction* action = m_toolBar->addAction(label);
        action->setToolTip(tip);
        action->setCheckable(true);
        action->setChecked(checked);
        modes->addAction(action);
        connect(action, &QAction::triggered, this, [this, mode] {
            if (m_plot)
                m_plot->setMode(mode);
        });
    };
    addMode("Rotate", "Drag to rotate the view", MouseMode::Rotate, true);
    addMode("Zoom", "Drag up or down to zoom; the wheel zooms about the cursor", MouseMode::Zoom, false);
    addMode("Pan", "Drag to move the view (right or middle drag pans in any mode)", MouseMode::Pan, false);
    m_toolBar->addSeparator();
    QAction* reset = m_toolBar->addAction("Reset view");
    reset->setToolTip("Back to the default view (double click does the same)");
    connect(reset, &QAction::triggered, this, [this] {
        if (m_plot)
            m_plot->resetView();
    });
    QAction* save = m_toolBar->addAction("Save figure...");
    save->setToolTip("Save the plot as PNG, SVG or PDF");
    connect(save, &QAction::triggered, this, &FigureWindow::saveFigureInteractively);
    static_cast<QVBoxLayout*>(layout())->insertWidget(0, m_toolBar);
}

void FigureWindow::attachAxes(platform::Handle axes)
{
    if (m_plot)
        m_plot->deleteLater();
    m_plot = new PlotCanvas(m_frontEnd.model(), axes, m_canvas);
    m_plot->setGeometry(m_canvas->rect());
    m_plot->lower();  // controls of the same window stay on top
    m_plot->show();
    if (!m_toolBar) {
        const int before = extraHeightAbove();
        buildToolBar();
        m_toolBar->show();
        // Grow the window so the canvas keeps its size.
        if (isVisible())
            resize(width(), height() + extraHeightAbove() - before);
    }
}

void FigureWindow::detachAxes(platform::Handle axes)
{
    if (m_plot && m_plot->axes() == axes)
        m_plot->deleteLater();
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

void FigureWindow::attachConsole(QPlainTextEdit* console)
{
    m_console = console;
    console->setParent(this);
    static_cast<QVBoxLayout*>(layout())->addWidget(console);
    console->show();
}

int FigureWindow::extraHeightAbove() const
{
    int height = m_toolBar ? m_toolBar->sizeHint().height() : 0;
    if (m_sessionBar)
        height += m_sessionBar->sizeHint().height();
    return height;
}

void FigureWindow::addSessionBar(QToolBar* bar)
{
    m_sessionBar = bar;
    bar->setParent(this);
    static_cast<QVBoxLayout*>(layout())->insertWidget(0, bar);
    bar->show();
}

int FigureWindow::extraHeightBelow() const
{
    return m_console ? m_console->minimumHeight() : 0;
}

void FigureWindow::applyModelGeometry()
{
    platform::GraphicsModel& model = m_frontEnd.model();
    if (!model.isValid(m_figure))
        return;
    const auto& fd = model.object(m_figure).as<platform::FigureData>();
    const QRect canvas = m_frontEnd.toScreen(fd.position);
    m_applyingGeometry = true;
    setGeometry(canvas.x(), canvas.y() - extraHeightAbove(), canvas.width(),
                canvas.height() + extraHeightAbove() + extraHeightBelow());
    m_applyingGeometry = false;
    setWindowTitle(fd.name.empty() ? QString("Figure %1").arg(m_figure) : QString::fromStdString(fd.name));
}

void FigureWindow::writeGeometryToModel()
{
    platform::GraphicsModel& model = m_frontEnd.model();
    if (m_applyingGeometry || m_closingFromModel || !model.isValid(m_figure) || !isVisible())
        return;
    const QRect canvas(mapToGlobal(m_canvas->pos()), m_canvas->size());
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
    writeGeometryToModel();
}

bool FigureWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_canvas && event->type() == QEvent::Resize) {
        if (m_plot)
            m_plot->setGeometry(m_canvas->rect());
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
    if (!m_closingFromModel) {
        // The user closed the window: the figure goes with it.
        m_closingFromModel = true;
        platform::GraphicsModel& model = m_frontEnd.model();
        if (model.isValid(m_figure))
            model.deleteObject(m_figure);
    }
    event->accept();
}

void FigureWindow::saveFigureInteractively()
{
    if (!m_plot)
        return;
    QString selected;
    const QString path =
        QFileDialog::getSaveFileName(this, "Save figure", QDir::currentPath() + "/figure.png",
                                     "PNG image (*.png);;SVG image (*.svg);;PDF document (*.pdf)", &selected);
    if (path.isEmpty())
        return;
    try {
        m_plot->saveFigure(path);
    } catch (const Error& e) {
        QMessageBox::warning(this, "Save figure", "Could not save " + path + ":\n" + QString::fromStdString(e.what()));
    }
}

}  // namespace vezedo::qt
