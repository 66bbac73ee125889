// The TPS reader scans the file's bytes in place: headers character by character (exactly
// which letter sequences make a header matters for odd files), coordinates number by number.
#include "io/tps.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <new>

#include "io/columns.h"
#include "io/files.h"
#include "io/lines.h"
#include "io/numeric.h"
#include "platform/error.h"
#include "platform/parallel.h"

#if defined(__SSE2__) && defined(__x86_64__)
#include <emmintrin.h>
#endif

namespace vezedo::io {

using platform::Value;

namespace {

// The blanks and line ends that separate numbers, by byte.
constexpr auto kSpaces = [] {
    std::array<bool, 256> table{};
    for (const char ch : {' ', '\n', '\t', '\r', '\v', '\f'})
        table[static_cast<unsigned char>(ch)] = true;
    return table;
}();

bool isSpace(char ch)
{
    return kSpaces[static_cast<unsigned char>(ch)];
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

bool isHeaderLineStart(const char* p, const char* end)
{
    if (end - p < 3 || !isL(p[0]) || !isM(p[1]))
        return false;
    return p[2] == '=' || (end - p >= 4 && isDigit(p[2]) && p[3] == '=');
}

// What one pass over a text finds before it is read: how many of its lines start with a
// landmark header (in a plain text, its specimens), and whether a CR stands alone somewhere
// (then the text is read again with its line ends made LFs). Only the letters L and l and
// CRs are looked at closely, sixteen bytes at a time where the machine allows.
struct Survey {
    std::size_t headerLines = 0;
    bool loneCr = false;
};

Survey survey(const char* begin, const char* end)
{
    Survey found;
    const auto atLetter = [&](const char* p) {
        if ((p == begin || p[-1] == '\n') && isHeaderLineStart(p, end))
            ++found.headerLines;
    };
    const auto atReturn = [&](const char* p) { found.loneCr |= p + 1 == end || p[1] != '\n'; };
    const char* p = begin;
#if defined(__SSE2__) && defined(__x86_64__)
    const __m128i letter = _mm_set1_epi8('l');
    const __m128i lowerCase = _mm_set1_epi8(0x20);
    const __m128i carriageReturn = _mm_set1_epi8('\r');
    for (; end - p >= 16; p += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        auto letters = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_or_si128(bytes, lowerCase), letter)));
        auto returns = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, carriageReturn)));
        for (; letters != 0; letters &= letters - 1)
            atLetter(p + std::countr_zero(letters));
        for (; returns != 0; returns &= returns - 1)
            atReturn(p + std::countr_zero(returns));
    }
#endif
    for (; p != end; ++p) {
        if (isL(*p))
            atLetter(p);
        else if (*p == '\r')
            atReturn(p);
    }
    return found;
}

// Thrown by a read that meets a lone CR before it reads anything.
struct LoneCarriageReturn {};

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

// How a specimen is known, and what else the lines after its coordinates say.
struct Label {
    std::string key;
    std::string text;
};

struct Trailer {
    Label id;  // ID= when given, else IMAGE=, else empty
    TpsSpecimenInfo info;
    const char* scaleAt = nullptr;  // the SCALE= line, if any
};

// The value of a "KEY=" line, or nullopt when the line is another.
std::optional<std::string> valueOf(const char* p, const char* lineEnd, std::string_view key)
{
    if (!startsWithNoCase(p, lineEnd, key))
        return std::nullopt;
    return trimmed(p + key.size(), lineEnd);
}

std::size_t countIn(const std::string& text)
{
    std::size_t n = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
    return ec == std::errc() && ptr == text.data() + text.size() ? n : 0;
}

