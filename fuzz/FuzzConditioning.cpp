// Fuzz target: clipboard text through the conditioning pipeline. The first byte picks the
// settings (fill or spline of order 0..7, filter radius -1..6); the rest is the text. As in the
// window, the pipeline runs over the slots the text filled.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "data/Conditioning.h"
#include "data/Message.h"
#include "data/ThkFormat.h"
#include "fuzz/FuzzDataSets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static orvelle::fuzz::PristineDataSets sets = [] {
    orvelle::SetMessageHandler([](const std::string&) {});
    return orvelle::fuzz::PristineDataSets();
  }();
  if (size < 1) return 0;
  orvelle::ViewerParams params = orvelle::DesignedParams();
  params.splineEnable = data[0] & 1;
  params.splineOrder = (data[0] >> 1) & 7;
  params.filterEnable = (data[0] >> 4) != 0;
  params.filterSize = (data[0] >> 4) % 8 - 1;
  const int n = orvelle::ParseThkTextIntoResetSets(
      std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1), sets.get());
  if (n > 0) orvelle::ConditionDataSets(sets.get(), n, params);
  sets.Restore();
  return 0;
}
