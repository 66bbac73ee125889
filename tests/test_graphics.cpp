#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "platform/error.h"
#include "platform/graphics.h"
#include "platform/style.h"

using vezedo::Error;
using namespace vezedo::platform;

namespace {

std::string errorOf(const auto& action)
{
    try {
        action();
    } catch (const Error& e) {
        return e.what();
    }
    return "no error";
}

std::vector<double> numbers(const Value& v)
{
    return v.matrix().values();
}

bool contains(const std::vector<double>& list, double h)
{
    return std::find(list.begin(), list.end(), h) != list.end();
}

Handle drawLine(GraphicsModel& model, Handle axes, std::string_view style = "k-")
{
    return model.plot3(axes, {{0, 0, 0}, {1, 2, 3}}, parseLineSpec(style));
}

// Every event seen while alive, with the property name copied out.
struct EventLog {
    struct Entry {
        ModelEventKind kind;
        Handle handle;
        ObjectType type;
        Handle parent;
        std::string property;
    };

    explicit EventLog(GraphicsModel& model)
        : sub(model.subscribe([this](const ModelEvent& e) {
              entries.push_back({e.kind, e.handle, e.type, e.parent, std::string(e.property)});
          }))
    {
    }

    std::size_t count(ModelEventKind kind, Handle h, std::string_view property = {}) const
    {
        return static_cast<std::size_t>(std::count_if(entries.begin(), entries.end(), [&](const Entry& e) {
            return e.kind == kind && e.handle == h && e.property == property;
        }));
    }

    std::vector<Entry> entries;
    Subscription sub;
};

}  // namespace

// --- windows ---

TEST(GraphicsModel, FiguresTakeLowestFreeNumber)
{
    GraphicsModel model;
    EXPECT_EQ(model.createFigure(), 1.0);
    EXPECT_EQ(model.createFigure(), 2.0);
    EXPECT_EQ(model.createFigure(), 3.0);
    model.deleteObject(2.0);
    EXPECT_EQ(model.createFigure(), 2.0);
    EXPECT_EQ(model.createFigure(), 4.0);
    EXPECT_EQ(model.figures(), (std::vector<Handle>{1, 2, 3, 4}));
    EXPECT_EQ(model.currentFigure(), 4.0);
}

TEST(GraphicsModel, MakeCurrentRecreatesClosedFigure)
{
    GraphicsModel model;
    const Handle fig1 = model.createFigure();
    const Handle fig2 = model.createFigure();
    drawLine(model, model.currentAxes(fig2));
    model.setAppData(fig2, "state", Value(5));
    model.makeFigureCurrent(fig1);
    model.deleteObject(fig2);

    EXPECT_EQ(model.makeFigureCurrent(2), 2.0);
    EXPECT_EQ(model.type(2), ObjectType::Figure);
    EXPECT_EQ(model.listObjects(2), std::vector<Handle>{2.0});
    EXPECT_EQ(model.appData(2, "state"), nullptr);
    EXPECT_EQ(model.currentFigure(), 2.0);

    // An unused number is taken as given; numbering still fills the lowest gap.
    EXPECT_EQ(model.makeFigureCurrent(7), 7.0);
    EXPECT_EQ(model.createFigure(), 3.0);

    // An open window stays what it is.
    const Handle axes = model.currentAxes(fig1);
    model.makeFigureCurrent(fig1);
    EXPECT_EQ(model.currentAxes(fig1), axes);
}

TEST(GraphicsModel, MakeCurrentRejectsValuesThatNameNoFigure)
{
    GraphicsModel model;
    const Handle fig = model.createFigure();
    const Handle line = drawLine(model, model.currentAxes(fig));
    for (double bad : {1.5, 0.0, -3.0, std::numeric_limits<double>::quiet_NaN(),
                       std::numeric_limits<double>::infinity(), 1e12}) {
        SCOPED_TRACE(bad);
        EXPECT_THROW(model.makeFigureCurrent(bad), Error);
    }
    EXPECT_NE(errorOf([&] { model.makeFigureCurrent(line); }).find("line"), std::string::npos);
    EXPECT_THROW(model.set(kRootHandle, "CurrentFigure", Value(0.0)), Error);
    EXPECT_EQ(model.figures(), std::vector<Handle>{fig});
    EXPECT_EQ(model.currentFigure(), fig);
}

