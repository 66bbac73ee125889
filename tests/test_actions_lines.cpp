// Single lines: "ShowLine", "ShowLine2", "ShowMLine" (the highlight), "DeleteLine" and "AddLine".
#include <array>
#include <map>

#include "platform/scene.h"
#include "scenario_checks.h"

using namespace vezedo;
using platform::Matrix;
using platform::Value;
using namespace vezedo::test;

namespace {

const std::string kOutside = "Deleted Value is outside of the number of points in the protocol";
const std::string kDuplicate = "Line Not added, since it is already in protocol";
const Pairs kThree{{3, 7}, {7, 9}, {9, 2}};

void loadShapeAndProtocol(Scenario& s)
{
    s.loadTps("shape.txt", makeTps(4, 10));
    s.load("LoadProto", "p.txt", protocolText(kThree));
}

// The highlighted lines on screen; the last line drawn is the one lineh names.
Strings highlighted(Scenario& s)
{
    EXPECT_EQ(s.drawn(platform::ObjectType::Line).back(), *s.state().lineh);
    Strings out;
    for (const std::string& item : drawing(s))
        if (item.rfind("m ", 0) == 0)
            out.push_back(item);
    return out;
}

}  // namespace

TEST(Highlight, EachPickingActionShowsOneMagentaLineAndHidesTheOldOne)
{
    Scenario s;
    loadShapeAndProtocol(s);
    typeEnds(s, "3", "7");
    EXPECT_EQ(pressed(s, "ShowLine"),
              platform::displayValue("stemp", Value("here")) + platform::displayValue("stemp", Value("7")));
    EXPECT_EQ(highlighted(s), Strings{"m 1.5 3-7"});
    EXPECT_EQ(s.g().currentFigure(), s.state().mf);
    const platform::Handle first = *s.state().lineh;
    s.type("ActivePointBox", "1");  // protocol line 1 joins the same landmarks
    EXPECT_EQ(pressed(s, "ShowLine2"), "");
    EXPECT_EQ(highlighted(s), Strings{"m 1.5 3-7"});
    EXPECT_TRUE(s.g().isValid(first) && !s.g().object(first).visible);  // hidden, not deleted
    typeEnds(s, "10", "1");                                             // landmarks that form no protocol line
    s.press("ShowLine");
    EXPECT_EQ(highlighted(s), Strings{"m 1.5 10-1"});
    s.type("ActivePointBox", "3");
    s.press("ShowLine2");
    EXPECT_EQ(highlighted(s), Strings{"m 1.5 9-2"});
    s.type("TargetLineBox", "2");
    EXPECT_EQ(pressed(s, "ShowMLine"), platform::displayValue("stemp", Value("in show M line")));
    EXPECT_EQ(highlighted(s), Strings{"m 1.5 7-9"});
    EXPECT_EQ(s.g().currentFigure(), s.state().mf);
    EXPECT_TRUE(s.h.messages.shown().empty());
}

// A box text that names no landmark or protocol line stops the action, after the old highlight
// is hidden except for "AddLine"; the console names the box and its text, or the number and
// the valid range.
TEST(Highlight, ABadNumberStopsTheActionAndNamesTheBoxOrTheRange)
{
    const std::vector<std::array<std::string, 4>> cases{{"ShowLine", "EndBox1", "", "EndBox1 holds \"\""},
                                                        {"ShowLine", "EndBox2", "seven", "holds \"seven\""},
                                                        {"ShowLine", "EndBox1", "2.5", "EndBox1 holds \"2.5\""},
                                                        {"ShowLine", "EndBox1", "11", "Landmark 11|1 to 10"},
                                                        {"ShowLine2", "ActivePointBox", "4", "Line 4|1 to 3"},
                                                        {"ShowLine2", "ActivePointBox", "0", "Line 0|1 to 3"},
                                                        {"ShowLine2", "ActivePointBox", "", "ActivePointBox holds"},
                                                        {"ShowLine2", "ActivePointBox", "1 2", "\"1 2\""},
                                                        {"ShowMLine", "TargetLineBox", "4", "Line 4|1 to 3"},
                                                        {"ShowMLine", "TargetLineBox", "x", "TargetLineBox holds"},
                                                        {"AddLine", "EndBox2", "x", "EndBox2 holds \"x\""},
                                                        {"AddLine", "EndBox1", "1.5", "EndBox1 holds \"1.5\""},
                                                        {"AddLine", "EndBox2", "0", "Landmark 0|1 to 10"}};
    Scenario s;
    loadShapeAndProtocol(s);
    for (const auto& [action, tag, text, pieces] : cases) {
        SCOPED_TRACE(action + " " + tag + " \"" + text + "\"");
        typeEnds(s, "3", "7");
        s.type("ActivePointBox", "1");
        s.type("TargetLineBox", "1");
        s.press(action == "AddLine" ? "ShowLine" : action);
        const platform::Handle old = *s.state().lineh;
        const Snapshot before = snapshot(s);
        s.type(tag, text);
        const std::string said = pressed(s, action);
        EXPECT_TRUE(containsEach(said, pieces)) << said;
        EXPECT_EQ(s.g().object(old).visible, action == "AddLine");
        s.g().set(old, "Visible", Value("on"));  // nothing else changed
        EXPECT_TRUE(snapshot(s) == before);
    }
    EXPECT_TRUE(s.h.messages.shown().empty());
}

