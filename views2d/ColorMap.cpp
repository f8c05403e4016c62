#include "views2d/ColorMap.h"

#include <QLocale>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "views2d/ColorPalette.h"

namespace orvelle {
namespace {

double DivisorOrOne(const GridDataSet& d) { return d.normDivisor != 0.0 ? d.normDivisor : 1.0; }

// Grid index shown at pixel k of an axis of `pixels` pixels; the ratio is a float by design.
void MapAxis(int size, int pixels, std::vector<int>& index) {
  const float ratio = static_cast<float>(static_cast<double>(size) / pixels);
  index.resize(pixels);
  for (int k = 0; k < pixels; ++k) {
    const int g = static_cast<int>(k * static_cast<double>(ratio));
    index[k] = std::clamp(g, 0, kGridDim - 1);
  }
}

// trunc() of a pixel position; settings far outside their entry limits must not overflow.
int TruncPixel(double v) {
  if (!(v > -1.0e9)) return -1000000000;
  if (v > 1.0e9) return 1000000000;
  return static_cast<int>(v);
}

// First step k >= 0 with offset + k * pitch >= 0.
long long FirstStep(long long offset, long long pitch) {
  return offset >= 0 ? 0 : (-offset + pitch - 1) / pitch;
}

// A filled dot over the pixels (cx - r .. cx + r - 1) whose centres lie inside the circle of
// radius r around (cx, cy), clipped to the image.
void FillDot(QImage& image, int cx, int cy, int r, QRgb color) {
  if (r <= 0) return;
  const int w = image.width(), h = image.height();
  const double r2 = static_cast<double>(r) * r;
  for (int y = std::max(cy - r, 0); y < std::min(cy + r, h); ++y) {
    const double dy = y + 0.5 - cy;
    QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = std::max(cx - r, 0); x < std::min(cx + r, w); ++x) {
      const double dx = x + 0.5 - cx;
      if (dx * dx + dy * dy <= r2) line[x] = color;
    }
  }
}

// Valid points of the whole grid whose value, divided by a non-zero normDivisor, passes. One
// comparison per type keeps the loop free of branches over a quarter of a million points.
template <typename Pass>
int32_t CountPassing(const GridDataSet& d, Pass pass) {
  const double div = d.normDivisor;
  const double* v = &d.values[0][0];
  constexpr int kTotal = kGridDim * kGridDim;
  int32_t count = 0;
  if (div == 0.0 || div == 1.0) {  // x / 1.0 is x
    for (int k = 0; k < kTotal; ++k) count += (v[k] > kNoData) & pass(v[k]);
  } else {
    for (int k = 0; k < kTotal; ++k) count += (v[k] > kNoData) & pass(v[k] / div);
  }
  return count;
}

}  // namespace

QString FormatFixed(double value, int precision, int decimals, const QString& decimalPoint) {
  if (std::isnan(value)) return QStringLiteral("NAN");
  if (std::isinf(value)) return value > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
  precision = std::clamp(precision, 1, 18);
  decimals = std::clamp(decimals, 0, 18);

  // The value rounded to `precision` significant digits: d.ddd...e+EE.
  // std::to_chars: the process locale must not change the decimal point or the digits.
  char buf[64];
  const std::string sci(
      buf, std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, precision - 1)
               .ptr);
  const size_t ePos = sci.find('e');
  const int exponent = std::atoi(sci.c_str() + ePos + 1);
  const bool negative = sci[0] == '-';
  std::string digits;
  for (size_t k = negative ? 1 : 0; k < ePos; ++k)
    if (sci[k] != '.') digits += sci[k];

  std::string text;
  if (exponent >= precision) {
    std::string mantissa = digits.substr(0, 1);
    std::string rest = digits.substr(1);
    while (!rest.empty() && rest.back() == '0') rest.pop_back();
    if (!rest.empty()) mantissa.append(".").append(rest);
    if (negative) text.push_back('-');
    text.append(mantissa).append("E").append(std::to_string(exponent));
  } else if (exponent < 0 || exponent + 1 + decimals <= precision) {
    text.assign(
        buf, std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals).ptr);
  } else {
    // More decimals asked than significant digits kept: the rounded digits, then zeros.
    std::string fraction = digits.substr(exponent + 1);
    fraction.resize(decimals, '0');
    if (negative) text.push_back('-');
    text.append(digits, 0, exponent + 1);
    if (decimals > 0) text.append(".").append(fraction);
  }
  if (text[0] == '-' && text.find_first_of("123456789") == std::string::npos) text.erase(0, 1);

  const QString point = decimalPoint.isEmpty() ? QLocale::system().decimalPoint() : decimalPoint;
  QString result = QString::fromStdString(text);
  if (point != QStringLiteral(".")) result.replace(QLatin1Char('.'), point);
  return result;
}