TEST(GraphicsModel, DeletingCurrentFigureMakesLastCurrentOneCurrent)
{
    GraphicsModel model;
    model.createFigure();
    model.createFigure();
    model.createFigure();
    model.makeFigureCurrent(1);
    model.deleteObject(1);
    EXPECT_EQ(model.currentFigure(), 3.0);
    model.deleteObject(3);
    EXPECT_EQ(model.currentFigure(), 2.0);
    model.deleteObject(2);
    EXPECT_EQ(model.currentFigure(), std::nullopt);
    EXPECT_TRUE(model.get(kRootHandle, "CurrentFigure").isEmptyMatrix());
    EXPECT_EQ(model.currentFigureOrNew(), 1.0);
}

// --- handles and deletion ---

TEST(GraphicsModel, DeletingFigureDeletesDescendantsAndRetiresTheirHandles)
{
    GraphicsModel model;
    const Handle fig = model.createFigure();
    const Handle axes = model.currentAxes(fig);
    drawLine(model, axes);
    model.text3(axes, {1, 1, 1}, "3");
    model.createUiControl(fig, {}, "ok");
    const std::vector<Handle> old = model.listObjects(fig);
    ASSERT_EQ(old.size(), 6u);  // window, axes, y-label, line, text, control

    model.deleteObject(fig);
    for (Handle h : old) {
        EXPECT_FALSE(model.isValid(h)) << h;
        EXPECT_THROW(model.get(h, "Type"), Error);
    }
    EXPECT_TRUE(model.findByTag("ok").empty());

    const Handle again = model.createFigure();
    EXPECT_EQ(again, fig);  // window numbers are reused, nothing else is
    const Handle axes2 = model.currentAxes(again);
    std::vector<Handle> fresh{drawLine(model, axes2), model.text3(axes2, {0, 0, 0}, "x"),
                              model.createUiControl(again, {})};
    fresh.push_back(axes2);
    fresh.push_back(model.yLabel(axes2));
    for (Handle h : fresh)
        EXPECT_FALSE(contains(old, h)) << h;
}

TEST(GraphicsModel, NonFigureHandlesAreNeverWholeAndUnique)
{
    GraphicsModel model;
    std::set<Handle> seen;
    for (int round = 0; round < 3; ++round) {
        const Handle fig = model.createFigure();
        const Handle axes = model.currentAxes(fig);
        std::vector<Handle> made{axes, model.yLabel(axes), model.createUiControl(fig, {})};
        model.setHold(axes, true);
        for (int i = 0; i < 5; ++i) {
            made.push_back(drawLine(model, axes));
            made.push_back(model.text3(axes, {0, 0, 0}, "t"));
        }
        for (Handle h : made) {
            EXPECT_NE(std::floor(h), h) << h;
            EXPECT_TRUE(seen.insert(h).second) << "handle given twice: " << h;
        }
        model.deleteObject(fig);
    }
}

TEST(GraphicsModel, OnlyIssuedHandlesNameObjects)
{
    GraphicsModel model;
    const Handle fig = model.createFigure();
    const Handle axes = model.currentAxes(fig);
    // Values next to issued handles name nothing, least of all the root or a window.
    for (double stray : {0.5, fig + 0.5, axes + 0.25, axes + 1000.0, -0.5}) {
        SCOPED_TRACE(stray);
        EXPECT_FALSE(model.isValid(stray));
        EXPECT_THROW(model.deleteObject(stray), Error);
    }
    EXPECT_EQ(model.figures(), std::vector<Handle>{fig});
    EXPECT_NO_THROW(model.get(kRootHandle, "Children"));
}

// --- axes ---

