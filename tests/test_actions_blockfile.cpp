#include <set>

// The block-structure file: "SaveMatrix" writes it, "LoadBlock" reads it back and shows it.
#include "platform/numtext.h"
#include "scenario_checks.h"

using namespace vezedo;
using namespace vezedo::test;
using platform::Matrix;
namespace fs = std::filesystem;

namespace {

// "SetBlocks" with one block per text, each entered through "BlockEnter".
void defineBlocks(Scenario& s, const std::vector<std::string>& texts)
{
    s.type("MaxBlockBox", std::to_string(texts.size()));
    s.press("SetBlocks");
    for (std::size_t k = 0; k < texts.size(); ++k)
        enterBlock(s, std::to_string(k + 1), texts[k]);
    s.h.console.take();
}

std::string save(Scenario& s, const std::string& name)
{
    s.press("SaveMatrix", name);
    return s.read(name);
}

}  // namespace

TEST(SaveMatrix, WritesTheHeaderAndOneLinePerCountedBlock)
{
    Scenario s;
    setUpBlocks(s);
    defineBlocks(s, {"3 5 6", "2", ""});
    enterBlock(s, "5", "4");  // an entry beyond the count is not written
    s.h.console.take();
    const Snapshot before = snapshot(s);
    fs::create_directory(s.dir.path() / "out");
    s.file("out/blocks.txt", "an older, longer file that must go away completely\n");
    EXPECT_EQ(save(s, "out/blocks.txt"), "arm.txt \n 3  5  6 \n 2 \n\n");
    const auto& request = s.h.dialogs.requests().back();
    EXPECT_TRUE(request.kind == platform::FileDialogKind::Save && request.filter == "*.txt");
    EXPECT_EQ(request.title, "Enter Name for Block Structure File");
    EXPECT_EQ(fs::current_path(), fs::canonical(s.dir.path() / "out"));
    EXPECT_TRUE(snapshot(s) == before);
    EXPECT_TRUE(s.h.messages.shown().empty());
    EXPECT_EQ(s.h.console.text(), "");

    // Without blocks there is nothing to write: a file of a header alone would not load back.
    Scenario fresh;
    EXPECT_EQ(save(fresh, "none.txt"), "");
    EXPECT_EQ(fresh.h.messages.texts(), std::vector<std::string>{"There are no blocks to save: set up blocks first."});
    EXPECT_FALSE(fs::exists(fresh.dir.path() / "none.txt"));
    s.press("ClearTarget");
    EXPECT_EQ(save(s, "cleared.txt"), "");
}

TEST(LoadBlock, ReadsOneBlockPerLineSetsTheControlsAndShowsTheStructure)
{
    Scenario s;
    setUpBlocks(s);
    defineBlocks(s, {"6", "6", "6", "6"});
    typeEnds(s, "1", "2");
    s.press("ShowLine");
    s.h.console.take();
    fs::create_directory(s.dir.path() / "in");
    s.load("LoadBlock", "in/b.txt", "other.txt \n 3  5  2 \n 2 \n\n");  // the header need not name the protocol
    EXPECT_EQ(s.state().blocks.blocks(), (Blocks{{3, 5, 2}, {2}, {}, {6}}));
    EXPECT_EQ(s.state().blocks.count(), 3.0);
    EXPECT_EQ(s.state().lineh, std::nullopt);
    EXPECT_TRUE(platform::parseNumericText(s.box("BlockBox")) == Matrix::rowVector({3, 5, 2})) << s.box("BlockBox");
    EXPECT_EQ(s.box("CurrentBlockBox"), " 1 ");
    EXPECT_EQ(s.box("MaxBlockBox"), "3");
    EXPECT_EQ(s.h.console.text(), nhTrace(s, "CurrentBlockBox"));
    const auto& request = s.h.dialogs.requests().back();
    EXPECT_TRUE(request.kind == platform::FileDialogKind::Open && request.filter == "*.txt");
    EXPECT_EQ(request.title, "Enter Name of Block Structure File");
    EXPECT_EQ(fs::current_path(), fs::canonical(s.dir.path() / "in"));
    EXPECT_EQ(drawing(s), blockStructure(6, {{"r", {3, 5, 2}}, {"g", {2}}}));
    EXPECT_EQ(s.g().currentFigure(), s.state().mf);
    EXPECT_TRUE(s.h.messages.shown().empty());
}

