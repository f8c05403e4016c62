// Fixed-point number texts for labels and exported tables, independent of the process locale
// ('.' as decimal point whatever LC_NUMERIC says).
#pragma once

#include <string>

namespace orvelle {

// printf "%*.*f" in the C locale: `decimals` (clamped to 0..20) digits after the point,
// right-aligned with blanks in at least `width` characters.
std::string FormatFixed(double value, int decimals, int width = 0);

// A value rounded to at most `precision` significant digits and `decimals` decimals, then
// padded with zeros to `decimals` decimals ("1234.568" -> "1234.56800" for 7, 5). Exponent
// notation ("1.234568E+10") when the integer part has more than `precision` digits.
std::string FormatFixedSignificant(double value, int precision, int decimals);

}  // namespace orvelle
