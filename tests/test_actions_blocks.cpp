// Block set-up, display, navigation and editing, and "ClearTarget", driven as a user would.
#include "platform/numtext.h"
#include "scenario_checks.h"

using namespace vezedo;
using namespace vezedo::test;
using platform::Matrix;
using platform::Value;

namespace {

// The six-line protocol and its red numbers, as the overlay draws them.
const Strings kLines = styled("k 0.5", chain(6)), kRed = labelled("r", chain(6));

std::string enable(Scenario& s, const std::string& tag)
{
    return s.property(tag, "Enable").string();
}

}  // namespace

TEST(SetBlocks, CreatesEmptyBlocksSwitchesTheButtonsAndDrawsOverThePlot)
{
    Scenario s;
    setUpBlocks(s);
    const Strings before = drawing(s);
    // A count that is no whole number from 1 up stops after the buttons are switched.
    for (const std::string typed : {"0", "2.5", ""}) {
        s.type("MaxBlockBox", typed);
        EXPECT_TRUE(containsEach(pressed(s, "SetBlocks"), "MaxBlockBox|" + typed)) << typed;
        EXPECT_TRUE(enable(s, "SetBlocks") == "off" && enable(s, "LoadProtoButton") == "on");
        EXPECT_TRUE(s.state().blocks.blocks().empty());
        EXPECT_EQ(s.state().blocks.count(), std::nullopt);  // a refused count is not kept
        EXPECT_EQ(drawing(s), before);
    }
    s.type("MaxBlockBox", "3");
    EXPECT_EQ(pressed(s, "SetBlocks"), nhTrace(s, "LoadProtoButton"));
    EXPECT_EQ(s.state().blocks.blocks(), Blocks(3));
    EXPECT_EQ(s.state().blocks.count(), 3u);
    // Nothing is cleared: the protocol is drawn once more over what was shown.
    EXPECT_EQ(drawing(s), Strings{"b*"} + kLines + kLines + kLines + marks(8) + kRed + kRed);
    EXPECT_EQ(s.g().currentFigure(), s.state().mf);
    // A smaller count empties its own block and leaves the higher ones.
    enterBlock(s, "2", "4 1");
    enterBlock(s, "3", "5");
    s.type("MaxBlockBox", "2");
    s.press("SetBlocks");
    EXPECT_EQ(s.state().blocks.count(), 2u);
    EXPECT_EQ(s.state().blocks.blocks(), (Blocks{{}, {}, {5}}));
}

TEST(AddBlocks, CountsFromTheBoxAndAddsOneEmptyBlockWithoutDrawing)
{
    Scenario s;
    setUpBlocks(s, 6, 3);
    enterBlock(s, "1", "2 3");
    const Strings before = drawing(s);
    s.press("AddBlocks");
    EXPECT_EQ(s.box("MaxBlockBox"), "4");
    EXPECT_EQ(s.state().blocks.count(), 4u);
    EXPECT_EQ(s.state().blocks.blocks(), (Blocks{{2, 3}, {}, {}, {}}));
    s.type("MaxBlockBox", "7");  // the box, not the stored count, is the base
    s.press("AddBlocks");
    EXPECT_EQ(s.box("MaxBlockBox"), "8");
    EXPECT_EQ(s.state().blocks.blocks(), (Blocks{{2, 3}, {}, {}, {}, {}, {}, {}, {}}));
    EXPECT_EQ(drawing(s), before);
    // A count that plus one is no whole number from 1 to 10000 is refused and changes nothing.
    for (const std::string typed : {"-3", "2.5", "1e308", "Inf", "1e9", "10000"}) {
        s.type("MaxBlockBox", typed);
        EXPECT_TRUE(containsEach(pressed(s, "AddBlocks"), "MaxBlockBox|" + typed)) << typed;
        EXPECT_EQ(s.state().blocks.count(), 8u) << typed;
        EXPECT_EQ(s.box("MaxBlockBox"), typed);
        EXPECT_EQ(s.state().blocks.blocks().size(), 8u);
    }
    Scenario fresh;  // not tied to block work
    fresh.press("AddBlocks");
    EXPECT_EQ(fresh.state().blocks.blocks(), Blocks(2));
    EXPECT_EQ(fresh.h.console.text(), "");
}