TEST(GraphicsModel, AxesAreCreatedOnFirstUseAndReused)
{
    GraphicsModel model;
    const Handle fig = model.createFigure();
    EXPECT_TRUE(model.get(fig, "CurrentAxes").isEmptyMatrix());
    const Handle axes = model.currentAxes(fig);
    EXPECT_EQ(model.type(axes), ObjectType::Axes);
    EXPECT_EQ(model.parent(axes), fig);
    EXPECT_EQ(model.currentAxes(fig), axes);
    EXPECT_EQ(model.currentAxesOrNew(), axes);
    EXPECT_EQ(model.get(fig, "CurrentAxes").scalar(), axes);
    EXPECT_EQ(numbers(model.get(fig, "Children")), std::vector<double>{axes});

    model.deleteObject(axes);
    const Handle replacement = model.currentAxes(fig);
    EXPECT_NE(replacement, axes);
    EXPECT_TRUE(model.isValid(replacement));
}

TEST(GraphicsModel, PlotReplacesWithHoldOffAndAddsWithHoldOn)
{
    GraphicsModel model;
    const Handle axes = model.currentAxesOrNew();
    const Handle first = drawLine(model, axes);
    const Handle second = drawLine(model, axes);
    EXPECT_FALSE(model.isValid(first));
    EXPECT_EQ(numbers(model.get(axes, "Children")), std::vector<double>{second});
    EXPECT_EQ(model.get(axes, "NextPlot").string(), "replace");

    model.setHold(axes, true);
    EXPECT_EQ(model.get(axes, "nextplot").string(), "add");
    const Handle third = drawLine(model, axes);
    EXPECT_EQ(numbers(model.get(axes, "Children")), (std::vector<double>{second, third}));
}

TEST(GraphicsModel, PlotAppliesStyleText)
{
    GraphicsModel model;
    const Handle axes = model.currentAxesOrNew();
    model.setHold(axes, true);
    const Handle markers = drawLine(model, axes, "ro");
    EXPECT_EQ(numbers(model.get(markers, "Color")), (std::vector<double>{1, 0, 0}));
    EXPECT_EQ(model.get(markers, "Marker").string(), "o");
    EXPECT_EQ(model.get(markers, "LineStyle").string(), "none");
    const Handle solid = drawLine(model, axes, "k-");
    EXPECT_EQ(model.get(solid, "LineStyle").string(), "-");
    EXPECT_EQ(model.get(solid, "Marker").string(), "none");
    EXPECT_EQ(numbers(model.get(solid, "ZData")), (std::vector<double>{0, 3}));
}

TEST(GraphicsModel, AxisModesAndHoldOffPlotResetsThem)
{
    GraphicsModel model;
    const Handle axes = model.currentAxesOrNew();
    EXPECT_EQ(model.get(axes, "DataAspectRatioMode").string(), "auto");
    EXPECT_EQ(model.get(axes, "XLimMode").string(), "auto");
    model.setAxisEqual(axes);
    model.setHold(axes, true);
    drawLine(model, axes);
    EXPECT_EQ(model.get(axes, "DataAspectRatioMode").string(), "manual");
    model.setHold(axes, false);
    drawLine(model, axes);
    EXPECT_EQ(model.get(axes, "DataAspectRatioMode").string(), "auto");
}

TEST(GraphicsModel, ClearAxesKeepsHoldModesAndHiddenLabel)
{
    GraphicsModel model;
    const Handle axes = model.currentAxesOrNew();
    const Handle label = model.yLabel(axes);
    model.set(label, "String", Value("PC 2"));
    model.setHold(axes, true);
    model.setAxisEqual(axes);
    const Handle line = drawLine(model, axes);
    const Handle text = model.text3(axes, {0, 0, 0}, "1");

    model.clearAxes(axes);
    EXPECT_FALSE(model.isValid(line));
    EXPECT_FALSE(model.isValid(text));
    EXPECT_TRUE(model.get(axes, "Children").isEmpty());
    EXPECT_EQ(model.get(axes, "NextPlot").string(), "add");
    EXPECT_EQ(model.get(axes, "DataAspectRatioMode").string(), "manual");
    ASSERT_TRUE(model.isValid(label));
    EXPECT_EQ(model.get(label, "String").string(), "PC 2");
    EXPECT_THROW(model.clearAxes(model.figureOf(axes).value()), Error);
}

