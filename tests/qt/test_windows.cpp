#include <QApplication>
#include <QCheckBox>
#include <QPlainTextEdit>
#include <QScreen>
#include <gtest/gtest.h>

#include "desktop.h"
#include "io/files.h"
#include "qt/figurewindow.h"
#include "qt/frontend.h"
#include "qt/qtservices.h"

using namespace vezedo;
using platform::Handle;

namespace {

using test::Desktop;

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
    testing::Values(
        UnsavedCase{"LoadingSpecimensChangesNothing", {}, false, false},
        UnsavedCase{"LoadingAProtocol", {"LoadProto=p.txt"}, false, false},
        UnsavedCase{"ANewProtocolOfNothing", {"NewProto"}, false, false},
        UnsavedCase{"ANewProtocolAfterALoad", {"LoadProto=p.txt", "NewProto"}, true, false},
        UnsavedCase{"ANewProtocolSaved", {"LoadProto=p.txt", "NewProto", "SaveProtocol=q.txt"}, false, false},
        UnsavedCase{"ASaveCancelled", {"LoadProto=p.txt", "NewProto", "SaveProtocol=cancel"}, true, false},
        UnsavedCase{
            "ASaveThatFails", {"LoadProto=p.txt", "NewProto", "SaveProtocol=no/such/folder/p.txt"}, true, false},
        UnsavedCase{"ALineAdded", {"LoadProto=p.txt", "EndBox1:1", "EndBox2:3", "AddLine"}, true, false},
        UnsavedCase{
            "ALineAddedThenUndone", {"LoadProto=p.txt", "EndBox1:1", "EndBox2:3", "AddLine", "Undo"}, false, false},
        UnsavedCase{
            "UndoneThenRedone", {"LoadProto=p.txt", "EndBox1:1", "EndBox2:3", "AddLine", "Undo", "Redo"}, true, false},
        UnsavedCase{"ALineAddedThenSavedAsCsv",
                    {"LoadProto=p.txt", "EndBox1:1", "EndBox2:3", "AddLine", "SaveProtocolCSV=p.csv"},
                    false,
                    false},
        UnsavedCase{
            "ALineNamed", {"LoadProto=p.txt", "ActivePointBox:2", "LineNameBox:arch", "RenameLine"}, true, false},
        UnsavedCase{"ClearingNothing", {"ClearTarget"}, false, false},
        UnsavedCase{"ClearingALoadedProtocol", {"LoadProto=p.txt", "ClearTarget"}, true, false},
        UnsavedCase{"SettingUpBlocks", {"LoadProto=p.txt", "MaxBlockBox:2", "SetBlocks"}, false, true},
        UnsavedCase{"BlocksSaved", {"LoadProto=p.txt", "MaxBlockBox:2", "SetBlocks", "SaveMatrix=b.txt"}, false, false},
        UnsavedCase{"BlocksLoaded",
                    {"LoadProto=p.txt", "MaxBlockBox:2", "SetBlocks", "SaveMatrix=b.txt", "ClearTarget",
                     "LoadProto=p.txt", "SetBlocks", "LoadBlock=b.txt"},
                    false,
                    false},
        UnsavedCase{"ShowingChangesNothing", {"LoadProto=p.txt", "ShowProto", "ReplotM"}, false, false}),
    [](const auto& row) { return std::string(row.param.name); });

// Answering Save writes the protocol and closes, unless that save is cancelled.
TEST(MainWindow, SaveOnClosingWritesTheProtocolAndClosesUnlessCancelled)
{
    for (const std::string dialog : {"kept.txt", "cancel"}) {
        SCOPED_TRACE(dialog);
        Desktop d;
        d.run("LoadProto=p.txt");
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

// Saving on quit keeps the form the protocol was last written in: a CSV keeps the names.
TEST(MainWindow, SaveOnClosingKeepsTheCsvFormOfTheLastSave)
{
    Desktop d;
    for (const std::string step : {"LoadProto=p.txt", "ActivePointBox:1", "LineNameBox:arch", "RenameLine",
                                   "SaveProtocolCSV=named.csv", "LineNameBox:vault", "RenameLine"})
        d.run(step);
    d.frontEnd.setUnsavedQuestion([] { return qt::FrontEnd::UnsavedAnswer::Save; });
    d.answer("named.csv");
    EXPECT_TRUE(d.frontEnd.window(d.main)->close());
    EXPECT_EQ(d.answers.requests().back().title, "Save protocol as CSV");
    EXPECT_NE(io::readFile((d.dir.path() / "named.csv").string()).find("vault"), std::string::npos);
}

// Cancel in the question, or in a save it starts, keeps the program open and says so.
TEST(MainWindow, ACancelledQuitSaysSoInTheStatusBar)
{
    const struct {
        const char* name;
        qt::FrontEnd::UnsavedAnswer answer;
        const char* dialog;  // answer to the save dialog, if one comes
        const char* status;
    } cases[] = {
        {"question cancelled", qt::FrontEnd::UnsavedAnswer::Cancel, nullptr, "Quit cancelled"},
        {"save cancelled", qt::FrontEnd::UnsavedAnswer::Save, "cancel", "Quit cancelled: the protocol was not saved"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Desktop d;
        d.run("LoadProto=p.txt");
        d.run("NewProto");
        d.frontEnd.setUnsavedQuestion([&] { return c.answer; });
        if (c.dialog)
            d.answer(c.dialog);
        EXPECT_FALSE(d.frontEnd.window(d.main)->close());
        ASSERT_FALSE(d.console.statuses().empty());
        EXPECT_EQ(d.console.statuses().back(), c.status);
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
