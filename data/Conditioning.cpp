#include "data/Conditioning.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "data/Platform.h"
#include "data/Spline.h"

namespace orvelle {
namespace {

constexpr int kLast = kGridDim - 1;
// From this radius on every grid point lies in every disc (500 * sqrt(2) < 708), so a larger
// radius gives the same means.
constexpr int kWholeGridRadius = 708;

// The disc test: the distance, rounded to single precision, may not exceed the radius.
bool InDisc(int dx, int dy, int r) {
  const float d = static_cast<float>(std::sqrt(static_cast<double>(dx * dx + dy * dy)));
  return !(static_cast<float>(r) < d);
}

// Adds the runs y - h .. y + h of one row to the sums and counts of y = 0..n-1. Each element sees
// the same operations whatever the vector width, so every clone gives the same results.
ORVELLE_AVX2_CLONES void AddRuns(const double* prefixSum, const int* prefixCount, int h, int n,
                                 double* sum, int* count) {
  for (int y = 0; y < n; ++y) {
    sum[y] += prefixSum[y + h + 1] - prefixSum[y - h];
    count[y] += prefixCount[y + h + 1] - prefixCount[y - h];
  }
}

// The last X and Y a loaded slot can hold a value at; every pass here stops there.
int LastX(const GridDataSet& s) { return std::clamp(s.maxX, 0, kLast); }
int LastY(const GridDataSet& s) { return std::clamp(s.maxY, 0, kLast); }

int FillLatticeCells(GridDataSet& s, int limitX, int limitY);
int CountCompleteUnitCells(const GridDataSet& s, int lastX, int lastY);

}  // namespace

int ConditionDataSets(GridDataSet* sets, int count, const ViewerParams& params) {
  count = std::clamp(count, 0, kMaxDataSets);
  for (int i = 0; i < count; ++i) {
    GridDataSet& s = sets[i];
    if (s.active) {
      const bool ok =
          params.splineEnable ? SplineInterpolate(s, params.splineOrder) == 1 : FillGaps(s) > 0;
      if (!ok) {
        ResetLoadedDataSets(sets, count);
        return -1;
      }
      if (params.filterEnable) FilterDataSet(s, params.filterSize);
    }
    s.processed = 1;
  }
  return 1;
}

int FillGaps(GridDataSet& s) {
  if (!s.active || s.pitchX < 1 || s.pitchY < 1 || s.size == 0) return -1;
  int cells = 0;
  // A cell whose origin lies past 500, or past the last point read, has a corner without a
  // value and is never complete.
  const int limit = std::min(s.size, kLast);
  const int limitX = std::min(limit, LastX(s)), limitY = std::min(limit, LastY(s));
  if (s.pitchX == 1 && s.pitchY == 1) {
    cells = CountCompleteUnitCells(s, limitX, limitY);
  } else {
    cells = FillLatticeCells(s, limitX, limitY);
  }
  ComputeStatistics(s, LastX(s), LastY(s));
  // The range reset restores these; without them it would restore an empty range.
  s.defaultMin = s.rangeMin;
  s.defaultMax = s.rangeMax;
  return cells;
}

namespace {

int FillLatticeCells(GridDataSet& s, int limitX, int limitY) {
  int cells = 0;
  for (int x0 = 0; x0 <= limitX; x0 += s.pitchX) {
    for (int y0 = 0; y0 <= limitY; y0 += s.pitchY) {
      const long long x1 = static_cast<long long>(x0) + s.pitchX;
      const long long y1 = static_cast<long long>(y0) + s.pitchY;
      const bool complete = IsValid(s.values[x0][y0]) && x1 <= kLast && IsValid(s.values[x1][y0]) &&
                            y1 <= kLast && IsValid(s.values[x0][y1]) && IsValid(s.values[x1][y1]);
      if (complete) {
        FillCell(s, x0, y0);
        ++cells;
      }
      if (y0 > limitY - s.pitchY) break;  // the next step would pass the limit (or overflow)
    }
    if (x0 > limitX - s.pitchX) break;
  }
  return cells;
}

// A one-pitch cell consists of its four corners alone, so a complete one has nothing to fill:
// the cells are only counted. Origins run up to limitX, limitY, far corners up to the last point.
int CountCompleteUnitCells(const GridDataSet& s, int limitX, int limitY) {
  const int lastX = std::min(limitX, LastX(s) - 1);
  const int lastY = std::min(limitY, LastY(s) - 1);
  int cells = 0;
  bool pairs[kGridDim];
  for (int x0 = 0; x0 <= lastX; ++x0) {
    const double* a = s.values[x0];
    const double* b = s.values[x0 + 1];
    for (int y = 0; y <= lastY + 1; ++y) pairs[y] = IsValid(a[y]) & IsValid(b[y]);
    for (int y0 = 0; y0 <= lastY; ++y0) cells += pairs[y0] & pairs[y0 + 1];
  }
  return cells;
}

}  // namespace

void FillCell(GridDataSet& s, int x0, int y0) {
  const int px = s.pitchX, py = s.pitchY;
  if (px < 1 || py < 1 || x0 < 0 || y0 < 0 || x0 > kLast - px || y0 > kLast - py) return;
  const double v00 = s.values[x0][y0];
  const double v10 = s.values[x0 + px][y0];
  const double v01 = s.values[x0][y0 + py];
  const double v11 = s.values[x0 + px][y0 + py];
  for (int i = 0; i <= px; ++i) {
    double* column = &s.values[x0 + i][y0];
    const double tx = static_cast<double>(i) / px;
    const double a = v00 + tx * (v10 - v00);
    const double b = v01 + tx * (v11 - v01);
    for (int j = 0; j <= py; ++j) {
      if (IsValid(column[j])) continue;
      const double ty = static_cast<double>(j) / py;
      column[j] = a + ty * (b - a);
    }
  }
}

double DiscMean(const GridDataSet& s, int x, int y, int r) {
  if (x < 0 || x > kLast || y < 0 || y > kLast) return kNoData;
  if (r == 0) return s.values[x][y];
  if (r < 0) return kNoData;
  const int reach = std::min(r, kWholeGridRadius);
  double sum = 0.0;
  int n = 0;
  for (int j = std::max(x - reach, 0); j <= std::min(x + reach, kLast); ++j) {
    for (int k = std::max(y - reach, 0); k <= std::min(y + reach, kLast); ++k) {
      if (!InDisc(j - x, k - y, reach)) continue;
      const double v = s.values[j][k];
      if (!IsValid(v)) continue;
      sum += v;
      ++n;
    }
  }
  return n == 0 ? kNoData : sum / n;
}

// Each disc is a union of horizontal runs, one per row within reach. Per row, prefix sums of
// the valid values and valid counts give each run in two look-ups, so a point costs 2r + 1
// steps instead of (2r + 1)^2. The values are summed relative to the middle of their range,
// which keeps the rounding of the prefix sums far below the data's span.
void FilterDataSet(GridDataSet& s, int radius) {
  if (radius <= 0) return;
  const int r = std::min(radius, kWholeGridRadius);
  // Rows and columns past the last point read hold nothing: they add nothing to any disc and
  // have nothing to smooth, so the passes below stop there.
  const int lastY = LastY(s);
  const int outX = std::min({kFilterExtent, kLast, LastX(s)});
  const int outY = std::min({kFilterExtent, kLast, lastY});
  const int lastRow = std::min({kLast, kFilterExtent + r, LastX(s)});

  double lo = kRunningMinStart, hi = kRunningMaxStart;
  bool any = false;
  for (int x = 0; x <= lastRow; ++x) {
    for (int y = 0; y <= lastY; ++y) {
      const double v = s.values[x][y];
      if (!IsValid(v)) continue;
      any = true;
      lo = std::min(lo, v);
      hi = std::max(hi, v);
    }
  }
  if (!any) return;
  const double centre = lo + (hi - lo) / 2;

  // halfWidth[d]: the run of row offset d reaches from y - halfWidth[d] to y + halfWidth[d].
  const int widest = std::min(r, kGridDim);
  std::vector<int> halfWidth(r + 1);
  for (int d = 0, h = widest; d <= r; ++d) {
    while (h > 0 && !InDisc(d, h, r)) --h;
    halfWidth[d] = h;
  }

  // Prefix arrays padded by `pad` on both sides so that runs clipped at the grid edge need no
  // test: position t holds the sum over y < t - pad, clamped to 0..501. The runs of the points
  // up to outY read no position past outY + pad + widest + 1.
  const int pad = widest + 1;
  const int width = std::min(kGridDim + 2 * pad + 1, outY + pad + widest + 2);
  std::vector<double> sums(static_cast<size_t>(lastRow + 1) * width);
  std::vector<int> counts(sums.size());
  for (int x = 0; x <= lastRow; ++x) {
    double* ps = &sums[static_cast<size_t>(x) * width];
    int* pc = &counts[static_cast<size_t>(x) * width];
    double sum = 0.0;
    int count = 0;
    for (int t = 0; t < width; ++t) {
      ps[t] = sum;
      pc[t] = count;
      const int y = t - pad;
      if (y >= 0 && y <= kLast && IsValid(s.values[x][y])) {
        sum += s.values[x][y] - centre;
        ++count;
      }
    }
  }

  // Each row's means come from the prefix arrays of the unfiltered grid, so writing the row
  // back at once does not disturb the rows after it.
  std::vector<double> rowSum(outY + 1);
  std::vector<int> rowCount(outY + 1);
  for (int x = 0; x <= outX; ++x) {
    std::fill(rowSum.begin(), rowSum.end(), 0.0);
    std::fill(rowCount.begin(), rowCount.end(), 0);
    for (int j = std::max(x - r, 0); j <= std::min(x + r, lastRow); ++j) {
      const size_t at = static_cast<size_t>(j) * width + pad;
      AddRuns(&sums[at], &counts[at], halfWidth[std::abs(j - x)], outY + 1, rowSum.data(),
              rowCount.data());
    }
    for (int y = 0; y <= outY; ++y) {
      if (IsValid(s.values[x][y])) s.values[x][y] = centre + rowSum[y] / rowCount[y];
    }
  }
}

void ApplyNormDivisor(GridDataSet* sets, const ViewerParams& params) {
  sets[0].normDivisor = params.normEnable ? static_cast<double>(params.normValue) : 1.0;
}

double NormalizedValue(const GridDataSet& set, double value) {
  if (!IsValid(value) || set.normDivisor == 0.0) return value;
  return value / set.normDivisor;
}

}  // namespace orvelle
