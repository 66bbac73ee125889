#include "scenario_checks.h"

using namespace vezedo;
using namespace vezedo::test;
using platform::Value;

TEST(Dispatch, UnknownNamesFallThroughToTheLostBoxWhileProtoAuxAndBadCountsDoNothing)
{
    Scenario s;
    const auto& reg = s.h.program.registry();
    const std::size_t figures = s.g().figures().size();
    s.press("ProtoAux");
    EXPECT_THROW(reg.call("vezedosw", {Value("ProtoAux"), Value("x")}, 0), Error);
    EXPECT_THROW(reg.call("vezedosw", {Value("NewProto")}, 1), Error);
    EXPECT_EQ(s.g().figures().size(), figures);
    EXPECT_EQ(s.box("ProtoPointBox"), "0");
    EXPECT_TRUE(s.proto().empty());
    try {
        reg.call("vezedosw", {}, 0);
        FAIL() << "no error for a missing action";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), "Input argument \"action\" is undefined.");
    }

    for (const char* name : {"loadfile1", "LOADFILE1", "LoadFile1 ", "", "Nothing"})
        s.press(name);
    reg.call("vezedosw", {Value(3.0)}, 0);
    EXPECT_EQ(s.h.messages.texts(), std::vector<std::string>(6, "Lost, Lost, Lost am I! (Fell through case...)"));
    EXPECT_TRUE(s.h.messages.shown().front().title.empty());
    EXPECT_EQ(s.h.console.text(), "");
}

TEST(Dispatch, HugeNumbersTypedIntoBoxesAreRefusedInsteadOfAllocated)
{
    Scenario s;
    s.loadTps("mice.txt", makeTps(3, 4));
    s.type("MaxBlockBox", "1e12");
    s.press("SetBlocks");
    EXPECT_NE(s.h.console.text().find("MaxBlockBox holds \"1e12\""), std::string::npos) << s.h.console.text();
    EXPECT_EQ(s.state().blocks.count(), std::nullopt);
    s.type("CurrentBlockBox", "99999999999");
    s.press("BlockEnter");
    EXPECT_TRUE(s.state().blocks.blocks().empty());

    s.press("NewProto");
    typeEnds(s, "1", "2");
    s.press("AddLine");
    s.type("ProtoPointBox", "1e10");  // the counter only shows the count: it places nothing
    s.type("EndBox2", "3");
    s.press("AddLine");
    expectProtocol(s, platform::Matrix::fromRows({{1, 1, 2}, {2, 1, 3}}));
}

// A new data set may lack the landmarks earlier edits name: loading it ends the history, and
// the status bar says so. Redo then has nothing to bring back.
TEST(Dispatch, ASpecimenLoadClearsTheUndoHistory)
{
    Scenario s;
    s.loadTps("mice.txt", makeTps(3, 10));
    s.load("LoadProto", "p.txt", "1 3 7\n");
    typeEnds(s, "2", "9");
    s.press("AddLine");
    s.press("Undo");
    s.loadTps("small.txt", makeTps(3, 5));
    EXPECT_EQ(s.h.console.statuses().back(), "Undo history cleared: its steps belong to the data set loaded before");
    s.h.console.take();
    s.press("Redo");
    EXPECT_EQ(s.state().protocol.size(), 1u);
    EXPECT_EQ(s.h.console.text(), "");
    EXPECT_TRUE(s.h.messages.shown().empty());
    // A cancelled load changes nothing, the history included.
    s.press("AddLine");  // 2-9 is not in the small shape: refused
    typeEnds(s, "1", "2");
    s.press("AddLine");
    s.cancel();
    s.press("LoadFile1");
    s.press("Undo");
    EXPECT_EQ(s.state().protocol.size(), 1u);
}

