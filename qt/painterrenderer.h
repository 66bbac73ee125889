#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <optional>

#include "platform/scene.h"

namespace vezedo::qt {

// Draws scene primitives with a QPainter: on screen, into an image, an SVG or a PDF.
class PainterRenderer : public platform::Renderer {
public:
    PainterRenderer(QPainter& painter, double width, double height);

    void background(const platform::Rgb& color) override;
    void polyline(std::span<const platform::PixelPoint> points, const platform::Rgb& color, platform::LineStyle style,
                  double width) override;
    void marker(platform::PixelPoint at, platform::Marker marker, const platform::Rgb& color, double size) override;
    void text(platform::PixelPoint at, std::string_view text, const platform::Rgb& color,
              const platform::FontSpec& font, platform::TextAnchor anchor) override;
    void label(platform::PixelPoint at, std::string_view text, const platform::Rgb& color,
               const platform::FontSpec& font, platform::TextAnchor anchor) override;
    void edgedPolyline(std::span<const platform::PixelPoint> points, const platform::Rgb& color,
                       const platform::Rgb& edge, platform::LineStyle style, double width) override;
    double textWidth(std::string_view text, const platform::FontSpec& font) override;

    static QColor toQColor(const platform::Rgb& color);

private:
    void drawPolyline(std::span<const platform::PixelPoint> points, const QColor& color, platform::LineStyle style,
                      double penWidth, double patternWidth);
    bool rasterSurface() const;
    void drawMarker(QPainter& painter, QPointF c, platform::Marker marker, const QColor& color, double size);
    void useFont(const platform::FontSpec& font);

    QPainter& m_painter;
    double m_width;
    double m_height;
    QPolygonF m_polygon;
    bool m_raster;
    double m_ratio;
    // The font of the last text, kept: labels come by the thousand in one font.
    std::optional<platform::FontSpec> m_fontSpec;
    QFont m_font;
    std::optional<QFontMetricsF> m_metrics;
    QString m_fontKey;
};

// Renders one axes of the model into a painter of the given size.
void paintAxes(const platform::GraphicsModel& model, platform::Handle axes, QPainter& painter, double width,
               double height, const platform::SceneOptions& options = {});

}  // namespace vezedo::qt
