// Fuzz target: the name text rule. Whatever the bytes, the text is valid UTF-8, and valid UTF-8
// comes back unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "data/NameText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::string text = orvelle::NameText(bytes);
  if (!orvelle::IsValidUtf8(text)) std::abort();
  if (orvelle::IsValidUtf8(bytes) && text != bytes) std::abort();
  // Every byte leaves a trace: at least one character per two bytes read.
  if (text.size() < (size + 1) / 2) std::abort();
  return 0;
}
