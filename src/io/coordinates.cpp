#include "io/coordinates.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace vezedo::io {

namespace {

bool isBlank(char ch)
{
    return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n' || ch == '\v' || ch == '\f';
}

bool equalsNoCase(std::string_view text, std::string_view word)
{
    if (text.size() != word.size())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char ch = text[i];
        if (ch >= 'A' && ch <= 'Z')
            ch = static_cast<char>(ch - 'A' + 'a');
        if (ch != word[i])
            return false;
    }
    return true;
}

}  // namespace

std::string_view trimmedText(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string_view withoutByteOrderMark(std::string_view text)
{
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    return text;
}

std::optional<double> coordinateIn(std::string_view text)
{
    text = trimmedText(text);
    if (equalsNoCase(text, "na") || equalsNoCase(text, "nan"))
        return std::numeric_limits<double>::quiet_NaN();
    if (text.starts_with('+'))
        text.remove_prefix(1);
    if (text.empty() || !((text[0] >= '0' && text[0] <= '9') || text[0] == '-' || text[0] == '.'))
        return std::nullopt;
    double value = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || ptr != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

Coded markMissing(double* xyz)
{
    const auto isCode = [](double v) { return std::isnan(v) || v == -999 || v == -9999; };
    const int codes = isCode(xyz[0]) + isCode(xyz[1]) + isCode(xyz[2]);
    const bool nans = std::isnan(xyz[0]) && std::isnan(xyz[1]) && std::isnan(xyz[2]);
    const bool coded = (xyz[0] == -999 || xyz[0] == -9999) && xyz[1] == xyz[0] && xyz[2] == xyz[0];
    if (nans || coded) {
        for (int d = 0; d < 3; ++d)
            xyz[d] = std::numeric_limits<double>::quiet_NaN();
        return Coded::Missing;
    }
    return codes == 0 ? Coded::Present : Coded::Partly;
}

std::string partlyMissingProblem(std::size_t landmark)
{
    return "landmark " + std::to_string(landmark) +
           " is missing in some coordinates only; a missing landmark has NA, NaN, -999 or -9999 as all three of x, "
           "y and z";
}

}  // namespace vezedo::io
