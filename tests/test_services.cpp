#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "harness.h"
#include "platform/error.h"
#include "platform/matrix.h"
#include "platform/services.h"
#include "platform/textformat.h"

using namespace vezedo::platform;
using vezedo::test::errorOf;

TEST(ScriptedDialogs, AnswersInTheOrderTheyWereQueuedKeepingEveryRequestWithItsKindFilterAndTitle)
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

    ASSERT_EQ(dialogs.requests().size(), 3u);
    EXPECT_EQ(dialogs.requests()[1].kind, FileDialogKind::Open);
    EXPECT_EQ(dialogs.requests()[1].filter, "*.csv");
    EXPECT_EQ(dialogs.requests()[1].title, "Load links");
    EXPECT_EQ(dialogs.requests()[2].kind, FileDialogKind::Save);

    // With no answer queued a dialog fails naming its title.
    EXPECT_NE(errorOf([&] { dialogs.saveFile("*.txt", "Save results"); }).find("Save results"), std::string::npos);
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

TEST(RecordingMessages, KeepsTextsAndTitlesInOrder)
{
    RecordingMessages messages;
    messages.showMessage("File not found");
    messages.showMessage("Done", "Export");
    EXPECT_EQ(messages.texts(), (std::vector<std::string>{"File not found", "Done"}));
    EXPECT_EQ(messages.shown()[1].title, "Export");
}

TEST(CapturingConsole, TakeGivesTheTextSoFarAndEmptiesItAndDisplayWritesTheNamedValueAsDisplayValueShowsIt)
{
    CapturingConsole console;
    console.write("one ");
    console.write("two\n");
    EXPECT_EQ(console.take(), "one two\n");
    EXPECT_EQ(console.text(), "");
    const Value scores(Matrix::rowVector({1, 2, 3}));
    console.display("scores", scores);
    EXPECT_EQ(console.text(), displayValue("scores", scores));
}
