#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <tuple>
#include <vector>

#include "platform/error.h"
#include "platform/numtext.h"
#include "platform/textformat.h"

using namespace vezedo::platform;

namespace {

struct FormatCase {
    std::string format;
    std::vector<Value> args;
    std::string expected;
};

void expectFormats(const std::vector<FormatCase>& cases)
{
    for (const FormatCase& c : cases)
        EXPECT_EQ(formatText(c.format, c.args), c.expected) << "format \"" << c.format << "\"";
}

}  // namespace

TEST(FormatText, ReappliesTheFormatWhileValuesRemainStopsAtAConversionWithoutDataAndConvertsWidthsAndEscapes)
{
    expectFormats({{"%i %i %i \\n", {Matrix::rowVector({3, 1, 2})}, "3 1 2 \n"},
                   {" %f ", {Matrix::rowVector({1.5, 2})}, " 1.500000  2.000000 "},
                   {"%d,", {Matrix::fromRows({{1, 2}, {3, 4}})}, "1,3,2,4,"},  // column order
                   {"%d %d\\n", {Matrix::rowVector({1, 2, 3})}, "1 2\n3 "},
                   {"%s=%d;", {"x", 1, "y", 2}, "x=1;y=2;"},
                   {"%s|", {"ab", Matrix::rowVector({1, 2})}, "ab|1|2|"},
                   {"%d and %s", {}, " and "},
                   {"%d!", {Matrix()}, "!"},
                   {"no conversion\\n", {1, 2}, "no conversion\n"},
                   {"%d", {LandmarkSet(Matrix::fromRows({{1, 2, 3}}))}, "123"}});
    EXPECT_THROW(formatText("%d", {Value(Record())}), vezedo::Error);
    EXPECT_THROW(formatText("%s", {Value(CellList{1})}), vezedo::Error);

    // Conversions, widths and escapes.
    expectFormats({{"Loaded Protocol is : %s", {"a.txt"}, "Loaded Protocol is : a.txt"},
                   {"%c%c", {"ab"}, "ab"},
                   {"%c-%s", {"abc"}, "a-bc"},
                   {"%d %d", {"AB"}, "65 66"},  // characters as numbers
                   {"[%s]", {""}, "[]"},
                   {"%5s|%-4s|%.2s", {"ab", "cd", "abcdef"}, "   ab|cd  |ab"},
                   {"%3.0f", {7.0}, "  7"},
                   {"%5.2f|", {3.14159}, " 3.14|"},
                   {"%-5d|%+d|%05d", {42, 5, 42}, "42   |+5|00042"},
                   {"%x %o %X %e %g", {255, 8, 171, 12345.678, 0.0001}, "ff 10 AB 1.234568e+04 0.0001"},
                   {"%s %s", {3, 2.5}, "3 2.5"},
                   {"%c%c", {72, 0x263A}, "H\xE2\x98\xBA"},
                   {"%u|%d", {-3, 9007199254740992.0}, "-3|9007199254740992"},
                   // A value that is not whole leaves an integer conversion for %e (%f with a precision).
                   {"%i", {1.5}, "1.500000e+00"},
                   {"%8d|", {-2.25}, "-2.250000e+00|"},
                   {"%.2d", {1.5}, "1.50"},
                   {"%x", {-1}, "-1.000000e+00"},
                   {"%d %f %g", {Matrix::rowVector({NAN, NAN, NAN})}, "NaN NaN NaN"},
                   {"%5.1f|%d|%-5e|", {INFINITY, -INFINITY, -INFINITY}, "  Inf|-Inf|-Inf |"},
                   {"100%% done", {}, "100% done"},
                   {"a\\tb\\\\c", {}, "a\tb\\c"},
                   {"\\\\n", {}, "\\n"},
                   {"%q%", {1}, "%q%"},
                   {"%ld|%lu", {4, 5}, "4|5"}});
}

TEST(DisplayValue, ShowsTheNameThenTheValueInItsKindsForm)
{
    Record r;
    r.set("name", "a");
    r.set("size", Matrix::rowVector({2, 3.5}));
    LandmarkSet set(1, 2);
    set(0, 0, 0) = 1;
    set(0, 2, 1) = 9;
    const std::tuple<std::string, Value, std::string> cases[] = {
        {"x", 5, "x =\n   5\n\n"},
        {"m", Matrix::fromRows({{1, -20, 3}, {4, 5, 6}}), "m =\n     1   -20     3\n     4     5     6\n\n"},
        {"f", Matrix::rowVector({1.5, -2}), "f =\n    1.5000   -2.0000\n\n"},
        {"big", Matrix::rowVector({123456.5, 1}), "big =\n   1.2346e+05   1.0000e+00\n\n"},
        {"n", Matrix::rowVector({NAN, 1}), "n =\n   NaN     1\n\n"},
        {"t", "hello", "t =\nhello\n\n"},
        {"e", Value(), "e =\n     []\n\n"},
        {"c", CellList{1, "ab", Matrix::fromRows({{1, 2}, {3, 4}})}, "c =\n    1\n    'ab'\n    [1 2; 3 4]\n\n"},
        {"c", CellList{}, "c =\n     {}\n\n"},
        {"r", r, "r =\n    name: 'a'\n    size: [2 3.5]\n\n"},
        {"L", set, "L(:,:,1) =\n   1   0   0\n\nL(:,:,2) =\n   0   0   9\n\n"}};
    for (const auto& [name, value, expected] : cases)
        EXPECT_EQ(displayValue(name, value), expected);
}

