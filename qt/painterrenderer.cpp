#include "qt/painterrenderer.h"

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QPaintDevice>
#include <QPixmap>
#include <cmath>

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
    : m_painter(painter), m_width(width), m_height(height), m_raster(rasterSurface()),
      m_ratio(painter.device() ? painter.device()->devicePixelRatioF() : 1.0)
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
    const double pen = std::max(width * kPixelsPerPoint, 1.0);
    drawPolyline(points, toQColor(color), style, pen, pen);
}

void PainterRenderer::edgedPolyline(std::span<const PixelPoint> points, const platform::Rgb& color,
                                    const platform::Rgb& edge, platform::LineStyle style, double width)
{
    // The edge is 1.5 pixels wider; its dashes are as long in pixels as the line's, so that
    // gaps stay clear.
    const double pen = std::max(width * kPixelsPerPoint, 1.0);
    drawPolyline(points, toQColor(edge), style, pen + 1.5, pen);
    drawPolyline(points, toQColor(color), style, pen, pen);
}

// Dash patterns are given in pen widths; `patternWidth` is the width they are measured in.
void PainterRenderer::drawPolyline(std::span<const PixelPoint> points, const QColor& color, platform::LineStyle style,
                                   double penWidth, double patternWidth)
{
    QPen pen(color, penWidth);
    QList<qreal> dashes;
    switch (style) {
    case platform::LineStyle::Dotted:
        dashes = {1, 2};
        break;
    case platform::LineStyle::Dashed:
        dashes = {4, 2};
        break;
    case platform::LineStyle::DashDot:
        dashes = {4, 2, 1, 2};
        break;
    case platform::LineStyle::None:
        return;
    case platform::LineStyle::Solid:
        break;
    }
    if (!dashes.isEmpty()) {
        for (qreal& d : dashes)
            d *= patternWidth / penWidth;
        pen.setDashPattern(dashes);
    }
    pen.setCapStyle(Qt::FlatCap);
    m_painter.setPen(pen);
    m_painter.setBrush(Qt::NoBrush);
    m_polygon.resize(static_cast<qsizetype>(points.size()));
    for (std::size_t i = 0; i < points.size(); ++i)
        m_polygon[static_cast<qsizetype>(i)] = QPointF(points[i].x, points[i].y);
    m_painter.drawPolyline(m_polygon);
}

namespace {

// Markers drawn once per shape, colour and size and kept: a plot shows thousands of the same.
QHash<QString, QPixmap>& markerSprites()
{
    static QHash<QString, QPixmap> sprites;
    return sprites;
}

}  // namespace

void PainterRenderer::marker(PixelPoint at, platform::Marker marker, const platform::Rgb& color, double size)
{
    if (marker == platform::Marker::None)
        return;
    const QColor qcolor = toQColor(color);
    if (!m_raster) {
        drawMarker(m_painter, QPointF(at.x, at.y), marker, qcolor, size);
        return;
    }
    const QString key =
        QString("%1/%2/%3/%4").arg(static_cast<int>(marker)).arg(qcolor.rgba()).arg(std::lround(size * 8)).arg(m_ratio);
    auto& sprites = markerSprites();
    auto it = sprites.constFind(key);
    if (it == sprites.constEnd()) {
        const int side = static_cast<int>(std::ceil(size + 4));
        QPixmap sprite(static_cast<int>(std::ceil(side * m_ratio)), static_cast<int>(std::ceil(side * m_ratio)));
        sprite.setDevicePixelRatio(m_ratio);
        sprite.fill(Qt::transparent);
        QPainter p(&sprite);
        p.setRenderHint(QPainter::Antialiasing, true);
        drawMarker(p, QPointF(side / 2.0, side / 2.0), marker, qcolor, size);
        p.end();
        if (sprites.size() > 2000)
            sprites.clear();
        it = sprites.insert(key, sprite);
    }
    const double half = it->width() / m_ratio / 2;
    m_painter.drawPixmap(QPointF(at.x - half, at.y - half), *it);
}

void PainterRenderer::drawMarker(QPainter& painter, QPointF c, platform::Marker marker, const QColor& color,
                                 double size)
{
    const double r = size / 2;
    QPen pen(color, 1.2);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    auto cross = [&](double angle) {
        const QPointF d(r * std::cos(angle), r * std::sin(angle));
        painter.drawLine(c - d, c + d);
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
        painter.drawEllipse(c, r, r);
        break;
    case platform::Marker::Point:
        painter.setBrush(color);
        painter.drawEllipse(c, std::max(r / 3, 1.0), std::max(r / 3, 1.0));
        break;
    case platform::Marker::Square:
        painter.drawRect(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r));
        break;
    case platform::Marker::Diamond: {
        const QPointF pts[4] = {{c.x(), c.y() - r}, {c.x() + r, c.y()}, {c.x(), c.y() + r}, {c.x() - r, c.y()}};
        painter.drawPolygon(pts, 4);
        break;
    }
    case platform::Marker::None:
        break;
    }
}

