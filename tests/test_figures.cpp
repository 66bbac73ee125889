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

TEST(GuiHandles, SharedTagsGiveOneFieldInListingOrderInvalidTagsAreSkippedAndDescendantsFindTheirWindow)
{
    Window w;
    const Handle first = w.control("EndBox1");
    const Handle other = w.control("EndBox2");
    for (const char* skipped : {"", "2ndBox", "for", "has space"})
        w.control(skipped);
    const Handle second = w.control("EndBox1");
    w.h.rt.graphics.setHandleVisibility(w.control("HiddenBox"), platform::HandleVisibility::Off);
    w.h.rt.graphics.setTag(w.fig, "MainWindow");

    const platform::Record table = gui::guihandles(w.h.rt, nullptr);
    EXPECT_EQ(table.names(), (std::vector<std::string>{"MainWindow", "EndBox1", "EndBox2", "HiddenBox"}));
    EXPECT_EQ(table.get("EndBox1").matrix(), Matrix::rowVector({first, second}));
    EXPECT_EQ(table.get("EndBox2"), Value(other));

    // From a descendant it climbs to the window; anything else is refused.
    const Handle axes = w.h.rt.graphics.currentAxes(w.fig);
    const Value line(w.h.rt.graphics.plot3(axes, {{0, 0, 0}, {1, 1, 1}}, {}));
    EXPECT_EQ(gui::guihandles(w.h.rt, &line).get("EndBox2"), Value(other));
    for (const Value& bad : {Value(0.0), Value(99.5), Value(Matrix::rowVector({other, other})), Value("EndBox2")}) {
        try {
            gui::guihandles(w.h.rt, &bad);
            ADD_FAILURE() << "no error for " << bad.describe();
        } catch (const Error& e) {
            EXPECT_EQ(std::string(e.what()), "H must be the handle to a figure or figure descendent.");
        }
    }
    // The local helpers of the three modules climb the same way, or give empty.
    const auto& reg = w.h.program.registry();
    const Value text(w.h.rt.graphics.text3(axes, {0, 0, 0}, "1"));
    for (auto [module, name] : {std::pair{"guidata", "getParentFigure"}, std::pair{"guihandles", "getParentFigure"},
                                std::pair{"movegui", "get_parent_fig"}}) {
        EXPECT_EQ(reg.callLocal(module, name, std::vector<Value>{text}, 1).at(0), Value(w.fig)) << module;
        EXPECT_TRUE(reg.callLocal(module, name, std::vector<Value>{Value(0.0)}, 1).at(0).isEmptyMatrix()) << module;
    }
    EXPECT_TRUE(reg.callLocal("guihandles", "createHandles", std::vector<Value>{Value(w.fig)}, 1).at(0).isRecord());
}

TEST(GuiData, StoresOnTheWindowReadsFromAnyDescendantAndGivesNoOutputWhenStoring)
{
    Window w;
    const Handle box = w.control("Box");
    EXPECT_TRUE(gui::guidata(w.h.rt, Value(w.fig)).isEmptyMatrix());
    platform::Record data;
    data.set("answer", Value(42.0));
    gui::guidata(w.h.rt, Value(box), Value(data));
    EXPECT_EQ(gui::guidata(w.h.rt, Value(w.fig)), Value(data));
    EXPECT_NE(w.h.rt.graphics.appData(w.fig, "UsedByGUIData_m"), nullptr);
    EXPECT_EQ(w.h.rt.graphics.appData(box, "UsedByGUIData_m"), nullptr);

    const auto& reg = w.h.program.registry();
    EXPECT_THROW(reg.call("guidata", {Value(w.fig), Value(1.0)}, 1), Error);
    EXPECT_TRUE(reg.call("guidata", {Value(w.fig), Value(7.0)}, 0).empty());
    EXPECT_EQ(reg.call("guidata", {Value(box)}, 1).at(0), Value(7.0));
    EXPECT_THROW(reg.call("guidata", {Value(3.0)}, 1), Error);  // no window 3
}