Trailer trailerIn(const char* p, const char* end)
{
    Trailer out;
    Label image;
    while (p < end) {
        const char* lineEnd = std::find(p, end, '\n');
        while (p != lineEnd && (*p == ' ' || *p == '\t'))
            ++p;
        if (auto id = valueOf(p, lineEnd, "ID=")) {
            if (out.id.text.empty() && !id->empty())
                out.id = {"ID", std::move(*id)};
        } else if (auto im = valueOf(p, lineEnd, "IMAGE=")) {
            if (image.text.empty())
                image = {"IMAGE", std::move(*im)};
        } else if (auto scale = valueOf(p, lineEnd, "SCALE=")) {
            out.info.scale = std::move(*scale);
            out.scaleAt = p;
        } else if (valueOf(p, lineEnd, "COMMENT=")) {
            ++out.info.comments;
        } else if (auto curves = valueOf(p, lineEnd, "CURVES=")) {
            out.info.curves += countIn(*curves);
        } else if (auto points = valueOf(p, lineEnd, "POINTS=")) {
            out.info.curvePoints += countIn(*points);
        }
        p = lineEnd + (lineEnd != end);
    }
    if (out.id.text.empty())
        out.id = image;
    return out;
}

Label labelIn(const char* p, const char* end)
{
    return trailerIn(p, end).id;
}

bool isMissingWord(const char* p, const char* next)
{
    const auto n = next - p;
    return (n == 2 && startsWithNoCase(p, next, "NA")) || (n == 3 && startsWithNoCase(p, next, "NAN"));
}

// What one part of a TPS text holds: its specimens in order, their coordinates column after
// column with room for `stride` rows, so that a whole text read by one thread becomes the
// table without a copy.
struct TpsPart {
    ColumnRows rows;              // 3p numbers per specimen
    std::size_t landmarks = 0;    // of its first specimen
    platform::CellList namelist;  // the rest of each header line
    std::vector<TpsSpecimenInfo> info;
};

// Reads one TPS text, or one part of it that starts at a header: keeps the scan position,
// the landmark count of the first header and the coordinates read so far. Line numbers and
// default IDs are counted from the part's start; a part's messages are those of the whole
// text only for the part that starts it.
class TpsParser {
public:
    TpsParser(std::string_view bytes, std::string_view fileName, bool startsText)
        : m_begin(bytes.data()), m_end(bytes.data() + bytes.size()), m_pos(m_begin), m_file(fileName),
          m_startsText(startsText)
    {
    }

    // `done` receives the bytes read so far; the read stops with Cancelled once `stop` is set.
    TpsPart run(std::atomic<std::size_t>* done = nullptr, const std::atomic<bool>* stop = nullptr,
                const std::function<bool()>& report = {});

private:
    void readHeader(const Header& header, std::size_t specimen);
    void readCoordinates(const Header& header, std::size_t specimen);
    std::string restOfLine();
    [[noreturn]] void fail(const char* at, const char* labelFrom, std::size_t specimen,
                           const std::string& problem) const;
    std::string foundAt(const char* p) const;
    std::string tokenAt(const char* p) const;  // the blank-separated item at p, quoted
    void checkMissingCode(double* xyz, const char* at, std::size_t specimen, std::size_t landmark);
    void checkTrailer(const char* p, const char* end, std::size_t specimen);
    // The line of `p`, counted on from the last position asked for (asked in file order).
    int lineAt(const char* p);

    const char* m_begin;
    const char* m_end;
    const char* m_pos;
    std::string m_file;
    bool m_startsText;
    std::size_t m_landmarks = 0;
    TpsPart m_part;
    const char* m_countedTo = nullptr;
    int m_linesBefore = 0;  // line ends before m_countedTo
};

int TpsParser::lineAt(const char* p)
{
    if (!m_countedTo || p < m_countedTo) {
        m_countedTo = m_begin;
        m_linesBefore = 0;
    }
    m_linesBefore += static_cast<int>(countLineFeeds(m_countedTo, p));
    m_countedTo = p;
    return m_linesBefore + 1;
}

