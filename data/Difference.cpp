#include "data/Difference.h"

#include <algorithm>
#include <cmath>

#include "data/NameText.h"
#include "data/ThkFormat.h"

namespace orvelle {

std::string DifferenceName(const std::string& a, const std::string& b, bool ratio) {
  return CutName(a + (ratio ? " / " : " - ") + b, kMaxFieldLength);
}

long DifferenceDataSet(GridDataSet& a, const GridDataSet& b, bool ratio) {
  long common = 0;
  const int lastX = std::clamp(a.maxX, 0, kGridDim - 1);
  const int lastY = std::clamp(a.maxY, 0, kGridDim - 1);
  for (int x = 0; x <= lastX; ++x) {
    double* row = a.values[x];
    const double* other = b.values[x];
    for (int y = 0; y <= lastY; ++y) {
      if (!IsValid(row[y])) continue;
      const double w = other[y];
      if (!IsValid(w)) {
        row[y] = kNoData;
        continue;
      }
      ++common;
      const double r = ratio ? (w == 0.0 ? kNoData : row[y] / w) : row[y] - w;
      row[y] = std::isfinite(r) && IsValid(r) ? r : kNoData;
    }
  }
  a.name = DifferenceName(a.name, b.name, ratio);
  return common;
}

}  // namespace orvelle
