#include "qt/painterrenderer.h"

#include <QFont>
#include <QFontMetricsF>

namespace vezedo::qt {

using platform::PixelPoint;

namespace {

// Line widths and font sizes are in points; at 96 pixels per inch a point is 4/3 pixel.
constexpr double kPixelsPerPoint = 4.0 / 3.0;

QFont toQFont(const platform::FontSpec& font)
{
    QFont qfont(QString::fromStdString(font.name));
    qfont.setPixelSize(std::max(1, static_cast<int>(font.size * kPixelsPerPoint + 0.5)));
    qfont.setItalic(font.angle != "normal");
    qfont.setBold(font.weight == "bold" || font.weight == "demi");
    return qfont;
}

}  // namespace

QColor PainterRenderer::toQColor(const platform::Rgb& color)
{
    return QColor::fromRgbF(static_cast<float>(color.r), static_cast<float>(color.g), static_cast<float>(color.b));
}

PainterRenderer::PainterRenderer(QPainter& painter, double width, double height)
    : m_painter(painter), m_width(width), m_height(height)
{
    m_painter.setRenderHint(QPainter::Antialiasing, true);
    m_painter.setRenderHint(QPainter::TextAntialiasing, true);
}

void PainterRenderer::background(const platform::Rgb& color)
{
    m_painter.fillRect(QRectF(0, 0, m_width, m_height), toQColor(color));
}

void PainterRenderer::polyline(std::span<const PixelPoint> points, const platform::Rgb& color,
                               platform::LineStyle style, double width)
{
    QPen pen(toQColor(color), std::max(width * kPixelsPerPoint, 1.0));
    switch (style) {
    case platform::LineStyle::Dotted:
        pen.setStyle(Qt::DotLine);
        break;
    case platform::LineStyle::Dashed:
        pen.setStyle(Qt::DashLine);
        break;
    case platform::LineStyle::DashDot:
        pen.setStyle(Qt::DashDotLine);
        break;
    case platform::LineStyle::None:
        return;
    case platform::LineStyle::Solid:
        break;
    }
    pen.setCapStyle(Qt::FlatCap);
    m_painter.setPen(pen);
    m_painter.setBrush(Qt::NoBrush);
    m_polygon.resize(static_cast<qsizetype>(points.size()));
    for (std::size_t i = 0; i < points.size(); ++i)
        m_polygon[static_cast<qsizetype>(i)] = QPointF(points[i].x, points[i].y);
    m_painter.drawPolyline(m_polygon);
}

void PainterRenderer::marker(PixelPoint at, platform::Marker marker, const platform::Rgb& color, double size)
{
    const QPointF c(at.x, at.y);
    const double r = size / 2;
    QPen pen(toQColor(color), 1.2);
    m_painter.setPen(pen);
    m_painter.setBrush(Qt::NoBrush);
    auto cross = [&](double angle) {
        const QPointF d(r * std::cos(angle), r * std::sin(angle));
        m_painter.drawLine(c - d, c + d);
    };
    constexpr double kPi = 3.14159265358979323846;
    switch (marker) {
    case platform::Marker::Star:
        cross(0);
        cross(kPi / 2);
        cross(kPi / 4);
        cross(3 * kPi / 4);
        break;
    case platform::Marker::Plus:
        cross(0);
        cross(kPi / 2);
        break;
    case platform::Marker::Cross:
        cross(kPi / 4);
        cross(3 * kPi / 4);
        break;
    case platform::Marker::Circle:
        m_painter.drawEllipse(c, r, r);
        break;
    case platform::Marker::Point:
        m_painter.setBrush(toQColor(color));
        m_painter.drawEllipse(c, std::max(r / 3, 1.0), std::max(r / 3, 1.0));
        break;
    case platform::Marker::Square:
        m_painter.drawRect(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r));
        break;
    case platform::Marker::Diamond: {
        const QPointF pts[4] = {{c.x(), c.y() - r}, {c.x() + r, c.y()}, {c.x(), c.y() + r}, {c.x() - r, c.y()}};
        m_painter.drawPolygon(pts, 4);
        break;
    }
    case platform::Marker::None:
        break;
    }
}

void PainterRenderer::text(PixelPoint at, std::string_view text, const platform::Rgb& color,
                           const platform::FontSpec& font, platform::TextAnchor anchor)
{
    const QFont qfont = toQFont(font);
    m_painter.setFont(qfont);
    m_painter.setPen(toQColor(color));
    const QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    const QFontMetricsF metrics(qfont);
    double x = at.x;
    if (anchor != platform::TextAnchor::Left) {
        const double w = metrics.horizontalAdvance(s);
        x -= anchor == platform::TextAnchor::Centre ? w / 2 : w;
    }
    const double baseline = at.y + (metrics.ascent() - metrics.descent()) / 2;
    m_painter.drawText(QPointF(x, baseline), s);
}

void paintAxes(const platform::GraphicsModel& model, platform::Handle axes, QPainter& painter, double width,
               double height)
{
    PainterRenderer renderer(painter, width, height);
    platform::renderAxes(model, axes, renderer, width, height);
}

}  // namespace vezedo::qt
