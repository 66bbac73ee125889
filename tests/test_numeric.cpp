#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <filesystem>
#include <random>

#include "harness.h"
#include "io/numeric.h"
#include "platform/error.h"

using namespace vezedo;
using platform::Matrix;
using platform::Value;
namespace fs = std::filesystem;

namespace {

// Puts the process back in the folder it was in, however the test ends.
struct RestoreCurrentFolder {
    std::filesystem::path before = std::filesystem::current_path();
    ~RestoreCurrentFolder() { std::filesystem::current_path(before); }
};

struct TableCase {
    const char* name;
    std::string text;
    Matrix expected;
};

class NumericTableReads : public testing::TestWithParam<TableCase> {};

TEST_P(NumericTableReads, AsTheLineRulesSay)
{
    EXPECT_EQ(io::parseNumericTable(GetParam().text, "t.txt"), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    NumericTable, NumericTableReads,
    testing::Values(TableCase{"LineFeedLines", "1 2 3 4\n5 6 7 8\n", Matrix::fromRows({{1, 2, 3, 4}, {5, 6, 7, 8}})},
                    TableCase{"BlanksTabsAndCommasSeparate", "1,2\t3 , 4,\r\n 5\t\t6,7   8\r\n",
                              Matrix::fromRows({{1, 2, 3, 4}, {5, 6, 7, 8}})},
                    TableCase{"EmptyLineFeedLineEndsReading", "1 2\n3 4\n\n5 6\n", Matrix::fromRows({{1, 2}, {3, 4}})},
                    TableCase{"FinalSingleCharacterWithoutLineEndIsNotStored", "1\n2\n3", Matrix::fromRows({{1}, {2}})},
                    TableCase{"FinalSingleCharacterWithLineEndIsStored", "1\n2\n3\n",
                              Matrix::fromRows({{1}, {2}, {3}})},
                    TableCase{"FirstLineIsStoredWhateverItsLength", "7", Matrix::scalar(7)},
                    TableCase{"FirstLineOnlyBeforeAnEmptyLine", "7\n\n8\n", Matrix::scalar(7)},
                    TableCase{"ExponentsSignsAndNonFiniteValues", "-1.5e2 +2 .5 Inf -infinity\n",
                              Matrix::rowVector({-150, 2, 0.5, INFINITY, -INFINITY})},
                    TableCase{"ByteOrderMarkIsPassedOver",
                              "\xEF\xBB\xBF"
                              "1 2\n",
                              Matrix::rowVector({1, 2})},
                    TableCase{"EmptyFile", "", Matrix()}),
    [](const auto& row) { return std::string(row.param.name); });

struct BadTableCase {
    const char* name;
    std::string text;
    std::string message;
};

class NumericTableRefuses : public testing::TestWithParam<BadTableCase> {};

TEST_P(NumericTableRefuses, NamingTheFileAndLine)
{
    try {
        io::parseNumericTable(GetParam().text, "specimens.txt");
        FAIL() << "no error";
    } catch (const FileFormatError& e) {
        EXPECT_EQ(std::string(e.what()), GetParam().message);
    }
}

INSTANTIATE_TEST_SUITE_P(
    NumericTable, NumericTableRefuses,
    testing::Values(
        BadTableCase{"ShortLine", "1 2 3\n4 5 6\n7 8\n",
                     "File specimens.txt, line 3: found 2 numbers, but line 1 holds 3; every line must hold as many "
                     "numbers as line 1"},
        // A carriage return makes the empty line two characters long: reading goes on and
        // finds a line without numbers.
        BadTableCase{"CarriageReturnEmptyLineDoesNotEndReading", "1 2\r\n\r\n3 4\r\n",
                     "File specimens.txt, line 2: found 0 numbers, but line 1 holds 2; every line must hold as many "
                     "numbers as line 1"},
        BadTableCase{"BlankOnlyLine", "1 2\n  \n3 4\n",
                     "File specimens.txt, line 2: found 0 numbers, but line 1 holds 2; every line must hold as many "
                     "numbers as line 1"},
        BadTableCase{"TextInsteadOfNumber", "1 2\n3 four\n",
                     "File specimens.txt, line 2: \"four\" is not a number; expected numbers separated by blanks, "
                     "tabs or commas"},
        BadTableCase{"NumberRunningIntoText", "1.5mm 2\n",
                     "File specimens.txt, line 1: \"1.5mm\" is not a number; expected numbers separated by blanks, "
                     "tabs or commas"},
        BadTableCase{"EmptyEntryBetweenCommas", "1,2,3\n4,,5\n",
                     "File specimens.txt, line 2: a comma without a number before it; expected numbers separated "
                     "by blanks, tabs or commas"}),
    [](const auto& row) { return std::string(row.param.name); });

// Every plain decimal must read to the same double as the standard's correctly rounded
// conversion, including near the 2^53 and 10^22 limits of the quick path.
TEST(NumericTable, NumbersAreCorrectlyRounded)
{
    std::mt19937_64 random(7);
    for (int i = 0; i < 20000; ++i) {
        std::string text = std::to_string(random() >> (random() % 64));
        const std::size_t point = random() % (text.size() + 1);
        text.insert(point, ".");
        if (random() % 4 == 0)
            text.insert(0, std::string(random() % 20, '0'));
        double expected = 0.0;
        std::from_chars(text.data(), text.data() + text.size(), expected);
        double got = -1.0;
        const char* end = io::scanNumber(text.data(), text.data() + text.size(), got);
        ASSERT_EQ(end, text.data() + text.size()) << text;
        ASSERT_EQ(got, expected) << text;
    }
}

TEST(NumericTable, NumbersBeyondTheDoubleRangeBecomeInfinityOrZero)
{
    EXPECT_EQ(io::parseNumericTable("1e400 -1e400 1e-400 0.0001e309\n", "t.txt"),
              Matrix::rowVector({INFINITY, -INFINITY, 0.0, 1e305}));
}

TEST(NumericTable, DloadGivesMinusOneForAFileThatCannotBeOpened)
{
    test::TempDir dir;
    EXPECT_EQ(io::dload((dir.path() / "missing.txt").string()), Value(-1.0));
    EXPECT_EQ(io::dload(dir.write("p.txt", "1 1 2 \n2 2 3 \n")), Value(Matrix::fromRows({{1, 1, 2}, {2, 2, 3}})));
}

struct LoaderCase {
    const char* function;
    const char* filter;
};

class NumericLoaderRows : public testing::TestWithParam<LoaderCase> {};

TEST_P(NumericLoaderRows, ReadTheChosenFileAndMakeItsFolderCurrent)
{
    const RestoreCurrentFolder restore;
    const fs::path& before = restore.before;
    test::TempDir dir;
    test::Harness h;
    const std::string path = dir.write("wire.txt", "1 1 2 \n2 2 3 \n");
    h.dialogs.queuePath(path);
    const auto out = h.program.registry().call(GetParam().function, {Value(1.0)}, 2);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0], Value(Matrix::fromRows({{1, 1, 2}, {2, 2, 3}})));
    EXPECT_EQ(out[1], Value("wire.txt"));
    EXPECT_EQ(fs::current_path(), fs::canonical(dir.path()));
    ASSERT_EQ(h.dialogs.requests().size(), 1u);
    EXPECT_EQ(h.dialogs.requests()[0].filter, GetParam().filter);
    EXPECT_EQ(h.dialogs.requests()[0].title, "Enter file to Load?");

