#include "data/NameText.h"

#include <iconv.h>

#include <cerrno>
#include <cstddef>

namespace orvelle {
namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD

bool Continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Without the converter (a C library built without its character-set modules) the name still
// becomes valid text: ASCII stays, every other byte is replaced.
std::string AsciiOnly(std::string_view bytes) {
  std::string out;
  for (const char c : bytes) {
    if (static_cast<unsigned char>(c) < 0x80) {
      out += c;
    } else {
      out += kReplacement;
    }
  }
  return out;
}

std::string FromCp932(std::string_view bytes) {
  const iconv_t cd = iconv_open("UTF-8", "CP932");
  if (cd == reinterpret_cast<iconv_t>(-1)) return AsciiOnly(bytes);
  std::string out;
  out.reserve(bytes.size() * 3 / 2);
  char* in = const_cast<char*>(bytes.data());  // iconv does not write through it
  size_t inLeft = bytes.size();
  char buffer[256];
  while (inLeft > 0) {
    char* to = buffer;
    size_t toLeft = sizeof buffer;
    const size_t result = iconv(cd, &in, &inLeft, &to, &toLeft);
    out.append(buffer, static_cast<size_t>(to - buffer));
    if (result != static_cast<size_t>(-1) || errno == E2BIG) continue;
    // EILSEQ or EINVAL: the byte at `in` begins no character (a stray byte, a lead byte with a
    // wrong trail byte, or a lead byte at the end). Replace that one byte and resynchronise.
    out += kReplacement;
    ++in;
    --inLeft;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  iconv_close(cd);
  return out;
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const auto* end = p + bytes.size();
  while (p < end) {
    const unsigned char c = *p;
    if (c < 0x80) {
      ++p;
      continue;
    }
    size_t length;
    unsigned char low = 0x80, high = 0xBF;  // allowed range of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
      length = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
      length = 3;
      if (c == 0xE0) low = 0xA0;   // overlong
      if (c == 0xED) high = 0x9F;  // surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
      length = 4;
      if (c == 0xF0) low = 0x90;   // overlong
      if (c == 0xF4) high = 0x8F;  // past U+10FFFF
    } else {
      return false;
    }
    if (static_cast<size_t>(end - p) < length) return false;
    if (p[1] < low || p[1] > high) return false;
    for (size_t k = 2; k < length; ++k) {
      if (!Continuation(p[k])) return false;
    }
    p += length;
  }
  return true;
}

std::string NameText(std::string_view bytes) {
  if (IsValidUtf8(bytes)) return std::string(bytes);
  return FromCp932(bytes);
}

std::string CutName(std::string_view bytes, size_t maxBytes) {
  if (bytes.size() <= maxBytes) return std::string(bytes);
  size_t end = 0;
  if (IsValidUtf8(bytes)) {
    end = maxBytes;
    while (end > 0 && Continuation(static_cast<unsigned char>(bytes[end]))) --end;
  } else {
    for (size_t i = 0; i < bytes.size();) {
      const unsigned char c = static_cast<unsigned char>(bytes[i]);
      const bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
      const size_t next = i + (lead && i + 1 < bytes.size() ? 2 : 1);
      if (next > maxBytes) break;
      end = i = next;
    }
  }
  return std::string(bytes.substr(0, end));
}

std::string ByteText(unsigned char byte) {
  if (byte == 0) return kReplacement;
  const char c = static_cast<char>(byte);
  return NameText(std::string_view(&c, 1));
}

}  // namespace orvelle
