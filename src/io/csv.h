#pragma once

#include <string>
#include <string_view>
#include <vector>

// Comma-separated values as RFC 4180 has them: fields separated by commas, a field in double
// quotes when it holds a comma, a quote or a line break, a quote inside doubled.
namespace vezedo::io {

// The field as written: quoted only when it must be.
std::string csvField(std::string_view text);
// Whether a spreadsheet opening a CSV file would take this text for a formula: it begins with
// "=", "+", "-" or "@". The files keep such text as it is (R reads them, and IDs must come back
// unchanged); the loads that bring such text in say so.
bool looksLikeFormula(std::string_view text);
// The first texts among `texts` that look like formulas, quoted and joined: "\"=A1\", \"+3\"",
// with "..." past `most`; empty when none does.
std::string formulaLike(const std::vector<std::string>& texts, std::size_t most = 5);

// The shortest text that reads back to the same double ("0.1", "12", "1e-300").
std::string shortestNumber(double value);

// One row of a CSV text and the file line it starts on.
struct CsvRow {
    std::vector<std::string> fields;
    int line = 0;
    bool operator==(const CsvRow&) const = default;
};

// The rows of a CSV text; the line end after the last row starts no further row. Lines end
// in LF, CRLF or a lone CR. Throws a FileFormatError naming the file and line for a quote
// that is never closed or a character after a closing quote.
std::vector<CsvRow> parseCsvRows(std::string_view text, std::string_view fileName);

// The same rows without their lines.
std::vector<std::vector<std::string>> parseCsv(std::string_view text, std::string_view fileName);

}  // namespace vezedo::io
