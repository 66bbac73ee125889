#include "qt/plotcanvas.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <utility>

#include "io/files.h"
#include "platform/error.h"
#include "qt/painterrenderer.h"

namespace vezedo::qt {

namespace {
constexpr int kClickSlack = 3;  // pixels a click may move and stay a click
}

PlotCanvas::PlotCanvas(platform::GraphicsModel& model, platform::Handle axes, QWidget* parent)
    : QWidget(parent), m_model(model), m_axes(axes)
{
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
    setMinimumSize(120, 90);
    m_subscription = m_model.subscribe([this](const platform::ModelEvent&) { m_targets.reset(); });
}

const platform::PickTargets& PlotCanvas::targets() const
{
    if (!m_targets)
        m_targets = m_model.isValid(m_axes) ? platform::pickTargets(m_model, m_axes) : platform::PickTargets{};
    return *m_targets;
}

platform::SceneOptions PlotCanvas::sceneOptions() const
{
    platform::SceneOptions options = m_options;
    const auto& landmarks = targets().landmarks;
    auto emphasise = [&](std::size_t number) {
        if (number >= 1 && number <= landmarks.size())
            options.emphasised.push_back(landmarks[number - 1]);
    };
    for (std::size_t n : m_picked)
        emphasise(n);
    if (m_hovered)
        emphasise(*m_hovered);
    return options;
}

void PlotCanvas::setLandmarkNumbers(platform::LabelSwitch labels)
{
    m_options.landmarkNumbers = labels;
    update();
}

void PlotCanvas::setLineNumbers(bool on)
{
    m_options.lineNumbers = on;
    update();
}

void PlotCanvas::setLabelSize(double points)
{
    m_options.labelSize = points;
    update();
}

void PlotCanvas::setPicked(std::vector<std::size_t> landmarks)
{
    m_picked = std::move(landmarks);
    update();
}

std::optional<platform::Pick> PlotCanvas::pickAt(QPointF at) const
{
    if (!m_model.isValid(m_axes))
        return std::nullopt;
    const platform::Projection projection = platform::projectionOf(m_model, m_axes, width(), height());
    return platform::pickAt(projection, targets(), {at.x(), at.y()});
}

void PlotCanvas::paintEvent(QPaintEvent*)
{
    if (!m_model.isValid(m_axes))
        return;
    QPainter painter(this);
    paintAxes(m_model, m_axes, painter, width(), height(), sceneOptions());
}

void PlotCanvas::resetView()
{
    if (m_model.isValid(m_axes))
        m_model.setCamera(m_axes, platform::Camera{});
}

void PlotCanvas::setView(double azimuth, double elevation)
{
    if (!m_model.isValid(m_axes) || !std::isfinite(azimuth) || !std::isfinite(elevation))
        return;
    platform::Camera camera = m_model.object(m_axes).as<platform::AxesData>().camera;
    camera.azimuth = std::remainder(azimuth, 360.0);
    camera.elevation = std::clamp(elevation, -90.0, 90.0);
    m_model.setCamera(m_axes, camera);
}

void PlotCanvas::mousePressEvent(QMouseEvent* event)
{
    m_dragButton = event->button();
    m_last = m_pressedAt = event->position().toPoint();
    m_dragged = false;
    QToolTip::hideText();
}

void PlotCanvas::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragButton == Qt::NoButton) {
        hoverAt(event->position(), event->globalPosition().toPoint());
        return;
    }
    if (!m_model.isValid(m_axes))
        return;
    const QPoint now = event->position().toPoint();
    if (!m_dragged && (now - m_pressedAt).manhattanLength() <= kClickSlack)
        return;  // still a click
    m_dragged = true;
    const double dx = now.x() - m_last.x();
    const double dy = now.y() - m_last.y();
    m_last = now;
    platform::Camera camera = m_model.object(m_axes).as<platform::AxesData>().camera;
    const platform::Projection projection = platform::projectionOf(m_model, m_axes, width(), height());
    const bool panning = m_dragButton == Qt::RightButton || m_dragButton == Qt::MiddleButton ||
                         (m_dragButton == Qt::LeftButton && m_mode == MouseMode::Pan);
    if (panning)
        camera = platform::panBy(projection, camera, dx, dy);
    else if (m_mode == MouseMode::Zoom)
        camera = platform::zoomAt(projection, camera, std::pow(1.01, -dy), {width() / 2.0, height() / 2.0});
    else
        camera = platform::orbit(camera, dx, -dy);
    m_model.setCamera(m_axes, camera);
}

void PlotCanvas::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = m_dragButton == Qt::LeftButton && event->button() == Qt::LeftButton && !m_dragged;
    m_dragButton = Qt::NoButton;
    if (std::exchange(m_ignoreRelease, false) || !click)
        return;
    if (const auto pick = pickAt(event->position()); pick && onClick)
        onClick(*pick);
}

