#include "session/protocolfile.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

#include "io/csv.h"

#include "platform/error.h"
#include "platform/numtext.h"
#include "platform/textformat.h"

namespace vezedo::session {

using platform::Matrix;
using platform::Value;

namespace {

constexpr double kPlaceholder = -1;

bool isPlaceholder(const Matrix& table)
{
    return table.rows() == 1 && table.cols() == 3 && table(0, 0) == kPlaceholder && table(0, 1) == kPlaceholder &&
           table(0, 2) == kPlaceholder;
}

}  // namespace

std::string protocolFileText(const Protocol& protocol)
{
    const Matrix rows =
        protocol.empty() ? Matrix::rowVector({kPlaceholder, kPlaceholder, kPlaceholder}) : protocol.rows();
    std::string text;
    for (std::size_t i = 0; i < rows.rows(); ++i)
        text += platform::formatText("%i %i %i \\n", {Value(Matrix::rowVector(rows.row(i)))});
    return text;
}

Protocol protocolFromTable(const Matrix& table, std::size_t landmarks)
{
    if (table.empty())
        throw Error("The file holds no protocol lines.");
    if (isPlaceholder(table))
        return Protocol();
    if (table.cols() < 3)
        throw Error("Each line needs a line number and two landmark numbers; line 1 holds " +
                    std::to_string(table.cols()) + (table.cols() == 1 ? " number." : " numbers."));
    if (landmarks == 0)
        throw Error("No specimens are loaded yet: load specimens before a protocol.");
    std::vector<ProtocolLine> lines(table.rows());
    for (std::size_t i = 0; i < table.rows(); ++i) {
        ProtocolLine& line = lines[i];
        line.stored = table(i, 0);
        for (std::size_t c = 1; c <= 2; ++c) {
            const double v = table(i, c);
            if (std::floor(v) != v || v < 1 || v > static_cast<double>(landmarks))
                throw Error("Line " + std::to_string(i + 1) + " names landmark " + platform::numberToText(v) +
                            ", but the shape has landmarks 1 to " + std::to_string(landmarks) + ".");
            (c == 1 ? line.from : line.to) = static_cast<std::size_t>(v);
        }
        if (line.from == line.to)
            throw Error("Line " + std::to_string(i + 1) + " joins landmark " + std::to_string(line.from) +
                        " to itself; a line needs two different landmarks.");
        for (std::size_t c = 3; c < table.cols(); ++c)
            line.extra.push_back(table(i, c));
    }
    return Protocol(std::move(lines));
}

namespace {

std::string trimmed(std::string_view field)
{
    const std::size_t from = field.find_first_not_of(" \t");
    if (from == std::string_view::npos)
        return "";
    return std::string(field.substr(from, field.find_last_not_of(" \t") - from + 1));
}

std::string trimmedLower(std::string_view field)
{
    const std::size_t from = field.find_first_not_of(" \t");
    if (from == std::string_view::npos)
        return "";
    const std::size_t to = field.find_last_not_of(" \t");
    std::string out(field.substr(from, to - from + 1));
    for (char& ch : out)
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return out;
}

std::string_view firstLine(std::string_view text)
{
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (line.find_first_not_of(" \t\r") != std::string_view::npos)
            return line;
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return {};
}

}  // namespace

std::string protocolCsvText(const Protocol& protocol)
{
    std::string text = "name,from,to\n";
    for (const ProtocolLine& line : protocol.lines())
        text += io::csvField(line.name) + "," + std::to_string(line.from) + "," + std::to_string(line.to) + "\n";
    return text;
}

namespace {

// The fields of the first line with anything on it, unquoted, trimmed and in lower case;
// empty when that line is no CSV row.
std::vector<std::string> headerFields(std::string_view text)
{
    std::vector<std::string> names;
    try {
        const std::vector<io::CsvRow> rows = io::parseCsvRows(firstLine(text), "");
        if (!rows.empty())
            for (const std::string& field : rows.front().fields)
                names.push_back(trimmedLower(field));
    } catch (const Error&) {
    }
    return names;
}

bool isColumnName(const std::string& field)
{
    return field == "name" || field == "from" || field == "to";
}

}  // namespace

bool isProtocolCsv(std::string_view text)
{
    // Any column name makes a CSV protocol, so that a header in another order or with a
    // repeated column is told so rather than read as numbers.
    const std::vector<std::string> names = headerFields(text);
    return std::any_of(names.begin(), names.end(), isColumnName);
}

Protocol protocolFromCsv(std::string_view text, std::size_t landmarks, std::string_view fileName,
                         const std::vector<std::string>& landmarkNames)
{
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    const std::vector<io::CsvRow> rows = io::parseCsvRows(text, fileName);
    std::vector<ProtocolLine> lines;
    bool header = true;
    for (const io::CsvRow& row : rows) {
        const std::string where = "Line " + std::to_string(row.line);
        if (row.fields.size() == 1 && trimmedLower(row.fields[0]).empty())
            continue;  // a blank line
        if (header) {
            header = false;
            std::vector<std::string> names;
            for (const std::string& field : row.fields)
                names.push_back(trimmedLower(field));
            if (names != std::vector<std::string>{"name", "from", "to"}) {
                std::string found;
                for (const std::string& field : row.fields)
                    found += (found.empty() ? "" : ",") + io::csvField(field);
                throw Error(where + " is the header \"" + found +
                            "\"; the header of a CSV protocol must be name,from,to, these three columns in this "
                            "order.");
            }
            continue;
        }
        if (row.fields.size() != 3)
            throw Error(where + " has " + std::to_string(row.fields.size()) +
                        " fields; each row of a CSV protocol holds a name, the first and the second landmark.");
        if (landmarks == 0)
            throw Error("No specimens are loaded yet: load specimens before a protocol.");
        ProtocolLine line;
        line.stored = static_cast<double>(lines.size() + 1);
        line.name = row.fields[0];
        for (std::size_t c = 1; c <= 2; ++c) {
            const std::string field = trimmedLower(row.fields[c]);
            std::size_t value = 0;
            const auto [ptr, ec] = std::from_chars(field.data(), field.data() + field.size(), value);
            const auto named = std::find(landmarkNames.begin(), landmarkNames.end(), trimmed(row.fields[c]));
            if (named != landmarkNames.end() && !named->empty())
                value = static_cast<std::size_t>(named - landmarkNames.begin()) + 1;
            else if (ec != std::errc() || ptr != field.data() + field.size() || field.empty() || value < 1 ||
                     value > landmarks)
                throw Error(where + " names landmark \"" + row.fields[c] + "\", but the shape has landmarks 1 to " +
                            std::to_string(landmarks) + (landmarkNames.empty() ? "" : ", or one of their names") + ".");
            (c == 1 ? line.from : line.to) = value;
        }
        if (line.from == line.to)
            throw Error(where + " joins landmark " + std::to_string(line.from) +
                        " to itself; a line needs two different landmarks.");
        lines.push_back(std::move(line));
    }
    return Protocol(std::move(lines));
}

}  // namespace vezedo::session
