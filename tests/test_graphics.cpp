#include <gtest/gtest.h>

#include "harness.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/error.h"
#include "platform/graphics.h"
#include "platform/style.h"

using vezedo::Error;
using namespace vezedo::platform;

using vezedo::test::errorOf;

namespace {

std::vector<double> numbers(const Value& v)
{
    return v.matrix().values();
}

Value row(std::initializer_list<double> values)
{
    return Value(Matrix::rowVector(values));
}

Handle drawLine(GraphicsModel& model, Handle axes, std::string_view style = "k-")
{
    return model.plot3(axes, {{0, 0, 0}, {1, 2, 3}}, parseLineSpec(style));
}

// Every event heard while alive.
struct EventLog {
    std::vector<ModelEvent> entries;
    Subscription sub;

    explicit EventLog(GraphicsModel& model)
        : sub(model.subscribe([this](const ModelEvent& e) { entries.push_back(e); }))
    {
    }
    std::vector<Handle> handles(ModelEventKind kind, std::optional<Property> property = std::nullopt) const
    {
        std::vector<Handle> out;
        for (const ModelEvent& e : entries)
            if (e.kind == kind && e.property == property)
                out.push_back(e.handle);
        return out;
    }
};

class GraphicsModelTest : public ::testing::Test {
protected:
    GraphicsModel model;
};

}  // namespace

TEST_F(GraphicsModelTest, FiguresTakeTheLowestFreeNumber)
{
    EXPECT_EQ(model.currentFigureOrNew(), 1.0);  // opened when none is
    EXPECT_EQ(model.currentFigureOrNew(), 1.0);
    for (double n : {2.0, 3.0})
        EXPECT_EQ(model.createFigure(), n);
    model.deleteObject(2.0);
    EXPECT_EQ(model.createFigure(), 2.0);
    EXPECT_EQ(model.makeFigureCurrent(7), 7.0);  // an unused number is taken as given
    EXPECT_EQ(model.createFigure(), 4.0);
    EXPECT_EQ(model.figures(), (std::vector<Handle>{1, 2, 3, 4, 7}));
}

TEST_F(GraphicsModelTest, DeletingTheCurrentFigureMakesTheOneCurrentBeforeItCurrent)
{
    for (int i = 0; i < 4; ++i)
        model.createFigure();
    model.makeFigureCurrent(3);
    model.makeFigureCurrent(1);  // made current in the order 2 4 3 1
    for (double next : {3.0, 4.0, 2.0}) {
        model.deleteObject(*model.currentFigure());
        EXPECT_EQ(model.currentFigure(), next);
    }
    model.deleteObject(2);
    EXPECT_EQ(model.currentFigure(), std::nullopt);
    EXPECT_TRUE(model.get(kRootHandle, "CurrentFigure").isEmptyMatrix());
}

TEST_F(GraphicsModelTest, MakeCurrentLeavesAnOpenFigureAsItIsAndRecreatesAClosedOneEmpty)
{
    const Handle fig1 = model.createFigure();
    const Handle axes1 = model.currentAxes(fig1);
    const Handle fig2 = model.createFigure();
    drawLine(model, model.currentAxes(fig2));
    model.setAppData(fig2, "state", Value(5));
    model.setAppData(kRootHandle, "state", Value(1));
    model.makeFigureCurrent(fig1);
    EXPECT_EQ(model.currentAxes(fig1), axes1);
    model.deleteObject(fig2);

    EXPECT_EQ(model.makeFigureCurrent(2), 2.0);
    EXPECT_EQ(model.listObjects(2), std::vector<Handle>{2.0});
    EXPECT_EQ(model.appData(2, "state"), nullptr);
    EXPECT_EQ(*model.appData(kRootHandle, "state"), Value(1));
    EXPECT_EQ(model.currentFigure(), 2.0);
}