TEST(ReplotM, DrawsACleanPlotOfTheShapeItsNumbersAndTheProtocolAlsoInAClosedWindow)
{
    Scenario s;
    setUpBlocks(s, 4, 2);
    for (bool closed : {false, true}) {
        if (closed)
            s.g().deleteObject(*s.state().fighand1);
        s.press("ReplotM");
        ASSERT_TRUE(s.g().isValid(*s.state().fighand1));
        EXPECT_TRUE(s.state().mf == s.state().fighand1 && s.g().currentFigure() == s.state().fighand1);
        EXPECT_EQ(drawing(s), Strings{"b*"} + styled("k 0.5", chain(4)) + marks(8) + labelled("r", chain(4)));
    }
    EXPECT_EQ(s.h.console.text(), "");
}

TEST(ShowAllBlock, StoresTheBoxListAndDrawsItGreenOverTheProtocol)
{
    Scenario s;
    setUpBlocks(s, 6, 3);
    const auto show = [&](const std::string& current, const std::string& lines) {
        typeBlock(s, current, lines);
        return pressed(s, "ShowAllBlock");
    };
    EXPECT_EQ(show("2", "3 0 5 3"), "");
    EXPECT_EQ(s.state().blocks.blocks(), (Blocks{{}, {3, 5, 3}, {}}));
    EXPECT_EQ(drawing(s),
              kLines + Strings{"ro"} + styled("g 1.5", kChain, {3, 5, 3}) + kRed + labelled("g", kChain, {3, 5, 3}));
    EXPECT_EQ(s.g().currentFigure(), s.state().mf);
    // An empty box empties the block; a block beyond the list lengthens it, not the count.
    show("2", "");
    EXPECT_EQ(drawing(s), kLines + Strings{"ro"} + kRed);
    show("5", "4");
    EXPECT_EQ(s.state().blocks.blocks(), (Blocks{{}, {}, {}, {}, {4}}));
    EXPECT_EQ(s.state().blocks.count(), 3u);
    // A list naming a line the protocol lacks is refused in a message box: nothing is
    // stored or drawn. A bad block number stops at once.
    const Blocks before = s.state().blocks.blocks();
    const Strings drawn = drawing(s);
    EXPECT_EQ(show("2", "2 9 4"), "");
    expectMessage(s, "Block 2|line 9|1 to 6");
    EXPECT_TRUE(s.state().blocks.blocks() == before && drawing(s) == drawn);
    EXPECT_TRUE(containsEach(show("0", "1"), "block 0|CurrentBlockBox"));
    EXPECT_TRUE(s.state().blocks.blocks() == before && drawing(s) == drawn);
}

// The redrawing actions clear the plot, the highlight with it, and forget it.
TEST(BlockRedraw, NoHighlightSurvivesARedrawingAction)
{
    for (const std::string action : {"ReplotM", "ShowAllBlock", "ShowBlockStructure"}) {
        Scenario s;
        setUpBlocks(s);
        s.type("CurrentBlockBox", "1");
        typeEnds(s, "1", "8");
        s.press("ShowLine");
        s.press(action);
        EXPECT_EQ(s.state().lineh, std::nullopt) << action;
        EXPECT_EQ(pressed(s, "ShowLine").find("rror"), std::string::npos) << action;
    }
}

