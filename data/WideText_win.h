// UTF-8 <-> UTF-16 for the wide Windows API: every path and message of the program is UTF-8.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace orvelle {

// The UTF-16 spelling of UTF-8 `text`; invalid bytes become U+FFFD.
inline std::wstring WideText(std::string_view text) {
  if (text.empty()) return {};
  const int n =
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
  return out;
}

// The UTF-8 spelling of UTF-16 `text`.
inline std::string Utf8Text(std::wstring_view text) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                    0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                      nullptr, nullptr);
  return out;
}

}  // namespace orvelle
