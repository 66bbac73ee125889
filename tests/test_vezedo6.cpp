#include <gtest/gtest.h>

#include "harness.h"
#include "platform/error.h"
#include "shell/program.h"

using namespace vezedo;
using platform::Handle;
using platform::Value;

namespace {

// A started main window and a way to add buttons that call movegui.
struct Started {
    test::Harness h;
    platform::GraphicsModel& g = h.rt.graphics;
    Handle fig;

    Started()
    {
        g.setScreenSize(1000, 800);
        fig = h.program.start();
    }
    Handle moveguiButton(std::vector<platform::CallbackArg> args)
    {
        platform::UiControlData d;
        d.callback = {"movegui", std::move(args)};
        return g.createUiControl(fig, d);
    }
};

// The tests that need one started window and no more.
class StartedWindow : public testing::Test, public Started {};

}  // namespace

TEST_F(StartedWindow, StartOpensOneMainWindowColouredAsTheControls)
{
    EXPECT_EQ(g.figures(), std::vector<Handle>{fig});
    EXPECT_EQ(g.get(fig, "Color"), g.get(platform::kRootHandle, "DefaultUicontrolBackgroundColor"));
}

TEST_F(StartedWindow, StartKeepsTheTableOfControlHandlesOnTheWindow)
{
    const Value* table = g.appData(fig, "UsedByGUIData_m");
    ASSERT_TRUE(table && table->isRecord());
    for (const char* tag : {"EndBox1", "LoadProtoButton"})
        EXPECT_EQ(table->record().get(tag), Value(g.findByTag(tag).at(0))) << tag;
}

TEST_F(StartedWindow, CallingVezedo6AgainReusesTheWindowAndRebuildsItsTable)
{
    g.setAppData(fig, "UsedByGUIData_m", Value("stale"));
    EXPECT_EQ(h.program.registry().call("Vezedo6", {}, 1).at(0), Value(fig));
    EXPECT_EQ(g.figures().size(), 1u);
    EXPECT_TRUE(g.appData(fig, "UsedByGUIData_m")->isRecord());
}

TEST(Vezedo6, WithoutALayoutStartFailsNamingTheFileAndOpensNothing)
{
    test::Harness missing;
    missing.rt.layoutFolders = {"/nonexistent"};
    try {
        missing.program.start();
        ADD_FAILURE() << "no error without a layout";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("vezedo6.fig"), std::string::npos) << e.what();
    }
    EXPECT_TRUE(missing.rt.graphics.figures().empty());
}

TEST(Vezedo6, EveryDefaultCallbackPrintsItsNotImplementedLine)
{
    test::Harness h;
    const auto& reg = h.program.registry();
    for (const std::string& control : shell::defaultCallbackControls()) {
        reg.call("Vezedo6", {Value(control + "_Callback"), Value(), Value(), Value(), Value("more")});
        EXPECT_EQ(h.console.take(), control + " Callback not implemented yet.\n");
    }
}

