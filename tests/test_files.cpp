#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>

#include "harness.h"
#include "io/files.h"
#include "platform/error.h"

using namespace vezedo;
namespace fs = std::filesystem;

using vezedo::test::errorOf;

namespace {

std::size_t entriesIn(const fs::path& folder)
{
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

TEST(Files, ReadFileReturnsEveryByteOrAnErrorNamingTheFileAndTheReason)
{
    test::TempDir dir;
    const std::string content("a\r\nb\0c\xff", 7);
    EXPECT_EQ(io::readFile(dir.write("bytes.bin", content)), content);
    EXPECT_EQ(io::readFile(dir.write("empty.txt", "")), "");
    const std::string missing = (dir.path() / "missing.txt").string();
    EXPECT_EQ(errorOf([&] { io::readFile(missing); }),
              "Cannot open file \"" + missing + "\": No such file or directory");
    const std::string folder = dir.path().string();
    EXPECT_EQ(errorOf([&] { io::readFile(folder); }), "Cannot read file \"" + folder + "\": Is a directory");
}

TEST(Files, WriteFileAtomicallyReplacesTheTargetOrLeavesEverythingAsItWas)
{
    test::TempDir dir;
    const std::string target = dir.write("proto.txt", "old content that is longer\n");
    const auto perms = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(target, perms);
    io::writeFileAtomically(target, "1 1 2 \n");
    EXPECT_EQ(io::readFile(target), "1 1 2 \n");
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all, perms);
    EXPECT_EQ(entriesIn(dir.path()), 1u);  // no temporary file left behind

    const std::string intoMissingFolder = (dir.path() / "no-such-folder" / "out.txt").string();
    EXPECT_EQ(errorOf([&] { io::writeFileAtomically(intoMissingFolder, "x"); }),
              "Cannot write file \"" + intoMissingFolder + "\": No such file or directory");

    // A write cut short by the file size limit leaves the old content and no temporary file.
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    const rlimit small{16, limit.rlim_max};
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ::setrlimit(RLIMIT_FSIZE, &small);
    const std::string message = errorOf([&] { io::writeFileAtomically(target, std::string(100000, 'x')); });
    ::setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(message, "Cannot write file \"" + target + "\": File too large");
    EXPECT_EQ(io::readFile(target), "1 1 2 \n");
    EXPECT_EQ(entriesIn(dir.path()), 1u);
}

TEST(Files, JoinPathAndChangeDirectory)
{
    EXPECT_EQ(io::joinPath("/data/mice", "a.tps"), "/data/mice/a.tps");
    EXPECT_EQ(io::joinPath("/data/mice/", "a.tps"), "/data/mice/a.tps");
    EXPECT_EQ(io::joinPath("", "a.tps"), "a.tps");

    const fs::path before = fs::current_path();
    test::TempDir dir;
    io::changeDirectory(dir.path().string());
    EXPECT_EQ(fs::current_path(), fs::canonical(dir.path()));
    fs::current_path(before);
    const std::string missing = (dir.path() / "gone").string();
    EXPECT_EQ(errorOf([&] { io::changeDirectory(missing); }),
              "Cannot make the folder \"" + missing + "\" the current folder: No such file or directory");
}

}  // namespace
