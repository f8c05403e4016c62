#include <iconv.h>
#include <locale.h>

#include <cerrno>
#include <cstdlib>

#include "data/Platform.h"
#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace orvelle {
namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD

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

}  // namespace

void UseBinaryStandardStreams() {}

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  return std::vector<std::string>(argv + 1, argv + argc);
}

double StrtodC(const char* text) {
  static const locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return strtod_l(text, nullptr, loc);
}

void* AllocateAligned(std::size_t alignment, std::size_t bytes) {
  void* block = std::aligned_alloc(alignment, bytes);
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  // Only advice: without huge pages nothing changes.
  if (block != nullptr) madvise(block, bytes, MADV_HUGEPAGE);
#endif
  return block;
}

void FreeAligned(void* block) noexcept { std::free(block); }

std::string Cp932Text(std::string_view bytes) {
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

std::string NativeLineEnds(std::string text) { return text; }

std::filesystem::path PathFromUtf8(const std::string& text) { return text; }

std::string Utf8FromPath(const std::filesystem::path& path) { return path.native(); }

}  // namespace orvelle
