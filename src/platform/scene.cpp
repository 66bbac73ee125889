#include "platform/scene.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace vezedo::platform {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kFill = 0.42;      // the box's bounding sphere spans this share of the viewport
constexpr double kTickGap = 14.0;   // pixels between the box and its tick labels
constexpr double kLabelGap = 40.0;  // pixels between the box and the y label
const Rgb kBoxColor{0.82, 0.82, 0.82};
const Rgb kTickColor{0.25, 0.25, 0.25};

double dot(const std::array<double, 3>& a, const std::array<double, 3>& b)
{
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

bool finite(const Point3& p)
{
    return std::isfinite(p[0]) && std::isfinite(p[1]) && std::isfinite(p[2]);
}

std::string tickText(double v)
{
    if (std::abs(v) < 1e-12)
        v = 0;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", v);
    return buf;
}

}  // namespace

std::vector<double> niceTicks(double lo, double hi, int wanted)
{
    std::vector<double> ticks;
    if (!(hi > lo) || !std::isfinite(lo) || !std::isfinite(hi))
        return ticks;
    const double raw = (hi - lo) / std::max(wanted, 1);
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    double step = power * 10;
    for (double m : {1.0, 2.0, 5.0, 10.0}) {
        if (power * m >= raw) {
            step = power * m;
            break;
        }
    }
    const double first = std::ceil(lo / step - 1e-9) * step;
    for (double t = first; t <= hi + step * 1e-9; t += step)
        ticks.push_back(std::abs(t) < step * 1e-9 ? 0.0 : t);
    return ticks;
}

Limits axesLimits(const GraphicsModel& model, Handle axes)
{
    const GraphicsObject& ax = model.object(axes);
    const Handle label = ax.as<AxesData>().yLabel;
    std::array<double, 3> lo{}, hi{};
    lo.fill(std::numeric_limits<double>::infinity());
    hi.fill(-std::numeric_limits<double>::infinity());
    auto take = [&](const Point3& p) {
        if (!finite(p))
            return;
        for (std::size_t i = 0; i < 3; ++i) {
            lo[i] = std::min(lo[i], p[i]);
            hi[i] = std::max(hi[i], p[i]);
        }
    };
    for (Handle h : ax.children) {
        const GraphicsObject& o = model.object(h);
        if (o.visible && o.type == ObjectType::Line)
            for (const Point3& p : o.as<LineData>().points)
                take(p);
    }
    if (!(lo[0] <= hi[0])) {  // no lines: fall back on the texts
        for (Handle h : ax.children) {
            const GraphicsObject& o = model.object(h);
            if (o.visible && o.type == ObjectType::Text && h != label)
                take(o.as<TextData>().position);
        }
    }
    Limits limits;
    for (std::size_t i = 0; i < 3; ++i) {
        if (!(lo[i] <= hi[i]))
            continue;  // nothing drawn: [0, 1]
        double a = lo[i], b = hi[i];
        if (a == b) {
            const double pad = a == 0 ? 1.0 : std::abs(a) * 0.1;
            a -= pad;
            b += pad;
        }
        const auto ticks = niceTicks(a, b);
        const double step = ticks.size() > 1 ? ticks[1] - ticks[0] : (b - a);
        limits.lo[i] = std::floor(a / step + 1e-9) * step;
        limits.hi[i] = std::ceil(b / step - 1e-9) * step;
    }
    return limits;
}

Projection::Projection(const Limits& limits, bool equal, const Camera& camera, double width, double height)
    : m_limits(limits), m_width(width), m_height(height), m_pan(camera.pan)
{
    std::array<double, 3> half{};
    double largest = 0;
    for (std::size_t i = 0; i < 3; ++i) {
        m_centre[i] = (limits.lo[i] + limits.hi[i]) / 2;
        half[i] = std::max((limits.hi[i] - limits.lo[i]) / 2, 1e-300);
        largest = std::max(largest, half[i]);
    }
    double radius2 = 0;
    for (std::size_t i = 0; i < 3; ++i) {
        m_scale[i] = 1.0 / (equal ? largest : half[i]);
        radius2 += (half[i] * m_scale[i]) * (half[i] * m_scale[i]);
    }
    const double az = camera.azimuth * kPi / 180;
    const double el = camera.elevation * kPi / 180;
    m_right = {std::cos(az), std::sin(az), 0};
    m_up = {-std::sin(az) * std::sin(el), std::cos(az) * std::sin(el), std::cos(el)};
    m_pixelsPerUnit = camera.zoom * kFill * std::min(width, height) / std::sqrt(radius2);
}

