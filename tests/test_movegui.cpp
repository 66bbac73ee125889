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
    platform::GraphicsModel& g = h.rt.graphics;
    Handle fig = 0;

    Screen()
    {
        g.setScreenSize(1000, 800);
        fig = g.createFigure();
        g.setFrame(fig, {5, 5, 5, 30});
    }
    void place(platform::Rect outer) { g.set(fig, "OuterPosition", Value(Matrix::rowVector(outer))); }
    Matrix outer() const { return g.get(fig, "OuterPosition").matrix(); }
    // The outer box after moving the window from `from` with these arguments.
    Matrix moved(platform::Rect from, std::vector<Value> args)
    {
        place(from);
        gui::movegui(h.rt, args);
        return outer();
    }
};

const auto box = [](platform::Rect r) { return Matrix::rowVector(r); };

}  // namespace

TEST(MoveGui, PlacesTheOuterFrameAtEveryNamedPosition)
{
    Screen s;
    for (const auto& [name, x, y] : std::vector<std::tuple<std::string, double, double>>{{"north", 300, 500},
                                                                                         {"south", 300, 0},
                                                                                         {"east", 600, 250},
                                                                                         {"west", 0, 250},
                                                                                         {"northeast", 600, 500},
                                                                                         {"southeast", 600, 0},
                                                                                         {"northwest", 0, 500},
                                                                                         {"southwest", 0, 0},
                                                                                         {"center", 300, 250},
                                                                                         {"onscreen", 50, 60}})
        EXPECT_EQ(s.moved({50, 60, 400, 300}, {Value(s.fig), Value(name)}), box({x, y, 400, 300})) << name;
}

TEST(MoveGui, PullsWindowsOnscreenTakesOffsetsFromEitherEdgeAndCutsToTheScreen)
{
    Screen s;
    const Value fig(s.fig);
    EXPECT_EQ(s.moved({900, 700, 400, 300}, {fig}), box({600, 500, 400, 300}));  // onscreen is the default
    EXPECT_EQ(s.moved({-40, -10, 400, 300}, {Value("onscreen"), fig}), box({0, 0, 400, 300}));
    EXPECT_EQ(s.moved({0, 0, 400, 300}, {Value(Matrix::rowVector({20, 30})), fig}), box({20, 30, 400, 300}));
    EXPECT_EQ(s.moved({0, 0, 400, 300}, {fig, Value(Matrix::rowVector({-20, -30}))}), box({580, 470, 400, 300}));
    EXPECT_EQ(s.moved({10, 10, 1200, 900}, {fig, Value("center")}), box({0, 0, 1000, 800}));

    // A negative frame makes the outer box smaller than the inner one: a default frame is added.
    s.g.setFrame(s.fig, {-1, -1, -1, -1});
    s.g.set(s.fig, "Position", Value(Matrix::rowVector({100, 100, 200, 100})));
    gui::movegui(s.h.rt, std::vector<Value>{fig, Value("southwest")});
    EXPECT_EQ(s.outer(), box({0, 0, 198 + 6, 98 + 24}));
}

TEST(MoveGui, MovesTheCallbackWindowThenTheCurrentOneAndRestoresUnits)
{
    Screen s;
    s.place({900, 10, 400, 300});
    s.g.set(s.fig, "Units", Value("normalized"));
    s.g.set(platform::kRootHandle, "Units", Value("normalized"));
    s.g.set(s.fig, "ActivePositionProperty", Value("position"));
    const Handle other = s.g.createFigure();  // now current
    s.g.set(other, "OuterPosition", Value(Matrix::rowVector({950, 10, 100, 100})));
    s.h.rt.callbackObject = s.g.createUiControl(s.fig, platform::UiControlData{});
    gui::movegui(s.h.rt, {});
    EXPECT_EQ(s.g.get(s.fig, "Units"), Value("normalized"));
    EXPECT_EQ(s.g.get(platform::kRootHandle, "Units"), Value("normalized"));
    EXPECT_EQ(s.g.get(s.fig, "ActivePositionProperty"), Value("position"));
    s.g.set(s.fig, "Units", Value("pixels"));
    EXPECT_EQ(s.outer(), Matrix::rowVector({600, 10, 400, 300}));

    s.h.rt.callbackObject.reset();
    gui::movegui(s.h.rt, {});
    EXPECT_EQ(s.g.get(other, "OuterPosition").matrix(), Matrix::rowVector({900, 10, 100, 100}));
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