TEST(LoadBlock, CancelledOrUnreadableFileChangesNothing)
{
    Scenario s;
    setUpBlocks(s);
    defineBlocks(s, {"3", "1 2"});
    s.press("ShowBlockStructure");
    const Snapshot before = snapshot(s);
    s.cancel();
    s.press("LoadBlock");
    EXPECT_TRUE(snapshot(s) == before);
    EXPECT_TRUE(s.h.messages.shown().empty());
    fs::create_directory(s.dir.path() / "folder.txt");
    for (const std::string name : {"missing.txt", "folder.txt"}) {
        SCOPED_TRACE(name);
        s.press("LoadBlock", name);
        EXPECT_TRUE(snapshot(s) == before);
        expectMessage(s, "Could not load the block structure|" + name);
    }
    EXPECT_EQ(s.h.console.text(), "");
}

TEST(BlockFile, RoundTripKeepsEmptyBlocksDuplicatesAndZeros)
{
    Scenario s;
    setUpBlocks(s);
    defineBlocks(s, {"3 5 3", "", "6", ""});
    const std::string first = save(s, "first.txt");
    EXPECT_EQ(first, "arm.txt \n 3  5  3 \n\n 6 \n\n");
    // Fewer blocks than defined: the count follows the file, the later blocks stay unsaved.
    defineBlocks(s, {"1", "1", "1", "1", "1", "1"});
    s.press("LoadBlock", "first.txt");
    EXPECT_EQ(s.state().blocks.count(), 4.0);
    EXPECT_EQ(s.box("MaxBlockBox"), "4");
    EXPECT_EQ(s.state().blocks.blocks(), (Blocks{{3, 5, 3}, {}, {6}, {}, {1}, {1}}));
    EXPECT_EQ(save(s, "second.txt"), first);
    // Zeros stay as written and an empty line is an empty block; the structure is drawn up
    // to the zero, which names its block.
    s.load("LoadBlock", "z.txt", "arm.txt \n 4  0  2 \n\n1,2\n\n 6");
    EXPECT_EQ(s.state().blocks.blocks(), (Blocks{{4, 0, 2}, {}, {1, 2}, {}, {6}, {1}}));
    EXPECT_EQ(s.box("MaxBlockBox"), "5");
    EXPECT_EQ(drawing(s), blockStructure(6, {{"r", {4}}}));
    EXPECT_TRUE(containsEach(s.h.console.text(), "Block 1|line 0")) << s.h.console.text();
    EXPECT_EQ(save(s, "z-again.txt"), "arm.txt \n 4  0  2 \n\n 1  2 \n\n 6 \n");
    // A header alone holds no block: refused, nothing changes.
    const Snapshot loaded = snapshot(s);
    for (const std::string header : {"arm.txt \n", "arm.txt", ""}) {
        SCOPED_TRACE("file \"" + header + "\"");
        s.load("LoadBlock", "head.txt", header);
        expectMessage(s, "head.txt|no blocks");
        EXPECT_TRUE(snapshot(s) == loaded);
    }
}

// Blocks built with the editing actions come back, drawn the same, after the protocol and
// blocks were cleared and loaded again.
TEST(BlockFile, WholeSessionComesBackWithTheSameStructureAndDrawing)
{
    Scenario s;
    setUpBlocks(s, 6, 3);
    enterBlock(s, "1", "1 2");
    s.type("TargetLineBox", "3");
    s.press("AddLinetoBlock");
    s.press("BlockUp");  // block 1 holds 1 2 3
    s.type("BlockBox", "4");
    s.press("BlockUp");
    s.type("BlockBox", "5 6");
    s.press("BlockEnter");
    s.press("BlockDown");  // back on block 2, which shows 4
    s.type("TargetLineBox", "6");
    s.press("AddLinetoBlock");
    s.press("BlockEnter");
    s.press("ShowBlockStructure");
    const Blocks blocks{{1, 2, 3}, {4, 6}, {5, 6}};
    ASSERT_EQ(s.state().blocks.blocks(), blocks);
    const Strings shown = drawing(s);
    EXPECT_EQ(shown, blockStructure(6, {{"r", {1, 2, 3}}, {"g", {4, 6}}, {"b", {5, 6}}}));
    save(s, "session.txt");
    s.press("ClearTarget");
    s.press("LoadProto", "arm.txt");
    s.press("LoadBlock", "session.txt");
    EXPECT_EQ(s.state().blocks.blocks(), blocks);
    EXPECT_EQ(s.state().blocks.count(), 3.0);
    EXPECT_EQ(drawing(s), shown);
    EXPECT_TRUE(s.h.messages.shown().empty());
}