TEST(DeleteLine, RemovesTheRowAndRedrawsThroughShowProto)
{
    Scenario s;
    loadShapeAndProtocol(s);
    // A number outside the protocol only shows the message; no number stops naming the box.
    const Snapshot before = snapshot(s);
    for (const auto& [text, said] : std::vector<std::pair<std::string, std::string>>{
             {"0", ""}, {"4", ""}, {"-2", ""}, {"", "ActivePointBox holds \"\""}, {"two", "holds \"two\""}}) {
        s.type("ActivePointBox", text);
        const std::string out = pressed(s, "DeleteLine");
        EXPECT_TRUE(said.empty() ? out.empty() : containsEach(out, said)) << out;
        EXPECT_TRUE(snapshot(s) == before) << text;
    }
    EXPECT_EQ(s.h.messages.texts(), Strings(3, kOutside));
    s.h.messages.clear();

    s.type("ActivePointBox", "1");
    s.press("ShowLine2");
    s.type("ActivePointBox", "2");
    s.press("DeleteLine");
    expectProtocol(s, Matrix::fromRows({{1, 3, 7}, {3, 9, 2}}));
    EXPECT_EQ(s.wirelist(), s.proto());
    EXPECT_EQ(s.state().lineh, std::nullopt);
    // Wireframe and overlay without the row, the labels numbering rows, not the stored 1 and 3.
    const Pairs kept{{3, 7}, {9, 2}};
    EXPECT_EQ(drawing(s),
              Strings{"b*"} + styled("k 0.5", kept) + styled("k 0.5", kept) + marks(10) + labelled("r", kept));
    s.press("DeleteLine");  // the last row
    expectProtocol(s, Matrix::rowVector({1, 3, 7}));
    s.type("ActivePointBox", "1");
    s.press("DeleteLine");  // the first and only row
    EXPECT_EQ(s.proto().rows(), 0u);
    EXPECT_EQ(s.box("ProtoPointBox"), "0");
    EXPECT_EQ(drawing(s), Strings{"b*"} + marks(10));
    const Snapshot empty = snapshot(s);
    EXPECT_TRUE(s.h.messages.shown().empty());
    s.press("DeleteLine");  // on a protocol with no rows left
    EXPECT_EQ(s.h.messages.texts(), Strings{kOutside});
    EXPECT_TRUE(snapshot(s) == empty);
}

TEST(AddLine, TheFirstLineOfANewOrEmptiedProtocolIsLineOne)
{
    Scenario s;
    loadShapeAndProtocol(s);
    s.press("NewProto");
    typeEnds(s, "1", "2");
    s.press("ShowLine");
    const platform::Handle highlight = *s.state().lineh;
    typeEnds(s, "3", "7");  // (3, 7) was in the old protocol: no duplicate test now
    EXPECT_EQ(pressed(s, "AddLine"), platform::displayValue("proto", Value(Matrix::rowVector({1, 3, 7}))));
    expectProtocol(s, Matrix::rowVector({1, 3, 7}));
    EXPECT_EQ(drawing(s), Strings{"b*"} + styled("k 0.5", kThree) + styled("k 0.5", kThree) + Strings{"k 0.5 3-7"} +
                              marks(10) + labelled("r", kThree) + Strings{"1 r 3-7"});
    EXPECT_TRUE(s.g().isValid(highlight) && !s.g().object(highlight).visible);
    EXPECT_EQ(s.state().lineh, std::nullopt);
    typeEnds(s, "4", "4");  // a line from a landmark to itself is refused
    s.press("AddLine");
    expectProtocol(s, Matrix::fromRows({{1, 3, 7}}));
    EXPECT_EQ(s.h.messages.texts(),
              Strings{"Line Not added: it would join landmark 4 to itself, and a line needs two different landmarks"});
    s.h.messages.clear();

    // A new protocol has no line 1 to delete; its first line is line 1.
    s.press("NewProto");
    s.type("ActivePointBox", "1");
    s.press("DeleteLine");
    EXPECT_EQ(s.h.messages.texts(), Strings{"Deleted Value is outside of the number of points in the protocol"});
    s.h.messages.clear();
    EXPECT_EQ(s.proto().rows(), 0u);
    EXPECT_EQ(s.box("ProtoPointBox"), "0");
    typeEnds(s, "5", "6");
    EXPECT_EQ(pressed(s, "AddLine"), platform::displayValue("proto", Value(Matrix::rowVector({1, 5, 6}))));
    expectProtocol(s, Matrix::rowVector({1, 5, 6}));
    EXPECT_TRUE(s.h.messages.shown().empty());
}

