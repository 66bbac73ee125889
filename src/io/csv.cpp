#include "io/csv.h"

#include <charconv>

#include "io/lines.h"
#include "platform/error.h"

namespace vezedo::io {

std::string csvField(std::string_view text)
{
    if (text.find_first_of(",\"\r\n") == std::string_view::npos)
        return std::string(text);
    std::string out = "\"";
    for (char ch : text) {
        if (ch == '"')
            out += '"';
        out += ch;
    }
    return out + '"';
}

std::string shortestNumber(double value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::vector<CsvRow> parseCsvRows(std::string_view text, std::string_view fileName)
{
    std::vector<CsvRow> rows;
    CsvRow row;
    std::string field;
    int line = 1;
    row.line = line;
    std::size_t i = 0;
    // The length of the line end at i (LF, CRLF or a lone CR), 0 when there is none.
    const auto lineEndAt = [&text](std::size_t at) -> std::size_t {
        if (text[at] == '\n')
            return 1;
        if (text[at] == '\r')
            return at + 1 < text.size() && text[at + 1] == '\n' ? 2 : 1;
        return 0;
    };
    const auto endRow = [&] {
        row.fields.push_back(std::move(field));
        field.clear();
        rows.push_back(std::move(row));
        row = CsvRow{};
    };
    while (i < text.size()) {
        const char ch = text[i];
        if (ch == '"' && field.empty()) {
            const int opened = line;
            ++i;
            for (;;) {
                if (i >= text.size())
                    throw FileFormatError(std::string(fileName), opened, "a quoted field is never closed");
                if (text[i] == '"') {
                    if (i + 1 < text.size() && text[i + 1] == '"') {
                        field += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                if (text[i] == '\n' || (text[i] == '\r' && lineEndAt(i) == 1))
                    ++line;
                field += text[i++];
            }
            if (i < text.size() && text[i] != ',' && lineEndAt(i) == 0)
                throw FileFormatError(std::string(fileName), line,
                                      "a closing quote must end its field; found \"" +
                                          shownText(std::string_view(&text[i], 1)) + "\" after it");
            continue;
        }
        if (ch == ',') {
            row.fields.push_back(std::move(field));
            field.clear();
            ++i;
        } else if (const std::size_t n = lineEndAt(i); n > 0) {
            endRow();
            ++line;
            row.line = line;
            i += n;
        } else {
            field += ch;
            ++i;
        }
    }
    if (!field.empty() || !row.fields.empty())
        endRow();
    return rows;
}

std::vector<std::vector<std::string>> parseCsv(std::string_view text, std::string_view fileName)
{
    std::vector<std::vector<std::string>> out;
    for (CsvRow& row : parseCsvRows(text, fileName))
        out.push_back(std::move(row.fields));
    return out;
}

bool looksLikeFormula(std::string_view text)
{
    return !text.empty() && (text.front() == '=' || text.front() == '+' || text.front() == '-' || text.front() == '@');
}

std::string formulaLike(const std::vector<std::string>& texts, std::size_t most)
{
    std::string out;
    std::size_t found = 0;
    for (const std::string& text : texts) {
        if (!looksLikeFormula(text))
            continue;
        if (++found > most) {
            out += ", ...";
            break;
        }
        out += (out.empty() ? "\"" : ", \"") + text + "\"";
    }
    return out;
}

}  // namespace vezedo::io
