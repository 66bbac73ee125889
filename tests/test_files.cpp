#include <gtest/gtest.h>

#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>

#include "harness.h"
#include "io/csv.h"
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
    // Only regular files are read: a named pipe would wait for a writer for ever.
    const std::string pipe = (dir.path() / "pipe.txt").string();
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    for (const std::string& path : {dir.path().string(), pipe, std::string("/dev/zero")})
        EXPECT_EQ(errorOf([&] { io::readFile(path); }), "Cannot open file \"" + path + "\": it is not a regular file");
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

// What is on disk is never lost: a read-only file is refused, a link stays a link and its
// target is replaced, and any legal name can be written.
TEST(Files, WritesKeepWhatIsOnDisk)
{
    test::TempDir dir;
    const std::string readOnly = dir.write("locked.txt", "kept\n");
    fs::permissions(readOnly, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_EQ(errorOf([&] { io::writeFileAtomically(readOnly, "new"); }),
              "Cannot write file \"" + readOnly + "\": Permission denied");
    EXPECT_EQ(io::readFile(readOnly), "kept\n");

    const std::string target = dir.write("real.txt", "old");
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);
    const fs::path link = dir.path() / "link.txt";
    fs::create_symlink("real.txt", link);
    io::writeFileAtomically(link.string(), "through the link");
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(link)));
    EXPECT_EQ(io::readFile(target), "through the link");
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);

    const fs::path dangling = dir.path() / "dangling.txt";
    fs::create_symlink("made-by-the-write.txt", dangling);
    io::writeFileAtomically(dangling.string(), "new file");
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dangling)));
    EXPECT_EQ(io::readFile((dir.path() / "made-by-the-write.txt").string()), "new file");

    const std::string longest = (dir.path() / (std::string(246, 'n') + ".txt")).string();  // 250 bytes
    io::writeFileAtomically(longest, "fits");
    EXPECT_EQ(io::readFile(longest), "fits");
    EXPECT_EQ(entriesIn(dir.path()), 6u);  // no temporary file left behind
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

TEST(Csv, FieldsAreQuotedOnlyWhenTheyMust)
{
    const std::pair<std::string, std::string> cases[] = {
        {"plain", "plain"},   {"two words", "two words"},           {"", ""},
        {"a,b", "\"a,b\""},   {"say \"hi\"", "\"say \"\"hi\"\"\""}, {"two\nlines", "\"two\nlines\""},
        {"cr\r", "\"cr\r\""},
    };
    for (const auto& [text, field] : cases)
        EXPECT_EQ(io::csvField(text), field) << text;
}

TEST(Csv, NumbersAreTheShortestTextThatReadsBack)
{
    for (double v : {0.1, 1.0 / 3, 12.0, 1e-300, 123456789012345678.0, -2.5, 5e-324}) {
        const std::string text = io::shortestNumber(v);
        EXPECT_EQ(std::strtod(text.c_str(), nullptr), v) << text;
        for (std::size_t cut = 1; cut < text.size(); ++cut) {
            const std::string shorter = text.substr(0, cut);
            if (shorter.back() != '.' && shorter.back() != 'e' && shorter.back() != '-') {
                EXPECT_NE(std::strtod(shorter.c_str(), nullptr), v) << shorter;
            }
        }
    }
    EXPECT_EQ(io::shortestNumber(0.1), "0.1");
    EXPECT_EQ(io::shortestNumber(12), "12");
}

TEST(Csv, ParsesWhatTheWriterWritesAndRfcQuoting)
{
    using Rows = std::vector<std::vector<std::string>>;
    const std::pair<std::string, Rows> cases[] = {
        {"a,b\n1,2\n", {{"a", "b"}, {"1", "2"}}},
        {"a,b\r\n1,2", {{"a", "b"}, {"1", "2"}}},
        {"\"x,y\",\"say \"\"hi\"\"\"\n", {{"x,y", "say \"hi\""}}},
        {"\"two\nlines\",3\n", {{"two\nlines", "3"}}},
        {",,\n", {{"", "", ""}}},
        {"", {}},
    };
    for (const auto& [text, rows] : cases)
        EXPECT_EQ(io::parseCsv(text, "f.csv"), rows) << text;
    EXPECT_EQ(errorOf([] { io::parseCsv("a\n\"open,1\n", "f.csv"); }),
              "File f.csv, line 2: a quoted field is never closed");
    EXPECT_EQ(errorOf([] { io::parseCsv("\"a\"b,1\n", "f.csv"); }),
              "File f.csv, line 1: a closing quote must end its field; found \"b\" after it");
}

}  // namespace