TpsPart TpsParser::run(std::atomic<std::size_t>* done, const std::atomic<bool>* stop,
                       const std::function<bool()>& report)
{
    const Survey text = survey(m_begin, m_end);
    if (text.loneCr)
        throw LoneCarriageReturn();
    Header header = findHeader(m_pos, m_end, m_startsText);
    if (!header.start)
        throw FileFormatError(m_file, 0,
                              "no landmark header was found; each specimen of a TPS file begins with a line such "
                              "as \"LM=10\" or \"LM3=10\"");
    const char* reported = m_begin;
    const bool firstOnItsLine = header.start == m_begin || header.start[-1] == '\n';
    std::size_t specimen = 1;
    for (;; ++specimen) {
        readHeader(header, specimen);
        m_part.namelist.emplace_back(restOfLine());
        readCoordinates(header, specimen);

        // Between these coordinates and the next header stand only the specimen's ID=,
        // IMAGE=, SCALE=, COMMENT=, CURVES= and POINTS= lines with their points.
        const char* blockEnd = m_pos;
        const char* headerStart = header.start;
        header = findHeader(m_pos, m_end, false);
        const char* regionEnd = header.start ? header.start : m_end;
        TpsSpecimenInfo info;
        info.headerLine = lineAt(headerStart);
        if (regionEnd != blockEnd) {
            checkTrailer(blockEnd, regionEnd, specimen);
            Trailer trailer = trailerIn(blockEnd, regionEnd);
            info = std::move(trailer.info);
            info.headerLine = lineAt(headerStart);
            info.named = !trailer.id.text.empty();
            if (info.named)
                info.id = std::move(trailer.id.text);
            if (trailer.scaleAt)
                info.scaleLine = lineAt(trailer.scaleAt);
        }
        m_part.info.push_back(std::move(info));
        if (regionEnd - reported >= static_cast<std::ptrdiff_t>(kProgressStep)) {
            reported = regionEnd;
            if (done)
                done->store(static_cast<std::size_t>(regionEnd - m_begin), std::memory_order_relaxed);
            if ((stop && stop->load(std::memory_order_relaxed)) || (report && !report()))
                throw Cancelled();
        }
        if (!header.start)
            break;
        if (specimen == 1) {
            // Room for exactly the specimens of a plain text, so that the table needs no
            // compacting at the end; odd texts only cost a copy.
            m_part.rows.reserve(text.headerLines + (firstOnItsLine ? 0 : 1));
        }
    }
    if (done)
        done->store(static_cast<std::size_t>(m_end - m_begin), std::memory_order_relaxed);
    m_part.rows.flush();
    return std::move(m_part);
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
    if (specimen == 1) {
        m_part.landmarks = m_landmarks;
        m_part.rows = ColumnRows(wanted);
    }
    double* const out = m_part.rows.nextRow();
    std::size_t found = 0;
    // Set by a number that may be a missing code (NaN, -999 or -9999), so that only such
    // landmarks are looked at closely.
    bool unusual = false;
    const char* p = m_pos;
    const char* const end = m_end;
    for (; found < wanted; ++found) {
        while (p != end && isSpace(*p))
            ++p;
        double value = 0.0;
        const char* next = scanNumber(p, end, value);
        if (next == p || (next != end && !isSpace(*next)) || std::isinf(value)) {
            const char* wordEnd = std::find_if(p, end, isSpace);
            if (next == p && isMissingWord(p, wordEnd)) {
                next = wordEnd;
                value = std::numeric_limits<double>::quiet_NaN();
            } else if (next == p) {
                break;
            } else {
                // A coordinate is one whole number standing alone: "1..5" or two numbers run
                // together are no coordinates, and guessing where they split would shift the rest.
                fail(p, p, specimen,
                     tokenAt(p) + " is not a coordinate; expected numbers separated by blanks or line ends");
            }
        }
        out[found] = value;
        p = next;
        unusual |= !(value > -999.0);
        if (unusual && found % 3 == 2) {
            checkMissingCode(out + found - 2, p, specimen, found / 3 + 1);
            unusual = false;
        }
    }
    m_pos = p;
    if (found != wanted) {
        fail(p, p, specimen,
             "expected " + std::to_string(wanted) + " numbers (x, y and z of " + std::to_string(m_landmarks) +
                 (m_landmarks == 1 ? " landmark" : " landmarks") + ") after the header on line " +
                 std::to_string(countLineFeeds(m_begin, header.start) + 1) + ", found " + std::to_string(found) +
                 " before " + foundAt(p));
    }
    m_part.rows.commitRow();
}

