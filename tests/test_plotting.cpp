#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "display/display.h"
#include "harness.h"
#include "platform/error.h"
#include "platform/graphics.h"

using namespace vezedo;
using namespace vezedo::platform;

using vezedo::test::errorOf;

namespace {

// The lines drawn in an axes; hidden objects such as the label are left out.
std::vector<LineData> linesOf(const GraphicsModel& model, Handle axes)
{
    std::vector<LineData> lines;
    for (Handle child : model.object(axes).children)
        if (model.object(child).type == ObjectType::Line)
            lines.push_back(model.object(child).as<LineData>());
    return lines;
}

const Rgb kBlue{0, 0, 1};
const Matrix kTriangle = Matrix::fromRows({{0, 0, 0}, {3, 0, 0}, {0, 3, 1}});
const std::vector<Point3> kTrianglePoints{{0, 0, 0}, {3, 0, 0}, {0, 3, 1}};
const Matrix kSquare = Matrix::fromRows({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}});

TEST(Vertxy, RowsBecomeSpecimensAndTriplesLandmarksDroppingTheRest)
{
    // The numeric table's last column, the centroid size, falls outside every triple.
    const Matrix withSizes = Matrix::fromRows({{1, 2, 3, 4, 5, 6, 70}, {7, 8, 9, 10, 11, 12, 80}});
    const LandmarkSet set = display::vertxy3D(withSizes);
    ASSERT_EQ(set.landmarks(), 2u);
    ASSERT_EQ(set.specimens(), 2u);
    for (std::size_t k = 0; k < 2; ++k)
        for (std::size_t i = 0; i < 6; ++i)
            EXPECT_EQ(set(i / 3, i % 3, k), withSizes(k, i)) << "specimen " << k + 1 << ", column " << i + 1;
    EXPECT_EQ(display::vertxy3D(Matrix::fromRows({{1, 2, 3, 4, 5}, {6, 7, 8, 9, 10}})).landmarks(), 1u);
    EXPECT_EQ(display::vertxy3D(Matrix()).specimens(), 0u);
    const std::string tooNarrow = errorOf([&] { display::vertxy3D(Matrix::rowVector({1, 2})); });
    EXPECT_EQ(tooNarrow,
              "vertxy3D: a coordinate table needs at least 3 columns (x, y, z of one landmark); found 1 x 2");
}

// A large table is copied a block of specimens at a time on every core: a count of specimens
// that fills no last block, and more than a million landmarks in all, land where small ones do.
TEST(Vertxy, LargeTablesLandEveryNumberInItsPlace)
{
    const std::size_t k = 70001, p = 31;
    Matrix table(k, 3 * p + 1);
    for (std::size_t c = 0; c < table.cols(); ++c)
        for (std::size_t r = 0; r < k; ++r)
            table(r, c) = static_cast<double>(r * 1000 + c);
    const LandmarkSet set = display::vertxy3D(table);
    ASSERT_EQ(set.landmarks(), p);
    ASSERT_EQ(set.specimens(), k);
    std::size_t wrong = 0;
    for (std::size_t r = 0; r < k; ++r)
        for (std::size_t i = 0; i < p; ++i)
            for (std::size_t j = 0; j < 3; ++j)
                wrong += set(i, j, r) != static_cast<double>(r * 1000 + 3 * i + j);
    EXPECT_EQ(wrong, 0u);
}

