#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "io/readoptions.h"
#include "platform/runtime.h"
#include "platform/value.h"

namespace vezedo::io {

namespace detail {

inline constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                          1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// scanNumber past plain decimals: exponents, long mantissas, inf, infinity and nan; `p` is
// just after the sign.
const char* scanOtherNumber(const char* first, const char* p, const char* last, bool negative, double& value);

}  // namespace detail

// Reads the number that starts at `first` as the "%f" conversion of formatted input does:
// an optional sign, digits with an optional decimal point and exponent, or inf, infinity or
// nan in any letter case. Returns the end of the number, or `first` when none starts there.
// The value is the correctly rounded double; beyond the range of doubles it is +-Inf or +-0.
// Inline: the readers call it once per number.
inline const char* scanNumber(const char* first, const char* last, double& value)
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
    const auto digitAt = [](const char* q) { return static_cast<unsigned>(static_cast<unsigned char>(*q) - '0'); };
    std::uint64_t digits = 0;
    const char* q = p;
    for (; q != last && digitAt(q) < 10; ++q)
        digits = digits * 10 + digitAt(q);
    std::ptrdiff_t count = q - p;
    std::ptrdiff_t decimals = 0;
    if (q != last && *q == '.') {
        const char* afterPoint = ++q;
        for (; q != last && digitAt(q) < 10; ++q)
            digits = digits * 10 + digitAt(q);
        decimals = q - afterPoint;
        count += decimals;
    }
    if (count > 0 && count <= 19 && decimals <= 22 && digits <= (std::uint64_t{1} << 53) &&
        (q == last || (*q != 'e' && *q != 'E'))) {
        const double magnitude = static_cast<double>(digits) / detail::kPowersOfTen[decimals];
        value = negative ? -magnitude : magnitude;
        return q;
    }
    return detail::scanOtherNumber(first, p, last, negative, value);
}

// What a landmark's x, y and z say about it: three NaNs (NA, NaN), or three equal codes -999
// or -9999, make it missing, and then they all become NaN; a code in only some of them is a
// mistake the readers refuse.
enum class LandmarkCoding { Given, Missing, PartlyCoded };
LandmarkCoding markMissingLandmark(double* xyz);

// Reads a numeric table held in memory: one row per line, numbers separated by blanks, tabs
// or commas; reading ends at the first line after the first that is exactly one character
// long, line end included. Throws a FileFormatError naming the file and line for a line
// that holds something other than numbers or a different count of numbers than the first,
// and Cancelled when the progress hook of `options` stopped the read. A read in parallel
// gives what a serial read gives, messages included.
platform::Matrix parseNumericTable(std::string_view bytes, std::string_view fileName, const ReadOptions& options = {});

// Reads the named file; the number -1 when it cannot be opened.
platform::Value dload(const std::string& path);

// A table read from a file the user chose.
struct ChosenTable {
    platform::Matrix table;
    std::string name;  // without folder
};
// The file-open dialog of the table readers ("Enter file to Load?"); nullopt when cancelled.
std::optional<platform::FileChoice> chooseTableFile(platform::Runtime& rt, std::string_view filter);
// Reads the chosen file and makes its folder current. Throws UnreadableFile when the file
// cannot be read (its folder is made current all the same) and a FileFormatError when it
// holds no table.
ChosenTable readChosenTable(const platform::FileChoice& choice);

// The dialog-driven loaders ("*.*" and "*.txt" filters).
struct MatrixLoad {
    platform::Value y;   // the table; empty when cancelled
    platform::Value fn;  // the chosen name without folder; the number 0 when cancelled
};
MatrixLoad mfload(platform::Runtime& rt);
MatrixLoad mfloadtxt(platform::Runtime& rt);

}  // namespace vezedo::io
