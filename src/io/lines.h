#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vezedo::io {

// The lines of a text, without their ends. A line ends at LF, CRLF or a lone CR; a line end
// at the very end of the text starts no further line.
std::vector<std::string_view> splitLines(std::string_view text);

// Where the line that starts at `p` ends (before its line end), and where the next starts.
struct LineSpan {
    const char* contentEnd;
    const char* next;
};
LineSpan lineAt(const char* p, const char* end);

// The text with every CRLF and lone CR made a LF, or nullopt when it holds no lone CR (then
// the text can be read as it is, a CR before a LF being a blank).
std::optional<std::string> withLineFeeds(std::string_view text);

// How many line feeds stand in [first, last): the readers' line numbers.
std::size_t countLineFeeds(const char* first, const char* last);

// What one pass over a text finds about its line ends: how many LFs, and whether a CR stands
// alone somewhere (then withLineFeeds() rewrites the text).
struct LineEnds {
    std::size_t feeds = 0;
    bool loneCr = false;
};
LineEnds surveyLineEnds(const char* first, const char* last);

// The fields of a line separated by blanks and tabs, empty ones left out.
std::vector<std::string_view> splitBlanks(std::string_view text);

// The text as a message quotes it: a NUL byte, which would end the message where it is
// shown, becomes the two characters \0.
std::string shownText(std::string_view text);

}  // namespace vezedo::io
