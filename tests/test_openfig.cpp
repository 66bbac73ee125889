#include <gtest/gtest.h>

#include "gui/gui.h"
#include "harness.h"
#include "platform/error.h"

using namespace vezedo;
using platform::Handle;
using platform::Matrix;
using platform::Value;

namespace {

const char* kSmallLayout = R"({"window": {"title": "Small", "size": [300, 200], "position": [2000, 50]},
  "controls": [{"style": "edit", "tag": "Box", "string": "0", "position": [10, 10, 80, 20]}]})";

std::string errorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const Error& e) {
        return e.what();
    }
    return "";
}

}  // namespace

TEST(OpenFig, ReuseLoadsOnceThenReturnsTheSameWindowUntilItCloses)
{
    test::Harness h;
    test::TempDir dir;
    const std::string path = dir.write("small.fig", kSmallLayout);
    const Handle first = gui::openfig(h.rt, path, "reuse");
    const Handle again = gui::openfig(h.rt, path, "reuse");
    EXPECT_EQ(first, again);
    EXPECT_EQ(h.rt.graphics.figures().size(), 1u);
    EXPECT_EQ(*h.rt.graphics.appData(platform::kRootHandle, "small_SINGLETON_handle"), Value(first));

    h.rt.graphics.deleteObject(first);
    const Handle reloaded = gui::openfig(h.rt, path, "reuse");
    EXPECT_TRUE(h.rt.graphics.isValid(reloaded));
    EXPECT_EQ(h.rt.graphics.findByTag("Box").size(), 1u);
}

TEST(OpenFig, NewAlwaysLoadsAndAppendsToTheSingletonRow)
{
    test::Harness h;
    test::TempDir dir;
    const std::string path = dir.write("small.fig", kSmallLayout);
    const Handle a = gui::openfig(h.rt, path);  // "new" by default
    const Handle b = gui::openfig(h.rt, path, "new");
    EXPECT_NE(a, b);
    EXPECT_EQ(*h.rt.graphics.appData(platform::kRootHandle, "small_SINGLETON_handle"), Value(Matrix::rowVector({a, b})));
    EXPECT_EQ(gui::openfig(h.rt, path, "reuse"), b);  // the last of the row
    EXPECT_EQ(h.rt.graphics.currentFigure(), b);
}

TEST(OpenFig, KeepsTheNewWindowOnScreen)
{
    test::Harness h;
    h.rt.graphics.setScreenSize(1024, 768);
    test::TempDir dir;
    const Handle fig = gui::openfig(h.rt, dir.write("small.fig", kSmallLayout), "reuse");
    EXPECT_EQ(h.rt.graphics.get(fig, "OuterPosition").matrix(), Matrix::rowVector({724, 50, 300, 200}));
}

TEST(OpenFig, SingletonKeyIsCutTo31Characters)
{
    EXPECT_EQ(gui::singletonKey("vezedo6"), "vezedo6_SINGLETON_handle");
    const std::string twenty = "abcdefghijklmnopqrst";
    EXPECT_EQ(gui::singletonKey(twenty), "abcdefghijklmnopqrst_SINGLETON_");
    EXPECT_EQ(gui::singletonKey(twenty).size(), 31u);

    test::Harness h;
    test::TempDir dir;
    gui::openfig(h.rt, dir.write(twenty + ".fig", kSmallLayout), "reuse");
    EXPECT_NE(h.rt.graphics.appData(platform::kRootHandle, "abcdefghijklmnopqrst_SINGLETON_"), nullptr);
}

TEST(OpenFig, RefusesOtherExtensionsAndPolicies)
{
    test::Harness h;
    test::TempDir dir;
    const std::string path = dir.write("small.fig", kSmallLayout);
    EXPECT_EQ(errorOf([&] { gui::openfig(h.rt, (dir.path() / "small.txt").string(), "reuse"); }),
              "Argument must be a .fig file");
    EXPECT_EQ(errorOf([&] { gui::openfig(h.rt, path, "old"); }), "Second input argument must be 'new' or 'reuse'.");
    EXPECT_EQ(errorOf([&] { gui::openfig(h.rt, path, "Reuse"); }), "Second input argument must be 'new' or 'reuse'.");
    EXPECT_TRUE(h.rt.graphics.figures().empty());
}

TEST(OpenFig, AddsTheExtensionAndSearchesTheLayoutFolders)
{
    test::Harness h;
    const Handle fig = gui::openfig(h.rt, "vezedo6", "reuse");
    EXPECT_FALSE(h.rt.graphics.findByTag("FileBox1").empty());
    EXPECT_EQ(gui::openfig(h.rt, "vezedo6.fig", "reuse"), fig);
}

TEST(OpenFig, AMissingOrBrokenLayoutChangesNothing)
{
    test::Harness h;
    test::TempDir dir;
    const std::string broken = dir.write("broken.fig", "{\"window\": {\"size\": [1, 2]},\n \"controls\": [ }");
    const std::string message = errorOf([&] { gui::openfig(h.rt, broken, "reuse"); });
    EXPECT_NE(message.find("broken.fig"), std::string::npos) << message;
    EXPECT_NE(message.find("line 2"), std::string::npos) << message;
    EXPECT_EQ(h.rt.graphics.appData(platform::kRootHandle, "broken_SINGLETON_handle"), nullptr);

    const std::string missing = errorOf([&] { gui::openfig(h.rt, (dir.path() / "gone.fig").string(), "new"); });
    EXPECT_NE(missing.find("gone.fig"), std::string::npos) << missing;
    EXPECT_NE(missing.find("no such file"), std::string::npos) << missing;
    EXPECT_TRUE(h.rt.graphics.figures().empty());
}
