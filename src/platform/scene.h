#pragma once

#include <array>
#include <optional>
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
    // A label that must read over lines: the text with a thin white halo.
    virtual void label(PixelPoint at, std::string_view text, const Rgb& color, const FontSpec& font, TextAnchor anchor)
    {
        this->text(at, text, color, font, anchor);
    }
    // A light line (yellow, cyan) that must read on white: the line over a slightly wider dark
    // edge with the same dash pattern.
    virtual void edgedPolyline(std::span<const PixelPoint> points, const Rgb& color, const Rgb& edge, LineStyle style,
                               double width)
    {
        polyline(points, edge, style, width + 0.75);
        polyline(points, color, style, width);
    }
    // Width of the text in pixels; surfaces that know their fonts measure it.
    virtual double textWidth(std::string_view text, const FontSpec& font)
    {
        return 0.6 * font.size * 4.0 / 3.0 * static_cast<double>(text.size());
    }
};

// Label switches of a plot and what the user points at: the scene walker draws the model as
// these ask, without changing it.
enum class LabelSwitch { Auto, On, Off };
struct SceneOptions {
    // Auto: every landmark number up to kManyLandmarks landmarks; above that only those of
    // emphasised landmarks and of the ends of drawn two-point lines.
    LabelSwitch landmarkNumbers = LabelSwitch::Auto;
    bool lineNumbers = true;
    double labelSize = 0;            // points; 0 keeps each label's own font size
    std::vector<Point3> emphasised;  // landmarks picked or under the cursor
    static constexpr std::size_t kManyLandmarks = 150;
};

// Pixels between a label and what it names.
inline constexpr double kLabelOffset = 6.0;

// Data limits of an axes, per coordinate.
struct Limits {
    std::array<double, 3> lo{0, 0, 0};
    std::array<double, 3> hi{1, 1, 1};
    // The extent of what the axes show, before rounding out to ticks: the default view fits it
    // to the viewport.
    std::array<double, 3> shownLo{0, 0, 0};
    std::array<double, 3> shownHi{1, 1, 1};
};

// The projection of one axes into a viewport of the given pixel size.
class Projection {
public:
    // `shown` are the points the default view fits to the viewport; without them it fits the
    // sphere round the corners of the limits' shown extent.
    Projection(const Limits& limits, bool equal, const Camera& camera, double width, double height,
               std::span<const Point3> shown = {});

    // The default camera (zoom 1, no pan) puts the middle of what is shown at the viewport's
    // centre and fits the sphere round it to the viewport, so that the shape fills it whichever
    // way it is turned.
    PixelPoint toPixel(const Point3& p) const;
    // How far p lies in front of the box's centre, towards the viewer (box units; negative
    // behind the centre).
    double towardsViewer(const Point3& p) const;
    const Limits& limits() const { return m_limits; }
    double width() const { return m_width; }
    double height() const { return m_height; }
    double pixelsPerUnit() const { return m_pixelsPerUnit; }

private:
    std::array<double, 3> boxCoordinates(const Point3& p) const;

    Limits m_limits;
    std::array<double, 3> m_centre{};
    std::array<double, 3> m_focus{};  // the centre of what is shown, in box units: the view turns about it
    std::array<double, 3> m_scale{};  // box units per data unit
    std::array<double, 3> m_right{};  // screen axes in box space
    std::array<double, 3> m_up{};
    std::array<double, 3> m_towards{};
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

// Draws the axes (background, box with ticks, axis names, lines, markers, texts, legend)
// through the renderer into a viewport of the given size.
void renderAxes(const GraphicsModel& model, Handle axes, Renderer& renderer, double width, double height,
                const SceneOptions& options = {});

// What a click can pick in an axes: its landmarks (the points of its first visible line with
// markers, numbered from 1) and its numbered lines (two-point lines whose middle carries a
// line label, or a plain text of a whole number).
struct PickTargets {
    struct Line {
        std::size_t number = 0;
        Point3 from{};
        Point3 to{};
    };
    std::vector<Point3> landmarks;
    std::vector<Line> lines;
};
PickTargets pickTargets(const GraphicsModel& model, Handle axes);

enum class PickKind { Landmark, Line };
struct Pick {
    PickKind kind = PickKind::Landmark;
    std::size_t number = 0;  // from 1
    bool operator==(const Pick&) const = default;
};
// The landmark within `landmarkRadius` pixels of `at` nearest on screen (of two that overlap,
// the one in front); else the line within `lineRadius` pixels; else nothing.
std::optional<Pick> pickAt(const Projection& projection, const PickTargets& targets, PixelPoint at,
                           double landmarkRadius = 8.0, double lineRadius = 5.0);

}  // namespace vezedo::platform
