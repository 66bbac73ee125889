#include "io/numeric.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <limits>

#include "io/files.h"
#include "io/lines.h"
#include "platform/error.h"
#include "platform/numtext.h"
#include "platform/parallel.h"

namespace vezedo::io {

using platform::Matrix;
using platform::Value;

namespace {

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

const char* detail::scanOtherNumber(const char* first, const char* p, const char* last, bool negative, double& value)
{
    double magnitude = 0.0;
    const auto [end, ec] = std::from_chars(p, last, magnitude);
    if (ec == std::errc::invalid_argument)
        return first;
    if (ec == std::errc::result_out_of_range)
        magnitude = overflows(p, end) ? std::numeric_limits<double>::infinity() : 0.0;
    value = negative ? -magnitude : magnitude;
    return end;
}

void copyRows(const double* values, std::size_t rows, Matrix& into, std::size_t firstRow)
{
    // In bands of rows, so that the rows being read stay in cache while their columns
    // are written.
    constexpr std::size_t kBand = 32;
    const std::size_t cols = into.cols();
    const std::size_t stride = into.rows();
    double* out = into.data() + firstRow;
    for (std::size_t r0 = 0; r0 < rows; r0 += kBand) {
        const std::size_t r1 = std::min(rows, r0 + kBand);
        for (std::size_t c = 0; c < cols; ++c)
            for (std::size_t r = r0; r < r1; ++r)
                out[c * stride + r] = values[r * cols + c];
    }
}

Matrix fromRowMajor(const std::vector<double>& values, std::size_t rows, std::size_t cols)
{
    Matrix m(rows, cols);
    if (!m.empty())
        copyRows(values.data(), rows, m, 0);
    return m;
}

namespace {

// The rows of one stretch of a table, row after row.
struct TablePart {
    std::vector<double> values;
    std::size_t rows = 0;
};

// Reads the lines of [p, end) after the first line with numbers, which gave `cols` numbers
// on line `firstLine`; `line` is the number of the line before p.
// Lines of `lineLength` bytes are expected, for the room kept for the numbers.
void readRows(const char* p, const char* end, std::size_t cols, int firstLine, int line, std::size_t lineLength,
              std::string_view fileName, TablePart& part, std::atomic<std::size_t>* done,
              const std::atomic<bool>* cancel, const std::function<bool(std::size_t)>& report)
{
    const char* const begin = p;
    const char* reported = p;
    const auto length = static_cast<std::size_t>(end - p);
    part.values.reserve(part.values.size() + std::min(length / 2, (length / lineLength + 2) * cols));
    for (const char* next = p; p != end; p = next) {
        next = lineAfter(p, end);
        ++line;
        const char* stop = contentEnd(p, next);
        if (std::all_of(p, stop, isBlank))
            continue;
        const std::size_t found = parseLine(p, stop, part.values, fileName, line);
        if (found != cols) {
            throw FileFormatError(std::string(fileName), line,
                                  "found " + std::to_string(found) + " numbers, but line " + std::to_string(firstLine) +
                                      " holds " + std::to_string(cols) +
                                      "; every line must hold as many numbers as line " + std::to_string(firstLine));
        }
        ++part.rows;
        if (next - reported >= static_cast<std::ptrdiff_t>(kProgressStep)) {
            reported = next;
            if (done)
                done->store(static_cast<std::size_t>(next - begin), std::memory_order_relaxed);
            if ((cancel && cancel->load(std::memory_order_relaxed)) ||
                (report && !report(static_cast<std::size_t>(next - begin))))
                throw Cancelled();
        }
    }
}

// Line starts splitting [begin, end) into about `parts` stretches; the first entry is begin,
// the last end.
std::vector<const char*> lineStarts(const char* begin, const char* end, std::size_t parts)
{
    std::vector<const char*> points{begin};
    const auto step = static_cast<std::size_t>(end - begin) / parts;
    for (std::size_t i = 1; i < parts; ++i) {
        const char* p = std::max(begin + i * step, points.back());
        const void* feed = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
        if (!feed || static_cast<const char*>(feed) + 1 == end)
            break;
        points.push_back(static_cast<const char*>(feed) + 1);
    }
    points.push_back(end);
    return points;
}

// The rows after the first line with numbers, read in parallel stretches, or nullopt when a
// stretch holds a refusal (the serial read then says which comes first).
std::optional<std::vector<TablePart>> readInParts(const char* p, const char* end, std::size_t cols, int firstLine,
                                                  std::size_t lineLength, std::string_view fileName,
                                                  const ReadOptions& options, std::size_t threads, std::size_t total)
{
    const std::vector<const char*> points = lineStarts(p, end, threads);
    const std::size_t count = points.size() - 1;
    if (options.progress && !options.progress(total - static_cast<std::size_t>(end - p), total))
        throw Cancelled();
    std::vector<TablePart> parts(count);
    std::vector<std::atomic<std::size_t>> done(count);
    std::atomic<bool> stop{false};
    const auto work = [&](std::size_t i) {
        readRows(points[i], points[i + 1], cols, firstLine, 0, lineLength, fileName, parts[i], &done[i], &stop, {});
    };
    std::function<void()> poll;
    if (options.progress)
        poll = [&] {
            std::size_t sum = total - static_cast<std::size_t>(end - p);
            for (const auto& d : done)
                sum += d.load(std::memory_order_relaxed);
            if (!stop.load() && !options.progress(sum, total))
                stop.store(true);
        };
    const std::vector<std::exception_ptr> failures = platform::runParts(count, work, poll);
    if (stop.load())
        throw Cancelled();
    if (platform::anyRefused(failures))
        return std::nullopt;
    return parts;
}

}  // namespace

Matrix parseNumericTable(std::string_view bytes, std::string_view fileName, const ReadOptions& options)
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
    std::vector<TablePart> parts(1);
    std::size_t cols = 0;
    int line = 0;
    int firstLine = 0;
    std::size_t lineLength = 1;
    for (const char* next = p; p != end; p = next) {
        next = lineAfter(p, end);
        ++line;
        const char* stop = contentEnd(p, next);
        if (std::all_of(p, stop, isBlank))
            continue;
        cols = parseLine(p, stop, parts[0].values, fileName, line);
        firstLine = line;
        lineLength = static_cast<std::size_t>(next - p);
        parts[0].rows = 1;
        p = next;
        break;
    }
    if (parts[0].rows == 0)
        return Matrix();