std::array<double, 3> Projection::boxCoordinates(const Point3& p) const
{
    return {(p[0] - m_centre[0]) * m_scale[0], (p[1] - m_centre[1]) * m_scale[1], (p[2] - m_centre[2]) * m_scale[2]};
}

PixelPoint Projection::toPixel(const Point3& p) const
{
    const auto b = boxCoordinates(p);
    return {m_width / 2 + (dot(b, m_right) + m_pan[0]) * m_pixelsPerUnit,
            m_height / 2 - (dot(b, m_up) + m_pan[1]) * m_pixelsPerUnit};
}

Projection projectionOf(const GraphicsModel& model, Handle axes, double width, double height)
{
    const AxesData& ad = model.object(axes).as<AxesData>();
    return Projection(axesLimits(model, axes), ad.equal, ad.camera, width, height);
}

Camera orbit(Camera camera, double dx, double dy)
{
    constexpr double kDegreesPerPixel = 0.5;
    camera.azimuth = std::remainder(camera.azimuth - dx * kDegreesPerPixel, 360.0);
    camera.elevation = std::clamp(camera.elevation + dy * kDegreesPerPixel, -90.0, 90.0);
    return camera;
}

Camera zoomAt(const Projection& projection, Camera camera, double factor, PixelPoint cursor)
{
    if (!(factor > 0) || !std::isfinite(factor))
        return camera;
    constexpr double kMinZoom = 0.05, kMaxZoom = 200.0;
    const double zoom = std::clamp(camera.zoom * factor, kMinZoom, kMaxZoom);
    const double f = zoom / camera.zoom;
    const double ppu = projection.pixelsPerUnit();
    // Box-space screen coordinates under the cursor stay put: (s + pan) * ppu is unchanged.
    const double sx = (cursor.x - projection.width() / 2) / ppu - camera.pan[0];
    const double sy = -(cursor.y - projection.height() / 2) / ppu - camera.pan[1];
    camera.pan[0] = (sx + camera.pan[0]) / f - sx;
    camera.pan[1] = (sy + camera.pan[1]) / f - sy;
    camera.zoom = zoom;
    return camera;
}

Camera panBy(const Projection& projection, Camera camera, double dx, double dy)
{
    const double ppu = projection.pixelsPerUnit();
    camera.pan[0] += dx / ppu;
    camera.pan[1] -= dy / ppu;
    return camera;
}

