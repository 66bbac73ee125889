// The scene walker's drawing decisions, seen through a renderer that records its primitives.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "platform/scene.h"

using namespace vezedo;
using namespace vezedo::platform;

namespace {

struct Recorded {
    PixelPoint at;
    Rgb color;
    std::string text;
    FontSpec font;
    TextAnchor anchor = TextAnchor::Left;
};

class RecordingRenderer : public Renderer {
public:
    std::vector<Recorded> texts, labels, markers;
    std::vector<Rgb> edged;  // the colours of the lines drawn over a dark edge

    void background(const Rgb&) override {}
    void polyline(std::span<const PixelPoint>, const Rgb&, LineStyle, double) override {}
    void edgedPolyline(std::span<const PixelPoint>, const Rgb& c, const Rgb&, LineStyle, double) override
    {
        edged.push_back(c);
    }
    void marker(PixelPoint at, platform::Marker, const Rgb& c, double) override
    {
        markers.push_back({at, c, {}, {}, {}});
    }
    void text(PixelPoint at, std::string_view t, const Rgb& c, const FontSpec& f, TextAnchor a) override
    {
        texts.push_back({at, c, std::string(t), f, a});
    }
    void label(PixelPoint at, std::string_view t, const Rgb& c, const FontSpec& f, TextAnchor a) override
    {
        labels.push_back({at, c, std::string(t), f, a});
    }
    bool wrote(const std::string& text) const
    {
        return std::ranges::any_of(texts, [&](const Recorded& r) { return r.text == text; });
    }
};

// A shape of n landmarks on a helix with numbered landmark labels, as the controller draws it.
struct Shape {
    GraphicsModel model;
    Handle axes = model.currentAxes(model.createFigure());
    std::vector<Point3> points;

    explicit Shape(std::size_t n, double scale = 1.0)
    {
        for (std::size_t i = 0; i < n; ++i) {
            const double t = static_cast<double>(i) / static_cast<double>(n) * 12.0;
            points.push_back({scale * std::cos(t), scale * std::sin(t), scale * (t / 6 - 1)});
        }
        model.plot3(axes, points, parseLineSpec("ro"));
        model.setHold(axes, true);
        model.setAxisEqual(axes);
        for (std::size_t i = 0; i < n; ++i) {
            const Handle t = model.text3(axes, points[i], std::to_string(i + 1));
            model.setLabel(t, LabelKind::Landmark, points[i]);
        }
    }
    void line(std::size_t a, std::size_t b, const char* style, std::size_t number)
    {
        const Point3 &p = points[a - 1], &q = points[b - 1];
        model.plot3(axes, {p, q}, parseLineSpec(style));
        const Point3 mid{(p[0] + q[0]) / 2, (p[1] + q[1]) / 2, (p[2] + q[2]) / 2};
        const Handle t = model.text3(axes, mid, std::to_string(number));
        model.set(t, "Color", Value("r"));
        model.setLabel(t, LabelKind::Line, mid);
    }
    RecordingRenderer render(const SceneOptions& options = {}, double w = 600, double h = 500)
    {
        RecordingRenderer r;
        renderAxes(model, axes, r, w, h, options);
        return r;
    }
    PixelPoint pixel(const Point3& p) const { return projectionOf(model, axes, 600, 500).toPixel(p); }
};

// Axes holding the points as blue circles, seen from the front (from -y): y = -1 is in front
// of y = 1.
Handle frontView(GraphicsModel& m, const std::vector<Point3>& points)
{
    const Handle axes = m.currentAxes(m.createFigure());
    m.plot3(axes, points, parseLineSpec("bo"));
    m.setCamera(axes, {.azimuth = 0, .elevation = 0});
    return axes;
}

const Rgb kTick{0.25, 0.25, 0.25};
const auto byName = [](const auto& row) { return std::string(row.param.name); };

}  // namespace

struct TickCase {
    const char* name;
    double scale, azimuth, elevation, width, height;
};

class TickLabels : public testing::TestWithParam<TickCase> {};

