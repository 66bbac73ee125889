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

TEST(OpenFig, ReuseLoadsOnceUntilTheWindowClosesAndNewAppendsToTheSingletonRow)
{
    test::Harness h;
    platform::GraphicsModel& g = h.rt.graphics;
    g.setScreenSize(1024, 768);
    test::TempDir dir;
    const std::string path = dir.write("small.fig", kSmallLayout);
    const Handle first = gui::openfig(h.rt, path, "reuse");
    EXPECT_EQ(gui::openfig(h.rt, path, "reuse"), first);
    EXPECT_EQ(g.figures().size(), 1u);
    EXPECT_EQ(*g.appData(platform::kRootHandle, "small_SINGLETON_handle"), Value(first));
    EXPECT_EQ(g.get(first, "OuterPosition").matrix(), Matrix::rowVector({724, 50, 300, 200}));  // kept on screen

    g.deleteObject(first);
    const Handle a = gui::openfig(h.rt, path, "reuse");
    EXPECT_TRUE(g.isValid(a));
    EXPECT_EQ(g.findByTag("Box").size(), 1u);
    const Handle b = gui::openfig(h.rt, path);  // "new" by default
    const Handle c = gui::openfig(h.rt, path, "new");
    EXPECT_NE(b, c);
    EXPECT_EQ(*g.appData(platform::kRootHandle, "small_SINGLETON_handle"), Value(Matrix::rowVector({a, b, c})));
    EXPECT_EQ(gui::openfig(h.rt, path, "reuse"), c);  // the last of the row
    EXPECT_EQ(g.currentFigure(), c);
}

TEST(OpenFig, RefusesBadNamesAndPoliciesChangingNothingAndFindsLayoutsByName)
{
    test::Harness h;
    test::TempDir dir;
    const std::string path = dir.write("small.fig", kSmallLayout);
    EXPECT_EQ(errorOf([&] { gui::openfig(h.rt, (dir.path() / "small.txt").string(), "reuse"); }),
              "Argument must be a .fig file");
    for (const char* policy : {"old", "Reuse"})
        EXPECT_EQ(errorOf([&] { gui::openfig(h.rt, path, policy); }),
                  "Second input argument must be 'new' or 'reuse'.");

    const std::string broken = dir.write("broken.fig", "{\"window\": {\"size\": [1, 2]},\n \"controls\": [ }");
    const std::string message = errorOf([&] { gui::openfig(h.rt, broken, "reuse"); });
    EXPECT_NE(message.find("broken.fig"), std::string::npos) << message;
    EXPECT_NE(message.find("line 2"), std::string::npos) << message;
    EXPECT_EQ(h.rt.graphics.appData(platform::kRootHandle, "broken_SINGLETON_handle"), nullptr);

    const std::string missing = errorOf([&] { gui::openfig(h.rt, (dir.path() / "gone.fig").string(), "new"); });
    EXPECT_NE(missing.find("gone.fig"), std::string::npos) << missing;
    EXPECT_NE(missing.find("no such file"), std::string::npos) << missing;
    EXPECT_TRUE(h.rt.graphics.figures().empty());

    // A name without folder or extension is looked for in the layout folders.
    const Handle fig = gui::openfig(h.rt, "vezedo6", "reuse");
    EXPECT_FALSE(h.rt.graphics.findByTag("FileBox1").empty());
    EXPECT_EQ(gui::openfig(h.rt, "vezedo6.fig", "reuse"), fig);
    EXPECT_EQ(gui::singletonKey("vezedo6"), "vezedo6_SINGLETON_handle");
    // The key is cut to 31 characters.
    gui::openfig(h.rt, dir.write("abcdefghijklmnopqrst.fig", kSmallLayout), "reuse");
    EXPECT_EQ(gui::singletonKey("abcdefghijklmnopqrst"), "abcdefghijklmnopqrst_SINGLETON_");
    EXPECT_NE(h.rt.graphics.appData(platform::kRootHandle, "abcdefghijklmnopqrst_SINGLETON_"), nullptr);
}
