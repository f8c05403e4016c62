#include "views2d/ColorPalette.h"

#include <array>
#include <cmath>
#include <cstdlib>

namespace orvelle {
namespace {

PaletteParams currentParams{};
// The float form of the last colour is a function of its colour word alone, so the word is kept
// and converted when asked for; the palette is called once per pixel.
ColorRef lastColor = 0;

constexpr float kByteToUnit = 1.0f / 255.0f;

void SetLastColor(ColorRef c) { lastColor = c; }

Rgb3f ToRgb3f(ColorRef c) {
  return Rgb3f{static_cast<float>(RedOf(c)) * kByteToUnit,
               static_cast<float>(GreenOf(c)) * kByteToUnit,
               static_cast<float>(BlueOf(c)) * kByteToUnit};
}

// h / 60 rounded once to float for every whole hue: with the float constant 1/60 the top of the
// default ramp would come out one step short in blue.
constexpr std::array<float, 360> kSectorPosition = [] {
  std::array<float, 360> u{};
  for (int h = 0; h < 360; ++h) u[h] = static_cast<float>(h / 60.0);
  return u;
}();

float Clamp01(float v) {
  if (!(v >= 0.0f)) return 0.0f;  // also NaN
  return v > 1.0f ? 1.0f : v;
}

// The product is taken in double so that it is exact and only the truncation rounds.
int ChannelByte(float channel) { return static_cast<int>(static_cast<double>(channel) * 255.0); }

}  // namespace

ColorRef HsvColor(const PaletteParams& p, float x) {
  // Every intermediate is a float on purpose: the colours are defined by single-precision steps.
  float hue = (1.0f - x) * p.angleRange + p.angleStart;
  const float s = Clamp01(x * p.sharpRange + p.sharpStart);
  const float v = Clamp01(x * p.volumeRange + p.volumeStart);

  // The dialog limits keep the hue within a few turns; a hand-edited settings file may not.
  if (!std::isfinite(hue)) hue = 0.0f;
  if (hue < -1.0e6f || hue > 1.0e6f) hue = std::fmod(hue, 360.0f);
  while (hue < 0.0f) hue += 360.0f;
  int h = static_cast<int>(hue);
  if (h >= 360) h %= 360;

  const float u = kSectorPosition[h];
  const int sector = static_cast<int>(u);
  const float f = u - static_cast<float>(sector);
  const float pv = (1.0f - s) * v;
  const float qv = (1.0f - f * s) * v;
  const float tv = (1.0f - (1.0f - f) * s) * v;

  float r, g, b;
  switch (sector) {
    case 0:
      r = v, g = tv, b = pv;
      break;
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
    default:
      r = v, g = pv, b = qv;
      break;
  }
  const ColorRef c = MakeColorRef(ChannelByte(r), ChannelByte(g), ChannelByte(b));
  SetLastColor(c);
  return c;
}

ColorRef GradientColor(ColorRef c0, ColorRef c1, float hi, float lo, float x) {
  const float frac = (x - lo) / (hi - lo);
  int channels[3] = {RedOf(c0), GreenOf(c0), BlueOf(c0)};
  const int targets[3] = {RedOf(c1), GreenOf(c1), BlueOf(c1)};
  for (int k = 0; k < 3; ++k) {
    const int d = std::abs(targets[k] - channels[k]);
    double step = static_cast<double>(d) * static_cast<double>(frac);
    // Positions outside lo..hi (or a degenerate range) must not carry into the next channel.
    if (!(step >= 0.0)) step = 0.0;
    if (step > d) step = d;
    const int n = static_cast<int>(step);
    channels[k] += targets[k] < channels[k] ? -n : n;
  }
  const ColorRef c = (c0 & 0xFF000000u) | MakeColorRef(channels[0], channels[1], channels[2]);
  SetLastColor(c);
  return c;
}

ColorRef PaletteColor(uint8_t colourMode, ColorRef c0, ColorRef c1, float x) {
  return colourMode != 0 ? HsvColor(currentParams, x) : GradientColor(c0, c1, 1.0f, 0.0f, x);
}

Rgb3f PaletteColorF(uint8_t colourMode, ColorRef c0, ColorRef c1, float x) {
  PaletteColor(colourMode, c0, c1, x);
  return ToRgb3f(lastColor);
}

void SetPaletteParams(const PaletteParams& p) { currentParams = p; }

PaletteParams CurrentPaletteParams() { return currentParams; }

Rgb3f LastColorF() { return ToRgb3f(lastColor); }

void ResetPaletteState() {
  currentParams = PaletteParams{};
  lastColor = 0;
}

void DrawColorBar(QImage& image, uint8_t colourMode, ColorRef c0, ColorRef c1,
                  const PaletteParams& p) {
  const int w = image.width(), h = image.height();
  SetPaletteParams(p);
  if (w <= 0 || h <= 0) return;
  QImage bar(w, h, QImage::Format_RGB32);
  for (int y = 0; y < h; ++y) {
    const float position = static_cast<float>(static_cast<double>(h - y) / h);
    const QRgb pixel = ToQRgb(PaletteColor(colourMode, c0, c1, position));
    QRgb* line = reinterpret_cast<QRgb*>(bar.scanLine(y));
    for (int x = 0; x < w; ++x) line[x] = pixel;
  }
  image = bar;
}

}  // namespace orvelle
