#include "platform/textformat.h"

#include "platform/numtext.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <utility>
#include <vector>

#include "platform/error.h"

namespace vezedo::platform {

namespace {

// One conversion of a format, e.g. "%-8.3f" (width and precision -1 when not given).
struct Conversion {
    std::string flags;
    int width = -1;
    int precision = -1;
    char type = 's';
};

// A format is a list of segments: literal text (escapes resolved), then maybe a conversion.
struct Segment {
    std::string literal;
    std::optional<Conversion> conversion;
};

constexpr std::string_view kConversionTypes = "diucsfFeEgGxXoaA";
constexpr int kMaxField = 100000;
// Whole numbers below this magnitude are printed as exact digits by %d, %i, %u and %s.
constexpr double kIntegerLimit = 9223372036854775808.0;  // 2^63

int readField(std::string_view format, std::size_t& j)
{
    int value = 0;
    for (; j < format.size() && format[j] >= '0' && format[j] <= '9'; ++j) {
        value = value * 10 + (format[j] - '0');
        if (value > kMaxField)
            throw Error("Field width or precision in the format \"" + std::string(format) + "\" is too large");
    }
    return value;
}

// Reads the conversion whose '%' is at format[i]; on success i is left on its type letter.
// Length modifiers (l, h, L) are accepted and ignored.
std::optional<Conversion> readConversion(std::string_view format, std::size_t& i)
{
    Conversion conv;
    std::size_t j = i + 1;
    for (; j < format.size() && std::string_view("-+ 0#").find(format[j]) != std::string_view::npos; ++j)
        conv.flags += format[j];
    if (j < format.size() && format[j] >= '0' && format[j] <= '9')
        conv.width = readField(format, j);
    if (j < format.size() && format[j] == '.')
        conv.precision = readField(format, ++j);
    while (j < format.size() && (format[j] == 'l' || format[j] == 'h' || format[j] == 'L'))
        ++j;
    if (j == format.size() || kConversionTypes.find(format[j]) == std::string_view::npos)
        return std::nullopt;
    conv.type = format[j];
    i = j;
    return conv;
}

std::vector<Segment> parseFormat(std::string_view format)
{
    std::vector<Segment> segments(1);
    for (std::size_t i = 0; i < format.size(); ++i) {
        const char ch = format[i];
        const char next = i + 1 < format.size() ? format[i + 1] : '\0';
        if (ch == '\\' && (next == 'n' || next == 't' || next == '\\')) {
            segments.back().literal += next == 'n' ? '\n' : next == 't' ? '\t' : '\\';
            ++i;
        } else if (ch == '%' && next == '%') {
            segments.back().literal += '%';
            ++i;
        } else if (auto conv = ch == '%' ? readConversion(format, i) : std::nullopt) {
            segments.back().conversion = conv;
            segments.emplace_back();
        } else {
            segments.back().literal += ch;  // a '%' that starts no conversion is text
        }
    }
    return segments;
}

// What a conversion consumes: a number, one character of a text, or (for %s) a whole text.
struct Unit {
    enum Kind { Number, Char, Text } kind = Number;
    double number = 0.0;
    std::string_view text;
};

// The arguments flattened into one queue: numbers in column-major order, texts whole.
class ItemQueue {
public:
    explicit ItemQueue(std::span<const Value> args)
    {
        for (const Value& arg : args) {
            if (arg.isString())
                m_items.push_back({Unit::Text, 0.0, arg.string()});
            else if (arg.isMatrix() || arg.isLandmarkSet())
                for (double v : arg.isMatrix() ? arg.matrix().values() : arg.landmarkSet().values())
                    m_items.push_back({Unit::Number, v, {}});
            else
                throw Error("Cannot write " + arg.describe() + " with a text format");
        }
    }

    bool done() const { return m_index >= m_items.size(); }

    // The next item whole; a text partly consumed by %c gives its rest.
    Unit takeWhole()
    {
        Unit unit = m_items[m_index++];
        unit.text = unit.text.substr(std::exchange(m_offset, 0));
        return unit;
    }

