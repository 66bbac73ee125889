// Where the scene walker puts protocol line numbers: never on another label or on a marker, and
// beside their own line. Seen through a renderer that records what it is asked to draw.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "platform/labelspace.h"
#include "platform/scene.h"

using namespace vezedo::platform;

namespace {

struct Drawn {
    PixelPoint at;
    std::string text;
    TextAnchor anchor;
    double size;  // the font's size in points
};

class RecordingRenderer : public Renderer {
public:
    std::vector<Drawn> labels;
    std::vector<std::pair<PixelPoint, double>> markers;  // centre and diameter

    void background(const Rgb&) override {}
    void polyline(std::span<const PixelPoint>, const Rgb&, LineStyle, double) override {}
    void marker(PixelPoint at, Marker, const Rgb&, double size) override { markers.push_back({at, size}); }
    void text(PixelPoint, std::string_view, const Rgb&, const FontSpec&, TextAnchor) override {}
    void label(PixelPoint at, std::string_view t, const Rgb&, const FontSpec& f, TextAnchor a) override
    {
        labels.push_back({at, std::string(t), a, f.size});
    }
};

// The glyphs of a label as the renderer's own measure gives them: as wide as textWidth says and
// as tall as the font's size in pixels (4/3 of its points), vertically centred on `at`.
PixelBox glyphs(RecordingRenderer& r, const Drawn& d)
{
    const double w = r.textWidth(d.text, FontSpec{.size = d.size});
    const double h = d.size * 4.0 / 3.0;
    const double left = d.anchor == TextAnchor::Left     ? d.at.x
                        : d.anchor == TextAnchor::Centre ? d.at.x - w / 2
                                                         : d.at.x - w;
    return {left, d.at.y - h / 2, left + w, d.at.y + h / 2};
}

double distanceToSegment(PixelPoint p, PixelPoint a, PixelPoint b)
{
    const double vx = b.x - a.x, vy = b.y - a.y, len2 = vx * vx + vy * vy;
    const double t = len2 > 0 ? std::clamp(((p.x - a.x) * vx + (p.y - a.y) * vy) / len2, 0.0, 1.0) : 0.0;
    return std::hypot(a.x + t * vx - p.x, a.y + t * vy - p.y);
}

// Landmarks in the x-z plane seen from the front, so that x runs right and z up on screen; each
// numbered above right of its star, and numbered lines between them as the controller draws them.
struct Plot {
    GraphicsModel model;
    Handle axes = model.currentAxes(model.createFigure());
    std::vector<Point3> landmarks;
    std::vector<std::pair<std::size_t, std::size_t>> lines;  // landmark numbers, from 1

    Plot(const std::vector<std::array<double, 2>>& xz, const std::vector<std::pair<std::size_t, std::size_t>>& l)
        : lines(l)
    {
        for (const auto& p : xz)
            landmarks.push_back({p[0], 0, p[1]});
        model.plot3(axes, landmarks, parseLineSpec("b*"));
        model.setHold(axes, true);
        model.setAxisEqual(axes);
        model.setCamera(axes, {.azimuth = 0, .elevation = 0});
        for (std::size_t i = 0; i < landmarks.size(); ++i)
            model.setLabel(model.text3(axes, landmarks[i], std::to_string(i + 1)), LabelKind::Landmark, landmarks[i]);
        for (std::size_t k = 0; k < lines.size(); ++k) {
            const Point3 &a = landmarks[lines[k].first - 1], &b = landmarks[lines[k].second - 1];
            model.plot3(axes, {a, b}, parseLineSpec("k"));
            const Point3 mid{(a[0] + b[0]) / 2, (a[1] + b[1]) / 2, (a[2] + b[2]) / 2};
            const Handle t = model.text3(axes, mid, "L" + std::to_string(k + 1));
            model.set(t, "Color", Value("r"));
            model.setLabel(t, LabelKind::Line, mid);
        }
    }
    RecordingRenderer render(double w = 500, double h = 400) const
    {
        RecordingRenderer r;
        renderAxes(model, axes, r, w, h);
        return r;
    }
    PixelPoint pixel(std::size_t landmark, double w = 500, double h = 400) const
    {
        return projectionOf(model, axes, w, h).toPixel(landmarks[landmark - 1]);
    }
};

std::vector<std::array<double, 2>> circle(std::size_t n, double radius, bool withCentre)
{
    std::vector<std::array<double, 2>> points;
    if (withCentre)
        points.push_back({0, 0});
    for (std::size_t i = 0; i < n; ++i) {
        const double a = 2 * 3.14159265358979323846 * static_cast<double>(i) / static_cast<double>(n);
        points.push_back({radius * std::cos(a), radius * std::sin(a)});
    }
    return points;
}

struct PlacementCase {
    const char* name;
    std::vector<std::array<double, 2>> landmarks;
    std::vector<std::pair<std::size_t, std::size_t>> lines;
};

class LineNumberPlacement : public testing::TestWithParam<PlacementCase> {};

const auto byName = [](const auto& row) { return std::string(row.param.name); };

}  // namespace

