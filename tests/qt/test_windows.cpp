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
    // A dialog's answer: "cancel", or a file in the test's folder.
    void answer(const std::string& file)
    {
        if (file == "cancel")
            answers.queueCancel();
        else
            answers.queuePath((dir.path() / file).string());
    }
    // Runs the action; "name=file" answers its dialog.
    void run(const std::string& step)
    {
        const auto eq = step.find('=');
        if (eq != std::string::npos)
            answer(step.substr(eq + 1));
        program.runAction(step.substr(0, eq));
    }
};

struct UnsavedCase {
    const char* name;
    std::vector<std::string> steps;
    bool protocol, blocks;  // unsaved afterwards
};

class Unsaved : public testing::TestWithParam<UnsavedCase> {};

}  // namespace

// Closing the main window asks only about unsaved work, and cancelling keeps it open.
TEST_P(Unsaved, FollowsTheActionsAndClosingAsksOnlyThen)
{
    Desktop d;
    for (const std::string& step : GetParam().steps)
        d.run(step);
    EXPECT_EQ(d.frontEnd.unsaved().protocol(), GetParam().protocol);
    EXPECT_EQ(d.frontEnd.unsaved().blocks(), GetParam().blocks);
    int asked = 0;
    d.frontEnd.setUnsavedQuestion([&] {
        ++asked;
        return qt::FrontEnd::UnsavedAnswer::Cancel;
    });
    const bool unsaved = GetParam().protocol || GetParam().blocks;
    EXPECT_EQ(d.frontEnd.window(d.main)->close(), !unsaved);
    EXPECT_EQ(asked, unsaved ? 1 : 0);
    EXPECT_EQ(d.rt.graphics.isValid(d.main), unsaved);
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
    [](const auto& row) { return std::string(row.param.name); });

// Answering Save writes the protocol and closes, unless that save is cancelled.
TEST(MainWindow, SaveOnClosingWritesTheProtocolAndClosesUnlessCancelled)
{
    for (const std::string dialog : {"kept.txt", "cancel"}) {
        SCOPED_TRACE(dialog);
        Desktop d;
        d.run("NewProto");
        d.frontEnd.setUnsavedQuestion([] { return qt::FrontEnd::UnsavedAnswer::Save; });
        d.answer(dialog);
        const bool saved = dialog != "cancel";
        EXPECT_EQ(d.frontEnd.window(d.main)->close(), saved);
        EXPECT_EQ(d.rt.graphics.isValid(d.main), !saved);
        if (saved) {
            EXPECT_EQ(io::readFile((d.dir.path() / dialog).string()), "-1 -1 -1 \n");
        }
    }
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

TEST(ConsolePane, ShowsMessagesAlwaysAndTracesWhenTicked)
{
    const struct {
        const char* name;
        bool trace, ticked, shown;
    } cases[] = {{"message unticked", false, false, true},
                 {"message ticked", false, true, true},
                 {"trace unticked", true, false, false},
                 {"trace ticked", true, true, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        qt::QtConsole console;
        console.panel()->findChild<QCheckBox*>("showTraces")->setChecked(c.ticked);
        if (c.trace)
            console.trace("lm =\n    10\n");
        else
            console.write("Error on file opening\n");
        EXPECT_EQ(!console.pane()->toPlainText().isEmpty(), c.shown);
    }
}
