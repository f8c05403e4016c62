// The one value-to-colour module: a hue/saturation/value ramp (colour mode) or a straight blend
// between two colours (two-colour mode), for a position 0..1 within the colour range.
#pragma once

#include <cstdint>

#include "data/ColorTypes.h"

namespace orvelle {

// Colour of position x on the ramp p (hue truncated to whole degrees, saturation and value
// clamped to 0..1). Sets the module's last float colour; leaves the installed ramp alone.
ColorRef HsvColor(const PaletteParams& p, float x);

// Blend from c0 (at x = lo) to c1 (at x = hi), each channel truncated toward c0 and never past
// c1. Sets the module's last float colour.
ColorRef GradientColor(ColorRef c0, ColorRef c1, float hi, float lo, float x);

// HsvColor with the installed ramp when colourMode is non-zero, else GradientColor(c0, c1, 1, 0,
// x).
ColorRef PaletteColor(uint8_t colourMode, ColorRef c0, ColorRef c1, float x);

// PaletteColor in float form (channel byte / 255). With colourMode 0 and c0 = c1 it converts c0.
Rgb3f PaletteColorF(uint8_t colourMode, ColorRef c0, ColorRef c1, float x);

// Installs the ramp that PaletteColor and PaletteColorF use in colour mode (the last caller wins).
void SetPaletteParams(const PaletteParams& p);

// Test fixtures: back to the program-start state (ramp and last colour all zero).
void ResetPalette();

}  // namespace orvelle
