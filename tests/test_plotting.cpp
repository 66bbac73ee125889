#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "display/display.h"
#include "harness.h"
#include "platform/error.h"
#include "platform/graphics.h"

using namespace vezedo;
using platform::GraphicsModel;
using platform::Handle;
using platform::LandmarkSet;
using platform::LineData;
using platform::LineStyle;
using platform::Marker;
using platform::Matrix;
using platform::Point3;
using platform::Value;

namespace {

std::string errorOf(const auto& action)
{
    try {
        action();
    } catch (const Error& e) {
        return e.what();
    }
    return "no error";
}

// The lines drawn in an axes; hidden objects such as the label are left out.
std::vector<LineData> linesOf(const GraphicsModel& model, Handle axes)
{
    std::vector<LineData> lines;
    for (Handle child : model.object(axes).children)
        if (model.object(child).type == platform::ObjectType::Line)
            lines.push_back(model.object(child).as<LineData>());
    return lines;
}

std::vector<Point3> rowsOf(const Matrix& x)
{
    std::vector<Point3> points;
    for (std::size_t i = 0; i < x.rows(); ++i)
        points.push_back({x(i, 0), x(i, 1), x(i, 2)});
    return points;
}

const platform::Rgb kBlue{0, 0, 1};
const platform::Rgb kRed{1, 0, 0};

Matrix triangle()
{
    return Matrix::fromRows({{0, 0, 0}, {3, 0, 0}, {0, 3, 1}});
}

Matrix square()
{
    return Matrix::fromRows({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}});
}

LandmarkSet threeSpecimens()
{
    // Row k: landmark 1 at (k, 0, 0), landmark 2 at (0, k, 0).
    return display::vertxy3D(Matrix::fromRows({{1, 0, 0, 0, 1, 0}, {2, 0, 0, 0, 2, 0}, {3, 0, 0, 0, 3, 0}}));
}

// --- vertxy3D ---

struct TableCase {
    const char* name;
    Matrix table;
    std::size_t landmarks;
    std::size_t specimens;
};

void PrintTo(const TableCase& c, std::ostream* os)
{
    *os << c.name;
}

class VertxyTables : public testing::TestWithParam<TableCase> {};

TEST_P(VertxyTables, RowsBecomeSpecimensAndTriplesBecomeLandmarks)
{
    const TableCase& c = GetParam();
    const LandmarkSet y = display::vertxy3D(c.table);
    ASSERT_EQ(y.landmarks(), c.landmarks);
    ASSERT_EQ(y.specimens(), c.specimens);
    for (std::size_t k = 0; k < c.specimens; ++k)
        for (std::size_t i = 0; i < c.landmarks; ++i)
            for (std::size_t j = 0; j < 3; ++j)
                EXPECT_EQ(y(i, j, k), c.table(k, 3 * i + j)) << "landmark " << i + 1 << " specimen " << k + 1;
}

