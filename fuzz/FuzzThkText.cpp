// Fuzz target: the THK clipboard text parser.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "data/GridDataSet.h"
#include "data/Message.h"
#include "data/ThkFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static std::unique_ptr<orvelle::GridDataSet[]> sets = [] {
    orvelle::SetMessageHandler([](const std::string&) {});
    return orvelle::MakeDataSets();
  }();
  orvelle::ParseThkText(std::string_view(reinterpret_cast<const char*>(data), size), sets.get());
  return 0;
}
