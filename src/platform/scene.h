#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/graphics.h"

// Drawing an axes without a toolkit: the camera projects the axes' lines, markers and texts
// to pixels and the scene walker hands pixel-space primitives to a Renderer. The Qt painter
// is one renderer; any other surface implements the same few primitives.
namespace vezedo::platform {

struct PixelPoint {
    double x = 0;  // from the left edge
    double y = 0;  // from the top edge
    bool operator==(const PixelPoint&) const = default;
};

enum class TextAnchor { Left, Centre, Right };

class Renderer {
public:
    virtual ~Renderer() = default;
    virtual void background(const Rgb& color) = 0;
    virtual void polyline(std::span<const PixelPoint> points, const Rgb& color, LineStyle style, double width) = 0;
    // `size` is the marker's diameter in pixels.
    virtual void marker(PixelPoint at, Marker marker, const Rgb& color, double size) = 0;
    // The text's left edge (or centre, or right edge), vertically centred on `at`.
    virtual void text(PixelPoint at, std::string_view text, const Rgb& color, const FontSpec& font,
                      TextAnchor anchor) = 0;
};

// Data limits of an axes, per coordinate.
struct Limits {
    std::array<double, 3> lo{0, 0, 0};
    std::array<double, 3> hi{1, 1, 1};
};

// The projection of one axes into a viewport of the given pixel size.
class Projection {
public:
    Projection(const Limits& limits, bool equal, const Camera& camera, double width, double height);

    PixelPoint toPixel(const Point3& p) const;
    const Limits& limits() const { return m_limits; }
    double width() const { return m_width; }
    double height() const { return m_height; }
    double pixelsPerUnit() const { return m_pixelsPerUnit; }

private:
    std::array<double, 3> boxCoordinates(const Point3& p) const;

    Limits m_limits;
    std::array<double, 3> m_centre{};
    std::array<double, 3> m_scale{};  // box units per data unit
    std::array<double, 3> m_right{};  // screen axes in box space
    std::array<double, 3> m_up{};
    double m_pixelsPerUnit = 1;
    double m_width;
    double m_height;
    std::array<double, 2> m_pan{};
};

// Rounded limits that hold every visible line (texts when there are no lines); [0, 1] per
// coordinate when the axes show nothing.
Limits axesLimits(const GraphicsModel& model, Handle axes);
// Tick values from lo to hi at a step of 1, 2 or 5 times a power of ten.
std::vector<double> niceTicks(double lo, double hi, int wanted = 5);

Projection projectionOf(const GraphicsModel& model, Handle axes, double width, double height);

// Mouse handling on the camera, in pixels of the viewport the projection was made for.
// Dragging right turns the shape to the right; dragging up tips it towards the viewer.
Camera orbit(Camera camera, double dx, double dy);
// Zooms by `factor` keeping the point under the cursor where it is.
Camera zoomAt(const Projection& projection, Camera camera, double factor, PixelPoint cursor);
Camera panBy(const Projection& projection, Camera camera, double dx, double dy);

// Draws the axes (background, box with ticks, y label, lines, markers, texts) through the
// renderer into a viewport of the given size.
void renderAxes(const GraphicsModel& model, Handle axes, Renderer& renderer, double width, double height);

}  // namespace vezedo::platform