bool InThreshold(double x, const ThresholdTest& test) {
  if (test.enabled == 0) return true;
  const double v1 = test.limitV1, v2 = test.limitV2;
  if (test.type >= 4 && v1 >= v2) return false;
  switch (test.type) {
    case 0:
      return x < v1;
    case 1:
      return x <= v1;
    case 2:
      return x > v1;
    case 3:
      return x >= v1;
    case 4:
      return v1 < x && x < v2;
    case 5:
      return v1 <= x && x <= v2;
    default:
      return false;
  }
}

int32_t CountInThreshold(const GridDataSet& d, const ThresholdTest& test) {
  const double v1 = test.limitV1, v2 = test.limitV2;
  if (test.enabled == 0) return CountPassing(d, [](double) { return true; });
  if (test.type >= 4 && v1 >= v2) return 0;
  switch (test.type) {
    case 0:
      return CountPassing(d, [v1](double x) { return x < v1; });
    case 1:
      return CountPassing(d, [v1](double x) { return x <= v1; });
    case 2:
      return CountPassing(d, [v1](double x) { return x > v1; });
    case 3:
      return CountPassing(d, [v1](double x) { return x >= v1; });
    case 4:
      return CountPassing(d, [v1, v2](double x) { return v1 < x && x < v2; });
    case 5:
      return CountPassing(d, [v1, v2](double x) { return v1 <= x && x <= v2; });
    default:
      return 0;
  }
}

void RenderValueImage(QImage& image, const GridDataSet& d, uint8_t colourMode,
                      const ThresholdTest& test, ColorRef noDataColor, ColorRef c1, ColorRef c0) {
  const int w = image.width(), h = image.height();
  if (w <= 0 || h <= 0) return;
  if (image.format() != QImage::Format_RGB32) image = image.convertToFormat(QImage::Format_RGB32);

  const bool filter = test.enabled != 0;
  const double div = d.normDivisor;
  const bool divide = filter && div != 0.0;
  double lo = d.rangeMin, hi = d.rangeMax;
  if (divide) lo /= div, hi /= div;
  const double span = hi - lo;
  const QRgb noData = ToQRgb(noDataColor);

  std::vector<int> gx, gy;
  MapAxis(d.size, w, gx);
  MapAxis(d.size, h, gy);

  // Columns outer: a grid column is contiguous in memory, the picture fits in the cache.
  uchar* bits = image.bits();
  const qsizetype stride = image.bytesPerLine();
  for (int i = 0; i < w; ++i) {
    const double* column = d.values[gx[i]];
    uchar* pixel = bits + static_cast<qsizetype>(i) * sizeof(QRgb);
    for (int j = 0; j < h; ++j) {
      QRgb& out = *reinterpret_cast<QRgb*>(pixel + j * stride);
      double v = column[gy[j]];
      if (filter) {
        if (divide && IsValid(v)) v /= div;
        if (!InThreshold(v, test)) v = kNoData;
      }
      if (!IsValid(v)) {
        out = noData;
        continue;
      }
      double t;
      if (lo == hi) {
        t = 0.5;
      } else {
        t = (v - lo) / span;
        if (t < 0.0) t = 0.0;
        if (t > 1.0) t = 1.0;
      }
      out = ToQRgb(PaletteColor(colourMode, c0, c1, static_cast<float>(t)));
    }
  }
}

void DrawGridPoints(QImage& image, const GridDataSet& d, int gridSize, int pitchX, int pitchY,
                    int offsetX, int offsetY, ColorRef innerColor, ColorRef outerColor) {
  if (!d.active || d.size <= 0 || image.isNull()) return;
  if (image.format() != QImage::Format_RGB32) image = image.convertToFormat(QImage::Format_RGB32);
  // The entry limits keep pitches at 1 or more; a damaged settings file must not divide by 0.
  pitchX = std::max(pitchX, 1);
  pitchY = std::max(pitchY, 1);
  const int w = image.width(), h = image.height();
  const long long nx = (static_cast<long long>(d.size) - offsetX) / pitchX;
  const long long ny = (static_cast<long long>(d.size) - offsetY) / pitchY;
  const float scale = std::max(static_cast<float>(w) / static_cast<float>(d.size),
                               static_cast<float>(h) / static_cast<float>(d.size));
  const int r = gridSize / 2;
  const int r2 = r / 2;
  const QRgb outer = ToQRgb(outerColor), inner = ToQRgb(innerColor);
  // Positions grow with the step, so the loops start at the first one on the image and stop
  // after the last one.
  for (long long i = FirstStep(offsetX, pitchX); i <= nx; ++i) {
    const int px = TruncPixel((offsetX + static_cast<double>(i) * pitchX) * scale);
    if (px > w) break;
    if (px < 0) continue;
    for (long long j = FirstStep(offsetY, pitchY); j <= ny; ++j) {
      const int py = TruncPixel((offsetY + static_cast<double>(j) * pitchY) * scale);
      if (py > h) break;
      if (py < 0) continue;
      FillDot(image, px, py, r, outer);
      FillDot(image, px, py, r2, inner);
    }
  }
}

