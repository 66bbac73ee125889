#include "io/csv.h"

#include <charconv>

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

std::vector<std::vector<std::string>> parseCsv(std::string_view text, std::string_view fileName)
{
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> row;
    std::string field;
    int line = 1;
    std::size_t i = 0;
    const auto endRow = [&] {
        row.push_back(std::move(field));
        field.clear();
        rows.push_back(std::move(row));
        row.clear();
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
                if (text[i] == '\n')
                    ++line;
                field += text[i++];
            }
            if (i < text.size() && text[i] != ',' && text[i] != '\n' && text[i] != '\r')
                throw FileFormatError(std::string(fileName), line,
                                      "a closing quote must end its field; found \"" + std::string(1, text[i]) +
                                          "\" after it");
            continue;
        }
        if (ch == ',') {
            row.push_back(std::move(field));
            field.clear();
            ++i;
        } else if (ch == '\n' || (ch == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) {
            endRow();
            ++line;
            i += ch == '\r' ? 2 : 1;
        } else {
            field += ch;
            ++i;
        }
    }
    if (!field.empty() || !row.empty())
        endRow();
    return rows;
}

}  // namespace vezedo::io
