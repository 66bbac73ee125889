#include <algorithm>
#include <cctype>

#include "gui/gui.h"

namespace vezedo::gui {

const std::vector<std::string>& keywords()
{
    static const std::vector<std::string> list{"break",      "case",   "catch",    "continue", "else", "elseif",
                                               "end",        "for",    "function", "global",   "if",   "otherwise",
                                               "persistent", "return", "switch",   "try",      "while"};
    return list;
}

bool iskeyword(std::string_view s)
{
    const auto& list = keywords();
    return std::find(list.begin(), list.end(), s) != list.end();
}

bool isvarname(const Value& s)
{
    if (!s.isString())
        return false;
    const std::string& text = s.string();
    constexpr std::size_t kMaxNameLength = 31;
    if (text.empty() || text.size() > kMaxNameLength || text.find('\n') != std::string::npos)
        return false;
    auto isLetter = [](char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; };
    if (!isLetter(text.front()))
        return false;
    const bool allWordChars = std::all_of(text.begin(), text.end(), [&](char c) {
        return isLetter(c) || std::isdigit(static_cast<unsigned char>(c)) || c == '_';
    });
    return allWordChars && !iskeyword(text);
}

}  // namespace vezedo::gui
