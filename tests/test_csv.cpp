#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "harness.h"
#include "io/csv.h"

using namespace vezedo;
using test::errorOf;

namespace {

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
