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

TEST(MoveGui, PlacesTheWindowByOffsetsOrOnscreen)
{
    const Value offsetFromLeftBottom(Matrix::rowVector({20, 30}));
    const Value offsetFromRightTop(Matrix::rowVector({-20, -30}));
    const struct {
        const char* name;
        platform::Rect from;
        std::vector<Value> before;  // the arguments before the window's handle
        std::vector<Value> after;   // and after it
        platform::Rect to;
    } cases[] = {
        {"onscreen by default, pulled in from the top right", {900, 700, 400, 300}, {}, {}, {600, 500, 400, 300}},
        {"onscreen, pulled in from the bottom left", {-40, -10, 400, 300}, {Value("onscreen")}, {}, {0, 0, 400, 300}},
        {"positive offsets from the left and bottom edges",
         {0, 0, 400, 300},
         {offsetFromLeftBottom},
         {},
         {20, 30, 400, 300}},
        {"negative offsets from the right and top edges",
         {0, 0, 400, 300},
         {},
         {offsetFromRightTop},
         {580, 470, 400, 300}},
        {"a window larger than the screen is cut to it", {10, 10, 1200, 900}, {}, {Value("center")}, {0, 0, 1000, 800}},
    };
    for (const auto& c : cases) {
        Screen s;
        std::vector<Value> args = c.before;
        args.emplace_back(s.fig);
        args.insert(args.end(), c.after.begin(), c.after.end());
        EXPECT_EQ(s.moved(c.from, args), box(c.to)) << c.name;
    }
}

TEST(MoveGui, ANegativeFrameIsReplacedByADefaultFrame)
{
    // A negative frame makes the outer box smaller than the inner one.
    Screen s;
    s.g.setFrame(s.fig, {-1, -1, -1, -1});
    s.g.set(s.fig, "Position", Value(Matrix::rowVector({100, 100, 200, 100})));
    gui::movegui(s.h.rt, std::vector<Value>{Value(s.fig), Value("southwest")});
    EXPECT_EQ(s.outer(), box({0, 0, 198 + 6, 98 + 24}));
}

namespace {

// The main window in normalized units with its inner position active, another window current,
// and the callback running from a control of the main window.
struct FromCallback : Screen {
    Handle other;
    FromCallback()
    {
        place({900, 10, 400, 300});
        g.set(fig, "Units", Value("normalized"));
        g.set(platform::kRootHandle, "Units", Value("normalized"));
        g.set(fig, "ActivePositionProperty", Value("position"));
        other = g.createFigure();  // now current
        g.set(other, "OuterPosition", Value(Matrix::rowVector({950, 10, 100, 100})));
        h.rt.callbackObject = g.createUiControl(fig, platform::UiControlData{});
    }
};

}  // namespace

TEST(MoveGui, FromACallbackMovesTheCallbacksWindow)
{
    FromCallback s;
    gui::movegui(s.h.rt, {});
    s.g.set(s.fig, "Units", Value("pixels"));
    EXPECT_EQ(s.outer(), Matrix::rowVector({600, 10, 400, 300}));
}

TEST(MoveGui, WithoutACallbackMovesTheCurrentWindow)
{
    FromCallback s;
    s.h.rt.callbackObject.reset();
    gui::movegui(s.h.rt, {});
    EXPECT_EQ(s.g.get(s.other, "OuterPosition").matrix(), Matrix::rowVector({900, 10, 100, 100}));
}

TEST(MoveGui, RestoresTheUnitsAndActivePositionPropertyItChanged)
{
    FromCallback s;
    gui::movegui(s.h.rt, {});
    const struct {
        const char* name;
        Handle object;
        const char* property;
        const char* value;
    } cases[] = {{"window units", s.fig, "Units", "normalized"},
                 {"screen units", platform::kRootHandle, "Units", "normalized"},
                 {"active position", s.fig, "ActivePositionProperty", "position"}};
    for (const auto& c : cases)
        EXPECT_EQ(s.g.get(c.object, c.property), Value(c.value)) << c.name;
}

TEST(MoveGui, RefusesBadArgumentsWithTheirMessages)
{
    Screen s;
    const Value fig(s.fig);
    const Value triple(Matrix::rowVector({1, 2, 3}));
    const struct {
        const char* name;
        std::vector<Value> args;
        bool fromCallback;
        std::string message;
    } cases[] = {
        {"an unknown position", {fig, Value("middle")}, false, "unrecognized position"},
        {"a position in other case", {fig, Value("North")}, false, "unrecognized position"},
        {"the root", {Value(0.0)}, false, "handle of figure or descendant required"},
        {"three numbers", {fig, triple}, false, "unrecognized input argument"},
        {"four inputs", {fig, Value("north"), Value("south"), Value("east")}, false, "Too many input arguments."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(test::errorOf([&] { gui::movegui(s.h.rt, c.args, c.fromCallback); }), c.message) << c.name;
}

TEST(MoveGui, FromACallbackTheSecondInputIsEventDataAndPassedOver)
{
    Screen s;
    EXPECT_NO_THROW(gui::movegui(
        s.h.rt, std::vector<Value>{Value(s.fig), Value(Matrix::rowVector({1, 2, 3})), Value("north")}, true));
}
