#include <gtest/gtest.h>

#include <map>
#include <set>

#include "gui/gui.h"
#include "harness.h"
#include "platform/error.h"

using namespace vezedo;
using platform::GraphicsModel;
using platform::Handle;
using platform::UiControlData;

namespace {

const std::string kMainLayout = std::string(VEZEDO_LAYOUT_DIR) + "/vezedo6.fig";

const UiControlData& control(const GraphicsModel& g, Handle h)
{
    return g.object(h).as<UiControlData>();
}

std::string actionOf(const UiControlData& d)
{
    if (d.callback.function != "vezedosw" || d.callback.args.size() != 1)
        return "";
    const auto* v = std::get_if<platform::Value>(&d.callback.args[0]);
    return v && v->isString() ? v->string() : "";
}

}  // namespace

TEST(MainLayout, HasEveryControlTagWithAKindThatCarriesItsProperty)
{
    GraphicsModel g;
    gui::loadLayout(g, kMainLayout);
    const std::map<std::string, std::set<std::string>> kinds{
        {"FileBox1", {"text"}},       {"WireBox", {"text"}},          {"ProtoPointBox", {"edit"}},
        {"ShowLineButton", {"checkbox", "radiobutton", "togglebutton"}},
        {"EndBox1", {"edit"}},        {"EndBox2", {"edit"}},          {"ActivePointBox", {"edit"}},
        {"TargetLineBox", {"edit"}},  {"MaxBlockBox", {"edit"}},      {"SetBlocks", {"pushbutton"}},
        {"LoadProtoButton", {"pushbutton"}}, {"BlockBox", {"edit"}},  {"CurrentBlockBox", {"text", "edit"}},
        {"LengthBox", {"text", "edit"}}};
    for (const auto& [tag, allowed] : kinds) {
        const auto found = g.findByTag(tag);
        ASSERT_EQ(found.size(), 1u) << tag;
        EXPECT_TRUE(allowed.count(control(g, found[0]).style)) << tag << " is a " << control(g, found[0]).style;
    }
    EXPECT_EQ(control(g, g.findByTag("ProtoPointBox")[0]).string, "0");
    EXPECT_EQ(control(g, g.findByTag("CurrentBlockBox")[0]).string, "1");
}

TEST(MainLayout, HasOneButtonForEachActionAndTheBlockButtonsTagged)
{
    GraphicsModel g;
    const Handle fig = gui::loadLayout(g, kMainLayout);
    const std::vector<std::string> actions{
        "LoadFile1",      "LoadFileIMP", "LoadWire",  "LoadProto",          "SaveProtocol",
        "ShowProto",      "NewProto",    "ShowLine",  "ShowLine2",          "DeleteLine",
        "AddLine",        "SaveLengths", "ProtoAux",  "ShowMLine",          "SetBlocks",
        "AddBlocks",      "ReplotM",     "ShowAllBlock", "ShowBlockStructure", "BlockUp",
        "BlockDown",      "BlockEnter",  "AddLinetoBlock", "SaveMatrix",    "LoadBlock",
        "ClearTarget"};
    std::map<std::string, Handle> buttons;
    for (Handle h : g.listObjects(fig)) {
        if (g.type(h) != platform::ObjectType::UiControl)
            continue;
        const std::string action = actionOf(control(g, h));
        if (action.empty())
            continue;
        EXPECT_EQ(control(g, h).style, "pushbutton") << action;
        EXPECT_FALSE(control(g, h).string.empty()) << action << " has no label";
        EXPECT_TRUE(buttons.emplace(action, h).second) << action << " appears twice";
    }
    EXPECT_EQ(buttons.size(), actions.size());
    for (const std::string& a : actions)
        EXPECT_TRUE(buttons.count(a)) << a;
    EXPECT_EQ(g.findByTag("SetBlocks").at(0), buttons["SetBlocks"]);
    EXPECT_EQ(g.findByTag("LoadProtoButton").at(0), buttons["LoadBlock"]);
}