INSTANTIATE_TEST_SUITE_P(
    Vertxy, VertxyTables,
    testing::Values(TableCase{"OneRowOfTwoLandmarks", Matrix::rowVector({1, 2, 3, 4, 5, 6}), 2, 1},
                    // The numeric table's last column, the centroid size, falls outside every triple.
                    TableCase{"CentroidSizeColumnDropped",
                              Matrix::fromRows({{1, 2, 3, 4, 5, 6, 70}, {7, 8, 9, 10, 11, 12, 80},
                                                {13, 14, 15, 16, 17, 18, 90}}),
                              2, 3},
                    TableCase{"TwoSurplusColumns", Matrix::fromRows({{1, 2, 3, 4, 5}, {6, 7, 8, 9, 10}}), 1, 2},
                    TableCase{"Empty", Matrix(), 0, 0}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(Vertxy, OneRowGivesPlainTwoByThreeRowsThroughTheRegistry)
{
    test::Harness h;
    const auto out = h.program.registry().call("vertxy3D", {Value(Matrix::rowVector({1, 2, 3, 4, 5, 6}))}, 1);
    ASSERT_TRUE(out.at(0).isMatrix());
    EXPECT_EQ(out[0].matrix(), Matrix::fromRows({{1, 2, 3}, {4, 5, 6}}));
    const auto set = h.program.registry().call("vertxy3D", {Value(Matrix(4, 7, 1.0))}, 1);
    ASSERT_TRUE(set.at(0).isLandmarkSet());
    EXPECT_EQ(set[0].landmarkSet().landmarks(), 2u);
    EXPECT_EQ(set[0].landmarkSet().specimens(), 4u);
}

TEST(Vertxy, ATableWithoutAWholeLandmarkIsRefused)
{
    EXPECT_EQ(errorOf([] { display::vertxy3D(Matrix::rowVector({1, 2})); }),
              "vertxy3D: a coordinate table needs at least 3 columns (x, y, z of one landmark); found 1 x 2");
}

// --- showshape3D ---

TEST(ShowShape, OneShapeIsOneMarkerSetAndLeavesHoldOnWithEqualAxes)
{
    GraphicsModel model;
    display::showshape3D(model, LandmarkSet(triangle()), "b*");
    const Handle axes = model.currentAxesOrNew();
    const auto lines = linesOf(model, axes);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].points, rowsOf(triangle()));
    EXPECT_EQ(lines[0].marker, Marker::Star);
    EXPECT_EQ(lines[0].style, LineStyle::None);  // markers only
    EXPECT_EQ(lines[0].color, kBlue);
    const auto& ad = model.object(axes).as<platform::AxesData>();
    EXPECT_TRUE(ad.hold);
    EXPECT_TRUE(ad.limitsAuto);
    EXPECT_TRUE(ad.equal);
}

TEST(ShowShape, EverySpecimenOfASetIsItsOwnMarkerSetInTheSameAxes)
{
    GraphicsModel model;
    display::showshape3D(model, threeSpecimens(), "ro");
    const auto lines = linesOf(model, model.currentAxesOrNew());
    ASSERT_EQ(lines.size(), 3u);
    for (std::size_t k = 0; k < 3; ++k) {
        const double v = static_cast<double>(k + 1);
        EXPECT_EQ(lines[k].points, (std::vector<Point3>{{v, 0, 0}, {0, v, 0}}));
        EXPECT_EQ(lines[k].marker, Marker::Circle);
        EXPECT_EQ(lines[k].color, kRed);
    }
}

TEST(ShowShape, FirstSliceReplacesWhatAnAxesWithoutHoldShowedLaterCallsAddToIt)
{
    GraphicsModel model;
    const Handle axes = model.currentAxesOrNew();
    model.plot3(axes, {{9, 9, 9}, {8, 8, 8}}, platform::parseLineSpec("k-"));
    display::showshape3D(model, LandmarkSet(triangle()), "b*");
    ASSERT_EQ(linesOf(model, axes).size(), 1u);  // the old line is gone
    display::showshape3D(model, LandmarkSet(square()), "r+");
    const auto lines = linesOf(model, axes);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].points, rowsOf(triangle()));
    EXPECT_EQ(lines[1].points, rowsOf(square()));
    EXPECT_EQ(lines[1].marker, Marker::Plus);
}

TEST(ShowShape, RefusesABadStyleOrNoShapeBeforeDrawingAnything)
{
    GraphicsModel model;
    EXPECT_NE(errorOf([&] { display::showshape3D(model, LandmarkSet(triangle()), "q?"); }), "no error");
    EXPECT_EQ(errorOf([&] { display::showshape3D(model, LandmarkSet(), "b*"); }),
              "showshape3D: there is no shape to draw: the landmark data set is empty");
    EXPECT_TRUE(model.figures().empty());
}

// --- wire3d ---

TEST(Wire, EachRowIsOneTwoPointLineInTheDefaultBlueSolid)
{
    GraphicsModel model;
    const Handle axes = model.currentAxesOrNew();
    model.setHold(axes, true);
    display::wire3d(model, square(), Matrix::fromRows({{1, 1, 2}, {7, 4, 3}}));
    const auto lines = linesOf(model, axes);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].points, (std::vector<Point3>{{0, 0, 0}, {1, 0, 0}}));
    EXPECT_EQ(lines[1].points, (std::vector<Point3>{{0, 1, 0}, {1, 1, 0}}));
    for (const LineData& line : lines) {
        EXPECT_EQ(line.color, kBlue);
        EXPECT_EQ(line.style, LineStyle::Solid);
        EXPECT_EQ(line.marker, Marker::None);
    }
}