TickLayout PlaceTicks(const GridDataSet& d, int imageWidth, int imageHeight,
                      const ColormapPanelGeometry& panel, uint8_t tickShow, int tickLength,
                      int tickWidth, int tickPitchX, int tickPitchY, ColorRef tickColor) {
  TickLayout layout;
  if (!d.active || tickShow == 0 || d.size <= 0) return layout;
  layout.placed = true;
  tickPitchX = std::max(tickPitchX, 1);
  tickPitchY = std::max(tickPitchY, 1);
  const float scale =
      static_cast<float>(static_cast<double>(std::max(imageWidth, imageHeight)) / d.size);
  const int nX = d.size / tickPitchX;
  const int nY = d.size / tickPitchY;
  const int left = panel.left;
  const int bottom = panel.top + panel.height - 1;
  const int halfWidth = tickWidth / 2;
  for (int k = 0; k < kMaxTicks; ++k) {
    TickShape& x = layout.shapes[0][k];
    x.visible = k <= nX;
    x.color = tickColor;
    x.width = tickWidth;
    x.height = tickLength;
    x.left = TruncPixel(left + (static_cast<double>(k) * tickPitchX) * scale + 2.0 - halfWidth);
    x.top = bottom + 1;

    TickShape& y = layout.shapes[1][k];
    y.visible = k <= nY;
    y.color = tickColor;
    y.width = tickLength;
    y.height = tickWidth;
    y.left = left - tickLength;
    y.top = TruncPixel(bottom - (static_cast<double>(k) * tickPitchY) * scale - 2.0 - halfWidth);
  }
  return layout;
}

void DrawColormap(QImage& image, const GridDataSet& d, const ViewerParams& params,
                  ThresholdTest& thresholdTest, ColormapResult& result,
                  const ColormapPanelGeometry& panel) {
  const double div = DivisorOrOne(d);
  if (d.active) {
    // A data type without a single valid point (not conditioned yet, or all of it kNoData) still
    // has its range at the running start values and its mean at kNoData: those are no numbers
    // to show.
    const QString dashes = QString::fromLatin1(kColormapDashText);
    const bool range = d.rangeMin <= d.rangeMax;
    result.minText = range ? FormatFixed(d.rangeMin / div, 10, 3) : dashes;
    result.midText =
        range ? FormatFixed((d.rangeMin + (d.rangeMax - d.rangeMin) * 0.5) / div, 10, 3) : dashes;
    result.maxText = range ? FormatFixed(d.rangeMax / div, 10, 3) : dashes;
    result.meanText = IsValid(d.mean) ? FormatFixed(d.mean / div, 10, 3) : dashes;
    result.sizeText = QString::number(d.maxX) + QStringLiteral(" x ") + QString::number(d.maxY);
  } else {
    result.minText = result.midText = result.maxText = result.meanText =
        QString::fromLatin1(kColormapDashText);
    result.sizeText = QString::fromLatin1(kSizeDashText);
  }

  thresholdTest = ThresholdTest{1, params.rangeAreaType, params.rangeAreaV1, params.rangeAreaV2};
  if (d.active) {
    result.count = CountInThreshold(d, thresholdTest);
    result.countText = QString::number(result.count);
  } else {
    result.count = 0;
    result.countText = QString::fromLatin1(kCountDashText);
  }
  thresholdTest.enabled = params.rangeFilter;

  const ColorRef noDataColor = params.colormapMode != 0 ? 0x000000 : params.backColor;
  RenderValueImage(image, d, params.colormapMode, thresholdTest, noDataColor, params.maxColor,
                   params.minColor);
  if (params.gridShow)
    DrawGridPoints(image, d, params.gridSize, params.gridPitchX, params.gridPitchY,
                   params.gridOffsetX, params.gridOffsetY, params.gridInnerColor,
                   params.gridOuterColor);
  result.ticks =
      PlaceTicks(d, image.width(), image.height(), panel, params.tickShow, params.tickLength,
                 params.tickWidth, params.tickPitchX, params.tickPitchY, params.tickColor);
}

}  // namespace orvelle
