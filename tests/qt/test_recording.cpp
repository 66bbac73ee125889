#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <gtest/gtest.h>
#include <sstream>

#include "../harness.h"
#include "io/files.h"
#include "platform/error.h"
#include "qt/figurewindow.h"
#include "qt/frontend.h"
#include "qt/plotcanvas.h"
#include "script/recorder.h"
#include "script/runner.h"

using namespace vezedo;

// Ends typed and pressed in the main window, and picked and double-clicked in the plot window.
TEST(Recording, TheSessionBarRecordsAGuiSessionThatReplaysHeadlessToIdenticalFiles)
{
    test::TempDir dir;
    dir.write("shape.tps", "LM=4\n0 0 0\n3 0 0\n0 4 0\n0 0 5\nID=a\nLM=4\n1 1 1\n7 1 1\n1 9 1\n1 1 11\nID=b\n");
    dir.write("proto.txt", "1 1 2 \n2 2 3 \n");
    const auto read = [&](const char* name) { return io::readFile((dir.path() / name).string()); };
    {
        test::RestoreCurrentFolder folder;
        // Dialogs answer from a queue and tell the recorder what they answered.
        platform::ScriptedDialogs answers;
        script::RecordingDialogs dialogs{answers};
        platform::RecordingMessages messages;
        platform::CapturingConsole console;
        platform::Runtime rt{dialogs, messages, console};
        shell::Program program{test::Harness::withLayoutFolder(rt)};
        qt::FrontEnd frontEnd{program};
        frontEnd.setRecordingDialogs(&dialogs);
        const platform::Handle mainWindow = program.start();
        QApplication::processEvents();
        qt::FigureWindow* window = frontEnd.window(mainWindow);
        const auto widget = [&](const char* tag) { return window->canvas()->findChild<QPushButton*>(tag); };
        const auto box = [&](const char* tag) { return window->canvas()->findChild<QLineEdit*>(tag); };

        QMenu* file = window->findChild<QMenu*>("fileMenu");
        ASSERT_NE(file, nullptr);
        QStringList names;
        for (QAction* a : file->actions())
            names << a->text().remove('&');
        EXPECT_TRUE(names.contains("Record session...") && names.contains("Stop recording"))
            << names.join(", ").toStdString();
        EXPECT_THROW(frontEnd.startRecording("/nonexistent/folder/s.vzs"), Error);
        EXPECT_FALSE(frontEnd.isRecording());

        frontEnd.startRecording((dir.path() / "session.vzs").string());
        const auto press = [&](const char* button, const char* answer) {
            answers.queuePath((dir.path() / answer).string());
            widget(button)->click();
        };
        press("LoadFile1Button", "shape.tps");
        press("LoadProtocolButton", "proto.txt");
        QTest::keyClicks(box("EndBox1"), "4");
        QTest::keyClicks(box("EndBox2"), "1");
        widget("AddLineButton")->click();

        const session::Session& session = program.controller().session();
        qt::PlotCanvas* plot = frontEnd.window(*session.fighand1)->plot();
        plot->resize(500, 400);
        const auto pixelOf = [&](std::size_t landmark) {
            const platform::Matrix& r = session.specimens.reference;
            const auto p = platform::projectionOf(rt.graphics, plot->axes(), plot->width(), plot->height())
                               .toPixel({r(landmark - 1, 0), r(landmark - 1, 1), r(landmark - 1, 2)});
            return QPoint(static_cast<int>(std::lround(p.x)), static_cast<int>(std::lround(p.y)));
        };
        QTest::mouseClick(plot, Qt::LeftButton, {}, pixelOf(3));
        QTest::mouseClick(plot, Qt::LeftButton, {}, pixelOf(4));
        EXPECT_EQ(box("EndBox1")->text(), "3");
        EXPECT_EQ(box("EndBox2")->text(), "4");
        QTest::mouseDClick(plot, Qt::LeftButton, {}, pixelOf(4));
        press("SaveLengthsButton", "gui_lengths.txt");
        press("SaveProtocolButton", "gui_protocol.txt");
        EXPECT_TRUE(messages.texts().empty());
        frontEnd.stopRecording();
        EXPECT_EQ(console.text().find("rror"), std::string::npos) << console.text();
        EXPECT_FALSE(frontEnd.isRecording());
    }
    // Answers go before their press, paths relative to the script; typed or picked ends before their press.
    const std::string script = read("session.vzs");
    EXPECT_NE(script.find("answer open shape.tps\npress LoadFile1\n"), std::string::npos) << script;
    EXPECT_NE(script.find("set EndBox1 4\nset EndBox2 1\npress AddLine\n"), std::string::npos) << script;
    EXPECT_NE(script.find("set EndBox1 3\n"), std::string::npos) << script;
    EXPECT_NE(script.find("set EndBox2 4\npress ShowLine\npress AddLine\n"), std::string::npos) << script;

    // Replay writes to the same names: move the GUI's files aside first.
    std::filesystem::rename(dir.path() / "gui_lengths.txt", dir.path() / "gui_lengths.expected");
    std::filesystem::rename(dir.path() / "gui_protocol.txt", dir.path() / "gui_protocol.expected");
    std::ostringstream out;
    script::ScriptRunner runner(out);
    ASSERT_TRUE(runner.runFile(dir.path() / "session.vzs")) << out.str();
    EXPECT_EQ(read("gui_lengths.txt"), read("gui_lengths.expected"));
    EXPECT_EQ(read("gui_protocol.txt"), read("gui_protocol.expected"));
    EXPECT_EQ(read("gui_protocol.txt"), "1 1 2 \n2 2 3 \n3 4 1 \n4 3 4 \n");
}

