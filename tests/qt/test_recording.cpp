#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolBar>
#include <gtest/gtest.h>
#include <sstream>

#include "../harness.h"
#include "io/files.h"
#include "platform/error.h"
#include "qt/figurewindow.h"
#include "qt/plotcanvas.h"
#include "qt/frontend.h"
#include "script/recorder.h"
#include "script/runner.h"

using namespace vezedo;

namespace {

const std::string kTps = "LM=4\n0 0 0\n3 0 0\n0 4 0\n0 0 5\nID=a\nLM=4\n1 1 1\n7 1 1\n1 9 1\n1 1 11\nID=b\n";

// The GUI with dialogs that answer from a queue and tell the recorder what they answered.
struct RecordedGui {
    platform::ScriptedDialogs answers;
    script::RecordingDialogs dialogs{answers};
    platform::RecordingMessages messages;
    platform::CapturingConsole console;
    platform::Runtime rt{dialogs, messages, console};
    shell::Program program{withLayout(rt)};
    qt::FrontEnd frontEnd{program};
    platform::Handle main = 0;

    static platform::Runtime& withLayout(platform::Runtime& r)
    {
        r.layoutFolders = {VEZEDO_LAYOUT_DIR};
        return r;
    }
    RecordedGui()
    {
        frontEnd.setRecordingDialogs(&dialogs);
        main = program.start();
        QApplication::processEvents();
    }
    template <typename W>
    W* widget(const char* tag)
    {
        return frontEnd.window(main)->canvas()->findChild<W*>(tag);
    }
    // The button whose callback runs the action.
    QPushButton* button(const char* action)
    {
        for (platform::Handle h : rt.graphics.listObjects(main)) {
            const auto& obj = rt.graphics.object(h);
            if (obj.type != platform::ObjectType::UiControl)
                continue;
            const auto& cb = obj.as<platform::UiControlData>().callback;
            if (cb.function == "vezedosw" && cb.args.size() == 1 &&
                std::get<platform::Value>(cb.args[0]) == platform::Value(action))
                return widget<QPushButton>(obj.tag.c_str());
        }
        return nullptr;
    }
};

}  // namespace

TEST(Recording, ARecordedGuiSessionReplaysHeadlessToIdenticalFiles)
{
    test::TempDir dir;
    dir.write("shape.tps", kTps);
    dir.write("proto.txt", "1 1 2 \n2 2 3 \n");
    const auto cwd = std::filesystem::current_path();
    {
        RecordedGui gui;
        gui.frontEnd.startRecording((dir.path() / "session.vzs").string());
        gui.answers.queuePath((dir.path() / "shape.tps").string());
        gui.button("LoadFile1")->click();
        gui.answers.queuePath((dir.path() / "proto.txt").string());
        gui.button("LoadProto")->click();
        QTest::keyClicks(gui.widget<QLineEdit>("EndBox1"), "4");
        QTest::keyClicks(gui.widget<QLineEdit>("EndBox2"), "1");
        gui.button("AddLine")->click();  // the typed ends go into the script before the press
        gui.answers.queuePath((dir.path() / "gui_lengths.txt").string());
        gui.button("SaveLengths")->click();
        gui.answers.queuePath((dir.path() / "gui_protocol.txt").string());
        gui.button("SaveProtocol")->click();
        EXPECT_TRUE(gui.messages.texts().empty());
        gui.frontEnd.stopRecording();
        EXPECT_EQ(gui.console.text().find("rror"), std::string::npos) << gui.console.text();
        EXPECT_FALSE(gui.frontEnd.isRecording());
    }
    std::filesystem::current_path(cwd);
    const std::string script = io::readFile((dir.path() / "session.vzs").string());
    EXPECT_NE(script.find("set EndBox1 4\nset EndBox2 1\npress AddLine\n"), std::string::npos) << script;
    EXPECT_NE(script.find("answer open shape.tps\npress LoadFile1\n"), std::string::npos) << script;

    // Replay writes to the same names: move the GUI's files aside first.
    std::filesystem::rename(dir.path() / "gui_lengths.txt", dir.path() / "gui_lengths.expected");
    std::filesystem::rename(dir.path() / "gui_protocol.txt", dir.path() / "gui_protocol.expected");
    std::ostringstream out;
    script::ScriptRunner runner(out);
    ASSERT_TRUE(runner.runFile(dir.path() / "session.vzs")) << out.str();
    EXPECT_EQ(io::readFile((dir.path() / "gui_lengths.txt").string()),
              io::readFile((dir.path() / "gui_lengths.expected").string()));
    EXPECT_EQ(io::readFile((dir.path() / "gui_protocol.txt").string()),
              io::readFile((dir.path() / "gui_protocol.expected").string()));
    EXPECT_EQ(io::readFile((dir.path() / "gui_protocol.txt").string()), "1 1 2 \n2 2 3 \n3 4 1 \n");
}

TEST(Recording, TheMainWindowOffersRecordAndStop)
{
    RecordedGui gui;
    QToolBar* bar = gui.frontEnd.window(gui.main)->findChild<QToolBar*>("sessionBar");
    ASSERT_NE(bar, nullptr);
    QStringList names;
    for (QAction* a : bar->actions())
        names << a->text();
    EXPECT_TRUE(names.contains("Record session..."));
    EXPECT_TRUE(names.contains("Stop recording"));
    EXPECT_THROW(gui.frontEnd.startRecording("/nonexistent/folder/s.vzs"), Error);
    EXPECT_FALSE(gui.frontEnd.isRecording());
}
