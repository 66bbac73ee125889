#include <gtest/gtest.h>

#include "gui/gui.h"
#include "harness.h"
#include "platform/error.h"

using namespace vezedo;
using platform::Handle;
using platform::Matrix;
using platform::UiControlData;
using platform::Value;

using vezedo::test::errorOf;

namespace {

struct Window {
    test::Harness h;
    Handle fig = h.rt.graphics.createFigure();

    Handle control(const std::string& tag)
    {
        UiControlData d;
        d.style = "edit";
        return h.rt.graphics.createUiControl(fig, d, tag);
    }
};

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

const char* kSmallLayout = R"({"window": {"title": "Small", "size": [300, 200], "position": [2000, 50]},
  "controls": [{"style": "edit", "tag": "Box", "string": "0", "position": [10, 10, 80, 20]}]})";

class OpenFig : public ::testing::Test {
protected:
    test::Harness h;
    platform::GraphicsModel& g = h.rt.graphics;
    test::TempDir dir;
    std::string path = dir.write("small.fig", kSmallLayout);
    OpenFig() { g.setScreenSize(1024, 768); }
    const Value& singletonRow() const { return *g.appData(platform::kRootHandle, "small_SINGLETON_handle"); }
};

}  // namespace

TEST(GuiHandles, ListsEveryValidTagOnceInListingOrderASharedTagGivingAllItsHandles)
{
    Window w;
    const Handle first = w.control("EndBox1");
    const Handle other = w.control("EndBox2");
    const Handle second = w.control("EndBox1");
    w.h.rt.graphics.setHandleVisibility(w.control("HiddenBox"), platform::HandleVisibility::Off);
    w.h.rt.graphics.setTag(w.fig, "MainWindow");
    const platform::Record table = gui::guihandles(w.h.rt, nullptr);
    EXPECT_EQ(table.names(), (std::vector<std::string>{"MainWindow", "EndBox1", "EndBox2", "HiddenBox"}));
    EXPECT_EQ(table.get("EndBox1").matrix(), Matrix::rowVector({first, second}));
    EXPECT_EQ(table.get("EndBox2"), Value(other));

    // From a descendant it climbs to the window.
    const Value line(w.h.rt.graphics.plot3(w.h.rt.graphics.currentAxes(w.fig), {{0, 0, 0}, {1, 1, 1}}, {}));
    EXPECT_EQ(gui::guihandles(w.h.rt, &line).get("EndBox2"), Value(other));
}

TEST(GuiHandles, SkipsTagsThatAreNoVariableNames)
{
    for (const char* skipped : {"", "2ndBox", "for", "has space"}) {
        Window w;
        w.control(skipped);
        EXPECT_TRUE(gui::guihandles(w.h.rt, nullptr).names().empty()) << '"' << skipped << '"';
    }
}

TEST(GuiHandles, RefusesWhatIsNoWindowOrDescendant)
{
    Window w;
    const Handle boxHandle = w.control("EndBox2");
    const struct {
        const char* name;
        Value given;
    } cases[] = {{"the root", Value(0.0)},
                 {"no object", Value(99.5)},
                 {"two handles", Value(Matrix::rowVector({boxHandle, boxHandle}))},
                 {"a text", Value("EndBox2")}};
    for (const auto& c : cases)
        EXPECT_EQ(errorOf([&] { gui::guihandles(w.h.rt, &c.given); }),
                  "H must be the handle to a figure or figure descendent.")
            << c.name;
}

TEST(GuiLocalFunctions, ParentFigureHelpersClimbToTheWindowOrGiveEmptyAndCreateHandlesGivesTheTable)
{
    Window w;
    w.control("Box");
    const auto& reg = w.h.program.registry();
    const Value text(w.h.rt.graphics.text3(w.h.rt.graphics.currentAxes(w.fig), {0, 0, 0}, "1"));
    for (auto [module, name] : {std::pair{"guidata", "getParentFigure"}, std::pair{"guihandles", "getParentFigure"},
                                std::pair{"movegui", "get_parent_fig"}}) {
        EXPECT_EQ(reg.callLocal(module, name, std::vector<Value>{text}, 1).at(0), Value(w.fig)) << module;
        EXPECT_TRUE(reg.callLocal(module, name, std::vector<Value>{Value(0.0)}, 1).at(0).isEmptyMatrix()) << module;
    }
    const Value table = reg.callLocal("guihandles", "createHandles", std::vector<Value>{Value(w.fig)}, 1).at(0);
    ASSERT_TRUE(table.isRecord());
    EXPECT_EQ(table.record().names(), std::vector<std::string>{"Box"});
}