TEST_F(GraphicsModelTest, HandlesAreNeverWholeNeverReusedAndRetireWithTheirFigure)
{
    std::set<Handle> seen;
    for (int round = 0; round < 3; ++round) {
        const Handle fig = model.createFigure();
        EXPECT_EQ(fig, 1.0);  // window numbers are reused, nothing else is
        const Handle axes = model.currentAxes(fig);
        model.setHold(axes, true);
        std::vector<Handle> made{axes, model.yLabel(axes), model.createUiControl(fig, {}, "ok")};
        made.insert(made.end(), {drawLine(model, axes), drawLine(model, axes), model.text3(axes, {}, "t")});
        EXPECT_EQ(model.listObjects(fig).size(), made.size() + 1);  // the hidden label too
        for (Handle h : made) {
            EXPECT_NE(std::floor(h), h) << h;
            EXPECT_TRUE(seen.insert(h).second) << "handle given twice: " << h;
        }
        model.deleteObject(fig);
        for (Handle h : made)
            EXPECT_THROW(model.get(h, "Type"), Error) << h;
        EXPECT_TRUE(model.findByTag("ok").empty());
    }
}

// A deleted object's room is used again under a new handle: the store grows with the objects
// alive at once, and the old handle names nothing.
TEST_F(GraphicsModelTest, DeletedObjectsRoomIsUsedAgainUnderNewHandles)
{
    const Handle fig = model.createFigure();
    const Handle axes = model.currentAxes(fig);
    model.setHold(axes, true);
    const std::size_t before = model.capacity();
    std::set<Handle> seen;
    Handle last = drawLine(model, axes);
    for (int i = 0; i < 20000; ++i) {
        const Handle next = drawLine(model, axes);
        model.deleteObject(last);
        EXPECT_FALSE(model.isValid(last));
        ASSERT_TRUE(seen.insert(last).second) << "handle given twice: " << last;
        last = next;
    }
    EXPECT_LE(model.capacity(), before + 2);
    EXPECT_TRUE(model.isValid(last));
    EXPECT_NE(std::floor(last), last);
}

TEST_F(GraphicsModelTest, ValuesNextToIssuedHandlesNameNothing)
{
    const Handle fig = model.createFigure();
    const Handle axes = model.currentAxes(fig);
    const struct {
        const char* name;
        double value;
    } cases[] = {{"the root's neighbour", 0.5},
                 {"the figure's neighbour", fig + 0.5},
                 {"a quarter past the axes", axes + 0.25},
                 {"far past the axes", axes + 1000.0},
                 {"a negative half", -0.5}};
    for (const auto& c : cases) {
        EXPECT_FALSE(model.isValid(c.value)) << c.name;
        EXPECT_THROW(model.deleteObject(c.value), Error) << c.name;
    }
    EXPECT_EQ(model.figures(), std::vector<Handle>{fig});
}

TEST_F(GraphicsModelTest, AxesAreMadeOnFirstUseAndReplacedOnceDeleted)
{
    const Handle fig = model.createFigure();
    EXPECT_TRUE(model.get(fig, "CurrentAxes").isEmptyMatrix());
    const Handle axes = model.currentAxes(fig);
    EXPECT_EQ(model.parent(axes), fig);
    EXPECT_EQ(model.get(fig, "CurrentAxes").scalar(), axes);
    model.deleteObject(axes);
    const Handle replacement = model.currentAxes(fig);
    EXPECT_NE(replacement, axes);
    EXPECT_TRUE(model.isValid(replacement));
}

TEST_F(GraphicsModelTest, PlotReplacesTheLinesAndResetsTheAspectModeUnlessHoldIsOnAndKeepsTheLabel)
{
    for (const bool hold : {false, true}) {
        SCOPED_TRACE(hold ? "hold on" : "hold off");
        const Handle axes = model.currentAxes(model.createFigure());
        const Handle label = model.yLabel(axes);
        const Handle first = drawLine(model, axes);
        if (hold)
            model.setHold(axes, true);
        model.setAxisEqual(axes);
        EXPECT_EQ(model.get(axes, "nextplot").string(), hold ? "add" : "replace");
        const Handle second = drawLine(model, axes);
        EXPECT_EQ(model.isValid(first), hold);
        const std::vector<double> children = hold ? std::vector<double>{first, second} : std::vector<double>{second};
        EXPECT_EQ(numbers(model.get(axes, "Children")), children);
        EXPECT_EQ(model.get(axes, "DataAspectRatioMode").string(), hold ? "manual" : "auto");
        EXPECT_TRUE(model.isValid(label));
    }
}

