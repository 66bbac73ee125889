#pragma once

#include <string>
#include <string_view>

#include "platform/matrix.h"

namespace vezedo::platform {

// Reads box text as a numeric matrix. Numbers separated by blanks (spaces, tabs) or commas
// form a row; rows are separated by semicolons or line breaks; the whole text may be
// enclosed in one pair of square brackets. Numbers may carry a sign, decimals and an
// exponent; "Inf" and "NaN" (any letter case, optionally signed) are accepted. Empty rows
// are skipped. Anything else, ragged rows included, gives the empty matrix. This is a
// parser: the text is never evaluated as code.
Matrix parseNumericText(std::string_view text);

// Whether every finite number of a matrix is whole (and below 1e15, where doubles still
// hold every whole number exactly enough to print), and the largest finite magnitude.
struct NumberRange {
    bool whole = true;
    double largest = 0.0;
};
NumberRange numberRange(const Matrix& m);

// Number-to-text conversion for box texts. Whole numbers are written as plain digits
// (minus sign when negative); the numbers of a row are written in order, right-aligned
// in columns two blanks wider than the widest number, with the leading blanks of each
// line removed; rows are separated by line breaks. Numbers that are not whole are written
// with four decimals' worth of significant digits ("%.5g" widened for large values).
// NaN and Inf are "NaN", "Inf", "-Inf". The empty matrix gives "".
std::string numberToText(const Matrix& m);
std::string numberToText(double value);

// Whether a decimal number beyond the range of doubles ("1e400", "0.0001e-320") is too large,
// else it is too small: its decimal magnitude is the position of its first significant digit
// plus its exponent. The number has an optional point and exponent and no sign.
bool decimalOverflows(std::string_view number);

// A whole number written as decimal digits with no leading blanks or zeros and no sign
// when positive ("%d"); used for labels.
std::string integerText(double value);

}  // namespace vezedo::platform