TEST_P(LineNumberPlacement, KeepsClearOfLabelsAndMarkersBesideItsOwnLine)
{
    const Plot plot(GetParam().landmarks, GetParam().lines);
    RecordingRenderer r = plot.render();
    std::vector<const Drawn*> lineLabels;
    for (const Drawn& d : r.labels)
        if (d.text[0] == 'L')
            lineLabels.push_back(&d);
    ASSERT_EQ(lineLabels.size(), plot.lines.size());
    for (const Drawn* line : lineLabels) {
        SCOPED_TRACE(line->text);
        const PixelBox box = glyphs(r, *line);
        for (const Drawn& other : r.labels) {
            if (&other == line)
                continue;
            EXPECT_FALSE(box.overlaps(glyphs(r, other))) << "covers label " << other.text;
        }
        for (const auto& [at, size] : r.markers)
            EXPECT_FALSE(box.overlaps({at.x - size / 2, at.y - size / 2, at.x + size / 2, at.y + size / 2}))
                << "covers the marker at " << at.x << ", " << at.y;
        // Beside its own line: no further from it than its own diagonal and one more row of text.
        const auto& [a, b] = plot.lines[std::stoul(line->text.substr(1)) - 1];
        const double reach = std::hypot(box.right - box.left, box.bottom - box.top) + (box.bottom - box.top);
        EXPECT_LE(distanceToSegment(line->at, plot.pixel(a), plot.pixel(b)), reach);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, LineNumberPlacement,
    testing::Values(
        // The middle of 1-2 is landmark 3, whose star and number sit where the number used to go.
        PlacementCase{"MiddleOnALandmark", {{-1, 0}, {1, 0}, {0, 0}, {0, 1}}, {{1, 2}}},
        PlacementCase{"CrossingLinesShareTheirMiddle", {{-1, -1}, {1, 1}, {-1, 1}, {1, -1}}, {{1, 2}, {3, 4}}},
        PlacementCase{"UprightLineThroughALandmark", {{0, -1}, {0, 1}, {0, 0}, {1, 0}}, {{1, 2}, {3, 4}}},
        PlacementCase{
            "StarOfSpokes",
            circle(12, 1, true),
            {{1, 2}, {1, 3}, {1, 4}, {1, 5}, {1, 6}, {1, 7}, {1, 8}, {1, 9}, {1, 10}, {1, 11}, {1, 12}, {1, 13}}},
        PlacementCase{
            "DiametersThroughOneMiddle", circle(12, 1, true), {{2, 8}, {3, 9}, {4, 10}, {5, 11}, {6, 12}, {7, 13}}},
        PlacementCase{"ChainOfShortLines",
                      {{0, 0}, {0.1, 0}, {0.2, 0}, {0.3, 0}, {0.4, 0}, {0.5, 0}, {1, 1}},
                      {{1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 6}}}),
    byName);

// A line's number goes beside the line's middle when nothing is there.
TEST(LineNumberPlacement, SitsAtTheMiddleOfALineWithNothingNearIt)
{
    const Plot plot({{-1, 0}, {1, 0}, {0, 1}}, {{1, 2}});
    const RecordingRenderer r = plot.render();
    const auto it = std::ranges::find(r.labels, std::string("L1"), &Drawn::text);
    ASSERT_NE(it, r.labels.end());
    const PixelPoint a = plot.pixel(1), b = plot.pixel(2);
    EXPECT_NEAR(it->at.x, (a.x + b.x) / 2, 1e-9);
    EXPECT_GT(it->at.y, a.y);  // below the level line
    EXPECT_LT(it->at.y, a.y + 20);
}

// With no free spot left (thousands of landmarks on a small viewport), every number is still
// drawn: at the old place below left of the line's middle.
TEST(LineNumberPlacement, FallsBackBelowLeftOfTheMiddleWhenNothingIsFree)
{
    std::vector<std::array<double, 2>> grid;
    for (double x = 0; x < 40; ++x)
        for (double z = 0; z < 40; ++z)
            grid.push_back({x, z});
    const Plot plot(grid, {{1, 40 * 40}, {40, 40 * 39 + 1}});
    const RecordingRenderer r = plot.render(200, 160);
    for (const char* name : {"L1", "L2"}) {
        const auto it = std::ranges::find(r.labels, std::string(name), &Drawn::text);
        ASSERT_NE(it, r.labels.end()) << name;
        const PixelPoint mid = projectionOf(plot.model, plot.axes, 200, 160).toPixel({19.5, 0, 19.5});
        EXPECT_EQ(it->anchor, TextAnchor::Right) << name;
        EXPECT_NEAR(it->at.x, mid.x - kLabelOffset, 1e-9) << name;
        EXPECT_NEAR(it->at.y, mid.y + kLabelOffset, 1e-9) << name;
    }
}

// The grid of occupied cells answers as comparing with every box would, also for boxes that
// reach past the viewport or lie wholly outside it.
TEST(OccupiedPixels, AgreesWithComparingEveryBox)
{
    const std::vector<PixelBox> taken = {
        {10, 10, 30, 20}, {-50, -50, -40, -40}, {480, 380, 600, 500}, {0, 100, 500, 101}, {250, -10, 251, 410}};
    OccupiedPixels grid(500, 400);
    for (const PixelBox& b : taken)
        grid.take(b);
    for (double x = -80; x < 580; x += 7)
        for (double y = -80; y < 480; y += 7) {
            const PixelBox probe{x, y, x + 11, y + 5};
            const bool free = std::ranges::none_of(taken, [&](const PixelBox& b) { return b.overlaps(probe); });
            ASSERT_EQ(grid.isFree(probe), free) << x << ", " << y;
        }
}