TEST_F(GraphicsModelTest, PlotTakesColourStyleAndMarkerFromTheLineSpecAndStoresTheCoordinatesByAxis)
{
    const Handle axes = model.currentAxesOrNew();
    const struct {
        const char* lineStyle;
        const char* property;
        Value expected;
    } cases[] = {{"ro", "Marker", Value("o")},    {"ro", "LineStyle", Value("none")},  // markers only
                 {"ro", "Color", row({1, 0, 0})}, {"k-", "LineStyle", Value("-")},    {"k-", "Marker", Value("none")},
                 {"k-", "XData", row({0, 1})},    {"k-", "YData", row({0, 2})},       {"k-", "ZData", row({0, 3})}};
    for (const auto& c : cases)
        EXPECT_EQ(model.get(drawLine(model, axes, c.lineStyle), c.property), c.expected)
            << c.lineStyle << " " << c.property;
}

TEST_F(GraphicsModelTest, TheYLabelIsAHiddenChildOfItsAxesReplacedOnceDeleted)
{
    const Handle axes = model.currentAxesOrNew();
    const Handle label = model.yLabel(axes);
    EXPECT_EQ(model.get(axes, "YLabel").scalar(), label);
    EXPECT_EQ(model.get(label, "HandleVisibility").string(), "off");
    EXPECT_EQ(model.listObjects(model.figureOf(axes).value()).back(), label);
    drawLine(model, axes);
    EXPECT_EQ(numbers(model.get(axes, "Children")).size(), 1u);  // the label is not listed

    model.deleteObject(label);
    const Handle fresh = model.yLabel(axes);
    EXPECT_NE(fresh, label);
    EXPECT_EQ(model.get(fresh, "HandleVisibility"), Value("off"));
    EXPECT_EQ(model.get(axes, "YLabel"), Value(fresh));
}

TEST_F(GraphicsModelTest, ClearAxesDeletesWhatWasDrawnAndTheLegendKeepingHoldAspectModeAndTheLabel)
{
    const Handle axes = model.currentAxesOrNew();
    const Handle label = model.yLabel(axes);
    model.set(label, "String", Value("PC 2"));
    model.setTag(label, "ylab");
    model.setHold(axes, true);
    model.setAxisEqual(axes);
    const Handle line = drawLine(model, axes, "r");
    const Handle text = model.text3(axes, {0, 0, 0}, "1");
    model.setLegend(axes, {{"Block 1", {1, 0, 0}, LineStyle::Solid, 1.5}});
    EventLog log(model);
    model.clearAxes(axes);
    EXPECT_FALSE(model.isValid(line));
    EXPECT_FALSE(model.isValid(text));
    EXPECT_TRUE(model.get(axes, "Children").isEmpty());
    EXPECT_TRUE(model.object(axes).as<AxesData>().legend.empty());
    EXPECT_EQ(log.handles(ModelEventKind::Changed, Property::Legend), std::vector<Handle>{axes});
    EXPECT_EQ(model.get(axes, "NextPlot").string(), "add");
    EXPECT_EQ(model.get(axes, "DataAspectRatioMode").string(), "manual");
    EXPECT_EQ(model.findByTag("ylab"), std::vector<Handle>{label});
    EXPECT_EQ(model.get(label, "String").string(), "PC 2");
}

TEST_F(GraphicsModelTest, FindByTagSearchesEveryFigureInOrderMatchingTheWholeTagInItsCase)
{
    const Handle fig3 = model.makeFigureCurrent(3);
    const Handle in3 = model.createUiControl(fig3, {}, "apply");
    const Handle fig1 = model.createFigure();
    const Handle first = model.createUiControl(fig1, {}, "apply");
    model.createUiControl(fig1, {}, "cancel");
    const Handle second = model.createUiControl(fig1, {}, "apply");
    EXPECT_EQ(model.findByTag("apply"), (std::vector<Handle>{first, second, in3}));
    for (const char* other : {"APPLY", "app", "applyx"})
        EXPECT_TRUE(model.findByTag(other).empty()) << other;
    model.deleteObject(fig1);
    EXPECT_EQ(model.findByTag("apply"), std::vector<Handle>{in3});
}

TEST_F(GraphicsModelTest, PropertyNamesIgnoreCaseAndChoicesAreStoredInLowerCase)
{
    const Handle control = model.createUiControl(model.createFigure(), {});
    model.set(control, "string", Value("Load"));
    EXPECT_EQ(model.get(control, "STRING").string(), "Load");
    model.set(control, "TAG", Value("load"));
    EXPECT_EQ(model.findByTag("load"), std::vector<Handle>{control});
    EXPECT_EQ(model.get(control, "tYpE").string(), "uicontrol");
    model.set(control, "enable", Value("INACTIVE"));
    EXPECT_EQ(model.object(control).as<UiControlData>().enable, "inactive");
}

