// PLACEHOLDER until the conditioning pipeline is merged: only the entry point the window calls.
#pragma once

#include "data/GridDataSet.h"
#include "data/ViewerParams.h"

namespace orvelle {

// Conditions slots 0..count-1 (fill or spline, then the filter). Returns 1, or -1 after its own
// message with every one of the `count` slots reset. The placeholder only computes statistics.
int ConditionDataSets(GridDataSet* sets, int count, const ViewerParams& params);

}  // namespace orvelle
