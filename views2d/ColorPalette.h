// The one value-to-colour module of the viewer: a position 0..1 within the colour range becomes a
// colour, either through the hue/saturation/value ramp of the current palette parameters (colour
// mode) or as a straight per-channel blend between two colours (two-colour mode). The ramp
// parameters are module state: whoever installed them last decides the colours of the next call.
#pragma once

#include <QImage>
#include <cstdint>

#include "data/ColorTypes.h"

namespace orvelle {

// Full saturation and value: what the contour module installs when it starts.
inline constexpr PaletteParams kContourStartPalette{-20.0f, 280.0f, 1.0f, 1.0f, 1.0f, 0.0f};

// Designed sizes of the two colour bars (beside the colour map and beside the contour map).
inline constexpr int kColorBarWidth = 9;
inline constexpr int kColorBar1Height = 241;
inline constexpr int kColorBar2Height = 301;

// The only conversion between the 0x00BBGGRR colour word and Qt's 0xAARRGGBB pixel (opaque).
inline constexpr QRgb ToQRgb(ColorRef c) {
  return 0xFF000000u | ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}
inline constexpr ColorRef FromQRgb(QRgb p) {
  return ((p >> 16) & 0xFFu) | (p & 0xFF00u) | ((p & 0xFFu) << 16);
}

// Colour of position x on the ramp p (x is not clamped; saturation and value are clamped to
// 0..1, a negative hue is raised by whole turns). Sets the last float colour; leaves the
// installed parameters alone.
ColorRef HsvColor(const PaletteParams& p, float x);

// Blend from c0 (at x = lo) to c1 (at x = hi), each channel truncated toward c0 and never past
// c1. Sets the last float colour.
ColorRef GradientColor(ColorRef c0, ColorRef c1, float hi, float lo, float x);

// HsvColor with the installed parameters when colourMode is non-zero, otherwise the blend from
// c0 (position 0) to c1 (position 1).
ColorRef PaletteColor(uint8_t colourMode, ColorRef c0, ColorRef c1, float x);

// The same choice as PaletteColor, returned as three floats 0..1 (channel byte / 255). With
// c0 == c1 in two-colour mode it converts that colour.
Rgb3f PaletteColorF(uint8_t colourMode, ColorRef c0, ColorRef c1, float x);

// Installs the ramp parameters used by PaletteColor and PaletteColorF in colour mode.
void SetPaletteParams(const PaletteParams& p);

// The installed parameters and the float form of the colour computed last.
PaletteParams CurrentPaletteParams();
Rgb3f LastColorF();

// Back to the state at program start: both zero. For test fixtures.
void ResetPaletteState();

// Installs p, then replaces the picture with a fresh bar of the image's size: row y shows
// position (H - y) / H (top row 1.0, bottom row 1/H), every column of a row alike.
void DrawColorBar(QImage& image, uint8_t colourMode, ColorRef c0, ColorRef c1,
                  const PaletteParams& p);

}  // namespace orvelle
