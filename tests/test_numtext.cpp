#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <string>

#include "platform/numtext.h"

using namespace vezedo::platform;

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

struct ParseCase {
    std::string text;
    Matrix expected;
};

void PrintTo(const ParseCase& c, std::ostream* os)
{
    *os << "text \"" << c.text << "\"";
}

} // namespace

class NumericTextValid : public testing::TestWithParam<ParseCase> {};

TEST_P(NumericTextValid, ReadsMatrix)
{
    EXPECT_EQ(parseNumericText(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Layouts, NumericTextValid,
                         testing::Values(ParseCase{"1 2 3", Matrix::rowVector({1, 2, 3})},
                                         ParseCase{"  [ 1 , 2,3 ]  ", Matrix::rowVector({1, 2, 3})},
                                         ParseCase{"\t7\t", Matrix::scalar(7)},
                                         ParseCase{"1;2;", Matrix::fromRows({{1}, {2}})},
                                         ParseCase{"1 2;", Matrix::rowVector({1, 2})},
                                         ParseCase{";;1 2;;3 4;;", Matrix::fromRows({{1, 2}, {3, 4}})},
                                         ParseCase{"1 2\n3 4\n", Matrix::fromRows({{1, 2}, {3, 4}})},
                                         ParseCase{"[1 2\r\n3 4]", Matrix::fromRows({{1, 2}, {3, 4}})}));

INSTANTIATE_TEST_SUITE_P(NumberForms, NumericTextValid,
                         testing::Values(ParseCase{"-3 +4", Matrix::rowVector({-3, 4})},
                                         ParseCase{"1 -2", Matrix::rowVector({1, -2})},
                                         ParseCase{"1,-2", Matrix::rowVector({1, -2})},
                                         ParseCase{".5 5.", Matrix::rowVector({0.5, 5})},
                                         ParseCase{"1e3 1E-3 2.5e+2", Matrix::rowVector({1000, 0.001, 250})},
                                         ParseCase{"0.1 0.3", Matrix::rowVector({0.1, 0.3})},
                                         ParseCase{"Inf -inf +INF", Matrix::rowVector({kInf, -kInf, kInf})},
                                         ParseCase{"1e999 -1e999 1e-999", Matrix::rowVector({kInf, -kInf, 0})}));

TEST(NumericText, NotANumberInAnyCase)
{
    const Matrix m = parseNumericText("NaN nan -NAN");
    ASSERT_EQ(m.numel(), 3u);
    for (double v : m.values())
        EXPECT_TRUE(std::isnan(v));
}

class NumericTextInvalid : public testing::TestWithParam<std::string> {};

TEST_P(NumericTextInvalid, GivesEmptyMatrix)
{
    EXPECT_TRUE(parseNumericText(GetParam()).empty());
}

INSTANTIATE_TEST_SUITE_P(Rejected, NumericTextInvalid,
                         testing::Values("", "   ", "[]", "abc", "1 a", "pi", "2i", "1 - 2", "1-2", "+ 1", "--1", "1:5",
                                         "[1 2", "1 2]", "[[1 2]]", "]1 2[", "1 2;3", "1;2 3", "1,,2", "1, ,2", ",1",
                                         "1,", "1,;2", "1e", "1e+", "1.2.3", ".", "0x10", "2.5d3", "Infinity", "nan5",
                                         "1 2 % comment"));

struct TextCase {
    Matrix value;
    std::string expected;
};

class NumberToTextCases : public testing::TestWithParam<TextCase> {};

TEST_P(NumberToTextCases, WritesBoxText)
{
    EXPECT_EQ(numberToText(GetParam().value), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(WholeNumbers, NumberToTextCases,
                         testing::Values(TextCase{Matrix::scalar(7), "7"}, TextCase{Matrix::scalar(-5), "-5"},
                                         TextCase{Matrix::scalar(-0.0), "0"}, TextCase{Matrix(), ""},
                                         TextCase{Matrix::rowVector({1, 2, 3}), "1  2  3"},
                                         TextCase{Matrix::rowVector({1, 10, 100}), "1   10  100"},
                                         TextCase{Matrix::rowVector({-1, 2}), "-1   2"},
                                         TextCase{Matrix::fromRows({{1}, {2}}), "1\n2"},
                                         TextCase{Matrix::fromRows({{1, 2}, {10, 20}}), " 1   2\n10  20"}));

INSTANTIATE_TEST_SUITE_P(
    OtherNumbers, NumberToTextCases,
    testing::Values(TextCase{Matrix::scalar(std::numbers::pi), "3.1416"}, TextCase{Matrix::scalar(123.456), "123.456"},
                    TextCase{Matrix::scalar(0.5), "0.5"}, TextCase{Matrix::scalar(12345.678), "12345.678"},
                    TextCase{Matrix::scalar(1e-7), "1e-07"}, TextCase{Matrix::scalar(1e20), "1e+20"},
                    TextCase{Matrix::rowVector({1, 2.5}), "1  2.5"},
                    TextCase{Matrix::rowVector({NAN, kInf, -kInf}), "NaN   Inf  -Inf"}));

class NumericTextRoundTrip : public testing::TestWithParam<Matrix> {};

TEST_P(NumericTextRoundTrip, WholeMatricesReadBackUnchanged)
{
    EXPECT_EQ(parseNumericText(numberToText(GetParam())), GetParam());
}

INSTANTIATE_TEST_SUITE_P(WholeMatrices, NumericTextRoundTrip,
                         testing::Values(Matrix::scalar(0), Matrix::rowVector({1, -2, 300}),
                                         Matrix::fromRows({{-1, 20}, {300, -4000}, {5, 6}}),
                                         Matrix::fromRows({{7}, {-8}, {9}}),
                                         Matrix::rowVector({999999999999999.0, -1})));

TEST(IntegerText, WholeNumbersAsDigitsOthersAsFormatFallback)
{
    EXPECT_EQ(integerText(3), "3");
    EXPECT_EQ(integerText(-12), "-12");
    EXPECT_EQ(integerText(0), "0");
    EXPECT_EQ(integerText(4503599627370497.0), "4503599627370497");
    EXPECT_EQ(integerText(1.5), "1.500000e+00");
}