TEST(NumericText, ReadsLayoutsAndNumberFormsIntoAMatrix)
{
    const Matrix twoByTwo = Matrix::fromRows({{1, 2}, {3, 4}});
    const std::pair<std::string, Matrix> cases[] = {
        {"1 2 3", Matrix::rowVector({1, 2, 3})},
        {"  [ 1 , 2,3 ]  ", Matrix::rowVector({1, 2, 3})},
        {"\t7\t", Matrix::scalar(7)},
        {"1;2;", Matrix::fromRows({{1}, {2}})},
        {"1 2;", Matrix::rowVector({1, 2})},
        {";;1 2;;3 4;;", twoByTwo},
        {"1 2\n3 4\n", twoByTwo},
        {"[1 2\r\n3 4]", twoByTwo},
        {"-3 +4 1 -2", Matrix::rowVector({-3, 4, 1, -2})},
        {"1,-2", Matrix::rowVector({1, -2})},
        {".5 5.", Matrix::rowVector({0.5, 5})},
        {"1e3 1E-3 2.5e+2", Matrix::rowVector({1000, 0.001, 250})},
        {"0.1 0.3", Matrix::rowVector({0.1, 0.3})},
        {"Inf -inf +INF", Matrix::rowVector({INFINITY, -INFINITY, INFINITY})},
        {"1e999 -1e999 1e-999", Matrix::rowVector({INFINITY, -INFINITY, 0})}};
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(parseNumericText(text), expected) << "text \"" << text << "\"";

    const Matrix nan = parseNumericText("NaN nan -NAN");
    ASSERT_EQ(nan.numel(), 3u);
    for (double v : nan.values())
        EXPECT_TRUE(std::isnan(v));
}

TEST(NumericText, AnythingElseIsTheEmptyMatrixAndIsNeverEvaluated)
{
    for (const char* text :
         {"",     "   ",  "[]",   "abc",     "1 a",   "pi",    "2i",    "1 - 2",    "1-2",   "+ 1",          "--1",
          "1:5",  "[1 2", "1 2]", "[[1 2]]", "]1 2[", "1 2;3", "1;2 3", "1,,2",     "1, ,2", ",1",           "1,",
          "1,;2", "1e",   "1e+",  "1.2.3",   ".",     "0x10",  "2.5d3", "Infinity", "nan5",  "1 2 % comment"})
        EXPECT_TRUE(parseNumericText(text).empty()) << "text \"" << text << "\"";
}

TEST(NumberToText, WritesAlignedColumnsAndWholeMatricesReadBackUnchanged)
{
    const std::pair<Matrix, std::string> cases[] = {{Matrix::scalar(-5), "-5"},
                                                    {Matrix::scalar(-0.0), "0"},
                                                    {Matrix(), ""},
                                                    {Matrix::rowVector({1, 10, 100}), "1   10  100"},
                                                    {Matrix::rowVector({-1, 2}), "-1   2"},
                                                    {Matrix::fromRows({{1}, {2}}), "1\n2"},
                                                    {Matrix::fromRows({{1, 2}, {10, 20}}), " 1   2\n10  20"},
                                                    {Matrix::scalar(std::numbers::pi), "3.1416"},
                                                    {Matrix::scalar(12345.678), "12345.678"},
                                                    {Matrix::scalar(1e-7), "1e-07"},
                                                    {Matrix::scalar(1e20), "1e+20"},
                                                    {Matrix::rowVector({1, 2.5}), "1  2.5"},
                                                    {Matrix::rowVector({NAN, INFINITY, -INFINITY}), "NaN   Inf  -Inf"}};
    for (const auto& [value, expected] : cases)
        EXPECT_EQ(numberToText(value), expected);

    for (const Matrix& m : {Matrix::scalar(0), Matrix::fromRows({{-1, 20}, {300, -4000}, {5, 6}}),
                            Matrix::fromRows({{7}, {-8}, {9}}), Matrix::rowVector({999999999999999.0, -1})})
        EXPECT_EQ(parseNumericText(numberToText(m)), m) << numberToText(m);

    EXPECT_EQ(integerText(-12), "-12");
    EXPECT_EQ(integerText(4503599627370497.0), "4503599627370497");
    EXPECT_EQ(integerText(1.5), "1.500000e+00");
}
