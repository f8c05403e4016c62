// The colour map: the picture of a small grid pixel by pixel, range clamping and the empty range,
// the threshold test and count with and without the filter in both colour modes, normalisation,
// label texts, grid point dots and the tick geometry.
#include <gtest/gtest.h>

#include "Views2dTestSupport.h"
#include "views2d/ColorMap.h"
#include "views2d/ColorPalette.h"

namespace orvelle {
namespace {

using test::Blank;
using test::FirstDifference;
using test::MakeGrid;

class ColorMapTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetPaletteState();
    SetPaletteParams(kDefaultPalette);
  }
  static ThresholdTest Off() { return ThresholdTest{}; }
};

// Grid 4 x 4 with values x * 10 + y (0..44), one hole, range 5..40 so that both ends clamp.
std::unique_ptr<GridDataSet> SmallGrid() {
  auto d = MakeGrid(
      4, [](int x, int y) { return x * 10.0 + y; }, 5.0, 40.0);
  d->values[2][3] = kNoData;
  return d;
}

// The picture of SmallGrid on a 7 x 6 image built from the stated mapping and formulas.
QImage ExpectedSmallGrid(bool colourMode, ColorRef noData) {
  QImage expected = Blank(7, 6);
  for (int i = 0; i < 7; ++i) {
    for (int j = 0; j < 6; ++j) {
      const int gx = i * 4 / 7, gy = j * 4 / 6;
      if (gx == 2 && gy == 3) {
        expected.setPixel(i, j, ToQRgb(noData));
        continue;
      }
      double t = (gx * 10.0 + gy - 5.0) / 35.0;
      t = std::clamp(t, 0.0, 1.0);
      const ColorRef c =
          colourMode ? HsvColor(kDefaultPalette, float(t))
                     : MakeColorRef(int(255 * double(float(t))), int(255 * double(float(t))),
                                    int(255 * double(float(t))));
      expected.setPixel(i, j, ToQRgb(c));
    }
  }
  return expected;
}

TEST_F(ColorMapTest, SmallGridPixelByPixelInBothModes) {
  auto d = SmallGrid();
  QImage image = Blank(7, 6);
  RenderValueImage(image, *d, 1, Off(), 0x000000, 0xFFFFFF, 0x000000);
  EXPECT_EQ(FirstDifference(image, ExpectedSmallGrid(true, 0x000000)), "");
  RenderValueImage(image, *d, 0, Off(), 0xFF0000, 0xFFFFFF, 0x000000);
  EXPECT_EQ(FirstDifference(image, ExpectedSmallGrid(false, 0xFF0000)), "");
}

TEST_F(ColorMapTest, PixelColumnsShowTruncatedGridColumns) {
  // Size 300 on 301 pixels: pixel 300 shows grid 299, grid 300 is never shown; same for rows.
  auto d = MakeGrid(
      300,
      [](int x, int y) { return x == 300 || y == 300   ? 2.0
                                : x == 299 || y == 299 ? 1.0
                                                       : 0.0; },
      0.0, 2.0);
  QImage image = Blank(301, 301);
  RenderValueImage(image, *d, 0, Off(), 0xFF0000, 0xFFFFFF, 0x000000);
  const QRgb zero = 0xFF000000u, one = 0xFF7F7F7Fu;
  for (int k = 0; k < 301; ++k) {
    EXPECT_EQ(image.pixel(k, 150), k == 300 ? one : zero) << k;
    EXPECT_EQ(image.pixel(150, k), k == 300 ? one : zero) << k;
  }
}

TEST_F(ColorMapTest, EmptyRangePaintsTheMiddleColour) {
  auto d = MakeGrid(
      2, [](int x, int) { return x * 100.0; }, 50.0, 50.0);
  d->values[1][1] = kNoData;
  QImage image = Blank(3, 3);
  RenderValueImage(image, *d, 1, Off(), 0x000000, 0xFFFFFF, 0x000000);
  const QRgb middle = ToQRgb(0x00E500);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      EXPECT_EQ(image.pixel(i, j), i == 2 && j == 2 ? 0xFF000000u : middle) << i << "," << j;
}

