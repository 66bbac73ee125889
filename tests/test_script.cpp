#include <gtest/gtest.h>

#include <sstream>

#include "harness.h"
#include "platform/error.h"
#include "script/recorder.h"
#include "script/runner.h"
#include "script/script.h"

using namespace vezedo;
using script::Verb;

namespace {

std::string parseError(const std::string& text)
{
    try {
        script::parseScript(text);
    } catch (const Error& e) {
        return e.what();
    }
    return "";
}

const std::string kTps = "LM=3\n0 0 0\n3 0 0\n0 4 0\nID=a\nLM=3\n0 0 0\n6 0 0\n0 8 0\nID=b\n";

struct ScriptRun {
    test::TempDir dir;
    std::ostringstream out;
    bool ok = false;

    explicit ScriptRun(const std::string& scriptText, const std::string& name = "s.vzs")
    {
        dir.write("shape.tps", kTps);
        dir.write("proto.txt", "1 1 2 \n2 2 3 \n");
        dir.write(name, scriptText);
        const auto cwd = std::filesystem::current_path();
        script::ScriptRunner runner(out);
        ok = runner.runFile(dir.path() / name);
        EXPECT_EQ(std::filesystem::current_path(), cwd);
    }
    std::string text() const { return out.str(); }
};

}  // namespace

TEST(ScriptParser, ReadsEveryCommandAndSkipsCommentsAndBlankLines)
{
    const auto cmds = script::parseScript(
        "# a comment\n\n  answer open data/skulls.tps\nanswer save \"my out.txt\"\nanswer cancel\n"
        "set EndBox1   12  \nset BlockBox \"  3 5 \\n7\"\nset EndBox2 \"\"\nvalue ShowLineButton 0\n"
        "press LoadFile1\nexpect string FileBox1 a \\n b\nexpect msgbox \"Line Not added\"\n"
        "expect file out.txt SAME-AS \"expected out.txt\"\nsnapshot plot.png\n");
    ASSERT_EQ(cmds.size(), 12u);
    EXPECT_EQ(cmds[0].verb, Verb::AnswerOpen);
    EXPECT_EQ(cmds[0].first, "data/skulls.tps");
    EXPECT_EQ(cmds[0].line, 3);
    EXPECT_EQ(cmds[1].first, "my out.txt");
    EXPECT_EQ(cmds[2].verb, Verb::AnswerCancel);
    EXPECT_EQ(cmds[3].first, "EndBox1");
    EXPECT_EQ(cmds[3].second, "12");
    EXPECT_EQ(cmds[4].second, "  3 5 \n7");
    EXPECT_EQ(cmds[5].second, "");
    EXPECT_EQ(cmds[6].number, 0);
    EXPECT_EQ(cmds[7].first, "LoadFile1");
    EXPECT_EQ(cmds[8].second, "a \\n b");  // unquoted text is taken as written
    EXPECT_EQ(cmds[9].first, "Line Not added");
    EXPECT_EQ(cmds[10].first, "out.txt");
    EXPECT_EQ(cmds[10].second, "expected out.txt");
    EXPECT_EQ(cmds[11].verb, Verb::Snapshot);
}

TEST(ScriptParser, BadLinesAreRefusedWithTheirLineNumber)
{
    EXPECT_EQ(parseError("press A\nclick LoadFile1\n"),
              "line 2: unknown command \"click\" (use answer, set, value, press, expect or snapshot)");
    EXPECT_EQ(parseError("answer maybe x\n"),
              "line 1: \"answer maybe\": use answer open PATH, answer save PATH or answer cancel");
    EXPECT_EQ(parseError("\n\npress\n"), "line 3: missing action name");
    EXPECT_EQ(parseError("value ShowLineButton on\n"), "line 1: \"on\" is not a number");
    EXPECT_EQ(parseError("set BlockBox \"3 5\n"), "line 1: a quoted text is not closed");
    EXPECT_EQ(parseError("set BlockBox \"\\q\"\n"), "line 1: unknown escape \\q in a quoted text (use \\n \\t \\\" \\\\)");
    EXPECT_EQ(parseError("expect file a.txt b.txt\n"), "line 1: use expect file PATH SAME-AS PATH");
    EXPECT_EQ(parseError("expect nothing\n"), "line 1: \"expect nothing\": use expect string, expect msgbox or expect file");
}

TEST(ScriptParser, QuotedTextsReadBackExactly)
{
    for (const std::string text : {"12", "  ", " 1 ", "a \"b\" c", "two\nlines", "tab\there", "back\\slash", "\"q"}) {
        const auto cmds = script::parseScript("set BlockBox " + script::quoteText(text) + "\n");
        ASSERT_EQ(cmds.size(), 1u);
        EXPECT_EQ(cmds[0].second, text) << script::quoteText(text);
    }
}

