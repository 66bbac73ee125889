#include <gtest/gtest.h>

#include "gui/gui.h"
#include "harness.h"

using namespace vezedo;
using platform::Value;

TEST(IsVarName, AcceptsOnlyShortWordsStartingWithALetterThatAreNoKeyword)
{
    const struct {
        const char* name;
        Value input;
        bool valid;
    } cases[] = {
        {"letters, digit and underscore", Value("a_1"), true},
        {"mixed case", Value("EndBox1"), true},
        {"31 characters", Value(std::string(31, 'x')), true},
        {"32 characters", Value(std::string(32, 'x')), false},
        {"empty", Value(""), false},
        {"a hyphen", Value("Load-File"), false},
        {"a leading digit", Value("1abc"), false},
        {"a leading underscore", Value("_abc"), false},
        {"a keyword", Value("for"), false},
        {"a keyword in other case", Value("For"), true},
        {"another keyword", Value("end"), false},
        {"a blank", Value("a b"), false},
        {"a number", Value(3.0), false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(gui::isvarname(c.input), c.valid) << c.name;
}

TEST(IsKeyword, RecognisesEveryListedKeywordCaseSensitively)
{
    const struct {
        const char* word;
        bool keyword;
    } cases[] = {{"persistent", true}, {"switch", true}, {"Persistent", false}, {"elif", false}, {"", false}};
    for (const auto& c : cases)
        EXPECT_EQ(gui::iskeyword(c.word), c.keyword) << '"' << c.word << '"';
    for (const std::string& word : gui::keywords())
        EXPECT_TRUE(gui::iskeyword(word)) << word;
}

TEST(VarNameRows, AnswerAsTheFunctionsDoWithOneOrZeroAndIsKeywordWithoutInputListsTheKeywordsInOrder)
{
    test::Harness h;
    const auto& reg = h.program.registry();
    const struct {
        const char* function;
        const char* input;
        double answer;
    } cases[] = {
        {"iskeyword", "switch", 1}, {"iskeyword", "Switch", 0}, {"isvarname", "ok_2", 1}, {"isvarname", "2ok", 0}};
    for (const auto& c : cases)
        EXPECT_EQ(reg.call(c.function, {Value(c.input)}, 1).at(0), Value(c.answer)) << c.function << " " << c.input;

    const Value list = reg.call("iskeyword", {}, 1).at(0);
    ASSERT_TRUE(list.isCell());
    const auto& words = gui::keywords();
    ASSERT_EQ(list.cell().size(), words.size());
    for (std::size_t i = 0; i < words.size(); ++i)
        EXPECT_EQ(list.cell()[i], Value(words[i])) << "keyword " << i + 1;
}
