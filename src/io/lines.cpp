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

}  // namespace vezedo::io