bool isBlankLine(const char* p, const char* end)
{
    return std::all_of(p, end, isSpace);
}

// Whether the line holds two or three numbers (or missing codes) and nothing else: a curve point.
bool isPointLine(const char* p, const char* end)
{
    int numbers = 0;
    for (;;) {
        while (p != end && isSpace(*p))
            ++p;
        if (p == end)
            return numbers == 2 || numbers == 3;
        double value = 0.0;
        const char* wordEnd = std::find_if(p, end, isSpace);
        if (scanNumber(p, wordEnd, value) != wordEnd && !isMissingWord(p, wordEnd))
            return false;
        ++numbers;
        p = wordEnd;
    }
}

// A line after the coordinates that is none of the specimen's lines is refused: a stray
// number there means a header or an ID line went missing or a count is wrong, and reading
// on would give coordinates to the wrong specimen or drop a specimen.
void TpsParser::checkTrailer(const char* p, const char* end, std::size_t specimen)
{
    static constexpr std::string_view kKeys[] = {"ID=", "IMAGE=", "SCALE=", "COMMENT=", "CURVES="};
    static constexpr std::string_view allowed =
        "only ID=, IMAGE=, SCALE=, COMMENT=, CURVES= and POINTS= lines (with their points) "
        "may stand between a specimen's coordinates and the next \"LM=\" header";
    const char* labelFrom = p;
    const char* lineEnd = std::find(p, end, '\n');
    if (!isBlankLine(p, lineEnd)) {
        while (isSpace(*p))
            ++p;
        fail(p, labelFrom, specimen,
             "found " + tokenAt(p) + " after the " + std::to_string(3 * m_landmarks) +
                 " numbers of the specimen's landmarks; " + std::string(allowed));
    }
    std::size_t pointsDue = 0;
    const char* pointsAt = nullptr;
    while (lineEnd != end) {
        p = lineEnd + 1;
        lineEnd = std::find(p, end, '\n');
        while (p != lineEnd && isSpace(*p))
            ++p;
        if (p == lineEnd)
            continue;
        if (pointsDue > 0) {
            if (!isPointLine(p, lineEnd))
                fail(p, labelFrom, specimen,
                     "the POINTS= line " + std::to_string(lineAt(pointsAt)) + " announces points still due, found " +
                         foundAt(p) + "; each point is a line of its 2 or 3 coordinates");
            --pointsDue;
            continue;
        }
        if (auto points = valueOf(p, lineEnd, "POINTS=")) {
            pointsDue = countIn(*points);
            pointsAt = p;
            continue;
        }
        const bool known = std::any_of(std::begin(kKeys), std::end(kKeys),
                                       [&](std::string_view key) { return startsWithNoCase(p, lineEnd, key); });
        if (!known)
            fail(p, labelFrom, specimen, "found " + foundAt(p) + "; " + std::string(allowed));
    }
    if (pointsDue > 0)
        fail(end, labelFrom, specimen,
             "the POINTS= line " + std::to_string(lineAt(pointsAt)) + " announces " + std::to_string(pointsDue) +
                 " more points than follow it");
}

// The landmark just read is missing when its three numbers are NA or NaN, or all -999, or
// all -9999; then it is stored as NaN three times. A code in one or two of them is refused.
void TpsParser::checkMissingCode(double* xyz, const char* at, std::size_t specimen, std::size_t landmark)
{
    if (markMissingLandmark(xyz) == LandmarkCoding::PartlyCoded)
        fail(at, at, specimen,
             "landmark " + std::to_string(landmark) +
                 " is missing in some coordinates only; a missing landmark has NA, NaN, -999 or -9999 as all "
                 "three of x, y and z");
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
    const std::string text = shownText(std::string_view(p, static_cast<std::size_t>(std::min(stop, p + 40) - p)));
    return "\"" + text + (stop - p > 40 ? "...\"" : "\"");
}