TEST(AddLine, RefusesAPairAlreadyInTheProtocolElseAppendsIt)
{
    Scenario s;
    loadShapeAndProtocol(s);
    const Snapshot before = snapshot(s);
    const auto ans = [](std::initializer_list<double> row) {
        return platform::displayValue("ans", Value(Matrix::rowVector(row)));
    };
    const auto add = [&](const std::string& first, const std::string& second) {
        typeEnds(s, first, second);
        return pressed(s, "AddLine");
    };
    EXPECT_EQ(add("7", "3"), ans({7, 3, 3, 7}));
    EXPECT_EQ(add("9", "2"), ans({9, 9, 2, 2}));
    EXPECT_EQ(s.h.messages.texts(), Strings(2, kDuplicate));
    EXPECT_TRUE(snapshot(s) == before);

    s.type("ActivePointBox", "2");
    s.press("DeleteLine");
    add("1", "5");
    expectProtocol(s, Matrix::fromRows({{1, 3, 7}, {3, 9, 2}, {3, 1, 5}}));
    // Whatever the counter box holds, a line goes after the last one, numbered m + 1.
    for (const std::string counter : {"1", "7", "-2", "x"}) {
        s.type("ProtoPointBox", counter);
        add("2", counter == "1" ? "6" : counter == "7" ? "8" : counter == "-2" ? "4" : "10");
    }
    expectProtocol(s, Matrix::fromRows({{1, 3, 7}, {3, 9, 2}, {3, 1, 5}, {4, 2, 6}, {5, 2, 8}, {6, 2, 4}, {7, 2, 10}}));

    // The same pair stored twice: one console row per match, one message.
    s.load("LoadProto", "twice.txt", "1 3 7\n2 7 3\n");
    s.h.messages.clear();
    EXPECT_EQ(add("3", "7"), ans({3, 3, 7, 7}) + ans({3, 7, 7, 3}));
    EXPECT_EQ(s.h.messages.texts(), Strings{kDuplicate});
    EXPECT_EQ(s.proto().rows(), 2u);
}

// A click finds a line's number through the link from its drawn number, not by matching
// middles: two lines that cross at their middles keep their own numbers.
TEST(Picking, LinesThatShareAMiddleKeepTheirOwnNumbers)
{
    Scenario s;
    s.loadTps("square.tps", "LM=5\n0 0 0\n2 0 0\n2 2 0\n0 2 0\n1 1 3\nID=a\n"
                            "LM=5\n0 0 0\n2 0 0\n2 2 0\n0 2 0\n1 1 2\nID=b\n");
    s.load("LoadProto", "x.txt", "1 1 3\n2 2 4\n");
    typeEnds(s, "1", "2");
    s.press("AddLine");
    const platform::PickTargets targets = platform::pickTargets(s.g(), s.plotAxes());
    std::map<std::size_t, std::pair<platform::Point3, platform::Point3>> ends;
    for (const auto& line : targets.lines)
        ends[line.number] = {line.from, line.to};
    ASSERT_EQ(ends.size(), 3u);
    const platform::Matrix& r = s.state().specimens.reference;
    const auto at = [&](std::size_t landmark) {
        return platform::Point3{r(landmark - 1, 0), r(landmark - 1, 1), r(landmark - 1, 2)};
    };
    EXPECT_EQ(ends[1], std::make_pair(at(1), at(3)));
    EXPECT_EQ(ends[2], std::make_pair(at(2), at(4)));
    EXPECT_EQ(ends[3], std::make_pair(at(1), at(2)));
}
