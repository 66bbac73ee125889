#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/error.h"
#include "platform/matrix.h"
#include "platform/services.h"
#include "platform/textformat.h"

using vezedo::Error;
using namespace vezedo::platform;

TEST(ScriptedDialogs, AnswersInOrderAndRecordsRequests)
{
    ScriptedDialogs dialogs;
    dialogs.queue(FileChoice{"a.txt", "/data"});
    dialogs.queueCancel();
    dialogs.queue(FileChoice{"out.txt", "/tmp"});
    EXPECT_EQ(dialogs.pending(), 3u);

    const auto first = dialogs.openFile("*.txt", "Load landmarks");
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->name, "a.txt");
    EXPECT_EQ(first->folder, "/data");
    EXPECT_FALSE(dialogs.openFile("*.csv", "Load links").has_value());
    const auto third = dialogs.saveFile("*.txt", "Save shapes");
    ASSERT_TRUE(third.has_value());
    EXPECT_EQ(third->name, "out.txt");
    EXPECT_EQ(dialogs.pending(), 0u);

    ASSERT_EQ(dialogs.requests().size(), 3u);
    EXPECT_EQ(dialogs.requests()[1].kind, FileDialogKind::Open);
    EXPECT_EQ(dialogs.requests()[1].filter, "*.csv");
    EXPECT_EQ(dialogs.requests()[1].title, "Load links");
    EXPECT_EQ(dialogs.requests()[2].kind, FileDialogKind::Save);
}

TEST(ScriptedDialogs, UnexpectedDialogThrowsInsteadOfWaiting)
{
    ScriptedDialogs dialogs;
    try {
        dialogs.saveFile("*.txt", "Save results");
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("Save results"), std::string::npos) << e.what();
    }
    EXPECT_EQ(dialogs.requests().size(), 1u);
}

TEST(ScriptedDialogs, QueuePathSplitsFolderAndName)
{
    ScriptedDialogs dialogs;
    dialogs.queuePath("/home/user/sets/skulls.txt");
    dialogs.queuePath("bare.txt");
    const auto full = dialogs.openFile("", "");
    ASSERT_TRUE(full.has_value());
    EXPECT_EQ(full->folder, "/home/user/sets");
    EXPECT_EQ(full->name, "skulls.txt");
    const auto bare = dialogs.openFile("", "");
    ASSERT_TRUE(bare.has_value());
    EXPECT_EQ(bare->name, "bare.txt");
    EXPECT_EQ(bare->folder, ".");
}

TEST(RecordingMessages, KeepsTextAndTitleInOrder)
{
    RecordingMessages messages;
    messages.showMessage("File not found");
    messages.showMessage("Done", "Export");
    ASSERT_EQ(messages.shown().size(), 2u);
    EXPECT_EQ(messages.shown()[0].title, "");
    EXPECT_EQ(messages.shown()[1].title, "Export");
    EXPECT_EQ(messages.texts(), (std::vector<std::string>{"File not found", "Done"}));
    messages.clear();
    EXPECT_TRUE(messages.shown().empty());
}

TEST(CapturingConsole, CollectsTextAndDisplaysNamedValues)
{
    CapturingConsole console;
    console.write("one ");
    console.write("two\n");
    EXPECT_EQ(console.take(), "one two\n");
    EXPECT_EQ(console.text(), "");

    const Value scores(Matrix::rowVector({1, 2, 3}));
    console.display("scores", scores);
    EXPECT_EQ(console.text(), displayValue("scores", scores));
    EXPECT_EQ(console.text().rfind("scores =\n", 0), 0u);
}
