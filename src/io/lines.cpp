#include "io/lines.h"

#include <cstring>

namespace vezedo::io {

LineSpan lineAt(const char* p, const char* end)
{
    const char* q = p;
    while (q != end && *q != '\n' && *q != '\r')
        ++q;
    if (q == end)
        return {q, q};
    if (*q == '\r' && q + 1 != end && q[1] == '\n')
        return {q, q + 2};
    return {q, q + 1};
}

std::optional<std::string> withLineFeeds(std::string_view text)
{
    // Readers take CRLF as LF with a blank before it; only a lone CR needs rewriting.
    bool loneCr = false;
    for (const char *p = text.data(), *end = p + text.size();
         (p = static_cast<const char*>(std::memchr(p, '\r', static_cast<std::size_t>(end - p)))) != nullptr; ++p) {
        if (p + 1 == end || p[1] != '\n') {
            loneCr = true;
            break;
        }
    }
    if (!loneCr)
        return std::nullopt;
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r') {
            out += text[i];
            continue;
        }
        out += '\n';
        if (i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
    }
    return out;
}

std::vector<std::string_view> splitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p != end) {
        const LineSpan line = lineAt(p, end);
        lines.emplace_back(p, static_cast<std::size_t>(line.contentEnd - p));
        p = line.next;
    }
    return lines;
}

std::string shownText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        if (ch == '\0')
            out += "\\0";
        else
            out += ch;
    }
    return out;
}

std::vector<std::string_view> splitBlanks(std::string_view text)
{
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
            ++i;
        const std::size_t start = i;
        while (i < text.size() && text[i] != ' ' && text[i] != '\t')
            ++i;
        if (i > start)
            out.push_back(text.substr(start, i - start));
    }
    return out;
}

}  // namespace vezedo::io
