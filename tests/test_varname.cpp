#include <gtest/gtest.h>

#include "gui/gui.h"
#include "harness.h"

using vezedo::gui::isvarname;
using vezedo::platform::Value;

struct NameCase {
    Value input;
    bool valid;
};

class IsVarName : public testing::TestWithParam<NameCase> {};

TEST_P(IsVarName, AcceptsOnlyShortWordsStartingWithALetter)
{
    EXPECT_EQ(isvarname(GetParam().input), GetParam().valid) << GetParam().input.describe();
}

INSTANTIATE_TEST_SUITE_P(
    Names, IsVarName,
    testing::Values(NameCase{Value("a_1"), true}, NameCase{Value("EndBox1"), true},
                    NameCase{Value(std::string(31, 'x')), true}, NameCase{Value(std::string(32, 'x')), false},
                    NameCase{Value(""), false}, NameCase{Value("Load-File"), false}, NameCase{Value("1abc"), false},
                    NameCase{Value("_abc"), false}, NameCase{Value("for"), false}, NameCase{Value("For"), true},
                    NameCase{Value("end"), false}, NameCase{Value("a b"), false}, NameCase{Value(3.0), false}));

TEST(IsKeyword, KnowsTheSeventeenWordsInOrderAndIsCaseSensitive)
{
    const auto& words = vezedo::gui::keywords();
    ASSERT_EQ(words.size(), 17u);
    EXPECT_EQ(words.front(), "break");
    EXPECT_EQ(words[5], "elseif");
    EXPECT_EQ(words.back(), "while");
    EXPECT_TRUE(vezedo::gui::iskeyword("persistent"));
    EXPECT_FALSE(vezedo::gui::iskeyword("Persistent"));
    EXPECT_FALSE(vezedo::gui::iskeyword("elif"));
}

TEST(IsKeyword, ThroughTheRegistryGivesTruthValuesOrTheWholeList)
{
    vezedo::test::Harness h;
    const auto& reg = h.program.registry();
    EXPECT_EQ(reg.call("iskeyword", {Value("switch")}, 1).at(0), Value(1.0));
    EXPECT_EQ(reg.call("iskeyword", {Value("Switch")}, 1).at(0), Value(0.0));
    EXPECT_EQ(reg.call("isvarname", {Value("ok_2")}, 1).at(0), Value(1.0));
    const Value list = reg.call("iskeyword", {}, 1).at(0);
    ASSERT_TRUE(list.isCell());
    ASSERT_EQ(list.cell().size(), 17u);
    EXPECT_EQ(list.cell()[16], Value("while"));
}
