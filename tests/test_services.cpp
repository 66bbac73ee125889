#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/error.h"
#include "platform/matrix.h"
#include "platform/services.h"
#include "platform/textformat.h"

using vezedo::Error;
using namespace vezedo::platform;

TEST(ScriptedDialogs, AnswersInTheOrderTheyWereQueued)
{
    ScriptedDialogs dialogs;
    dialogs.queue(FileChoice{"a.txt", "/data"});
    dialogs.queueCancel();
    dialogs.queue(FileChoice{"b.txt", "/other"});

    const auto first = dialogs.openFile("*.txt", "Load landmarks");
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->name, "a.txt");
    EXPECT_EQ(first->folder, "/data");
    EXPECT_FALSE(dialogs.openFile("*.csv", "Load links").has_value());
    const auto third = dialogs.saveFile("*.txt", "Save shapes");
    ASSERT_TRUE(third.has_value());
    EXPECT_EQ(third->name, "b.txt");
    EXPECT_EQ(dialogs.pending(), 0u);
}

TEST(ScriptedDialogs, AQueuedPathIsSplitIntoFolderAndName)
{
    const struct {
        const char* path;
        const char* folder;
        const char* name;
    } cases[] = {{"/home/user/sets/skulls.txt", "/home/user/sets", "skulls.txt"}, {"bare.txt", ".", "bare.txt"}};
    for (const auto& c : cases) {
        ScriptedDialogs dialogs;
        dialogs.queuePath(c.path);
        const auto choice = dialogs.openFile("", "");
        ASSERT_TRUE(choice.has_value()) << c.path;
        EXPECT_EQ(choice->folder, c.folder) << c.path;
        EXPECT_EQ(choice->name, c.name) << c.path;
    }
}

TEST(ScriptedDialogs, ADialogWithNoAnswerQueuedFailsNamingItsTitle)
{
    ScriptedDialogs dialogs;
    try {
        dialogs.saveFile("*.txt", "Save results");
        ADD_FAILURE() << "no error";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("Save results"), std::string::npos) << e.what();
    }
}

TEST(ScriptedDialogs, KeepsEveryRequestWithItsKindFilterAndTitle)
{
    ScriptedDialogs dialogs;
    dialogs.queueCancel();
    dialogs.queueCancel();
    dialogs.openFile("*.csv", "Load links");
    dialogs.saveFile("*.txt", "Save shapes");
    ASSERT_EQ(dialogs.requests().size(), 2u);
    EXPECT_EQ(dialogs.requests()[0].kind, FileDialogKind::Open);
    EXPECT_EQ(dialogs.requests()[0].filter, "*.csv");
    EXPECT_EQ(dialogs.requests()[0].title, "Load links");
    EXPECT_EQ(dialogs.requests()[1].kind, FileDialogKind::Save);
}

TEST(RecordingMessages, KeepsTextsAndTitlesInOrder)
{
    RecordingMessages messages;
    messages.showMessage("File not found");
    messages.showMessage("Done", "Export");
    EXPECT_EQ(messages.texts(), (std::vector<std::string>{"File not found", "Done"}));
    EXPECT_EQ(messages.shown()[1].title, "Export");
}

TEST(CapturingConsole, TakeGivesTheTextSoFarAndEmptiesIt)
{
    CapturingConsole console;
    console.write("one ");
    console.write("two\n");
    EXPECT_EQ(console.take(), "one two\n");
    EXPECT_EQ(console.text(), "");
}

TEST(CapturingConsole, DisplayWritesTheNamedValueAsDisplayValueShowsIt)
{
    CapturingConsole console;
    const Value scores(Matrix::rowVector({1, 2, 3}));
    console.display("scores", scores);
    EXPECT_EQ(console.text(), displayValue("scores", scores));
}
