// The conditioning pipeline: turns each loaded sparse lattice into a dense grid (bilinear fill of
// the complete lattice cells, or the spline), then optionally smooths it with a disc mean.
// Also the normalisation rule: only data set 0 ever gets a divisor other than 1.
#pragma once

#include "data/GridDataSet.h"
#include "data/ViewerParams.h"

namespace orvelle {

// The filter smooths only the points with X and Y in 0..kFilterExtent.
inline constexpr int kFilterExtent = 300;

// What the Fill command shows when the pipeline fails (the open and paste paths stay silent).
inline constexpr const char* kFillFailedMessage =
    "Data count is not enough to 'Fill'. Please check the data.";

// Runs the pipeline over slots 0..count-1 (count clamped to 0..10) with the given settings:
// each active slot is filled (FillGaps must find at least one complete cell) or, with
// splineEnable, rebuilt by SplineInterpolate with splineOrder; then, with filterEnable, smoothed
// with radius filterSize. Every slot passed over, active or not, is marked processed.
// Returns 1; on the first failing slot resets all `count` slots and returns -1. Shows no message
// itself (the spline shows its own). The window calls GetParam before and, on failure,
// RefreshViews after; the Fill command then shows kFillFailedMessage.
int ConditionDataSets(GridDataSet* sets, int count, const ViewerParams& params);

// Bilinear fill over the pitch lattice: fills the missing points of every complete cell (four
// valid corners, none past coordinate 500), then recomputes the statistics and sets the range
// defaults to the new range. Returns the number of complete cells, or -1 when the slot is not
// active, a pitch is below 1 or size is 0 (nothing changed then). Measured points never change.
int FillGaps(GridDataSet& set);

// Fills the missing points of the cell with origin (x0, y0) by bilinear interpolation between
// its four corners (read once). Does nothing when the cell does not lie inside the grid.
void FillCell(GridDataSet& set, int x0, int y0);

// Replaces every valid point with X and Y in 0..kFilterExtent by the mean of the valid points
// within `radius` of it, taken over the unfiltered grid (clipped at the grid edge). Missing
// points stay missing; points beyond the extent only contribute. Radius 0 or less: no change.
// The statistics are left as they were.
void FilterDataSet(GridDataSet& set, int radius);

// Mean of the valid points whose distance from (x, y), rounded to single precision, is at most
// `radius`; kNoData when there is none (always for a negative radius). Radius 0: the value at
// (x, y) itself. A point outside the grid gives kNoData.
double DiscMean(const GridDataSet& set, int x, int y, int radius);

// The divisor part of reading the settings: slot 0 gets normValue when normEnable is set and
// 1.0 otherwise; no other slot is touched.
void ApplyNormDivisor(GridDataSet* sets, const ViewerParams& params);

// A value as the views show it: divided by the set's normDivisor when that is not 0 and the
// value is valid; invalid values are returned unchanged.
double NormalizedValue(const GridDataSet& set, double value);

}  // namespace orvelle
