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

const std::string kFellThrough = "Lost, Lost, Lost am I! (Fell through case...)";
const std::string kOutsideProtocol = "Deleted Value is outside of the number of points in the protocol";
// Script lines: a deletion that shows that box on line 3, and the check for it.
const std::string kDeleteOutside = "press NewProto\nset ActivePointBox 9\npress DeleteLine\n";
const std::string kExpectOutside = "expect msgbox " + kOutsideProtocol + "\n";
const std::string kOutsideUnexpected =
    "s.vzs:3: press DeleteLine on line 3 showed a message box the script does not expect: \"" + kOutsideProtocol + "\"";

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
    // The runner's verdict on a failed script: the last line it wrote, without the folder.
    std::string lastLine() const
    {
        std::string t = text();
        if (!t.empty() && t.back() == '\n')
            t.pop_back();
        std::string last = t.substr(t.rfind('\n') + 1);  // npos + 1 is 0
        const std::string folder = dir.path().string() + "/";
        return last.rfind(folder, 0) == 0 ? last.substr(folder.size()) : last;
    }
    bool exists(const char* name) const { return std::filesystem::exists(dir.path() / name); }
};

struct NamedCase {
    const char* name;
    std::string script;
    std::string expected;
};

void PrintTo(const NamedCase& c, std::ostream* os)
{
    *os << c.name;
}

std::string caseName(const testing::TestParamInfo<NamedCase>& info)
{
    return info.param.name;
}

}  // namespace

TEST(ScriptParser, ReadsEveryCommandWithItsLineNumber)
{
    const auto cmds = script::parseScript(
        "# a comment\n\n  answer open data/skulls.tps\nanswer save \"my out.txt\"\nanswer cancel\n"
        "set EndBox1   12  \nset BlockBox \"  3 5 \\n7\"\nset EndBox2 \"\"\nvalue ShowLineButton 1\n"
        "press LoadFile1\ndispatch Not an action\ndispatch \"\"\nexpect string FileBox1 a \\n b\n"
        "expect msgbox \"Line Not added\"\nexpect file out.txt SAME-AS \"expected out.txt\"\nsnapshot plot.png\n");
    EXPECT_EQ(parsed(cmds),
              (std::vector<Parsed>{{Verb::AnswerOpen, "data/skulls.tps", ""},
                                   {Verb::AnswerSave, "my out.txt", ""},
                                   {Verb::AnswerCancel, "", ""},
                                   {Verb::Set, "EndBox1", "12"},
                                   {Verb::Set, "BlockBox", "  3 5 \n7"},
                                   {Verb::Set, "EndBox2", ""},
                                   {Verb::Value, "ShowLineButton", ""},
                                   {Verb::Press, "LoadFile1", ""},
                                   {Verb::Dispatch, "Not an action", ""},
                                   {Verb::Dispatch, "", ""},
                                   {Verb::ExpectString, "FileBox1", "a \\n b"},  // unquoted text is taken as written
                                   {Verb::ExpectMsgbox, "Line Not added", ""},
                                   {Verb::ExpectFile, "out.txt", "expected out.txt"},
                                   {Verb::Snapshot, "plot.png", ""}}));
    ASSERT_EQ(cmds.size(), 14u);
    EXPECT_EQ(cmds[0].line, 3);
    EXPECT_EQ(cmds[13].line, 16);
    EXPECT_EQ(cmds[6].number, 1);
}

class ScriptParserRefuses : public testing::TestWithParam<NamedCase> {};

TEST_P(ScriptParserRefuses, NamingTheLine)
{
    EXPECT_EQ(test::errorOf([] { script::parseScript(GetParam().script); }), GetParam().expected);
}