std::string TpsParser::foundAt(const char* p) const
{
    if (p == m_end)
        return "the end of the file";
    const char* stop = std::find_if(p, m_end, [](char ch) { return ch == '\n' || ch == '\r'; });
    const std::string text = shownText(std::string_view(p, static_cast<std::size_t>(std::min(stop, p + 40) - p)));
    return "\"" + text + (stop - p > 40 ? "...\"" : "\"");
}

void TpsParser::fail(const char* at, const char* labelFrom, std::size_t specimen, const std::string& problem) const
{
    if (at == m_end && at != m_begin && at[-1] == '\n')
        --at;  // the end of the last line rather than the empty line after it
    const int line = static_cast<int>(countLineFeeds(m_begin, at)) + 1;
    const Header next = findHeader(labelFrom, m_end, false);
    const Label label = labelIn(labelFrom, next.start ? next.start : m_end);
    std::string name = "specimen " + std::to_string(specimen);
    if (!label.text.empty())
        name += " (" + label.key + "=" + label.text + ")";
    throw FileFormatError(m_file, line, name + ": " + problem);
}

}  // namespace

namespace {

// The parts of a text as read, in text order, with the line ends each holds.
struct ReadParts {
    std::vector<TpsPart> parts;
    std::vector<int> lineEnds;
};

// Whether every part has the landmarks of the first; otherwise the serial read says where
// the count changed.
bool sameLandmarks(const ReadParts& read)
{
    return std::all_of(read.parts.begin(), read.parts.end(),
                       [&](const TpsPart& part) { return part.landmarks == read.parts.front().landmarks; });
}

// The whole text's data from its parts, read in text order.
TpsData merge(ReadParts& read)
{
    std::vector<TpsPart>& parts = read.parts;
    TpsData data;
    std::size_t specimens = 0;
    for (const TpsPart& part : parts)
        specimens += part.rows.rows();
    data.namelist.reserve(specimens + 1);
    data.ids.reserve(specimens);
    data.info.reserve(specimens);
    int lineOffset = 0;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        TpsPart& part = parts[i];
        for (auto& name : part.namelist)
            data.namelist.push_back(std::move(name));
        part.namelist = platform::CellList();
        for (TpsSpecimenInfo& info : part.info) {
            info.headerLine += lineOffset;
            if (info.scaleLine != 0)
                info.scaleLine += lineOffset;
            if (!info.named)
                info.id = "specimen" + std::to_string(data.info.size() + 1);
            data.ids.push_back(info.id);
            data.info.push_back(std::move(info));
        }
        part.info = std::vector<TpsSpecimenInfo>();
        lineOffset += read.lineEnds[i];
    }
    data.namelist.emplace_back(-1.0);
    if (parts.size() == 1) {
        data.table = std::move(parts.front().rows).table();
    } else {
        std::vector<ColumnRows*> numbers;
        for (TpsPart& part : parts)
            numbers.push_back(&part.rows);
        data.table = gatherColumns(numbers);
    }
    return data;
}

// Where the text splits into about `parts` parts: after the first specimen, at line starts
// that hold a landmark header. The first entry is the text's start, the last its end.
std::vector<const char*> splitPoints(const char* begin, const char* end, std::size_t parts)
{
    std::vector<const char*> points{begin};
    const auto step = static_cast<std::size_t>(end - begin) / parts;
    for (std::size_t i = 1; i < parts; ++i) {
        const char* p = std::max(begin + i * step, points.back() + 1);
        const char* found = nullptr;
        while (p < end) {
            const void* feed = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
            if (!feed)
                break;
            p = static_cast<const char*>(feed) + 1;
            if (isHeaderLineStart(p, end)) {
                found = p;
                break;
            }
        }
        if (!found)
            break;
        points.push_back(found);
    }
    points.push_back(end);
    return points;
}

