#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

#include "platform/numtext.h"

using namespace vezedo::platform;

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
