// PLACEHOLDER until the conditioning pipeline is merged: statistics of the active slots only.
#include "data/Conditioning.h"

#include <algorithm>

namespace orvelle {

int ConditionDataSets(GridDataSet* sets, int count, const ViewerParams&) {
  count = std::clamp(count, 0, kMaxDataSets);
  for (int i = 0; i < count; ++i) {
    ComputeStatistics(sets[i]);
    sets[i].defaultMin = sets[i].rangeMin;
    sets[i].defaultMax = sets[i].rangeMax;
    sets[i].processed = 1;
  }
  return 1;
}

}  // namespace orvelle
