#include <gtest/gtest.h>

#include <filesystem>

#include "harness.h"
#include "io/files.h"
#include "platform/error.h"

using namespace vezedo;
namespace fs = std::filesystem;

namespace {

// Puts the process back in the folder it was in, however the test ends.
struct RestoreCurrentFolder {
    std::filesystem::path before = std::filesystem::current_path();
    ~RestoreCurrentFolder() { std::filesystem::current_path(before); }
};

std::string errorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const Error& e) {
        return e.what();
    }
    return "";
}

std::size_t entriesIn(const fs::path& folder)
{
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

}  // namespace

TEST(Files, ReadFileReturnsEveryByteIncludingNulAndCarriageReturns)
{
    test::TempDir dir;
    const std::string content("a\r\nb\0c\xff", 7);
    EXPECT_EQ(io::readFile(dir.write("bytes.bin", content)), content);
    EXPECT_EQ(io::readFile(dir.write("empty.txt", "")), "");
}

TEST(Files, ReadFileErrorsNameTheFileAndTheReason)
{
    test::TempDir dir;
    const std::string missing = (dir.path() / "missing.txt").string();
    EXPECT_EQ(errorOf([&] { io::readFile(missing); }),
              "Cannot open file \"" + missing + "\": No such file or directory");
    const std::string folder = dir.path().string();
    EXPECT_EQ(errorOf([&] { io::readFile(folder); }), "Cannot read file \"" + folder + "\": Is a directory");
}

TEST(Files, WriteFileAtomicallyReplacesTheTargetAndLeavesNoTemporaryFile)
{
    test::TempDir dir;
    const std::string target = dir.write("proto.txt", "old content that is longer\n");
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    io::writeFileAtomically(target, "1 1 2 \n");
    EXPECT_EQ(io::readFile(target), "1 1 2 \n");
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    io::writeFileAtomically((dir.path() / "new.txt").string(), "");
    EXPECT_EQ(io::readFile((dir.path() / "new.txt").string()), "");
    EXPECT_EQ(entriesIn(dir.path()), 2u);
}

TEST(Files, FailedWriteNamesTheFileAndLeavesTheFolderAsItWas)
{
    test::TempDir dir;
    const std::string intoMissingFolder = (dir.path() / "no-such-folder" / "out.txt").string();
    EXPECT_EQ(errorOf([&] { io::writeFileAtomically(intoMissingFolder, "x"); }),
              "Cannot write file \"" + intoMissingFolder + "\": No such file or directory");

    // A folder in the target's place: the rename fails after the temporary was written.
    const fs::path occupied = dir.path() / "occupied";
    fs::create_directory(occupied);
    dir.write("occupied/keep.txt", "kept");
    const std::string message = errorOf([&] { io::writeFileAtomically(occupied.string(), "x"); });
    EXPECT_EQ(message.rfind("Cannot write file \"" + occupied.string() + "\": ", 0), 0u) << message;
    EXPECT_EQ(entriesIn(dir.path()), 1u);
    EXPECT_EQ(io::readFile((occupied / "keep.txt").string()), "kept");
}

TEST(Files, JoinPathAddsASeparatorOnlyWhenTheFolderLacksOne)
{
    EXPECT_EQ(io::joinPath("/data/mice", "a.tps"), "/data/mice/a.tps");
    EXPECT_EQ(io::joinPath("/data/mice/", "a.tps"), "/data/mice/a.tps");
    EXPECT_EQ(io::joinPath("", "a.tps"), "a.tps");
    EXPECT_EQ(io::joinPath("/", "a.tps"), "/a.tps");
}

TEST(Files, ChangeDirectoryErrorNamesTheFolder)
{
    const RestoreCurrentFolder restore;
    test::TempDir dir;
    io::changeDirectory(dir.path().string());
    EXPECT_EQ(fs::current_path(), fs::canonical(dir.path()));
    const std::string missing = (dir.path() / "gone").string();
    EXPECT_EQ(errorOf([&] { io::changeDirectory(missing); }),
              "Cannot make the folder \"" + missing + "\" the current folder: No such file or directory");
}
