#include "platform/scene.h"

#include "platform/labelspace.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <map>

namespace vezedo::platform {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kFill = 0.45;      // the shown data's bounding sphere spans twice this share of the viewport
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

namespace {

// What an axes shows: the finite points of its visible lines, or the positions of its texts when
// it has no lines.
std::vector<Point3> shownPoints(const GraphicsModel& model, Handle axes)
{
    const GraphicsObject& ax = model.object(axes);
    std::vector<Point3> shown;
    for (Handle h : ax.children) {
        const GraphicsObject& o = model.object(h);
        if (o.visible && o.type == ObjectType::Line)
            for (const Point3& p : o.as<LineData>().points)
                if (finite(p))
                    shown.push_back(p);
    }
    if (!shown.empty())
        return shown;
    const Handle label = ax.as<AxesData>().yLabel;
    for (Handle h : ax.children) {
        const GraphicsObject& o = model.object(h);
        if (o.visible && o.type == ObjectType::Text && h != label && finite(o.as<TextData>().position))
            shown.push_back(o.as<TextData>().position);
    }
    return shown;
}

Limits limitsOf(std::span<const Point3> shown)
{
    std::array<double, 3> lo{}, hi{};
    lo.fill(std::numeric_limits<double>::infinity());
    hi.fill(-std::numeric_limits<double>::infinity());
    for (const Point3& p : shown)
        for (std::size_t i = 0; i < 3; ++i) {
            lo[i] = std::min(lo[i], p[i]);
            hi[i] = std::max(hi[i], p[i]);
        }
    Limits limits;
    for (std::size_t i = 0; i < 3; ++i) {
        if (!(lo[i] <= hi[i]))
            continue;  // nothing drawn: [0, 1]
        limits.shownLo[i] = lo[i];
        limits.shownHi[i] = hi[i];
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

}  // namespace

Limits axesLimits(const GraphicsModel& model, Handle axes)
{
    return limitsOf(shownPoints(model, axes));
}

Projection::Projection(const Limits& limits, bool equal, const Camera& camera, double width, double height,
                       std::span<const Point3> shown)
    : m_limits(limits), m_width(width), m_height(height), m_pan(camera.pan)
{
    std::array<double, 3> half{};
    double largest = 0;
    for (std::size_t i = 0; i < 3; ++i) {
        m_centre[i] = (limits.lo[i] + limits.hi[i]) / 2;
        half[i] = std::max((limits.hi[i] - limits.lo[i]) / 2, 1e-300);
        largest = std::max(largest, half[i]);
    }
    double boxRadius2 = 0, shownRadius2 = 0;
    for (std::size_t i = 0; i < 3; ++i) {
        m_scale[i] = 1.0 / (equal ? largest : half[i]);
        boxRadius2 += (half[i] * m_scale[i]) * (half[i] * m_scale[i]);
        const double shownHalf = (limits.shownHi[i] - limits.shownLo[i]) / 2 * m_scale[i];
        shownRadius2 += shownHalf * shownHalf;
        m_focus[i] = ((limits.shownLo[i] + limits.shownHi[i]) / 2 - m_centre[i]) * m_scale[i];
    }
    // The sphere round the middle of the shown extent that holds every shown point: no larger
    // than the one round its corners, and much smaller for round shapes.
    if (!shown.empty()) {
        shownRadius2 = 0;
        for (const Point3& p : shown) {
            const auto b = boxCoordinates(p);
            double d2 = 0;
            for (std::size_t i = 0; i < 3; ++i)
                d2 += (b[i] - m_focus[i]) * (b[i] - m_focus[i]);
            shownRadius2 = std::max(shownRadius2, d2);
        }
    }
    // A single point shown: frame the box instead.
    if (!(shownRadius2 > 1e-12 * boxRadius2) || !std::isfinite(shownRadius2)) {
        shownRadius2 = boxRadius2;
        m_focus = {0, 0, 0};
    }
    const double az = camera.azimuth * kPi / 180;
    const double el = camera.elevation * kPi / 180;
    m_right = {std::cos(az), std::sin(az), 0};
    m_up = {-std::sin(az) * std::sin(el), std::cos(az) * std::sin(el), std::cos(el)};
    m_towards = {m_right[1] * m_up[2] - m_right[2] * m_up[1], m_right[2] * m_up[0] - m_right[0] * m_up[2],
                 m_right[0] * m_up[1] - m_right[1] * m_up[0]};
    m_pixelsPerUnit = camera.zoom * kFill * std::min(width, height) / std::sqrt(shownRadius2);
}

std::array<double, 3> Projection::boxCoordinates(const Point3& p) const
{
    return {(p[0] - m_centre[0]) * m_scale[0], (p[1] - m_centre[1]) * m_scale[1], (p[2] - m_centre[2]) * m_scale[2]};
}

PixelPoint Projection::toPixel(const Point3& p) const
{
    auto b = boxCoordinates(p);
    for (std::size_t i = 0; i < 3; ++i)
        b[i] -= m_focus[i];
    return {m_width / 2 + (dot(b, m_right) + m_pan[0]) * m_pixelsPerUnit,
            m_height / 2 - (dot(b, m_up) + m_pan[1]) * m_pixelsPerUnit};
}

double Projection::towardsViewer(const Point3& p) const
{
    return dot(boxCoordinates(p), m_towards);
}

Projection projectionOf(const GraphicsModel& model, Handle axes, double width, double height)
{
    const AxesData& ad = model.object(axes).as<AxesData>();
    const std::vector<Point3> shown = shownPoints(model, axes);
    return Projection(limitsOf(shown), ad.equal, ad.camera, width, height, shown);
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

const Rgb kEdgeColor{0.2, 0.2, 0.2};

double textHeight(const FontSpec& font)
{
    return font.size * 4.0 / 3.0 * 1.2;
}

// The pixels a text takes, with a little room around it.
PixelBox textBox(Renderer& r, PixelPoint at, std::string_view text, const FontSpec& font,
                 TextAnchor anchor = TextAnchor::Centre, double pad = 2.0)
{
    const double w = r.textWidth(text, font);
    const double h = textHeight(font);
    const double left = anchor == TextAnchor::Left ? at.x : anchor == TextAnchor::Centre ? at.x - w / 2 : at.x - w;
    return {left - pad, at.y - h / 2 - pad, left + w + pad, at.y + h / 2 + pad};
}

Rgb lighter(const Rgb& c)
{
    constexpr double kWhite = 0.55;
    return {c.r + (1 - c.r) * kWhite, c.g + (1 - c.g) * kWhite, c.b + (1 - c.b) * kWhite};
}

// Yellow, cyan and other light colours vanish on white without an edge.
bool needsEdge(const Rgb& c)
{
    return 0.299 * c.r + 0.587 * c.g + 0.114 * c.b > 0.6;
}

std::optional<std::size_t> wholeNumber(std::string_view text)
{
    std::size_t n = 0;
    if (text.empty() || text.size() > 9)
        return std::nullopt;
    for (char ch : text) {
        if (ch < '0' || ch > '9')
            return std::nullopt;
        n = n * 10 + static_cast<std::size_t>(ch - '0');
    }
    return n == 0 ? std::nullopt : std::optional<std::size_t>(n);
}

PixelPoint outwards(PixelPoint p, PixelPoint centre, double distance)
{
    const double dx = p.x - centre.x, dy = p.y - centre.y;
    const double len = std::max(std::hypot(dx, dy), 1e-9);
    return {p.x + dx / len * distance, p.y + dy / len * distance};
}

// The box edges, and the ticks along the edge of each coordinate that faces the viewer: as many
// as fit without their labels touching, and the axis's name beyond them.
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
    std::vector<PixelBox> placed;

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
        struct Tick {
            PixelPoint at, labelAt;
            std::string text;
            PixelBox box;
        };
        std::vector<Tick> ticks;
        for (double t : niceTicks(lim.lo[i], lim.hi[i])) {
            Point3 at = corner(best);
            at[i] = t;
            const PixelPoint p = proj.toPixel(at);
            const PixelPoint labelAt = outwards(p, centre, kTickGap);
            std::string text = tickText(t);
            const PixelBox box = textBox(r, labelAt, text, tickFont);
            ticks.push_back({p, labelAt, std::move(text), box});
        }
        // The smallest stride whose labels keep clear of each other and of those placed already.
        std::size_t stride = 1;
        for (; stride < ticks.size(); ++stride) {
            bool clear = true;
            for (std::size_t k = 0; k < ticks.size() && clear; k += stride) {
                for (std::size_t m = k + stride; m < ticks.size() && clear; m += stride)
                    clear = !ticks[k].box.overlaps(ticks[m].box);
                for (const PixelBox& b : placed)
                    clear = clear && !ticks[k].box.overlaps(b);
            }
            if (clear)
                break;
        }
        std::vector<PixelBox> mine;
        for (std::size_t k = 0; k < ticks.size(); k += stride) {
            const Tick& t = ticks[k];
            if (std::any_of(placed.begin(), placed.end(), [&](const PixelBox& b) { return b.overlaps(t.box); }))
                continue;
            const PixelPoint tick[2] = {t.at, outwards(t.at, centre, 5)};
            r.polyline(tick, kTickColor, LineStyle::Solid, 0.5);
            r.text(t.labelAt, t.text, kTickColor, tickFont, TextAnchor::Centre);
            mine.push_back(t.box);
        }
        placed.insert(placed.end(), mine.begin(), mine.end());

        Point3 m = corner(best);
        m[i] = (lim.lo[i] + lim.hi[i]) / 2;
        const PixelPoint nameAt = outwards(proj.toPixel(m), centre, kLabelGap);
        const GraphicsObject* label = axis == 1 ? model.find(ad.yLabel) : nullptr;
        if (label && label->visible && !label->as<TextData>().string.empty()) {
            const TextData& td = label->as<TextData>();
            r.text(nameAt, td.string, td.color, td.font, TextAnchor::Centre);
        } else if (!label || label->visible) {
            static constexpr const char* kNames[3] = {"x", "y", "z"};
            r.text(nameAt, kNames[axis], kTickColor, ad.font, TextAnchor::Centre);
        }
    }
}

void drawLegend(const AxesData& ad, Renderer& r, double width)
{
    if (ad.legend.empty())
        return;
    constexpr double kMargin = 10, kSample = 28, kGap = 6;
    const double rowHeight = ad.font.size * 4.0 / 3.0 * 1.5;
    double textWidth = 0;
    for (const LegendEntry& e : ad.legend)
        textWidth = std::max(textWidth, r.textWidth(e.text, ad.font));
    const double boxWidth = kGap + kSample + kGap + textWidth + kGap;
    const double left = width - kMargin - boxWidth, top = kMargin;
    const double bottom = top + kGap + rowHeight * static_cast<double>(ad.legend.size());
    const PixelPoint frame[5] = {
        {left, top}, {left + boxWidth, top}, {left + boxWidth, bottom}, {left, bottom}, {left, top}};
    r.polyline(frame, kBoxColor, LineStyle::Solid, 0.75);
    for (std::size_t k = 0; k < ad.legend.size(); ++k) {
        const LegendEntry& e = ad.legend[k];
        const double y = top + kGap / 2 + rowHeight * (static_cast<double>(k) + 0.5);
        const PixelPoint sample[2] = {{left + kGap, y}, {left + kGap + kSample, y}};
        if (needsEdge(e.color))
            r.edgedPolyline(sample, e.color, kEdgeColor, e.style, e.width);
        else
            r.polyline(sample, e.color, e.style, e.width);
        r.text({left + 2 * kGap + kSample, y}, e.text, {0, 0, 0}, ad.font, TextAnchor::Left);
    }
}

struct PointLess {
    bool operator()(const Point3& a, const Point3& b) const { return a < b; }
};

// Whether a landmark label shows: always when switched on, never when off, and with many
// landmarks only for landmarks the user points at or that end a drawn line.
class LandmarkLabelRule {
public:
    LandmarkLabelRule(const GraphicsModel& model, const GraphicsObject& ax, const SceneOptions& options)
        : m_options(options)
    {
        if (options.landmarkNumbers != LabelSwitch::Auto)
            return;
        std::size_t count = 0;
        for (Handle h : ax.children) {
            const GraphicsObject& o = model.object(h);
            if (o.type == ObjectType::Text && o.as<TextData>().kind == LabelKind::Landmark)
                ++count;
        }
        m_few = count <= SceneOptions::kManyLandmarks;
        if (m_few)
            return;
        for (Handle h : ax.children) {
            const GraphicsObject& o = model.object(h);
            if (!o.visible || o.type != ObjectType::Line)
                continue;
            const LineData& line = o.as<LineData>();
            if (line.points.size() == 2 && line.style != LineStyle::None) {
                m_ends.push_back(line.points[0]);
                m_ends.push_back(line.points[1]);
            }
        }
        m_ends.insert(m_ends.end(), options.emphasised.begin(), options.emphasised.end());
        std::sort(m_ends.begin(), m_ends.end(), PointLess{});
    }

