#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "platform/error.h"
#include "platform/textformat.h"

using namespace vezedo::platform;

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

struct FormatCase {
    std::string format;
    std::vector<Value> args;
    std::string expected;
};

void PrintTo(const FormatCase& c, std::ostream* os)
{
    *os << "format \"" << c.format << "\"";
}

} // namespace

class FormatTextCases : public testing::TestWithParam<FormatCase> {};

TEST_P(FormatTextCases, WritesExpectedText)
{
    const FormatCase& p = GetParam();
    EXPECT_EQ(formatText(p.format, p.args), p.expected);
}

INSTANTIATE_TEST_SUITE_P(ItemsAndRepetition, FormatTextCases,
                         testing::Values(FormatCase{"%i %i %i \\n", {Matrix::rowVector({3, 1, 2})}, "3 1 2 \n"},
                                         FormatCase{" %f ", {Matrix::rowVector({1.5, 2})}, " 1.500000  2.000000 "},
                                         FormatCase{"%d,", {Matrix::fromRows({{1, 2}, {3, 4}})}, "1,3,2,4,"},
                                         FormatCase{"%d %d\\n", {Matrix::rowVector({1, 2, 3})}, "1 2\n3 "},
                                         FormatCase{"%s=%d;", {"x", 1, "y", 2}, "x=1;y=2;"},
                                         FormatCase{"%s|", {"ab", Matrix::rowVector({1, 2})}, "ab|1|2|"},
                                         FormatCase{"%d and %s", {}, " and "}, FormatCase{"%d!", {Matrix()}, "!"},
                                         FormatCase{"no conversion\\n", {1, 2}, "no conversion\n"},
                                         FormatCase{"%d", {LandmarkSet(Matrix::fromRows({{1, 2, 3}}))}, "123"}));

INSTANTIATE_TEST_SUITE_P(Texts, FormatTextCases,
                         testing::Values(FormatCase{"%s \\n", {"proto.txt"}, "proto.txt \n"},
                                         FormatCase{"Loaded Protocol is : %s", {"a.txt"}, "Loaded Protocol is : a.txt"},
                                         FormatCase{"%c%c", {"ab"}, "ab"}, FormatCase{"%c-%s", {"abc"}, "a-bc"},
                                         FormatCase{"%d", {"A"}, "65"}, FormatCase{"%d %d", {"AB"}, "65 66"},
                                         FormatCase{"[%s]", {""}, "[]"},
                                         FormatCase{"%5s|%-4s|", {"ab", "cd"}, "   ab|cd  |"},
                                         FormatCase{"%.2s", {"abcdef"}, "ab"}));

INSTANTIATE_TEST_SUITE_P(
    Numbers, FormatTextCases,
    testing::Values(FormatCase{"%3.0f", {7.0}, "  7"}, FormatCase{"%5.2f|", {3.14159}, " 3.14|"},
                    FormatCase{"%-5d|%+d|%05d", {42, 5, 42}, "42   |+5|00042"},
                    FormatCase{"%x %o %X", {255, 8, 171}, "ff 10 AB"}, FormatCase{"%e", {12345.678}, "1.234568e+04"},
                    FormatCase{"%g", {0.0001}, "0.0001"}, FormatCase{"%s %s", {3, 2.5}, "3 2.5"},
                    FormatCase{"%c%c", {72, 0x263A}, "H\xE2\x98\xBA"}, FormatCase{"%d", {-7}, "-7"},
                    FormatCase{"%u", {-3}, "-3"}, FormatCase{"%d", {9007199254740992.0}, "9007199254740992"},
                    FormatCase{"%i", {1.5}, "1.500000e+00"}, FormatCase{"%8d|", {-2.25}, "-2.250000e+00|"},
                    FormatCase{"%.2d", {1.5}, "1.50"}, FormatCase{"%x", {-1}, "-1.000000e+00"}));

INSTANTIATE_TEST_SUITE_P(NotANumber, FormatTextCases,
                         testing::Values(FormatCase{"%d %f %g", {Matrix::rowVector({NAN, NAN, NAN})}, "NaN NaN NaN"},
                                         FormatCase{"%5.1f|", {kInf}, "  Inf|"}, FormatCase{"%d", {-kInf}, "-Inf"},
                                         FormatCase{"%-5e|", {-kInf}, "-Inf |"}));

INSTANTIATE_TEST_SUITE_P(EscapesAndLiterals, FormatTextCases,
                         testing::Values(FormatCase{"100%% done", {}, "100% done"},
                                         FormatCase{"a\\tb\\\\c", {}, "a\tb\\c"}, FormatCase{"\\\\n", {}, "\\n"},
                                         FormatCase{"%q%", {1}, "%q%"}, FormatCase{"%ld|%lu", {4, 5}, "4|5"}));

TEST(FormatText, RecordsAndListsCannotBeFormatted)
{
    EXPECT_THROW(formatText("%d", {Value(Record())}), vezedo::Error);
    EXPECT_THROW(formatText("%s", {Value(CellList{1})}), vezedo::Error);
}

struct DisplayCase {
    std::string name;
    Value value;
    std::string expected;
};

void PrintTo(const DisplayCase& c, std::ostream* os)
{
    *os << "display of " << c.name;
}

class DisplayValueForms : public testing::TestWithParam<DisplayCase> {};

TEST_P(DisplayValueForms, ShowsNameThenValue)
{
    const DisplayCase& p = GetParam();
    EXPECT_EQ(displayValue(p.name, p.value), p.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, DisplayValueForms,
    testing::Values(DisplayCase{"x", 5, "x =\n   5\n\n"},
                    DisplayCase{"v", Matrix::rowVector({1, 2, 3}), "v =\n   1   2   3\n\n"},
                    DisplayCase{"m", Matrix::fromRows({{1, -20, 3}, {4, 5, 6}}),
                                "m =\n     1   -20     3\n     4     5     6\n\n"},
                    DisplayCase{"f", Matrix::rowVector({1.5, -2}), "f =\n    1.5000   -2.0000\n\n"},
                    DisplayCase{"big", Matrix::rowVector({123456.5, 1}), "big =\n   1.2346e+05   1.0000e+00\n\n"},
                    DisplayCase{"n", Matrix::rowVector({NAN, 1}), "n =\n   NaN     1\n\n"},
                    DisplayCase{"t", "hello", "t =\nhello\n\n"}, DisplayCase{"e", Value(), "e =\n     []\n\n"},
                    DisplayCase{"c", CellList{1, "ab", Matrix::fromRows({{1, 2}, {3, 4}})},
                                "c =\n    1\n    'ab'\n    [1 2; 3 4]\n\n"},
                    DisplayCase{"c", CellList{}, "c =\n     {}\n\n"}));

TEST(DisplayValue, RecordListsFieldsInOrder)
{
    Record r;
    r.set("name", "a");
    r.set("size", Matrix::rowVector({2, 3.5}));
    EXPECT_EQ(displayValue("r", r), "r =\n    name: 'a'\n    size: [2 3.5]\n\n");
}

TEST(DisplayValue, LandmarkSetShowsEachSpecimen)
{
    LandmarkSet set(1, 2);
    set(0, 0, 0) = 1;
    set(0, 2, 1) = 9;
    EXPECT_EQ(displayValue("L", set), "L(:,:,1) =\n   1   0   0\n\nL(:,:,2) =\n   0   0   9\n\n");
}