const NamedCase kBadLines[] = {
    {"UnknownCommand", "press A\nclick LoadFile1\n",
     "line 2: unknown command \"click\" (use answer, set, value, press, dispatch, expect, view or snapshot)"},
    {"ViewWithOneAngle", "view 30\n", "line 1: missing elevation"},
    {"ViewNotDegrees", "view north 30\n", "line 1: \"north\" is not a number of degrees"},
    {"ViewTooSteep", "view 30 91\n", "line 1: the elevation must lie between -90 and 90 degrees"},
    {"UnknownAnswer", "answer maybe x\n",
     "line 1: \"answer maybe\": use answer open PATH, answer save PATH or answer cancel"},
    {"PressWithoutAction", "\n\npress\n", "line 3: missing action name"},
    {"DispatchWithoutText", "dispatch   \n", "line 1: missing text (write \"\" for an empty one)"},
    {"ValueNotANumber", "value ShowLineButton on\n", "line 1: \"on\" is not a number"},
    {"UnclosedQuote", "set BlockBox \"3 5\n", "line 1: a quoted text is not closed"},
    {"UnknownEscape", "set BlockBox \"\\q\"\n", "line 1: unknown escape \\q in a quoted text (use \\n \\t \\\" \\\\)"},
    {"FileCheckWithoutSameAs", "expect file a.txt b.txt\n", "line 1: use expect file PATH SAME-AS PATH"},
    {"UnknownCheck", "expect nothing\n",
     "line 1: \"expect nothing\": use expect string, expect msgbox or expect file"}};

INSTANTIATE_TEST_SUITE_P(BadLines, ScriptParserRefuses, testing::ValuesIn(kBadLines), caseName);

TEST(ScriptParser, QuotedTextsReadBackExactly)
{
    for (const std::string text : {"12", "  ", " 1 ", "a \"b\" c", "two\nlines", "tab\there", "back\\slash", "\"q", ""})
        EXPECT_EQ(parsed(script::parseScript("set BlockBox " + script::quoteText(text) + "\n")),
                  (std::vector<Parsed>{{Verb::Set, "BlockBox", text}}))
            << script::quoteText(text);
}

// Scripts that must replay green; `expected` lists what the trace must show, in order,
// separated by "|".
class ScriptRunnerPasses : public testing::TestWithParam<NamedCase> {};

TEST_P(ScriptRunnerPasses, WritingTheTraceInOrder)
{
    ScriptRun run(GetParam().script);
    EXPECT_TRUE(run.ok) << run.text();
    std::size_t at = 0;
    std::string_view steps = GetParam().expected;
    while (!steps.empty()) {
        const std::size_t bar = steps.find('|');
        const std::string step(steps.substr(0, bar));
        steps.remove_prefix(bar == std::string_view::npos ? steps.size() : bar + 1);
        at = run.text().find(step, at);
        ASSERT_NE(at, std::string::npos) << step << " missing or out of order in\n" << run.text();
    }
}

const NamedCase kSessions[] = {
    {"LoadDeleteAndSave",
     "answer open shape.tps\npress LoadFile1\n"
     "expect string FileBox1 \"shape.tps \\nhas 2 specimens \\nwith 3 landmarks\"\n"
     "answer open proto.txt\npress LoadProto\nset ActivePointBox 7\npress DeleteLine\n" +
         kExpectOutside + "answer save out.txt\npress SaveLengths\n",
     "dialog: open \"Specify 3D input file to load\" (*.txt) -> |lm =|message: " + kOutsideProtocol +
         "\n|dialog: save \"Please Enter Filename for traditional Measures\" (*.txt) -> "},
    {"CancelledDialogUsesItsAnswer",
     "answer open shape.tps\npress LoadFile1\nvalue ShowLineButton 0\nanswer open proto.txt\n"
     "press LoadWire\nanswer cancel\npress LoadProto\n"
     "expect string WireBox Loaded Protocol is : proto.txt\nexpect string ProtoPointBox 2\n",
     "-> cancel"},
    {"ExpectedBoxAfterOtherChecks",
     kDeleteOutside + "expect string ActivePointBox 9\n" + kExpectOutside + "press NewProto\n",
     "message: " + kOutsideProtocol},
    {"EachPressExpectsItsOwnBox", kDeleteOutside + kExpectOutside + "press DeleteLine\n" + kExpectOutside,
     "message: " + kOutsideProtocol + "|message: " + kOutsideProtocol},
    {"DispatchReachesTheFallThrough", "dispatch LoadFiel1\nexpect msgbox " + kFellThrough + "\n",
     "message: " + kFellThrough},
    {"DispatchOfAnEmptyText", "dispatch \"\"\nexpect msgbox " + kFellThrough + "\n", "message: " + kFellThrough},
    {"SeveralFilesAnswerOneOpenDialog",
     "answer open shape.tps\nanswer open shape.tps\npress LoadLandmarks\n"
     "expect string FileBox1 \"shape.tps and 1 more files \\nhas 4 specimens \\nwith 3 landmarks\"\n",
     "dialog: open \"Load landmarks: one file or several, one specimen per file\" (*.*) -> |  and |Format: TPS, 2 "
     "files"},
    {"DispatchRunsAnAction",
     "answer open shape.tps\ndispatch LoadFile1\n"
     "expect string FileBox1 \"shape.tps \\nhas 2 specimens \\nwith 3 landmarks\"\n",
     "dialog: open \"Specify 3D input file to load\""}};