    // The next number, or the next character of a text (an empty text gives itself).
    Unit takeSingle()
    {
        const Unit& item = m_items[m_index];
        if (item.kind == Unit::Number || item.text.empty())
            return m_items[m_index++];
        const std::string_view ch = item.text.substr(m_offset, 1);
        if (++m_offset == item.text.size()) {
            m_offset = 0;
            ++m_index;
        }
        return {Unit::Char, static_cast<double>(static_cast<unsigned char>(ch[0])), ch};
    }

private:
    std::vector<Unit> m_items;
    std::size_t m_index = 0;
    std::size_t m_offset = 0;
};

template <typename T> std::string printfValue(const Conversion& c, std::string_view length, char type, T value)
{
    std::string pattern = "%" + c.flags;
    if (c.width >= 0)
        pattern += std::to_string(c.width);
    if (c.precision >= 0)
        pattern += "." + std::to_string(c.precision);
    pattern += length;
    pattern += type;
    const int n = std::snprintf(nullptr, 0, pattern.c_str(), value);
    if (n <= 0)
        return {};
    std::string out(static_cast<std::size_t>(n) + 1, '\0');
    std::snprintf(out.data(), out.size(), pattern.c_str(), value);
    out.resize(static_cast<std::size_t>(n));
    return out;
}

// Text in a field: cut to the precision when asked, padded with blanks to the width.
std::string padText(const Conversion& c, std::string_view text, bool cut)
{
    std::string s(text);
    if (cut && c.precision >= 0 && s.size() > static_cast<std::size_t>(c.precision))
        s.resize(static_cast<std::size_t>(c.precision));
    if (c.width > 0 && s.size() < static_cast<std::size_t>(c.width)) {
        const std::string fill(static_cast<std::size_t>(c.width) - s.size(), ' ');
        s = c.flags.find('-') != std::string::npos ? s + fill : fill + s;
    }
    return s;
}

std::string utf8(std::uint32_t code)
{
    const auto byte = [](std::uint32_t b) { return static_cast<char>(b); };
    if (code < 0x80)
        return {byte(code)};
    if (code < 0x800)
        return {byte(0xC0 | code >> 6), byte(0x80 | (code & 0x3F))};
    if (code < 0x10000)
        return {byte(0xE0 | code >> 12), byte(0x80 | (code >> 6 & 0x3F)), byte(0x80 | (code & 0x3F))};
    return {byte(0xF0 | code >> 18), byte(0x80 | (code >> 12 & 0x3F)), byte(0x80 | (code >> 6 & 0x3F)),
            byte(0x80 | (code & 0x3F))};
}

bool isWhole(double v)
{
    return std::isfinite(v) && v == std::trunc(v);
}

// A number that an integer or character conversion cannot show: "%e", or "%.Nf" when the
// conversion gives a precision.
std::string notIntegral(Conversion c, double v)
{
    std::erase(c.flags, '#');
    return printfValue(c, "", c.precision >= 0 ? 'f' : 'e', v);
}

std::string formatNumber(Conversion c, double v)
{
    if (std::isnan(v))
        return padText(c, "NaN", false);
    if (std::isinf(v))
        return padText(c, v < 0 ? "-Inf" : "Inf", false);
    switch (c.type) {
    case 'd':
    case 'i':
    case 'u':
        if (!isWhole(v) || std::abs(v) >= kIntegerLimit)
            return notIntegral(c, v);
        std::erase(c.flags, '#');
        return printfValue(c, "ll", 'd', static_cast<long long>(v));
    case 'x':
    case 'X':
    case 'o':
        if (!isWhole(v) || v < 0 || v >= 2 * kIntegerLimit)
            return notIntegral(c, v);
        return printfValue(c, "ll", c.type, static_cast<unsigned long long>(v));
    case 'c':
        if (!isWhole(v) || v < 0 || v > 0x10FFFF)
            return notIntegral(c, v);
        return padText(c, utf8(static_cast<std::uint32_t>(v)), false);
    case 's':
        if (isWhole(v) && std::abs(v) < kIntegerLimit)
            return padText(c, std::to_string(static_cast<long long>(v)), false);
        return padText(c, printfValue(Conversion{}, "", 'g', v), false);
    default:
        return printfValue(c, "", c.type, v);
    }
}

std::string convert(const Conversion& c, ItemQueue& items)
{
    if (c.type == 's') {
        const Unit unit = items.takeWhole();
        return unit.kind == Unit::Number ? formatNumber(c, unit.number) : padText(c, unit.text, true);
    }
    const Unit unit = items.takeSingle();
    if (unit.kind == Unit::Text || (unit.kind == Unit::Char && c.type == 'c'))
        return padText(c, unit.text, false);
    return formatNumber(c, unit.number);
}

// Display forms. A matrix shows each row on its own line: every number right-aligned in a
// field as wide as the widest number of the matrix, each field led by three blanks. All
// whole (below 1e15): plain digits; otherwise "%.4f" for every number, or "%.4e" when the
// largest magnitude is at least 1e5 or below 1e-3. NaN and Inf show as "NaN", "Inf", "-Inf".
std::vector<std::string> matrixLines(const Matrix& m)
{
    const auto [whole, largest] = numberRange(m);
    Conversion conv;
    conv.type = 'd';
    if (!whole) {
        conv.type = largest >= 1e5 || largest < 1e-3 ? 'e' : 'f';
        conv.precision = 4;
    }
    std::vector<std::string> cells;
    std::size_t width = 0;
    for (double v : m.values()) {
        cells.push_back(formatNumber(conv, v == 0.0 ? 0.0 : v));  // no "-0"
        width = std::max(width, cells.back().size());
    }
    std::vector<std::string> lines(m.rows());
    for (std::size_t r = 0; r < m.rows(); ++r)
        for (std::size_t c = 0; c < m.cols(); ++c) {
            const std::string& cell = cells[c * m.rows() + r];
            lines[r] += std::string(3 + width - cell.size(), ' ') + cell;
        }
    return lines;
}

// One-line form of a value inside a list or record: numbers as "%s" writes them (digits
// when whole, else "%g"), matrices in brackets with rows separated by "; ", texts in
// quotes, lists in braces, records as their field names.
std::string compact(const Value& value)
{
    if (value.isString())
        return "'" + value.string() + "'";
    if (value.isCell()) {
        std::string out;
        for (const Value& v : value.cell())
            out += (out.empty() ? "" : ", ") + compact(v);
        return "{" + out + "}";
    }
    if (value.isRecord()) {
        std::string out;
        for (const std::string& name : value.record().names())
            out += (out.empty() ? "" : ", ") + name;
        return "(record: " + out + ")";
    }
    if (value.isLandmarkSet())
        return "[" + value.describe().substr(2) + "]";
    const Matrix& m = value.matrix();
    std::string out;
    for (std::size_t r = 0; r < m.rows(); ++r)
        for (std::size_t c = 0; c < m.cols(); ++c) {
            out += c > 0 ? " " : r > 0 ? "; " : "";
            out += formatNumber(Conversion{}, m(r, c));
        }
    return m.isScalar() ? out : "[" + out + "]";
}

}  // namespace

std::string formatText(std::string_view format, std::span<const Value> args)
{
    const std::vector<Segment> segments = parseFormat(format);
    ItemQueue items(args);
    const bool hasConversion =
        std::any_of(segments.begin(), segments.end(), [](const Segment& s) { return s.conversion.has_value(); });
    std::string out;
    if (!hasConversion || items.done()) {
        // Written once; conversions without items give nothing.
        for (const Segment& s : segments)
            out += s.literal;
        return out;
    }
    while (!items.done()) {
        for (const Segment& s : segments) {
            out += s.literal;
            if (s.conversion && items.done())
                return out;
            if (s.conversion)
                out += convert(*s.conversion, items);
        }
    }
    return out;
}

std::string formatText(std::string_view format, std::initializer_list<Value> args)
{
    return formatText(format, std::span<const Value>(args.begin(), args.size()));
}

// Layout: the "name =" line, the value, a blank line. Matrices as matrixLines writes them;
// the empty matrix (or data set) as "     []". Texts as they are. Lists: one element per
// line in compact form, four blanks in ("     {}" when empty). Records: "    field: value"
// lines in field order. A landmark data set: one "name(:,:,j) =" block per specimen in
// place of the "name =" line.
std::string displayValue(std::string_view name, const Value& value)
{
    const std::string head(name);
    std::string out;
    if (value.isLandmarkSet() && !value.isEmpty()) {
        const LandmarkSet& set = value.landmarkSet();
        for (std::size_t j = 0; j < set.specimens(); ++j) {
            out += head + "(:,:," + std::to_string(j + 1) + ") =\n";
            for (const std::string& line : matrixLines(set.sliceMatrix(j)))
                out += line + "\n";
            out += "\n";
        }
        return out;
    }
    out = head + " =\n";
    if (value.isString()) {
        out += value.string() + "\n";
    } else if (value.isCell()) {
        out += value.cell().empty() ? "     {}\n" : "";
        for (const Value& v : value.cell())
            out += "    " + compact(v) + "\n";
    } else if (value.isRecord()) {
        for (const std::string& field : value.record().names())
            out += "    " + field + ": " + compact(value.record().get(field)) + "\n";
    } else if (value.isEmpty()) {
        out += "     []\n";
    } else {
        for (const std::string& line : matrixLines(value.matrix()))
            out += line + "\n";
    }
    return out + "\n";
}

std::string toLower(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

}  // namespace vezedo::platform
