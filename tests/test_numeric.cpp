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

TEST_P(SpecimenTableRefuses, APartlyCodedLandmarkNamingLineAndSpecimen)
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
