// Protocols and wireframes as a whole: "LoadWire", "LoadProto", "SaveProtocol", "ShowProto"
// and "NewProto".
#include <array>
#include <cmath>

#include "scenario_checks.h"

using namespace vezedo;
using namespace vezedo::test;
using platform::Matrix;

namespace {

const Pairs kThree{{3, 7}, {7, 9}, {9, 2}};

void loadShape(Scenario& s, const std::string& protocol = "", const std::string& action = "LoadProto")
{
    s.loadTps("shape.txt", makeTps(4, 10));
    if (!protocol.empty())
        s.load(action, "p.txt", protocol);
}

}  // namespace

TEST(LoadWire, DrawsTheWireframeAndMakesItTheProtocol)
{
    Scenario s;
    loadShape(s);
    typeEnds(s, "1", "2");
    s.press("ShowLine");
    // Column 1 is kept but takes no part in drawing or labelling.
    s.load("LoadWire", "wire.txt", "5 1 2\n0 2 3\n4 3 4\n4 4 1\n-3 9 10\n");
    const Pairs pairs{{1, 2}, {2, 3}, {3, 4}, {4, 1}, {9, 10}};
    EXPECT_EQ(s.h.dialogs.requests().back().filter, "*.txt");
    expectProtocol(s, Matrix::fromRows({{5, 1, 2}, {0, 2, 3}, {4, 3, 4}, {4, 4, 1}, {-3, 9, 10}}));
    EXPECT_EQ(s.wirelist(), s.proto());
    EXPECT_EQ(s.state().protoname, "wire.txt");
    EXPECT_EQ(s.state().lineh, std::nullopt);
    EXPECT_EQ(s.box("WireBox"), "Loaded Protocol is : wire.txt");
    // The wireframe, then the overlay over it; the earlier highlight is forgotten, not hidden.
    const Strings wire = styled("k 0.5", pairs), labels = marks(10) + labelled("r", pairs);
    EXPECT_EQ(drawing(s), (Strings{"b*", "m 1.5 1-2"} + wire + wire + labels));
    EXPECT_EQ(yLabelText(s), "");

    // After "NewProto", a file with an empty line (passed over), with the overlay switched off.
    s.press("NewProto");
    tick(s, "ShowLineButton", false);
    s.load("LoadWire", "gap.txt", "1 1 2\n2 2 3\n\n4 4 5\n");
    expectProtocol(s, Matrix::fromRows({{1, 1, 2}, {2, 2, 3}, {4, 4, 5}}));
    EXPECT_EQ(drawing(s),
              (Strings{"b*", "m 1.5 1-2"} + wire + wire + Strings{"k 0.5 1-2", "k 0.5 2-3", "k 0.5 4-5"} + labels));
    EXPECT_TRUE(s.h.messages.shown().empty());
}

TEST(LoadProto, EndsInTheStateOfLoadWireAndAPlaceholderOnlyFileHasNoLines)
{
    Scenario wire, s;
    loadShape(wire, "5 3 7\n9 7 9\n", "LoadWire");
    loadShape(s, "5 3 7\n9 7 9\n");
    EXPECT_EQ(s.h.dialogs.requests().back().filter, "*.*");
    EXPECT_EQ(s.proto(), Matrix::fromRows({{5, 3, 7}, {9, 7, 9}}));
    EXPECT_TRUE(snapshot(s) == snapshot(wire));

    const Strings shown = drawing(s);
    s.load("LoadProto", "new.txt", "-1 -1 -1 \n");
    EXPECT_EQ(s.proto(), Matrix());  // no lines
    EXPECT_TRUE(s.wirelist().empty());
    EXPECT_EQ(s.state().protoname, "new.txt");
    EXPECT_EQ(s.box("WireBox"), "Loaded Protocol is : new.txt");
    EXPECT_EQ(s.box("ProtoPointBox"), "0");
    EXPECT_EQ(drawing(s), shown);  // nothing drawn
    s.press("ShowProto");
    EXPECT_EQ(drawing(s), Strings{"b*"} + marks(10));
    EXPECT_TRUE(s.h.messages.shown().empty());
}

// Both readers check the whole file first; a refusal names the file and the problem.
TEST(LoadProto, RefusedFilesOfEitherReaderChangeNothing)
{
    const std::vector<std::array<std::string, 3>> bad{{"one.txt", "7\n", "1 number"},
                                                      {"two.txt", "1 2\n3 4\n", "2 numbers"},
                                                      {"big.txt", "1 3 7\n2 12 1\n", "12|1 to 10"},
                                                      {"zero.txt", "1 0 3\n", "landmark 0"},
                                                      {"half.txt", "1 2.5 3\n", "2.5"},
                                                      {"ragged.txt", "1 2 3\n4 5\n", "line 2"},
                                                      {"missing.txt", "", ""}};
    for (const std::string action : {"LoadWire", "LoadProto"}) {
        Scenario s;
        loadShape(s, "1 3 7\n2 3 9\n", action);
        const Snapshot before = snapshot(s);
        s.cancel();
        s.press(action);
        for (const auto& [name, content, problem] : bad)
            expectRefusedLoad(s, action, name, content, problem, before);
        Scenario t;  // without a shape no landmark exists yet
        expectRefusedLoad(t, action, "w.txt", "1 1 2\n", "load specimens", snapshot(t));
    }
}