TEST(ScriptRunner, ReplaysASessionAndWritesItsTraceInOrder)
{
    ScriptRun run("answer open shape.tps\npress LoadFile1\nexpect string FileBox1 \"shape.tps \\nhas 2 specimens \\nwith 3 "
            "landmarks\"\nanswer open proto.txt\npress LoadProto\nset ActivePointBox 7\npress DeleteLine\n"
            "expect msgbox Deleted Value is outside of the number of points in the protocol\n"
            "answer save out.txt\npress SaveLengths\n");
    EXPECT_TRUE(run.ok) << run.text();
    const std::string text = run.text();
    const auto dialog = text.find("dialog: open \"Specify 3D input file to load\" (*.txt) -> ");
    const auto lm = text.find("lm =");
    const auto message = text.find("message: Deleted Value is outside of the number of points in the protocol\n");
    const auto save = text.find("dialog: save \"Please Enter Filename for traditional Measures\" (*.txt) -> ");
    ASSERT_NE(dialog, std::string::npos) << text;
    ASSERT_NE(lm, std::string::npos) << text;
    ASSERT_NE(message, std::string::npos) << text;
    ASSERT_NE(save, std::string::npos) << text;
    EXPECT_LT(dialog, lm);
    EXPECT_LT(lm, message);
    EXPECT_LT(message, save);
    // Specimen 1: sides 3 and 5 at its own scale.
    std::ifstream in(run.dir.path() / "out.txt");
    std::string first;
    std::getline(in, first);
    EXPECT_EQ(first, " 3.000000  5.000000  " + first.substr(21));
}

TEST(ScriptRunner, FailedChecksNameTheFileAndLine)
{
    ScriptRun wrongText("answer open shape.tps\npress LoadFile1\nexpect string ProtoPointBox 5\n");
    EXPECT_FALSE(wrongText.ok);
    EXPECT_NE(wrongText.text().find("s.vzs:3: expected ProtoPointBox to read \"5\", but it reads \"0\""),
              std::string::npos)
        << wrongText.text();

    ScriptRun noBox("press NewProto\nexpect msgbox Something\n");
    EXPECT_FALSE(noBox.ok);
    EXPECT_NE(noBox.text().find("s.vzs:2: no message box reading \"Something\" was shown since the last check"),
              std::string::npos)
        << noBox.text();

    ScriptRun files("answer save a.txt\npress SaveProtocol\nexpect file a.txt SAME-AS proto.txt\n");
    EXPECT_FALSE(files.ok);
    EXPECT_NE(files.text().find("s.vzs:3: "), std::string::npos) << files.text();
    EXPECT_NE(files.text().find("is not the same as"), std::string::npos) << files.text();
}

TEST(ScriptRunner, ADialogWithoutAnswerFailsInsteadOfWaiting)
{
    ScriptRun run("answer open shape.tps\npress LoadFile1\npress SaveProtocol\n");
    EXPECT_FALSE(run.ok);
    EXPECT_NE(run.text().find("s.vzs:3: the program asked for a file to save (\"Please Enter Filename for protocol or "
                              "Wireframe\") but no answer was queued"),
              std::string::npos)
        << run.text();

    ScriptRun wrongKind("answer save shape.tps\npress LoadFile1\n");
    EXPECT_FALSE(wrongKind.ok);
    EXPECT_NE(wrongKind.text().find("s.vzs:2: the program asked for a file to open"), std::string::npos);
}

TEST(ScriptRunner, BadScriptsAndMissingFilesFailClearly)
{
    ScriptRun unknown("press NewProto\nfrobnicate\n");
    EXPECT_FALSE(unknown.ok);
    EXPECT_NE(unknown.text().find("s.vzs:line 2: unknown command \"frobnicate\""), std::string::npos) << unknown.text();

    ScriptRun tag("set NoSuchBox 3\n");
    EXPECT_FALSE(tag.ok);
    EXPECT_NE(tag.text().find("s.vzs:1: no control of the main window is tagged \"NoSuchBox\""), std::string::npos);

    std::ostringstream out;
    script::ScriptRunner runner(out);
    EXPECT_FALSE(runner.runFile("/nonexistent/folder/s.vzs"));
    EXPECT_NE(out.str().find("/nonexistent/folder/s.vzs"), std::string::npos);

    ScriptRun snapshot("snapshot p.png\n");  // no renderer in this runner
    EXPECT_FALSE(snapshot.ok);
}

TEST(ScriptRunner, ValueAndCancelDriveTheSameStepsAsTheButtons)
{
    ScriptRun run("answer open shape.tps\npress LoadFile1\nvalue ShowLineButton 0\nanswer open proto.txt\npress LoadWire\n"
            "answer cancel\npress LoadProto\nexpect string WireBox Loaded Protocol is : proto.txt\n"
            "expect string ProtoPointBox 2\n");
    EXPECT_TRUE(run.ok) << run.text();
    EXPECT_NE(run.text().find("-> cancel"), std::string::npos);
}

TEST(SessionRecorder, WritesCommandsThatReplayToTheSameSteps)
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
    std::ifstream in(dir.path() / "rec.vzs");
    std::stringstream text;
    text << in.rdbuf();
    const auto cmds = script::parseScript(text.str());
    ASSERT_EQ(cmds.size(), 6u) << text.str();
    EXPECT_EQ(cmds[0].second, "  3 5 ");
    EXPECT_EQ(cmds[1].verb, Verb::Value);
    EXPECT_EQ(cmds[2].verb, Verb::AnswerOpen);  // the answer comes before its press
    EXPECT_EQ(cmds[2].first, "data/shape.tps");
    EXPECT_EQ(cmds[3].verb, Verb::Press);
    EXPECT_EQ(cmds[4].verb, Verb::AnswerCancel);
    EXPECT_EQ(cmds[5].second, "");
    EXPECT_THROW(script::SessionRecorder("/nonexistent/folder/x.vzs"), Error);
}
