#include <gtest/gtest.h>

#include <sstream>

#include "harness.h"
#include "io/files.h"
#include "platform/error.h"
#include "script/recorder.h"
#include "script/runner.h"
#include "script/script.h"

using namespace vezedo;
using script::Verb;

namespace {

using Parsed = std::tuple<Verb, std::string, std::string>;

std::vector<Parsed> parsed(const std::vector<script::Command>& cmds)
{
    std::vector<Parsed> out;
    for (const auto& c : cmds)
        out.emplace_back(c.verb, c.first, c.second);
    return out;
}

// Runs a script from a folder holding a two-specimen shape file and a two-line protocol.
struct ScriptRun {
    test::TempDir dir;
    std::ostringstream out;
    bool ok = false;

    explicit ScriptRun(const std::string& scriptText)
    {
        dir.write("shape.tps", "LM=3\n0 0 0\n3 0 0\n0 4 0\nID=a\nLM=3\n0 0 0\n6 0 0\n0 8 0\nID=b\n");
        dir.write("proto.txt", "1 1 2 \n2 2 3 \n");
        dir.write("s.vzs", scriptText);
        const auto cwd = std::filesystem::current_path();
        script::ScriptRunner runner(out);
        ok = runner.runFile(dir.path() / "s.vzs");
        EXPECT_EQ(std::filesystem::current_path(), cwd);
    }
    std::string text() const { return out.str(); }
};

}  // namespace

TEST(ScriptParser, ReadsEveryCommandQuotesRoundTripAndBadLinesAreRefusedByNumber)
{
    const auto cmds = script::parseScript(
        "# a comment\n\n  answer open data/skulls.tps\nanswer save \"my out.txt\"\nanswer cancel\n"
        "set EndBox1   12  \nset BlockBox \"  3 5 \\n7\"\nset EndBox2 \"\"\nvalue ShowLineButton 1\n"
        "press LoadFile1\nexpect string FileBox1 a \\n b\nexpect msgbox \"Line Not added\"\n"
        "expect file out.txt SAME-AS \"expected out.txt\"\nsnapshot plot.png\n");
    EXPECT_EQ(parsed(cmds),
              (std::vector<Parsed>{{Verb::AnswerOpen, "data/skulls.tps", ""},
                                   {Verb::AnswerSave, "my out.txt", ""},
                                   {Verb::AnswerCancel, "", ""},
                                   {Verb::Set, "EndBox1", "12"},
                                   {Verb::Set, "BlockBox", "  3 5 \n7"},
                                   {Verb::Set, "EndBox2", ""},
                                   {Verb::Value, "ShowLineButton", ""},
                                   {Verb::Press, "LoadFile1", ""},
                                   {Verb::ExpectString, "FileBox1", "a \\n b"},  // unquoted text is taken as written
                                   {Verb::ExpectMsgbox, "Line Not added", ""},
                                   {Verb::ExpectFile, "out.txt", "expected out.txt"},
                                   {Verb::Snapshot, "plot.png", ""}}));
    ASSERT_EQ(cmds.size(), 12u);
    EXPECT_EQ(cmds[0].line, 3);
    EXPECT_EQ(cmds[6].number, 1);

    for (const auto& [text, message] : std::vector<std::pair<std::string, std::string>>{
             {"press A\nclick LoadFile1\n",
              "line 2: unknown command \"click\" (use answer, set, value, press, expect or snapshot)"},
             {"answer maybe x\n", "line 1: \"answer maybe\": use answer open PATH, answer save PATH or answer cancel"},
             {"\n\npress\n", "line 3: missing action name"},
             {"value ShowLineButton on\n", "line 1: \"on\" is not a number"},
             {"set BlockBox \"3 5\n", "line 1: a quoted text is not closed"},
             {"set BlockBox \"\\q\"\n", "line 1: unknown escape \\q in a quoted text (use \\n \\t \\\" \\\\)"},
             {"expect file a.txt b.txt\n", "line 1: use expect file PATH SAME-AS PATH"},
             {"expect nothing\n", "line 1: \"expect nothing\": use expect string, expect msgbox or expect file"}}) {
        try {
            script::parseScript(text);
            ADD_FAILURE() << "no error for " << text;
        } catch (const Error& e) {
            EXPECT_EQ(std::string(e.what()), message);
        }
    }
    // Quoted texts read back exactly.
    for (const std::string text : {"12", "  ", " 1 ", "a \"b\" c", "two\nlines", "tab\there", "back\\slash", "\"q"})
        EXPECT_EQ(parsed(script::parseScript("set BlockBox " + script::quoteText(text) + "\n")),
                  (std::vector<Parsed>{{Verb::Set, "BlockBox", text}}))
            << script::quoteText(text);
}

