// Undo and redo of every change to the protocol and blocks, and one specimen or all of them
// shown with the mean.
#include "scenario_checks.h"

using namespace vezedo;
using namespace vezedo::test;

namespace {

// The protocol, the blocks and the controls that show them.
struct Edits {
    platform::Matrix proto;
    Blocks blocks;
    std::optional<std::size_t> count;
    Strings boxes;
    bool operator==(const Edits&) const = default;
};

Edits edits(Scenario& s)
{
    Edits e{s.proto(), s.state().blocks.blocks(), s.state().blocks.count(), {}};
    for (const char* tag : {"ProtoPointBox", "WireBox", "BlockBox", "CurrentBlockBox", "MaxBlockBox"})
        e.boxes.push_back(s.box(tag));
    return e;
}

// An edit: what the user types first, then the action pressed, answering its dialog with a
// file of the given content when one is named.
struct UndoCase {
    const char* name;
    void (*type)(Scenario&);
    const char* action;
    const char* file = nullptr;
    const char* content = "";
};

void nothing(Scenario&) {}

const UndoCase kUndoCases[] = {
    {"add line", [](Scenario& s) { typeEnds(s, "2", "7"); }, "AddLine"},
    {"delete line", [](Scenario& s) { s.type("ActivePointBox", "2"); }, "DeleteLine"},
    {"new protocol", nothing, "NewProto"},
    {"load protocol", nothing, "LoadProto", "other.txt", "1 1 8\n2 8 2\n"},
    {"load wireframe", nothing, "LoadWire", "wire.txt", "4 4 5\n"},
    {"store block", [](Scenario& s) { typeBlock(s, "2", "3 4"); }, "BlockEnter"},
    {"set up blocks", [](Scenario& s) { s.type("MaxBlockBox", "5"); }, "SetBlocks"},
    {"add block", nothing, "AddBlocks"},
    {"clear", nothing, "ClearTarget"},
    {"show block", [](Scenario& s) { s.type("BlockBox", "6 5"); }, "ShowAllBlock"},
    {"next block", [](Scenario& s) { s.type("BlockBox", "1"); }, "BlockUp"},
    {"load blocks", nothing, "LoadBlock", "b.txt", "arm.txt \n 1 \n 2  3 \n"},
};

class UndoEach : public ::testing::TestWithParam<UndoCase> {};

std::ostream& operator<<(std::ostream& out, const UndoCase& c)
{
    return out << c.name;
}

TEST_P(UndoEach, UndoRestoresProtocolBlocksAndCounterExactlyAndRedoAgain)
{
    Scenario s;
    setUpBlocks(s, 6, 3);
    enterBlock(s, "1", "1 2");
    s.type("CurrentBlockBox", "1");
    GetParam().type(s);
    if (GetParam().file) {
        s.file(GetParam().file, GetParam().content);
        s.answer(GetParam().file);
    }
    const Edits before = edits(s);
    s.press(GetParam().action);
    const Edits after = edits(s);
    ASSERT_NE(after, before) << "the edit changed nothing";
    s.h.messages.clear();
    s.press("Undo");
    EXPECT_EQ(edits(s), before);
    s.press("Redo");
    EXPECT_EQ(edits(s), after);
    s.press("Undo");
    EXPECT_EQ(edits(s), before);
    EXPECT_TRUE(s.h.messages.shown().empty());
}

INSTANTIATE_TEST_SUITE_P(Edits, UndoEach, ::testing::ValuesIn(kUndoCases));

TEST(Undo, StepsBackOneChangeAtATimeAndANewChangeForgetsTheRedo)
{
    Scenario s;
    s.loadTps("mice.txt", makeTps(3, 8));
    const Edits start = edits(s);
    typeEnds(s, "1", "5");
    s.press("AddLine");
    const Edits one = edits(s);
    typeEnds(s, "2", "5");
    s.press("AddLine");
    s.press("Undo");
    EXPECT_EQ(edits(s), one);
    s.press("Undo");
    EXPECT_EQ(edits(s), start);
    const std::string console = s.h.console.text();
    s.press("Undo");  // nothing left: nothing happens, silently
    EXPECT_EQ(edits(s), start);
    EXPECT_EQ(s.h.console.text(), console);
    EXPECT_TRUE(s.h.messages.shown().empty());
    s.press("Redo");
    EXPECT_EQ(edits(s), one);
    typeEnds(s, "3", "5");
    s.press("AddLine");
    const Edits three = edits(s);
    s.press("Redo");  // the new line forgot what was undone
    EXPECT_EQ(edits(s), three);
}

TEST(Undo, RefusedEditsLeaveNoStepAndTheRedrawShowsTheRestoredProtocol)
{
    Scenario s;
    setUpBlocks(s, 3);
    typeEnds(s, "1", "2");
    s.press("AddLine");  // a duplicate: refused
    s.type("MaxBlockBox", "x");
    s.press("SetBlocks");  // refused count; the buttons still switch, as described
    s.h.messages.clear();
    s.press("Undo");
    // The only step was the button switch of the refused "SetBlocks"; undoing it redraws the
    // plot as "ShowProto" does.
    EXPECT_EQ(s.box("ProtoPointBox"), "3");
    const Strings redrawn = drawing(s);
    s.press("ShowProto");
    EXPECT_EQ(drawing(s), redrawn);
    EXPECT_EQ(s.state().protocol.size(), 3u);
}

TEST(Undo, LineNamesAreEditsThatCanBeUndone)
{
    Scenario s;
    setUpBlocks(s, 3);
    s.type("ActivePointBox", "2");
    s.type("LineNameBox", "nasal length");
    s.press("RenameLine");
    EXPECT_EQ(s.state().protocol.line(2).name, "nasal length");
    EXPECT_TRUE(s.state().revisions.protocolChanged());
    s.press("Undo");
    EXPECT_EQ(s.state().protocol.line(2).name, "");
    s.press("Redo");
    EXPECT_EQ(s.state().protocol.line(2).name, "nasal length");
}

// Naming a line reads the line number and the name from their boxes; a refusal names the
// problem and changes nothing.
TEST(RenameLine, RefusesWhatCannotBeALineName)
{
    const struct {
        const char* name;
        const char* line;
        const char* text;
        const char* box;  // the message box, empty for none
    } cases[] = {
        {"no such line", "4", "x", "Line 4 cannot be named: the protocol has 3 lines."},
        {"line zero", "0", "x", "Line 0 cannot be named: the protocol has 3 lines."},
        {"a line break", "1", "a\nb", "A line name is one line of text: \"a\" is followed by a line break."},
        {"a name", "1", "nasal length", ""},
        {"no name", "1", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Scenario s;
        setUpBlocks(s, 3);
        const session::Protocol before = s.state().protocol;
        s.type("ActivePointBox", c.line);
        s.type("LineNameBox", c.text);
        s.press("RenameLine");
        if (*c.box) {
            EXPECT_EQ(s.h.messages.texts(), std::vector<std::string>{c.box});
            EXPECT_EQ(s.state().protocol, before);
        } else {
            EXPECT_TRUE(s.h.messages.texts().empty());
            EXPECT_EQ(s.state().protocol.line(1).name, c.text);
        }
    }
}

TEST(ShowSpecimen, DrawsTheSpecimenOverTheMeanWithAVectorPerLandmark)
{
    Scenario s;
    s.loadTps("mice.txt", makeTps(5, 4));
    for (const std::string typed : {"specimen3", "3", " 3 "}) {
        s.type("SpecimenBox", typed);
        s.press("ShowSpecimen");
        ASSERT_TRUE(s.h.messages.shown().empty()) << typed;
        // The mean's stars, the specimen's circles at its fitted landmarks, four green vectors.
        const platform::Matrix shape = s.state().specimens.fitted.sliceMatrix(2);
        int circles = 0, vectors = 0;
        for (platform::Handle h : s.drawn(platform::ObjectType::Line)) {
            const auto& line = s.g().object(h).as<platform::LineData>();
            if (line.marker == platform::Marker::Circle && line.points.size() == 4 && line.points[3][0] == shape(3, 0))
                ++circles;
            if (line.points.size() == 2 && line.color == platform::Rgb{0, 1, 0})
                ++vectors;
        }
        EXPECT_EQ(circles, 1) << typed;
        EXPECT_EQ(vectors, 4) << typed;
        EXPECT_EQ(drawing(s).front(), "b*");
    }
    for (const std::string typed : {"", "0", "6", "2.5", "nobody"}) {
        const Strings before = drawing(s);
        s.type("SpecimenBox", typed);
        s.press("ShowSpecimen");
        expectMessage(s, "No specimen is \"" + typed + "\"|1 to 5");
        EXPECT_EQ(drawing(s), before);
    }
}

TEST(AllSpecimens, TheBoxAddsEveryFittedLandmarkAsGreyPointsToTheRedraws)
{
    Scenario s;
    s.loadTps("mice.txt", makeTps(5, 4));
    tick(s, "AllSpecimensBox", true);
    for (const char* redraw : {"ShowProto", "ReplotM"}) {
        s.press(redraw);
        const auto lines = s.drawn(platform::ObjectType::Line);
        const auto cloud = std::find_if(lines.begin(), lines.end(), [&](platform::Handle h) {
            return s.g().object(h).as<platform::LineData>().points.size() == 20;
        });
        ASSERT_NE(cloud, lines.end()) << redraw;
        EXPECT_EQ(s.g().object(*cloud).as<platform::LineData>().color, (platform::Rgb{0.6, 0.6, 0.6}));
    }
    tick(s, "AllSpecimensBox", false);
    s.press("ShowProto");
    for (platform::Handle h : s.drawn(platform::ObjectType::Line))
        EXPECT_NE(s.g().object(h).as<platform::LineData>().points.size(), 20u);
}

}  // namespace
