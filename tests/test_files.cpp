#include <gtest/gtest.h>

#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <random>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "harness.h"
#include "io/csv.h"
#include "io/files.h"
#include "io/lines.h"
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
    const std::string content("a\r\nb\tc\xff", 7);
    EXPECT_EQ(io::readFile(dir.write("bytes.bin", content)), content);
    EXPECT_EQ(io::readFile(dir.write("empty.txt", "")), "");
    // A NUL byte past the first 4 KiB is no reason to refuse: only the start is looked at.
    const std::string lateNul = std::string(5000, 'x') + '\0';
    EXPECT_EQ(io::readFile(dir.write("late_nul.txt", lateNul)), lateNul);
}

struct UnreadableCase {
    const char* name;
    std::function<std::string(test::TempDir&)> make;  // the path to read
    std::string reason;                               // after "Cannot open/read file \"path\": "
};

class ReadFileRefuses : public ::testing::TestWithParam<UnreadableCase> {};

TEST_P(ReadFileRefuses, NamingTheFileAndTheReason)
{
    test::TempDir dir;
    const std::string path = GetParam().make(dir);
    const std::string message = errorOf([&] { io::readFile(path); });
    EXPECT_TRUE(message == "Cannot open file \"" + path + "\": " + GetParam().reason ||
                message == "Cannot read file \"" + path + "\": " + GetParam().reason)
        << message;
}

std::string sparseFile(test::TempDir& dir, const char* name, off_t size)
{
    const std::string path = dir.write(name, "");
    fs::resize_file(path, static_cast<std::uintmax_t>(size));
    return path;
}

const UnreadableCase kUnreadable[] = {
    {"Missing", [](test::TempDir& d) { return (d.path() / "missing.txt").string(); }, "it does not exist"},
    {"Folder", [](test::TempDir& d) { return d.path().string(); }, "it is a folder"},
    {"NamedPipe",
     [](test::TempDir& d) {
         const std::string pipe = (d.path() / "pipe.txt").string();
         EXPECT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
         return pipe;
     },
     "it is a named pipe"},
    {"Device", [](test::TempDir&) { return std::string("/dev/zero"); }, "it is a device"},
    {"NulBytes", [](test::TempDir& d) { return sparseFile(d, "zeros.txt", 1 << 20); },
     "it is not a text file (byte 1 is a NUL byte)"},
    {"NulInAShortFile", [](test::TempDir& d) { return d.write("short.txt", std::string("LM=1\n1 2\0 3\n", 13)); },
     "it is not a text file (byte 9 is a NUL byte)"},
    {"PastTheSizeLimit",
     [](test::TempDir& d) { return sparseFile(d, "huge.tps", static_cast<off_t>(io::kMaxLandmarkFileBytes) + 1); },
     "it holds 2147483649 bytes, more than the 2 GiB a file read here may have"},
};

INSTANTIATE_TEST_SUITE_P(Files, ReadFileRefuses, ::testing::ValuesIn(kUnreadable),
                         [](const auto& testCase) { return std::string(testCase.param.name); });

TEST(Files, ReadFileRefusesAFileLargerThanTheGivenLimit)
{
    test::TempDir dir;
    const std::string path = dir.write("protocol.txt", std::string(300, '1'));
    EXPECT_EQ(io::readFile(path, 300), std::string(300, '1'));
    EXPECT_EQ(errorOf([&] { io::readFile(path, 299); }),
              "Cannot read file \"" + path +
                  "\": it holds 300 bytes, more than the 299 bytes a file read here may have");
}

TEST(Files, ReadFileSaysWhenPermissionIsDenied)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads any file";
    test::TempDir dir;
    const std::string path = dir.write("locked.tps", "LM=1\n1 2 3\n");
    fs::permissions(path, fs::perms::none);
    EXPECT_EQ(errorOf([&] { io::readFile(path); }), "Cannot open file \"" + path + "\": permission denied");
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

// A save never puts a plain file in place of a named pipe, a socket or a device, also not
// through a link to one.
struct SpecialTargetCase {
    const char* name;
    std::function<std::string(test::TempDir&)> make;  // the path to save to
    std::string kind;
    fs::file_type type;  // what must still be at the target afterwards
};

class WriteFileRefuses : public ::testing::TestWithParam<SpecialTargetCase> {};

