// Fuzz target: the THK file reader, fed in pieces whose size the first byte chooses, so that
// fields, CR LF pairs and the end byte fall across piece boundaries. The same input is also fed
// in one piece, where long data lines take the faster route; both readings must agree.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "data/GridDataSet.h"
#include "data/Message.h"
#include "data/ThkFormat.h"
#include "fuzz/FuzzDataSets.h"

namespace {

std::string messages;

struct Reading {
  int result;
  std::string messages;
};

Reading Read(orvelle::GridDataSet* sets, const char* text, size_t size, size_t piece) {
  messages.clear();
  orvelle::ThkFileParser parser(sets);
  while (size > 0) {
    const size_t n = size < piece ? size : piece;
    if (!parser.Feed(text, n)) break;
    text += n;
    size -= n;
  }
  const int result = parser.Finish();
  return {result, messages};
}

bool SameSets(const orvelle::GridDataSet* a, const orvelle::GridDataSet* b) {
  for (int k = 0; k < orvelle::kMaxDataSets; ++k) {
    if (a[k].active != b[k].active || a[k].name != b[k].name ||
        a[k].pointCount != b[k].pointCount || a[k].size != b[k].size ||
        a[k].pitchX != b[k].pitchX || a[k].pitchY != b[k].pitchY || a[k].maxX != b[k].maxX ||
        a[k].maxY != b[k].maxY) {
      return false;
    }
    for (int x = 0; x <= a[k].maxX; ++x) {
      if (std::memcmp(a[k].values[x], b[k].values[x], sizeof(double) * (a[k].maxY + 1)) != 0) {
        return false;
      }
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static orvelle::fuzz::PristineDataSets sets = [] {
    orvelle::SetMessageHandler([](const std::string& m) { messages += m + "\n"; });
    return orvelle::fuzz::PristineDataSets();
  }();
  static orvelle::fuzz::PristineDataSets whole;
  if (size == 0) return 0;
  const char* text = reinterpret_cast<const char*>(data + 1);
  const Reading pieces = Read(sets.get(), text, size - 1, 1 + data[0] % 17);
  const Reading once = Read(whole.get(), text, size - 1, size);
  if (once.result != pieces.result || once.messages != pieces.messages ||
      (once.result > 0 && !SameSets(sets.get(), whole.get()))) {
    std::abort();
  }
  sets.Restore();
  whole.Restore();
  return 0;
}
