#include <QApplication>
#include <QCheckBox>
#include <QPlainTextEdit>
#include <QScreen>
#include <gtest/gtest.h>

#include "../harness.h"
#include "io/files.h"
#include "qt/figurewindow.h"
#include "qt/frontend.h"
#include "qt/qtservices.h"

using namespace vezedo;
using platform::Handle;

namespace {

constexpr const char* kShape = "LM=4\n0 0 0\n3 0 0\n0 4 0\n0 0 5\nID=a\nLM=4\n1 1 1\n7 1 1\n1 9 1\n1 1 11\nID=b\n";

// The program as the desktop runs it: dialogs and message boxes counted for their setbacks.
struct Desktop {
    test::TempDir dir;
    test::RestoreCurrentFolder folder;
    platform::ScriptedDialogs answers;
    platform::RecordingMessages boxes;
    qt::WatchedServices watched{answers, boxes};
    platform::CapturingConsole console;
    platform::Runtime rt{watched, watched, console};
    shell::Program program{test::Harness::withLayoutFolder(rt)};
    qt::FrontEnd frontEnd{program};
    Handle main = program.start();

    Desktop()
    {
        frontEnd.setSetbackCounter([this] { return watched.setbacks(); });
        answers.queuePath(dir.write("shape.tps", kShape));
        program.runAction("LoadFile1");
        QApplication::processEvents();
    }
    // Runs the action; "name=path" queues the file a dialog answers, "name=cancel" cancels it.
    void run(const std::string& step)
    {
        const auto eq = step.find('=');
        if (eq != std::string::npos) {
            const std::string answer = step.substr(eq + 1);
            if (answer == "cancel")
                answers.queueCancel();
            else
                answers.queuePath((dir.path() / answer).string());
        }
        program.runAction(step.substr(0, eq));
    }
};

struct UnsavedCase {
    const char* name;
    std::vector<std::string> steps;
    bool protocol;
    bool blocks;
};

class Unsaved : public testing::TestWithParam<UnsavedCase> {};

}  // namespace

TEST_P(Unsaved, FollowsTheActions)
{
    Desktop d;
    for (const std::string& step : GetParam().steps)
        d.run(step);
    EXPECT_EQ(d.frontEnd.unsaved().protocol(), GetParam().protocol);
    EXPECT_EQ(d.frontEnd.unsaved().blocks(), GetParam().blocks);
}

INSTANTIATE_TEST_SUITE_P(
    Actions, Unsaved,
    testing::Values(UnsavedCase{"LoadingSpecimensChangesNothing", {}, false, false},
                    UnsavedCase{"ANewProtocol", {"NewProto"}, true, false},
                    UnsavedCase{"ANewProtocolSaved", {"NewProto", "SaveProtocol=p.txt"}, false, false},
                    UnsavedCase{"ASaveCancelled", {"NewProto", "SaveProtocol=cancel"}, true, false},
                    UnsavedCase{"ASaveThatFails", {"NewProto", "SaveProtocol=no/such/folder/p.txt"}, true, false},
                    UnsavedCase{"ClearingBoth", {"ClearTarget"}, true, true},
                    UnsavedCase{"ClearingBothSavingTheProtocol", {"ClearTarget", "SaveProtocol=p.txt"}, false, true},
                    UnsavedCase{"ShowingChangesNothing", {"ShowProto", "ReplotM"}, false, false}),
    [](const testing::TestParamInfo<UnsavedCase>& row) { return std::string(row.param.name); });

TEST(MainWindow, ClosingWithUnsavedWorkAsksAndCancelKeepsItOpen)
{
    Desktop d;
    d.run("NewProto");
    int asked = 0;
    d.frontEnd.setUnsavedQuestion([&] {
        ++asked;
        return qt::FrontEnd::UnsavedAnswer::Cancel;
    });
    qt::FigureWindow* w = d.frontEnd.window(d.main);
    ASSERT_NE(w, nullptr);
    EXPECT_FALSE(w->close());
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(d.rt.graphics.isValid(d.main));
}

TEST(MainWindow, SaveOnClosingWritesTheProtocolAndCloses)
{
    Desktop d;
    d.run("NewProto");
    d.frontEnd.setUnsavedQuestion([] { return qt::FrontEnd::UnsavedAnswer::Save; });
    d.answers.queuePath((d.dir.path() / "kept.txt").string());
    EXPECT_TRUE(d.frontEnd.window(d.main)->close());
    EXPECT_EQ(io::readFile((d.dir.path() / "kept.txt").string()), "-1 -1 -1 \n");
    EXPECT_FALSE(d.rt.graphics.isValid(d.main));
}

TEST(MainWindow, ASaveCancelledOnClosingKeepsItOpen)
{
    Desktop d;
    d.run("NewProto");
    d.frontEnd.setUnsavedQuestion([] { return qt::FrontEnd::UnsavedAnswer::Save; });
    d.answers.queueCancel();
    EXPECT_FALSE(d.frontEnd.window(d.main)->close());
    EXPECT_TRUE(d.rt.graphics.isValid(d.main));
}

TEST(MainWindow, ClosingWithNothingUnsavedAsksNothing)
{
    Desktop d;
    int asked = 0;
    d.frontEnd.setUnsavedQuestion([&] {
        ++asked;
        return qt::FrontEnd::UnsavedAnswer::Cancel;
    });
    EXPECT_TRUE(d.frontEnd.window(d.main)->close());
    EXPECT_EQ(asked, 0);
}

TEST(Windows, ThePlotWindowOpensBesideTheMainWindowOnItsScreen)
{
    Desktop d;
    const auto fig = d.program.controller().session().fighand1;
    ASSERT_TRUE(fig.has_value());
    qt::FigureWindow* plot = d.frontEnd.window(*fig);
    qt::FigureWindow* main = d.frontEnd.window(d.main);
    ASSERT_TRUE(plot && main);
    const QRect screen = main->screen()->availableGeometry();
    EXPECT_FALSE(plot->frameGeometry().intersects(main->frameGeometry()))
        << "plot " << plot->frameGeometry().x() << "," << plot->frameGeometry().width() << " main "
        << main->frameGeometry().x() << "," << main->frameGeometry().width();
    EXPECT_TRUE(screen.contains(plot->frameGeometry())) << plot->frameGeometry().right() << " " << screen.right();
    EXPECT_TRUE(screen.contains(main->frameGeometry()));
    EXPECT_GT(plot->frameGeometry().left(), main->frameGeometry().left());
}

struct ConsoleCase {
    const char* name;
    bool trace;
    bool ticked;
    bool shown;
};

class ConsolePane : public testing::TestWithParam<ConsoleCase> {};

TEST_P(ConsolePane, ShowsMessagesAlwaysAndTracesWhenTicked)
{
    qt::QtConsole console;
    console.panel()->findChild<QCheckBox*>("showTraces")->setChecked(GetParam().ticked);
    if (GetParam().trace)
        console.trace("lm =\n    10\n");
    else
        console.write("Error on file opening\n");
    EXPECT_EQ(!console.pane()->toPlainText().isEmpty(), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(Kinds, ConsolePane,
                         testing::Values(ConsoleCase{"MessageUnticked", false, false, true},
                                         ConsoleCase{"MessageTicked", false, true, true},
                                         ConsoleCase{"TraceUnticked", true, false, false},
                                         ConsoleCase{"TraceTicked", true, true, true}),
                         [](const testing::TestParamInfo<ConsoleCase>& row) { return std::string(row.param.name); });
