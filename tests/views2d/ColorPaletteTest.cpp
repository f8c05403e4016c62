// The palette: the hue/saturation/value ramp with its single-precision steps, the two-colour
// blend, the float form, the installed parameters and the colour bars.
#include <gtest/gtest.h>

#include <cmath>

#include "views2d/ColorPalette.h"

namespace orvelle {
namespace {

class ColorPaletteTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetPaletteState(); }
};

TEST_F(ColorPaletteTest, RampColoursOfTheDefaultAndStartPalettes) {
  EXPECT_EQ(HsvColor(kDefaultPalette, 0.5f), 0x00E500u);
  EXPECT_EQ(HsvColor(kDefaultPalette, 1.0f), 0x5500FFu);
  EXPECT_EQ(HsvColor(kDefaultPalette, 0.0f), 0xCC0044u);
  EXPECT_EQ(HsvColor(kContourStartPalette, 0.5f), 0x00FF00u);
  // A hue of exactly 360 is red, not past the last sector.
  EXPECT_EQ(HsvColor({0.0f, 360.0f, 1.0f, 0.0f, 1.0f, 0.0f}, 0.0f), 0x0000FFu);
  // Fractions of a degree are dropped before the sector is chosen: 59.9 degrees is 59.
  EXPECT_EQ(HsvColor({59.9f, 0.0f, 1.0f, 0.0f, 1.0f, 0.0f}, 0.5f),
            HsvColor({59.0f, 0.0f, 1.0f, 0.0f, 1.0f, 0.0f}, 0.5f));
  // A negative hue is raised by whole turns.
  EXPECT_EQ(HsvColor({-700.0f, 0.0f, 1.0f, 0.0f, 1.0f, 0.0f}, 0.3f),
            HsvColor({20.0f, 0.0f, 1.0f, 0.0f, 1.0f, 0.0f}, 0.3f));
  // Saturation and value are clamped: above 1 behaves as 1, below 0 as 0 (value 0 is black).
  for (float x = 0.0f; x <= 1.0f; x += 1.0f / 64) {
    EXPECT_EQ(HsvColor(kDefaultPalette, x), HsvColor({-20.0f, 280.0f, 1.0f, 0.0f, 0.8f, 0.2f}, x));
    EXPECT_EQ(HsvColor({0.0f, 300.0f, 1.0f, 0.0f, -0.5f, 0.0f}, x), 0u);
  }
}

// An independent HSV conversion in double precision: every ramp colour lies within a degree of
// hue (up to 5 steps per channel) of it, so no sector is mixed up anywhere on the ramp.
TEST_F(ColorPaletteTest, RampFollowsTheHsvModelEverywhere) {
  for (int k = 0; k <= 1000; ++k) {
    const float x = k / 1000.0f;
    const ColorRef c = HsvColor(kDefaultPalette, x);
    double hue = (1.0 - x) * 280.0 - 20.0;
    while (hue < 0) hue += 360;
    const double h = std::fmod(std::trunc(hue), 360.0) / 60.0;
    const double v = 0.8 + 0.2 * x, f = h - std::floor(h);
    const double table[6][3] = {{v, v * f, 0},       {v * (1 - f), v, 0}, {0, v, v * f},
                                {0, v * (1 - f), v}, {v * f, 0, v},       {v, 0, v * (1 - f)}};
    const double* rgb = table[static_cast<int>(h)];
    EXPECT_NEAR(RedOf(c), rgb[0] * 255, 6.0) << "x " << x;
    EXPECT_NEAR(GreenOf(c), rgb[1] * 255, 6.0) << "x " << x;
    EXPECT_NEAR(BlueOf(c), rgb[2] * 255, 6.0) << "x " << x;
  }
}

