#include "views2d/FixedText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace orvelle {
namespace {

// Large enough for the fixed form of the largest double with 20 decimals.
constexpr int kBufferSize = 400;

std::string ToChars(double value, std::chars_format format, int precision) {
  char buffer[kBufferSize];
  const auto result = std::to_chars(buffer, buffer + kBufferSize, value, format, precision);
  if (result.ec != std::errc()) return "0";
  return std::string(buffer, result.ptr);
}

std::string NonFiniteText(double value) {
  if (std::isnan(value)) return "NAN";
  return value < 0 ? "-INF" : "INF";
}

}  // namespace

std::string FormatFixed(double value, int decimals, int width) {
  decimals = std::clamp(decimals, 0, 20);
  std::string text = ToChars(value, std::chars_format::fixed, decimals);
  if (static_cast<int>(text.size()) < width) text.insert(0, width - text.size(), ' ');
  return text;
}

std::string FormatFixedSignificant(double value, int precision, int decimals) {
  if (!std::isfinite(value)) return NonFiniteText(value);
  precision = std::clamp(precision, 1, 17);
  decimals = std::clamp(decimals, 0, 18);
  if (value == 0.0) return FormatFixed(0.0, decimals);
  // The decimal exponent after rounding to `precision` significant digits.
  const std::string scientific = ToChars(value, std::chars_format::scientific, precision - 1);
  const int exponent = std::atoi(scientific.c_str() + scientific.find('e') + 1);
  if (exponent + 1 > precision) {
    char exponentText[16];
    std::snprintf(exponentText, sizeof exponentText, "E%+03d", exponent);
    return scientific.substr(0, scientific.find('e')) + exponentText;
  }
  const int rounded = std::max(0, std::min(decimals, precision - 1 - exponent));
  std::string text = ToChars(value, std::chars_format::fixed, rounded);
  if (decimals > rounded) {
    if (rounded == 0) text += '.';
    text.append(decimals - rounded, '0');
  }
  // A value that rounds to zero reads as zero, without a sign.
  if (text[0] == '-' && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);
  return text;
}

}  // namespace orvelle
