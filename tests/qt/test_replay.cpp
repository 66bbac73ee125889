#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>
#include <optional>
#include <sstream>

#include "../harness.h"
#include "io/files.h"
#include "qt/figurewindow.h"
#include "qt/frontend.h"
#include "qt/guireplay.h"
#include "script/recorder.h"
#include "script/replayservices.h"
#include "script/runner.h"

using namespace vezedo;

namespace {

const std::string kExamples = VEZEDO_EXAMPLES_DIR;

// The desktop program as main builds it, with scripted desktop dialogs and recorded boxes in
// place of real ones: a dialog that reaches them unanswered fails, never waits.
struct ReplayedGui {
    test::RestoreCurrentFolder folder;
    platform::ScriptedDialogs desktopDialogs;
    script::RoutedDialogs routedDialogs{desktopDialogs};
    script::RecordingDialogs dialogs{routedDialogs};
    platform::RecordingMessages desktopMessages;
    script::RoutedMessages routedMessages{desktopMessages};
    script::RecordingMessages messages{routedMessages};
    platform::CapturingConsole console;
    platform::Runtime rt{dialogs, messages, console};
    shell::Program program{test::Harness::withLayoutFolder(rt)};
    qt::FrontEnd frontEnd{program};
    std::ostringstream log, errors;
    qt::GuiReplay replay{frontEnd, routedDialogs, routedMessages, log, errors};
    std::optional<int> status;
    platform::Handle mainWindow = 0;

    explicit ReplayedGui(bool quitAfter = true)
    {
        mainWindow = program.start();
        if (quitAfter)
            replay.setQuit([this](int s) { status = s; });
        QApplication::processEvents();
    }

    // Plays the script through the event loop, as the program does, until it ends.
    void play(const std::filesystem::path& script)
    {
        replay.start(script);
        EXPECT_FALSE(replay.finished()) << "the replay must wait for the event loop";
        EXPECT_TRUE(QTest::qWaitFor([&] { return replay.finished(); }, 30000)) << "the replay never ended";
    }
};

// Loads the skulls, adds a line, names it and saves the lengths as CSV.
std::string measuresScript(const std::string& csv)
{
    return "answer open " + kExamples +
           "/skulls.tps\n"
           "press LoadFile1\n"
           "answer open " +
           kExamples +
           "/skulls_protocol.txt\n"
           "press LoadProto\n"
           "set EndBox1 1\n"
           "set EndBox2 5\n"
           "press AddLine\n"
           "set ActivePointBox 13\n"
           "set LineNameBox snout\n"
           "press RenameLine\n"
           "answer save " +
           csv +
           "\n"
           "press SaveLengthsCSV\n";
}

}  // namespace

TEST(GuiReplay, PlaysASessionInTheWindowsWritingWhatTheHeadlessReplayWrites)
{
    test::TempDir dir;
    std::ostringstream headlessOut;
    ASSERT_TRUE(script::ScriptRunner(headlessOut).runFile(dir.write("headless.vzs", measuresScript("headless.csv"))))
        << headlessOut.str();

    ReplayedGui gui;
    gui.play(dir.write("gui.vzs", measuresScript("gui.csv") + "expect string LineNameBox snout\n"
                                                              "expect file gui.csv SAME-AS headless.csv\n"));
    EXPECT_EQ(gui.status, 0) << gui.errors.str();
    EXPECT_TRUE(gui.replay.passed());
    EXPECT_EQ(gui.errors.str(), "");
    const std::string csv = io::readFile((dir.path() / "gui.csv").string());
    EXPECT_NE(csv.find("snout"), std::string::npos) << csv;
    EXPECT_EQ(gui.program.controller().session().protocol.size(), 13u);
}

TEST(GuiReplay, ADialogAfterTheScriptIsTheDesktopsNotAnswerFromTheScript)
{
    test::TempDir dir;
    ReplayedGui gui;
    gui.play(dir.write("load.vzs", "answer open " + kExamples + "/skulls.tps\npress LoadFile1\n"));
    ASSERT_EQ(gui.status, 0) << gui.errors.str();

    gui.desktopDialogs.queuePath(kExamples + "/skulls_protocol.txt");
    gui.frontEnd.runAction(std::string(controller::action::loadProtocol));
    EXPECT_EQ(gui.desktopDialogs.pending(), 0u) << "the desktop dialog was not asked";
    EXPECT_EQ(gui.desktopDialogs.requests().size(), 1u);
    EXPECT_EQ(gui.program.controller().session().protocol.size(), 12u);
}

TEST(GuiReplay, MessageBoxesAreShownOnTheDesktopAndCheckedByTheScript)
{
    test::TempDir dir;
    ReplayedGui gui;
    gui.play(dir.write("box.vzs", "answer open " + kExamples +
                                      "/skulls.tps\npress LoadFile1\npress SaveLengths\n"
                                      "expect msgbox The protocol has no lines: load a protocol or add lines before "
                                      "saving the measures.\n"));
    EXPECT_EQ(gui.status, 0) << gui.errors.str();
    EXPECT_EQ(gui.desktopMessages.texts(), std::vector<std::string>{"The protocol has no lines: load a protocol or add "
                                                                    "lines before saving the measures."});
}

struct FailingCase {
    const char* name;
    std::string script;
    std::string failure;  // after "FILE:"
};

