#include <QApplication>
#include <QLineF>
#include <QTest>
#include <gtest/gtest.h>

#include "../harness.h"
#include "controller/views.h"
#include "qt/figurewindow.h"
#include "qt/frontend.h"
#include "qt/plotcanvas.h"
#include "qt/plotpicking.h"

using namespace vezedo;
using platform::Handle;

namespace {

// Ten landmarks spread over a box, two specimens of different size; a protocol of two lines.
constexpr const char* kShape = "LM=10\n"
                               "0 0 0\n10 0 0\n0 10 0\n0 0 10\n10 10 0\n10 0 10\n0 10 10\n10 10 10\n5 5 2\n2 5 8\n"
                               "ID=a\nLM=10\n"
                               "0 0 0\n20 0 0\n0 20 0\n0 0 20\n20 20 0\n20 0 20\n0 20 20\n20 20 20\n10 10 4\n4 10 16\n"
                               "ID=b\n";

// The program with its windows, a shape and a protocol loaded, and its plot window at a known
// size.
struct PlotGui {
    test::TempDir dir;
    test::RestoreCurrentFolder folder;
    test::Harness h;
    platform::GraphicsModel& graphics = h.rt.graphics;
    qt::FrontEnd frontEnd{h.program};
    Handle main = h.program.start();
    qt::PlotCanvas* plot = nullptr;

    PlotGui()
    {
        h.dialogs.queuePath(dir.write("shape.tps", kShape));
        frontEnd.runAction("LoadFile1");
        h.dialogs.queuePath(dir.write("proto.txt", "1 1 2 \n2 3 8 \n"));
        frontEnd.runAction("LoadProto");
        QApplication::processEvents();
        const auto fig = session().fighand1;
        if (fig && frontEnd.window(*fig))
            plot = frontEnd.window(*fig)->plot();
        if (plot)
            plot->resize(500, 400);
    }
    const session::Session& session() { return h.program.controller().session(); }
    std::string text(const char* tag) const { return graphics.get(graphics.findByTag(tag).at(0), "String").string(); }
    // Where the session's reference shape puts a landmark on screen: independent of what the
    // plot's own picking reads from the drawing.
    QPoint pixelOf(std::size_t landmark)
    {
        const platform::Matrix& r = session().specimens.reference;
        const auto p = platform::projectionOf(graphics, plot->axes(), plot->width(), plot->height())
                           .toPixel({r(landmark - 1, 0), r(landmark - 1, 1), r(landmark - 1, 2)});
        return {static_cast<int>(std::lround(p.x)), static_cast<int>(std::lround(p.y))};
    }
    void click(std::size_t landmark) { QTest::mouseClick(plot, Qt::LeftButton, {}, pixelOf(landmark)); }
};

struct CameraCase {
    const char* name;
    platform::Camera camera;
};

class PickLandmark : public testing::TestWithParam<CameraCase> {};

}  // namespace

TEST_P(PickLandmark, AClickOnLandmarkSevenFillsTheFirstLandmarkBox)
{
    PlotGui gui;
    ASSERT_NE(gui.plot, nullptr);
    gui.graphics.setCamera(gui.plot->axes(), GetParam().camera);
    gui.click(7);
    EXPECT_EQ(gui.text("EndBox1"), "7");
}

INSTANTIATE_TEST_SUITE_P(Views, PickLandmark,
                         testing::Values(CameraCase{"Default", {}},
                                         CameraCase{"TopWhereSevenHidesThree", {.azimuth = 0, .elevation = 90}},
                                         CameraCase{"TurnedAndTipped", {.azimuth = 120, .elevation = -40}},
                                         CameraCase{"ZoomedIn", {.zoom = 2.5}},
                                         CameraCase{"ZoomedOut", {.azimuth = 60, .elevation = 10, .zoom = 0.6}}),
                         [](const auto& row) { return std::string(row.param.name); });