TEST_F(ColorPaletteTest, TwoColourBlendTruncatesTowardTheFirstColour) {
  EXPECT_EQ(GradientColor(0x000000, 0xFFFFFF, 1.0f, 0.0f, 0.5f), 0x7F7F7Fu);
  EXPECT_EQ(GradientColor(0xFFFFFF, 0x000000, 1.0f, 0.0f, 0.5f), 0x808080u);
  EXPECT_EQ(GradientColor(0x102030, 0x302010, 1.0f, 0.0f, 0.0f), 0x102030u);
  EXPECT_EQ(GradientColor(0x102030, 0x302010, 1.0f, 0.0f, 1.0f), 0x302010u);
  // Each channel moves on its own, never past the target, so nothing carries.
  EXPECT_EQ(GradientColor(0x0000FF, 0x00FF00, 1.0f, 0.0f, 0.25f), MakeColorRef(192, 63, 0));
  // Positions beyond the range stay at the end colours.
  EXPECT_EQ(GradientColor(0x0000FF, 0x00FF00, 1.0f, 0.0f, 1.5f), 0x00FF00u);
  EXPECT_EQ(GradientColor(0x0000FF, 0x00FF00, 1.0f, 0.0f, -0.5f), 0x0000FFu);
  EXPECT_EQ(PaletteColor(0, 0x000000, 0xFFFFFF, 0.5f), 0x7F7F7Fu);
}

TEST_F(ColorPaletteTest, FloatFormAndInstalledParameters) {
  const Rgb3f red = PaletteColorF(0, 0x0000FF, 0x0000FF, 0.7f);
  EXPECT_EQ(red.r, 1.0f);
  EXPECT_EQ(red.g, 0.0f);
  EXPECT_EQ(red.b, 0.0f);

  // Colour mode reads the installed parameters, zero at start (value 0: black).
  EXPECT_EQ(PaletteColor(1, 0, 0, 0.5f), 0u);
  SetPaletteParams(kDefaultPalette);
  EXPECT_EQ(PaletteColor(1, 0, 0, 0.5f), 0x00E500u);
  const Rgb3f green = PaletteColorF(1, 0, 0, 0.5f);
  EXPECT_EQ(green.g, 229 * (1.0f / 255.0f));
  EXPECT_EQ(green.r, 0.0f);

  // HsvColor with explicit parameters leaves the installed ones alone but sets the last colour.
  HsvColor(kContourStartPalette, 0.5f);
  EXPECT_EQ(CurrentPaletteParams(), kDefaultPalette);
  EXPECT_EQ(LastColorF().g, 1.0f);
  GradientColor(0x000000, 0xFFFFFF, 1.0f, 0.0f, 0.5f);
  EXPECT_EQ(LastColorF().r, 127 * (1.0f / 255.0f));
}

TEST_F(ColorPaletteTest, ColourBarShowsTheRangeFromTopToBottom) {
  const PaletteParams p{10.0f, 200.0f, 0.5f, 0.5f, 0.6f, 0.4f};
  QImage bar(kColorBarWidth, kColorBar1Height, QImage::Format_ARGB32);
  bar.fill(Qt::red);
  DrawColorBar(bar, 1, 0x000000, 0xFFFFFF, p);
  EXPECT_EQ(CurrentPaletteParams(), p);
  ASSERT_EQ(bar.size(), QSize(9, 241));
  EXPECT_EQ(bar.format(), QImage::Format_RGB32);
  for (int y = 0; y < bar.height(); ++y)
    for (int x = 0; x < bar.width(); ++x)
      ASSERT_EQ(bar.pixel(x, y), ToQRgb(HsvColor(p, float(double(241 - y) / 241))))
          << x << "," << y;
  EXPECT_EQ(bar.pixel(4, 0), ToQRgb(HsvColor(p, 1.0f)));

  // Two-colour mode from black to white: the top row white, the bottom row 1/241 of the way.
  DrawColorBar(bar, 0, 0x000000, 0xFFFFFF, p);
  EXPECT_EQ(bar.pixel(0, 0), 0xFFFFFFFFu);
  EXPECT_EQ(bar.pixel(8, 240), 0xFF010101u);
}

}  // namespace
}  // namespace orvelle