TEST(ShowBlockStructure, DrawsEachCountedBlockInItsStyle)
{
    Scenario s;
    setUpBlocks(s, 13);
    s.press("ShowBlockStructure");  // no blocks yet
    EXPECT_EQ(drawing(s), blockStructure(13, {}));
    s.type("MaxBlockBox", "3");
    s.press("SetBlocks");
    enterBlock(s, "1", "1");
    enterBlock(s, "3", "2 1");
    enterBlock(s, "4", "3");  // beyond the block count
    s.h.console.take();
    s.press("ShowBlockStructure");  // block 2 is empty; a shared line is drawn for each block
    EXPECT_EQ(drawing(s), blockStructure(13, {{"r", {1}}, {"b", {2, 1}}}));
    enterBlock(s, "2", "3 40 1");  // refused: the protocol has no line 40
    expectMessage(s, "line 40");
    EXPECT_EQ(pressed(s, "ShowBlockStructure"), "");
    EXPECT_EQ(drawing(s), blockStructure(13, {{"r", {1}}, {"b", {2, 1}}}));

    // Thirteen blocks: six colours solid, then dotted, then the thirteenth like the first.
    s.type("MaxBlockBox", "13");
    s.press("SetBlocks");
    const Strings codes{"r", "g", "b", "m", "y", "c", "r:", "g:", "b:", "m:", "y:", "c:", "r"};
    std::vector<std::pair<std::string, std::vector<int>>> blocks;
    for (int k = 1; k <= 13; ++k) {
        enterBlock(s, std::to_string(k), std::to_string(k));
        blocks.push_back({codes[static_cast<std::size_t>(k - 1)], {k}});
    }
    EXPECT_EQ(pressed(s, "ShowBlockStructure"), "");
    EXPECT_EQ(drawing(s), blockStructure(13, blocks));
    EXPECT_EQ(s.g().currentFigure(), s.state().mf);
    // A new protocol takes the blocks of the old one with it: nothing is left to draw.
    s.press("NewProto");
    EXPECT_TRUE(s.state().blocks.empty());
}

// Both store the box into the current block, then show the next or previous one.
TEST(BlockUpDown, StoreTheBoxAndShowTheNeighbourWithinTheCountedBlocks)
{
    Scenario s;
    setUpBlocks(s, 6, 3);
    enterBlock(s, "2", "3 4 6");
    const Strings shown = drawing(s);
    typeBlock(s, "1", "5 5");
    EXPECT_EQ(pressed(s, "BlockUp"),
              nhTrace(s, "CurrentBlockBox") + platform::displayValue("blist", Value(Matrix::rowVector({5, 5}))));
    EXPECT_EQ(s.state().blocks.blocks(), (Blocks{{5, 5}, {3, 4, 6}, {}}));
    EXPECT_EQ(s.box("CurrentBlockBox"), "2");
    EXPECT_TRUE(platform::parseNumericText(s.box("BlockBox")) == Matrix::rowVector({3, 4, 6})) << s.box("BlockBox");
    EXPECT_EQ(drawing(s), shown);
    s.press("BlockUp");  // onto an empty block: the box empties
    EXPECT_TRUE(s.box("CurrentBlockBox") == "3" && s.box("BlockBox") == "");
    s.type("BlockBox", "6 1");
    EXPECT_EQ(pressed(s, "BlockDown"), nhTrace(s, "CurrentBlockBox"));
    const Blocks blocks{{5, 5}, {3, 4, 6}, {6, 1}};
    EXPECT_EQ(s.state().blocks.blocks(), blocks);
    EXPECT_TRUE(platform::parseNumericText(s.box("BlockBox")) == Matrix::rowVector({3, 4, 6})) << s.box("BlockBox");
    // Up at the last block or beyond, down at the first, or either without a number: nothing.
    for (const auto& [action, current] : std::vector<std::pair<std::string, std::string>>{
             {"BlockUp", "3"}, {"BlockUp", "4"}, {"BlockUp", "abc"}, {"BlockDown", "1"}, {"BlockDown", ""}}) {
        typeBlock(s, current, "2 2");
        EXPECT_EQ(pressed(s, action), nhTrace(s, "CurrentBlockBox")) << action << " " << current;
        EXPECT_EQ(s.state().blocks.blocks(), blocks);
        EXPECT_TRUE(s.box("CurrentBlockBox") == current && s.box("BlockBox") == "2 2");
    }
    s.type("CurrentBlockBox", "5");  // down from beyond the list: the block left is made to exist
    s.press("BlockDown");
    EXPECT_EQ(s.state().blocks.blocks(), (Blocks{{5, 5}, {3, 4, 6}, {6, 1}, {}, {2, 2}}));
    EXPECT_EQ(s.state().blocks.count(), 3u);
    EXPECT_TRUE(s.box("CurrentBlockBox") == "4" && s.box("BlockBox") == "");
    Scenario none;  // no block structure at all
    none.press("BlockUp");
    EXPECT_TRUE(none.state().blocks.blocks().empty());
    EXPECT_EQ(none.box("CurrentBlockBox"), "1");
}