TEST_F(GraphicsModelTest, BadPropertiesValuesAndObjectsAreRefusedSayingWhy)
{
    const Handle fig = model.createFigure();
    const Handle control = model.createUiControl(fig, {});
    const Handle axes = model.currentAxes(fig);
    const Handle line = drawLine(model, axes);
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    constexpr double kInf = std::numeric_limits<double>::infinity();
    const std::string noWindow = "a window handle is a whole number from 1 to 2147483646";
    const Value screen = row({1, 1, 9, 9}), aboveOne = row({1, 2, 0}), twoComponents = row({1, 0});
    const WindowFrame frame{1, 1, 1, 1};
    const Point3 origin{0, 0, 0};
    const struct {
        const char* name;
        std::function<void()> change;
        std::string said;
    } cases[] = {
        {"an unknown choice", [&] { model.set(control, "Enable", Value("maybe")); }, "Enable"},
        {"an unknown property", [&] { model.get(line, "Colour"); }, "Colour"},
        {"a read-only property", [&] { model.set(line, "type", Value("text")); }, "cannot be set"},
        {"the screen size", [&] { model.set(kRootHandle, "ScreenSize", screen); }, "cannot be set"},
        {"a width in words", [&] { model.set(line, "LineWidth", Value("thick")); }, "LineWidth"},
        {"a negative width", [&] { model.set(line, "LineWidth", Value(-1)); }, "LineWidth"},
        {"an unknown colour name", [&] { model.set(line, "Color", Value("purple")); }, "purple"},
        {"a component above one", [&] { model.set(line, "Color", aboveOne); }, "between"},
        {"two components", [&] { model.set(line, "Color", twoComponents); }, "colour"},
        {"a fraction as the window", [&] { model.makeFigureCurrent(1.5); }, noWindow},
        {"zero as the window", [&] { model.makeFigureCurrent(0.0); }, "it is a root, not a window"},
        {"a negative number as the window", [&] { model.makeFigureCurrent(-3.0); }, noWindow},
        {"NaN as the window", [&] { model.makeFigureCurrent(kNaN); }, noWindow},
        {"infinity as the window", [&] { model.makeFigureCurrent(kInf); }, noWindow},
        {"beyond the largest window number", [&] { model.makeFigureCurrent(1e12); }, noWindow},
        {"a line as the window", [&] { model.makeFigureCurrent(line); }, "it is a line"},
        {"zero as the current figure", [&] { model.set(kRootHandle, "CurrentFigure", Value(0.0)); }, "it is a root"},
        {"clearing a window", [&] { model.clearAxes(fig); }, "Only an axes can be cleared"},
        {"a frame on an axes", [&] { model.setFrame(axes, frame); }, "Only a window has a frame"},
        {"a line as a label", [&] { model.setLabel(line, LabelKind::Landmark, origin); }, "Only a text can be"},
        {"an axes as a label", [&] { model.setLabel(axes, LabelKind::Line, origin); }, "Only a text can be"},
    };
    for (const auto& c : cases) {
        const std::string message = errorOf(c.change);
        EXPECT_NE(message.find(c.said), std::string::npos) << c.name << ": " << message;
    }
    EXPECT_EQ(model.get(line, "LineWidth").scalar(), 0.5);
    EXPECT_EQ(model.get(control, "Enable").string(), "on");
    EXPECT_EQ(model.figures(), std::vector<Handle>{fig});
}

TEST_F(GraphicsModelTest, ColoursAreALetterANameOrAnRgbRow)
{
    const Handle line = drawLine(model, model.currentAxesOrNew());
    const struct {
        const char* name;
        Value given;
        std::vector<double> rgb;
    } cases[] = {{"a letter", Value("r"), {1, 0, 0}},
                 {"an rgb row", row({0, 0.5, 1}), {0, 0.5, 1}},
                 {"a name in any case", Value("Green"), {0, 1, 0}},
                 {"the highlight letter", Value("M"), {1, 0, 1}}};
    for (const auto& c : cases) {
        model.set(line, "Color", c.given);
        EXPECT_EQ(numbers(model.get(line, "Color")), c.rgb) << c.name;
    }
}

