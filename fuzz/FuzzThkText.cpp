// Fuzz target: the THK clipboard text parser.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "data/Message.h"
#include "data/ThkFormat.h"
#include "fuzz/FuzzDataSets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static orvelle::fuzz::PristineDataSets sets = [] {
    orvelle::SetMessageHandler([](const std::string&) {});
    return orvelle::fuzz::PristineDataSets();
  }();
  orvelle::ParseThkTextIntoResetSets(std::string_view(reinterpret_cast<const char*>(data), size),
                                     sets.get());
  sets.Restore();
  return 0;
}
