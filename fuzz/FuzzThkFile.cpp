// Fuzz target: the THK file reader, fed in pieces whose size the first byte chooses, so that
// fields, CR LF pairs and the end byte fall across piece boundaries.
#include <cstddef>
#include <cstdint>

#include "data/GridDataSet.h"
#include "data/Message.h"
#include "data/ThkFormat.h"
#include "fuzz/FuzzDataSets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static orvelle::fuzz::PristineDataSets sets = [] {
    orvelle::SetMessageHandler([](const std::string&) {});
    return orvelle::fuzz::PristineDataSets();
  }();
  if (size == 0) return 0;
  const size_t piece = 1 + data[0] % 17;
  const char* text = reinterpret_cast<const char*>(data + 1);
  size_t left = size - 1;
  orvelle::ThkFileParser parser(sets.get());
  while (left > 0) {
    const size_t n = left < piece ? left : piece;
    if (!parser.Feed(text, n)) break;
    text += n;
    left -= n;
  }
  parser.Finish();
  sets.Restore();
  return 0;
}
