#include "views2d/ColorPalette.h"

#include <cmath>

namespace orvelle {
namespace {

PaletteParams currentParams{};
Rgb3f lastColorF{};

uint8_t ChannelByte(float channel) { return static_cast<uint8_t>(std::trunc(channel * 255.0)); }

ColorRef StoreLast(int r, int g, int b) {
  constexpr float kInv = 1.0f / 255.0f;
  lastColorF = Rgb3f{static_cast<float>(r) * kInv, static_cast<float>(g) * kInv,
                     static_cast<float>(b) * kInv};
  return MakeColorRef(r, g, b);
}

}  // namespace

ColorRef HsvColor(const PaletteParams& p, float x) {
  float hue = (1.0f - x) * p.angleRange + p.angleStart;
  float s = x * p.sharpRange + p.sharpStart;
  float v = x * p.volumeRange + p.volumeStart;
  // A hue that is not finite (or absurdly large) would never settle below; treat it as 0.
  if (!std::isfinite(hue) || std::fabs(hue) > 1.0e6f) hue = 0.0f;
  while (hue < 0.0f) hue += 360.0f;
  const int h = static_cast<int>(std::trunc(hue)) % 360;
  if (!(s >= 0.0f)) s = 0.0f;
  if (s > 1.0f) s = 1.0f;
  if (!(v >= 0.0f)) v = 0.0f;
  if (v > 1.0f) v = 1.0f;

  // The product is formed in double and stored as float: 340 degrees then gives blue 85, not 84.
  const float u = static_cast<float>(h * (1.0 / 60.0));
  const int sector = static_cast<int>(std::trunc(u));
  const float f = u - std::trunc(u);
  const float pp = (1.0f - s) * v;
  const float q = (1.0f - f * s) * v;
  const float t = (1.0f - (1.0f - f) * s) * v;
  float r = v, g = pp, b = q;
  switch (sector) {
    case 0:
      r = v, g = t, b = pp;
      break;
    case 1:
      r = q, g = v, b = pp;
      break;
    case 2:
      r = pp, g = v, b = t;
      break;
    case 3:
      r = pp, g = q, b = v;
      break;
    case 4:
      r = t, g = pp, b = v;
      break;
    default:
      break;
  }
  return StoreLast(ChannelByte(r), ChannelByte(g), ChannelByte(b));
}

ColorRef GradientColor(ColorRef c0, ColorRef c1, float hi, float lo, float x) {
  const float frac = (x - lo) / (hi - lo);
  int channels[3] = {RedOf(c0), GreenOf(c0), BlueOf(c0)};
  const int targets[3] = {RedOf(c1), GreenOf(c1), BlueOf(c1)};
  for (int i = 0; i < 3; ++i) {
    const int d = std::abs(targets[i] - channels[i]);
    float stepF = std::trunc(static_cast<float>(d) * frac);
    // Keeps a channel between its two ends whatever x is (a NaN or out-of-range position).
    if (!(stepF >= 0.0f)) stepF = 0.0f;
    if (stepF > static_cast<float>(d)) stepF = static_cast<float>(d);
    const int step = static_cast<int>(stepF);
    channels[i] += targets[i] < channels[i] ? -step : step;
  }
  return StoreLast(channels[0], channels[1], channels[2]) | (c0 & 0xFF000000u);
}

ColorRef PaletteColor(uint8_t colourMode, ColorRef c0, ColorRef c1, float x) {
  return colourMode != 0 ? HsvColor(currentParams, x) : GradientColor(c0, c1, 1.0f, 0.0f, x);
}

Rgb3f PaletteColorF(uint8_t colourMode, ColorRef c0, ColorRef c1, float x) {
  PaletteColor(colourMode, c0, c1, x);
  return lastColorF;
}

void SetPaletteParams(const PaletteParams& p) { currentParams = p; }

void ResetPalette() {
  currentParams = PaletteParams{};
  lastColorF = Rgb3f{};
}

}  // namespace orvelle
