// The value-to-colour palette shared by every view: a hue/saturation/value ramp (colour mode) or
// a per-channel blend between two colours (two-colour mode). The ramp parameters used by
// PaletteColor are module state: the last installer wins.
#pragma once

#include <QImage>
#include <cstdint>

#include "data/ColorTypes.h"

namespace orvelle {

// Colour of position x (0..1) on the ramp p, with whole-degree hue and saturation and value
// clamped to 0..1. Sets the module's last float colour; does not install p.
ColorRef HsvColor(const PaletteParams& p, float x);

// Blend from c0 (at x = lo) to c1 (at x = hi), each channel truncated toward c0 and never past
// c1. Sets the module's last float colour.
ColorRef GradientColor(ColorRef c0, ColorRef c1, float hi, float lo, float x);

// HsvColor with the installed parameters when colourMode is non-zero, else the c0..c1 blend.
ColorRef PaletteColor(uint8_t colourMode, ColorRef c0, ColorRef c1, float x);

// PaletteColor in float form (channel byte / 255) for the 3D view.
Rgb3f PaletteColorF(uint8_t colourMode, ColorRef c0, ColorRef c1, float x);

// Installs p as the ramp PaletteColor uses in colour mode.
void SetPaletteParams(const PaletteParams& p);

// Installs p, then repaints the whole image (its size kept, Format_RGB32) as a vertical bar:
// row y gets position (H - y) / H, so the top row shows 1.0. A null image is left null.
void DrawColorBar(QImage& image, uint8_t colourMode, ColorRef c0, ColorRef c1,
                  const PaletteParams& p);

}  // namespace orvelle
