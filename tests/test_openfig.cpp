#include <gtest/gtest.h>

#include "gui/gui.h"
#include "harness.h"
#include "platform/error.h"

using namespace vezedo;
using platform::Handle;
using platform::Matrix;
using platform::Value;

using vezedo::test::errorOf;

namespace {

const char* kSmallLayout = R"({"window": {"title": "Small", "size": [300, 200], "position": [2000, 50]},
  "controls": [{"style": "edit", "tag": "Box", "string": "0", "position": [10, 10, 80, 20]}]})";

}  // namespace

namespace {

struct Small {
    test::Harness h;
    platform::GraphicsModel& g = h.rt.graphics;
    test::TempDir dir;
    std::string path = dir.write("small.fig", kSmallLayout);
    Small() { g.setScreenSize(1024, 768); }
    const Value& singletonRow() const { return *g.appData(platform::kRootHandle, "small_SINGLETON_handle"); }
};

}  // namespace

TEST(OpenFig, ReuseLoadsTheLayoutOnce)
{
    Small s;
    const Handle first = gui::openfig(s.h.rt, s.path, "reuse");
    EXPECT_EQ(gui::openfig(s.h.rt, s.path, "reuse"), first);
    EXPECT_EQ(s.g.figures().size(), 1u);
    EXPECT_EQ(s.singletonRow(), Value(first));
}

TEST(OpenFig, AWindowPlacedOffTheScreenIsPulledOntoIt)
{
    Small s;
    const Handle fig = gui::openfig(s.h.rt, s.path, "reuse");
    EXPECT_EQ(s.g.get(fig, "OuterPosition").matrix(), Matrix::rowVector({724, 50, 300, 200}));
}

TEST(OpenFig, ReuseLoadsAgainOnceTheWindowIsClosed)
{
    Small s;
    s.g.deleteObject(gui::openfig(s.h.rt, s.path, "reuse"));
    const Handle again = gui::openfig(s.h.rt, s.path, "reuse");
    EXPECT_TRUE(s.g.isValid(again));
    EXPECT_EQ(s.g.findByTag("Box").size(), 1u);
}

TEST(OpenFig, NewIsTheDefaultAndAppendsToTheSingletonRow)
{
    Small s;
    const Handle a = gui::openfig(s.h.rt, s.path, "reuse");
    const Handle b = gui::openfig(s.h.rt, s.path);
    const Handle c = gui::openfig(s.h.rt, s.path, "new");
    EXPECT_NE(b, c);
    EXPECT_EQ(s.singletonRow(), Value(Matrix::rowVector({a, b, c})));
}

TEST(OpenFig, ReuseAfterNewTakesTheLastOfTheRowAndMakesItCurrent)
{
    Small s;
    gui::openfig(s.h.rt, s.path, "new");
    const Handle last = gui::openfig(s.h.rt, s.path, "new");
    s.g.createFigure();
    EXPECT_EQ(gui::openfig(s.h.rt, s.path, "reuse"), last);
    EXPECT_EQ(s.g.currentFigure(), last);
}

TEST(OpenFig, RefusesBadNamesAndPoliciesOpeningNothing)
{
    Small s;
    const struct {
        const char* name;
        std::string file;
        const char* policy;
        std::string message;
    } cases[] = {
        {"not a .fig file", (s.dir.path() / "small.txt").string(), "reuse", "Argument must be a .fig file"},
        {"an unknown policy", s.path, "old", "Second input argument must be 'new' or 'reuse'."},
        {"a policy in other case", s.path, "Reuse", "Second input argument must be 'new' or 'reuse'."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(errorOf([&] { gui::openfig(s.h.rt, c.file, c.policy); }), c.message) << c.name;
    EXPECT_TRUE(s.g.figures().empty());
}

TEST(OpenFig, AFileThatCannotBeReadIsNamedWithTheProblemAndOpensNothing)
{
    Small s;
    const struct {
        const char* name;
        std::string file;
        std::vector<std::string> parts;
    } cases[] = {
        {"broken JSON",
         s.dir.write("broken.fig", "{\"window\": {\"size\": [1, 2]},\n \"controls\": [ }"),
         {"broken.fig", "line 2"}},
        {"a missing file", (s.dir.path() / "gone.fig").string(), {"gone.fig", "no such file"}},
    };
    for (const auto& c : cases) {
        const std::string message = errorOf([&] { gui::openfig(s.h.rt, c.file, "reuse"); });
        for (const std::string& part : c.parts)
            EXPECT_NE(message.find(part), std::string::npos) << c.name << ": " << message;
    }
    EXPECT_EQ(s.g.appData(platform::kRootHandle, "broken_SINGLETON_handle"), nullptr);
    EXPECT_TRUE(s.g.figures().empty());
}

TEST(OpenFig, ANameWithoutFolderOrExtensionIsLookedForInTheLayoutFolders)
{
    test::Harness h;
    const Handle fig = gui::openfig(h.rt, "vezedo6", "reuse");
    EXPECT_FALSE(h.rt.graphics.findByTag("FileBox1").empty());
    EXPECT_EQ(gui::openfig(h.rt, "vezedo6.fig", "reuse"), fig);
}

TEST(OpenFig, TheSingletonKeyIsCutTo31Characters)
{
    Small s;
    gui::openfig(s.h.rt, s.dir.write("abcdefghijklmnopqrst.fig", kSmallLayout), "reuse");
    EXPECT_NE(s.g.appData(platform::kRootHandle, "abcdefghijklmnopqrst_SINGLETON_"), nullptr);
}
