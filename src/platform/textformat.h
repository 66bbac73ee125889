#pragma once

#include <span>
#include <string>
#include <string_view>

#include "platform/value.h"

namespace vezedo::platform {

// printf-style formatting with the runtime's rules:
// - the two characters backslash and n in the format are a line break (likewise \t and \\),
//   "%%" is a percent sign;
// - conversions %s %c %d %i %u %f %e %g %x %o with flags, width and precision ("%3.0f", "%-5s");
// - the arguments are flattened into one queue of items: a matrix gives its numbers in
//   column-major order, a text is one item for %s (but gives its character codes when a
//   numeric conversion meets it);
// - the format is applied again while items remain; output stops at the first conversion
//   that finds no item left (the literal text before it is still written);
// - "%f" gives six decimals; "%d"/"%i" of a whole number prints its digits, of a number
//   that is not whole it falls back to "%e" (to "%f"-like "%.Nf" when a precision is given);
// - "%s" of a number prints the number as "%g" would (shortest form).
std::string formatText(std::string_view format, std::span<const Value> args);
std::string formatText(std::string_view format, std::initializer_list<Value> args);

// Console display of a named value: "name =" on its own line, then the value, one matrix
// row per line, then a blank line. Texts show as the text, empty values as "[]".
std::string displayValue(std::string_view name, const Value& value);

// The text with its ASCII letters in lower case, for names that compare case-insensitively.
std::string toLower(std::string_view text);

}  // namespace vezedo::platform
