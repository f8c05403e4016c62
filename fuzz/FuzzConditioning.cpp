// Fuzz target: clipboard text through the conditioning pipeline. The first byte picks the
// settings (fill or spline of order 0..7, filter radius -1..6); the rest is the text.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "data/Conditioning.h"
#include "data/Message.h"
#include "data/ThkFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static std::unique_ptr<orvelle::GridDataSet[]> sets = [] {
    orvelle::SetMessageHandler([](const std::string&) {});
    return orvelle::MakeDataSets();
  }();
  if (size < 1) return 0;
  orvelle::ViewerParams params = orvelle::DesignedParams();
  params.splineEnable = data[0] & 1;
  params.splineOrder = (data[0] >> 1) & 7;
  params.filterEnable = (data[0] >> 4) != 0;
  params.filterSize = (data[0] >> 4) % 8 - 1;
  const int n = orvelle::ParseThkText(
      std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1), sets.get());
  if (n > 0) orvelle::ConditionDataSets(sets.get(), orvelle::kMaxDataSets, params);
  return 0;
}