TEST(Wire, LeavesHoldAndAxisModesAsTheyWere)
{
    GraphicsModel model;
    const Handle axes = model.currentAxesOrNew();
    model.setHold(axes, true);
    auto& ad = model.object(axes).as<platform::AxesData>();
    ad.limitsAuto = false;  // as after a zoom by hand
    display::wire3d(model, square(), Matrix::fromRows({{1, 1, 2}, {2, 2, 3}}), "k-");
    EXPECT_EQ(linesOf(model, axes).size(), 2u);
    EXPECT_TRUE(ad.hold);
    EXPECT_FALSE(ad.limitsAuto);
    EXPECT_FALSE(ad.equal);
}

TEST(Wire, WithoutHoldEveryLineReplacesTheOneBefore)
{
    GraphicsModel model;
    const Handle axes = model.currentAxesOrNew();
    display::wire3d(model, square(), Matrix::fromRows({{1, 1, 2}, {2, 2, 3}, {3, 3, 4}}), "k-");
    const auto lines = linesOf(model, axes);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].points, (std::vector<Point3>{{1, 1, 0}, {0, 1, 0}}));
    EXPECT_FALSE(model.object(axes).as<platform::AxesData>().hold);
}

TEST(Wire, AnEmptyWireListDrawsNothingAndOpensNoWindow)
{
    GraphicsModel model;
    display::wire3d(model, square(), Matrix());
    EXPECT_TRUE(model.figures().empty());
}

struct BadWireCase {
    const char* name;
    Matrix wirelist;
    std::string message;
};

void PrintTo(const BadWireCase& c, std::ostream* os)
{
    *os << c.name;
}

class WireRefuses : public testing::TestWithParam<BadWireCase> {};

TEST_P(WireRefuses, WithAMessageNamingTheRowAndTheLandmarkAndDrawsNothing)
{
    GraphicsModel model;
    const Handle axes = model.currentAxesOrNew();
    model.setHold(axes, true);
    EXPECT_EQ(errorOf([&] { display::wire3d(model, square(), GetParam().wirelist, "k-"); }), GetParam().message);
    EXPECT_TRUE(linesOf(model, axes).empty());
}

const double kNaN = std::numeric_limits<double>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    Wire, WireRefuses,
    testing::Values(
        BadWireCase{"PastTheLastLandmark", Matrix::fromRows({{1, 1, 2}, {2, 3, 12}}),
                    "wire3d, row 2 of the wire list: landmark 12 does not exist: the shape has 4 landmarks"},
        BadWireCase{"Zero", Matrix::fromRows({{1, 0, 2}}),
                    "wire3d, row 1 of the wire list: landmark 0 does not exist: the shape has 4 landmarks"},
        BadWireCase{"Placeholder", Matrix::fromRows({{-1, -1, -1}}),
                    "wire3d, row 1 of the wire list: landmark -1 does not exist: the shape has 4 landmarks"},
        BadWireCase{"NotWhole", Matrix::fromRows({{1, 2, 2.5}}),
                    "wire3d, row 1 of the wire list: landmark number 2.5 is not a whole number"},
        BadWireCase{"NotANumber", Matrix::fromRows({{1, kNaN, 2}}),
                    "wire3d, row 1 of the wire list: landmark NaN does not exist: the shape has 4 landmarks"},
        BadWireCase{"TwoColumns", Matrix::fromRows({{1, 2}, {2, 3}}),
                    "wire3d: a wire list needs 3 columns (line number, first landmark, second landmark); found 2 x 2"}),
    [](const auto& test) { return std::string(test.param.name); });

// --- cla and ylabel ---

TEST(Cla, EmptiesTheAxesButKeepsHoldAndTheYLabel)
{
    GraphicsModel model;
    display::showshape3D(model, threeSpecimens(), "b*");
    const Handle axes = model.currentAxesOrNew();
    model.text3(axes, {1, 1, 1}, "1");
    const Handle label = display::ylabel(model, Value("Protocol 3"));

    EXPECT_EQ(display::cla(model), axes);
    EXPECT_TRUE(linesOf(model, axes).empty());
    EXPECT_EQ(model.object(axes).children, std::vector<Handle>{label});
    EXPECT_TRUE(model.object(axes).as<platform::AxesData>().hold);
    EXPECT_EQ(model.get(label, "String").string(), "Protocol 3");
}

