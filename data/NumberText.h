// Number conversion with the C library's "leading numeric text" rule (atoi/atof: leading blanks
// skipped, the longest numeric prefix counts, no number gives 0), but independent of the process
// locale: '.' is the decimal point whatever LC_NUMERIC says.
#pragma once

#include <string>
#include <string_view>

namespace orvelle {

// atof of the text: decimal, exponent, hexadecimal, "inf" and "nan" forms as strtod in the C
// locale reads them. Out-of-range values give +-infinity (overflow) or a value near zero.
double LeadingDouble(std::string_view text);

// The common exact case of LeadingDouble: true when the whole text is a plain decimal number
// ([sign] digits [. digits] [e [sign] digits]) that converts exactly with one rounding; `out`
// then equals LeadingDouble(text). False leaves `out` unchanged.
bool WholeDecimal(std::string_view text, double& out);

// atoi of the text, saturated to the int range instead of wrapping.
int LeadingInt(std::string_view text);

// A real printed so that it reads back to the same double ("%.17g" in the C locale).
std::string FormatReal(double value);

// A double truncated toward zero, printed as an integer without overflow for any finite value.
std::string FormatTruncated(double value);

}  // namespace orvelle
