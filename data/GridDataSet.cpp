#include "data/GridDataSet.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace orvelle {

GridDataSet::GridDataSet() { ResetDataSets(this, 1); }

void* GridDataSet::operator new[](std::size_t bytes) {
  constexpr std::size_t kHugePage = std::size_t{2} << 20;
  const std::size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
  void* block = std::aligned_alloc(kHugePage, rounded);
  if (block == nullptr) throw std::bad_alloc();
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  madvise(block, rounded, MADV_HUGEPAGE);  // only advice: without huge pages nothing changes
#endif
  return block;
}

void GridDataSet::operator delete[](void* block) noexcept { std::free(block); }

std::unique_ptr<GridDataSet[]> MakeDataSets() {
  return std::make_unique<GridDataSet[]>(kMaxDataSets);
}

namespace {

// One grid row of kNoData: what a reset row is compared with and copied from.
const std::array<double, kGridDim>& EmptyRow() {
  static const std::array<double, kGridDim> row = [] {
    std::array<double, kGridDim> r;
    r.fill(kNoData);
    return r;
  }();
  return row;
}

// Resets one slot, reading only its first `rows` rows: rows that hold nothing already are only
// read, not written again, so pages nobody wrote stay clean.
void ResetSlot(GridDataSet& s, int rows) {
  const std::array<double, kGridDim>& empty = EmptyRow();
  for (int x = 0; x < rows; ++x) {
    if (std::memcmp(s.values[x], empty.data(), sizeof s.values[x]) != 0) {
      std::memcpy(s.values[x], empty.data(), sizeof s.values[x]);
    }
  }
  s.normDivisor = 1.0;
  s.pointCount = 0;
  s.active = 0;
  s.name.clear();
  s.processed = 0;
  s.rangeMin = kRunningMinStart;
  s.rangeMax = kRunningMaxStart;
  s.defaultMin = kRunningMinStart;
  s.defaultMax = kRunningMaxStart;
  s.mean = kNoData;
  s.stdDev = kNoData;
  s.sites = SiteFigures{};
}

}  // namespace

void ResetDataSets(GridDataSet* sets, int count) {
  count = std::clamp(count, 0, kMaxDataSets);
  for (int i = 0; i < count; ++i) ResetSlot(sets[i], kGridDim);
}

void ResetLoadedDataSets(GridDataSet* sets, int count) {
  count = std::clamp(count, 0, kMaxDataSets);
  for (int i = 0; i < count; ++i) {
    GridDataSet& s = sets[i];
    ResetSlot(s, s.active ? std::clamp(s.maxX + 1, 0, kGridDim) : kGridDim);
  }
}

void ComputeStatistics(GridDataSet& set, int lastX, int lastY) {
  if (set.active == 0) return;
  lastX = std::min(lastX, kGridDim - 1);
  lastY = std::min(lastY, kGridDim - 1);
  double lo = kRunningMinStart;
  double hi = kRunningMaxStart;
  int32_t count = 0;
  // The sum runs in the same order as ComputeMean's, so the mean is the same to the last bit.
  double sum = 0.0;
  for (int x = 0; x <= lastX; ++x) {
    const double* v = set.values[x];
    for (int y = 0; y <= lastY; ++y) {
      const double d = v[y];
      if (!IsValid(d)) continue;
      if (hi < d) hi = d;
      if (lo > d) lo = d;
      sum += d;
      ++count;
    }
  }
  set.pointCount = count;
  set.rangeMin = lo;
  set.rangeMax = hi;
  set.span = hi - lo;
  set.mean = count == 0 ? kNoData : sum / static_cast<double>(count);
  set.stdDev = ComputeStdDev(set, set.mean, lastX, lastY);
}

double ComputeMean(const GridDataSet& set, int lastX, int lastY) {
  lastX = std::min(lastX, kGridDim - 1);
  lastY = std::min(lastY, kGridDim - 1);
  double sum = 0.0;
  long count = 0;
  for (int x = 0; x <= lastX; ++x) {
    for (int y = 0; y <= lastY; ++y) {
      const double v = set.values[x][y];
      if (IsValid(v)) {
        sum += v;
        ++count;
      }
    }
  }
  return count == 0 ? kNoData : sum / static_cast<double>(count);
}

double ComputeStdDev(const GridDataSet& set, double mean, int lastX, int lastY) {
  if (!IsValid(mean)) return kNoData;
  lastX = std::min(lastX, kGridDim - 1);
  lastY = std::min(lastY, kGridDim - 1);
  // Independent lanes let the additions overlap (and the compiler use vector registers); the
  // order of these sums matters to no other figure.
  constexpr int kLanes = 4;
  double sum[kLanes] = {};
  double squares[kLanes] = {};
  long count = 0;
  for (int x = 0; x <= lastX; ++x) {
    const double* v = set.values[x];
    int y = 0;
    for (; y + kLanes <= lastY + 1; y += kLanes) {
      for (int l = 0; l < kLanes; ++l) {
        const bool valid = IsValid(v[y + l]);
        const double d = valid ? v[y + l] - mean : 0.0;
        sum[l] += d;
        squares[l] += d * d;
        count += valid;
      }
    }
    for (; y <= lastY; ++y) {
      const bool valid = IsValid(v[y]);
      const double d = valid ? v[y] - mean : 0.0;
      sum[0] += d;
      squares[0] += d * d;
      count += valid;
    }
  }
  if (count < 2) return kNoData;
  const double n = static_cast<double>(count);
  const double s = (sum[0] + sum[1]) + (sum[2] + sum[3]);
  const double q = (squares[0] + squares[1]) + (squares[2] + squares[3]);
  // The deviations' own sum is the rounding error of the mean; removing it is the corrected
  // two-pass formula.
  return std::sqrt(std::max(0.0, (q - s * s / n) / (n - 1.0)));
}

}  // namespace orvelle