TEST(GraphicsModel, YLabelIsHiddenButFoundByTag)
{
    GraphicsModel model;
    const Handle axes = model.currentAxesOrNew();
    const Handle label = model.yLabel(axes);
    EXPECT_EQ(model.get(axes, "YLabel").scalar(), label);
    EXPECT_EQ(model.type(label), ObjectType::Text);
    EXPECT_EQ(model.parent(label), axes);
    EXPECT_EQ(model.get(label, "HandleVisibility").string(), "off");
    EXPECT_FALSE(contains(numbers(model.get(axes, "Children")), label));
    EXPECT_TRUE(contains(model.listObjects(model.figureOf(axes).value()), label));

    model.setTag(label, "ylab");
    drawLine(model, axes);  // hold off: clears, but not the label
    EXPECT_EQ(model.findByTag("ylab"), std::vector<Handle>{label});
}

TEST(GraphicsModel, FindByTagSearchesEveryFigureInOrder)
{
    GraphicsModel model;
    const Handle fig3 = model.makeFigureCurrent(3);
    const Handle in3 = model.createUiControl(fig3, {}, "apply");
    const Handle fig1 = model.createFigure();
    const Handle first = model.createUiControl(fig1, {}, "apply");
    model.createUiControl(fig1, {}, "cancel");
    const Handle second = model.createUiControl(fig1, {}, "apply");

    EXPECT_EQ(model.findByTag("apply"), (std::vector<Handle>{first, second, in3}));
    EXPECT_TRUE(model.findByTag("APPLY").empty());
    EXPECT_TRUE(model.findByTag("app").empty());
    model.deleteObject(fig1);
    EXPECT_EQ(model.findByTag("apply"), std::vector<Handle>{in3});
}

// --- properties ---

TEST(GraphicsModel, PropertyNamesIgnoreCase)
{
    GraphicsModel model;
    const Handle control = model.createUiControl(model.createFigure(), {});
    model.set(control, "string", Value("Load"));
    EXPECT_EQ(model.get(control, "STRING").string(), "Load");
    model.set(control, "TAG", Value("load"));
    EXPECT_EQ(model.findByTag("load"), std::vector<Handle>{control});
    EXPECT_EQ(model.get(control, "tYpE").string(), "uicontrol");
}

TEST(GraphicsModel, UnknownReadOnlyAndIllTypedPropertiesAreErrors)
{
    GraphicsModel model;
    const Handle axes = model.currentAxesOrNew();
    const Handle line = drawLine(model, axes);
    EXPECT_NE(errorOf([&] { model.get(line, "Colour"); }).find("Colour"), std::string::npos);
    EXPECT_THROW(model.set(line, "Nonsense", Value(1)), Error);
    EXPECT_NE(errorOf([&] { model.set(line, "type", Value("text")); }).find("cannot be set"), std::string::npos);
    EXPECT_THROW(model.set(axes, "YLabel", Value(1)), Error);
    EXPECT_THROW(model.set(kRootHandle, "ScreenSize", Value(Matrix::rowVector({1, 1, 9, 9}))), Error);
    EXPECT_THROW(model.set(line, "LineWidth", Value("thick")), Error);
    EXPECT_THROW(model.set(line, "LineWidth", Value(-1)), Error);
    EXPECT_EQ(model.get(line, "LineWidth").scalar(), 0.5);
    EXPECT_THROW(model.set(kRootHandle, "Position", Value(Matrix::rowVector({0, 0, 1, 1}))), Error);
}

TEST(GraphicsModel, ColoursAcceptLetterRowAndName)
{
    GraphicsModel model;
    const Handle line = drawLine(model, model.currentAxesOrNew());
    const auto colour = [&] { return numbers(model.get(line, "Color")); };
    model.set(line, "Color", Value("r"));
    EXPECT_EQ(colour(), (std::vector<double>{1, 0, 0}));
    model.set(line, "Color", Value(Matrix::rowVector({0, 0.5, 1})));
    EXPECT_EQ(colour(), (std::vector<double>{0, 0.5, 1}));
    model.set(line, "Color", Value("Green"));
    EXPECT_EQ(colour(), (std::vector<double>{0, 1, 0}));
    model.set(line, "Color", Value("M"));
    EXPECT_EQ(colour(), (std::vector<double>{1, 0, 1}));
    EXPECT_NE(errorOf([&] { model.set(line, "Color", Value("purple")); }).find("purple"), std::string::npos);
    EXPECT_THROW(model.set(line, "Color", Value(Matrix::rowVector({1, 2, 0}))), Error);
    EXPECT_THROW(model.set(line, "Color", Value(Matrix::rowVector({1, 0}))), Error);
    EXPECT_EQ(colour(), (std::vector<double>{1, 0, 1}));
}

