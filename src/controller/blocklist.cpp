#include "controller/blocklist.h"

#include <charconv>

#include "platform/error.h"

namespace vezedo::controller {

namespace {

// As a matrix of whole numbers is typed: blanks and commas within a row, semicolons and line
// breaks between rows, brackets around it all.
bool isSeparator(char ch)
{
    return ch == ' ' || ch == '\t' || ch == ',' || ch == ';' || ch == '\n' || ch == '\r' || ch == '[' || ch == ']';
}

std::string shown(std::string_view item)
{
    constexpr std::size_t kLongest = 40;
    return item.size() > kLongest ? std::string(item.substr(0, kLongest)) + "..." : std::string(item);
}

}  // namespace

session::BlockStructure::Lines parseBlockList(std::string_view text, std::size_t protocolLines, Zeros zeros)
{
    session::BlockStructure::Lines lines;
    std::size_t i = 0;
    while (i < text.size()) {
        if (isSeparator(text[i])) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < text.size() && !isSeparator(text[end]))
            ++end;
        const std::string_view item = text.substr(i, end - i);
        i = end;
        std::size_t line = 0;
        const char* first = item.data() + (item.starts_with('+') ? 1 : 0);
        const auto [ptr, ec] = std::from_chars(first, item.data() + item.size(), line);
        if (ec != std::errc() || ptr != item.data() + item.size() || first == item.data() + item.size())
            throw Error("\"" + shown(item) +
                        "\" is not a protocol line number: list whole numbers separated by blanks, commas, "
                        "semicolons or line breaks");
        if (line > protocolLines)
            throw Error("the protocol has no line " + shown(item) + " (it has " +
                        (protocolLines == 0 ? std::string("no lines") : "lines 1 to " + std::to_string(protocolLines)) +
                        ")");
        if (line == 0 && zeros == Zeros::Skip)
            continue;
        lines.push_back(line);
    }
    return lines;
}

}  // namespace vezedo::controller
