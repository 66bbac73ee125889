#include <QApplication>
#include <QLineEdit>
#include <QLineF>
#include <QTest>
#include <gtest/gtest.h>
#include <sstream>

#include "../harness.h"
#include "io/files.h"
#include "qt/figurewindow.h"
#include "qt/frontend.h"
#include "qt/plotcanvas.h"
#include "qt/plotpicking.h"
#include "script/recorder.h"
#include "script/runner.h"

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
// size. Dialogs tell a recorder what they answered, as in the program.
struct PlotGui {
    test::TempDir dir;
    test::RestoreCurrentFolder folder;
    platform::ScriptedDialogs answers;
    script::RecordingDialogs dialogs{answers};
    platform::RecordingMessages messages;
    platform::CapturingConsole console;
    platform::Runtime rt{dialogs, messages, console};
    shell::Program program{test::Harness::withLayoutFolder(rt)};
    qt::FrontEnd frontEnd{program};
    Handle main = program.start();
    qt::PlotCanvas* plot = nullptr;

    explicit PlotGui(const std::string& recordTo = {})
    {
        frontEnd.setRecordingDialogs(&dialogs);
        if (!recordTo.empty())
            frontEnd.startRecording(recordTo);
        // A recorded session keeps its data beside the script, where its replay looks.
        const std::filesystem::path data =
            recordTo.empty() ? dir.path() : std::filesystem::path(recordTo).parent_path();
        std::ofstream(data / "shape.tps") << kShape;
        std::ofstream(data / "proto.txt") << "1 1 2 \n2 3 8 \n";
        answers.queuePath((data / "shape.tps").string());
        frontEnd.runAction("LoadFile1");
        answers.queuePath((data / "proto.txt").string());
        frontEnd.runAction("LoadProto");
        QApplication::processEvents();
        const auto fig = program.controller().session().fighand1;
        if (fig && frontEnd.window(*fig))
            plot = frontEnd.window(*fig)->plot();
        if (plot)
            plot->resize(500, 400);
    }
    std::string text(const char* tag) const
    {
        return rt.graphics.get(rt.graphics.findByTag(tag).at(0), "String").string();
    }
    // Where the session's reference shape puts a landmark on screen: independent of what the
    // plot's own picking reads from the drawing.
    QPoint pixelOf(std::size_t landmark)
    {
        const platform::Matrix& r = program.controller().session().specimens.reference;
        const auto p = platform::projectionOf(rt.graphics, plot->axes(), plot->width(), plot->height())
                           .toPixel({r(landmark - 1, 0), r(landmark - 1, 1), r(landmark - 1, 2)});
        return {static_cast<int>(std::lround(p.x)), static_cast<int>(std::lround(p.y))};
    }
    void setCamera(double azimuth, double elevation, double zoom)
    {
        platform::Camera camera;
        camera.azimuth = azimuth;
        camera.elevation = elevation;
        camera.zoom = zoom;
        rt.graphics.setCamera(plot->axes(), camera);
    }
};

struct CameraCase {
    const char* name;
    double azimuth, elevation, zoom;
};

class PickLandmark : public testing::TestWithParam<CameraCase> {};

}  // namespace

TEST_P(PickLandmark, AClickOnLandmarkSevenFillsTheFirstLandmarkBox)
{
    PlotGui gui;
    ASSERT_NE(gui.plot, nullptr);
    gui.setCamera(GetParam().azimuth, GetParam().elevation, GetParam().zoom);
    QTest::mouseClick(gui.plot, Qt::LeftButton, {}, gui.pixelOf(7));
    EXPECT_EQ(gui.text("EndBox1"), "7");
}

INSTANTIATE_TEST_SUITE_P(Views, PickLandmark,
                         testing::Values(CameraCase{"Default", -37.5, 30, 1},
                                         CameraCase{"TopWhereSevenHidesThree", 0, 90, 1},
                                         CameraCase{"TurnedAndTipped", 120, -40, 1},
                                         CameraCase{"ZoomedIn", -37.5, 30, 2.5}, CameraCase{"ZoomedOut", 60, 10, 0.6}),
                         [](const testing::TestParamInfo<CameraCase>& row) { return std::string(row.param.name); });

TEST(Picking, AClickTwentyPixelsFromEveryLandmarkAndLinePicksNothing)
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
}

TEST(Picking, ADragIsNoClick)
{
    PlotGui gui;
    ASSERT_NE(gui.plot, nullptr);
    const QPoint seven = gui.pixelOf(7);
    QTest::mousePress(gui.plot, Qt::LeftButton, {}, seven);
    QTest::mouseMove(gui.plot, seven + QPoint(30, 0));
    QTest::mouseRelease(gui.plot, Qt::LeftButton, {}, seven + QPoint(30, 0));
    EXPECT_EQ(gui.text("EndBox1"), "");
    EXPECT_NE(gui.rt.graphics.object(gui.plot->axes()).as<platform::AxesData>().camera, platform::Camera{});
}