TEST(SaveProtocol, WritesEveryRowWithItsStoredNumberAndNamesTheFileInTheYLabel)
{
    Scenario s;
    loadShape(s, protocolText(kThree));
    std::filesystem::create_directory(s.dir.path() / "sub");
    s.file("sub/p1.txt", "an older, longer file that must go away completely\n");
    const auto saveAs = [&](const std::string& name) {
        s.press("SaveProtocol", "sub/" + name);
        return s.read("sub/" + name);
    };
    EXPECT_EQ(saveAs("p1.txt"), "1 3 7 \n2 7 9 \n3 9 2 \n");
    EXPECT_EQ(s.h.dialogs.requests().back().title, "Please Enter Filename for protocol or Wireframe");
    EXPECT_EQ(yLabelText(s), "Active Protocal Name: p1.txt");
    EXPECT_EQ(std::filesystem::current_path(), s.dir.path() / "sub");
    EXPECT_EQ(s.state().protoname, "p.txt");  // saving does not rename the protocol
    EXPECT_EQ(s.g().currentFigure(), s.state().mf);

    s.type("ActivePointBox", "2");
    s.press("DeleteLine");
    EXPECT_EQ(saveAs("p2.txt"), "1 3 7 \n3 9 2 \n");      // the stored numbers keep their gap
    s.load("LoadProto", "p2.txt", s.read("sub/p2.txt"));  // and read back the same
    EXPECT_EQ(s.proto(), Matrix::fromRows({{1, 3, 7}, {3, 9, 2}}));
    s.press("NewProto");
    EXPECT_EQ(saveAs("p3.txt"), "-1 -1 -1 \n");
    // Any protocol without lines writes the placeholder row, so the file loads again.
    s.press("ClearTarget");
    EXPECT_EQ(saveAs("p4.txt"), "-1 -1 -1 \n");
    EXPECT_TRUE(s.h.messages.shown().empty());
}

TEST(ShowProto, RedrawsTheWindowFromTheStateAlsoWhenItWasClosed)
{
    Scenario s;
    loadShape(s, protocolText(kThree));
    s.press("SaveProtocol", "p1.txt");
    typeEnds(s, "1", "10");
    s.press("AddLine");  // into the protocol, not into the wireframe
    typeEnds(s, "1", "5");
    s.press("ShowLine");
    s.press("ShowProto");
    EXPECT_EQ(s.state().lineh, std::nullopt);
    EXPECT_EQ(s.state().mf, s.state().fighand1);
    const Pairs four{{3, 7}, {7, 9}, {9, 2}, {1, 10}};
    const Strings wire = Strings{"b*"} + styled("k 0.5", kThree);
    EXPECT_EQ(drawing(s), wire + styled("k 0.5", four) + marks(10) + labelled("r", four));
    EXPECT_EQ(s.drawn(platform::ObjectType::Line).size(), 8u);  // the hidden highlight went too
    EXPECT_EQ(yLabelText(s), "Active Protocal Name: p1.txt");   // labels survive the clearing
    tick(s, "ShowLineButton", false);
    s.press("ShowProto");
    EXPECT_EQ(drawing(s), wire + marks(10));

    s.g().deleteObject(*s.state().fighand1);
    s.press("ShowProto");
    ASSERT_TRUE(s.g().isValid(*s.state().fighand1));
    EXPECT_EQ(s.state().mf, s.state().fighand1);
    typeEnds(s, "2", "4");
    s.press("AddLine");  // later actions draw there, the new line with its number
    EXPECT_EQ(drawing(s), wire + Strings{"k 0.5 2-4"} + marks(10) + Strings{"5 r 2-4"});
}

TEST(ShowProto, AProtocolLandmarkOutsideTheShapeStopsTheOverlayThere)
{
    Scenario s;
    loadShape(s, "1 1 2\n", "LoadWire");
    typeEnds(s, "3", "9");
    s.press("AddLine");  // the protocol names landmark 9, the wireframe does not
    s.loadTps("small.txt", makeTps(3, 5));
    typeEnds(s, "3", "4");
    s.press("ShowLine");
    const auto highlight = s.state().lineh;
    EXPECT_TRUE(containsEach(pressed(s, "ShowProto"), "Landmark 9 does not exist"));
    EXPECT_EQ(s.state().lineh, highlight);
    EXPECT_EQ(drawing(s), (Strings{"b*", "k 0.5 1-2", "k 0.5 1-2"} + marks(5) + Strings{"1 r 1-2"}));
}