TEST(BlockEnter, StoresTheListWithoutZerosInTextOrderIntoTheCurrentBlock)
{
    Scenario s;
    setUpBlocks(s, 6, 3);
    const Strings shown = drawing(s);
    enterBlock(s, "2", "4 0 5\n0 6 0");
    EXPECT_EQ(s.state().blocks.blocks(), (Blocks{{}, {4, 5, 6}, {}}));
    EXPECT_EQ(s.h.console.text(), nhTrace(s, "CurrentBlockBox"));
    EXPECT_TRUE(s.box("CurrentBlockBox") == "2" && s.box("MaxBlockBox") == "3");
    EXPECT_EQ(drawing(s), shown);
    const std::vector<std::pair<std::string, session::BlockStructure::Lines>> cases{
        {"1,2, 3,0", {1, 2, 3}},     {"2 2 1", {2, 2, 1}},         {"1 2 3\n4 5", {1, 2, 3, 4, 5}}, {"0 0", {}},
        {"2 0 6; 0 5 0", {2, 6, 5}}, {"[1 2; 3 4]", {1, 2, 3, 4}}, {"[5,6;\n2]", {5, 6, 2}},        {"6,\r\n", {6}}};
    for (const auto& [text, list] : cases) {
        enterBlock(s, "1", text);
        EXPECT_EQ(s.state().blocks.blocks()[0], list) << "box \"" << text << "\"";
    }
    enterBlock(s, "6", "3");  // beyond the count: the list grows, the count stays
    const Blocks blocks{{6}, {4, 5, 6}, {}, {}, {}, {3}};
    EXPECT_EQ(s.state().blocks.blocks(), blocks);
    EXPECT_EQ(s.state().blocks.count(), 3u);
    // A list holding anything but protocol line numbers is refused in a message box naming
    // the item; the stored block stays.
    const std::pair<std::string, std::string> refused[] = {{"1 x 3", "\"x\""},  {"5 6: 7", "\"6:\""},
                                                           {"-4 2", "\"-4\""},  {"1.5", "\"1.5\""},
                                                           {"2 99", "line 99"}, {"1 2 7", "line 7"}};
    for (const auto& [text, item] : refused) {
        SCOPED_TRACE(text);
        enterBlock(s, "6", text);
        expectMessage(s, "Block 6|" + item);
        EXPECT_EQ(s.state().blocks.blocks(), blocks);
    }
    // A block number that is no whole number from 1 up stops the action, naming the box.
    for (const std::string current : {"0", "-1", "2.5", "", "x"}) {
        enterBlock(s, current, "3");
        EXPECT_TRUE(containsEach(s.h.console.take(), "CurrentBlockBox|" + current)) << current;
        EXPECT_EQ(s.state().blocks.blocks(), blocks);
    }
}