    const std::size_t threads = platform::threadsFor(options.threads);
    bool read = false;
    if (threads > 1 && bytes.size() >= options.parallelFrom) {
        if (auto more = readInParts(p, end, cols, firstLine, lineLength, fileName, options, threads, bytes.size())) {
            for (TablePart& part : *more)
                parts.push_back(std::move(part));
            read = true;
        }
    }
    if (!read) {
        const auto before = static_cast<std::size_t>(p - bytes.data());
        std::function<bool(std::size_t)> report;
        if (options.progress)
            report = [&](std::size_t at) { return options.progress(before + at, bytes.size()); };
        readRows(p, end, cols, firstLine, line, lineLength, fileName, parts[0], nullptr, nullptr, report);
    }

    std::size_t rows = 0;
    for (const TablePart& part : parts)
        rows += part.rows;
    Matrix m(rows, cols);
    std::vector<std::size_t> firstRow(parts.size(), 0);
    for (std::size_t i = 1; i < parts.size(); ++i)
        firstRow[i] = firstRow[i - 1] + parts[i - 1].rows;
    const auto copyPart = [&](std::size_t i) {
        copyRows(parts[i].values.data(), parts[i].rows, m, firstRow[i]);
        parts[i].values = {};
    };
    if (parts.size() > 2) {
        platform::runParts(parts.size(), copyPart);
    } else {
        for (std::size_t i = 0; i < parts.size(); ++i)
            copyPart(i);
    }
    return m;
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
