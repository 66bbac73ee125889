#include "io/numeric.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <limits>

#include "io/files.h"
#include "io/lines.h"
#include "platform/error.h"
#include "platform/numtext.h"

namespace vezedo::io {

using platform::Matrix;
using platform::Value;

namespace {

bool isDigit(char ch)
{
    return ch >= '0' && ch <= '9';
}

// Blanks within a line; the line feed ends the line instead.
bool isBlank(char ch)
{
    return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\v' || ch == '\f';
}

// Whether a decimal number beyond the range of doubles is too large (else it is too
// small): its decimal magnitude is the position of its first significant digit plus its
// exponent.
bool overflows(const char* first, const char* last)
{
    return platform::decimalOverflows({first, static_cast<std::size_t>(last - first)});
}

// The text of the entry starting at `p`, up to the next separator, for error messages.
std::string entryAt(const char* p, const char* end)
{
    const char* stop = std::find_if(p, end, [](char ch) { return isBlank(ch) || ch == ','; });
    const std::string text = shownText(std::string_view(p, static_cast<std::size_t>(std::min(stop, p + 40) - p)));
    return stop - p > 40 ? text + "..." : text;
}

// Appends the numbers of one line (without its line feed) to `out` and returns how many.
std::size_t parseLine(const char* p, const char* end, std::vector<double>& out, std::string_view fileName, int line)
{
    std::size_t count = 0;
    bool entrySinceComma = false;
    for (;;) {
        while (p != end && isBlank(*p))
            ++p;
        if (p == end)
            return count;
        if (*p == ',') {
            if (!entrySinceComma)
                throw FileFormatError(std::string(fileName), line,
                                      "a comma without a number before it; expected numbers separated by blanks, "
                                      "tabs or commas");
            entrySinceComma = false;
            ++p;
            continue;
        }
        double value = 0.0;
        const char* next = scanNumber(p, end, value);
        if (next == p && end - p >= 2 && (p[0] == 'N' || p[0] == 'n') && (p[1] == 'A' || p[1] == 'a') &&
            (end - p == 2 || isBlank(p[2]) || p[2] == ',')) {
            next = p + 2;  // NA: a value not available
            value = std::numeric_limits<double>::quiet_NaN();
        }
        if (next == p || (next != end && !isBlank(*next) && *next != ','))
            throw FileFormatError(std::string(fileName), line,
                                  "\"" + entryAt(p, end) +
                                      "\" is not a number; expected numbers separated by "
                                      "blanks, tabs or commas");
        out.push_back(value);
        ++count;
        entrySinceComma = true;
        p = next;
    }
}

// The end of the line starting at `p`, line feed included.
const char* lineAfter(const char* p, const char* end)
{
    const void* feed = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
    return feed ? static_cast<const char*>(feed) + 1 : end;
}

const char* contentEnd(const char* p, const char* next)
{
    return next != p && next[-1] == '\n' ? next - 1 : next;
}

}  // namespace

const char* scanNumber(const char* first, const char* last, double& value)
{
    const char* p = first;
    const bool negative = p != last && *p == '-';
    if (p != last && (*p == '+' || *p == '-'))
        ++p;
    if (p == last || *p == '+' || *p == '-')
        return first;

    // Plain decimals without exponent, the bulk of landmark files: an integer of at most
    // 2^53 divided by a power of ten of at most 10^22 is two exact doubles, and one IEEE
    // division of them is correctly rounded.
    static constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                              1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    std::uint64_t digits = 0;
    std::ptrdiff_t count = 0;
    std::ptrdiff_t decimals = 0;
    const char* q = p;
    for (; q != last && isDigit(*q); ++q, ++count)
        digits = digits * 10 + static_cast<std::uint64_t>(*q - '0');
    if (q != last && *q == '.') {
        const char* afterPoint = ++q;
        for (; q != last && isDigit(*q); ++q, ++count)
            digits = digits * 10 + static_cast<std::uint64_t>(*q - '0');
        decimals = q - afterPoint;
    }
    if (count > 0 && count <= 19 && decimals <= 22 && digits <= (std::uint64_t{1} << 53) &&
        (q == last || (*q != 'e' && *q != 'E'))) {
        const double magnitude = static_cast<double>(digits) / kPowersOfTen[decimals];
        value = negative ? -magnitude : magnitude;
        return q;
    }

    double magnitude = 0.0;
    const auto [end, ec] = std::from_chars(p, last, magnitude);
    if (ec == std::errc::invalid_argument)
        return first;
    if (ec == std::errc::result_out_of_range)
        magnitude = overflows(p, end) ? std::numeric_limits<double>::infinity() : 0.0;
    value = negative ? -magnitude : magnitude;
    return end;
}

Matrix fromRowMajor(const std::vector<double>& values, std::size_t rows, std::size_t cols)
{
    Matrix m(rows, cols);
    if (m.empty())
        return m;
    // In bands of rows, so that the rows being read stay in cache while their columns
    // are written.
    constexpr std::size_t kBand = 32;
    double* out = m.data();
    for (std::size_t r0 = 0; r0 < rows; r0 += kBand) {
        const std::size_t r1 = std::min(rows, r0 + kBand);
        for (std::size_t c = 0; c < cols; ++c)
            for (std::size_t r = r0; r < r1; ++r)
                out[c * rows + r] = values[r * cols + c];
    }
    return m;
}

Matrix parseNumericTable(std::string_view bytes, std::string_view fileName)
{
    const std::optional<std::string> lineFeeds = withLineFeeds(bytes);
    if (lineFeeds)
        bytes = *lineFeeds;
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    if (bytes.starts_with("\xEF\xBB\xBF"))  // a byte-order mark some editors write
        p += 3;

    // Blank lines are passed over wherever they are; the first line with numbers fixes the
    // column count.
    std::vector<double> values;
    std::size_t cols = 0;
    std::size_t rows = 0;
    int line = 0;
    int firstLine = 0;
    for (const char* next = p; p != end; p = next) {
        next = lineAfter(p, end);
        ++line;
        const char* stop = contentEnd(p, next);
        if (std::all_of(p, stop, isBlank))
            continue;
        const std::size_t found = parseLine(p, stop, values, fileName, line);
        if (rows == 0) {
            cols = found;
            firstLine = line;
            const auto length = static_cast<std::size_t>(next - p);
            values.reserve(std::min(bytes.size() / 2, (bytes.size() / length + 2) * cols));
        } else if (found != cols) {
            throw FileFormatError(std::string(fileName), line,
                                  "found " + std::to_string(found) + " numbers, but line " + std::to_string(firstLine) +
                                      " holds " + std::to_string(cols) +
                                      "; every line must hold as many numbers as line " + std::to_string(firstLine));
        }
        ++rows;
    }
    return rows == 0 ? Matrix() : fromRowMajor(values, rows, cols);
}

Value dload(const std::string& path)
{
    std::string bytes;
    try {
        bytes = readFile(path);
    } catch (const UnreadableFile&) {
        return Value(-1.0);
    }
    return Value(parseNumericTable(bytes, path));
}

ChosenTable readChosenTable(const platform::FileChoice& choice)
{
    const std::string path = joinPath(choice.folder, choice.name);
    std::string bytes;
    try {
        bytes = readFile(path);
    } catch (const UnreadableFile&) {
        changeDirectory(choice.folder);
        throw;
    }
    ChosenTable out{parseNumericTable(bytes, path), choice.name};
    changeDirectory(choice.folder);
    return out;
}

std::optional<platform::FileChoice> chooseTableFile(platform::Runtime& rt, std::string_view filter)
{
    return rt.dialogs.openFile(filter, "Enter file to Load?");
}

namespace {

// The registry's form: the table and the name; -1 for a file that cannot be read, and the
// number 0 as name when the user cancelled.
MatrixLoad loadChosen(platform::Runtime& rt, std::string_view filter)
{
    MatrixLoad out;
    const auto choice = chooseTableFile(rt, filter);
    if (!choice) {
        out.fn = Value(0.0);
        return out;
    }
    out.fn = Value(choice->name);
    try {
        out.y = Value(readChosenTable(*choice).table);
    } catch (const UnreadableFile&) {
        out.y = Value(-1.0);
    }
    return out;
}

}  // namespace

MatrixLoad mfload(platform::Runtime& rt)
{
    return loadChosen(rt, "*.*");
}

MatrixLoad mfloadtxt(platform::Runtime& rt)
{
    return loadChosen(rt, "*.txt");
}

}  // namespace vezedo::io
