#include "data/NumberText.h"

#include <charconv>
#include <climits>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "data/Platform.h"

namespace orvelle {
namespace {

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                             1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// Exact conversion for the common case: at most 19 significant digits whose integer value fits
// in 53 bits and a decimal exponent within +-22. Multiplying or dividing two exact doubles
// rounds once, so the result is the correctly rounded value, like strtod's.
bool FastDecimal(const char* p, const char* end, double& out) {
  bool neg = false;
  if (p < end && (*p == '-' || *p == '+')) neg = (*p++ == '-');
  // Leading zeros carry no digit; the digits after them are counted by their span, so the
  // loops test one thing a character.
  const char* const first = p;
  while (p < end && *p == '0') ++p;
  const char* significant = p;
  uint64_t mant = 0;
  while (p < end && IsDigit(*p)) mant = mant * 10 + static_cast<unsigned>(*p++ - '0');
  bool any = p != first;
  int digits = static_cast<int>(p - significant);
  int exp10 = 0;
  if (p < end && *p == '.') {
    ++p;
    const char* const fraction = p;
    if (digits == 0) {
      while (p < end && *p == '0') ++p;
    }
    significant = p;
    while (p < end && IsDigit(*p)) mant = mant * 10 + static_cast<unsigned>(*p++ - '0');
    any = any || p != fraction;
    digits += static_cast<int>(p - significant);
    exp10 = -static_cast<int>(p - fraction);
  }
  // More than 19 digits may have wrapped the mantissa: the general path decides.
  if (digits > 19) return false;
  if (!any) return false;
  if (p < end && (*p == 'e' || *p == 'E')) {
    const char* q = p + 1;
    bool eneg = false;
    if (q < end && (*q == '-' || *q == '+')) eneg = (*q++ == '-');
    if (q >= end || !IsDigit(*q)) return false;  // "1e" and friends: let the general path decide
    int e = 0;
    while (q < end && IsDigit(*q)) {
      if (e > 1000) return false;
      e = e * 10 + (*q++ - '0');
    }
    exp10 += eneg ? -e : e;
    p = q;
  }
  if (p != end) return false;  // trailing text: the general path applies the prefix rule
  if (mant > (uint64_t{1} << 53) || exp10 < -22 || exp10 > 22) return false;
  double v = static_cast<double>(mant);
  v = exp10 < 0 ? v / kPow10[-exp10] : v * kPow10[exp10];
  out = neg ? -v : v;
  return true;
}

}  // namespace

bool WholeDecimal(std::string_view text, double& out) {
  return FastDecimal(text.data(), text.data() + text.size(), out);
}

double LeadingDouble(std::string_view text) {
  double fast;
  if (FastDecimal(text.data(), text.data() + text.size(), fast)) return fast;
  std::string copy(text);  // strtod needs a terminated string
  return StrtodC(copy.c_str());
}

int LeadingInt(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && IsSpace(text[i])) ++i;
  bool neg = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) neg = (text[i++] == '-');
  long long v = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    v = v * 10 + (text[i] - '0');
    if (v > static_cast<long long>(INT_MAX) + 1) v = static_cast<long long>(INT_MAX) + 1;
  }
  if (neg) v = -v;
  if (v > INT_MAX) v = INT_MAX;
  return static_cast<int>(v);
}

std::string FormatReal(double value) {
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 17);
  return std::string(buf, r.ptr);
}

std::string FormatTruncated(double value) {
  const double t = std::trunc(value);
  if (std::fabs(t) < 9.0e18) return std::to_string(static_cast<long long>(t));
  char buf[400];
  auto r = std::to_chars(buf, buf + sizeof buf, t, std::chars_format::fixed, 0);
  return std::string(buf, r.ptr);
}

}  // namespace orvelle
