#include <gtest/gtest.h>

#include "harness.h"
#include "platform/error.h"
#include "shell/program.h"

using namespace vezedo;
using platform::Handle;
using platform::Value;

TEST(Vezedo6, StartOpensTheMainWindowWithItsHandleTableCallingAgainReusesItAndNoLayoutStopsIt)
{
    test::Harness h;
    const Handle fig = h.program.start();
    platform::GraphicsModel& g = h.rt.graphics;
    EXPECT_EQ(g.figures(), std::vector<Handle>{fig});
    EXPECT_EQ(g.get(fig, "Color"), g.get(platform::kRootHandle, "DefaultUicontrolBackgroundColor"));
    const Value* table = g.appData(fig, "UsedByGUIData_m");
    ASSERT_TRUE(table && table->isRecord());
    EXPECT_EQ(table->record().get("EndBox1"), Value(g.findByTag("EndBox1").at(0)));
    EXPECT_EQ(table->record().get("LoadProtoButton"), Value(g.findByTag("LoadProtoButton").at(0)));

    g.setAppData(fig, "UsedByGUIData_m", Value("stale"));
    EXPECT_EQ(h.program.registry().call("Vezedo6", {}, 1).at(0), Value(fig));
    EXPECT_EQ(g.figures().size(), 1u);
    EXPECT_TRUE(g.appData(fig, "UsedByGUIData_m")->isRecord());
    EXPECT_TRUE(h.program.registry().call("Vezedo6", {}, 0).empty());

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

TEST(Vezedo6, ACallbackNamePrintsItsLineAndAFunctionNameRunsThatFunction)
{
    test::Harness h;
    const auto& reg = h.program.registry();
    reg.call("Vezedo6", {Value("pushbutton14_Callback"), Value(1.5), Value(), Value()});
    reg.call("Vezedo6", {Value("ProtoPointBox_Callback")});
    EXPECT_EQ(h.console.take(),
              "pushbutton14 Callback not implemented yet.\nProtoPointBox Callback not implemented yet.\n");
    EXPECT_EQ(shell::defaultCallbackControls().size(), 32u);
    for (const std::string& control : shell::defaultCallbackControls()) {
        reg.call("Vezedo6", {Value(control + "_Callback"), Value(), Value(), Value(), Value("more")});
        EXPECT_EQ(h.console.take(), control + " Callback not implemented yet.\n");
    }

    EXPECT_EQ(reg.call("Vezedo6", {Value("isvarname"), Value("abc")}, 1), (shell::Outputs{Value(1.0)}));
    // Errors of the called function go to the console and nothing is returned.
    EXPECT_TRUE(reg.call("Vezedo6", {Value("movegui"), Value("nowhere")}, 0).empty());
    EXPECT_TRUE(reg.call("Vezedo6", {Value("undefinedThing")}, 0).empty());
    EXPECT_TRUE(reg.call("Vezedo6", {Value("pushbutton1_Callback")}, 1).empty());
    EXPECT_EQ(h.console.text(),
              "unrecognized position\n"
              "Undefined function \"undefinedThing\": no function of that name is registered.\n"
              "Run-time Error: File: Vezedo6/pushbutton1_Callback Line: 77 Column: 1 The function "
              "\"Vezedo6/pushbutton1_Callback\" was called with more than the declared number of outputs (0).\n");
}

TEST(CallbackBoundary, RunsControlCallbacksWithTheirHandleAndReportsErrorsOnTheConsole)
{
    test::Harness h;
    platform::GraphicsModel& g = h.rt.graphics;
    g.setScreenSize(1000, 800);
    const Handle fig = h.program.start();
    // The two-state button routes through Vezedo6 to a default callback.
    h.program.runCallback(g.findByTag("ShowLineButton").at(0));
    EXPECT_EQ(h.console.take(), "radiobutton1 Callback not implemented yet.\n");
    h.program.runCallback(g.findByTag("SetBlocks").at(0));
    EXPECT_NE(h.console.take().find("There is no plot window yet"), std::string::npos);

    auto moveguiButton = [&](std::vector<platform::CallbackArg> args) {
        platform::UiControlData d;
        d.callback = {"movegui", std::move(args)};
        return g.createUiControl(fig, d);
    };
    h.program.runCallback(moveguiButton({Value("sideways")}));
    EXPECT_EQ(h.console.take(), "unrecognized position\n");
    // From a callback movegui skips the event data and moves the callback's window, not the current one.
    g.createFigure();
    h.program.runCallback(
        moveguiButton({platform::CallbackRef::Self, platform::CallbackRef::EventData, Value("northeast")}));
    EXPECT_EQ(h.console.text(), "");
    const auto outer = g.get(fig, "OuterPosition").matrix();
    EXPECT_EQ(outer[0] + outer[2], 1000);
    EXPECT_EQ(outer[1] + outer[3], 800);
    EXPECT_FALSE(h.rt.callbackObject.has_value());
}