TEST_P(TickLabels, NeverOverlap)
{
    Shape s(20, GetParam().scale);
    s.model.setCamera(s.axes, {.azimuth = GetParam().azimuth, .elevation = GetParam().elevation});
    RecordingRenderer r = s.render({}, GetParam().width, GetParam().height);
    std::vector<std::array<double, 4>> boxes;
    for (const Recorded& t : r.texts) {
        if (!(t.color == kTick) || t.text == "x" || t.text == "y" || t.text == "z")
            continue;
        const double w = r.textWidth(t.text, t.font), h = t.font.size * 4.0 / 3.0;
        boxes.push_back({t.at.x - w / 2, t.at.y - h / 2, t.at.x + w / 2, t.at.y + h / 2});
    }
    ASSERT_GE(boxes.size(), 3u);
    for (std::size_t i = 0; i < boxes.size(); ++i)
        for (std::size_t j = i + 1; j < boxes.size(); ++j) {
            const auto &a = boxes[i], &b = boxes[j];
            EXPECT_FALSE(a[0] < b[2] && b[0] < a[2] && a[1] < b[3] && b[1] < a[3])
                << "tick labels " << i << " and " << j << " overlap";
        }
}

INSTANTIATE_TEST_SUITE_P(Views, TickLabels,
                         testing::Values(TickCase{"Default", 1, -37.5, 30, 600, 500},
                                         TickCase{"SmallWindow", 1, -37.5, 30, 220, 180},
                                         TickCase{"LongNumbers", 123456.789, 20, 10, 400, 300},
                                         TickCase{"EdgeOn", 1, 0, 0, 300, 250},
                                         TickCase{"FromAbove", 1e-4, 45, 90, 300, 250}),
                         byName);

// Axes are named x, y and z until a caption replaces the name; a legend names each block
// beside a sample of its line.
TEST(Scene, AxesNamesCaptionAndLegend)
{
    Shape s(5);
    for (const char* name : {"x", "y", "z"})
        EXPECT_TRUE(s.render().wrote(name)) << name;
    s.model.set(s.model.yLabel(s.axes), "String", Value("Centroid size"));
    s.model.setLegend(s.axes,
                      {{"Block 1", {1, 0, 0}, LineStyle::Solid, 1.5}, {"Block 2", {1, 1, 0}, LineStyle::Dotted, 1.5}});
    const RecordingRenderer r = s.render();
    EXPECT_TRUE(r.wrote("Centroid size"));
    EXPECT_FALSE(r.wrote("y"));
    EXPECT_TRUE(r.wrote("Block 1"));
    EXPECT_TRUE(r.wrote("Block 2"));
    EXPECT_EQ(r.edged, (std::vector<Rgb>{{1, 1, 0}}));  // the yellow sample
}

// Yellow and cyan lines are drawn over a dark edge so that they read on white; others are not.
TEST(Scene, OnlyLightLinesGetADarkEdge)
{
    const struct {
        const char* style;
        bool edged;
    } cases[] = {{"y", true}, {"c:", true}, {"k", false}, {"r", false}, {"b:", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.style);
        Shape s(5);
        s.model.plot3(s.axes, {s.points[0], s.points[3]}, parseLineSpec(c.style));
        EXPECT_EQ(s.render().edged.size(), c.edged ? 1u : 0u);
    }
}

struct NumberCase {
    const char* name;
    std::size_t landmarks;
    LabelSwitch labels;
    std::vector<std::size_t> emphasised;
    std::vector<std::string> expected;  // empty: every number
};

class LandmarkNumbers : public testing::TestWithParam<NumberCase> {};