// A click 20 px from every landmark and line picks nothing; nor does a drag, which turns the view.
TEST(Picking, AClickTwentyPixelsAwayOrADragPicksNothing)
{
    PlotGui gui;
    ASSERT_NE(gui.plot, nullptr);
    const QPoint seven = gui.pixelOf(7);
    // Of the eight points 20 px around landmark 7, one clear of the others by more than the pick radius.
    std::optional<QPoint> away;
    for (int k = 0; k < 8 && !away; ++k) {
        const double a = k * 3.14159265358979 / 4;
        const QPoint p = seven + QPoint(static_cast<int>(std::lround(20 * std::cos(a))),
                                        static_cast<int>(std::lround(20 * std::sin(a))));
        bool clear = true;
        for (std::size_t l = 1; l <= 10; ++l)
            clear = clear && QLineF(p, gui.pixelOf(l)).length() > 12;
        if (clear && !gui.plot->pickAt(p))
            away = p;
    }
    ASSERT_TRUE(away.has_value());
    QTest::mouseClick(gui.plot, Qt::LeftButton, {}, *away);
    EXPECT_EQ(gui.text("EndBox1"), "");
    EXPECT_EQ(gui.text("ActivePointBox"), "");

    QTest::mousePress(gui.plot, Qt::LeftButton, {}, seven);
    QTest::mouseMove(gui.plot, seven + QPoint(30, 0));
    QTest::mouseRelease(gui.plot, Qt::LeftButton, {}, seven + QPoint(30, 0));
    EXPECT_EQ(gui.text("EndBox1"), "");
    EXPECT_NE(gui.graphics.object(gui.plot->axes()).as<platform::AxesData>().camera, platform::Camera{});
}

// The tooltip gives a line's mean length at the specimens' scale: line 1 joins landmarks 1 and
// 2, 10 and 20 units long in the two files, whatever the fit.
TEST(Picking, AClickOnAProtocolLineShowsItAndItsTooltipNamesItsEndsAndMeanLength)
{
    PlotGui gui;
    ASSERT_NE(gui.plot, nullptr);
    // Line 2 joins landmarks 3 and 8; a point a third of the way along is far from both.
    const QPoint a = gui.pixelOf(3), b = gui.pixelOf(8);
    const QPoint at = a + (b - a) / 3;
    ASSERT_EQ(gui.plot->pickAt(at), (platform::Pick{platform::PickKind::Line, 2}));
    QTest::mouseClick(gui.plot, Qt::LeftButton, {}, at);
    EXPECT_EQ(gui.text("ActivePointBox"), "2");
    EXPECT_EQ(gui.h.console.text().find("rror"), std::string::npos) << gui.h.console.text();

    const auto mean = controller::meanLineLength(gui.session().specimens, gui.session().protocol.line(1));
    ASSERT_TRUE(mean.has_value());
    EXPECT_NEAR(*mean, 15.0, 1e-9);
    EXPECT_EQ(qt::describePick(gui.session(), {platform::PickKind::Line, 1}).toStdString(), "Line 1: 1-2, mean 15");
    EXPECT_EQ(qt::describePick(gui.session(), {platform::PickKind::Landmark, 12}).toStdString(), "Landmark 12");
}

TEST(Picking, AThirdPickStartsOverAndEnterAddsTheLineOfTheLastTwo)
{
    PlotGui gui;
    ASSERT_NE(gui.plot, nullptr);
    for (std::size_t l : {2u, 3u, 10u})
        gui.click(l);
    EXPECT_EQ(gui.text("EndBox1"), "10");
    EXPECT_EQ(gui.text("EndBox2"), "");
    gui.click(9);
    QTest::keyClick(gui.plot, Qt::Key_Return);
    const session::Protocol& protocol = gui.session().protocol;
    ASSERT_EQ(protocol.size(), 3u);
    EXPECT_EQ(protocol.line(3).from, 10u);
    EXPECT_EQ(protocol.line(3).to, 9u);
}
