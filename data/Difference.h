// The difference (or ratio) of two measurements, on the lattice of the first: a removal or growth
// map from the measurements before and after a process step.
#pragma once

#include <string>

#include "data/GridDataSet.h"

namespace orvelle {

// "<a> - <b>", or "<a> / <b>" for the ratio, cut to the readers' field limit at a character
// boundary (CutName).
std::string DifferenceName(const std::string& a, const std::string& b, bool ratio);

// Replaces every valid value of `a` (a data type as read, neither filled nor smoothed) by a - b,
// or a / b with `ratio`, where b is `b`'s value at the same point (the caller passes b filled as
// it wants it); the point loses its value where b has none or, for the ratio, where b is 0, and
// where the result is not finite or not above kNoData (it would read back as no data). The name
// becomes DifferenceName; a's geometry stays. Returns the number of a's valid points at which b
// has a value. The statistics are not recomputed.
long DifferenceDataSet(GridDataSet& a, const GridDataSet& b, bool ratio);

}  // namespace orvelle