TEST_P(WriteFileRefuses, ATargetThatIsNoRegularFile)
{
    test::TempDir dir;
    const std::string path = GetParam().make(dir);
    EXPECT_EQ(errorOf([&] { io::writeFileAtomically(path, "1 1 2 \n"); }),
              "Cannot write file \"" + path + "\": it is " + GetParam().kind + ", not a regular file");
    EXPECT_EQ(fs::status(path).type(), GetParam().type);
}

const SpecialTargetCase kSpecialTargets[] = {
    {"NamedPipe",
     [](test::TempDir& d) {
         const std::string pipe = (d.path() / "out.txt").string();
         EXPECT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
         return pipe;
     },
     "a named pipe", fs::file_type::fifo},
    {"Socket",
     [](test::TempDir& d) {
         const std::string path = (d.path() / "out.sock").string();
         sockaddr_un address{};
         address.sun_family = AF_UNIX;
         EXPECT_LT(path.size(), sizeof address.sun_path);
         path.copy(address.sun_path, sizeof address.sun_path - 1);
         const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
         EXPECT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
         ::close(fd);  // the socket file stays
         return path;
     },
     "a socket", fs::file_type::socket},
    {"LinkToADevice",
     [](test::TempDir& d) {
         const fs::path link = d.path() / "null.txt";
         fs::create_symlink("/dev/null", link);
         return link.string();
     },
     "a device", fs::file_type::character},
};

INSTANTIATE_TEST_SUITE_P(Files, WriteFileRefuses, ::testing::ValuesIn(kSpecialTargets),
                         [](const auto& testCase) { return std::string(testCase.param.name); });

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

// Line feeds are counted sixteen bytes at a time with byte counters summed every 255 blocks:
// the count must be that of one byte at a time at every length, offset and density.
TEST(LineFeeds, CountedInBlocksAsOneByOne)
{
    std::mt19937 random(7);
    std::string mixed(70000, 'x');
    for (char& ch : mixed)
        ch = random() % 5 == 0 ? '\n' : static_cast<char>(random() % 256);
    const struct {
        const char* name;
        std::string text;
    } cases[] = {
        {"empty", ""},
        {"one", "\n"},
        {"fifteen then a feed", std::string(15, 'a') + "\n"},
        {"sixteen then a feed", std::string(16, 'a') + "\n"},
        {"feeds at block edges", "\n" + std::string(14, ' ') + "\n\n" + std::string(14, ' ') + "\n\n"},
        {"nothing but feeds, past every counter's 255", std::string(255 * 16 * 3 + 5, '\n')},
        {"bytes that differ from a feed by one bit", std::string(100, '\x0b') + std::string(100, '\x8a')},
        {"random bytes", mixed},
    };
    for (const auto& c : cases)
        for (const std::size_t offset : {0u, 1u, 7u, 15u})
            if (offset <= c.text.size()) {
                const char* first = c.text.data() + offset;
                const char* last = c.text.data() + c.text.size();
                EXPECT_EQ(io::countLineFeeds(first, last), static_cast<std::size_t>(std::count(first, last, '\n')))
                    << c.name << ", from byte " << offset;
            }
}

TEST(Csv, ALoneCrEndsALineAsInTheOtherReaders)
{
    using Rows = std::vector<std::vector<std::string>>;
    EXPECT_EQ(io::parseCsv("name,from,to\ra,1,2\r\"b\",3,4\r", "f.csv"),
              (Rows{{"name", "from", "to"}, {"a", "1", "2"}, {"b", "3", "4"}}));
    // A CR after a closing quote ends the row; it never becomes part of the name.
    EXPECT_EQ(io::parseCsv("\"a\"\r,1,2\n", "f.csv"), (Rows{{"a"}, {"", "1", "2"}}));
}

TEST(Csv, RowsKnowTheFileLineTheyStartOn)
{
    const std::vector<io::CsvRow> rows = io::parseCsvRows("name,from,to\r\n\"two\nlines\",1,2\r\rc,3,4\n", "f.csv");
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[1].line, 2);
    EXPECT_EQ(rows[2].line, 4);  // a blank line, after the line break inside the quoted name
    EXPECT_EQ(rows[3].line, 5);
}

}  // namespace