// A save says what it wrote in the status bar and suggests a name from the data set.
TEST(Dispatch, SavesSuggestANameAndReportSuccessInTheStatusBar)
{
    const struct {
        const char* action;
        const char* suggested;
        const char* status;
    } cases[] = {
        {"SaveLengths", "mice_lengths.txt", "Saved 4 x 2 lengths to out"},
        {"SaveLengthsCSV", "mice_lengths.csv", "Saved 4 x 2 lengths to out"},
        {"SaveProtocol", "p.txt", "Saved the protocol (2 lines) to out"},
        {"SaveProtocolCSV", "mice_protocol.csv", "Saved the protocol (2 lines) to out"},
        {"SaveLineSummary", "mice_line_summary.csv", "Saved the summary of 2 lines to out"},
        {"SaveSpecimenCheck", "mice_check.csv", "Saved the check of 4 specimens to out"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.action);
        Scenario s;
        s.loadTps("mice.tps", makeTps(4, 10));
        s.load("LoadProto", "p.txt", "1 3 7\n2 2 9\n");
        s.press("CheckSpecimens");
        s.press(c.action, "out");
        EXPECT_EQ(s.h.dialogs.requests().back().suggestedName, c.suggested);
        ASSERT_FALSE(s.h.console.statuses().empty());
        EXPECT_EQ(s.h.console.statuses().back(), c.status);
    }
}

// LoadBlock checks everything before it stores anything: without a plot to show them in, the
// blocks of the file are refused whole and "Save blocks..." writes what was there before.
TEST(Dispatch, LoadBlockStoresNothingWhenItCannotShowTheBlocks)
{
    Scenario s;
    s.type("MaxBlockBox", "1");
    s.file("b.txt", "p \n 0 \n 0 \n");
    s.press("LoadBlock", "b.txt");
    EXPECT_EQ(s.h.messages.texts(),
              std::vector<std::string>{
                  "Could not load the block structure from b.txt.\nThere is no plot window to show it in: load "
                  "specimens first."});
    EXPECT_EQ(s.state().blocks.count(), std::nullopt);
}

// Loading a folder names why it cannot be read, in the box of every loader.
TEST(Dispatch, LoadingAFolderSaysItIsAFolder)
{
    for (const char* action : {"LoadFile1", "LoadFileIMP", "LoadProto", "LoadWire", "LoadBlock"}) {
        SCOPED_TRACE(action);
        Scenario s;
        s.loadTps("mice.txt", makeTps(3, 10));
        s.type("MaxBlockBox", "1");
        s.press("SetBlocks");
        s.h.messages.clear();
        std::filesystem::create_directory(s.dir.path() / "d1");
        s.press(action, "d1");
        ASSERT_EQ(s.h.messages.texts().size(), 1u);
        EXPECT_NE(s.h.messages.texts()[0].find("folder"), std::string::npos) << s.h.messages.texts()[0];
    }
}

// IDs and line names a spreadsheet would run as formulas are kept as written, and the loads
// that bring them in name them.
TEST(Dispatch, LoadsNameTextThatASpreadsheetWouldTakeForAFormula)
{
    Scenario s;
    s.loadTps("f.tps", "LM=3\n0 0 0\n1 0 0\n0 1 0\nID==1+1\nLM=3\n0 0 0\n2 0 0\n0 2 1\nID=ok\n"
                       "LM=3\n0 0 0\n1 1 0\n0 1 2\nID=@sum\nLM=3\n0 0 0\n3 0 0\n0 1 1\nID=-2\n");
    EXPECT_NE(
        s.h.console.text().find(
            "IDs a spreadsheet would take for formulas (kept as written in the CSV files): \"=1+1\", \"@sum\", \"-2\""),
        std::string::npos)
        << s.h.console.text();
    s.load("LoadProto", "p.csv", "name,from,to\n=HYPERLINK(1),1,2\nplain,2,3\n");
    EXPECT_NE(s.h.console.text().find("p.csv: line names a spreadsheet would take for formulas (kept as written): "
                                      "\"=HYPERLINK(1)\""),
              std::string::npos)
        << s.h.console.text();
    EXPECT_EQ(s.state().protocol.line(1).name, "=HYPERLINK(1)");
    EXPECT_EQ(s.state().specimens.id(0), "=1+1");
}