    // Cancelled: no table, the name 0, the folder unchanged.
    fs::current_path(before);
    h.dialogs.queueCancel();
    const auto cancelled = h.program.registry().call(GetParam().function, {Value(1.0)}, 2);
    EXPECT_TRUE(cancelled[0].isEmptyMatrix());
    EXPECT_EQ(cancelled[1], Value(0.0));
    EXPECT_EQ(fs::current_path(), before);

    // Unreadable: the table is -1, as dload gives it.
    h.dialogs.queuePath((dir.path() / "missing.txt").string());
    EXPECT_EQ(h.program.registry().call(GetParam().function, {Value(1.0)}, 2)[0], Value(-1.0));
}

INSTANTIATE_TEST_SUITE_P(Io, NumericLoaderRows,
                         testing::Values(LoaderCase{"mfload", "*.*"}, LoaderCase{"mfloadtxt", "*.txt"}),
                         [](const auto& row) { return std::string(row.param.function); });

TEST(IoRows, DloadReadsTheNamedFileAndRefusesANonText)
{
    test::TempDir dir;
    test::Harness h;
    const std::string path = dir.write("t.txt", "1,2\n3,4\n");
    EXPECT_EQ(h.program.registry().call("dload", {Value(path)}, 1)[0], Value(Matrix::fromRows({{1, 2}, {3, 4}})));
    try {
        h.program.registry().call("dload", {Value(3.0)}, 1);
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "dload: the file name must be a text; found a 1 x 1 matrix");
    }
}

}  // namespace