TEST(GuiData, IsEmptyUntilStoredThenKeptOnTheWindowOfTheDescendantItWasStoredFromAlsoThroughTheRow)
{
    Window w;
    EXPECT_TRUE(gui::guidata(w.h.rt, Value(w.fig)).isEmptyMatrix());
    const Handle boxHandle = w.control("Box");
    platform::Record data;
    data.set("answer", Value(42.0));
    gui::guidata(w.h.rt, Value(boxHandle), Value(data));
    EXPECT_EQ(gui::guidata(w.h.rt, Value(w.fig)), Value(data));
    EXPECT_NE(w.h.rt.graphics.appData(w.fig, "UsedByGUIData_m"), nullptr);
    EXPECT_EQ(w.h.rt.graphics.appData(boxHandle, "UsedByGUIData_m"), nullptr);

    // The row stores without output, reads from any descendant and refuses an output when
    // storing or a window that is not open.
    const auto& reg = w.h.program.registry();
    EXPECT_TRUE(reg.call("guidata", {Value(w.fig), Value(7.0)}, 0).empty());
    EXPECT_EQ(reg.call("guidata", {Value(boxHandle)}, 1).at(0), Value(7.0));
    const struct {
        const char* name;
        std::vector<Value> inputs;
    } cases[] = {{"an output asked when storing", {Value(w.fig), Value(1.0)}}, {"no window 3", {Value(3.0)}}};
    for (const auto& c : cases)
        EXPECT_THROW(reg.call("guidata", c.inputs, 1), Error) << c.name;
}

TEST(MoveGui, PlacesTheOuterFrameAtEveryNamedPosition)
{
    Screen s;
    const struct {
        const char* name;
        double x, y;
    } cases[] = {{"north", 300, 500},     {"south", 300, 0},     {"east", 600, 250},    {"west", 0, 250},
                 {"northeast", 600, 500}, {"southeast", 600, 0}, {"northwest", 0, 500}, {"southwest", 0, 0},
                 {"center", 300, 250},    {"onscreen", 50, 60}};
    for (const auto& c : cases)
        EXPECT_EQ(s.moved({50, 60, 400, 300}, {Value(s.fig), Value(c.name)}), box({c.x, c.y, 400, 300})) << c.name;
}