TEST_F(ColorMapTest, ThresholdTypesAndBounds) {
  struct Case {
    int type;
    double v1, v2, x;
    bool pass;
  };
  const Case cases[] = {
      {0, 5, 0, 4.9, true},  {0, 5, 0, 5, false},   {1, 5, 0, 5, true},   {1, 5, 0, 5.1, false},
      {2, 5, 0, 5, false},   {2, 5, 0, 5.1, true},  {3, 5, 0, 5, true},   {3, 5, 0, 4.9, false},
      {4, 1, 3, 1, false},   {4, 1, 3, 2, true},    {4, 1, 3, 3, false},  {5, 1, 3, 1, true},
      {5, 1, 3, 3, true},    {5, 1, 3, 3.1, false}, {4, 3, 3, 3, false},  {5, 3, 3, 3, false},
      {5, 4, 3, 3.5, false}, {6, 0, 9, 1, false},   {-1, 0, 9, 1, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(InThreshold(c.x, {1, c.type, c.v1, c.v2}), c.pass)
        << "type " << c.type << " V1 " << c.v1 << " V2 " << c.v2 << " x " << c.x;
    EXPECT_TRUE(InThreshold(c.x, {0, c.type, c.v1, c.v2}));
  }
}

TEST_F(ColorMapTest, CountCoversTheWholeGridAndDividesValues) {
  auto d = MakeGrid(
      2, [](int x, int y) { return x + y * 3.0; }, 0.0, 8.0);  // 0..8
  d->values[500][500] = 4.0;                                   // beyond size: still counted
  d->values[1][1] = kNoData;                                   // 4.0 removed
  EXPECT_EQ(CountInThreshold(*d, {1, 5, 2.0, 5.0}), 4);        // 2 3 4 5 (and 4 beyond size)
  EXPECT_EQ(CountInThreshold(*d, {0, 5, 2.0, 5.0}), 9);        // every valid point
  EXPECT_EQ(CountInThreshold(*d, {1, 4, 5.0, 5.0}), 0);
  d->normDivisor = 2.0;  // values halved: 1 1.5 2.5 (and 2) lie in 1..2.5
  EXPECT_EQ(CountInThreshold(*d, {1, 5, 1.0, 2.5}), 4);
  d->normDivisor = 0.0;  // no division
  EXPECT_EQ(CountInThreshold(*d, {1, 0, 1.0, 0.0}), 1);
}

class ColormapDrawTest : public ColorMapTest {
 protected:
  ViewerParams params = DesignedParams();
  ThresholdTest working;
  ColormapResult result;
  std::unique_ptr<GridDataSet> d = SmallGrid();
  QImage image = Blank(7, 6);

  void Draw() { DrawColormap(image, *d, params, working, result); }
  // Pixels whose grid value passes `keep` keep their colour from `unfiltered`, the others show
  // the no-data colour.
  QImage Filtered(const QImage& unfiltered, const std::function<bool(double)>& keep,
                  ColorRef noData) {
    QImage expected = unfiltered;
    for (int i = 0; i < 7; ++i)
      for (int j = 0; j < 6; ++j)
        if (!keep(d->values[i * 4 / 7][j * 4 / 6])) expected.setPixel(i, j, ToQRgb(noData));
    return expected;
  }
};

TEST_F(ColormapDrawTest, FilterHidesFailingPointsInBothModes) {
  params.rangeAreaType = 5;
  params.rangeAreaV1 = 10.0;
  params.rangeAreaV2 = 30.0;
  params.backColor = 0xFF0000;
  auto passes = [](double v) { return v > kNoData && v >= 10.0 && v <= 30.0; };

  // Filter off: the count is shown, nothing is hidden, the working test ends disabled.
  Draw();
  EXPECT_EQ(result.countText, "10");  // 10..14, 20..24 without the hole 23, and 30
  EXPECT_EQ(working.enabled, 0);
  EXPECT_EQ(working.type, 5);
  EXPECT_EQ(FirstDifference(image, ExpectedSmallGrid(true, 0x000000)), "");

  // Filter on, colour mode: hidden points black whatever the background colour.
  params.rangeFilter = 1;
  Draw();
  EXPECT_EQ(working.enabled, 1);
  EXPECT_EQ(FirstDifference(image, Filtered(ExpectedSmallGrid(true, 0), passes, 0x000000)), "");

  // Two-colour mode: hidden points and holes take the background colour.
  params.colormapMode = 0;
  Draw();
  EXPECT_EQ(FirstDifference(image, Filtered(ExpectedSmallGrid(false, 0xFF0000), passes, 0xFF0000)),
            "");

  // V1 >= V2 for a range type: nothing counts, everything is hidden.
  params.rangeAreaV1 = 30.0;
  Draw();
  EXPECT_EQ(result.countText, "0");
  EXPECT_EQ(FirstDifference(image, Blank(7, 6, ToQRgb(0xFF0000))), "");
}

TEST_F(ColormapDrawTest, NormalisationChangesTheTestAndLabelsButNotTheColours) {
  d = MakeGrid(
      4, [](int x, int y) { return x * 10.0 + y; }, 5.0, 40.0);
  d->normDivisor = 2.0;
  params.rangeAreaType = 1;  // <= V1
  params.rangeAreaV1 = 5.0;
  params.rangeFilter = 1;
  Draw();
  // Stored 10 is 5 after division and passes; stored 11 does not.
  EXPECT_EQ(result.countText, "6");  // 0..4 and 10
  const QImage unfiltered = [&] {
    auto plain = MakeGrid(
        4, [](int x, int y) { return x * 10.0 + y; }, 5.0, 40.0);
    QImage img = Blank(7, 6);
    RenderValueImage(img, *plain, 1, {}, 0, 0xFFFFFF, 0);
    return img;
  }();
  EXPECT_EQ(
      FirstDifference(image, Filtered(
                                 unfiltered, [](double v) { return v / 2 <= 5.0; }, 0x000000)),
      "");
  EXPECT_EQ(result.maxText, "20.000");
  EXPECT_EQ(result.minText, "2.500");
  EXPECT_EQ(result.midText, "11.250");
  EXPECT_EQ(result.meanText, "11.250");
  EXPECT_EQ(result.sizeText, "4 x 4");
}

TEST_F(ColormapDrawTest, InactiveDataShowDashesAndNoDataColour) {
  d = std::make_unique<GridDataSet>();
  params.tickShow = 1;
  params.gridShow = 1;
  Draw();
  EXPECT_EQ(result.minText, "----.---");
  EXPECT_EQ(result.maxText, "----.---");
  EXPECT_EQ(result.midText, "----.---");
  EXPECT_EQ(result.meanText, "----.---");
  EXPECT_EQ(result.sizeText, "--- x ---");
  EXPECT_EQ(result.countText, "----");
  EXPECT_FALSE(result.ticks.placed);
  EXPECT_EQ(FirstDifference(image, Blank(7, 6, ToQRgb(0x000000))), "");
}

TEST_F(ColormapDrawTest, ActiveDataWithoutValidPointsShowDashesNotTheNoDataValue) {
  d = std::make_unique<GridDataSet>();
  d->active = 1;  // loaded with auto fill off: no statistics yet, or every value kNoData
  d->size = 4;
  Draw();
  EXPECT_EQ(result.minText, "----.---");
  EXPECT_EQ(result.midText, "----.---");
  EXPECT_EQ(result.maxText, "----.---");
  EXPECT_EQ(result.meanText, "----.---");
}

TEST(FormatFixedTest, FixedNotationAfterRoundingToSignificantDigits) {
  const QString dot = QStringLiteral(".");
  EXPECT_EQ(FormatFixed(1234.56789, 10, 3, dot), "1234.568");
  EXPECT_EQ(FormatFixed(-0.5, 10, 3, dot), "-0.500");
  EXPECT_EQ(FormatFixed(-0.0001, 10, 3, dot), "0.000");
  EXPECT_EQ(FormatFixed(123456789.123456, 10, 3, dot), "123456789.100");
  EXPECT_EQ(FormatFixed(99999999999.0, 10, 3, dot), "1E11");
  EXPECT_EQ(FormatFixed(-12345678901.0, 10, 3, dot), "-1.23456789E10");
  EXPECT_EQ(FormatFixed(12.3456, 5, 3, dot), "12.346");
  EXPECT_EQ(FormatFixed(123.4567, 5, 3, dot), "123.460");
  EXPECT_EQ(FormatFixed(99999.0, 5, 3, dot), "99999.000");
  EXPECT_EQ(FormatFixed(123456.7, 5, 3, dot), "1.2346E5");
  EXPECT_EQ(FormatFixed(1234.5678, 10, 3, QStringLiteral(",")), "1234,568");
}

TEST(GridPointTest, DotsAtEveryPitchScaledToTheImage) {
  auto d = MakeGrid(
      300, [](int, int) { return 0.0; }, 0.0, 1.0);
  QImage image = Blank(301, 301, 0xFFFFFFFFu);
  DrawGridPoints(image, *d, 10, 100, 150, 0, 0, 0x0000FF, 0x00FF00);
  const QRgb outer = ToQRgb(0x00FF00), inner = ToQRgb(0x0000FF), white = 0xFFFFFFFFu;
  // Dot at grid (100, 150): pixel (100, 150); outer radius 5, inner radius 2, corners left out.
  EXPECT_EQ(image.pixel(100, 150), inner);
  EXPECT_EQ(image.pixel(98, 150), inner);
  EXPECT_EQ(image.pixel(98, 148), outer);  // corner of the inner box
  EXPECT_EQ(image.pixel(97, 150), outer);
  EXPECT_EQ(image.pixel(95, 150), outer);
  EXPECT_EQ(image.pixel(94, 150), white);
  EXPECT_EQ(image.pixel(104, 154), white);
  EXPECT_EQ(image.pixel(105, 150), white);
  // The float scale lies just below 301 / 300, so grid 300 falls on pixel 300, the last column;
  // a dot at the origin shows its lower right quarter.
  EXPECT_EQ(image.pixel(300, 150), inner);
  EXPECT_EQ(image.pixel(295, 150), outer);
  EXPECT_EQ(image.pixel(0, 0), inner);
  EXPECT_EQ(image.pixel(4, 4), white);  // outside the radius 5 circle's corner
  EXPECT_EQ(image.pixel(150, 75), white);
  // An offset beyond the grid draws no dots; so does an inactive set.
  QImage untouched = Blank(301, 301, white);
  DrawGridPoints(untouched, *d, 10, 10, 10, 301, 0, 0x0000FF, 0x00FF00);
  d->active = 0;
  DrawGridPoints(untouched, *d, 10, 10, 10, 0, 0, 0x0000FF, 0x00FF00);
  EXPECT_EQ(FirstDifference(untouched, Blank(301, 301, white)), "");
}

TEST(TickTest, GeometryUnderAndBesideThePanel) {
  auto d = MakeGrid(
      300, [](int, int) { return 0.0; }, 0.0, 1.0);
  const ColormapPanelGeometry panel;  // left 8, top 6, height 305: bottom row 310
  TickLayout t = PlaceTicks(*d, 301, 301, panel, 1, 5, 3, 10, 50, 0x123456);
  ASSERT_TRUE(t.placed);
  for (int k = 0; k < kMaxTicks; ++k) {
    EXPECT_TRUE(t.shapes[0][k].visible) << k;  // 30 pitches fit, 20 are shown
    EXPECT_EQ(t.shapes[1][k].visible, k <= 6) << k;
    EXPECT_EQ(t.shapes[0][k].color, 0x123456u);
  }
  const TickShape& x10 = t.shapes[0][10];  // 8 + 100 * 301/300 + 2 - 1 = 109.33
  EXPECT_EQ(x10.left, 109);
  EXPECT_EQ(x10.top, 311);
  EXPECT_EQ(x10.width, 3);
  EXPECT_EQ(x10.height, 5);
  EXPECT_EQ(t.shapes[0][0].left, 9);
  const TickShape& y2 = t.shapes[1][2];  // 310 - 100 * 301/300 - 2 - 1 = 206.67
  EXPECT_EQ(y2.top, 206);
  EXPECT_EQ(y2.left, 3);
  EXPECT_EQ(y2.width, 5);
  EXPECT_EQ(y2.height, 3);

  EXPECT_FALSE(PlaceTicks(*d, 301, 301, panel, 0, 5, 3, 10, 50, 0).placed);
  d->active = 0;
  EXPECT_FALSE(PlaceTicks(*d, 301, 301, panel, 1, 5, 3, 10, 50, 0).placed);
}

}  // namespace
}  // namespace orvelle
