#include "io/lines.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__) && defined(__x86_64__)
#include <emmintrin.h>
#endif

namespace vezedo::io {

std::size_t countLineFeeds(const char* p, const char* end)
{
    std::size_t n = 0;
#if defined(__SSE2__) && defined(__x86_64__)
    // Sixteen bytes at a time: each match subtracts -1 from its byte's counter, and the
    // counters are summed before any of them can pass 255.
    const __m128i feed = _mm_set1_epi8('\n');
    const __m128i zero = _mm_setzero_si128();
    while (end - p >= 16) {
        const auto blocks = std::min<std::ptrdiff_t>((end - p) / 16, 255);
        __m128i counters = zero;
        for (std::ptrdiff_t i = 0; i < blocks; ++i, p += 16)
            counters =
                _mm_sub_epi8(counters, _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), feed));
        const __m128i sums = _mm_sad_epu8(counters, zero);
        n += static_cast<std::size_t>(_mm_cvtsi128_si64(sums)) +
             static_cast<std::size_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(sums, sums)));
    }
#endif
    for (; p != end; ++p)
        n += *p == '\n';
    return n;
}

LineEnds surveyLineEnds(const char* p, const char* end)
{
    LineEnds found;
    const auto atReturn = [&](const char* r) { found.loneCr |= r + 1 == end || r[1] != '\n'; };
#if defined(__SSE2__) && defined(__x86_64__)
    const __m128i feed = _mm_set1_epi8('\n');
    const __m128i carriageReturn = _mm_set1_epi8('\r');
    const __m128i zero = _mm_setzero_si128();
    while (end - p >= 16) {
        const auto blocks = std::min<std::ptrdiff_t>((end - p) / 16, 255);
        __m128i counters = zero;
        for (std::ptrdiff_t i = 0; i < blocks; ++i, p += 16) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            counters = _mm_sub_epi8(counters, _mm_cmpeq_epi8(bytes, feed));
            for (auto returns = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, carriageReturn)));
                 returns != 0; returns &= returns - 1)
                atReturn(p + std::countr_zero(returns));
        }
        const __m128i sums = _mm_sad_epu8(counters, zero);
        found.feeds += static_cast<std::size_t>(_mm_cvtsi128_si64(sums)) +
                       static_cast<std::size_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(sums, sums)));
    }
#endif
    for (; p != end; ++p) {
        found.feeds += *p == '\n';
        if (*p == '\r')
            atReturn(p);
    }
    return found;
}

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
