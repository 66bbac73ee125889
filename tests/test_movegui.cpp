#include <gtest/gtest.h>

#include "gui/gui.h"
#include "harness.h"
#include "platform/error.h"

using namespace vezedo;
using platform::Handle;
using platform::Matrix;
using platform::Value;

namespace {

// A 1000 x 800 screen and one window whose frame adds 5 pixels left/right/bottom and 30 on top.
struct Screen {
    test::Harness h;
    Handle fig = 0;

    Screen()
    {
        h.rt.graphics.setScreenSize(1000, 800);
        fig = h.rt.graphics.createFigure();
        h.rt.graphics.object(fig).as<platform::FigureData>().frame = {5, 5, 5, 30};
    }

    void setOuter(double x, double y, double w, double hgt)
    {
        h.rt.graphics.set(fig, "OuterPosition", Value(Matrix::rowVector({x, y, w, hgt})));
    }

    Matrix outer() const { return h.rt.graphics.get(fig, "OuterPosition").matrix(); }

    void move(std::vector<Value> args) { gui::movegui(h.rt, args); }
};

}  // namespace

struct PlacementCase {
    const char* name;
    double x;
    double y;
};

class MoveGuiNamed : public testing::TestWithParam<PlacementCase> {};

TEST_P(MoveGuiNamed, PlacesTheOuterFrameAgainstTheScreen)
{
    Screen s;
    s.setOuter(50, 60, 400, 300);
    s.move({Value(s.fig), Value(GetParam().name)});
    EXPECT_EQ(s.outer(), Matrix::rowVector({GetParam().x, GetParam().y, 400, 300})) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(Positions, MoveGuiNamed,
                         testing::Values(PlacementCase{"north", 300, 500}, PlacementCase{"south", 300, 0},
                                         PlacementCase{"east", 600, 250}, PlacementCase{"west", 0, 250},
                                         PlacementCase{"northeast", 600, 500}, PlacementCase{"southeast", 600, 0},
                                         PlacementCase{"northwest", 0, 500}, PlacementCase{"southwest", 0, 0},
                                         PlacementCase{"center", 300, 250}, PlacementCase{"onscreen", 50, 60}));

TEST(MoveGui, OnscreenPullsAWindowBackOverTheRightAndTopEdges)
{
    Screen s;
    s.setOuter(900, 700, 400, 300);
    s.move({Value(s.fig)});  // onscreen is the default
    EXPECT_EQ(s.outer(), Matrix::rowVector({600, 500, 400, 300}));
    s.setOuter(-40, -10, 400, 300);
    s.move({Value("onscreen"), Value(s.fig)});
    EXPECT_EQ(s.outer(), Matrix::rowVector({0, 0, 400, 300}));
}

TEST(MoveGui, NumericPositionsCountFromTheFarEdgeWhenNegative)
{
    Screen s;
    s.setOuter(0, 0, 400, 300);
    s.move({Value(Matrix::rowVector({20, 30})), Value(s.fig)});
    EXPECT_EQ(s.outer(), Matrix::rowVector({20, 30, 400, 300}));
    s.move({Value(s.fig), Value(Matrix::rowVector({-20, -30}))});
    EXPECT_EQ(s.outer(), Matrix::rowVector({580, 470, 400, 300}));
}

TEST(MoveGui, AWindowLargerThanTheScreenIsCutToIt)
{
    Screen s;
    s.setOuter(10, 10, 1200, 900);
    s.move({Value(s.fig), Value("center")});
    EXPECT_EQ(s.outer(), Matrix::rowVector({0, 0, 1000, 800}));
}

TEST(MoveGui, RestoresUnitsAndWorksInNormalizedWindows)
{
    Screen s;
    s.setOuter(900, 10, 400, 300);
    s.h.rt.graphics.set(s.fig, "Units", Value("normalized"));
    s.h.rt.graphics.set(platform::kRootHandle, "Units", Value("normalized"));
    s.h.rt.graphics.set(s.fig, "ActivePositionProperty", Value("position"));
    s.move({Value(s.fig)});
    EXPECT_EQ(s.h.rt.graphics.get(s.fig, "Units"), Value("normalized"));
    EXPECT_EQ(s.h.rt.graphics.get(platform::kRootHandle, "Units"), Value("normalized"));
    EXPECT_EQ(s.h.rt.graphics.get(s.fig, "ActivePositionProperty"), Value("position"));
    s.h.rt.graphics.set(s.fig, "Units", Value("pixels"));
    EXPECT_EQ(s.outer(), Matrix::rowVector({600, 10, 400, 300}));
}

TEST(MoveGui, UsesTheCallbackWindowThenTheCurrentOne)
{
    Screen s;
    s.setOuter(900, 10, 400, 300);
    const Handle other = s.h.rt.graphics.createFigure();  // now current
    s.h.rt.graphics.set(other, "OuterPosition", Value(Matrix::rowVector({950, 10, 100, 100})));
    platform::UiControlData d;
    s.h.rt.callbackObject = s.h.rt.graphics.createUiControl(s.fig, d);
    s.move({});
    EXPECT_EQ(s.outer(), Matrix::rowVector({600, 10, 400, 300}));
    s.h.rt.callbackObject.reset();
    s.move({});
    EXPECT_EQ(s.h.rt.graphics.get(other, "OuterPosition").matrix(), Matrix::rowVector({900, 10, 100, 100}));
}

TEST(MoveGui, RefusesBadArgumentsWithTheirMessages)
{
    Screen s;
    auto message = [&](std::vector<Value> args, bool fromCallback = false) -> std::string {
        try {
            gui::movegui(s.h.rt, args, fromCallback);
        } catch (const Error& e) {
            return e.what();
        }
        return "";
    };
    EXPECT_EQ(message({Value(s.fig), Value("middle")}), "unrecognized position");
    EXPECT_EQ(message({Value(s.fig), Value("North")}), "unrecognized position");
    EXPECT_EQ(message({Value(0.0)}), "handle of figure or descendant required");
    EXPECT_EQ(message({Value(s.fig), Value(Matrix::rowVector({1, 2, 3}))}), "unrecognized input argument");
    EXPECT_EQ(message({Value(s.fig), Value(Matrix::rowVector({1, 2, 3})), Value("north")}, true), "");
    EXPECT_EQ(message({Value(s.fig), Value("north"), Value("south"), Value("east")}), "Too many input arguments.");
}

TEST(MoveGui, AddsAFrameWhenTheOuterSizeIsUnusable)
{
    Screen s;
    // A negative frame makes the outer box smaller than the inner one.
    s.h.rt.graphics.object(s.fig).as<platform::FigureData>().frame = {-1, -1, -1, -1};
    s.h.rt.graphics.set(s.fig, "Position", Value(Matrix::rowVector({100, 100, 200, 100})));
    s.move({Value(s.fig), Value("southwest")});
    EXPECT_EQ(s.outer(), Matrix::rowVector({0, 0, 198 + 6, 98 + 24}));
}
