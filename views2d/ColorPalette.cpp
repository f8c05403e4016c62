#include "views2d/ColorPalette.h"

#include <cmath>

namespace orvelle {
namespace {

PaletteParams currentParams;
Rgb3f lastColorF;

void RememberFloatColor(ColorRef c) {
  constexpr float kScale = 1.0f / 255.0f;
  lastColorF = {RedOf(c) * kScale, GreenOf(c) * kScale, BlueOf(c) * kScale};
}

float ClampUnit(float v) {
  if (!(v >= 0.0f)) return 0.0f;
  return v > 1.0f ? 1.0f : v;
}

int ChannelByte(float channel) { return static_cast<int>(channel * 255.0); }

}  // namespace

ColorRef HsvColor(const PaletteParams& p, float x) {
  float hue = (1.0f - x) * p.angleRange + p.angleStart;
  const float s = ClampUnit(x * p.sharpRange + p.sharpStart);
  const float v = ClampUnit(x * p.volumeRange + p.volumeStart);
  // Only the dialog's -999..999 angles are expected; anything wilder must still end in 0..359.
  if (!std::isfinite(hue)) hue = 0.0f;
  if (std::fabs(hue) > 1.0e6f) hue = std::fmod(hue, 360.0f);
  while (hue < 0.0f) hue += 360.0f;
  const int h = static_cast<int>(hue) % 360;

  // 1/60 in double: the float constant makes the top of the default ramp blue 84 instead of 85.
  const auto u = static_cast<float>(h * (1.0 / 60.0));
  int sector = static_cast<int>(u);
  const float f = u - static_cast<float>(sector);
  if (sector > 5) sector = 5;
  const float pv = (1.0f - s) * v;
  const float qv = (1.0f - f * s) * v;
  const float tv = (1.0f - (1.0f - f) * s) * v;
  float r = v, g = tv, b = pv;
  switch (sector) {
    case 1:
      r = qv, g = v, b = pv;
      break;
    case 2:
      r = pv, g = v, b = tv;
      break;
    case 3:
      r = pv, g = qv, b = v;
      break;
    case 4:
      r = tv, g = pv, b = v;
      break;
    case 5:
      r = v, g = pv, b = qv;
      break;
    default:
      break;
  }
  const ColorRef c = MakeColorRef(ChannelByte(r), ChannelByte(g), ChannelByte(b));
  RememberFloatColor(c);
  return c;
}

ColorRef GradientColor(ColorRef c0, ColorRef c1, float hi, float lo, float x) {
  float frac = (x - lo) / (hi - lo);
  // Outside 0..1 a channel could pass c1 or carry into its neighbour.
  frac = ClampUnit(frac);
  ColorRef result = c0;
  for (int shift = 0; shift < 24; shift += 8) {
    const int a = static_cast<int>((c0 >> shift) & 0xFF);
    const int b = static_cast<int>((c1 >> shift) & 0xFF);
    const auto step = static_cast<ColorRef>(static_cast<float>(std::abs(b - a)) * frac);
    if (b < a) {
      result -= step << shift;
    } else {
      result += step << shift;
    }
  }
  RememberFloatColor(result);
  return result;
}

ColorRef PaletteColor(uint8_t colourMode, ColorRef c0, ColorRef c1, float x) {
  return colourMode != 0 ? HsvColor(currentParams, x) : GradientColor(c0, c1, 1.0f, 0.0f, x);
}

Rgb3f PaletteColorF(uint8_t colourMode, ColorRef c0, ColorRef c1, float x) {
  PaletteColor(colourMode, c0, c1, x);
  return lastColorF;
}

void SetPaletteParams(const PaletteParams& p) { currentParams = p; }

void DrawColorBar(QImage& image, uint8_t colourMode, ColorRef c0, ColorRef c1,
                  const PaletteParams& p) {
  SetPaletteParams(p);
  if (image.isNull()) return;
  const int w = image.width();
  const int h = image.height();
  image = QImage(w, h, QImage::Format_RGB32);
  for (int y = 0; y < h; ++y) {
    const ColorRef c =
        PaletteColor(colourMode, c0, c1, static_cast<float>(h - y) / static_cast<float>(h));
    const QRgb rgb = qRgb(RedOf(c), GreenOf(c), BlueOf(c));
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < w; ++x) line[x] = rgb;
  }
}

}  // namespace orvelle