TEST(ShowShape, EachSpecimenIsAMarkerSetAndHoldStaysOnSoCallsAccumulate)
{
    GraphicsModel model;
    const Handle axes = model.currentAxesOrNew();
    model.plot3(axes, {{9, 9, 9}, {8, 8, 8}}, parseLineSpec("k-"));
    display::showshape3D(model, LandmarkSet(kTriangle), "b*");  // replaces what a hold-off axes showed
    const auto one = linesOf(model, axes);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].points, kTrianglePoints);
    EXPECT_EQ(one[0].marker, Marker::Star);
    EXPECT_EQ(one[0].style, LineStyle::None);  // markers only
    EXPECT_EQ(one[0].color, kBlue);
    const auto& ad = model.object(axes).as<AxesData>();
    EXPECT_TRUE(ad.hold && ad.limitsAuto && ad.equal);

    // A p x 3 x k set: one marker set per specimen, after what was there.
    display::showshape3D(model, display::vertxy3D(Matrix::fromRows({{1, 0, 0, 0, 1, 0}, {2, 0, 0, 0, 2, 0}})), "r+");
    const auto all = linesOf(model, axes);
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0].points, kTrianglePoints);
    for (std::size_t k = 1; k < 3; ++k) {
        const double v = static_cast<double>(k);
        EXPECT_EQ(all[k].points, (std::vector<Point3>{{v, 0, 0}, {0, v, 0}}));
        EXPECT_EQ(all[k].marker, Marker::Plus);
    }

    GraphicsModel untouched;
    EXPECT_NE(errorOf([&] { display::showshape3D(untouched, LandmarkSet(kTriangle), "q?"); }), "no error");
    EXPECT_EQ(errorOf([&] { display::showshape3D(untouched, LandmarkSet(), "b*"); }),
              "showshape3D: there is no shape to draw: the landmark data set is empty");
    EXPECT_TRUE(untouched.figures().empty());
}

TEST(Wire, EachRowIsATwoPointLineInBlueSolidLeavingTheAxesModesAloneAndABadRowIsRefusedBeforeAnyIsDrawn)
{
    GraphicsModel model;
    display::wire3d(model, kSquare, Matrix());
    EXPECT_TRUE(model.figures().empty());  // no rows: nothing drawn, no window opened

    const Handle axes = model.currentAxesOrNew();
    model.setHold(axes, true);
    model.setAxisEqual(axes);
    const auto& ad = model.object(axes).as<AxesData>();
    display::wire3d(model, kSquare, Matrix::fromRows({{1, 1, 2}, {7, 4, 3}}));
    const auto lines = linesOf(model, axes);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].points, (std::vector<Point3>{{0, 0, 0}, {1, 0, 0}}));
    EXPECT_EQ(lines[1].points, (std::vector<Point3>{{0, 1, 0}, {1, 1, 0}}));
    for (const LineData& line : lines) {
        EXPECT_EQ(line.color, kBlue);
        EXPECT_EQ(line.style, LineStyle::Solid);
        EXPECT_EQ(line.marker, Marker::None);
    }
    EXPECT_TRUE(ad.hold && ad.limitsAuto && ad.equal);

    // Without hold every line replaces the one before.
    model.setHold(axes, false);
    display::wire3d(model, kSquare, Matrix::fromRows({{1, 1, 2}, {2, 2, 3}, {3, 3, 4}}), "k-");
    ASSERT_EQ(linesOf(model, axes).size(), 1u);
    EXPECT_EQ(linesOf(model, axes)[0].points, (std::vector<Point3>{{1, 1, 0}, {0, 1, 0}}));

    // A bad row is refused naming row and landmark before anything is drawn.
    const std::string noSuch = " does not exist: the shape has 4 landmarks";
    const std::pair<Matrix, std::string> cases[] = {
        {Matrix::fromRows({{1, 1, 2}, {2, 3, 12}}), "wire3d, row 2 of the wire list: landmark 12" + noSuch},
        {Matrix::fromRows({{1, 0, 2}}), "wire3d, row 1 of the wire list: landmark 0" + noSuch},
        {Matrix::fromRows({{-1, -1, -1}}), "wire3d, row 1 of the wire list: landmark -1" + noSuch},
        {Matrix::fromRows({{1, std::numeric_limits<double>::quiet_NaN(), 2}}),
         "wire3d, row 1 of the wire list: landmark NaN" + noSuch},
        {Matrix::fromRows({{1, 2, 2.5}}), "wire3d, row 1 of the wire list: landmark number 2.5 is not a whole number"},
        {Matrix::fromRows({{1, 2}, {2, 3}}),
         "wire3d: a wire list needs 3 columns (line number, first landmark, second landmark); found 2 x 2"}};
    model.setHold(axes, true);
    for (const auto& [wirelist, message] : cases)
        EXPECT_EQ(errorOf([&, wirelist = wirelist] { display::wire3d(model, kSquare, wirelist, "k-"); }), message);
    EXPECT_EQ(linesOf(model, axes).size(), 1u);
}