TEST(YLabel, TakesTheAxesFontThenTheTextThenThePairsInOrder)
{
    GraphicsModel model;
    const Handle axes = model.currentAxesOrNew();
    model.set(axes, "FontSize", Value(14.0));
    model.set(axes, "FontWeight", Value("bold"));
    model.set(axes, "FontAngle", Value("italic"));
    model.set(axes, "FontName", Value("Courier"));
    const std::vector<Value> pairs{Value("FontSize"), Value(20.0), Value("Color"), Value("r")};
    const Handle label = display::ylabel(model, Value("Lines"), pairs);
    EXPECT_EQ(label, model.yLabel(axes));
    EXPECT_EQ(model.get(label, "String").string(), "Lines");
    EXPECT_EQ(model.get(label, "FontSize").scalar(), 20.0);  // the pair comes after the axes' font
    EXPECT_EQ(model.get(label, "FontWeight").string(), "bold");
    EXPECT_EQ(model.get(label, "FontAngle").string(), "italic");
    EXPECT_EQ(model.get(label, "FontName").string(), "Courier");
    EXPECT_EQ(model.object(label).as<platform::TextData>().color, kRed);
}

TEST(YLabel, AnUnpairedPropertyNameIsRefusedBeforeAnythingChanges)
{
    GraphicsModel model;
    const Handle label = display::ylabel(model, Value("before"));
    const std::vector<Value> odd{Value("FontSize")};
    EXPECT_EQ(errorOf([&] { display::ylabel(model, Value("after"), odd); }), "Incorrect number of input arguments");
    EXPECT_EQ(model.get(label, "String").string(), "before");
    const std::vector<Value> numberAsName{Value(3.0), Value(4.0)};
    EXPECT_EQ(errorOf([&] { display::ylabel(model, Value("after"), numberAsName); }),
              "ylabel: input 2 must be a property name; found " + Value(3.0).describe());
}

// --- the registry rows end to end ---

TEST(ShapeDrawingRegistry, LoadShowWireLabelAndClearThroughTheRows)
{
    test::Harness h;
    const auto& reg = h.program.registry();
    const Value table(Matrix::fromRows({{0, 0, 0, 1, 0, 0, 1, 1, 0, 5}, {0, 0, 1, 1, 0, 1, 1, 1, 1, 6}}));
    const Value data = reg.call("vertxy3D", {table}, 1).at(0);
    reg.call("showshape3D", {data, Value("b*")});
    reg.call("wire3d", {Value(triangle()), Value(Matrix::fromRows({{1, 1, 2}, {2, 2, 3}}))});
    const Handle axes = h.rt.graphics.currentAxesOrNew();
    const auto lines = linesOf(h.rt.graphics, axes);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[2].style, LineStyle::Solid);
    EXPECT_EQ(lines[2].color, kBlue);

    const auto label = reg.call("ylabel", {Value("Protocol"), Value("FontSize"), Value(12.0)}, 1);
    EXPECT_EQ(h.rt.graphics.get(label.at(0).scalar(), "String").string(), "Protocol");
    EXPECT_EQ(errorOf([&] { reg.call("ylabel", {Value("Protocol"), Value("FontSize")}); }),
              "Incorrect number of input arguments");

    EXPECT_TRUE(reg.call("cla", {}, 0).empty());
    EXPECT_TRUE(linesOf(h.rt.graphics, axes).empty());
    EXPECT_EQ(reg.call("cla", {}, 1).at(0).scalar(), axes);
    EXPECT_EQ(errorOf([&] { reg.call("wire3d", {Value(triangle())}); }), "Not enough input arguments.");
    EXPECT_EQ(errorOf([&] { reg.call("showshape3D", {data, Value(3.0)}); }),
              "showshape3D: the style must be a text; found " + Value(3.0).describe());
}

}  // namespace
