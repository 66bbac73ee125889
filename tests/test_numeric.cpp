#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <filesystem>
#include <random>

#include "harness.h"
#include "io/numeric.h"
#include "io/sizetable.h"
#include "platform/error.h"

using namespace vezedo;
using platform::Matrix;
using platform::Value;
namespace fs = std::filesystem;

using vezedo::test::RestoreCurrentFolder;

namespace {

TEST(NumericTable, ReadsAsTheLineRulesSay)
{
    const Matrix twoByFour = Matrix::fromRows({{1, 2, 3, 4}, {5, 6, 7, 8}});
    const std::pair<std::string, Matrix> cases[] = {
        {"1 2 3 4\n5 6 7 8\n", twoByFour},
        {"1,2\t3 , 4,\r\n 5\t\t6,7   8\r\n", twoByFour},  // blanks, tabs and commas separate
        // Blank lines are passed over wherever they are; the last line counts whatever its
        // length; LF, CRLF and a lone CR all end a line.
        {"1 2\n3 4\n\n5 6\n", Matrix::fromRows({{1, 2}, {3, 4}, {5, 6}})},
        {"\n \t\n1 2\n\n\n3 4\n \n", Matrix::fromRows({{1, 2}, {3, 4}})},
        {"1\n2\n3", Matrix::fromRows({{1}, {2}, {3}})},
        {"1\n2\n3\n", Matrix::fromRows({{1}, {2}, {3}})},
        {"7", Matrix::scalar(7)},
        {"7\n\n8\n", Matrix::fromRows({{7}, {8}})},
        {"1 2\r3 4\r5 6", Matrix::fromRows({{1, 2}, {3, 4}, {5, 6}})},
        {"1 2\r\n\r\n3 4\r\n", Matrix::fromRows({{1, 2}, {3, 4}})},
        {" \n\r\n", Matrix()},
        {"-1.5e2 +2 .5 Inf -infinity\n", Matrix::rowVector({-150, 2, 0.5, INFINITY, -INFINITY})},
        {"1e400 -1e400 1e-400 0.0001e309\n", Matrix::rowVector({INFINITY, -INFINITY, 0.0, 1e305})},
        {std::string("\xEF\xBB\xBF") + "1 2\n", Matrix::rowVector({1, 2})},  // a byte order mark is passed over
        {"", Matrix()}};
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(io::parseNumericTable(text, "t.txt"), expected) << text;
}

TEST(NumericTable, RefusesARaggedOrTextLineNamingFileAndLine)
{
    const std::string ragged = "; every line must hold as many numbers as line 1";
    const std::string expected = "; expected numbers separated by blanks, tabs or commas";
    const std::pair<std::string, std::string> cases[] = {
        {"1 2 3\n4 5 6\n7 8\n", "line 3: found 2 numbers, but line 1 holds 3" + ragged},
        {"1 2\r3 4\r5\r", "line 3: found 1 numbers, but line 1 holds 2" + ragged},
        {"\n\n1 2\n3\n", "line 4: found 1 numbers, but line 3 holds 2; every line must hold as many numbers as line 3"},
        {"1 2\n3 four\n", "line 2: \"four\" is not a number" + expected},
        {"1.5mm 2\n", "line 1: \"1.5mm\" is not a number" + expected},
        {"1,2,3\n4,,5\n", "line 2: a comma without a number before it" + expected}};
    for (const auto& [text, message] : cases) {
        try {
            io::parseNumericTable(text, "specimens.txt");
            ADD_FAILURE() << "no error for " << text;
        } catch (const FileFormatError& e) {
            EXPECT_EQ(std::string(e.what()), "File specimens.txt, " + message);
        }
    }
}

// Every plain decimal must read to the same double as the standard's correctly rounded
// conversion, including near the 2^53 and 10^22 limits of the quick path.
struct PartlyCodedRow {
    const char* name;
    std::string text;
    std::string message;
};

class SpecimenTableRefuses : public ::testing::TestWithParam<PartlyCodedRow> {};

TEST_P(SpecimenTableRefuses, NamingTheLine)
{
    EXPECT_EQ(test::errorOf([&] { io::parseSpecimenTable(GetParam().text, "t.txt"); }), GetParam().message);
}

const std::string kSomeOnly = " is missing in some coordinates only; a missing landmark has NA, NaN, -999 or -9999 "
                              "as all three of x, y and z";

// A landmark is missing only when all three of its numbers carry the same code.
const PartlyCodedRow kPartlyCoded[] = {
    {"TwoOfMinus999", "1 2 3 4 5 6 10\n-999 -999 5 4 5 6 10\n",
     "File t.txt, line 2: specimen 2, landmark 1" + kSomeOnly},
    {"OneOfMinus9999", "1 2 3 4 -9999 6 10\n", "File t.txt, line 1: specimen 1, landmark 2" + kSomeOnly},
    {"NaAndMinus999", "a 1 2 3 NA -999 -999 10\n", "File t.txt, line 1: specimen 1, landmark 2" + kSomeOnly},
};

INSTANTIATE_TEST_SUITE_P(PartlyCoded, SpecimenTableRefuses, ::testing::ValuesIn(kPartlyCoded),
                         [](const auto& testCase) { return std::string(testCase.param.name); });

const PartlyCodedRow kOtherRows[] = {
    // An ID alone would name the next line's numbers: refused rather than shifting every name.
    {"IdWithoutNumbers", "a 1 2 3 4 5 6 10\nb\nc 1 2 3 4 5 6 10\n",
     "File t.txt, line 2: found the ID \"b\" without numbers after it; every line with an ID must hold its "
     "specimen's numbers"},
    {"FirstLineIdWithoutNumbers", "\nskull1\t\n",
     "File t.txt, line 2: found the ID \"skull1\" without numbers "
     "after it; every line with an ID must hold its specimen's numbers"},
    // A line that is no row is reported before a landmark coded in part on an earlier line.
    {"RaggedRowAfterACodedOne", "1 2 3 -999 5 6 10\n1 2 3\n",
     "File t.txt, line 2: found 3 numbers, but line 1 holds 7; every line must hold as many numbers as line 1"},
    {"InfiniteCoordinate", "1 2 inf 4 5 6 10\n",
     "File t.txt, line 1: specimen 1, landmark 1 has an infinite coordinate"},
    {"RowNumbersPassOverBlankLines", "\n1 2 3 4 5 6 10\n\n1 -999 3 4 5 6 10\n",
     "File t.txt, line 4: specimen 2, landmark 1" + kSomeOnly},
    {"CommaBeforeTheId", ", a 1 2 3 4 5 6 10\n",
     "File t.txt, line 1: a comma without a number before it; expected numbers separated by blanks, tabs or commas"},
};

INSTANTIATE_TEST_SUITE_P(OtherRows, SpecimenTableRefuses, ::testing::ValuesIn(kOtherRows),
                         [](const auto& testCase) { return std::string(testCase.param.name); });

// The same two specimens as editors and spreadsheets write them: IDs and numbers read the same.
TEST(SpecimenTable, ReadsIdsAndNumbersInEveryLayout)
{
    const Matrix expected = Matrix::fromRows({{1, 2, 3, 4, 5, 6, 10}, {7, 8, 9, 10, 11, 12, 20}});
    const std::pair<const char*, std::string> cases[] = {
        {"blanks", "a 1 2 3 4 5 6 10\nb 7 8 9 10 11 12 20\n"},
        {"commas", "a,1,2,3,4,5,6,10\nb,7,8,9,10,11,12,20"},
        {"tabs and CRLF", "a\t1\t2\t3\t4\t5\t6\t10\r\nb\t7 8 9 10 11 12 20\r\n"},
        {"lone CRs, leading blanks, a blank line", "  a 1 2 3 4 5 6 10\r\r b 7 8 9 10 11 12 20\r"},
        {"byte-order mark", "\xEF\xBB\xBF"
                            "a 1 2 3 4 5 6 10\nb 7 8 9 10 11 12 20\n"},
    };
    for (const auto& [name, text] : cases) {
        const io::SpecimenTable read = io::parseSpecimenTable(text, "t.txt");
        EXPECT_EQ(read.table, expected) << name;
        EXPECT_EQ(read.ids, (std::vector<std::string>{"a", "b"})) << name;
    }
    const io::SpecimenTable plain = io::parseSpecimenTable("1 2 3 4 5 6 10\n7 8 9 10 11 12 20\n", "t.txt");
    EXPECT_EQ(plain.table, expected);
    EXPECT_TRUE(plain.ids.empty());

    // Three equal codes, or three NaNs, make a landmark missing; the size column is left alone.
    const io::SpecimenTable coded =
        io::parseSpecimenTable("a -999 -999 -999 4 5 6 -999\nb 7 8 9 NA nan NaN 20\n", "t.txt");
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Matrix marked = Matrix::fromRows({{nan, nan, nan, 4, 5, 6, -999}, {7, 8, 9, nan, nan, nan, 20}});
    ASSERT_EQ(coded.table.rows(), 2u);
    ASSERT_EQ(coded.table.cols(), 7u);
    for (std::size_t r = 0; r < 2; ++r)
        for (std::size_t col = 0; col < 7; ++col)
            EXPECT_TRUE(coded.table(r, col) == marked(r, col) ||
                        (std::isnan(coded.table(r, col)) && std::isnan(marked(r, col))))
                << r << ", " << col;
}

TEST(NumericTable, ShowsANulByteInARefusedEntry)
{
    EXPECT_EQ(test::errorOf([] { io::parseNumericTable(std::string("1 2\0x 3\n", 9), "t.txt"); }),
              "File t.txt, line 1: \"2\\0x\" is not a number; expected numbers separated by blanks, tabs or commas");
}

TEST(NumericTable, NumbersAreCorrectlyRounded)
{
    std::mt19937_64 random(7);
    for (int i = 0; i < 20000; ++i) {
        std::string text = std::to_string(random() >> (random() % 64));
        text.insert(random() % (text.size() + 1), ".");
        if (random() % 4 == 0)
            text.insert(0, std::string(random() % 20, '0'));
        double expected = 0.0;
        std::from_chars(text.data(), text.data() + text.size(), expected);
        double got = -1.0;
        ASSERT_EQ(io::scanNumber(text.data(), text.data() + text.size(), got), text.data() + text.size()) << text;
        ASSERT_EQ(got, expected) << text;
    }
}

TEST(IoRows, LoadersReadTheChosenFileMakeItsFolderCurrentAndGiveMinusOneWhenUnreadable)
{
    const RestoreCurrentFolder restore;
    const fs::path& before = restore.before;
    test::TempDir dir;
    test::Harness h;
    const Value table(Matrix::fromRows({{1, 1, 2}, {2, 2, 3}}));
    const std::string path = dir.write("wire.txt", "1 1 2 \n2 2 3 \n");
    const std::string missing = (dir.path() / "missing.txt").string();
    EXPECT_EQ(io::dload(path), table);
    EXPECT_EQ(io::dload(missing), Value(-1.0));
    EXPECT_EQ(h.program.registry().call("dload", {Value(path)}, 1)[0], table);
    EXPECT_THROW(h.program.registry().call("dload", {Value(3.0)}, 1), Error);

    for (const auto& [function, filter] : {std::pair{"mfload", "*.*"}, {"mfloadtxt", "*.txt"}}) {
        SCOPED_TRACE(function);
        const auto call = [&, function = function] { return h.program.registry().call(function, {Value(1.0)}, 2); };
        h.dialogs.queuePath(path);
        EXPECT_EQ(call(), (std::vector<Value>{table, Value("wire.txt")}));
        EXPECT_EQ(fs::current_path(), fs::canonical(dir.path()));
        EXPECT_EQ(h.dialogs.requests().back().filter, filter);
        EXPECT_EQ(h.dialogs.requests().back().title, "Enter file to Load?");

        // Cancelled: no table, the name 0, the folder unchanged.
        fs::current_path(before);
        h.dialogs.queueCancel();
        EXPECT_EQ(call(), (std::vector<Value>{Value(), Value(0.0)}));
        EXPECT_EQ(fs::current_path(), before);

        h.dialogs.queuePath(missing);
        EXPECT_EQ(call()[0], Value(-1.0));
        fs::current_path(before);
    }
}

}  // namespace