namespace {

// The box edges, and the ticks along the edge of each coordinate that faces the viewer.
void drawBox(const Projection& proj, const AxesData& ad, const GraphicsModel& model, Renderer& r)
{
    const Limits& lim = proj.limits();
    auto corner = [&](int bits) {
        return Point3{bits & 1 ? lim.hi[0] : lim.lo[0], bits & 2 ? lim.hi[1] : lim.lo[1],
                      bits & 4 ? lim.hi[2] : lim.lo[2]};
    };
    for (int a = 0; a < 8; ++a)
        for (int axis = 0; axis < 3; ++axis)
            if (!(a & (1 << axis))) {
                const PixelPoint line[2] = {proj.toPixel(corner(a)), proj.toPixel(corner(a | (1 << axis)))};
                r.polyline(line, kBoxColor, LineStyle::Solid, 0.5);
            }

    Point3 mid{};
    for (std::size_t i = 0; i < 3; ++i)
        mid[i] = (lim.lo[i] + lim.hi[i]) / 2;
    const PixelPoint centre = proj.toPixel(mid);
    FontSpec tickFont = ad.font;
    tickFont.size = std::max(tickFont.size - 1, 6.0);

    for (int axis = 0; axis < 3; ++axis) {
        // x and y ticks run along the lowest edge on screen, z ticks along the leftmost.
        int best = -1;
        double bestScore = -std::numeric_limits<double>::infinity();
        for (int a = 0; a < 8; ++a) {
            if (a & (1 << axis))
                continue;
            const PixelPoint p = proj.toPixel(corner(a)), q = proj.toPixel(corner(a | (1 << axis)));
            const double score = axis == 2 ? -(p.x + q.x) : (p.y + q.y);
            if (score > bestScore + 1e-9) {
                bestScore = score;
                best = a;
            }
        }
        const std::size_t i = static_cast<std::size_t>(axis);
        std::vector<double> ticks = niceTicks(lim.lo[i], lim.hi[i]);
        PixelPoint edgeMid{};
        for (double t : ticks) {
            Point3 at = corner(best);
            at[i] = t;
            const PixelPoint p = proj.toPixel(at);
            double dx = p.x - centre.x, dy = p.y - centre.y;
            const double len = std::max(std::hypot(dx, dy), 1e-9);
            dx /= len;
            dy /= len;
            const PixelPoint tick[2] = {p, {p.x + dx * 5, p.y + dy * 5}};
            r.polyline(tick, kTickColor, LineStyle::Solid, 0.5);
            r.text({p.x + dx * kTickGap, p.y + dy * kTickGap}, tickText(t), kTickColor, tickFont, TextAnchor::Centre);
        }
        Point3 m = corner(best);
        m[i] = (lim.lo[i] + lim.hi[i]) / 2;
        edgeMid = proj.toPixel(m);
        if (axis == 1) {
            const GraphicsObject* label = model.find(ad.yLabel);
            if (label && label->visible && !label->as<TextData>().string.empty()) {
                double dx = edgeMid.x - centre.x, dy = edgeMid.y - centre.y;
                const double len = std::max(std::hypot(dx, dy), 1e-9);
                const TextData& td = label->as<TextData>();
                r.text({edgeMid.x + dx / len * kLabelGap, edgeMid.y + dy / len * kLabelGap}, td.string, td.color,
                       td.font, TextAnchor::Centre);
            }
        }
    }
}

}  // namespace

void renderAxes(const GraphicsModel& model, Handle axes, Renderer& renderer, double width, double height)
{
    const GraphicsObject& ax = model.object(axes);
    const AxesData& ad = ax.as<AxesData>();
    const Projection proj = projectionOf(model, axes, width, height);
    renderer.background({1, 1, 1});
    drawBox(proj, ad, model, renderer);

    std::vector<PixelPoint> pixels;
    for (Handle h : ax.children) {
        const GraphicsObject& o = model.object(h);
        if (!o.visible || o.type != ObjectType::Line)
            continue;
        const LineData& line = o.as<LineData>();
        if (line.style != LineStyle::None) {
            pixels.clear();
            for (const Point3& p : line.points) {
                if (finite(p)) {
                    pixels.push_back(proj.toPixel(p));
                    continue;
                }
                if (pixels.size() > 1)  // a gap in the data breaks the line
                    renderer.polyline(pixels, line.color, line.style, line.width);
                pixels.clear();
            }
            if (pixels.size() > 1)
                renderer.polyline(pixels, line.color, line.style, line.width);
        }
        if (line.marker != Marker::None) {
            const double size = line.markerSize * 4.0 / 3.0;  // points to pixels at 96 dpi
            for (const Point3& p : line.points)
                if (finite(p))
                    renderer.marker(proj.toPixel(p), line.marker, line.color, size);
        }
    }
    for (Handle h : ax.children) {
        const GraphicsObject& o = model.object(h);
        if (!o.visible || o.type != ObjectType::Text || h == ad.yLabel)
            continue;
        const TextData& t = o.as<TextData>();
        if (!t.string.empty() && finite(t.position))
            renderer.text(proj.toPixel(t.position), t.string, t.color, t.font, TextAnchor::Left);
    }
}

}  // namespace vezedo::platform