TEST(AddLinetoBlock, AppendsTheTargetTextAfterOneBlankWithoutStoring)
{
    Scenario s;
    setUpBlocks(s, 6, 2);
    s.type("BlockBox", "12");
    s.type("TargetLineBox", "15");
    EXPECT_EQ(pressed(s, "AddLinetoBlock"), platform::displayValue("stempa", Value("15")));
    EXPECT_EQ(s.box("BlockBox"), "12 15");
    s.type("BlockBox", "");
    s.type("TargetLineBox", "x");  // not checked
    s.press("AddLinetoBlock");
    EXPECT_EQ(s.box("BlockBox"), " x");
    EXPECT_EQ(s.state().blocks.blocks(), Blocks(2));
}

TEST(ClearTarget, EmptiesProtocolAndBlocksAndResetsTheBlockControlsTwiceLikeOnce)
{
    Scenario s;
    setUpBlocks(s, 6, 3);
    enterBlock(s, "2", "1 3");
    s.type("LengthBox", "7.5");
    typeEnds(s, "1", "2");
    s.press("ShowLine");
    s.h.console.take();
    Snapshot kept = snapshot(s);
    kept.session.protocol = {};
    kept.session.blocks.clear();
    kept.boxes[2] = "0";                  // ProtoPointBox: the protocol has no lines
    kept.boxes[3] = kept.boxes[5] = " ";  // BlockBox and MaxBlockBox
    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE(round);
        s.press("ClearTarget");
        EXPECT_TRUE(snapshot(s) == kept);  // everything else stays, the plot too
        EXPECT_TRUE(enable(s, "SetBlocks") == "on" && enable(s, "LoadProtoButton") == "off");
        EXPECT_EQ(s.box("LengthBox"), " ");
        EXPECT_EQ(s.h.console.text(), "");
        EXPECT_TRUE(s.h.messages.shown().empty());
    }
    s.type("MaxBlockBox", "2");  // block work can start again
    s.press("SetBlocks");
    EXPECT_EQ(s.state().blocks.blocks(), Blocks(2));
}

// The renderer learns what each number labels, and block views carry a legend of the colours.
TEST(BlockRedraw, LabelsNameTheirAnchorsAndBlockViewsCarryALegend)
{
    Scenario s;
    setUpBlocks(s, 6, 13);
    for (int k = 1; k <= 13; ++k)
        enterBlock(s, std::to_string(k), std::to_string((k - 1) % 6 + 1));
    s.press("ShowBlockStructure");
    const auto& axes = s.g().object(s.plotAxes()).as<platform::AxesData>();
    ASSERT_EQ(axes.legend.size(), 12u);
    EXPECT_EQ(axes.legend[0].text, "Block 1, 13");
    EXPECT_EQ(axes.legend[5].text, "Block 6");
    EXPECT_EQ(axes.legend[5].color, (platform::Rgb{0, 1, 1}));
    EXPECT_EQ(axes.legend[6].style, platform::LineStyle::Dotted);

    s.press("ShowProto");
    EXPECT_TRUE(s.g().object(s.plotAxes()).as<platform::AxesData>().legend.empty());
    const platform::Matrix& r = s.state().specimens.reference;
    int landmarks = 0, lines = 0;
    for (platform::Handle h : s.drawn(platform::ObjectType::Text)) {
        const auto& t = s.g().object(h).as<platform::TextData>();
        const std::size_t n = std::stoul(t.string);
        if (t.kind == platform::LabelKind::Landmark) {
            ++landmarks;
            EXPECT_EQ(t.anchor, (platform::Point3{r(n - 1, 0), r(n - 1, 1), r(n - 1, 2)})) << t.string;
        } else if (t.kind == platform::LabelKind::Line) {
            ++lines;
            EXPECT_EQ(t.anchor, t.position) << t.string;  // the line's middle
        }
    }
    EXPECT_EQ(landmarks, 8);
    EXPECT_EQ(lines, 6);
}