TEST(MoveGui, PlacesTheWindowByOffsetsOrOnscreen)
{
    const Value fromLeftBottom(Matrix::rowVector({20, 30})), fromRightTop(Matrix::rowVector({-20, -30}));
    const struct {
        const char* name;
        platform::Rect from;
        std::vector<Value> before;  // the arguments before the window's handle
        std::vector<Value> after;   // and after it
        platform::Rect to;
    } cases[] = {
        {"onscreen by default, pulled in from the top right", {900, 700, 400, 300}, {}, {}, {600, 500, 400, 300}},
        {"onscreen, pulled in from the bottom left", {-40, -10, 400, 300}, {Value("onscreen")}, {}, {0, 0, 400, 300}},
        {"offsets from the left and bottom edges", {0, 0, 400, 300}, {fromLeftBottom}, {}, {20, 30, 400, 300}},
        {"negative offsets from the right and top edges", {0, 0, 400, 300}, {}, {fromRightTop}, {580, 470, 400, 300}},
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

TEST(MoveGui, FromACallbackMovesTheCallbacksWindowRestoringUnitsItChangedAndOtherwiseTheCurrentWindow)
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
    s.g.set(s.fig, "Units", Value("pixels"));
    EXPECT_EQ(s.outer(), Matrix::rowVector({600, 10, 400, 300}));

    // Without a callback it moves the current window.
    s.h.rt.callbackObject.reset();
    gui::movegui(s.h.rt, {});
    EXPECT_EQ(s.g.get(s.other, "OuterPosition").matrix(), Matrix::rowVector({900, 10, 100, 100}));
}

TEST(MoveGui, RefusesBadArgumentsWithTheirMessagesButPassesOverEventData)
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
        // From a callback the second input is event data, passed over.
        {"event data from a callback", {fig, triple, Value("north")}, true, "no error"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(errorOf([&] { gui::movegui(s.h.rt, c.args, c.fromCallback); }), c.message) << c.name;
}

TEST_F(OpenFig, ReuseLoadsTheLayoutOnceWhileItsWindowIsOpenPullingAWindowPlacedOffTheScreenOntoIt)
{
    const Handle first = gui::openfig(h.rt, path, "reuse");
    EXPECT_EQ(gui::openfig(h.rt, path, "reuse"), first);
    EXPECT_EQ(g.figures().size(), 1u);
    EXPECT_EQ(singletonRow(), Value(first));
    EXPECT_EQ(g.get(first, "OuterPosition").matrix(), Matrix::rowVector({724, 50, 300, 200}));

    // Once the window is closed it loads again.
    g.deleteObject(first);
    const Handle again = gui::openfig(h.rt, path, "reuse");
    EXPECT_TRUE(g.isValid(again));
    EXPECT_EQ(g.findByTag("Box").size(), 1u);
}

TEST_F(OpenFig, NewIsTheDefaultAndAppendsToTheSingletonRowAndReuseTakesTheLastOfTheRowMakingItCurrent)
{
    const Handle a = gui::openfig(h.rt, path, "reuse");
    const Handle b = gui::openfig(h.rt, path);
    const Handle c = gui::openfig(h.rt, path, "new");
    EXPECT_NE(b, c);
    EXPECT_EQ(singletonRow(), Value(Matrix::rowVector({a, b, c})));
    g.createFigure();
    EXPECT_EQ(gui::openfig(h.rt, path, "reuse"), c);
    EXPECT_EQ(g.currentFigure(), c);
}

TEST_F(OpenFig, RefusesBadNamesPoliciesAndFilesThatCannotBeReadOpeningNothing)
{
    const std::string policy = "Second input argument must be 'new' or 'reuse'.";
    const struct {
        const char* name;
        std::string file;
        const char* policy;
        std::string message;
    } cases[] = {
        {"not a .fig file", (dir.path() / "small.txt").string(), "reuse", "Argument must be a .fig file"},
        {"an unknown policy", path, "old", policy},
        {"a policy in other case", path, "Reuse", policy},
    };
    for (const auto& c : cases)
        EXPECT_EQ(errorOf([&] { gui::openfig(h.rt, c.file, c.policy); }), c.message) << c.name;

    const struct {
        const char* name;
        std::string file;
        std::vector<std::string> fragments;
    } unreadable[] = {
        {"broken JSON",
         dir.write("broken.fig", "{\"window\": {\"size\": [1, 2]},\n \"controls\": [ }"),
         {"broken.fig", "line 2"}},
        {"a missing file", (dir.path() / "gone.fig").string(), {"gone.fig", "no such file"}},
    };
    for (const auto& c : unreadable) {
        const std::string message = errorOf([&] { gui::openfig(h.rt, c.file, "reuse"); });
        for (const std::string& fragment : c.fragments)
            EXPECT_NE(message.find(fragment), std::string::npos) << c.name << ": " << message;
    }
    EXPECT_EQ(g.appData(platform::kRootHandle, "broken_SINGLETON_handle"), nullptr);
    EXPECT_TRUE(g.figures().empty());
}

TEST_F(OpenFig, ANameWithoutFolderOrExtensionIsLookedForInTheLayoutFolders)
{
    const Handle fig = gui::openfig(h.rt, "vezedo6", "reuse");
    EXPECT_FALSE(g.findByTag("FileBox1").empty());
    EXPECT_EQ(gui::openfig(h.rt, "vezedo6.fig", "reuse"), fig);
}

TEST_F(OpenFig, TheSingletonKeyIsCutTo31Characters)
{
    gui::openfig(h.rt, dir.write("abcdefghijklmnopqrst.fig", kSmallLayout), "reuse");
    EXPECT_NE(g.appData(platform::kRootHandle, "abcdefghijklmnopqrst_SINGLETON_"), nullptr);
}
