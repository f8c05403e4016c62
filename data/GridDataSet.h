// The grid data set: one data type of a measurement on a fixed 501 x 501 grid, with its
// statistics and colour range. Ten of them are built once and reused for every load.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace orvelle {

inline constexpr double kNoData = -99999.0;
inline constexpr int kGridDim = 501;
inline constexpr int kMaxDataSets = 10;
// Starting values of a running minimum and maximum.
inline constexpr double kRunningMinStart = 99999.0;
inline constexpr double kRunningMaxStart = -99999.0;

// A grid point holds data exactly when this is true; every scan uses this one test.
inline bool IsValid(double v) { return v > kNoData; }

// Figures of the measured lattice points as a reader left them, before any fill, spline or filter
// (MeasureSites). kNoData stands for a figure that is undefined: min, max and mean without a
// value, stdDev with fewer than two.
struct SiteFigures {
  int32_t count = 0;  // distinct grid points with a valid value
  double min = kNoData;
  double max = kNoData;
  double mean = kNoData;
  double stdDev = kNoData;
};

struct GridDataSet {
  uint8_t active = 0;     // 1: the slot holds a loaded data type
  uint8_t processed = 0;  // set by the conditioning pipeline for every slot it passes over
  std::string name;
  int32_t pointCount = 0;
  int32_t size = 0;
  int32_t pitchX = 0;
  int32_t pitchY = 0;
  // The largest X and Y a reader placed a value at. No valid value lies beyond them once a reader
  // has finished, and conditioning writes nowhere beyond, so its passes stop at this corner.
  int32_t maxX = 0;
  int32_t maxY = 0;
  double values[kGridDim][kGridDim];  // [x][y], indexed by the coordinates themselves
  double normDivisor = 1.0;
  double rangeMin = kRunningMinStart;
  double rangeMax = kRunningMaxStart;
  double defaultMin = kRunningMinStart;
  double defaultMax = kRunningMaxStart;
  double mean = kNoData;
  double span = 0.0;
  // Sample standard deviation (n - 1) of the values that gave `mean`; kNoData with fewer than two
  // values or while no mean has been computed.
  double stdDev = kNoData;
  // Set by MeasureSites only; the window never measures them.
  SiteFigures sites;

  GridDataSet();
  GridDataSet(const GridDataSet&) = delete;
  GridDataSet& operator=(const GridDataSet&) = delete;

  // The ten slots form one block of about 20 MB, asked for in huge pages where the system
  // offers them: thousands of page faults fewer when the block is first written.
  static void* operator new[](std::size_t bytes);
  static void operator delete[](void* block) noexcept;
};

// Allocates the ten slots on the heap, each reset. They are never copied or reallocated.
std::unique_ptr<GridDataSet[]> MakeDataSets();

// Resets slots 0..count-1 (count is clamped to 0..10): every value kNoData, flags and counts 0,
// name empty, normDivisor 1, ranges and defaults at the running start values, mean and stdDev
// kNoData, sites empty.
// size, pitches, maxX/maxY and span keep their values.
void ResetDataSets(GridDataSet* sets, int count);

// ResetDataSets for slots as a reader and the conditioning leave them: the rows of an active slot
// past maxX hold nothing and are not read.
void ResetLoadedDataSets(GridDataSet* sets, int count);

// Recomputes pointCount, rangeMin, rangeMax, span, mean and stdDev from the valid points (x outer,
// y inner, strict comparisons) with x <= lastX and y <= lastY. Does nothing for an inactive slot.
void ComputeStatistics(GridDataSet& set, int lastX = kGridDim - 1, int lastY = kGridDim - 1);

// Mean of the valid points with x <= lastX and y <= lastY in x-major order, or kNoData when there
// is none.
double ComputeMean(const GridDataSet& set, int lastX = kGridDim - 1, int lastY = kGridDim - 1);

// Sample standard deviation (n - 1) of the valid points with x <= lastX and y <= lastY about
// their mean `mean` (as ComputeMean gives it), or kNoData with fewer than two points. The second
// of two passes, with the first pass's rounding error taken out, so a large common offset costs
// no precision.
double ComputeStdDev(const GridDataSet& set, double mean, int lastX = kGridDim - 1,
                     int lastY = kGridDim - 1);

}  // namespace orvelle
