// Uniformity figures of a measurement: non-uniformity and coefficient of variation from the
// statistics of a data set, and the same figures over the measured lattice points as read.
#pragma once

#include <optional>

#include "data/GridDataSet.h"

namespace orvelle {

// Measures the valid points of `set` with x <= maxX and y <= maxY as they stand into set.sites.
// Called after a reader and before conditioning, the figures are those of the measured lattice.
// An inactive slot gets empty figures. Two passes: the mean, then the spread about it.
void MeasureSites(GridDataSet& set);

// span / (2 x mean) x 100; none when mean is 0 or kNoData (no value, or no mean computed).
std::optional<double> NonUniformityPct(double span, double mean);

// stdDev / |mean| x 100; none when mean is 0 or kNoData, or stdDev is kNoData.
std::optional<double> CvPct(double stdDev, double mean);

}  // namespace orvelle