namespace {

// The example skulls, their protocol and their blocks, loaded as a user would.
void loadSkullsWithBlocks(Scenario& s)
{
    const std::filesystem::path examples = std::filesystem::path(VEZEDO_SOURCE_DIR) / "examples";
    s.h.dialogs.queuePath((examples / "skulls.tps").string());
    s.press("LoadFile1");
    s.h.dialogs.queuePath((examples / "skulls_protocol.txt").string());
    s.press("LoadProto");
    s.type("MaxBlockBox", "3");
    s.press("SetBlocks");
    s.h.dialogs.queuePath((examples / "skulls_blocks.txt").string());
    s.press("LoadBlock");
    ASSERT_EQ(s.state().blocks.count(), 3u);
}

// Each block as the landmark pairs of its lines: what the block means, whatever the numbering.
std::vector<std::set<std::pair<std::size_t, std::size_t>>> meaning(Scenario& s)
{
    std::vector<std::set<std::pair<std::size_t, std::size_t>>> out;
    for (const auto& block : s.state().blocks.blocks()) {
        out.emplace_back();
        for (std::size_t line : block) {
            const session::ProtocolLine& l = s.state().protocol.line(static_cast<double>(line));
            out.back().insert({l.from, l.to});
        }
    }
    return out;
}

}  // namespace

// Deleting a protocol line takes it out of every block and renumbers the later ones, so each
// block still means the same landmark pairs, less the deleted one; the file written then loads
// back, and Undo brings the line and the blocks back together.
TEST(BlocksFollowTheirLines, ADeletedLineLeavesEveryBlockAndTheRestKeepTheirMeaning)
{
    for (const int deleted : {1, 5, 12}) {
        SCOPED_TRACE(deleted);
        Scenario s;
        loadSkullsWithBlocks(s);
        auto expected = meaning(s);
        const session::ProtocolLine gone = s.state().protocol.line(deleted);
        for (auto& pairs : expected)
            pairs.erase({gone.from, gone.to});
        const session::BlockStructure before = s.state().blocks;
        s.type("ActivePointBox", std::to_string(deleted));
        s.press("DeleteLine");
        EXPECT_EQ(meaning(s), expected);
        s.press("Undo");
        EXPECT_TRUE(s.state().blocks == before);
        EXPECT_EQ(s.state().protocol.size(), 12u);
        s.press("Redo");
        s.press("SaveMatrix", "after.txt");
        s.press("LoadBlock", "after.txt");
        EXPECT_TRUE(s.h.messages.texts().empty()) << s.h.messages.texts().front();
        EXPECT_EQ(meaning(s), expected);
    }
}

// A new protocol, or another one loaded, clears the blocks that grouped the old one's lines,
// and says so in the status bar.
TEST(BlocksFollowTheirLines, ANewOrOtherProtocolClearsTheBlocks)
{
    const struct {
        const char* name;
        const char* action;
        const char* file;
    } cases[] = {{"new protocol", "NewProto", nullptr},
                 {"another protocol", "LoadProto", "skulls_wire.txt"},
                 {"a wireframe", "LoadWire", "skulls_wire.txt"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Scenario s;
        loadSkullsWithBlocks(s);
        if (c.file)
            s.h.dialogs.queuePath((std::filesystem::path(VEZEDO_SOURCE_DIR) / "examples" / c.file).string());
        s.press(c.action);
        EXPECT_TRUE(s.state().blocks.empty());
        EXPECT_EQ(s.h.console.statuses().back(), "Blocks cleared: they grouped the lines of the protocol before");
        EXPECT_EQ(s.property("SetBlocks", "Enable").string(), "on");
    }
}
