// Colour values shared by every view: the 0x00BBGGRR colour word, its float form for the 3D
// view, and the six floats of the hue/saturation/value ramp.
#pragma once

#include <cstdint>

namespace orvelle {

// Red in the low byte, green in the second, blue in the third, 0 in the top byte.
using ColorRef = uint32_t;

inline constexpr ColorRef MakeColorRef(int r, int g, int b) {
  return static_cast<ColorRef>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
inline constexpr int RedOf(ColorRef c) { return static_cast<int>(c & 0xFF); }
inline constexpr int GreenOf(ColorRef c) { return static_cast<int>((c >> 8) & 0xFF); }
inline constexpr int BlueOf(ColorRef c) { return static_cast<int>((c >> 16) & 0xFF); }

// Three channels in 0..1 (channel byte / 255).
struct Rgb3f {
  float r = 0.0f;
  float g = 0.0f;
  float b = 0.0f;
};

// Hue ("Angle", degrees), saturation ("Sharp") and value ("Volume"), each a start and a range.
struct PaletteParams {
  float angleStart = 0.0f;
  float angleRange = 0.0f;
  float sharpStart = 0.0f;
  float sharpRange = 0.0f;
  float volumeStart = 0.0f;
  float volumeRange = 0.0f;
  friend bool operator==(const PaletteParams&, const PaletteParams&) = default;
};

inline constexpr PaletteParams kDefaultPalette{-20.0f, 280.0f, 1.0f, 1.0f, 0.8f, 0.2f};

}  // namespace orvelle