class GuiReplayFails : public testing::TestWithParam<FailingCase> {};

TEST_P(GuiReplayFails, WithTheLineAndStatusOne)
{
    test::TempDir dir;
    ReplayedGui gui;
    const std::string path = dir.write("failing.vzs", GetParam().script);
    gui.play(path);
    EXPECT_EQ(gui.status, 1);
    EXPECT_EQ(gui.errors.str().rfind(path + ":" + GetParam().failure, 0), 0u) << gui.errors.str();
    EXPECT_EQ(gui.errors.str().back(), '\n');
    EXPECT_EQ(gui.desktopDialogs.requests().size(), 0u) << "a desktop dialog was shown during the replay";
}

std::string failingCaseName(const testing::TestParamInfo<FailingCase>& test)
{
    return test.param.name;
}

const FailingCase kFailures[] = {
    {"PressTypo", "answer open " + kExamples + "/skulls.tps\npress LoadFile1\npress LoadFiel1\n",
     "3: \"LoadFiel1\" is not the name of an action (did you mean LoadFile1?); dispatch TEXT sends any text to the "
     "action switch"},
    {"UnexpectedMessageBox",
     "answer open " + kExamples + "/skulls.tps\npress LoadFile1\npress SaveLengths\npress NewProto\n",
     "3: press SaveLengths on line 3 showed a message box the script does not expect: \"The protocol has no lines: "
     "load a protocol or add lines before saving the measures.\" (expect msgbox TEXT after it expects one)"},
    {"UnusedAnswer",
     "answer open " + kExamples + "/skulls.tps\npress LoadFile1\nanswer save lengths.txt\npress SaveLengths\n",
     "4: press SaveLengths on line 4 ended without using the answer on line 3 (answer save lengths.txt)"},
    {"AnswerWithNoPress", "answer open " + kExamples + "/skulls.tps\n",
     "1: no press follows the answer on this line (answer open " + kExamples + "/skulls.tps)"},
    {"DialogWithoutAnswer", "press NewProto\nset EndBox1 1\nset EndBox2 2\npress AddLine\npress SaveProtocol\n",
     "5: the program asked for a file to save"},
    {"UnknownCommand", "answer open a.tps\nwobble\n", "line 2: unknown command \"wobble\""},
};

INSTANTIATE_TEST_SUITE_P(Scripts, GuiReplayFails, testing::ValuesIn(kFailures), failingCaseName);

TEST(GuiReplay, AFailureWithoutQuitAfterIsShownInAMessageBoxAndTheProgramStays)
{
    test::TempDir dir;
    ReplayedGui gui(/*quitAfter=*/false);
    const std::string path = dir.write("typo.vzs", "press LoadFiel1\n");
    gui.play(path);
    EXPECT_FALSE(gui.replay.passed());
    ASSERT_EQ(gui.desktopMessages.texts().size(), 1u);
    EXPECT_NE(gui.desktopMessages.texts()[0].find(path + ":1: \"LoadFiel1\" is not the name of an action"),
              std::string::npos)
        << gui.desktopMessages.texts()[0];
    ASSERT_NE(gui.frontEnd.window(gui.mainWindow), nullptr);
    EXPECT_TRUE(gui.frontEnd.window(gui.mainWindow)->isVisible());
}

TEST(GuiReplay, AMissingScriptFailsWithItsName)
{
    ReplayedGui gui;
    gui.play("/nonexistent/folder/none.vzs");
    EXPECT_EQ(gui.status, 1);
    EXPECT_EQ(gui.errors.str().rfind("/nonexistent/folder/none.vzs: ", 0), 0u) << gui.errors.str();
}

// What the quit prompt would ask about, after sessions played from scripts: loads and saves
// leave nothing unsaved, an edit does, its undo takes it back, a rename counts.
TEST(GuiReplay, TheQuitPromptCountsTheEditsOfAPlayedSession)
{
    const std::string load = "answer open " + kExamples + "/skulls.tps\npress LoadFile1\nanswer open " + kExamples +
                             "/skulls_protocol.txt\npress LoadProto\n";
    const struct {
        const char* name;
        std::string steps;
        bool protocol, blocks;
    } cases[] = {
        {"loaded", "", false, false},
        {"a line added", "set EndBox1 1\nset EndBox2 5\npress AddLine\n", true, false},
        {"a line added and undone", "set EndBox1 1\nset EndBox2 5\npress AddLine\npress Undo\n", false, false},
        {"a line renamed", "set ActivePointBox 2\nset LineNameBox nasal\npress RenameLine\n", true, false},
        {"renamed and saved as CSV",
         "set ActivePointBox 2\nset LineNameBox nasal\npress RenameLine\nanswer save named.csv\n"
         "press SaveProtocolCSV\n",
         false, false},
        {"blocks set up", "set MaxBlockBox 2\npress SetBlocks\n", false, true},
        {"blocks saved", "set MaxBlockBox 2\npress SetBlocks\nanswer save b.txt\npress SaveMatrix\n", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempDir dir;
        ReplayedGui gui;
        gui.play(dir.write("s.vzs", load + c.steps));
        ASSERT_EQ(gui.status, 0) << gui.errors.str();
        EXPECT_EQ(gui.frontEnd.unsaved().protocol(), c.protocol);
        EXPECT_EQ(gui.frontEnd.unsaved().blocks(), c.blocks);
    }
}