INSTANTIATE_TEST_SUITE_P(Sessions, ScriptRunnerPasses, testing::ValuesIn(kSessions), caseName);

// Scripts that must fail; `expected` is how the runner's verdict (its last line) begins.
class ScriptRunnerFails : public testing::TestWithParam<NamedCase> {};

TEST_P(ScriptRunnerFails, NamingTheLine)
{
    ScriptRun run(GetParam().script);
    EXPECT_FALSE(run.ok);
    EXPECT_EQ(run.lastLine().rfind(GetParam().expected, 0), 0u) << run.text();
}

const NamedCase kFailures[] = {
    {"PressTypoSuggestsTheAction", "answer open shape.tps\npress LoadFile1\npress LoadFiel1\n",
     "s.vzs:3: \"LoadFiel1\" is not the name of an action (did you mean LoadFile1?); dispatch TEXT "
     "sends any text to the action switch"},
    {"PressOfTheWrongCase", "press newproto\n",
     "s.vzs:1: \"newproto\" is not the name of an action (did you mean NewProto?)"},
    {"PressOfNoActionAtAll", "press Frobnicate the widgets\n",
     "s.vzs:1: \"Frobnicate the widgets\" is not the name of an action; dispatch TEXT"},
    {"AnswerLeftByAnActionThatStopsEarly",
     "answer open shape.tps\npress LoadFile1\nanswer save lengths.txt\npress SaveLengths\n"
     "expect msgbox The protocol has no lines: load a protocol or add lines before saving the measures.\n"
     "answer save protocol.txt\npress SaveProtocol\n",
     "s.vzs:4: press SaveLengths on line 4 ended without using the answer on line 3 (answer save "
     "lengths.txt)"},
    {"AnswerForAnActionWithoutDialog", "answer cancel\nset EndBox1 2\npress NewProto\n",
     "s.vzs:3: press NewProto on line 3 ended without using the answer on line 1 (answer cancel)"},
    {"AnswerWithNoPressAfterIt", "press NewProto\nanswer open \" my shape.tps\"\n",
     "s.vzs:2: no press follows the answer on this line (answer open \" my shape.tps\")"},
    {"UnexpectedBoxAtTheEnd", kDeleteOutside + "set EndBox1 2\n", kOutsideUnexpected},
    {"UnexpectedBoxBeforeTheNextPress", kDeleteOutside + "press NewProto\n" + kExpectOutside, kOutsideUnexpected},
    {"UnexpectedFallThrough", "dispatch Nothing\n",
     "s.vzs:1: dispatch Nothing on line 1 showed a message box the script does not expect: \"" + kFellThrough + "\""},
    {"FailedSave",
     "press NewProto\nset EndBox1 1\nset EndBox2 2\npress AddLine\n"
     "answer save no/such/folder/p.txt\npress SaveProtocol\n",
     "s.vzs:6: press SaveProtocol on line 6 showed a message box the script does not expect: \"Error "
     "on file opening\\n"},
    {"ExpectedBoxNotShown", "press NewProto\nexpect msgbox Something\n",
     "s.vzs:2: no message box reading \"Something\" was shown by press NewProto on line 1"},
    {"BoxExpectedTwice", kDeleteOutside + kExpectOutside + kExpectOutside,
     "s.vzs:5: no message box reading \"" + kOutsideProtocol + "\" was shown by press DeleteLine on line 3"},
    {"FilesDiffer", "answer save a.txt\npress SaveProtocol\nexpect file a.txt SAME-AS proto.txt\n", "s.vzs:3: "},
    {"DialogWithoutAnswer", "answer open shape.tps\npress LoadFile1\npress SaveProtocol\n",
     "s.vzs:3: the program asked for a file to save (\"Please Enter Filename for protocol or "
     "Wireframe\") but no answer was queued"},
    {"AnswerOfTheWrongKind", "answer save shape.tps\npress LoadFile1\n",
     "s.vzs:2: the program asked for a file to open"},
    {"UnknownCommand", "press NewProto\nfrobnicate\n", "s.vzs:line 2: unknown command \"frobnicate\""},
    {"UnknownTag", "set NoSuchBox 3\n", "s.vzs:1: no control of the main window is tagged \"NoSuchBox\""},
    {"SnapshotWithoutWriter", "snapshot p.png\n", "s.vzs:1: snapshots cannot be taken in this program"},
    {"ViewWithoutPlot", "view 90 0\n", "s.vzs:1: there is no plot window to turn: load specimens first"}};

