// A measured-looking dense data set for the view benchmarks: two hills, a crater and a ripple
// over the full 501 x 501 grid, with its statistics.
#pragma once

#include <cmath>
#include <memory>

#include "data/GridDataSet.h"

namespace orvelle::bench {

inline std::unique_ptr<GridDataSet> MakeDenseSurface() {
  auto d = std::make_unique<GridDataSet>();
  d->active = d->processed = 1;
  d->size = d->maxX = d->maxY = 500;
  d->pitchX = d->pitchY = 1;
  for (int x = 0; x < kGridDim; ++x) {
    for (int y = 0; y < kGridDim; ++y) {
      const double u = x / 500.0, v = y / 500.0;
      const double hill1 = 120.0 * std::exp(-((u - 0.3) * (u - 0.3) + (v - 0.4) * (v - 0.4)) * 12);
      const double hill2 = 80.0 * std::exp(-((u - 0.7) * (u - 0.7) + (v - 0.6) * (v - 0.6)) * 20);
      const double crater = -40.0 * std::exp(-((u - 0.3) * (u - 0.3) + (v - 0.4) * (v - 0.4)) * 90);
      d->values[x][y] = 100.0 + hill1 + hill2 + crater + 4.0 * std::sin(u * 37) * std::cos(v * 29);
    }
  }
  ComputeStatistics(*d);
  return d;
}

// One shared instance, built on first use.
inline const GridDataSet& DenseSurface() {
  static const std::unique_ptr<GridDataSet> d = MakeDenseSurface();
  return *d;
}

}  // namespace orvelle::bench
