#include "io/sizetable.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

#include "io/lines.h"
#include "io/numeric.h"
#include "platform/error.h"

namespace vezedo::io {

namespace {

bool isFieldEnd(char ch)
{
    return ch == ' ' || ch == '\t' || ch == ',' || ch == '\r';
}

bool isNumberOrMissing(std::string_view field)
{
    double value = 0;
    const char* end = field.data() + field.size();
    if (scanNumber(field.data(), end, value) == end)
        return true;
    return field.size() == 2 && (field[0] == 'N' || field[0] == 'n') && (field[1] == 'A' || field[1] == 'a');
}

}  // namespace

void markMissingLandmarks(platform::Matrix& table, std::size_t landmarks, std::string_view fileName,
                          const std::vector<int>& lineOf)
{
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    for (std::size_t r = 0; r < table.rows(); ++r) {
        const int line = r < lineOf.size() ? lineOf[r] : static_cast<int>(r + 1);
        for (std::size_t i = 0; i < landmarks; ++i) {
            double* xyz[3] = {&table(r, 3 * i), &table(r, 3 * i + 1), &table(r, 3 * i + 2)};
            const int nans = std::isnan(*xyz[0]) + std::isnan(*xyz[1]) + std::isnan(*xyz[2]);
            const auto isCode = [](double v) { return std::isnan(v) || v == -999 || v == -9999; };
            const int codes = isCode(*xyz[0]) + isCode(*xyz[1]) + isCode(*xyz[2]);
            const double first = *xyz[0];
            const bool coded = (first == -999 || first == -9999) && *xyz[1] == first && *xyz[2] == first;
            if (nans == 3 || coded) {
                *xyz[0] = *xyz[1] = *xyz[2] = kNaN;
                continue;
            }
            if (codes != 0)
                throw FileFormatError(std::string(fileName), line,
                                      "specimen " + std::to_string(r + 1) + ", landmark " + std::to_string(i + 1) +
                                          " is missing in some coordinates only; a missing landmark has NA, NaN, "
                                          "-999 or -9999 as all three of x, y and z");
            if (std::isinf(*xyz[0]) || std::isinf(*xyz[1]) || std::isinf(*xyz[2]))
                throw FileFormatError(std::string(fileName), line,
                                      "specimen " + std::to_string(r + 1) + ", landmark " + std::to_string(i + 1) +
                                          " has an infinite coordinate");
        }
    }
}

namespace {

SpecimenTable readSpecimenTable(std::string_view bytes, std::string_view fileName, const ReadOptions& options)
{
    SpecimenTable out;
    const std::optional<std::string> lineFeeds = withLineFeeds(bytes);
    std::string text(lineFeeds ? *lineFeeds : bytes);
    std::size_t start = text.starts_with("\xEF\xBB\xBF") ? 3 : 0;

    // The first field of the first line with anything on it decides whether IDs lead.
    const std::vector<std::string_view> lines = splitLines(std::string_view(text).substr(start));
    bool idColumn = false;
    for (std::string_view line : lines) {
        const std::size_t from = line.find_first_not_of(" \t\r,");
        if (from == std::string_view::npos)
            continue;
        const std::size_t to = std::min(
            line.size(),
            static_cast<std::size_t>(
                std::find_if(line.begin() + static_cast<std::ptrdiff_t>(from), line.end(), isFieldEnd) - line.begin()));
        idColumn = !isNumberOrMissing(line.substr(from, to - from));
        break;
    }
    std::vector<int> lineOf;
    int number = 0;
    for (std::string_view line : lines) {
        ++number;
        const std::size_t from = line.find_first_not_of(" \t\r,");
        if (from == std::string_view::npos)
            continue;
        lineOf.push_back(number);
        if (!idColumn)
            continue;
        auto fieldEnd = std::find_if(line.begin() + static_cast<std::ptrdiff_t>(from), line.end(), isFieldEnd);
        const auto to = static_cast<std::size_t>(fieldEnd - line.begin());
        out.ids.emplace_back(line.substr(from, to - from));
        // The ID becomes blanks, so the rest keeps its line and column.
        const auto offset = static_cast<std::size_t>(line.data() - text.data());
        std::fill(text.begin() + static_cast<std::ptrdiff_t>(offset + from),
                  text.begin() + static_cast<std::ptrdiff_t>(offset + to), ' ');
        if (to < line.size() && line[to] == ',')
            text[offset + to] = ' ';
    }
    out.table = parseNumericTable(text, fileName, options);
    if (out.table.cols() >= 4 && (out.table.cols() - 1) % 3 == 0)
        markMissingLandmarks(out.table, (out.table.cols() - 1) / 3, fileName, lineOf);
    return out;
}

}  // namespace

SpecimenTable parseSpecimenTable(std::string_view bytes, std::string_view fileName, const ReadOptions& options)
{
    try {
        return readSpecimenTable(bytes, fileName, options);
    } catch (const std::bad_alloc&) {
        throw FileFormatError(std::string(fileName), 0, "there is not enough memory to read it");
    }
}

}  // namespace vezedo::io