TEST_P(LandmarkNumbers, ShowAsTheSwitchAndTheCountSay)
{
    Shape s(GetParam().landmarks);
    s.line(3, 40, "k", 1);
    SceneOptions options;
    options.landmarkNumbers = GetParam().labels;
    options.lineNumbers = false;
    for (std::size_t n : GetParam().emphasised)
        options.emphasised.push_back(s.points[n - 1]);
    std::vector<std::string> shown;
    for (const Recorded& l : s.render(options).labels)
        shown.push_back(l.text);
    std::sort(shown.begin(), shown.end());
    std::vector<std::string> expected = GetParam().expected;
    if (expected.empty())
        for (std::size_t i = 1; i <= GetParam().landmarks; ++i)
            expected.push_back(std::to_string(i));
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(shown, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Counts, LandmarkNumbers,
    testing::Values(NumberCase{"FewShowAll", 150, LabelSwitch::Auto, {}, {}},
                    NumberCase{"ManyShowLineEndsOnly", 151, LabelSwitch::Auto, {}, {"3", "40"}},
                    NumberCase{"ManyShowPickedToo", 400, LabelSwitch::Auto, {77, 300}, {"3", "40", "77", "300"}},
                    NumberCase{"ManySwitchedOn", 200, LabelSwitch::On, {}, {}},
                    NumberCase{"FewSwitchedOffShowPicked", 50, LabelSwitch::Off, {7}, {"7"}}),
    byName);

struct ZoomCase {
    const char* name;
    double zoom, scale;
};

class LabelPlacement : public testing::TestWithParam<ZoomCase> {};

// Landmark numbers keep their place above right of their marker; line numbers move to make room
// (tests/test_labelspace.cpp).
TEST_P(LabelPlacement, LandmarkNumbersSitAFixedPixelOffsetAboveRightOfTheirMarker)
{
    Shape s(8, GetParam().scale);
    s.line(2, 6, "k", 1);
    s.model.setCamera(s.axes, {.zoom = GetParam().zoom});
    const RecordingRenderer r = s.render();
    std::size_t seen = 0;
    for (const Recorded& l : r.labels) {
        if (l.color == Rgb{1, 0, 0})
            continue;  // the line's number
        const std::size_t n = std::stoul(l.text);
        const PixelPoint at = s.pixel(s.points[n - 1]);
        EXPECT_EQ(l.anchor, TextAnchor::Left) << n;
        EXPECT_NEAR(l.at.x - at.x, kLabelOffset, 1e-6) << n;
        EXPECT_NEAR(l.at.y - at.y, -kLabelOffset, 1e-6) << n;
        ++seen;
    }
    EXPECT_EQ(seen, 8u);
}

INSTANTIATE_TEST_SUITE_P(Zooms, LabelPlacement,
                         testing::Values(ZoomCase{"Whole", 1, 1}, ZoomCase{"ZoomedOut", 0.3, 1},
                                         ZoomCase{"ZoomedIn", 5, 1}, ZoomCase{"ThousandTimesLarger", 1, 1000},
                                         ZoomCase{"TinyData", 2, 1e-3}),
                         byName);

TEST(Scene, MarkersBehindTheCentreAreLighterThanThoseInFront)
{
    GraphicsModel m;
    const Handle axes = frontView(m, {{0, -1, 0}, {0, 1, 0}});
    RecordingRenderer r;
    renderAxes(m, axes, r, 400, 300);
    ASSERT_EQ(r.markers.size(), 2u);
    EXPECT_EQ(r.markers[0].color, (Rgb{0, 0, 1}));
    EXPECT_GT(r.markers[1].color.r, 0.3);
    EXPECT_GT(r.markers[1].color.g, 0.3);
}

TEST(Picking, TheFrontMostOfTwoOverlappingLandmarksIsPicked)
{
    GraphicsModel m;
    // Landmarks 1 and 2 fall on the same pixel; 2 is nearer the viewer.
    const Handle axes = frontView(m, {{0, 1, 0}, {0, -1, 0}, {1, 0, 1}});
    const Projection proj = projectionOf(m, axes, 400, 300);
    const PixelPoint at = proj.toPixel({0, 0, 0});
    EXPECT_EQ(pickAt(proj, pickTargets(m, axes), {at.x + 2, at.y}), (Pick{PickKind::Landmark, 2}));
}

TEST(Picking, TheNearestOnScreenWinsOverOneInFront)
{
    GraphicsModel m;
    const Handle axes = frontView(m, {{0, 1, 0}, {0.1, -1, 0}, {1, 0, 1}});
    const Projection proj = projectionOf(m, axes, 400, 300);
    const PixelPoint first = proj.toPixel({0, 1, 0}), second = proj.toPixel({0.1, -1, 0});
    ASSERT_GT(second.x - first.x, 4.0);
    EXPECT_EQ(pickAt(proj, pickTargets(m, axes), {first.x - 1, first.y}), (Pick{PickKind::Landmark, 1}));
}

namespace {

struct FitCase {
    const char* name;
    std::vector<Point3> points;
    double width, height;
    double share;  // of the smaller side that the markers span at least, one way or the other
};

std::vector<Point3> rod(double length)
{
    std::vector<Point3> points;
    for (int i = 0; i <= 20; ++i)
        points.push_back({length * i / 20.0, 0.02 * (i % 3), 0.03 * (i % 2)});
    return points;
}

std::vector<Point3> disc(double cx, double cy, double cz, double radius)
{
    std::vector<Point3> points;
    for (int i = 0; i < 24; ++i)
        points.push_back({cx + radius * std::cos(i * 0.2618), cy + radius * std::sin(i * 0.2618), cz});
    return points;
}

std::vector<Point3> cube()
{
    std::vector<Point3> points;
    for (int i = 0; i < 8; ++i)
        points.push_back({i & 1 ? 2.0 : -1.0, i & 2 ? 2.0 : -1.0, i & 4 ? 2.0 : -1.0});
    points.push_back({0.5, 0.5, 0.5});
    return points;
}

class DefaultView : public testing::TestWithParam<FitCase> {};

}  // namespace

// The default view fits what is shown to the pane: the markers span most of it, none falls
// outside it, and none does when the shape is turned any way either (the fit does not depend on
// the direction of view, so turning never makes the shape grow or shrink).
TEST_P(DefaultView, TheShapeFillsThePaneWithNothingOutsideIt)
{
    const FitCase& c = GetParam();
    GraphicsModel m;
    const Handle axes = m.currentAxes(m.createFigure());
    m.plot3(axes, c.points, parseLineSpec("bo"));
    m.setAxisEqual(axes);
    const double side = std::min(c.width, c.height);
    for (const double azimuth : {Camera::kDefaultAzimuth, 0.0, 60.0, 135.0, -100.0}) {
        for (const double elevation : {Camera::kDefaultElevation, 0.0, 90.0, -45.0}) {
            SCOPED_TRACE(testing::Message() << "azimuth " << azimuth << ", elevation " << elevation);
            m.setCamera(axes, {.azimuth = azimuth, .elevation = elevation});
            RecordingRenderer r;
            renderAxes(m, axes, r, c.width, c.height);
            ASSERT_EQ(r.markers.size(), c.points.size());
            double left = c.width, right = 0, top = c.height, bottom = 0;
            for (const Recorded& marker : r.markers) {
                left = std::min(left, marker.at.x);
                right = std::max(right, marker.at.x);
                top = std::min(top, marker.at.y);
                bottom = std::max(bottom, marker.at.y);
            }
            // Inside, with room for a marker and its number on every side.
            EXPECT_GE(left, 0.04 * side);
            EXPECT_LE(right, c.width - 0.04 * side);
            EXPECT_GE(top, 0.04 * side);
            EXPECT_LE(bottom, c.height - 0.04 * side);
            if (azimuth == Camera::kDefaultAzimuth && elevation == Camera::kDefaultElevation) {
                EXPECT_GE(std::max(right - left, bottom - top), c.share * side);
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Shapes, DefaultView,
                         testing::Values(FitCase{"Flat", disc(0, 0, 0, 1), 600, 500, 0.85},
                                         FitCase{"FlatFarFromTheOrigin", disc(1234, -567, 89, 0.01), 600, 500, 0.85},
                                         FitCase{"LongAndThin", rod(10), 600, 500, 0.7},
                                         FitCase{"TallPane", rod(10), 300, 700, 0.7},
                                         FitCase{"CubeLike", cube(), 600, 500, 0.7},
                                         FitCase{"WidePane", cube(), 900, 300, 0.7}),
                         byName);
