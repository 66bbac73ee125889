#pragma once

#include <QPainter>

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

    static QColor toQColor(const platform::Rgb& color);

private:
    QPainter& m_painter;
    double m_width;
    double m_height;
    QPolygonF m_polygon;
};

// Renders one axes of the model into a painter of the given size.
void paintAxes(const platform::GraphicsModel& model, platform::Handle axes, QPainter& painter, double width,
               double height);

}  // namespace vezedo::qt