    bool shows(const Point3& landmark) const
    {
        switch (m_options.landmarkNumbers) {
        case LabelSwitch::On:
            return true;
        case LabelSwitch::Off:
            return std::find(m_options.emphasised.begin(), m_options.emphasised.end(), landmark) !=
                   m_options.emphasised.end();
        case LabelSwitch::Auto:
            break;
        }
        return m_few || std::binary_search(m_ends.begin(), m_ends.end(), landmark, PointLess{});
    }

private:
    const SceneOptions& m_options;
    bool m_few = true;
    std::vector<Point3> m_ends;
};

}  // namespace

namespace {

// Draws the visible lines and their markers, and marks the markers' pixels as taken when labels
// are to be kept off them.
void drawLines(const Projection& proj, const GraphicsModel& model, const GraphicsObject& ax, Renderer& renderer,
               OccupiedPixels* taken)
{
    std::vector<PixelPoint> pixels;
    for (Handle h : ax.children) {
        const GraphicsObject& o = model.object(h);
        if (!o.visible || o.type != ObjectType::Line)
            continue;
        const LineData& line = o.as<LineData>();
        if (line.style != LineStyle::None) {
            const bool edged = needsEdge(line.color);
            auto flush = [&] {
                if (pixels.size() < 2)
                    return;
                if (edged)
                    renderer.edgedPolyline(pixels, line.color, kEdgeColor, line.style, line.width);
                else
                    renderer.polyline(pixels, line.color, line.style, line.width);
            };
            pixels.clear();
            for (const Point3& p : line.points) {
                if (finite(p)) {
                    pixels.push_back(proj.toPixel(p));
                    continue;
                }
                flush();  // a gap in the data breaks the line
                pixels.clear();
            }
            flush();
        }
        if (line.marker != Marker::None) {
            const double size = line.markerSize * 4.0 / 3.0;  // points to pixels at 96 dpi
            const Rgb behind = lighter(line.color);
            for (const Point3& p : line.points) {
                if (!finite(p))
                    continue;
                const PixelPoint at = proj.toPixel(p);
                renderer.marker(at, line.marker, proj.towardsViewer(p) < 0 ? behind : line.color, size);
                if (taken)
                    taken->take({at.x - size / 2, at.y - size / 2, at.x + size / 2, at.y + size / 2});
            }
        }
    }
}

// The ends of the drawn two-point lines by their middle, where the lines' numbers are anchored;
// lines sharing a middle keep the order they were drawn in.
using LineEnds = std::multimap<Point3, std::pair<Point3, Point3>, PointLess>;

LineEnds lineEnds(const GraphicsModel& model, const GraphicsObject& ax)
{
    LineEnds ends;
    for (Handle h : ax.children) {
        const GraphicsObject& o = model.object(h);
        if (!o.visible || o.type != ObjectType::Line)
            continue;
        const LineData& line = o.as<LineData>();
        if (line.points.size() != 2 || line.style == LineStyle::None)
            continue;
        const Point3& a = line.points[0];
        const Point3& b = line.points[1];
        ends.emplace(Point3{(a[0] + b[0]) / 2, (a[1] + b[1]) / 2, (a[2] + b[2]) / 2}, std::pair{a, b});
    }
    return ends;
}

// A line's number goes to the first free spot beside its line, clear of the markers and of the
// texts drawn before it (plain texts and landmark numbers keep their places); where there is no
// free spot it sits below left of the line's middle.
void drawLineLabel(const Projection& proj, const TextData& t, const FontSpec& font, LineEnds& ends,
                   OccupiedPixels& taken, Renderer& renderer)
{
    const PixelPoint mid = proj.toPixel(t.anchor);
    PixelPoint from = mid, to = mid;
    if (const auto it = ends.find(t.anchor); it != ends.end()) {
        if (finite(it->second.first) && finite(it->second.second)) {
            from = proj.toPixel(it->second.first);
            to = proj.toPixel(it->second.second);
        }
        ends.erase(it);
    }
    constexpr double kPad = 1.0;
    const double w = renderer.textWidth(t.string, font) + 2 * kPad;
    const double h = textHeight(font) + 2 * kPad;
    if (const auto spot = spotBesideLine(taken, from, to, w, h)) {
        renderer.label(*spot, t.string, t.color, font, TextAnchor::Centre);
        taken.take({spot->x - w / 2, spot->y - h / 2, spot->x + w / 2, spot->y + h / 2});
        return;
    }
    const PixelPoint at{mid.x - kLabelOffset, mid.y + kLabelOffset};
    renderer.label(at, t.string, t.color, font, TextAnchor::Right);
    taken.take(textBox(renderer, at, t.string, font, TextAnchor::Right, kPad));
}

FontSpec labelFont(const TextData& t, const SceneOptions& options)
{
    FontSpec font = t.font;
    if (options.labelSize > 0 && t.kind != LabelKind::Plain)
        font.size = options.labelSize;
    return font;
}

}  // namespace

void renderAxes(const GraphicsModel& model, Handle axes, Renderer& renderer, double width, double height,
                const SceneOptions& options)
{
    const GraphicsObject& ax = model.object(axes);
    const AxesData& ad = ax.as<AxesData>();
    const Projection proj = projectionOf(model, axes, width, height);
    renderer.background({1, 1, 1});
    drawBox(proj, ad, model, renderer);

    const auto drawn = [&](Handle h) -> const TextData* {
        const GraphicsObject& o = model.object(h);
        if (!o.visible || o.type != ObjectType::Text || h == ad.yLabel || o.as<TextData>().string.empty())
            return nullptr;
        return &o.as<TextData>();
    };
    const bool lineLabels = options.lineNumbers && std::ranges::any_of(ax.children, [&](Handle h) {
                                const TextData* t = drawn(h);
                                return t && t->kind == LabelKind::Line;
                            });
    std::optional<OccupiedPixels> taken;
    if (lineLabels)
        taken.emplace(width, height);
    drawLines(proj, model, ax, renderer, taken ? &*taken : nullptr);

    const LandmarkLabelRule landmarkRule(model, ax, options);
    for (Handle h : ax.children) {
        const TextData* t = drawn(h);
        if (!t)
            continue;
        const FontSpec font = labelFont(*t, options);
        PixelPoint at;
        if (t->kind == LabelKind::Plain && finite(t->position)) {
            at = proj.toPixel(t->position);
            renderer.text(at, t->string, t->color, t->font, TextAnchor::Left);
        } else if (t->kind == LabelKind::Landmark && finite(t->anchor) && landmarkRule.shows(t->anchor)) {
            const PixelPoint p = proj.toPixel(t->anchor);
            at = {p.x + kLabelOffset, p.y - kLabelOffset};
            renderer.label(at, t->string, proj.towardsViewer(t->anchor) < 0 ? lighter(t->color) : t->color, font,
                           TextAnchor::Left);
        } else {
            continue;
        }
        if (taken)
            taken->take(textBox(renderer, at, t->string, font, TextAnchor::Left, 1.0));
    }
    if (lineLabels) {
        LineEnds ends = lineEnds(model, ax);
        for (Handle h : ax.children)
            if (const TextData* t = drawn(h); t && t->kind == LabelKind::Line && finite(t->anchor))
                drawLineLabel(proj, *t, labelFont(*t, options), ends, *taken, renderer);
    }
    drawLegend(ad, renderer, width);
}

PickTargets pickTargets(const GraphicsModel& model, Handle axes)
{
    PickTargets targets;
    const GraphicsObject& ax = model.object(axes);
    // A line label names its line through a link; a plain text of a whole number at a line's
    // middle numbers that line.
    std::map<Handle, std::size_t> numberOf;
    std::map<Point3, std::size_t, PointLess> numberAt;
    for (Handle h : ax.children) {
        const GraphicsObject& o = model.object(h);
        if (!o.visible || o.type != ObjectType::Text)
            continue;
        const TextData& t = o.as<TextData>();
        if (t.kind == LabelKind::Landmark)
            continue;
        const auto n = wholeNumber(t.string);
        if (!n)
            continue;
        if (t.labelled)
            numberOf.emplace(*t.labelled, *n);
        else
            numberAt.emplace(t.kind == LabelKind::Line ? t.anchor : t.position, *n);
    }
    for (Handle h : ax.children) {
        const GraphicsObject& o = model.object(h);
        if (!o.visible || o.type != ObjectType::Line)
            continue;
        const LineData& line = o.as<LineData>();
        if (line.marker != Marker::None && targets.landmarks.empty())
            targets.landmarks = line.points;
        if (line.points.size() != 2 || line.style == LineStyle::None)
            continue;
        const Point3& a = line.points[0];
        const Point3& b = line.points[1];
        if (const auto linked = numberOf.find(h); linked != numberOf.end()) {
            targets.lines.push_back({linked->second, a, b});
            continue;
        }
        const auto it = numberAt.find({(a[0] + b[0]) / 2, (a[1] + b[1]) / 2, (a[2] + b[2]) / 2});
        if (it != numberAt.end())
            targets.lines.push_back({it->second, a, b});
    }
    return targets;
}

std::optional<Pick> pickAt(const Projection& projection, const PickTargets& targets, PixelPoint at,
                           double landmarkRadius, double lineRadius)
{
    constexpr double kOverlap = 1.0;  // pixels: closer than this, two markers are one spot
    std::optional<std::size_t> best;
    double bestDistance = std::numeric_limits<double>::infinity(), bestDepth = 0;
    for (std::size_t i = 0; i < targets.landmarks.size(); ++i) {
        const Point3& p = targets.landmarks[i];
        if (!finite(p))
            continue;
        const PixelPoint q = projection.toPixel(p);
        const double d = std::hypot(q.x - at.x, q.y - at.y);
        if (d > landmarkRadius || d > bestDistance + kOverlap)
            continue;
        const double depth = projection.towardsViewer(p);
        if (d < bestDistance - kOverlap || depth > bestDepth) {
            best = i;
            bestDistance = d;
            bestDepth = depth;
        }
    }
    if (best)
        return Pick{PickKind::Landmark, *best + 1};

    std::optional<std::size_t> line;
    double lineDistance = lineRadius;
    for (const PickTargets::Line& l : targets.lines) {
        const PixelPoint a = projection.toPixel(l.from), b = projection.toPixel(l.to);
        const double vx = b.x - a.x, vy = b.y - a.y;
        const double len2 = vx * vx + vy * vy;
        const double t = len2 > 0 ? std::clamp(((at.x - a.x) * vx + (at.y - a.y) * vy) / len2, 0.0, 1.0) : 0.0;
        const double d = std::hypot(a.x + t * vx - at.x, a.y + t * vy - at.y);
        if (d <= lineDistance) {
            lineDistance = d;
            line = l.number;
        }
    }
    if (line)
        return Pick{PickKind::Line, *line};
    return std::nullopt;
}

}  // namespace vezedo::platform
