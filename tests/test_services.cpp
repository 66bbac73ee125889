#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/error.h"
#include "platform/matrix.h"
#include "platform/services.h"
#include "platform/textformat.h"

using vezedo::Error;
using namespace vezedo::platform;

TEST(ScriptedDialogs, AnswersFirstInFirstOutAndThrowsWhenNoAnswerIsQueued)
{
    ScriptedDialogs dialogs;
    dialogs.queue(FileChoice{"a.txt", "/data"});
    dialogs.queueCancel();
    dialogs.queuePath("/home/user/sets/skulls.txt");
    dialogs.queuePath("bare.txt");

    const auto first = dialogs.openFile("*.txt", "Load landmarks");
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->name, "a.txt");
    EXPECT_EQ(first->folder, "/data");
    EXPECT_FALSE(dialogs.openFile("*.csv", "Load links").has_value());
    const auto full = dialogs.saveFile("*.txt", "Save shapes");
    ASSERT_TRUE(full.has_value());
    EXPECT_EQ(full->folder, "/home/user/sets");
    EXPECT_EQ(full->name, "skulls.txt");
    EXPECT_EQ(dialogs.openFile("", "")->folder, ".");
    EXPECT_EQ(dialogs.pending(), 0u);

    try {
        dialogs.saveFile("*.txt", "Save results");
        ADD_FAILURE() << "no error";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("Save results"), std::string::npos) << e.what();
    }
    ASSERT_EQ(dialogs.requests().size(), 5u);
    EXPECT_EQ(dialogs.requests()[1].kind, FileDialogKind::Open);
    EXPECT_EQ(dialogs.requests()[1].filter, "*.csv");
    EXPECT_EQ(dialogs.requests()[1].title, "Load links");
    EXPECT_EQ(dialogs.requests()[2].kind, FileDialogKind::Save);
}

TEST(RecordingServices, MessagesAndConsoleTextAreKeptInOrder)
{
    RecordingMessages messages;
    messages.showMessage("File not found");
    messages.showMessage("Done", "Export");
    EXPECT_EQ(messages.texts(), (std::vector<std::string>{"File not found", "Done"}));
    EXPECT_EQ(messages.shown()[1].title, "Export");

    CapturingConsole console;
    console.write("one ");
    console.write("two\n");
    EXPECT_EQ(console.take(), "one two\n");
    EXPECT_EQ(console.text(), "");
    const Value scores(Matrix::rowVector({1, 2, 3}));
    console.display("scores", scores);
    EXPECT_EQ(console.text(), displayValue("scores", scores));
}
