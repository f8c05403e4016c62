#include <windows.h>
// shellapi.h needs the types windows.h declares.
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "data/Platform.h"
#include "data/WideText_win.h"

namespace orvelle {
namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD
constexpr UINT kCp932 = 932;

// Lead and trail byte ranges of CP932's two-byte characters.
bool Lead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
bool Trail(unsigned char c) { return c >= 0x40 && c <= 0xFC && c != 0x7F; }

// Appends the character `bytes` spells, or returns false when it spells none.
bool AppendCharacter(std::string_view bytes, std::string& out) {
  wchar_t wide[2];
  const int n = MultiByteToWideChar(kCp932, MB_ERR_INVALID_CHARS, bytes.data(),
                                    static_cast<int>(bytes.size()), wide, 2);
  if (n <= 0) return false;
  out += Utf8Text(std::wstring_view(wide, static_cast<size_t>(n)));
  return true;
}

}  // namespace

void UseBinaryStandardStreams() {
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return std::vector<std::string>(argv + 1, argv + argc);
  std::vector<std::string> args;
  for (int i = 1; i < count; ++i) args.push_back(Utf8Text(wide[i]));
  LocalFree(wide);
  return args;
}

double StrtodC(const char* text) {
  // The Windows C library reads neither "inf" nor "nan" nor hexadecimal, so the text is read
  // by from_chars after the sign, as glibc's strtod reads it; its range errors keep strtod's
  // limits (HUGE_VAL, zero).
  const char* p = text;
  while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  if (*p == '+' || *p == '-') return 0.0;
  const char* end = p + std::strlen(p);
  double value = 0.0;
  const bool hex = p[0] == '0' && (p[1] == 'x' || p[1] == 'X');
  const auto result = hex ? std::from_chars(p + 2, end, value, std::chars_format::hex)
                          : std::from_chars(p, end, value, std::chars_format::general);
  if (result.ec == std::errc::result_out_of_range) {
    static const _locale_t loc = _create_locale(LC_NUMERIC, "C");
    value = _strtod_l(p, nullptr, loc);
  } else if (result.ec != std::errc()) {
    return 0.0;  // no number at all: +0 whatever sign came before, as glibc's strtod gives
  }
  return negative ? -value : value;
}

void* AllocateAligned(std::size_t alignment, std::size_t bytes) {
  return _aligned_malloc(bytes, alignment);
}

void FreeAligned(void* block) noexcept { _aligned_free(block); }

std::string Cp932Text(std::string_view bytes) {
  // One character at a time, so that a byte that begins none is replaced alone, as the POSIX
  // converter does, instead of the system's default character for the whole run.
  std::string out;
  out.reserve(bytes.size() * 3 / 2);
  size_t i = 0;
  while (i < bytes.size()) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    if (c < 0x80) {
      out += static_cast<char>(c);
      ++i;
      continue;
    }
    size_t length = 0;
    if (c >= 0xA1 && c <= 0xDF) {
      length = 1;  // half-width katakana
    } else if (Lead(c) && i + 1 < bytes.size() && Trail(static_cast<unsigned char>(bytes[i + 1]))) {
      length = 2;
    }
    if (length > 0 && AppendCharacter(bytes.substr(i, length), out)) {
      i += length;
    } else {
      out += kReplacement;
      ++i;
    }
  }
  return out;
}

std::string NativeLineEnds(std::string text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (const char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

std::filesystem::path PathFromUtf8(const std::string& text) { return WideText(text); }

std::string Utf8FromPath(const std::filesystem::path& path) { return Utf8Text(path.native()); }

}  // namespace orvelle