TEST(MainLayout, EveryEditBoxHasACaptionAndEveryControlFitsTheWindow)
{
    GraphicsModel g;
    const Handle fig = gui::loadLayout(g, kMainLayout);
    const auto window = g.object(fig).as<platform::FigureData>().position;
    std::vector<platform::Rect> captions;
    std::vector<std::pair<std::string, platform::Rect>> edits;
    for (Handle h : g.listObjects(fig)) {
        if (g.type(h) != platform::ObjectType::UiControl)
            continue;
        const UiControlData& d = control(g, h);
        const auto& p = d.position;
        EXPECT_TRUE(p[0] >= 0 && p[1] >= 0 && p[0] + p[2] <= window[2] && p[1] + p[3] <= window[3])
            << g.object(h).tag << " " << d.string;
        if (d.style == "text" && g.object(h).tag.empty())
            captions.push_back(p);
        if (d.style == "edit")
            edits.emplace_back(g.object(h).tag, p);
    }
    for (const auto& [tag, e] : edits) {
        // A caption ends left of the box on the same line, or sits right above it.
        const bool captioned = std::any_of(captions.begin(), captions.end(), [&](const platform::Rect& c) {
            const bool besideLeft = c[0] + c[2] <= e[0] + 1 && std::abs((c[1] + c[3] / 2) - (e[1] + e[3] / 2)) < 12;
            const bool above = c[1] >= e[1] + e[3] - 1 && c[1] <= e[1] + e[3] + 12 && std::abs(c[0] - e[0]) < 12;
            return besideLeft || above;
        });
        EXPECT_TRUE(captioned) << tag << " has no caption";
    }
}

struct BrokenLayout {
    const char* text;
    const char* problem;
};

class LayoutErrors : public testing::TestWithParam<BrokenLayout> {};

TEST_P(LayoutErrors, NameTheFileAndTheProblemAndLeaveNoWindow)
{
    test::TempDir dir;
    const std::string path = dir.write("bad.fig", GetParam().text);
    GraphicsModel g;
    try {
        gui::loadLayout(g, path);
        FAIL() << "no error";
    } catch (const Error& e) {
        const std::string message = e.what();
        EXPECT_EQ(message.rfind("Layout file " + path + ": ", 0), 0u) << message;
        EXPECT_NE(message.find(GetParam().problem), std::string::npos) << message;
    }
    EXPECT_TRUE(g.figures().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Files, LayoutErrors,
    testing::Values(
        BrokenLayout{"", "not valid JSON"}, BrokenLayout{"[1, 2]", "expected an object"},
        BrokenLayout{R"({"controls": []})", "\"window\" is missing"},
        BrokenLayout{R"({"window": {"size": [0, 10]}, "controls": []})", "must be positive"},
        BrokenLayout{R"({"format": "other", "window": {"size": [10, 10]}, "controls": []})", "\"format\""},
        BrokenLayout{R"({"version": 2, "window": {"size": [10, 10]}, "controls": []})", "version 2"},
        BrokenLayout{R"({"window": {"size": [10, 10]}, "controls": [{"style": "slider", "position": [0,0,1,1]}]})",
                     "control 1: unknown style \"slider\""},
        BrokenLayout{R"({"window": {"size": [10, 10]}, "controls": [{"style": "edit", "tag": "A"}]})",
                     "control 1 (\"A\"): \"position\" is missing"},
        BrokenLayout{R"({"window": {"size": [10, 10]}, "controls": [{"style": "edit", "position": [0, 0, 1]}]})",
                     "expected 4 numbers"},
        BrokenLayout{R"x({"window": {"size": [10, 10]}, "controls": [{"style": "edit", "position": [0,0,1,1],
                        "callback": "vezedosw('LoadFile1')"}]})x",
                     "\"callback\" must be an object"},
        BrokenLayout{R"({"window": {"size": [10, 10]}, "controls": [{"style": "edit", "position": [0,0,1,1],
                        "callback": {"function": "f", "args": [{"ref": "parent"}]}}]})",
                     "unknown reference \"parent\""}));

TEST(LayoutFile, AMissingFileIsNamed)
{
    GraphicsModel g;
    try {
        gui::loadLayout(g, "/nonexistent/folder/vezedo6.fig");
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), "Layout file /nonexistent/folder/vezedo6.fig: cannot be opened (no such file)");
    }
}
