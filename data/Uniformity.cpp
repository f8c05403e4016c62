#include "data/Uniformity.h"

#include <algorithm>
#include <cmath>

namespace orvelle {

void MeasureSites(GridDataSet& set) {
  SiteFigures figures;
  if (!set.active) {
    set.sites = figures;
    return;
  }
  const int lastX = std::clamp(set.maxX, 0, kGridDim - 1);
  const int lastY = std::clamp(set.maxY, 0, kGridDim - 1);
  // Independent lanes let the comparisons and additions overlap; the mean's summing order matters
  // to no other figure.
  constexpr int kLanes = 4;
  double lo[kLanes], hi[kLanes], sum[kLanes] = {};
  std::fill(lo, lo + kLanes, HUGE_VAL);
  std::fill(hi, hi + kLanes, -HUGE_VAL);
  long count = 0;
  for (int x = 0; x <= lastX; ++x) {
    const double* v = set.values[x];
    int y = 0;
    for (; y + kLanes <= lastY + 1; y += kLanes) {
      for (int l = 0; l < kLanes; ++l) {
        const double d = v[y + l];
        const bool valid = IsValid(d);
        lo[l] = valid && d < lo[l] ? d : lo[l];
        hi[l] = valid && d > hi[l] ? d : hi[l];
        sum[l] += valid ? d : 0.0;
        count += valid;
      }
    }
    for (; y <= lastY; ++y) {
      const double d = v[y];
      if (!IsValid(d)) continue;
      lo[0] = std::min(lo[0], d);
      hi[0] = std::max(hi[0], d);
      sum[0] += d;
      ++count;
    }
  }
  figures.count = static_cast<int32_t>(count);
  if (count > 0) {
    figures.min = *std::min_element(lo, lo + kLanes);
    figures.max = *std::max_element(hi, hi + kLanes);
    figures.mean = ((sum[0] + sum[1]) + (sum[2] + sum[3])) / static_cast<double>(count);
    // A mean rounded outside the values' range (possible by the last bit) is held to it.
    figures.mean = std::clamp(figures.mean, figures.min, figures.max);
    figures.stdDev = ComputeStdDev(set, figures.mean, lastX, lastY);
  }
  set.sites = figures;
}

std::optional<double> NonUniformityPct(double span, double mean) {
  if (!IsValid(mean) || mean == 0.0) return std::nullopt;
  return span / (2.0 * mean) * 100.0;
}

std::optional<double> CvPct(double stdDev, double mean) {
  if (!IsValid(mean) || mean == 0.0 || stdDev == kNoData) return std::nullopt;
  return stdDev / std::fabs(mean) * 100.0;
}

}  // namespace orvelle
