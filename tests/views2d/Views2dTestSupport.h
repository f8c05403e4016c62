// Small grids and expected pictures for the 2D view tests.
#pragma once

#include <QImage>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "data/GridDataSet.h"

namespace orvelle::test {

// An active, processed data set of the given size whose points 0..size on both axes hold
// value(x, y); its range is set to lo..hi.
inline std::unique_ptr<GridDataSet> MakeGrid(int size, const std::function<double(int, int)>& value,
                                             double lo, double hi) {
  auto d = std::make_unique<GridDataSet>();
  d->active = d->processed = 1;
  d->size = d->maxX = d->maxY = size;
  d->pitchX = d->pitchY = 1;
  for (int x = 0; x <= size; ++x)
    for (int y = 0; y <= size; ++y) d->values[x][y] = value(x, y);
  d->rangeMin = d->defaultMin = lo;
  d->rangeMax = d->defaultMax = hi;
  d->mean = (lo + hi) / 2;
  return d;
}

inline QImage Blank(int w, int h, QRgb fill = 0xFF000000u) {
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(fill);
  return image;
}

// A one-pixel line with both ends: every step along the longer axis, the other coordinate
// rounded half up, the same pixels from either end.
inline void ExpectedLine(QImage& image, int x0, int y0, int x1, int y1, QRgb color) {
  const int dx = x1 - x0, dy = y1 - y0;
  const bool xMajor = std::abs(dx) >= std::abs(dy);
  if (xMajor ? dx < 0 : dy < 0) return ExpectedLine(image, x1, y1, x0, y0, color);
  const int steps = xMajor ? dx : dy;
  for (int k = 0; k <= steps; ++k) {
    const double minor = steps == 0 ? 0.0 : (xMajor ? double(dy) : double(dx)) * k / steps;
    const int m = static_cast<int>(std::floor(minor + 0.5));
    const int x = xMajor ? x0 + k : x0 + m, y = xMajor ? y0 + m : y0 + k;
    if (image.rect().contains(x, y)) image.setPixel(x, y, color);
  }
}

// The first differing pixel, or "" when the pictures are equal.
inline std::string FirstDifference(const QImage& actual, const QImage& expected) {
  if (actual.size() != expected.size()) return "sizes differ";
  for (int y = 0; y < actual.height(); ++y)
    for (int x = 0; x < actual.width(); ++x)
      if (actual.pixel(x, y) != expected.pixel(x, y)) {
        char buf[96];
        std::snprintf(buf, sizeof buf, "pixel (%d, %d): %08X, expected %08X", x, y,
                      actual.pixel(x, y), expected.pixel(x, y));
        return buf;
      }
  return "";
}

}  // namespace orvelle::test
