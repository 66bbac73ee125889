// The TPS reader scans the file's bytes in place: headers character by character (exactly
// which letter sequences make a header matters for odd files), coordinates number by number.
#include "io/tps.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "io/files.h"
#include "io/lines.h"
#include "io/numeric.h"
#include "platform/error.h"

namespace vezedo::io {

using platform::Value;

namespace {

bool isSpace(char ch)
{
    return ch == ' ' || ch == '\n' || ch == '\t' || ch == '\r' || ch == '\v' || ch == '\f';
}

bool isL(char ch)
{
    return ch == 'l' || ch == 'L';
}

bool isM(char ch)
{
    return ch == 'm' || ch == 'M';
}

bool isDigit(char ch)
{
    return ch >= '0' && ch <= '9';
}

// A landmark header: "l" or "L", "m" or "M", an optional dimension digit, then "=".
// Before the first specimen "l=" alone counts too.
struct Header {
    const char* start = nullptr;  // its "l"; null when the text holds no further header
    const char* body = nullptr;   // just after its "="
    char dimension = 0;           // the digit before "=", if any
};

// Finds the next header from `p` on. After a failed attempt the scan goes on with the
// first character it has not looked at yet, so "LL=" or "LML=" hold no header.
Header findHeader(const char* p, const char* end, bool beforeFirstSpecimen)
{
    while (p != end) {
        if (!isL(*p)) {
            ++p;
            continue;
        }
        const char* start = p++;
        if (p == end)
            break;
        char ch = *p++;
        if (ch == '=') {
            if (beforeFirstSpecimen)
                return {start, p, 0};
            continue;
        }
        if (!isM(ch) || p == end)
            continue;
        ch = *p++;
        if (ch == '=')
            return {start, p, 0};
        if (isDigit(ch) && p != end && *p == '=')
            return {start, p + 1, ch};
    }
    return {};
}

bool startsWithNoCase(const char* p, const char* end, std::string_view word)
{
    if (static_cast<std::size_t>(end - p) < word.size())
        return false;
    for (char w : word) {
        const char ch = *p++;
        if (ch != w && !(w >= 'A' && w <= 'Z' && ch == w + ('a' - 'A')))
            return false;
    }
    return true;
}

std::string trimmed(const char* p, const char* end)
{
    while (p != end && isSpace(*p))
        ++p;
    while (end != p && isSpace(end[-1]))
        --end;
    return std::string(p, end);
}

// How a specimen is known: its ID= text, else its IMAGE= text, as written in the lines
// after its coordinates; empty when it has neither.
struct Label {
    std::string key;
    std::string text;
};

Label labelIn(const char* p, const char* end)
{
    Label image;
    while (p < end) {
        const char* lineEnd = std::find(p, end, '\n');
        while (p != lineEnd && (*p == ' ' || *p == '\t'))
            ++p;
        if (startsWithNoCase(p, lineEnd, "ID=")) {
            std::string text = trimmed(p + 3, lineEnd);
            if (!text.empty())
                return {"ID", std::move(text)};
        } else if (image.text.empty() && startsWithNoCase(p, lineEnd, "IMAGE=")) {
            image = {"IMAGE", trimmed(p + 6, lineEnd)};
        }
        p = lineEnd + (lineEnd != end);
    }
    return image.text.empty() ? Label{} : image;
}

// Reads one TPS text: keeps the scan position, the landmark count of the first header and
// the coordinates read so far.
class TpsParser {
public:
    TpsParser(std::string_view bytes, std::string_view fileName)
        : m_begin(bytes.data()), m_end(bytes.data() + bytes.size()), m_pos(m_begin), m_file(fileName)
    {
    }

    TpsData run();

private:
    void readHeader(const Header& header, std::size_t specimen);
    void readCoordinates(const Header& header, std::size_t specimen);
    std::string restOfLine();
    [[noreturn]] void fail(const char* at, const char* labelFrom, std::size_t specimen,
                           const std::string& problem) const;
    std::string foundAt(const char* p) const;
    std::string tokenAt(const char* p) const;  // the blank-separated item at p, quoted

