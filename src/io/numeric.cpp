#include "io/numeric.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>

#include "io/columns.h"
#include "io/files.h"
#include "io/lines.h"
#include "io/sizetable.h"
#include "platform/error.h"
#include "platform/numtext.h"
#include "platform/parallel.h"

namespace vezedo::io {

using platform::Matrix;
using platform::Value;

namespace {

// Blanks within a line, by byte; the line feed ends the line instead.
constexpr auto kBlanks = [] {
    std::array<bool, 256> table{};
    for (const char ch : {' ', '\t', '\r', '\v', '\f'})
        table[static_cast<unsigned char>(ch)] = true;
    return table;
}();

bool isBlank(char ch)
{
    return kBlanks[static_cast<unsigned char>(ch)];
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

// Reads the numbers of one line (without its line feed) and returns how many it holds;
// the first `room` of them go to `out`. `unusual` is set by a number that may be a missing
// code or is infinite.
std::size_t parseNumbers(const char* p, const char* end, double* out, std::size_t room, bool& unusual,
                         std::string_view fileName, int line)
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
        if (count < room)
            out[count] = value;
        unusual |= !(value > -999.0 && value < std::numeric_limits<double>::infinity());
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

namespace {

// How the lines of a table are read.
struct TableForm {
    // The first field of each line is an ID: up to a blank, tab, comma or CR, after any of
    // those; a comma right after it is passed over, as a blank.
    bool leadingIds = false;
    // Missing codes are looked for in the landmark columns (all but the last, when the
    // table has 3p + 1 columns) and marked NaN.
    bool landmarks = false;
};

bool isFieldEnd(char ch)
{
    return ch == ' ' || ch == '\t' || ch == ',' || ch == '\r';
}

// A landmark coded missing in only some of its coordinates, or with an infinite one: refused,
// but only once the whole table has been read, so that a line that is no row of the table
// is what a read reports first.
struct LandmarkProblem {
    int line = 0;
    std::string message;
};

// One stretch of a table as read.
struct TablePart {
    ColumnRows rows;
    std::vector<std::string> ids;
    std::optional<LandmarkProblem> problem;  // the first of the stretch
};

// Reads one line's content [p, stop): its ID when the form has them (the view stays empty
// when the line holds only separators) and its numbers, the first `room` of them into `out`.
std::size_t readLine(const char* p, const char* stop, const TableForm& form, double* out, std::size_t room,
                     std::string_view& id, bool& unusual, std::string_view fileName, int line)
{
    if (form.leadingIds) {
        const char* from = std::find_if(p, stop, [](char ch) { return !isFieldEnd(ch); });
        if (from != stop) {
            // Before the ID stand only separators; a comma among them has no number before it.
            parseNumbers(p, from, out, 0, unusual, fileName, line);
            const char* to = std::find_if(from, stop, isFieldEnd);
            id = std::string_view(from, static_cast<std::size_t>(to - from));
            p = to != stop && *to == ',' ? to + 1 : to;
        }
    }
    return parseNumbers(p, stop, out, room, unusual, fileName, line);
}

// Marks the missing landmarks of one row of a table with 3p + 1 columns. A code in only some
// coordinates, or an infinite coordinate, is the row's problem.
std::optional<std::string> markMissing(double* row, std::size_t cols, std::size_t rowNumber)
{
    for (std::size_t i = 0; 3 * i + 3 < cols; ++i) {
        double* xyz = row + 3 * i;
        const LandmarkCoding coding = markMissingLandmark(xyz);
        if (coding == LandmarkCoding::Missing)
            continue;
        const std::string which = "specimen " + std::to_string(rowNumber) + ", landmark " + std::to_string(i + 1);
        if (coding == LandmarkCoding::PartlyCoded)
            return which + " is missing in some coordinates only; a missing landmark has NA, NaN, -999 or -9999 as all "
                           "three of x, y and z";
        if (std::isinf(xyz[0]) || std::isinf(xyz[1]) || std::isinf(xyz[2]))
            return which + " has an infinite coordinate";
    }
    return std::nullopt;
}

[[noreturn]] void refuseIdAlone(std::string_view id, std::string_view fileName, int line)
{
    throw FileFormatError(std::string(fileName), line,
                          "found the ID \"" + shownText(id) +
                              "\" without numbers after it; every line with an ID must hold its specimen's numbers");
}

// Reads the lines of [p, end) after the first line with numbers, which gave `cols` numbers
// on line `firstLine`; `line` is the number of the line before p, `rowsBefore` the rows
// before p.
void readRows(const char* p, const char* end, const TableForm& form, int firstLine, int line, std::size_t rowsBefore,
              std::string_view fileName, TablePart& part, std::atomic<std::size_t>* done,
              const std::atomic<bool>* cancel, const std::function<bool(std::size_t)>& report)
{
    const std::size_t cols = part.rows.cols();
    const bool landmarks = form.landmarks && cols >= 4 && (cols - 1) % 3 == 0;
    const char* const begin = p;
    const char* reported = p;
    for (const char* next = p; p != end; p = next) {
        next = lineAfter(p, end);
        ++line;
        std::string_view id;
        bool unusual = false;
        double* row = part.rows.nextRow();
        const std::size_t found = readLine(p, contentEnd(p, next), form, row, cols, id, unusual, fileName, line);
        if (found == 0) {
            if (id.data())
                refuseIdAlone(id, fileName, line);
            continue;  // a blank line
        }
        if (found != cols) {
            throw FileFormatError(std::string(fileName), line,
                                  "found " + std::to_string(found) + " numbers, but line " + std::to_string(firstLine) +
                                      " holds " + std::to_string(cols) +
                                      "; every line must hold as many numbers as line " + std::to_string(firstLine));
        }
        if (form.leadingIds)
            part.ids.emplace_back(id);
        if (unusual && landmarks && !part.problem)
            if (auto problem = markMissing(row, cols, rowsBefore + part.rows.rows() + 1))
                part.problem = LandmarkProblem{line, std::move(*problem)};
        part.rows.commitRow();
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
std::optional<std::vector<TablePart>> readInParts(const char* p, const char* end, const TableForm& form,
                                                  std::size_t cols, int firstLine, std::size_t lineLength,
                                                  std::string_view fileName, const ReadOptions& options,
                                                  std::size_t threads, std::size_t total)
{
    const std::vector<const char*> points = lineStarts(p, end, threads);
    const std::size_t count = points.size() - 1;
    if (options.progress && !options.progress(total - static_cast<std::size_t>(end - p), total))
        throw Cancelled();
    std::vector<TablePart> parts(count);
    std::vector<std::atomic<std::size_t>> done(count);
    std::atomic<bool> stop{false};
    const auto work = [&](std::size_t i) {
        parts[i].rows = ColumnRows(cols);
        // Room for the rows if they are as long as the first; the parts are copied anyway.
        parts[i].rows.reserve(static_cast<std::size_t>(points[i + 1] - points[i]) / lineLength + 16);
        readRows(points[i], points[i + 1], form, firstLine, 0, 0, fileName, parts[i], &done[i], &stop, {});
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
    for (const TablePart& part : parts)
        if (part.problem)
            return std::nullopt;  // its row number is known to the serial read only
    return parts;
}

// Whether a field is a number or the missing code NA.
bool isNumberOrMissing(std::string_view field)
{
    double value = 0;
    const char* end = field.data() + field.size();
    if (scanNumber(field.data(), end, value) == end)
        return true;
    return field.size() == 2 && (field[0] == 'N' || field[0] == 'n') && (field[1] == 'A' || field[1] == 'a');
}

// Whether the lines of [p, end) lead with IDs: the first field of the first line with
// anything but separators on it is neither a number nor NA.
bool leadsWithIds(const char* p, const char* end)
{
    for (const char* next = p; p != end; p = next) {
        next = lineAfter(p, end);
        const char* stop = contentEnd(p, next);
        const char* from = std::find_if(p, stop, [](char ch) { return !isFieldEnd(ch); });
        if (from == stop)
            continue;
        const char* to = std::find_if(from, stop, isFieldEnd);
        return !isNumberOrMissing(std::string_view(from, static_cast<std::size_t>(to - from)));
    }
    return false;
}

struct TableRead {
    Matrix table;
    std::vector<std::string> ids;
};

TableRead readTable(std::string_view bytes, std::string_view fileName, const ReadOptions& options, TableForm form)
{
    const LineEnds ends = surveyLineEnds(bytes.data(), bytes.data() + bytes.size());
    const std::optional<std::string> lineFeeds = ends.loneCr ? withLineFeeds(bytes) : std::nullopt;
    if (lineFeeds)
        bytes = *lineFeeds;
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    if (bytes.starts_with("\xEF\xBB\xBF"))  // a byte-order mark some editors write
        p += 3;
    if (form.leadingIds)
        form.leadingIds = leadsWithIds(p, end);

    // Blank lines are passed over wherever they are; the first line with numbers fixes the
    // column count.
    std::vector<TablePart> parts(1);
    int line = 0;
    int firstLine = 0;
    std::size_t lineLength = 1;
    for (const char* next = p; p != end; p = next) {
        next = lineAfter(p, end);
        ++line;
        std::string_view id;
        bool unusual = false;
        const char* stop = contentEnd(p, next);
        const std::size_t cols = readLine(p, stop, form, nullptr, 0, id, unusual, fileName, line);
        if (cols == 0) {
            if (id.data())
                refuseIdAlone(id, fileName, line);
            continue;
        }
        firstLine = line;
        lineLength = static_cast<std::size_t>(next - p);
        // Room for a row per line still to come: exact for a table without blank lines.
        parts[0].rows = ColumnRows(cols);
        const std::size_t feeds = lineFeeds ? countLineFeeds(bytes.data(), end) : ends.feeds;
        const std::size_t linesAfter =
            feeds - countLineFeeds(bytes.data(), next) + (next != end && end[-1] != '\n' ? 1 : 0);
        parts[0].rows.reserve(1 + linesAfter);
        // The first row is read again, now into its place.
        readRows(p, next, form, firstLine, line - 1, 0, fileName, parts[0], nullptr, nullptr, {});
        p = next;
        break;
    }
    if (parts[0].rows.rows() == 0)
        return {};
    const std::size_t cols = parts[0].rows.cols();

    const std::size_t threads = platform::threadsFor(options.threads);
    bool read = false;
    if (threads > 1 && bytes.size() >= options.parallelFrom) {
        if (auto more =
                readInParts(p, end, form, cols, firstLine, lineLength, fileName, options, threads, bytes.size())) {
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
        readRows(p, end, form, firstLine, line, 0, fileName, parts[0], nullptr, nullptr, report);
    }
    if (parts[0].problem)
        throw FileFormatError(std::string(fileName), parts[0].problem->line, parts[0].problem->message);

    TableRead out;
    for (TablePart& part : parts)
        for (std::string& id : part.ids)
            out.ids.push_back(std::move(id));
    if (parts.size() == 1) {
        out.table = std::move(parts[0].rows).table();
        return out;
    }
    // Each part copies its own rows into the table, on a thread of its own.
    std::size_t rows = 0;
    std::vector<std::size_t> firstRow(parts.size(), 0);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        parts[i].rows.flush();
        firstRow[i] = rows;
        rows += parts[i].rows.rows();
    }
    out.table = Matrix(rows, cols);
    const auto copyPart = [&](std::size_t i) {
        const ColumnRows& from = parts[i].rows;
        for (std::size_t c = 0; c < cols; ++c)
            std::copy_n(from.columns() + c * from.stride(), from.rows(), out.table.data() + c * rows + firstRow[i]);
        parts[i].rows.clear();
    };
    for (const std::exception_ptr& failure : platform::runParts(parts.size(), copyPart))
        if (failure)
            std::rethrow_exception(failure);
    return out;
}

}  // namespace

LandmarkCoding markMissingLandmark(double* xyz)
{
    const auto isCode = [](double v) { return std::isnan(v) || v == -999 || v == -9999; };
    const bool allNaN = std::isnan(xyz[0]) && std::isnan(xyz[1]) && std::isnan(xyz[2]);
    const bool coded = (xyz[0] == -999 || xyz[0] == -9999) && xyz[1] == xyz[0] && xyz[2] == xyz[0];
    if (allNaN || coded) {
        xyz[0] = xyz[1] = xyz[2] = std::numeric_limits<double>::quiet_NaN();
        return LandmarkCoding::Missing;
    }
    return isCode(xyz[0]) || isCode(xyz[1]) || isCode(xyz[2]) ? LandmarkCoding::PartlyCoded : LandmarkCoding::Given;
}

Matrix parseNumericTable(std::string_view bytes, std::string_view fileName, const ReadOptions& options)
{
    return readTable(bytes, fileName, options, {}).table;
}

SpecimenTable parseSpecimenTable(std::string_view bytes, std::string_view fileName, const ReadOptions& options)
{
    try {
        TableRead read = readTable(bytes, fileName, options, {true, true});
        return {std::move(read.table), std::move(read.ids)};
    } catch (const std::bad_alloc&) {
        throw FileFormatError(std::string(fileName), 0, "there is not enough memory to read it");
    }
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