TEST(ClaAndYLabel, ClaKeepsHoldAndTheLabelWhichTakesTheAxesFontThenThePairs)
{
    GraphicsModel model;
    display::showshape3D(model, LandmarkSet(kTriangle), "b*");
    const Handle axes = model.currentAxesOrNew();
    model.text3(axes, {1, 1, 1}, "1");
    model.set(axes, "FontSize", Value(14.0));
    model.set(axes, "FontWeight", Value("bold"));
    const std::vector<Value> pairs{Value("FontSize"), Value(20.0), Value("Color"), Value("r")};
    const Handle label = display::ylabel(model, Value("Protocol 3"), pairs);
    EXPECT_EQ(label, model.yLabel(axes));
    EXPECT_EQ(model.get(label, "FontSize").scalar(), 20.0);  // the pair comes after the axes' font
    EXPECT_EQ(model.get(label, "FontWeight").string(), "bold");
    EXPECT_EQ(model.get(label, "Color"), Value(Matrix::rowVector({1, 0, 0})));

    // An unpaired name, or a number where a name belongs, is refused before anything changes.
    const std::vector<Value> odd{Value("FontSize")};
    EXPECT_EQ(errorOf([&] { display::ylabel(model, Value("after"), odd); }), "Incorrect number of input arguments");
    const std::vector<Value> numberAsName{Value(3.0), Value(4.0)};
    EXPECT_EQ(errorOf([&] { display::ylabel(model, Value("after"), numberAsName); }),
              "ylabel: input 2 must be a property name; found " + Value(3.0).describe());

    EXPECT_EQ(display::cla(model), axes);
    EXPECT_EQ(model.object(axes).children, std::vector<Handle>{label});
    EXPECT_TRUE(model.object(axes).as<AxesData>().hold);
    EXPECT_EQ(model.get(label, "String").string(), "Protocol 3");
}

TEST(ShapeDrawingRegistry, LoadShowWireLabelAndClearThroughTheRows)
{
    test::Harness h;
    const auto& reg = h.program.registry();
    const Value table(Matrix::fromRows({{0, 0, 0, 1, 0, 0, 1, 1, 0, 5}, {0, 0, 1, 1, 0, 1, 1, 1, 1, 6}}));
    const Value data = reg.call("vertxy3D", {table}, 1).at(0);
    // One row gives a plain p x 3 shape.
    const auto one = reg.call("vertxy3D", {Value(Matrix::rowVector({1, 2, 3, 4, 5, 6}))}, 1);
    EXPECT_EQ(one.at(0), Value(Matrix::fromRows({{1, 2, 3}, {4, 5, 6}})));
    reg.call("showshape3D", {data, Value("b*")});
    reg.call("wire3d", {Value(kTriangle), Value(Matrix::fromRows({{1, 1, 2}, {2, 2, 3}}))});
    const Handle axes = h.rt.graphics.currentAxesOrNew();
    EXPECT_EQ(linesOf(h.rt.graphics, axes).size(), 4u);  // two specimens, two wires
    const auto label = reg.call("ylabel", {Value("Protocol"), Value("FontSize"), Value(12.0)}, 1);
    EXPECT_EQ(h.rt.graphics.get(label.at(0).scalar(), "FontSize").scalar(), 12.0);
    EXPECT_EQ(reg.call("cla", {}, 1).at(0).scalar(), axes);
    EXPECT_TRUE(linesOf(h.rt.graphics, axes).empty());

    const std::string unpaired = errorOf([&] { reg.call("ylabel", {Value("Protocol"), Value("FontSize")}); });
    EXPECT_EQ(unpaired, "Incorrect number of input arguments");
    EXPECT_EQ(errorOf([&] { reg.call("wire3d", {Value(kTriangle)}); }), "Not enough input arguments.");
    const std::string badStyle = errorOf([&] { reg.call("showshape3D", {data, Value(3.0)}); });
    EXPECT_EQ(badStyle, "showshape3D: the style must be a text; found " + Value(3.0).describe());
}

}  // namespace