TEST(NewProto, StartsAProtocolWithoutLinesAndLeavesThePlotAlone)
{
    for (bool overlay : {true, false}) {
        SCOPED_TRACE(overlay);
        Scenario s;
        loadShape(s, protocolText(kThree));
        s.type("ActivePointBox", "2");
        s.press("ShowLine2");
        const Snapshot before = snapshot(s);
        s.press("NewProto");
        EXPECT_EQ(s.box("ProtoPointBox"), "0");
        EXPECT_EQ(s.proto(), Matrix());  // no lines
        EXPECT_EQ(s.state().lineh, std::nullopt);
        EXPECT_EQ(yLabelText(s), "New Protocol in Use");
        EXPECT_TRUE(s.state().wireframe == before.session.wireframe && s.state().protoname == "p.txt");
        EXPECT_EQ(drawing(s), before.shown);  // the highlight is forgotten, still drawn
        // "ShowProto" then draws the old wireframe and no protocol lines, overlay or not.
        tick(s, "ShowLineButton", overlay);
        EXPECT_EQ(pressed(s, "ShowProto"), "");
        EXPECT_EQ(drawing(s), Strings{"b*"} + styled("k 0.5", kThree) + marks(10));
    }
}

// A line from a landmark to itself is refused in either form of protocol file, naming the
// line; a line given twice (either way round) loads as written and the console names it.
TEST(LoadProto, RefusesALineToItselfAndNamesRepeatedLines)
{
    const struct {
        const char* name;
        const char* file;
        const char* content;
        const char* problem;  // empty: loads
    } cases[] = {
        {"plain", "self.txt", "1 2 5\n2 3 3\n", "Line 2 joins landmark 3 to itself"},
        {"csv", "self.csv", "name,from,to\nnasal,4,4\n", "joins landmark 4 to itself"},
        {"repeated", "twice.txt", "1 2 5\n2 3 7\n3 5 2\n", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Scenario s;
        s.loadTps("mice.txt", makeTps(3, 10));
        s.h.console.take();
        s.load("LoadProto", c.file, c.content);
        if (*c.problem) {
            ASSERT_EQ(s.h.messages.texts().size(), 1u);
            EXPECT_NE(s.h.messages.texts()[0].find(c.problem), std::string::npos) << s.h.messages.texts()[0];
            EXPECT_TRUE(s.state().protocol.empty());
        } else {
            EXPECT_TRUE(s.h.messages.texts().empty());
            EXPECT_EQ(s.state().protocol.size(), 3u);
            EXPECT_NE(
                s.h.console.text().find("twice.txt: lines 1 and 3 all join landmarks 2 and 5 (loaded as written)"),
                std::string::npos)
                << s.h.console.text();
        }
    }
}

// Up to 10,000 lines a loaded protocol is drawn line by line with its numbers; past that, as one
// wire broken between lines (three points a line, the third no point), no numbers, and the
// status bar says so.
TEST(LoadProto, ALongProtocolIsDrawnAsOneWireWithoutNumbers)
{
    const struct {
        const char* name;
        std::size_t lines;
        std::size_t lineObjects, texts;  // drawn over the shape's markers and landmark numbers
        bool noted;
    } cases[] = {
        {"10,000 lines: each drawn twice (wire and protocol) and numbered", 10000, 20000, 10000, false},
        {"10,001 lines: one wire", 10001, 1, 0, true},
    };
    constexpr std::size_t p = 150;  // 11,175 distinct pairs
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Scenario s;
        s.loadTps("wide.txt", makeTps(3, p));
        Pairs pairs;
        for (std::size_t a = 1; a <= p && pairs.size() < c.lines; ++a)
            for (std::size_t b = a + 1; b <= p && pairs.size() < c.lines; ++b)
                pairs.push_back({static_cast<int>(a), static_cast<int>(b)});
        const std::size_t linesBefore = s.drawn(platform::ObjectType::Line).size();
        const std::size_t textsBefore = s.drawn(platform::ObjectType::Text).size();
        s.load("LoadProto", "long.txt", protocolText(pairs));
        ASSERT_EQ(s.state().protocol.size(), c.lines);
        const auto lines = s.drawn(platform::ObjectType::Line);
        EXPECT_EQ(lines.size() - linesBefore, c.lineObjects);
        EXPECT_EQ(s.drawn(platform::ObjectType::Text).size() - textsBefore, c.texts);
        const bool noted =
            !s.h.console.statuses().empty() &&
            s.h.console.statuses().back().find("drawn as one wire, without line numbers") != std::string::npos;
        EXPECT_EQ(noted, c.noted);
        if (c.lineObjects == 1) {
            const auto& wire = s.g().object(lines.back()).as<platform::LineData>();
            ASSERT_EQ(wire.points.size(), 3 * c.lines);
            // Line 10,001 joins landmarks 102 and 104: the first 101 landmarks start 149 + 148 +
            // ... + 49 = 9,999 lines, and 102-103 is line 10,000.
            const std::size_t at = 3 * 10000;
            const platform::Matrix& r = s.state().specimens.reference;
            EXPECT_EQ(wire.points[at][0], r(101, 0));
            EXPECT_EQ(wire.points[at + 1][2], r(103, 2));
            EXPECT_TRUE(std::isnan(wire.points[at + 2][1]));
        }
    }
}