TEST_F(GraphicsModelTest, OuterPositionIsThePositionWithTheFrameAndNormalizedUnitsAreFractionsOfTheScreen)
{
    model.setScreenSize(1000, 500);
    const Handle fig = model.createFigure();
    model.setFrame(fig, {8, 8, 8, 31});  // left, bottom, right, top
    model.set(fig, "OuterPosition", row({0, 0, 600, 500}));
    EXPECT_EQ(numbers(model.get(fig, "Position")), (std::vector<double>{8, 8, 584, 461}));
    model.set(fig, "Units", Value("Normalized"));
    EXPECT_EQ(numbers(model.get(fig, "OuterPosition")), (std::vector<double>{0, 0, 0.6, 1}));
    model.set(fig, "Position", row({0.5, 0.5, 0.25, 0.5}));
    model.set(fig, "Units", Value("pixels"));
    EXPECT_EQ(numbers(model.get(fig, "OuterPosition")), (std::vector<double>{492, 242, 266, 289}));
}

TEST_F(GraphicsModelTest, ObserversHearCreationInOrderTheCurrentFigureAndAxesChangeAndDestructionWithTheFigureLast)
{
    EventLog log(model);
    const Handle fig = model.createFigure();
    const Handle axes = model.currentAxes(fig);
    const Handle line = drawLine(model, axes);
    EXPECT_EQ(log.handles(ModelEventKind::Created), (std::vector<Handle>{fig, axes, model.yLabel(axes), line}));
    EXPECT_EQ(log.entries.back().type, ObjectType::Line);
    EXPECT_EQ(log.entries.back().parent, axes);
    EXPECT_EQ(log.handles(ModelEventKind::Changed, Property::CurrentFigure), std::vector<Handle>{kRootHandle});
    EXPECT_EQ(log.handles(ModelEventKind::Changed, Property::CurrentAxes), std::vector<Handle>{fig});

    model.createUiControl(fig, {});
    std::vector<Handle> members = model.listObjects(fig);
    model.deleteObject(fig);
    std::vector<Handle> destroyed = log.handles(ModelEventKind::Destroyed);
    ASSERT_FALSE(destroyed.empty());
    EXPECT_EQ(destroyed.back(), fig);
    std::ranges::sort(destroyed);
    std::ranges::sort(members);
    EXPECT_EQ(destroyed, members);
}

TEST_F(GraphicsModelTest, ObserversHearOnlyRealChangesOfTheNamedPropertyByItsDisplayName)
{
    const Handle fig = model.createFigure();
    const Handle control = model.createUiControl(fig, {});
    EventLog log(model);
    model.set(control, "sTrInG", Value("Run"));
    model.set(control, "string", Value("Run"));
    model.setUiString(control, "Run");
    model.setUiValue(control, 0.0);
    model.set(control, "Enable", Value("on"));
    model.setUiValue(control, 1.0);
    model.setScreenSize(1280, 800);
    model.setScreenSize(1280, 800);
    model.setFrame(fig, {8, 8, 8, 31});
    model.setFrame(fig, {8, 8, 8, 31});
    ASSERT_EQ(log.entries.size(), 4u);
    EXPECT_EQ(log.handles(ModelEventKind::Changed, Property::String), std::vector<Handle>{control});
    EXPECT_EQ(log.handles(ModelEventKind::Changed, Property::Value), std::vector<Handle>{control});
    EXPECT_EQ(log.handles(ModelEventKind::Changed, Property::ScreenSize), std::vector<Handle>{kRootHandle});
    EXPECT_EQ(log.handles(ModelEventKind::Changed, Property::Frame), std::vector<Handle>{fig});
    model.set(control, "tooltipstring", Value("Loads a file"));
    ASSERT_EQ(log.entries.size(), 5u);
    ASSERT_TRUE(log.entries[4].property.has_value());
    EXPECT_EQ(propertyName(*log.entries[4].property), "TooltipString");
}

TEST_F(GraphicsModelTest, ObserversHearALabelChangeOnlyWhenKindOrAnchorDiffers)
{
    const Handle axes = model.currentAxesOrNew();
    const Handle text = model.text3(axes, {1.02, 2.02, 3.02}, "4");
    EventLog log(model);
    model.setLabel(text, LabelKind::Landmark, {1, 2, 3});
    model.setLabel(text, LabelKind::Landmark, {1, 2, 3});
    model.setLabel(text, LabelKind::Line, {1, 2, 3});
    EXPECT_EQ(log.handles(ModelEventKind::Changed, Property::Label), (std::vector<Handle>{text, text}));
    EXPECT_EQ(log.entries.size(), 2u);
    const TextData& td = model.object(text).as<TextData>();
    EXPECT_EQ(td.kind, LabelKind::Line);
    EXPECT_EQ(td.anchor, (Point3{1, 2, 3}));
    EXPECT_EQ(td.position, (Point3{1.02, 2.02, 3.02}));  // where the controller put it stays
}