// What the called function returns comes back; its errors go to the console and then nothing
// is returned.
TEST(Vezedo6, ACallReturnsWhatTheCalledFunctionReturnsAndWritesItsErrorsToTheConsole)
{
    const struct {
        const char* name;
        std::vector<Value> inputs;
        int outputs;
        shell::Outputs returned;
        std::string console;
    } cases[] = {
        {"no inputs, no outputs", {}, 0, {}, ""},
        {"a function name", {Value("isvarname"), Value("abc")}, 1, {Value(1.0)}, ""},
        {"a default callback with some of its inputs",
         {Value("pushbutton14_Callback"), Value(1.5), Value(), Value()},
         0,
         {},
         "pushbutton14 Callback not implemented yet.\n"},
        {"a default callback without its inputs",
         {Value("ProtoPointBox_Callback")},
         0,
         {},
         "ProtoPointBox Callback not implemented yet.\n"},
        {"a failing function", {Value("movegui"), Value("nowhere")}, 0, {}, "unrecognized position\n"},
        {"an unknown function",
         {Value("undefinedThing")},
         0,
         {},
         "Undefined function \"undefinedThing\": no function of that name is registered.\n"},
        {"an output asked of a callback",
         {Value("pushbutton1_Callback")},
         1,
         {},
         "Run-time Error: File: Vezedo6/pushbutton1_Callback Line: 77 Column: 1 The function "
         "\"Vezedo6/pushbutton1_Callback\" was called with more than the declared number of outputs (0).\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::Harness h;
        EXPECT_EQ(h.program.registry().call("Vezedo6", c.inputs, c.outputs), c.returned);
        EXPECT_EQ(h.console.text(), c.console);
    }
}

TEST_F(StartedWindow, ATwoStateButtonRoutesThroughVezedo6ToItsDefaultCallback)
{
    h.program.runCallback(g.findByTag("ShowLineButton").at(0));
    EXPECT_EQ(h.console.take(), "radiobutton1 Callback not implemented yet.\n");
}

TEST(CallbackBoundary, ErrorsOfTheCallbackGoToTheConsole)
{
    const struct {
        const char* name;
        std::function<Handle(Started&)> control;
        std::string console;
    } cases[] = {
        {"an action", [](Started& s) { return s.g.findByTag("SetBlocks").at(0); }, "There is no plot window yet"},
        {"a function", [](Started& s) { return s.moveguiButton({Value("sideways")}); }, "unrecognized position\n"},
    };
    for (const auto& c : cases) {
        Started s;
        s.h.program.runCallback(c.control(s));
        EXPECT_NE(s.h.console.take().find(c.console), std::string::npos) << c.name;
        EXPECT_FALSE(s.h.rt.callbackObject.has_value()) << c.name;
    }
}

TEST_F(StartedWindow, PlaceholdersGiveTheControlsOwnHandle)
{
    // From a callback movegui skips the event data and moves the callback's window, not the current one.
    g.createFigure();
    h.program.runCallback(
        moveguiButton({platform::CallbackRef::Self, platform::CallbackRef::EventData, Value("northeast")}));
    EXPECT_EQ(h.console.text(), "");
    const auto outer = g.get(fig, "OuterPosition").matrix();
    EXPECT_EQ(outer[0] + outer[2], 1000);
    EXPECT_EQ(outer[1] + outer[3], 800);
}

namespace {

struct ActionLog {
    std::vector<std::pair<shell::ActionPhase, std::string>> heard;
    platform::Subscription subscription;

    explicit ActionLog(shell::Program& program)
        : subscription(program.onAction(
              [this](const shell::ActionEvent& e) { heard.emplace_back(e.phase, std::string(e.action)); }))
    {
    }
};

using Heard = std::vector<std::pair<shell::ActionPhase, std::string>>;

}  // namespace

TEST(ActionHook, ObserversHearAnActionStartAndFinishEvenWhenItFails)
{
    const struct {
        const char* name;
        std::function<void(Started&)> run;
        Heard heard;
    } cases[] = {
        {"a refused action by name", [](Started& s) { s.h.program.runAction("SetBlocks"); },
         Heard{{shell::ActionPhase::Started, "SetBlocks"}, {shell::ActionPhase::Finished, "SetBlocks"}}},
        {"a control's press", [](Started& s) { s.h.program.runCallback(s.g.findByTag("SetBlocks").at(0)); },
         Heard{{shell::ActionPhase::Started, "SetBlocks"}, {shell::ActionPhase::Finished, "SetBlocks"}}},
        {"a callback that runs no action",
         [](Started& s) { s.h.program.runCallback(s.moveguiButton({Value("north")})); }, Heard{}},
        {"an action given as a number", [](Started& s) { s.h.program.registry().call("vezedosw", {Value(1.0)}, 0); },
         Heard{}},
    };
    for (const auto& c : cases) {
        Started s;
        ActionLog log(s.h.program);
        c.run(s);
        EXPECT_EQ(log.heard, c.heard) << c.name;
    }
}

TEST_F(StartedWindow, AnEndedActionHookHearsNothing)
{
    ActionLog log(h.program);
    log.subscription.reset();
    h.program.runAction("SetBlocks");
    EXPECT_TRUE(log.heard.empty());
}
