#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "controller/controller.h"
#include "gui/gui.h"
#include "harness.h"
#include "io/files.h"
#include "platform/error.h"

using namespace vezedo;
using platform::GraphicsModel;
using platform::Handle;
using platform::UiControlData;
using test::errorOf;

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

class MainLayout : public ::testing::Test {
protected:
    GraphicsModel g;
    Handle fig = gui::loadLayout(g, kMainLayout);

    std::vector<Handle> controls() const
    {
        std::vector<Handle> out;
        for (Handle h : g.listObjects(fig))
            if (g.type(h) == platform::ObjectType::UiControl)
                out.push_back(h);
        return out;
    }
    const UiControlData& tagged(const char* tag) const { return control(g, g.findByTag(tag).at(0)); }
};

}  // namespace

TEST_F(MainLayout, EveryTagIsOneControlOfItsKind)
{
    const std::pair<std::vector<std::string>, std::set<std::string>> kinds[] = {
        {{"FileBox1", "WireBox", "ProtoPointBox"}, {"text"}},
        {{"EndBox1", "EndBox2", "ActivePointBox", "TargetLineBox", "MaxBlockBox", "BlockBox"}, {"edit"}},
        {{"SetBlocks", "LoadProtoButton"}, {"pushbutton"}},
        {{"CurrentBlockBox", "LengthBox"}, {"text", "edit"}},
        {{"ShowLineButton"}, {"checkbox", "radiobutton", "togglebutton"}}};
    for (const auto& [tags, allowed] : kinds) {
        for (const std::string& tag : tags) {
            const auto found = g.findByTag(tag);
            ASSERT_EQ(found.size(), 1u) << tag;
            EXPECT_TRUE(allowed.count(control(g, found[0]).style)) << tag << " is a " << control(g, found[0]).style;
        }
    }
}

TEST_F(MainLayout, BoxesStartWithTheirNumbersAndTaggedButtonsRunTheirActions)
{
    for (const auto& [tag, text] : {std::pair{"ProtoPointBox", "0"}, {"CurrentBlockBox", "1"}})
        EXPECT_EQ(tagged(tag).string, text) << tag;
    for (const auto& [tag, action] : {std::pair{"SetBlocks", "SetBlocks"}, {"LoadProtoButton", "LoadBlock"}})
        EXPECT_EQ(actionOf(tagged(tag)), action) << tag;
}

TEST_F(MainLayout, EveryActionHasExactlyOneLabelledButton)
{
    // Every row of the action table.
    std::vector<std::string> actions;
    for (std::string_view name : controller::actionNames())
        actions.emplace_back(name);
    std::vector<std::string> buttons;
    for (Handle h : controls()) {
        const UiControlData& d = control(g, h);
        // A two-state box may redraw through an action when it is ticked; buttons run the rest.
        if (const std::string action = actionOf(d); !action.empty() && d.style != "checkbox") {
            EXPECT_EQ(d.style, "pushbutton") << action;
            EXPECT_FALSE(d.string.empty()) << action << " has no label";
            buttons.push_back(action);
        }
    }
    std::sort(actions.begin(), actions.end());
    std::sort(buttons.begin(), buttons.end());
    EXPECT_EQ(buttons, actions);
}

TEST_F(MainLayout, EveryControlLiesInsideTheWindowAndEveryEditBoxHasACaptionBesideOrAboveIt)
{
    const auto window = g.object(fig).as<platform::FigureData>().position;
    std::vector<platform::Rect> captions;
    for (Handle h : controls()) {
        const auto& p = control(g, h).position;
        EXPECT_TRUE(p[0] >= 0 && p[1] >= 0 && p[0] + p[2] <= window[2] && p[1] + p[3] <= window[3])
            << g.object(h).tag << " " << control(g, h).string;
        if (control(g, h).style == "text" && g.object(h).tag.empty())
            captions.push_back(p);
    }
    for (Handle h : controls()) {
        if (control(g, h).style != "edit")
            continue;
        const platform::Rect& e = control(g, h).position;
        // A caption ends left of the box on the same line, or sits right above it.
        const bool captioned = std::any_of(captions.begin(), captions.end(), [&](const platform::Rect& c) {
            const bool besideLeft = c[0] + c[2] <= e[0] + 1 && std::abs((c[1] + c[3] / 2) - (e[1] + e[3] / 2)) < 12;
            const bool above = c[1] >= e[1] + e[3] - 1 && c[1] <= e[1] + e[3] + 12 && std::abs(c[0] - e[0]) < 12;
            return besideLeft || above;
        });
        EXPECT_TRUE(captioned) << g.object(h).tag << " has no caption";
    }
}

TEST(LayoutFile, AMissingFileOrAContentErrorNamesTheFileAndTheProblemAndLeavesNoWindow)
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
        const std::string message = errorOf([&] { gui::loadLayout(g, path); });
        EXPECT_EQ(message.rfind("Layout file " + path + ": ", 0), 0u) << problem << ": " << message;
        EXPECT_NE(message.find(problem), std::string::npos) << problem << ": " << message;
        EXPECT_TRUE(g.figures().empty()) << problem;
    }
    GraphicsModel g;
    EXPECT_EQ(errorOf([&] { gui::loadLayout(g, "/nonexistent/folder/vezedo6.fig"); }),
              "Layout file /nonexistent/folder/vezedo6.fig: cannot be opened (no such file)");
    EXPECT_TRUE(g.figures().empty());
}

// The front end and the tools name actions through the action table and controls through the
// tags file: no action name or control tag is spelled as a string in their sources, so a
// renamed action or tag cannot leave a stale copy behind.
TEST_F(MainLayout, NoActionNameOrTagIsSpelledInTheFrontEndOrTheTools)
{
    std::vector<std::string> names;
    for (std::string_view action : controller::actionNames())
        names.push_back("\"" + std::string(action) + "\"");
    for (Handle h : controls())
        if (const std::string& tag = g.object(h).tag; !tag.empty())
            names.push_back("\"" + tag + "\"");
    std::size_t files = 0;
    for (const char* folder : {"qt", "tools", "app"}) {
        for (const auto& entry :
             std::filesystem::recursive_directory_iterator(std::filesystem::path(VEZEDO_SOURCE_DIR) / folder)) {
            if (!entry.is_regular_file())
                continue;
            const std::string text = io::readFile(entry.path().string());
            ++files;
            for (const std::string& name : names)
                EXPECT_EQ(text.find(name), std::string::npos) << entry.path().string() << " spells " << name;
        }
    }
    EXPECT_GT(files, 10u);
}