// Reads the parts of a stretch of the text between `points`, one thread each, and appends them
// to `read`; the stretch starts the whole text when `startsText`. `progress` is called on the
// calling thread with the stretch's bytes read so far; a false answer stops the read with
// Cancelled. Returns false when a part was refused: the serial read then says what is wrong.
bool readStretch(const std::vector<const char*>& points, bool startsText, std::string_view fileName,
                 const std::function<bool(std::size_t)>& progress, ReadParts& read)
{
    const std::size_t count = points.size() - 1;
    const std::size_t first = read.parts.size();
    read.parts.resize(first + count);
    read.lineEnds.resize(first + count, 0);
    std::vector<std::atomic<std::size_t>> done(count);
    std::atomic<bool> stop{false};
    const auto work = [&](std::size_t i) {
        const std::string_view bytes(points[i], static_cast<std::size_t>(points[i + 1] - points[i]));
        read.parts[first + i] = TpsParser(bytes, fileName, startsText && i == 0).run(&done[i], &stop);
        read.lineEnds[first + i] = static_cast<int>(countLineFeeds(bytes.data(), bytes.data() + bytes.size()));
    };
    std::function<void()> poll;
    if (progress)
        poll = [&] {
            std::size_t sum = 0;
            for (const auto& d : done)
                sum += d.load(std::memory_order_relaxed);
            if (!stop.load() && !progress(sum))
                stop.store(true);
        };
    const std::vector<std::exception_ptr> failures = platform::runParts(count, work, poll);
    if (stop.load())
        throw Cancelled();
    return !platform::anyRefused(failures);
}

// The parts read by one thread each, or nullopt when any part of a parallel read is not plain (a
// refusal, a part with other landmark counts): then the serial read says what it is.
std::optional<ReadParts> readInParts(std::string_view text, std::string_view fileName, const ReadOptions& options,
                                     std::size_t threads)
{
    const std::vector<const char*> points = splitPoints(text.data(), text.data() + text.size(), threads);
    if (points.size() < 3)
        return std::nullopt;
    if (options.progress && !options.progress(0, text.size()))
        throw Cancelled();
    std::function<bool(std::size_t)> progress;
    if (options.progress)
        progress = [&](std::size_t done) { return options.progress(done, text.size()); };
    ReadParts read;
    if (!readStretch(points, true, fileName, progress, read) || !sameLandmarks(read))
        return std::nullopt;
    return read;
}

// Frees the text a read owns once its numbers are parsed, before they are gathered into one
// table: the text and two copies of the numbers are never alive at once.
void release(std::string* owned)
{
    if (owned)
        std::string().swap(*owned);
}

// Reads `text`; `owned`, when given, holds it and is emptied as soon as it is no longer needed.
TpsData readText(std::string_view text, std::string_view fileName, const ReadOptions& options, std::string* owned)
{
    const std::size_t threads = platform::threadsFor(options.threads);
    if (threads > 1 && text.size() >= options.parallelFrom)
        if (std::optional<ReadParts> read = readInParts(text, fileName, options, threads)) {
            release(owned);
            return merge(*read);
        }
    std::function<bool()> report;
    if (options.progress)
        report = [&, at = std::size_t{0}]() mutable {
            at = std::min(text.size(), at + kProgressStep);
            return options.progress(at, text.size());
        };
    ReadParts read;
    read.parts.push_back(TpsParser(text, fileName, true).run(nullptr, nullptr, report));
    read.lineEnds.push_back(0);
    release(owned);
    return merge(read);
}

// Reads `bytes`; `owned`, when given, holds them and is emptied as soon as they are read.
TpsData readBytes(std::string_view bytes, std::string_view fileName, const ReadOptions& options, std::string* owned)
{
    // Lines may end in LF, CRLF or a lone CR; the parser counts LFs, and takes the CR of a
    // CRLF for a blank.
    try {
        try {
            return readText(bytes, fileName, options, owned);
        } catch (const LoneCarriageReturn&) {
        }
        std::string lineFeeds = withLineFeeds(bytes).value();
        release(owned);
        return readText(lineFeeds, fileName, options, &lineFeeds);
    } catch (const std::bad_alloc&) {
        throw FileFormatError(std::string(fileName), 0, "there is not enough memory to read it");
    }
}