void PlotCanvas::mouseDoubleClickEvent(QMouseEvent* event)
{
    m_ignoreRelease = true;  // the click before it has been handled already
    m_dragButton = Qt::NoButton;
    if (event->button() != Qt::LeftButton)
        return;
    const auto pick = pickAt(event->position());
    if (pick && pick->kind == platform::PickKind::Landmark)
        if (onDoubleClick && onDoubleClick(*pick))
            return;
    if (!pick)
        resetView();
}

void PlotCanvas::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && onEnter) {
        onEnter();
        return;
    }
    QWidget::keyPressEvent(event);
}

void PlotCanvas::hoverAt(QPointF at, QPoint global)
{
    const auto pick = pickAt(at);
    std::optional<std::size_t> hovered;
    if (pick && pick->kind == platform::PickKind::Landmark)
        hovered = pick->number;
    if (hovered != m_hovered) {
        m_hovered = hovered;
        update();
    }
    const QString tip = pick && tooltipFor ? tooltipFor(*pick) : QString();
    if (tip.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(global, tip, this);
}

void PlotCanvas::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    if (m_hovered) {
        m_hovered.reset();
        update();
    }
}

void PlotCanvas::wheelEvent(QWheelEvent* event)
{
    if (!m_model.isValid(m_axes))
        return;
    const double steps = event->angleDelta().y() / 120.0;
    const platform::Projection projection = platform::projectionOf(m_model, m_axes, width(), height());
    const QPointF at = event->position();
    m_model.setCamera(m_axes, platform::zoomAt(projection, m_model.object(m_axes).as<platform::AxesData>().camera,
                                               std::pow(1.2, steps), {at.x(), at.y()}));
    event->accept();
}

QImage PlotCanvas::renderImage(QSize size) const
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    if (m_model.isValid(m_axes)) {
        QPainter painter(&image);
        paintAxes(m_model, m_axes, painter, size.width(), size.height(), sceneOptions());
    }
    return image;
}

namespace {

void writeOrThrow(const QString& path, const QByteArray& bytes, const char* what)
{
    if (bytes.isEmpty())
        throw Error(std::string("the ") + what + " file could not be written: nothing was rendered");
    try {
        io::writeFileAtomically(path.toStdString(),
                                std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    } catch (const Error& e) {
        throw Error(std::string("the ") + what + " file could not be written: " + e.what());
    }
}

}  // namespace

void PlotCanvas::saveFigure(const QString& path, QSize pixels, int dpi) const
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    const QSize size = this->size().isEmpty() ? QSize(560, 420) : this->size();
    const platform::SceneOptions options = sceneOptions();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (suffix == "png") {
        dpi = std::clamp(dpi, 24, 2400);
        if (pixels.isEmpty())
            pixels = size * (dpi / 96.0);
        pixels = pixels.boundedTo(QSize(20000, 20000)).expandedTo(QSize(16, 16));
        // The figure keeps its look: a bigger picture is the same plot drawn at a larger scale.
        const double scale = std::min(pixels.width() / double(size.width()), pixels.height() / double(size.height()));
        QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        image.setDotsPerMeterX(static_cast<int>(std::lround(dpi / 0.0254)));
        image.setDotsPerMeterY(static_cast<int>(std::lround(dpi / 0.0254)));
        {
            QPainter painter(&image);
            painter.scale(scale, scale);
            if (m_model.isValid(m_axes))
                paintAxes(m_model, m_axes, painter, pixels.width() / scale, pixels.height() / scale, options);
        }
        if (!image.save(&buffer, "PNG"))
            throw Error("the PNG file could not be written: the picture could not be encoded");
        writeOrThrow(path, bytes, "PNG");
        return;
    }
    if (suffix == "svg") {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setTitle("Vezedo6 plot");
        QPainter painter;
        if (!painter.begin(&svg))
            throw Error("the SVG file could not be written");
        paintAxes(m_model, m_axes, painter, size.width(), size.height(), options);
        painter.end();
        writeOrThrow(path, bytes, "SVG");
        return;
    }
    if (suffix == "pdf") {
        {
            QPdfWriter pdf(&buffer);
            pdf.setResolution(96);
            pdf.setPageSize(QPageSize(QSizeF(size.width() * 72.0 / 96, size.height() * 72.0 / 96), QPageSize::Point));
            pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
            pdf.setTitle("Vezedo6 plot");
            QPainter painter;
            if (!painter.begin(&pdf))
                throw Error("the PDF file could not be written");
            paintAxes(m_model, m_axes, painter, size.width(), size.height(), options);
            painter.end();
        }
        writeOrThrow(path, bytes, "PDF");
        return;
    }
    throw Error("unknown file type \"" + suffix.toStdString() + "\": use .png, .svg or .pdf");
}

}  // namespace vezedo::qt
