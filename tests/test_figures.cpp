#include <gtest/gtest.h>

#include "gui/gui.h"
#include "harness.h"
#include "platform/error.h"

using namespace vezedo;
using platform::Handle;
using platform::Matrix;
using platform::UiControlData;
using platform::Value;

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

}  // namespace

TEST(GuiHandles, ListsEveryValidTagOnceInListingOrder)
{
    Window w;
    w.control("EndBox1");
    w.control("EndBox2");
    w.control("EndBox1");
    w.h.rt.graphics.setHandleVisibility(w.control("HiddenBox"), platform::HandleVisibility::Off);
    w.h.rt.graphics.setTag(w.fig, "MainWindow");
    EXPECT_EQ(gui::guihandles(w.h.rt, nullptr).names(),
              (std::vector<std::string>{"MainWindow", "EndBox1", "EndBox2", "HiddenBox"}));
}

TEST(GuiHandles, SkipsTagsThatAreNoVariableNames)
{
    for (const char* skipped : {"", "2ndBox", "for", "has space"}) {
        Window w;
        w.control(skipped);
        EXPECT_TRUE(gui::guihandles(w.h.rt, nullptr).names().empty()) << '"' << skipped << '"';
    }
}

TEST(GuiHandles, ASharedTagGivesOneFieldOfAllItsHandles)
{
    Window w;
    const Handle first = w.control("EndBox1");
    const Handle other = w.control("EndBox2");
    const Handle second = w.control("EndBox1");
    const platform::Record table = gui::guihandles(w.h.rt, nullptr);
    EXPECT_EQ(table.get("EndBox1").matrix(), Matrix::rowVector({first, second}));
    EXPECT_EQ(table.get("EndBox2"), Value(other));
}

TEST(GuiHandles, FromADescendantItClimbsToTheWindow)
{
    Window w;
    const Handle box = w.control("EndBox2");
    const Value line(w.h.rt.graphics.plot3(w.h.rt.graphics.currentAxes(w.fig), {{0, 0, 0}, {1, 1, 1}}, {}));
    EXPECT_EQ(gui::guihandles(w.h.rt, &line).get("EndBox2"), Value(box));
}

TEST(GuiHandles, RefusesWhatIsNoWindowOrDescendant)
{
    Window w;
    const Handle box = w.control("EndBox2");
    const struct {
        const char* name;
        Value given;
    } cases[] = {{"the root", Value(0.0)},
                 {"no object", Value(99.5)},
                 {"two handles", Value(Matrix::rowVector({box, box}))},
                 {"a text", Value("EndBox2")}};
    for (const auto& c : cases) {
        try {
            gui::guihandles(w.h.rt, &c.given);
            ADD_FAILURE() << "no error for " << c.name;
        } catch (const Error& e) {
            EXPECT_EQ(std::string(e.what()), "H must be the handle to a figure or figure descendent.") << c.name;
        }
    }
}

TEST(GuiLocalFunctions, ParentFigureHelpersClimbToTheWindowOrGiveEmpty)
{
    Window w;
    const auto& reg = w.h.program.registry();
    const Value text(w.h.rt.graphics.text3(w.h.rt.graphics.currentAxes(w.fig), {0, 0, 0}, "1"));
    for (auto [module, name] : {std::pair{"guidata", "getParentFigure"}, std::pair{"guihandles", "getParentFigure"},
                                std::pair{"movegui", "get_parent_fig"}}) {
        EXPECT_EQ(reg.callLocal(module, name, std::vector<Value>{text}, 1).at(0), Value(w.fig)) << module;
        EXPECT_TRUE(reg.callLocal(module, name, std::vector<Value>{Value(0.0)}, 1).at(0).isEmptyMatrix()) << module;
    }
}

TEST(GuiLocalFunctions, CreateHandlesGivesTheTable)
{
    Window w;
    w.control("Box");
    const Value table =
        w.h.program.registry().callLocal("guihandles", "createHandles", std::vector<Value>{Value(w.fig)}, 1).at(0);
    ASSERT_TRUE(table.isRecord());
    EXPECT_EQ(table.record().names(), std::vector<std::string>{"Box"});
}

TEST(GuiData, IsEmptyUntilSomethingIsStored)
{
    Window w;
    EXPECT_TRUE(gui::guidata(w.h.rt, Value(w.fig)).isEmptyMatrix());
}

TEST(GuiData, StoringFromADescendantKeepsTheDataOnItsWindow)
{
    Window w;
    const Handle box = w.control("Box");
    platform::Record data;
    data.set("answer", Value(42.0));
    gui::guidata(w.h.rt, Value(box), Value(data));
    EXPECT_EQ(gui::guidata(w.h.rt, Value(w.fig)), Value(data));
    EXPECT_NE(w.h.rt.graphics.appData(w.fig, "UsedByGUIData_m"), nullptr);
    EXPECT_EQ(w.h.rt.graphics.appData(box, "UsedByGUIData_m"), nullptr);
}

TEST(GuiData, TheRowStoresWithoutOutputAndReadsFromAnyDescendant)
{
    Window w;
    const Handle box = w.control("Box");
    const auto& reg = w.h.program.registry();
    EXPECT_TRUE(reg.call("guidata", {Value(w.fig), Value(7.0)}, 0).empty());
    EXPECT_EQ(reg.call("guidata", {Value(box)}, 1).at(0), Value(7.0));
}

TEST(GuiData, TheRowRefusesAnOutputWhenStoringAndAWindowThatIsNotOpen)
{
    Window w;
    const auto& reg = w.h.program.registry();
    const struct {
        const char* name;
        std::vector<Value> inputs;
    } cases[] = {{"an output asked when storing", {Value(w.fig), Value(1.0)}}, {"no window 3", {Value(3.0)}}};
    for (const auto& c : cases)
        EXPECT_THROW(reg.call("guidata", c.inputs, 1), Error) << c.name;
}