void PainterRenderer::text(PixelPoint at, std::string_view text, const platform::Rgb& color,
                           const platform::FontSpec& font, platform::TextAnchor anchor)
{
    useFont(font);
    m_painter.setFont(m_font);
    m_painter.setPen(toQColor(color));
    const QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    const QFontMetricsF& metrics = *m_metrics;
    double x = at.x;
    if (anchor != platform::TextAnchor::Left) {
        const double w = metrics.horizontalAdvance(s);
        x -= anchor == platform::TextAnchor::Centre ? w / 2 : w;
    }
    const double baseline = at.y + (metrics.ascent() - metrics.descent()) / 2;
    m_painter.drawText(QPointF(x, baseline), s);
}

double PainterRenderer::textWidth(std::string_view text, const platform::FontSpec& font)
{
    useFont(font);
    return m_metrics->horizontalAdvance(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

// Sprites serve surfaces of pixels drawn 1:1; scaled or vector output draws every shape.
bool PainterRenderer::rasterSurface() const
{
    const QPaintDevice* device = m_painter.device();
    if (!device || m_painter.transform().isScaling() || m_painter.transform().isRotating())
        return false;
    const int type = device->devType();
    return type == QInternal::Image || type == QInternal::Widget || type == QInternal::Pixmap;
}

void PainterRenderer::useFont(const platform::FontSpec& font)
{
    if (m_fontSpec && *m_fontSpec == font)
        return;
    m_fontSpec = font;
    m_font = toQFont(font);
    m_metrics.emplace(m_font);
    m_fontKey = m_font.key();
}

namespace {

constexpr double kHalo = 1.0;  // pixels of white around each glyph

// A label drawn once with its halo and kept: numbers repeat from frame to frame, and a pixmap
// is far quicker to draw than the text nine times.
const QPixmap& haloPixmap(const QString& text, const QFont& font, const QString& fontKey, const QColor& color,
                          double ratio)
{
    static QHash<QString, QPixmap> cache;
    QString key = text;
    key += QChar(0);
    key += fontKey;
    key += QChar(0);
    key += QString::number(color.rgba(), 16);
    key += QChar(0);
    key += QString::number(ratio);
    auto it = cache.constFind(key);
    if (it != cache.constEnd())
        return *it;
    if (cache.size() > 20000)
        cache.clear();
    const QFontMetricsF metrics(font);
    // The width is exact in device pixels so that anchoring can read the text's width back from it.
    const int w = static_cast<int>(std::ceil((metrics.horizontalAdvance(text) + 2 * kHalo + 2) * ratio));
    const double h = metrics.height() + 2 * kHalo + 2;
    QPixmap pixmap(w, static_cast<int>(std::ceil(h * ratio)));
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setFont(font);
    // The halo: the text in white, shifted a pixel each way (glyphs come from the cache, so
    // this is far quicker than stroking outlines).
    p.setPen(Qt::white);
    const QPointF origin(kHalo + 1, kHalo + 1 + metrics.ascent());
    for (int dx = -1; dx <= 1; ++dx)
        for (int dy = -1; dy <= 1; ++dy)
            if (dx != 0 || dy != 0)
                p.drawText(origin + QPointF(dx * kHalo, dy * kHalo), text);
    p.setPen(color);
    p.drawText(origin, text);
    p.end();
    return *cache.insert(key, pixmap);
}

}  // namespace

void PainterRenderer::label(PixelPoint at, std::string_view text, const platform::Rgb& color,
                            const platform::FontSpec& font, platform::TextAnchor anchor)
{
    useFont(font);
    const QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    const QColor qcolor = toQColor(color);
    double x = at.x;
    const double baseline = at.y + (m_metrics->ascent() - m_metrics->descent()) / 2;
    if (m_raster) {
        const QPixmap& pixmap = haloPixmap(s, m_font, m_fontKey, qcolor, m_ratio);
        const double w = pixmap.width() / m_ratio - 2 * (kHalo + 1);
        if (anchor != platform::TextAnchor::Left)
            x -= anchor == platform::TextAnchor::Centre ? w / 2 : w;
        m_painter.drawPixmap(QPointF(x - kHalo - 1, baseline - m_metrics->ascent() - kHalo - 1), pixmap);
        return;
    }
    const double w = m_metrics->horizontalAdvance(s);
    if (anchor != platform::TextAnchor::Left)
        x -= anchor == platform::TextAnchor::Centre ? w / 2 : w;
    // Vector output keeps the number as text that a reader can select and search (an SVG
    // <text>, a PDF string), over the same text in white shifted a pixel each way as its halo.
    m_painter.setFont(m_font);
    m_painter.setPen(Qt::white);
    const QPointF origin(x, baseline);
    for (int dx = -1; dx <= 1; ++dx)
        for (int dy = -1; dy <= 1; ++dy)
            if (dx != 0 || dy != 0)
                m_painter.drawText(origin + QPointF(dx * kHalo, dy * kHalo), s);
    m_painter.setPen(qcolor);
    m_painter.drawText(origin, s);
}

void paintAxes(const platform::GraphicsModel& model, platform::Handle axes, QPainter& painter, double width,
               double height, const platform::SceneOptions& options)
{
    PainterRenderer renderer(painter, width, height);
    platform::renderAxes(model, axes, renderer, width, height, options);
}

}  // namespace vezedo::qt