TEST(GraphicsModel, EnableIsStoredLowerCase)
{
    GraphicsModel model;
    const Handle control = model.createUiControl(model.createFigure(), {});
    model.set(control, "Enable", Value("Off"));
    EXPECT_EQ(model.get(control, "Enable").string(), "off");
    EXPECT_EQ(model.object(control).as<UiControlData>().enable, "off");
    model.set(control, "enable", Value("INACTIVE"));
    EXPECT_EQ(model.get(control, "Enable").string(), "inactive");
    EXPECT_THROW(model.set(control, "Enable", Value("maybe")), Error);
}

TEST(GraphicsModel, FigurePositionsAccountForFrameAndUnits)
{
    GraphicsModel model;
    model.setScreenSize(1000, 500);
    const Handle fig = model.createFigure();
    model.object(fig).as<FigureData>().frame = {8, 8, 8, 31};  // left, bottom, right, top
    model.set(fig, "Position", Value(Matrix::rowVector({100, 100, 560, 420})));
    EXPECT_EQ(numbers(model.get(fig, "OuterPosition")), (std::vector<double>{92, 92, 576, 459}));
    model.set(fig, "OuterPosition", Value(Matrix::rowVector({0, 0, 600, 500})));
    EXPECT_EQ(numbers(model.get(fig, "Position")), (std::vector<double>{8, 8, 584, 461}));

    model.set(fig, "Units", Value("Normalized"));
    EXPECT_EQ(model.get(fig, "Units").string(), "normalized");
    EXPECT_EQ(numbers(model.get(fig, "OuterPosition")), (std::vector<double>{0, 0, 0.6, 1}));
    model.set(fig, "Position", Value(Matrix::rowVector({0.5, 0.5, 0.25, 0.5})));
    model.set(fig, "Units", Value("pixels"));
    EXPECT_EQ(numbers(model.get(fig, "Position")), (std::vector<double>{500, 250, 250, 250}));
    EXPECT_THROW(model.set(fig, "Position", Value(Matrix::rowVector({1, 2, 3}))), Error);
}

TEST(GraphicsModel, RootScreenSizeFollowsSetScreenSize)
{
    GraphicsModel model;
    EXPECT_EQ(numbers(model.get(kRootHandle, "ScreenSize")), (std::vector<double>{1, 1, 1920, 1080}));
    EventLog log(model);
    model.setScreenSize(1280, 800);
    model.setScreenSize(1280, 800);
    EXPECT_EQ(numbers(model.get(kRootHandle, "screensize")), (std::vector<double>{1, 1, 1280, 800}));
    EXPECT_EQ(log.count(ModelEventKind::Changed, kRootHandle, "ScreenSize"), 1u);
}

TEST(GraphicsModel, AppDataOnRootAndFigureIsSeparate)
{
    GraphicsModel model;
    const Handle fig = model.createFigure();
    model.setAppData(kRootHandle, "handles", Value("root"));
    model.setAppData(fig, "handles", Value(Matrix::rowVector({1, 2})));
    ASSERT_NE(model.appData(kRootHandle, "handles"), nullptr);
    EXPECT_EQ(model.appData(kRootHandle, "handles")->string(), "root");
    EXPECT_EQ(numbers(*model.appData(fig, "handles")), (std::vector<double>{1, 2}));
    EXPECT_EQ(model.appData(fig, "Handles"), nullptr);
    model.setAppData(fig, "handles", Value(3));
    EXPECT_EQ(model.appData(fig, "handles")->scalar(), 3.0);
    model.removeAppData(fig, "handles");
    EXPECT_EQ(model.appData(fig, "handles"), nullptr);
    EXPECT_NE(model.appData(kRootHandle, "handles"), nullptr);
    model.deleteObject(fig);
    EXPECT_THROW(model.appData(fig, "handles"), Error);
}