TEST(Picking, AClickOnAProtocolLineShowsIt)
{
    PlotGui gui;
    ASSERT_NE(gui.plot, nullptr);
    // Line 2 joins landmarks 3 and 8; a point a third of the way along is far from both.
    const QPoint a = gui.pixelOf(3), b = gui.pixelOf(8);
    const QPoint at = a + (b - a) / 3;
    ASSERT_EQ(gui.plot->pickAt(at), (platform::Pick{platform::PickKind::Line, 2}));
    QTest::mouseClick(gui.plot, Qt::LeftButton, {}, at);
    EXPECT_EQ(gui.text("ActivePointBox"), "2");
    EXPECT_EQ(gui.console.text().find("rror"), std::string::npos) << gui.console.text();
}

TEST(Picking, TwoPicksAndADoubleClickAddTheLineAndTheRecordingReplaysIt)
{
    test::TempDir out;
    const auto script = out.path() / "picks.vzs";
    std::string saved;
    {
        PlotGui gui(script.string());
        ASSERT_NE(gui.plot, nullptr);
        QTest::mouseClick(gui.plot, Qt::LeftButton, {}, gui.pixelOf(4));
        QTest::mouseClick(gui.plot, Qt::LeftButton, {}, gui.pixelOf(6));
        EXPECT_EQ(gui.text("EndBox1"), "4");
        EXPECT_EQ(gui.text("EndBox2"), "6");
        QTest::mouseDClick(gui.plot, Qt::LeftButton, {}, gui.pixelOf(6));
        const session::Protocol& protocol = gui.program.controller().session().protocol;
        ASSERT_EQ(protocol.size(), 3u);
        EXPECT_EQ(protocol.line(3).from, 4u);
        EXPECT_EQ(protocol.line(3).to, 6u);
        gui.answers.queuePath((out.path() / "protocol.txt").string());
        gui.frontEnd.runAction("SaveProtocol");
        gui.frontEnd.stopRecording();
    }
    const std::string text = io::readFile(script.string());
    EXPECT_NE(text.find("set EndBox1 4\n"), std::string::npos) << text;
    EXPECT_NE(text.find("set EndBox2 6\npress ShowLine\npress AddLine\n"), std::string::npos) << text;

    const std::string written = io::readFile((out.path() / "protocol.txt").string());
    EXPECT_EQ(written, "1 1 2 \n2 3 8 \n3 4 6 \n");
    std::filesystem::remove(out.path() / "protocol.txt");
    std::ostringstream log;
    script::ScriptRunner runner(log);
    ASSERT_TRUE(runner.runFile(script)) << log.str() << text;
    EXPECT_EQ(io::readFile((out.path() / "protocol.txt").string()), written);
}

TEST(Picking, EnterAddsTheLineBetweenTwoPickedLandmarks)
{
    PlotGui gui;
    ASSERT_NE(gui.plot, nullptr);
    QTest::mouseClick(gui.plot, Qt::LeftButton, {}, gui.pixelOf(5));
    QTest::mouseClick(gui.plot, Qt::LeftButton, {}, gui.pixelOf(9));
    QTest::keyClick(gui.plot, Qt::Key_Return);
    const session::Protocol& protocol = gui.program.controller().session().protocol;
    ASSERT_EQ(protocol.size(), 3u);
    EXPECT_EQ(protocol.line(3).from, 5u);
    EXPECT_EQ(protocol.line(3).to, 9u);
}

TEST(Picking, AThirdPickStartsOver)
{
    PlotGui gui;
    ASSERT_NE(gui.plot, nullptr);
    for (std::size_t l : {std::size_t{2}, std::size_t{3}, std::size_t{10}})
        QTest::mouseClick(gui.plot, Qt::LeftButton, {}, gui.pixelOf(l));
    EXPECT_EQ(gui.text("EndBox1"), "10");
    EXPECT_EQ(gui.text("EndBox2"), "");
}

TEST(Picking, TheLineTooltipNamesItsEndsAndItsMeanLengthAtTheSpecimensScale)
{
    PlotGui gui;
    const session::Session& s = gui.program.controller().session();
    // Line 1 joins landmarks 1 and 2: 10 and 20 units long in the two files, whatever the fit.
    const auto mean = qt::meanLength(s.specimens, 1, 2);
    ASSERT_TRUE(mean.has_value());
    EXPECT_NEAR(*mean, 15.0, 1e-9);
    EXPECT_EQ(qt::describePick(s, {platform::PickKind::Line, 1}).toStdString(), "Line 1: 1-2, mean 15");
    EXPECT_EQ(qt::describePick(s, {platform::PickKind::Landmark, 12}).toStdString(), "Landmark 12");
}
