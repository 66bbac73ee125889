#include "qt/figurewindow.h"

#include <QAction>
#include <QActionGroup>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "platform/error.h"
#include "qt/controlbinding.h"
#include "qt/frontend.h"
#include "qt/plotcanvas.h"
#include "qt/plotpicking.h"
#include "qt/protocolpanel.h"
#include "qt/qtservices.h"

namespace vezedo::qt {

namespace {

struct ViewPreset {
    const char* name;
    double azimuth;
    double elevation;
};
constexpr ViewPreset kViews[] = {
    {"Front", 0, 0},
    {"Back", 180, 0},
    {"Left", -90, 0},
    {"Right", 90, 0},
    {"Top", 0, 90},
    {"Bottom", 0, -90},
    {"Default", platform::Camera::kDefaultAzimuth, platform::Camera::kDefaultElevation},
};

QVBoxLayout* boxLayout(QWidget* w)
{
    return static_cast<QVBoxLayout*>(w->layout());
}

}  // namespace

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

QWidget* FigureWindow::host() const
{
    if (m_scroll)
        return m_scroll;
    if (m_splitter)
        return m_splitter;
    return m_canvas;
}

void FigureWindow::replaceHost(QWidget* newHost)
{
    QVBoxLayout* layout = boxLayout(this);
    const int at = layout->indexOf(host());
    layout->removeWidget(host());
    layout->insertWidget(at, newHost, 1);
}

void FigureWindow::buildToolBar()
{
    m_toolBar = new QToolBar(this);
    m_toolBar->setMovable(false);
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
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
    addMode("Rotate", "Drag to rotate the view; click a landmark or line to pick it", MouseMode::Rotate, true);
    addMode("Zoom", "Drag up or down to zoom; the wheel zooms about the cursor", MouseMode::Zoom, false);
    addMode("Pan", "Drag to move the view (right or middle drag pans in any mode)", MouseMode::Pan, false);
    m_toolBar->addSeparator();
    QAction* reset = m_toolBar->addAction("Reset view");
    reset->setToolTip("Back to the default view (double click away from the landmarks does the same)");
    connect(reset, &QAction::triggered, this, [this] {
        if (m_plot)
            m_plot->resetView();
    });
    addViewMenu();
    addLabelMenu();
    QAction* table = m_toolBar->addAction("Protocol table");
    table->setObjectName("protocolTableAction");
    table->setCheckable(true);
    table->setChecked(true);
    table->setToolTip("Show or hide the table of protocol lines");
    connect(table, &QAction::toggled, this, [this](bool on) {
        if (m_protocolPanel)
            m_protocolPanel->setVisible(on);
    });
    QAction* save = m_toolBar->addAction("Save figure...");
    save->setToolTip("Save the plot as PNG (at a size or resolution you choose), SVG or PDF");
    connect(save, &QAction::triggered, this, &FigureWindow::saveFigureInteractively);
    boxLayout(this)->insertWidget(0, m_toolBar);
}

void FigureWindow::addViewMenu()
{
    auto* button = new QToolButton(m_toolBar);
    button->setText("View");
    button->setObjectName("viewButton");
    button->setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(button);
    for (const ViewPreset& view : kViews) {
        QAction* a = menu->addAction(view.name);
        a->setToolTip(QString("Azimuth %1, elevation %2 degrees").arg(view.azimuth).arg(view.elevation));
        connect(a, &QAction::triggered, this, [this, view] {
            if (m_plot) {
                m_plot->setView(view.azimuth, view.elevation);
                emit viewChosen(view.azimuth, view.elevation);
            }
        });
    }
    menu->addSeparator();
    connect(menu->addAction("Set view..."), &QAction::triggered, this, &FigureWindow::setViewInteractively);
    button->setMenu(menu);
    m_toolBar->addWidget(button);
}

void FigureWindow::addLabelMenu()
{
    auto* button = new QToolButton(m_toolBar);
    button->setText("Labels");
    button->setObjectName("labelsButton");
    button->setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(button);
    menu->addSection("Landmark numbers");
    auto* landmarkGroup = new QActionGroup(menu);
    const struct {
        const char* text;
        platform::LabelSwitch value;
    } switches[] = {{"Automatic (all up to 150 landmarks)", platform::LabelSwitch::Auto},
                    {"All", platform::LabelSwitch::On},
                    {"Picked only", platform::LabelSwitch::Off}};
    for (const auto& s : switches) {
        QAction* a = menu->addAction(s.text);
        a->setCheckable(true);
        a->setChecked(s.value == m_labels.landmarkNumbers);
        landmarkGroup->addAction(a);
        connect(a, &QAction::triggered, this, [this, value = s.value] {
            m_labels.landmarkNumbers = value;
            if (m_plot)
                m_plot->setLandmarkNumbers(value);
        });
    }
    menu->addSeparator();
    QAction* lines = menu->addAction("Line numbers");
    lines->setCheckable(true);
    lines->setChecked(m_labels.lineNumbers);
    connect(lines, &QAction::toggled, this, [this](bool on) {
        m_labels.lineNumbers = on;
        if (m_plot)
            m_plot->setLineNumbers(on);
    });
    menu->addSection("Label size");
    auto* sizeGroup = new QActionGroup(menu);
    for (double points : {0.0, 8.0, 10.0, 12.0, 14.0}) {
        QAction* a = menu->addAction(points == 0 ? QString("As drawn") : QString("%1 pt").arg(points));
        a->setCheckable(true);
        a->setChecked(points == m_labels.labelSize);
        sizeGroup->addAction(a);
        connect(a, &QAction::triggered, this, [this, points] {
            m_labels.labelSize = points;
            if (m_plot)
                m_plot->setLabelSize(points);
        });
    }
    button->setMenu(menu);
    m_toolBar->addWidget(button);
}

void FigureWindow::attachAxes(platform::Handle axes)
{
    if (m_plot)
        m_plot->deleteLater();
    m_picking.reset();
    m_plot = new PlotCanvas(m_frontEnd.model(), axes, m_canvas);
    m_plot->setGeometry(m_canvas->rect());
    m_plot->lower();  // controls of the same window stay on top
    m_plot->setLandmarkNumbers(m_labels.landmarkNumbers);
    m_plot->setLineNumbers(m_labels.lineNumbers);
    m_plot->setLabelSize(m_labels.labelSize);
    m_plot->tooltipFor = [this](const platform::Pick& pick) {
        return describePick(m_frontEnd.program().controller().session(), pick);
    };
    m_picking = std::make_unique<PlotPicking>(m_frontEnd, *m_plot);
    m_plot->show();
    if (!m_toolBar) {
        buildToolBar();
        m_toolBar->show();
        if (!m_scroll) {
            // The protocol table sits beside the plot, or below it in a narrow window.
            m_splitter = new QSplitter(Qt::Horizontal, this);
            m_splitter->setObjectName("plotSplitter");
            m_splitter->setChildrenCollapsible(false);
            replaceHost(m_splitter);
            m_splitter->addWidget(m_canvas);
            m_protocolPanel = new ProtocolPanel(m_frontEnd, m_splitter);
            m_splitter->addWidget(m_protocolPanel);
            m_splitter->setStretchFactor(0, 3);
            m_splitter->setStretchFactor(1, 1);
            m_protocolPanel->refresh(m_frontEnd.program().controller().session());
        }
        // Grow the window so the plot keeps its size.
        if (isVisible())
            resize(width(), height() + m_toolBar->sizeHint().height());
    }
}

void FigureWindow::detachAxes(platform::Handle axes)
{
    if (m_plot && m_plot->axes() == axes) {
        m_picking.reset();
        m_plot->deleteLater();
    }
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
    if (!m_scroll && !m_splitter) {
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
    if (m_splitter) {
        // Beside the plot while the window is wide, below it when narrow.
        const Qt::Orientation want = width() >= 1.2 * height() ? Qt::Horizontal : Qt::Vertical;
        if (m_splitter->orientation() != want) {
            m_splitter->setOrientation(want);
            const int total = want == Qt::Horizontal ? m_splitter->width() : m_splitter->height();
            m_splitter->setSizes({total * 7 / 10, total * 3 / 10});
        }
    }
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

void FigureWindow::setViewInteractively()
{
    if (!m_plot)
        return;
    const platform::Camera camera = m_frontEnd.model().object(m_plot->axes()).as<platform::AxesData>().camera;
    QDialog dialog(this);
    dialog.setWindowTitle("Set view");
    auto* form = new QFormLayout(&dialog);
    auto* azimuth = new QDoubleSpinBox(&dialog);
    azimuth->setRange(-180, 180);
    azimuth->setDecimals(1);
    azimuth->setSuffix(" deg");
    azimuth->setValue(camera.azimuth);
    auto* elevation = new QDoubleSpinBox(&dialog);
    elevation->setRange(-90, 90);
    elevation->setDecimals(1);
    elevation->setSuffix(" deg");
    elevation->setValue(camera.elevation);
    form->addRow("Azimuth (turn about the vertical axis):", azimuth);
    form->addRow("Elevation (above the horizontal plane):", elevation);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    form->addRow(buttons);
    if (dialog.exec() == QDialog::Accepted) {
        m_plot->setView(azimuth->value(), elevation->value());
        emit viewChosen(azimuth->value(), elevation->value());
    }
}

namespace {

// The size of a PNG: a resolution (the plot at its size on screen, printed at that DPI) or a
// size in pixels. Nothing when cancelled.
std::optional<std::pair<QSize, int>> askPngSize(QWidget* parent, QSize screen)
{
    QDialog dialog(parent);
    dialog.setWindowTitle("PNG size");
    auto* layout = new QFormLayout(&dialog);
    auto* byDpi = new QRadioButton("Resolution:", &dialog);
    auto* byPixels = new QRadioButton("Size in pixels:", &dialog);
    byDpi->setChecked(true);
    auto* dpi = new QSpinBox(&dialog);
    dpi->setRange(24, 2400);
    dpi->setValue(300);
    dpi->setSuffix(" dpi");
    auto* w = new QSpinBox(&dialog);
    auto* h = new QSpinBox(&dialog);
    for (QSpinBox* box : {w, h}) {
        box->setRange(16, 20000);
        box->setSuffix(" px");
    }
    w->setValue(screen.width() * 300 / 96);
    h->setValue(screen.height() * 300 / 96);
    auto* pixels = new QWidget(&dialog);
    auto* row = new QHBoxLayout(pixels);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(w);
    row->addWidget(new QLabel("x"));
    row->addWidget(h);
    layout->addRow(byDpi, dpi);
    layout->addRow(byPixels, pixels);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addRow(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    if (byDpi->isChecked())
        return std::pair{QSize(), dpi->value()};
    return std::pair{QSize(w->value(), h->value()), 300};
}

}  // namespace

void FigureWindow::saveFigureInteractively()
{
    if (!m_plot)
        return;
    QString selected;
    const std::string& dataFile = m_frontEnd.program().controller().session().specimens.file;
    const QString stem =
        dataFile.empty() ? QString("figure") : QFileInfo(QString::fromStdString(dataFile)).completeBaseName();
    const QString path = withExtension(
        QFileDialog::getSaveFileName(this, "Save figure", QDir::current().filePath(stem + "_plot.png"),
                                     "PNG image (*.png);;SVG image (*.svg);;PDF document (*.pdf)", &selected),
        selected);
    if (path.isEmpty())
        return;
    QSize pixels;
    int dpi = 96;
    if (path.endsWith(".png", Qt::CaseInsensitive)) {
        const auto size = askPngSize(this, m_plot->size());
        if (!size)
            return;
        pixels = size->first;
        dpi = size->second;
    }
    saveFigureTo(path, pixels, dpi);
}

bool FigureWindow::saveFigureTo(const QString& path, QSize pixels, int dpi)
{
    platform::Runtime& rt = m_frontEnd.program().runtime();
    try {
        m_plot->saveFigure(path, pixels, dpi);
    } catch (const Error& e) {
        rt.messages.showMessage("Could not save the figure to " + path.toStdString() + ":\n" + e.what());
        return false;
    }
    rt.console.status("Saved the figure to " + QFileInfo(path).fileName().toStdString());
    return true;
}

}  // namespace vezedo::qt
