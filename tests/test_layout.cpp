#include <gtest/gtest.h>

#include <algorithm>
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
    const auto* v = d.callback.args.size() == 1 ? std::get_if<platform::Value>(&d.callback.args[0]) : nullptr;
    return d.callback.function == "vezedosw" && v && v->isString() ? v->string() : "";
}

std::string loadError(GraphicsModel& g, const std::string& path)
{
    try {
        gui::loadLayout(g, path);
    } catch (const Error& e) {
        return e.what();
    }
    return "";
}

}  // namespace

TEST(MainLayout, HasEveryTagWithItsKindAButtonPerActionAndACaptionPerEditBox)
{
    GraphicsModel g;
    const Handle fig = gui::loadLayout(g, kMainLayout);
    const std::map<std::string, std::set<std::string>> kinds{
        {"FileBox1", {"text"}},
        {"WireBox", {"text"}},
        {"ProtoPointBox", {"edit"}},
        {"EndBox1", {"edit"}},
        {"EndBox2", {"edit"}},
        {"ActivePointBox", {"edit"}},
        {"TargetLineBox", {"edit"}},
        {"MaxBlockBox", {"edit"}},
        {"BlockBox", {"edit"}},
        {"SetBlocks", {"pushbutton"}},
        {"LoadProtoButton", {"pushbutton"}},
        {"CurrentBlockBox", {"text", "edit"}},
        {"LengthBox", {"text", "edit"}},
        {"ShowLineButton", {"checkbox", "radiobutton", "togglebutton"}}};
    for (const auto& [tag, allowed] : kinds) {
        const auto found = g.findByTag(tag);
        ASSERT_EQ(found.size(), 1u) << tag;
        EXPECT_TRUE(allowed.count(control(g, found[0]).style)) << tag << " is a " << control(g, found[0]).style;
    }
    EXPECT_EQ(control(g, g.findByTag("ProtoPointBox")[0]).string, "0");
    EXPECT_EQ(control(g, g.findByTag("CurrentBlockBox")[0]).string, "1");
    EXPECT_EQ(actionOf(control(g, g.findByTag("SetBlocks")[0])), "SetBlocks");
    EXPECT_EQ(actionOf(control(g, g.findByTag("LoadProtoButton")[0])), "LoadBlock");

    // One labelled button per action; every control inside the window, every edit box captioned.
    std::vector<std::string> actions{
        "LoadFile1",          "LoadFileIMP",    "LoadWire",   "LoadProto",    "SaveProtocol", "ShowProto", "NewProto",
        "ShowLine",           "ShowLine2",      "DeleteLine", "AddLine",      "SaveLengths",  "ProtoAux",  "ShowMLine",
        "SetBlocks",          "AddBlocks",      "ReplotM",    "ShowAllBlock", "BlockUp",      "BlockDown", "BlockEnter",
        "ShowBlockStructure", "AddLinetoBlock", "SaveMatrix", "LoadBlock",    "ClearTarget"};
    const auto window = g.object(fig).as<platform::FigureData>().position;
    std::vector<std::string> buttons;
    std::vector<platform::Rect> captions;
    std::vector<std::pair<std::string, platform::Rect>> edits;
    for (Handle h : g.listObjects(fig)) {
        if (g.type(h) != platform::ObjectType::UiControl)
            continue;
        const UiControlData& d = control(g, h);
        const auto& p = d.position;
        EXPECT_TRUE(p[0] >= 0 && p[1] >= 0 && p[0] + p[2] <= window[2] && p[1] + p[3] <= window[3])
            << g.object(h).tag << " " << d.string;
        if (const std::string action = actionOf(d); !action.empty()) {
            EXPECT_EQ(d.style, "pushbutton") << action;
            EXPECT_FALSE(d.string.empty()) << action << " has no label";
            buttons.push_back(action);
        }
        if (d.style == "text" && g.object(h).tag.empty())
            captions.push_back(p);
        if (d.style == "edit")
            edits.emplace_back(g.object(h).tag, p);
    }
    std::sort(actions.begin(), actions.end());
    std::sort(buttons.begin(), buttons.end());
    EXPECT_EQ(buttons, actions);  // each action once
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

TEST(LayoutFile, ErrorsNameTheFileAndTheProblemAndLeaveNoWindow)
{
    test::TempDir dir;
    const std::string window = R"({"window": {"size": [10, 10]}, "controls": )";
    for (const auto& [text, problem] : std::vector<std::pair<std::string, std::string>>{
             {"", "not valid JSON"},
             {"[1, 2]", "expected an object"},
             {R"({"controls": []})", "\"window\" is missing"},
             {R"({"window": {"size": [0, 10]}, "controls": []})", "must be positive"},
             {R"({"format": "other", "window": {"size": [10, 10]}, "controls": []})", "\"format\""},
             {R"({"version": 2, "window": {"size": [10, 10]}, "controls": []})", "version 2"},
             {window + R"([{"style": "slider", "position": [0,0,1,1]}]})", "control 1: unknown style \"slider\""},
             {window + R"([{"style": "edit", "tag": "A"}]})", "control 1 (\"A\"): \"position\" is missing"},
             {window + R"([{"style": "edit", "position": [0, 0, 1]}]})", "expected 4 numbers"},
             {window + R"x([{"style": "edit", "position": [0,0,1,1], "callback": "vezedosw('LoadFile1')"}]})x",
              "\"callback\" must be an object"},
             {window + R"([{"style": "edit", "position": [0,0,1,1],
                            "callback": {"function": "f", "args": [{"ref": "parent"}]}}]})",
              "unknown reference \"parent\""}}) {
        const std::string path = dir.write("bad.fig", text);
        GraphicsModel g;
        const std::string message = loadError(g, path);
        EXPECT_EQ(message.rfind("Layout file " + path + ": ", 0), 0u) << message;
        EXPECT_NE(message.find(problem), std::string::npos) << message;
        EXPECT_TRUE(g.figures().empty());
    }
    GraphicsModel g;
    EXPECT_EQ(loadError(g, "/nonexistent/folder/vezedo6.fig"),
              "Layout file /nonexistent/folder/vezedo6.fig: cannot be opened (no such file)");
}