// An entry of the File menu's "Recent" list runs its action with the dialog answered by its
// file, without showing the dialog; a recording writes that as the answer and the press, so
// the session still replays.
TEST(Recording, ARecentEntryOpensItsFileAndIsRecordedAsItsDialogAnswer)
{
    test::TempDir dir;
    dir.write("shape.tps", "LM=4\n0 0 0\n3 0 0\n0 4 0\n0 0 5\nID=a\nLM=4\n1 1 1\n7 1 1\n1 9 1\n1 1 11\nID=b\n");
    QSettings().clear();
    {
        test::RestoreCurrentFolder folder;
        platform::ScriptedDialogs answers;
        script::RecordingDialogs dialogs{answers};
        platform::RecordingMessages messages;
        platform::CapturingConsole console;
        platform::Runtime rt{dialogs, messages, console};
        shell::Program program{test::Harness::withLayoutFolder(rt)};
        qt::FrontEnd frontEnd{program};
        frontEnd.setRecordingDialogs(&dialogs);
        program.start();
        frontEnd.startRecording((dir.path() / "recent.vzs").string());
        answers.queuePath((dir.path() / "shape.tps").string());
        frontEnd.runAction(std::string(controller::action::loadSpecimens));
        const std::vector<controller::RecentFile> recent = frontEnd.recentFiles();
        ASSERT_EQ(recent.size(), 1u);
        EXPECT_EQ(recent.front(), (controller::RecentFile{std::string(controller::action::loadSpecimens),
                                                          {(dir.path() / "shape.tps").lexically_normal().string()}}));
        frontEnd.openRecent(recent.front());  // no answer is queued: a dialog shown would fail
        EXPECT_TRUE(messages.shown().empty());
        EXPECT_EQ(program.controller().session().revisions.specimens, 2u);
        EXPECT_EQ(frontEnd.recentFiles().size(), 1u);
        frontEnd.stopRecording();
    }
    const std::string script = io::readFile((dir.path() / "recent.vzs").string());
    const std::string pair = "answer open shape.tps\npress LoadFile1\n";
    EXPECT_EQ(script.find(pair), script.rfind(pair) - pair.size()) << script;
    std::ostringstream log;
    script::ScriptRunner runner(log);
    EXPECT_TRUE(runner.runFile(dir.path() / "recent.vzs")) << log.str();
}