INSTANTIATE_TEST_SUITE_P(Failures, ScriptRunnerFails, testing::ValuesIn(kFailures), caseName);

// "view" turns the plot window's camera as the view presets do; a snapshot then sees it.
TEST(ScriptRunner, ViewTurnsThePlotWindow)
{
    test::TempDir dir;
    dir.write("shape.tps", "LM=4\n0 0 0\n3 0 0\n0 4 0\n0 0 5\nLM=4\n0 0 0\n6 0 0\n0 8 0\n0 0 9\n");
    dir.write("s.vzs", "answer open shape.tps\npress LoadFile1\nview 90 -12.5\nsnapshot p.png\n");
    std::ostringstream out;
    std::optional<platform::Camera> seen;
    script::ScriptRunner runner(out, [&](const platform::GraphicsModel& g, platform::Handle axes, const std::string&) {
        seen = g.object(axes).as<platform::AxesData>().camera;
    });
    EXPECT_TRUE(runner.runFile(dir.path() / "s.vzs")) << out.str();
    ASSERT_TRUE(seen.has_value());
    EXPECT_EQ(seen->azimuth, 90);
    EXPECT_EQ(seen->elevation, -12.5);
}

TEST(ScriptRunner, PressTypoFailsBeforeAnythingRuns)
{
    ScriptRun run("answer open shape.tps\npress LoadFile1\nanswer open proto.txt\npress LoadProto\n"
                  "answer save out.txt\npress SaveLengths\npress ShwoProto\n");
    EXPECT_FALSE(run.ok);
    EXPECT_EQ(run.text().find("dialog:"), std::string::npos) << run.text();
    EXPECT_FALSE(run.exists("out.txt"));
}

TEST(ScriptRunner, UnusedAnswerIsNeverGivenToALaterDialog)
{
    ScriptRun run("answer open shape.tps\npress LoadFile1\nanswer save lengths.txt\npress SaveLengths\n"
                  "expect msgbox The protocol has no lines: load a protocol or add lines before saving the measures.\n"
                  "press NewProto\nset EndBox1 1\nset EndBox2 2\npress AddLine\npress SaveProtocol\n");
    EXPECT_FALSE(run.ok);
    EXPECT_FALSE(run.exists("lengths.txt"));
}

TEST(ScriptRunner, MissingScriptIsNamed)
{
    std::ostringstream out;
    script::ScriptRunner runner(out);
    EXPECT_FALSE(runner.runFile("/nonexistent/folder/s.vzs"));
    EXPECT_NE(out.str().find("/nonexistent/folder/s.vzs"), std::string::npos);
}

namespace {

// A recorder writing "rec.vzs" into a folder of its own, told what the user answered in the
// dialogs and what the message boxes showed.
struct Recording {
    test::TempDir dir;
    std::optional<script::SessionRecorder> rec{std::in_place, dir.path() / "rec.vzs"};
    platform::ScriptedDialogs userDialogs;
    platform::RecordingMessages screen;
    script::RecordingDialogs dialogs{userDialogs};
    script::RecordingMessages messages{screen};

    Recording()
    {
        dialogs.setRecorder(&*rec);
        messages.setRecorder(&*rec);
    }
    // Closes the script and reads it back.
    std::string text()
    {
        rec.reset();
        return io::readFile((dir.path() / "rec.vzs").string());
    }
    std::vector<Parsed> commands() { return parsed(script::parseScript(text())); }
};

}  // namespace