TEST_F(GraphicsModelTest, BringToFrontMakesTheFigureCurrentAndAsksToRaiseIt)
{
    const Handle fig = model.createFigure();
    model.createFigure();
    EventLog log(model);
    model.bringToFront(fig);
    EXPECT_EQ(model.currentFigure(), fig);
    EXPECT_EQ(log.handles(ModelEventKind::Raise), std::vector<Handle>{fig});
}

TEST(ModelSubscriptions, EndWhenDestroyedOrResetEvenDuringAnEvent)
{
    struct State {
        GraphicsModel model;
        Subscription leaving;
        std::vector<Subscription> added;
        int heardByLeaving = 0, adder = 0, late = 0, staying = 0;
        std::string note;
    } s;
    {
        Subscription inner = s.model.subscribe([p = &s](const ModelEvent&) { ++p->staying; });
        Subscription moved = std::move(inner);
        inner.reset();  // moved-from: must not cut the moved subscription
        s.model.setScreenSize(800, 600);
        Subscription again = s.model.subscribe([p = &s](const ModelEvent&) { ++p->staying; });
        again.reset();
    }
    s.model.setScreenSize(1024, 768);
    EXPECT_EQ(s.staying, 1);

    // Enough captures that this closure lives outside the observer list...
    s.leaving = s.model.subscribe(
        [&leaving = s.leaving, &heard = s.heardByLeaving, &note = s.note, &model = s.model](const ModelEvent&) {
            leaving.reset();
            ++heard;
            note = model.figures().empty() ? "none" : "some";
        });
    // ...and this one small enough to live inside it.
    Subscription adder = s.model.subscribe([p = &s](const ModelEvent&) {
        if (p->added.empty())
            p->added.push_back(p->model.subscribe([p](const ModelEvent&) { ++p->late; }));
        ++p->adder;
    });
    Subscription staying = s.model.subscribe([p = &s](const ModelEvent&) { ++p->staying; });
    s.model.createFigure();  // window created, current window changed
    EXPECT_EQ(s.heardByLeaving, 1);
    EXPECT_EQ(s.adder, 2);
    EXPECT_EQ(s.staying, 3);
    EXPECT_GE(s.late, 1);
    s.added.clear();

    Subscription outliving;
    {
        GraphicsModel shortLived;
        outliving = shortLived.subscribe([](const ModelEvent&) {});
    }
    outliving.reset();  // must not touch the destroyed model
}

TEST(LineStyleText, SetsOnlyWhatIsGivenAndRefusesTwoOfAKindOrAnUnknownCharacter)
{
    constexpr Rgb kBlack{0, 0, 0}, kRed{1, 0, 0}, kBlue{0, 0, 1}, kMagenta{1, 0, 1};
    constexpr auto none = std::nullopt;
    const std::pair<const char*, LineSpec> valid[] = {{"b*", {kBlue, none, Marker::Star}},
                                                      {"ro", {kRed, none, Marker::Circle}},
                                                      {"r+", {kRed, none, Marker::Plus}},
                                                      {"k-", {kBlack, LineStyle::Solid, none}},
                                                      {"k", {kBlack, none, none}},
                                                      {"M", {kMagenta, none, none}},
                                                      {"k:", {kBlack, LineStyle::Dotted, none}},
                                                      {"--", {none, LineStyle::Dashed, none}},
                                                      {"-.", {none, LineStyle::DashDot, none}}};
    for (const auto& [text, want] : valid) {
        const LineSpec got = parseLineSpec(text);
        EXPECT_TRUE(got.color == want.color && got.style == want.style && got.marker == want.marker) << text;
    }
    // Two of a kind or an unknown character are refused naming the text.
    for (const std::string bad : {"q", "b*o", "kk", "-:", "k--:", "r x"}) {
        const std::string message = errorOf([&] { parseLineSpec(bad); });
        EXPECT_NE(message.find("\"" + bad + "\""), std::string::npos) << message;
    }
}
