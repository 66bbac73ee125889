#include <gtest/gtest.h>

#include "harness.h"
#include "platform/error.h"
#include "shell/program.h"

using namespace vezedo;
using platform::Handle;
using platform::Value;

TEST(Vezedo6, StartOpensTheMainWindowAndStoresItsHandleTable)
{
    test::Harness h;
    const Handle fig = h.program.start();
    platform::GraphicsModel& g = h.rt.graphics;
    EXPECT_EQ(g.figures(), std::vector<Handle>{fig});
    EXPECT_EQ(g.get(fig, "Color"), g.get(platform::kRootHandle, "DefaultUicontrolBackgroundColor"));
    const Value* table = g.appData(fig, "UsedByGUIData_m");
    ASSERT_NE(table, nullptr);
    ASSERT_TRUE(table->isRecord());
    EXPECT_EQ(table->record().get("EndBox1"), Value(g.findByTag("EndBox1").at(0)));
    EXPECT_EQ(table->record().get("LoadProtoButton"), Value(g.findByTag("LoadProtoButton").at(0)));
}

TEST(Vezedo6, CalledAgainReusesTheWindowAndRebuildsTheTable)
{
    test::Harness h;
    const Handle fig = h.program.start();
    h.rt.graphics.setAppData(fig, "UsedByGUIData_m", Value("stale"));
    const auto out = h.program.registry().call("Vezedo6", {}, 1);
    EXPECT_EQ(out.at(0), Value(fig));
    EXPECT_EQ(h.rt.graphics.figures().size(), 1u);
    EXPECT_TRUE(h.rt.graphics.appData(fig, "UsedByGUIData_m")->isRecord());
    EXPECT_TRUE(h.program.registry().call("Vezedo6", {}, 0).empty());
}

TEST(Vezedo6, RoutesNamedCallbacksToTheirNotImplementedLines)
{
    test::Harness h;
    const auto& reg = h.program.registry();
    reg.call("Vezedo6", {Value("pushbutton14_Callback"), Value(1.5), Value(), Value()});
    reg.call("Vezedo6", {Value("ProtoPointBox_Callback")});
    EXPECT_EQ(h.console.text(),
              "pushbutton14 Callback not implemented yet.\nProtoPointBox Callback not implemented yet.\n");
    EXPECT_EQ(shell::defaultCallbackControls().size(), 32u);
    for (const std::string& control : shell::defaultCallbackControls()) {
        h.console.take();
        reg.call("Vezedo6", {Value(control + "_Callback"), Value(), Value(), Value(), Value("more")});
        EXPECT_EQ(h.console.text(), control + " Callback not implemented yet.\n");
    }
}

TEST(Vezedo6, WritesErrorsOfTheCalledFunctionToTheConsoleAndReturnsNothing)
{
    test::Harness h;
    const auto& reg = h.program.registry();
    EXPECT_TRUE(reg.call("Vezedo6", {Value("movegui"), Value("nowhere")}, 0).empty());
    EXPECT_TRUE(reg.call("Vezedo6", {Value("undefinedThing")}, 0).empty());
    EXPECT_TRUE(reg.call("Vezedo6", {Value("pushbutton1_Callback")}, 1).empty());
    EXPECT_EQ(h.console.text(),
              "unrecognized position\n"
              "Undefined function \"undefinedThing\": no function of that name is registered.\n"
              "Run-time Error: File: Vezedo6/pushbutton1_Callback Line: 77 Column: 1 The function "
              "\"Vezedo6/pushbutton1_Callback\" was called with more than the declared number of outputs (0).\n");
}

TEST(Vezedo6, PassesOutputsOfTheCalledFunctionThrough)
{
    test::Harness h;
    const auto out = h.program.registry().call("Vezedo6", {Value("isvarname"), Value("abc")}, 1);
    EXPECT_EQ(out, (shell::Outputs{Value(1.0)}));
}

TEST(Vezedo6, AMissingLayoutStopsStartUpWithTheError)
{
    test::Harness h;
    h.rt.layoutFolders = {"/nonexistent"};
    try {
        h.program.start();
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("vezedo6.fig"), std::string::npos) << e.what();
    }
    EXPECT_TRUE(h.rt.graphics.figures().empty());
}

TEST(CallbackBoundary, RunsAControlsCallbackWithItsHandleAndTable)
{
    test::Harness h;
    h.program.start();
    // The two-state button routes through Vezedo6 to a default callback.
    h.program.runCallback(h.rt.graphics.findByTag("ShowLineButton").at(0));
    EXPECT_EQ(h.console.take(), "radiobutton1 Callback not implemented yet.\n");
    EXPECT_FALSE(h.rt.callbackObject.has_value());
}

TEST(CallbackBoundary, AnErrorInACallbackGoesToTheConsoleAndTheProgramGoesOn)
{
    test::Harness h;
    const Handle fig = h.program.start();
    platform::UiControlData d;
    d.callback.function = "movegui";
    d.callback.args = {Value("sideways")};
    const Handle button = h.rt.graphics.createUiControl(fig, d);
    h.program.runCallback(button);
    EXPECT_EQ(h.console.take(), "unrecognized position\n");

    // An action that stops with an error reports it the same way.
    h.program.runCallback(h.rt.graphics.findByTag("SetBlocks").at(0));
    EXPECT_NE(h.console.take().find("There is no plot window yet"), std::string::npos);
    EXPECT_FALSE(h.rt.callbackObject.has_value());
}

TEST(CallbackBoundary, MoveguiFromACallbackIgnoresTheEventDataAndMovesTheCallbacksWindow)
{
    test::Harness h;
    h.rt.graphics.setScreenSize(1000, 800);
    const Handle fig = h.program.start();
    h.rt.graphics.createFigure();  // another window is current
    platform::UiControlData d;
    d.callback.function = "movegui";
    d.callback.args = {platform::CallbackRef::Self, platform::CallbackRef::EventData, Value("northeast")};
    h.program.runCallback(h.rt.graphics.createUiControl(fig, d));
    EXPECT_EQ(h.console.text(), "");
    const auto outer = h.rt.graphics.get(fig, "OuterPosition").matrix();
    EXPECT_EQ(outer[0] + outer[2], 1000);
    EXPECT_EQ(outer[1] + outer[3], 800);
}
