#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Coordinates as every landmark reader reads them: one whole number per field, or a missing
// code, so that `1..5` or `8,5` never pass as a number.
namespace vezedo::io {

// The number the whole of `text` is (blanks around it allowed), NaN for NA or NaN in any
// letter case; nullopt for anything else, an infinite number included.
std::optional<double> coordinateIn(std::string_view text);

// What x, y, z are: measured, a missing landmark (NaN three times, or -999 or -9999 three
// times; then they become NaN three times), or coded in some of them only, which is refused.
enum class Coded { Present, Missing, Partly };
Coded markMissing(double* xyz);
// The refusal of a landmark coded missing in some coordinates only.
std::string partlyMissingProblem(std::size_t landmark);

// The text trimmed of blanks and line ends at both ends.
std::string_view trimmedText(std::string_view text);

// The text with a UTF-8 byte order mark at its start removed.
std::string_view withoutByteOrderMark(std::string_view text);

}  // namespace vezedo::io
