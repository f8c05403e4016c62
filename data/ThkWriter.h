// The writer of the THK file syntax: what LoadThkFile reads back into the same data sets.
#pragma once

#include <string>

#include "data/GridDataSet.h"

namespace orvelle {

// The file text of slots 0..count-1 (count 1..9; the caller passes active slots): slot 0's size
// and pitches, the names, then one CR LF line per grid point, x outer and y inner, where any slot
// holds a valid value; a slot without one there gets -99999 (read back as no data). Values are
// the shortest text that reads back to the same double. Names keep their bytes, cut to the
// readers' field limit at a character boundary, except the three the syntax reserves (comma, LF
// and the end byte 0xFF), each written as '_'. Shows no message.
std::string ThkFileText(const GridDataSet* sets, int count);

}  // namespace orvelle