TEST(SessionRecorder, WritesAnswersBeforeTheirPressWithRelativePaths)
{
    Recording r;
    r.userDialogs.queuePath((r.dir.path() / "data" / "shape.tps").string());
    r.userDialogs.queueCancel();
    r.rec->set("BlockBox", "  3 5 ");
    r.rec->value("ShowLineButton", 0);
    r.rec->beginPress("LoadFile1");
    r.dialogs.openFile("*.txt", "t");
    r.rec->endPress();
    r.dialogs.saveFile("*.txt", "t");
    r.rec->set("EndBox1", "");
    EXPECT_EQ(r.commands(), (std::vector<Parsed>{{Verb::Set, "BlockBox", "  3 5 "},
                                                 {Verb::Value, "ShowLineButton", ""},
                                                 {Verb::AnswerOpen, "data/shape.tps", ""},
                                                 {Verb::Press, "LoadFile1", ""},
                                                 {Verb::AnswerCancel, "", ""},
                                                 {Verb::Set, "EndBox1", ""}}));
}

TEST(SessionRecorder, RefusesAFileItCannotWrite)
{
    EXPECT_THROW(script::SessionRecorder("/nonexistent/folder/x.vzs"), Error);
}

TEST(SessionRecorder, WritesTheBoxesOfAPressAfterItsLine)
{
    Recording r;
    r.rec->beginPress("DeleteLine");
    r.messages.showMessage("first");
    r.messages.showMessage("two\nlines ");
    r.rec->endPress();
    r.rec->beginPress("NewProto");
    r.rec->endPress();
    EXPECT_EQ(r.commands(), (std::vector<Parsed>{{Verb::Press, "DeleteLine", ""},
                                                 {Verb::ExpectMsgbox, "first", ""},
                                                 {Verb::ExpectMsgbox, "two\nlines ", ""},
                                                 {Verb::Press, "NewProto", ""}}));
}

TEST(SessionRecorder, NotesABoxOutsideAnyPressAsAComment)
{
    Recording r;
    r.messages.showMessage("on its own\nline");
    const std::string text = r.text();
    EXPECT_TRUE(parsed(script::parseScript(text)).empty()) << text;
    EXPECT_NE(text.find("# a message box outside any press: on its own line\n"), std::string::npos) << text;
}

TEST(RecordingMessages, ShowsEveryBoxOnTheScreenItWraps)
{
    Recording r;
    r.messages.setRecorder(nullptr);
    r.messages.showMessage("before recording", "T");
    r.messages.setRecorder(&*r.rec);
    r.messages.showMessage("while recording");
    EXPECT_EQ(r.screen.texts(), (std::vector<std::string>{"before recording", "while recording"}));
    EXPECT_EQ(r.screen.shown().at(0).title, "T");
}

// A session recorded from a running program, message boxes included, replays green.
TEST(SessionRecorder, RecordedSessionReplaysGreen)
{
    Recording r;
    r.dir.write("shape.tps", "LM=3\n0 0 0\n3 0 0\n0 4 0\nID=a\nLM=3\n0 0 0\n6 0 0\n0 8 0\nID=b\n");
    {
        test::RestoreCurrentFolder restore;
        platform::CapturingConsole console;
        platform::Runtime rt(r.dialogs, r.messages, console);
        rt.layoutFolders = {VEZEDO_LAYOUT_DIR};
        shell::Program program(rt);
        program.start();
        const auto hook = program.onAction([&r](const shell::ActionEvent& e) {
            if (e.phase == shell::ActionPhase::Started)
                r.rec->beginPress(std::string(e.action));
            else
                r.rec->endPress();
        });
        r.userDialogs.queuePath((r.dir.path() / "shape.tps").string());
        program.runAction("LoadFile1");
        program.runAction("SaveLengths");  // no protocol: a box, no dialog
        rt.graphics.set(rt.graphics.findByTag("ActivePointBox").at(0), "String", platform::Value("9"));
        r.rec->set("ActivePointBox", "9");
        program.runAction("DeleteLine");
        ASSERT_EQ(r.screen.shown().size(), 2u);
    }
    const std::string text = r.text();
    std::ostringstream out;
    script::ScriptRunner runner(out);
    EXPECT_TRUE(runner.runFile(r.dir.path() / "rec.vzs")) << out.str() << "\n" << text;
}