    const char* m_begin;
    const char* m_end;
    const char* m_pos;
    std::string m_file;
    std::size_t m_landmarks = 0;
    std::vector<double> m_values;  // specimen after specimen, 3p numbers each
};

TpsData TpsParser::run()
{
    TpsData data;
    Header header = findHeader(m_pos, m_end, true);
    if (!header.start)
        throw FileFormatError(m_file, 0,
                              "no landmark header was found; each specimen of a TPS file begins with a line such "
                              "as \"LM=10\" or \"LM3=10\"");
    const char* firstStart = header.start;
    std::size_t specimen = 1;
    for (;; ++specimen) {
        readHeader(header, specimen);
        data.namelist.emplace_back(restOfLine());
        readCoordinates(header, specimen);

        // What stands between these coordinates and the next header is passed over: surplus
        // numbers, ID=, IMAGE=, SCALE=, comments, curve points.
        const char* blockEnd = m_pos;
        header = findHeader(m_pos, m_end, false);
        const char* regionEnd = header.start ? header.start : m_end;
        const Label label = labelIn(blockEnd, regionEnd);
        data.ids.push_back(label.text.empty() ? std::to_string(specimen) : label.text);
        if (!header.start)
            break;
        if (specimen == 1) {
            // Room for the specimens still to come if they are written like the first.
            const auto perSpecimen = static_cast<std::size_t>(regionEnd - firstStart);
            const auto expected = static_cast<std::size_t>(m_end - firstStart) / perSpecimen + 1;
            m_values.reserve((expected + expected / 16 + 1) * 3 * m_landmarks);
        }
    }
    data.namelist.emplace_back(-1.0);
    data.table = fromRowMajor(m_values, specimen, 3 * m_landmarks);
    return data;
}

void TpsParser::readHeader(const Header& header, std::size_t specimen)
{
    if (header.dimension != 0 && header.dimension != '3')
        fail(header.start, header.body, specimen,
             "\"" + std::string(header.start, header.body) + "\" heads landmarks with " + header.dimension +
                 " coordinates each; only 3D landmarks (\"LM=\" or \"LM3=\") can be read");

    m_pos = header.body;
    while (m_pos != m_end && isSpace(*m_pos))
        ++m_pos;
    double count = 0.0;
    const char* countEnd = scanNumber(m_pos, m_end, count);
    if (countEnd == m_pos || !std::isfinite(count) || count < 1.0 || count != std::floor(count))
        fail(header.start, header.body, specimen,
             "the landmark count after \"" + std::string(header.start, header.body) +
                 "\" must be a positive whole number; found " + foundAt(m_pos));
    const std::string countText(m_pos, countEnd);
    m_pos = countEnd;

    if (specimen == 1) {
        // Each of the 3p numbers takes at least one digit and one separator.
        const auto room = static_cast<double>(m_end - m_pos) / 6.0;
        if (count > room)
            fail(header.start, header.body, specimen,
                 "the header announces " + countText + " landmarks, but the rest of the file (" +
                     std::to_string(m_end - m_pos) + " bytes) is too short for their x, y and z");
        m_landmarks = static_cast<std::size_t>(count);
    } else if (count != static_cast<double>(m_landmarks)) {
        fail(header.start, header.body, specimen,
             "the header announces " + countText + " landmarks, but the first specimen has " +
                 std::to_string(m_landmarks) + "; every specimen must have the same landmarks");
    }
}

void TpsParser::readCoordinates(const Header& header, std::size_t specimen)
{
    const std::size_t wanted = 3 * m_landmarks;
    std::size_t found = 0;
    const char* p = m_pos;
    for (; found < wanted; ++found) {
        while (p != m_end && isSpace(*p))
            ++p;
        double value = 0.0;
        const char* next = scanNumber(p, m_end, value);
        if (next == p)
            break;
        // A coordinate is one whole number standing alone: "1..5" or two numbers run
        // together are no coordinates, and guessing where they split would shift the rest.
        if ((next != m_end && !isSpace(*next)) || !std::isfinite(value))
            fail(p, p, specimen,
                 tokenAt(p) + " is not a coordinate; expected numbers separated by blanks or line ends");
        m_values.push_back(value);
        p = next;
    }
    m_pos = p;
    if (found != wanted) {
        fail(p, p, specimen,
             "expected " + std::to_string(wanted) + " numbers (x, y and z of " + std::to_string(m_landmarks) +
                 (m_landmarks == 1 ? " landmark" : " landmarks") + ") after the header on line " +
                 std::to_string(std::count(m_begin, header.start, '\n') + 1) + ", found " + std::to_string(found) +
                 " before " + foundAt(p));
    }
}

// The rest of the current line, line end included.
std::string TpsParser::restOfLine()
{
    const char* start = m_pos;
    m_pos = std::find(m_pos, m_end, '\n');
    if (m_pos != m_end)
        ++m_pos;
    return std::string(start, m_pos);
}

std::string TpsParser::tokenAt(const char* p) const
{
    const char* stop = std::find_if(p, m_end, isSpace);
    std::string text(p, std::min(stop, p + 40));
    return "\"" + text + (stop - p > 40 ? "...\"" : "\"");
}

std::string TpsParser::foundAt(const char* p) const
{
    if (p == m_end)
        return "the end of the file";
    const char* stop = std::find_if(p, m_end, [](char ch) { return ch == '\n' || ch == '\r'; });
    std::string text(p, std::min(stop, p + 40));
    return "\"" + text + (stop - p > 40 ? "...\"" : "\"");
}

void TpsParser::fail(const char* at, const char* labelFrom, std::size_t specimen, const std::string& problem) const
{
    if (at == m_end && at != m_begin && at[-1] == '\n')
        --at;  // the end of the last line rather than the empty line after it
    const int line = static_cast<int>(std::count(m_begin, at, '\n')) + 1;
    const Header next = findHeader(labelFrom, m_end, false);
    const Label label = labelIn(labelFrom, next.start ? next.start : m_end);
    std::string name = "specimen " + std::to_string(specimen);
    if (!label.text.empty())
        name += " (" + label.key + "=" + label.text + ")";
    throw FileFormatError(m_file, line, name + ": " + problem);
}

}  // namespace

TpsData parseTps(std::string_view bytes, std::string_view fileName)
{
    // Lines may end in LF, CRLF or a lone CR; the parser counts LFs.
    const std::optional<std::string> lineFeeds = withLineFeeds(bytes);
    return TpsParser(lineFeeds ? std::string_view(*lineFeeds) : bytes, fileName).run();
}

TpsData readChosenTps(const platform::FileChoice& choice)
{
    // The path is fixed before the folder becomes current, so a relative folder still works.
    std::string path = joinPath(choice.folder, choice.name);
    std::error_code ec;
    const auto absolute = std::filesystem::absolute(path, ec);
    if (!ec)
        path = absolute.string();
    changeDirectory(choice.folder);
    return parseTps(readFile(path), choice.name);
}

std::optional<platform::FileChoice> chooseTpsFile(platform::Runtime& rt)
{
    return rt.dialogs.openFile("*.txt", "Specify 3D input file to load");
}

TpsLoad gettpsfile3D(platform::Runtime& rt)
{
    TpsLoad out;
    const auto choice = chooseTpsFile(rt);
    if (!choice) {
        out.fname = Value(0.0);
        return out;
    }
    out.fname = Value(choice->name);
    try {
        TpsData data = readChosenTps(*choice);
        out.y = std::move(data.table);
        out.namelist = std::move(data.namelist);
        out.ids = std::move(data.ids);
    } catch (const UnreadableFile&) {
        rt.console.write("Error on file open");
    }
    return out;
}

}  // namespace vezedo::io