// --- observers ---

TEST(GraphicsModel, ObserversHearCreationWithHandleTypeAndParent)
{
    GraphicsModel model;
    EventLog log(model);
    const Handle fig = model.createFigure();
    const Handle axes = model.currentAxes(fig);
    const Handle line = drawLine(model, axes);
    ASSERT_GE(log.entries.size(), 5u);
    EXPECT_EQ(log.count(ModelEventKind::Created, fig), 1u);
    EXPECT_EQ(log.count(ModelEventKind::Changed, kRootHandle, "CurrentFigure"), 1u);
    EXPECT_EQ(log.count(ModelEventKind::Changed, fig, "CurrentAxes"), 1u);
    EXPECT_EQ(log.count(ModelEventKind::Created, model.yLabel(axes)), 1u);
    const auto& last = log.entries.back();
    EXPECT_EQ(last.kind, ModelEventKind::Created);
    EXPECT_EQ(last.handle, line);
    EXPECT_EQ(last.type, ObjectType::Line);
    EXPECT_EQ(last.parent, axes);
}

TEST(GraphicsModel, ObserversHearOnlyRealChangesUnderDisplayName)
{
    GraphicsModel model;
    const Handle control = model.createUiControl(model.createFigure(), {});
    EventLog log(model);
    model.set(control, "sTrInG", Value("Run"));
    model.set(control, "string", Value("Run"));
    model.setUiString(control, "Run");
    model.setUiValue(control, 0.0);
    model.set(control, "Enable", Value("on"));
    ASSERT_EQ(log.entries.size(), 1u);
    EXPECT_EQ(log.entries[0].kind, ModelEventKind::Changed);
    EXPECT_EQ(log.entries[0].handle, control);
    EXPECT_EQ(log.entries[0].property, "String");
    model.setUiValue(control, 1.0);
    EXPECT_EQ(log.count(ModelEventKind::Changed, control, "Value"), 1u);
}

TEST(GraphicsModel, ObserversHearDescendantsDestroyedBeforeTheirFigure)
{
    GraphicsModel model;
    const Handle fig = model.createFigure();
    const Handle line = drawLine(model, model.currentAxes(fig));
    const std::vector<Handle> members = model.listObjects(fig);
    EventLog log(model);
    model.deleteObject(fig);
    std::vector<Handle> destroyed;
    for (const auto& e : log.entries)
        if (e.kind == ModelEventKind::Destroyed)
            destroyed.push_back(e.handle);
    EXPECT_EQ(std::set<Handle>(destroyed.begin(), destroyed.end()),
              std::set<Handle>(members.begin(), members.end()));
    ASSERT_FALSE(destroyed.empty());
    EXPECT_EQ(destroyed.back(), fig);
    EXPECT_EQ(log.count(ModelEventKind::Destroyed, line), 1u);
}

TEST(GraphicsModel, SubscriptionUnsubscribesWhenDestroyedOrReset)
{
    GraphicsModel model;
    int heard = 0;
    {
        Subscription inner = model.subscribe([&](const ModelEvent&) { ++heard; });
        Subscription moved = std::move(inner);
        inner.reset();  // moved-from: must not cut the moved subscription
        model.setScreenSize(800, 600);
        EXPECT_EQ(heard, 1);
    }
    model.setScreenSize(1024, 768);
    EXPECT_EQ(heard, 1);
    Subscription again = model.subscribe([&](const ModelEvent&) { ++heard; });
    again.reset();
    model.setScreenSize(640, 480);
    EXPECT_EQ(heard, 1);
}

TEST(GraphicsModel, ObserverLeavingDuringEventDoesNotSilenceOthers)
{
    GraphicsModel model;
    Subscription leaving;
    int heardByLeaving = 0;
    int heard = 0;
    std::string note;
    // Enough captures that the closure lives outside the observer list.
    leaving = model.subscribe([&leaving, &heardByLeaving, &note, &model](const ModelEvent&) {
        leaving.reset();
        ++heardByLeaving;
        note = model.figures().empty() ? "none" : "some";
    });
    Subscription staying = model.subscribe([&](const ModelEvent&) { ++heard; });
    model.createFigure();
    EXPECT_EQ(heardByLeaving, 1);
    EXPECT_EQ(heard, 2);  // window created, current window changed
}

