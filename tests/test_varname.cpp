#include <gtest/gtest.h>

#include "gui/gui.h"
#include "harness.h"

using namespace vezedo;
using platform::Value;

TEST(IsVarName, AcceptsOnlyShortWordsStartingWithALetterThatAreNoKeyword)
{
    for (const auto& [input, valid] : std::vector<std::pair<Value, bool>>{{Value("a_1"), true},
                                                                          {Value("EndBox1"), true},
                                                                          {Value(std::string(31, 'x')), true},
                                                                          {Value(std::string(32, 'x')), false},
                                                                          {Value(""), false},
                                                                          {Value("Load-File"), false},
                                                                          {Value("1abc"), false},
                                                                          {Value("_abc"), false},
                                                                          {Value("for"), false},
                                                                          {Value("For"), true},
                                                                          {Value("end"), false},
                                                                          {Value("a b"), false},
                                                                          {Value(3.0), false}})
        EXPECT_EQ(gui::isvarname(input), valid) << input.describe();
}

TEST(IsKeyword, KnowsTheSeventeenWordsInOrderCaseSensitivelyAlsoThroughTheRegistry)
{
    const auto& words = gui::keywords();
    ASSERT_EQ(words.size(), 17u);
    EXPECT_EQ(words.front(), "break");
    EXPECT_EQ(words[5], "elseif");
    EXPECT_EQ(words.back(), "while");
    EXPECT_TRUE(gui::iskeyword("persistent"));
    EXPECT_FALSE(gui::iskeyword("Persistent"));
    EXPECT_FALSE(gui::iskeyword("elif"));

    test::Harness h;
    const auto& reg = h.program.registry();
    EXPECT_EQ(reg.call("iskeyword", {Value("switch")}, 1).at(0), Value(1.0));
    EXPECT_EQ(reg.call("iskeyword", {Value("Switch")}, 1).at(0), Value(0.0));
    EXPECT_EQ(reg.call("isvarname", {Value("ok_2")}, 1).at(0), Value(1.0));
    const Value list = reg.call("iskeyword", {}, 1).at(0);
    ASSERT_TRUE(list.isCell());
    ASSERT_EQ(list.cell().size(), words.size());
    for (std::size_t i = 0; i < words.size(); ++i)
        EXPECT_EQ(list.cell()[i], Value(words[i]));
}