TEST(ScriptRunner, ReplaysSessionsWritingTheTraceInOrderAndNamesTheLineOfAFailure)
{
    ScriptRun run("answer open shape.tps\npress LoadFile1\n"
                  "expect string FileBox1 \"shape.tps \\nhas 2 specimens \\nwith 3 landmarks\"\n"
                  "answer open proto.txt\npress LoadProto\nset ActivePointBox 7\npress DeleteLine\n"
                  "expect msgbox Deleted Value is outside of the number of points in the protocol\n"
                  "answer save out.txt\npress SaveLengths\n");
    EXPECT_TRUE(run.ok) << run.text();
    std::size_t at = 0;
    for (const char* step : {"dialog: open \"Specify 3D input file to load\" (*.txt) -> ",
                             "lm =", "message: Deleted Value is outside of the number of points in the protocol\n",
                             "dialog: save \"Please Enter Filename for traditional Measures\" (*.txt) -> "}) {
        at = run.text().find(step, at);
        ASSERT_NE(at, std::string::npos) << step << " missing or out of order in\n" << run.text();
    }
    // Specimen 1: sides 3 and 5 at its own scale.
    EXPECT_EQ(io::readFile((run.dir.path() / "out.txt").string()).rfind(" 3.000000  5.000000  ", 0), 0u);

    ScriptRun buttons("answer open shape.tps\npress LoadFile1\nvalue ShowLineButton 0\nanswer open proto.txt\n"
                      "press LoadWire\nanswer cancel\npress LoadProto\n"
                      "expect string WireBox Loaded Protocol is : proto.txt\nexpect string ProtoPointBox 2\n");
    EXPECT_TRUE(buttons.ok) << buttons.text();
    EXPECT_NE(buttons.text().find("-> cancel"), std::string::npos);

    // Failures name the script and its line.
    for (const auto& [text, message] : std::vector<std::pair<std::string, std::string>>{
             {"press NewProto\nexpect msgbox Something\n",
              "s.vzs:2: no message box reading \"Something\" was shown since the last check"},
             {"answer save a.txt\npress SaveProtocol\nexpect file a.txt SAME-AS proto.txt\n",
              "a.txt is not the same as "},
             {"answer open shape.tps\npress LoadFile1\npress SaveProtocol\n",
              "s.vzs:3: the program asked for a file to save (\"Please Enter Filename for protocol or Wireframe\") but "
              "no answer was queued"},
             {"answer save shape.tps\npress LoadFile1\n", "s.vzs:2: the program asked for a file to open"},
             {"press NewProto\nfrobnicate\n", "s.vzs:line 2: unknown command \"frobnicate\""},
             {"set NoSuchBox 3\n", "s.vzs:1: no control of the main window is tagged \"NoSuchBox\""},
             {"snapshot p.png\n", "s.vzs:1: snapshots cannot be taken in this program"}}) {
        ScriptRun failing(text);
        EXPECT_FALSE(failing.ok) << text;
        EXPECT_NE(failing.text().find(message), std::string::npos) << failing.text();
    }

    std::ostringstream out;
    script::ScriptRunner runner(out);
    EXPECT_FALSE(runner.runFile("/nonexistent/folder/s.vzs"));
    EXPECT_NE(out.str().find("/nonexistent/folder/s.vzs"), std::string::npos);
}

TEST(SessionRecorder, WritesAnswersBeforeTheirPressWithRelativePaths)
{
    test::TempDir dir;
    {
        script::SessionRecorder rec(dir.path() / "rec.vzs");
        platform::ScriptedDialogs inner;
        inner.queuePath((dir.path() / "data" / "shape.tps").string());
        inner.queueCancel();
        script::RecordingDialogs dialogs(inner);
        dialogs.setRecorder(&rec);
        rec.set("BlockBox", "  3 5 ");
        rec.value("ShowLineButton", 0);
        rec.beginPress("LoadFile1");
        dialogs.openFile("*.txt", "t");
        rec.endPress();
        dialogs.saveFile("*.txt", "t");
        rec.set("EndBox1", "");
    }
    EXPECT_EQ(parsed(script::parseScript(io::readFile((dir.path() / "rec.vzs").string()))),
              (std::vector<Parsed>{{Verb::Set, "BlockBox", "  3 5 "},
                                   {Verb::Value, "ShowLineButton", ""},
                                   {Verb::AnswerOpen, "data/shape.tps", ""},
                                   {Verb::Press, "LoadFile1", ""},
                                   {Verb::AnswerCancel, "", ""},
                                   {Verb::Set, "EndBox1", ""}}));
    EXPECT_THROW(script::SessionRecorder("/nonexistent/folder/x.vzs"), Error);
}