// How much of `text` holds whole specimens: the text before its last line that starts with a
// landmark header, or 0 when no line after the first is such a line.
std::size_t wholeSpecimens(std::string_view text)
{
    std::size_t feed = text.size();
    while (feed != 0 && (feed = text.rfind('\n', feed - 1)) != std::string_view::npos) {
        if (isHeaderLineStart(text.data() + feed + 1, text.data() + text.size()))
            return feed + 1;
    }
    return 0;
}

// Reads a file larger than one piece a piece at a time: the whole specimens of each piece are
// read in parallel parts while the unfinished specimen at its end waits for the next piece.
// Line numbers and default IDs count on over the pieces. A file with a lone CR, or one any
// part of which is refused, is read again whole, the latter by one thread, so that every
// message is that of the serial read.
TpsData readInPieces(TextFileReader& file, const std::string& path, std::string_view fileName,
                     const ReadOptions& options)
{
    const std::size_t total = static_cast<std::size_t>(file.size());
    const std::size_t piece = std::max<std::size_t>(options.chunkBytes, 1);
    const std::size_t threads = platform::threadsFor(options.threads);
    std::string buffer;
    ReadParts read;
    const auto again = [&](const ReadOptions& how) {
        std::string().swap(buffer);
        read = {};
        std::string bytes = readFile(path);
        return readBytes(bytes, fileName, how, &bytes);
    };
    ReadOptions serially = options;
    serially.threads = 1;

    if (options.progress && !options.progress(0, total))
        throw Cancelled();
    std::size_t held = 0;  // bytes in the buffer: the unfinished specimen carried over
    std::size_t base = 0;  // where in the file the buffer starts
    for (bool atEnd = false; !atEnd;) {
        if (buffer.size() < held + piece)
            buffer.resize(held + piece);
        const std::size_t got = file.read(buffer.data() + held, piece);
        atEnd = got < piece;
        const std::string_view text(buffer.data(), held + got);
        held = text.size();
        const std::size_t cut = atEnd ? text.size() : wholeSpecimens(text);
        if (cut == 0 && !atEnd)
            continue;  // one specimen larger than a piece: the next piece completes it
        const std::string_view stretch = text.substr(0, cut);
        std::function<bool(std::size_t)> progress;
        if (options.progress)
            progress = [&](std::size_t done) { return options.progress(base + done, total); };
        // A stretch ends before a header line, so a CR at its end is the file's last byte: each
        // part finds any lone CR in its own bytes before it reads them.
        try {
            if (!readStretch(splitPoints(stretch.data(), stretch.data() + stretch.size(), threads), base == 0, fileName,
                             progress, read))
                return again(serially);
        } catch (const LoneCarriageReturn&) {
            return again(options);
        }
        std::memmove(buffer.data(), buffer.data() + cut, held - cut);
        held -= cut;
        base += cut;
        if (options.progress && !options.progress(std::min(base, total), total))
            throw Cancelled();
    }
    std::string().swap(buffer);
    if (!sameLandmarks(read))
        return again(serially);
    return merge(read);
}

}  // namespace

TpsData parseTps(std::string_view bytes, std::string_view fileName, const ReadOptions& options)
{
    return readBytes(bytes, fileName, options, nullptr);
}

TpsData readChosenTps(const platform::FileChoice& choice, const ReadOptions& options)
{
    // The path is fixed before the folder becomes current, so a relative folder still works.
    std::string path = joinPath(choice.folder, choice.name);
    std::error_code ec;
    const auto absolute = std::filesystem::absolute(path, ec);
    if (!ec)
        path = absolute.string();
    changeDirectory(choice.folder);
    TextFileReader file(path);
    if (file.size() > options.chunkBytes) {
        try {
            return readInPieces(file, path, choice.name, options);
        } catch (const std::bad_alloc&) {
            throw FileFormatError(choice.name, 0, "there is not enough memory to read it");
        }
    }
    std::string bytes = file.rest();
    return readBytes(bytes, choice.name, options, &bytes);
}

std::optional<platform::FileChoice> chooseTpsFile(platform::Runtime& rt, std::string_view title)
{
    return rt.dialogs.choose(
        {platform::FileDialogKind::Open, "*.txt", std::string(title), {"TPS files (*.tps *.TPS)"}, {}});
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
