#include "qt/plotpane.h"

#include <QAction>
#include <QActionGroup>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QRadioButton>
#include <QSpinBox>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>

#include "platform/error.h"
#include "qt/frontend.h"
#include "qt/plotpicking.h"
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

}  // namespace

PlotPane::PlotPane(FrontEnd& frontEnd, QWidget& window, QWidget& canvas)
    : m_frontEnd(frontEnd), m_window(window), m_canvas(canvas)
{
}

PlotPane::~PlotPane() = default;

void PlotPane::buildToolBar()
{
    m_toolBar = new QToolBar(&m_window);
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
    connect(save, &QAction::triggered, this, &PlotPane::saveFigureInteractively);
}

void PlotPane::addViewMenu()
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
    connect(menu->addAction("Set view..."), &QAction::triggered, this, &PlotPane::setViewInteractively);
    button->setMenu(menu);
    m_toolBar->addWidget(button);
}

void PlotPane::addLabelMenu()
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

void PlotPane::attachAxes(platform::Handle axes, bool withTable, const std::function<void(QToolBar*)>& addToolBar,
                          const std::function<void(QWidget*)>& replaceHost)
{
    if (m_plot)
        m_plot->deleteLater();
    m_picking.reset();
    m_plot = new PlotCanvas(m_frontEnd.model(), axes, &m_canvas);
    m_plot->setGeometry(m_canvas.rect());
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
        addToolBar(m_toolBar);
        m_toolBar->show();
        if (withTable) {
            // The protocol table sits beside the plot, or below it in a narrow window.
            m_splitter = new QSplitter(Qt::Horizontal, &m_window);
            m_splitter->setObjectName("plotSplitter");
            m_splitter->setChildrenCollapsible(false);
            replaceHost(m_splitter);
            m_splitter->addWidget(&m_canvas);
            m_protocolPanel = new ProtocolPanel(m_frontEnd, m_splitter);
            m_splitter->addWidget(m_protocolPanel);
            m_splitter->setStretchFactor(0, 3);
            m_splitter->setStretchFactor(1, 1);
            m_protocolPanel->refresh(m_frontEnd.program().controller().session());
        }
        // Grow the window so the plot keeps its size.
        if (m_window.isVisible())
            m_window.resize(m_window.width(), m_window.height() + m_toolBar->sizeHint().height());
    }
}

void PlotPane::fitToCanvas()
{
    if (m_plot)
        m_plot->setGeometry(m_canvas.rect());
}

void PlotPane::orientFor(QSize window)
{
    if (!m_splitter)
        return;
    const Qt::Orientation want = window.width() >= 1.2 * window.height() ? Qt::Horizontal : Qt::Vertical;
    if (m_splitter->orientation() != want) {
        m_splitter->setOrientation(want);
        const int total = want == Qt::Horizontal ? m_splitter->width() : m_splitter->height();
        m_splitter->setSizes({total * 7 / 10, total * 3 / 10});
    }
}

void PlotPane::detachAxes(platform::Handle axes)
{
    if (m_plot && m_plot->axes() == axes) {
        m_picking.reset();
        m_plot->deleteLater();
    }
}

void PlotPane::setViewInteractively()
{
    if (!m_plot)
        return;
    const platform::Camera camera = m_frontEnd.model().object(m_plot->axes()).as<platform::AxesData>().camera;
    QDialog dialog(&m_window);
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

void PlotPane::saveFigureInteractively()
{
    if (!m_plot)
        return;
    QString selected;
    const std::string& dataFile = m_frontEnd.program().controller().session().specimens.file;
    const QString stem =
        dataFile.empty() ? QString("figure") : QFileInfo(QString::fromStdString(dataFile)).completeBaseName();
    const QString path = withExtension(
        QFileDialog::getSaveFileName(&m_window, "Save figure", QDir::current().filePath(stem + "_plot.png"),
                                     "PNG image (*.png);;SVG image (*.svg);;PDF document (*.pdf)", &selected),
        selected);
    if (path.isEmpty())
        return;
    QSize pixels;
    int dpi = 96;
    if (path.endsWith(".png", Qt::CaseInsensitive)) {
        const auto size = askPngSize(&m_window, m_plot->size());
        if (!size)
            return;
        pixels = size->first;
        dpi = size->second;
    }
    saveFigureTo(path, pixels, dpi);
}

bool PlotPane::saveFigureTo(const QString& path, QSize pixels, int dpi)
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
