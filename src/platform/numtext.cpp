#include "platform/numtext.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>
#include <vector>

#include "platform/textformat.h"

namespace vezedo::platform {

namespace {

bool isBlank(char ch)
{
    return ch == ' ' || ch == '\t' || ch == '\r';
}

bool isRowEnd(char ch)
{
    return ch == ';' || ch == '\n';
}

bool isDigit(char ch)
{
    return ch >= '0' && ch <= '9';
}

bool isLetter(char ch)
{
    return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z');
}

bool ends(std::string_view text, std::size_t pos)
{
    return pos == text.size() || isBlank(text[pos]) || isRowEnd(text[pos]) || text[pos] == ',';
}

// Reads the number at text[pos] and moves pos past it. Nothing is read (nullopt) unless
// the characters there form one whole number followed by a separator or the end.
std::optional<double> readNumber(std::string_view text, std::size_t& pos)
{
    std::size_t i = pos;
    const bool negative = text[i] == '-';
    if (text[i] == '+' || text[i] == '-')
        ++i;
    const std::size_t start = i;
    double value = 0.0;
    if (i < text.size() && isLetter(text[i])) {
        std::string word;
        for (; i < text.size() && isLetter(text[i]); ++i)
            word += static_cast<char>(text[i] | 0x20);  // ASCII lower case
        if (word == "inf")
            value = std::numeric_limits<double>::infinity();
        else if (word == "nan")
            value = std::numeric_limits<double>::quiet_NaN();
        else
            return std::nullopt;
    } else {
        std::size_t digits = 0;
        for (; i < text.size() && isDigit(text[i]); ++i)
            ++digits;
        if (i < text.size() && text[i] == '.')
            for (++i; i < text.size() && isDigit(text[i]); ++i)
                ++digits;
        if (digits == 0)
            return std::nullopt;
        if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
            ++i;
            if (i < text.size() && (text[i] == '+' || text[i] == '-'))
                ++i;
            if (i == text.size() || !isDigit(text[i]))
                return std::nullopt;
            while (i < text.size() && isDigit(text[i]))
                ++i;
        }
        const char* first = text.data() + start;
        const char* last = text.data() + i;
        const auto [ptr, ec] = std::from_chars(first, last, value);
        if (ec == std::errc::result_out_of_range)
            value = decimalOverflows({first, i - start}) ? std::numeric_limits<double>::infinity() : 0.0;
        else if (ec != std::errc() || ptr != last)
            return std::nullopt;
    }
    if (!ends(text, i))
        return std::nullopt;
    pos = i;
    return negative ? -value : value;
}

std::string_view trimmed(std::string_view text)
{
    const auto blankOrBreak = [](char ch) { return isBlank(ch) || ch == '\n'; };
    while (!text.empty() && blankOrBreak(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blankOrBreak(text.back()))
        text.remove_suffix(1);
    return text;
}

// One number as box text; `digits` is 0 for plain digits, else the "%g" precision.
std::string numberText(double v, int digits)
{
    if (std::isnan(v))
        return "NaN";
    if (std::isinf(v))
        return v < 0 ? "-Inf" : "Inf";
    if (digits == 0)
        return std::to_string(static_cast<long long>(v));
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*g", digits, v);
    return buffer;
}

}  // namespace

// A comma sits between two numbers of a row (a leading, trailing or doubled comma makes the
// text invalid). A sign belongs to the number it touches: "1 -2" is two numbers, "1 - 2" and
// "1-2" are invalid.
Matrix parseNumericText(std::string_view text)
{
    text = trimmed(text);
    if (!text.empty() && text.front() == '[') {
        if (text.size() < 2 || text.back() != ']')
            return {};
        text = text.substr(1, text.size() - 2);
    }
    std::vector<std::vector<double>> rows;
    std::vector<double> row;
    bool afterComma = false;
    const auto endRow = [&] {
        if (afterComma)
            return false;
        if (row.empty())
            return true;
        if (!rows.empty() && rows.front().size() != row.size())
            return false;
        rows.push_back(std::move(row));
        row.clear();
        return true;
    };
    std::size_t pos = 0;
    while (pos < text.size()) {
        const char ch = text[pos];
        if (isBlank(ch)) {
            ++pos;
        } else if (ch == ',') {
            if (row.empty() || afterComma)
                return {};
            afterComma = true;
            ++pos;
        } else if (isRowEnd(ch)) {
            if (!endRow())
                return {};
            ++pos;
        } else {
            const std::optional<double> value = readNumber(text, pos);
            if (!value)
                return {};
            row.push_back(*value);
            afterComma = false;
        }
    }
    if (!endRow() || rows.empty())
        return {};
    Matrix m(rows.size(), rows.front().size());
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (std::size_t c = 0; c < rows[r].size(); ++c)
            m(r, c) = rows[r][c];
    return m;
}

// Whole numbers below 1e15 in magnitude are plain digits; otherwise every number of the
// matrix gets clamp(floor(log10(largest magnitude)) + 5, 5, 16) significant digits. When
// the matrix has several rows, the blanks leading every line are removed so the columns
// stay aligned.
NumberRange numberRange(const Matrix& m)
{
    NumberRange range;
    for (double v : m.values()) {
        if (!std::isfinite(v))
            continue;
        range.whole = range.whole && v == std::trunc(v) && std::abs(v) < 1e15;
        range.largest = std::max(range.largest, std::abs(v));
    }
    return range;
}

std::string numberToText(const Matrix& m)
{
    if (m.empty())
        return {};
    const auto [whole, largest] = numberRange(m);
    const int digits = whole ? 0 : std::clamp(static_cast<int>(std::floor(std::log10(largest))) + 5, 5, 16);
    std::vector<std::string> cells;
    std::size_t width = 0;
    for (double v : m.values()) {
        cells.push_back(numberText(v, digits));
        width = std::max(width, cells.back().size());
    }
    width += 2;
    std::vector<std::string> lines(m.rows());
    for (std::size_t r = 0; r < m.rows(); ++r)
        for (std::size_t c = 0; c < m.cols(); ++c) {
            const std::string& cell = cells[c * m.rows() + r];
            lines[r] += std::string(width - cell.size(), ' ') + cell;
        }
    std::size_t lead = width;
    for (const std::string& line : lines)
        lead = std::min(lead, line.find_first_not_of(' '));
    std::string out;
    for (const std::string& line : lines)
        out += (out.empty() ? "" : "\n") + line.substr(lead);
    return out;
}

std::string numberToText(double value)
{
    return numberToText(Matrix::scalar(value));
}

std::string integerText(double value)
{
    return formatText("%d", {Value(value)});
}

bool decimalOverflows(std::string_view number)
{
    const std::size_t e = std::min(number.find_first_of("eE"), number.size());
    const std::string_view mantissa = number.substr(0, e);
    const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
    const std::size_t first = mantissa.find_first_of("123456789");
    if (first == std::string_view::npos)
        return false;
    long long magnitude =
        first < point ? static_cast<long long>(point - first) - 1 : -static_cast<long long>(first - point);
    if (e < number.size()) {
        std::string_view exponent = number.substr(e + 1);
        const bool negative = !exponent.empty() && exponent.front() == '-';
        if (!exponent.empty() && (exponent.front() == '+' || negative))
            exponent.remove_prefix(1);
        long long value = 0;
        for (std::size_t k = 0; k < exponent.size() && isDigit(exponent[k]); ++k)
            value = std::min(value * 10 + (exponent[k] - '0'), 1000000LL);
        magnitude += negative ? -value : value;
    }
    return magnitude > 0;
}

}  // namespace vezedo::platform