TEST(GraphicsModel, ObserverMaySubscribeDuringEvent)
{
    struct State {
        GraphicsModel model;
        std::vector<Subscription> added;
        int first = 0;
        int late = 0;
    } state;
    // A closure small enough to live inside the observer list itself.
    Subscription sub = state.model.subscribe([s = &state](const ModelEvent&) {
        if (s->added.empty())
            s->added.push_back(s->model.subscribe([s](const ModelEvent&) { ++s->late; }));
        ++s->first;
    });
    state.model.setScreenSize(800, 600);
    state.model.setScreenSize(1024, 768);
    EXPECT_EQ(state.first, 2);
    EXPECT_GE(state.late, 1);
    state.added.clear();
}

// --- line style text ---

namespace {

struct StyleCase {
    std::string text;
    std::optional<Rgb> color;
    std::optional<LineStyle> style;
    std::optional<Marker> marker;
};

void PrintTo(const StyleCase& c, std::ostream* os)
{
    *os << "style \"" << c.text << "\"";
}

constexpr Rgb kBlack{0, 0, 0}, kRed{1, 0, 0}, kBlue{0, 0, 1}, kMagenta{1, 0, 1};

}  // namespace

class LineStyleTextValid : public testing::TestWithParam<StyleCase> {};

TEST_P(LineStyleTextValid, SetsOnlyWhatIsGiven)
{
    const LineSpec got = parseLineSpec(GetParam().text);
    EXPECT_EQ(got.color, GetParam().color);
    EXPECT_EQ(got.style, GetParam().style);
    EXPECT_EQ(got.marker, GetParam().marker);
}

INSTANTIATE_TEST_SUITE_P(
    Styles, LineStyleTextValid,
    testing::Values(StyleCase{"b*", kBlue, std::nullopt, Marker::Star},
                    StyleCase{"ro", kRed, std::nullopt, Marker::Circle},
                    StyleCase{"r+", kRed, std::nullopt, Marker::Plus},
                    StyleCase{"k-", kBlack, LineStyle::Solid, std::nullopt},
                    StyleCase{"k", kBlack, std::nullopt, std::nullopt},
                    StyleCase{"M", kMagenta, std::nullopt, std::nullopt},
                    StyleCase{"k:", kBlack, LineStyle::Dotted, std::nullopt},
                    StyleCase{"b-", kBlue, LineStyle::Solid, std::nullopt},
                    StyleCase{"--", std::nullopt, LineStyle::Dashed, std::nullopt},
                    StyleCase{"-.", std::nullopt, LineStyle::DashDot, std::nullopt}));

class LineStyleTextInvalid : public testing::TestWithParam<std::string> {};

TEST_P(LineStyleTextInvalid, ErrorNamesTheText)
{
    const std::string message = errorOf([] { parseLineSpec(GetParam()); });
    EXPECT_NE(message.find("\"" + GetParam() + "\""), std::string::npos) << message;
}

INSTANTIATE_TEST_SUITE_P(Styles, LineStyleTextInvalid, testing::Values("q", "b*o", "kk", "-:", "k--:", "r x"));

TEST(GraphicsModel, ADeletedYLabelIsReplacedByAFreshHiddenOne)
{
    GraphicsModel model;
    const Handle axes = model.currentAxes(model.createFigure());
    const Handle label = model.yLabel(axes);
    model.deleteObject(label);
    const Handle fresh = model.yLabel(axes);
    EXPECT_NE(fresh, label);
    EXPECT_TRUE(model.isValid(fresh));
    EXPECT_EQ(model.get(fresh, "HandleVisibility"), Value("off"));
    EXPECT_EQ(model.get(axes, "YLabel"), Value(fresh));
}

TEST(GraphicsModel, ASubscriptionMayOutliveItsModel)
{
    Subscription sub;
    {
        GraphicsModel model;
        sub = model.subscribe([](const ModelEvent&) {});
    }
    sub.reset();  // must not touch the destroyed model
    SUCCEED();
}
