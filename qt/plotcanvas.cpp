#include "qt/plotcanvas.h"

#include <QFileInfo>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <QWheelEvent>

#include "platform/error.h"
#include "platform/scene.h"
#include "qt/painterrenderer.h"

namespace vezedo::qt {

PlotCanvas::PlotCanvas(platform::GraphicsModel& model, platform::Handle axes, QWidget* parent)
    : QWidget(parent), m_model(model), m_axes(axes)
{
    setMouseTracking(false);
    setFocusPolicy(Qt::ClickFocus);
    setMinimumSize(120, 90);
}

void PlotCanvas::paintEvent(QPaintEvent*)
{
    if (!m_model.isValid(m_axes))
        return;
    QPainter painter(this);
    paintAxes(m_model, m_axes, painter, width(), height());
}

void PlotCanvas::resetView()
{
    if (m_model.isValid(m_axes))
        m_model.setCamera(m_axes, platform::Camera{});
}

void PlotCanvas::mousePressEvent(QMouseEvent* event)
{
    m_dragButton = event->button();
    m_last = event->position().toPoint();
}

void PlotCanvas::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragButton == Qt::NoButton || !m_model.isValid(m_axes))
        return;
    const QPoint now = event->position().toPoint();
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

void PlotCanvas::mouseReleaseEvent(QMouseEvent*)
{
    m_dragButton = Qt::NoButton;
}

void PlotCanvas::mouseDoubleClickEvent(QMouseEvent*)
{
    resetView();
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
        paintAxes(m_model, m_axes, painter, size.width(), size.height());
    }
    return image;
}

void PlotCanvas::saveFigure(const QString& path) const
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    const QSize size = this->size().isEmpty() ? QSize(560, 420) : this->size();
    if (suffix == "png") {
        if (!renderImage(size).save(path, "PNG"))
            throw Error("the PNG file could not be written");
        return;
    }
    if (suffix == "svg") {
        QSvgGenerator svg;
        svg.setFileName(path);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setTitle("Vezedo6 plot");
        QPainter painter;
        if (!painter.begin(&svg))
            throw Error("the SVG file could not be written");
        paintAxes(m_model, m_axes, painter, size.width(), size.height());
        painter.end();
        if (QFileInfo(path).size() <= 0)
            throw Error("the SVG file could not be written");
        return;
    }
    if (suffix == "pdf") {
        QPdfWriter pdf(path);
        pdf.setResolution(96);
        pdf.setPageSize(QPageSize(QSizeF(size.width() * 72.0 / 96, size.height() * 72.0 / 96), QPageSize::Point));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setTitle("Vezedo6 plot");
        QPainter painter;
        if (!painter.begin(&pdf))
            throw Error("the PDF file could not be written");
        paintAxes(m_model, m_axes, painter, size.width(), size.height());
        painter.end();
        return;
    }
    throw Error("unknown file type \"" + suffix.toStdString() + "\": use .png, .svg or .pdf");
}

}  // namespace vezedo::qt
