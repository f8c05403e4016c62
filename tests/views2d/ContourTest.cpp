// The contour tracer and view: whole pictures of a closed loop and of a full-width line, border
// stops, a start on the last column, lines found on the edges along x alone (and the pictures of
// lines that cross edges along y left as they were), levels and pens, degenerate grids, the
// underlay and the labels.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "Views2dTestSupport.h"
#include "data/Conditioning.h"
#include "data/ThkFormat.h"
#include "support/TestSupport.h"
#include "views2d/ColorMap.h"
#include "views2d/ColorPalette.h"
#include "views2d/Contour.h"

namespace orvelle {
namespace {

using test::Blank;
using test::ExpectedLine;
using test::FirstDifference;
using test::MakeGrid;

struct Seg {
  int x0, y0, x1, y1;
  friend bool operator==(const Seg&, const Seg&) = default;
};

std::ostream& operator<<(std::ostream& os, const Seg& s) {
  return os << "(" << s.x0 << "," << s.y0 << ")-(" << s.x1 << "," << s.y1 << ")";
}

class ContourTest : public ::testing::Test {
 protected:
  std::vector<ContourSegment> recorded;
  void SetUp() override {
    ResetPaletteState();
    ResetContourModule();
    SetContourSegmentRecorder(&recorded);
  }
  void TearDown() override { SetContourSegmentRecorder(nullptr); }

  std::vector<Seg> Segments() const {
    std::vector<Seg> out;
    for (const ContourSegment& s : recorded) out.push_back({s.x0, s.y0, s.x1, s.y1});
    return out;
  }
  // Draws with one level on black, 301 x 301.
  QImage DrawOneLevel(const GridDataSet& d) {
    SetContourLevelCount(1);
    QImage image = Blank(301, 301, 0xFF808080u);
    DrawContourLines(image, d, d.size, kDefaultPalette, true);
    return image;
  }
  static QImage Picture(const std::vector<Seg>& segments, QRgb pen) {
    QImage expected = Blank(301, 301);
    for (const Seg& s : segments) ExpectedLine(expected, s.x0, s.y0, s.x1, s.y1, pen);
    return expected;
  }
};

// Grid 4 (nodes 0..4 map to pixels 0, 75, .., 300), one node above the level of 0.5.
TEST_F(ContourTest, SinglePeakGivesOneClosedDiamondTracedBothWays) {
  auto d = MakeGrid(
      4, [](int x, int y) { return x == 2 && y == 2 ? 1.0 : 0.0; }, 0.0, 1.0);
  const QImage image = DrawOneLevel(*d);
  // Started on the edge above the peak: the start point (150, 113) comes from the start formula,
  // the same crossing reached by the trace is (150, 112).
  const std::vector<Seg> forward = {
      {150, 113, 187, 150}, {187, 150, 150, 187}, {150, 187, 112, 150}, {112, 150, 150, 112}};
  const std::vector<Seg> backward = {
      {150, 113, 112, 150}, {112, 150, 150, 187}, {150, 187, 187, 150}, {187, 150, 150, 112}};
  std::vector<Seg> both = forward;
  both.insert(both.end(), backward.begin(), backward.end());
  EXPECT_EQ(Segments(), both);
  const QRgb pen = ToQRgb(HsvColor(kDefaultPalette, 0.5f));
  EXPECT_EQ(FirstDifference(image, Picture(both, pen)), "");
  for (const ContourSegment& s : recorded) EXPECT_EQ(s.color, 0x00E500u);
}

TEST_F(ContourTest, LineAcrossTheGridStopsOnTheBorder) {
  // Values rising along y only: a full-width line at y = 2.5, started on the first column, so
  // the reverse trace leaves the grid at once.
  auto d = MakeGrid(
      4, [](int, int y) { return double(y); }, 0.0, 5.0);
  const QImage image = DrawOneLevel(*d);
  const std::vector<Seg> expected = {
      {0, 188, 75, 187}, {75, 187, 150, 187}, {150, 187, 225, 187}, {225, 187, 300, 187}};
  EXPECT_EQ(Segments(), expected);
  EXPECT_EQ(FirstDifference(image, Picture(expected, ToQRgb(HsvColor(kDefaultPalette, 0.5f)))), "");
}

TEST_F(ContourTest, StartOnTheLastColumnTracesInwardAndItsReverseEndsAtOnce) {
  auto d = MakeGrid(
      4, [](int x, int y) { return x == 4 && y == 2 ? 1.0 : 0.0; }, 0.0, 1.0);
  DrawOneLevel(*d);
  const std::vector<Seg> expected = {{300, 113, 262, 150}, {262, 150, 300, 187}};
  EXPECT_EQ(Segments(), expected);
}

TEST_F(ContourTest, ALineBetweenTwoColumnsIsFoundAndANodeOnTheLevelStartsNothing) {
  // Varying only along x: the line at x = 2.5 crosses no edge along y.
  auto d = MakeGrid(
      4, [](int x, int) { return double(x); }, 0.0, 5.0);
  DrawOneLevel(*d);
  const std::vector<Seg> expected = {
      {188, 0, 187, 75}, {187, 75, 187, 150}, {187, 150, 187, 225}, {187, 225, 187, 300}};
  EXPECT_EQ(Segments(), expected);

  // A node exactly on the level starts nothing: level 2 with values 0..4 along y.
  recorded.clear();
  auto onLevel = MakeGrid(
      4, [](int, int y) { return double(y); }, 0.0, 4.0);
  DrawOneLevel(*onLevel);
  EXPECT_TRUE(recorded.empty());
}

// FNV-1a over the pixels, to hold whole pictures in a line of source.
uint64_t PictureHash(const QImage& image) {
  uint64_t hash = 14695981039346656037ull;
  for (int y = 0; y < image.height(); ++y) {
    const uchar* line = image.constScanLine(y);
    for (int i = 0; i < image.width() * 4; ++i) hash = (hash ^ line[i]) * 1099511628211ull;
  }
  return hash;
}

QImage FiveLevels(const GridDataSet& d) {
  SetContourLevelCount(5);
  QImage image = Blank(301, 301);
  DrawContourLines(image, d, d.size, kDefaultPalette, true);
  return image;
}

TEST_F(ContourTest, ARampAlongXIsTheRampAlongYTurnedAndOtherPicturesStayAsTheyWere) {
  auto alongX = MakeGrid(
      300, [](int x, int) { return x * x / 300.0; }, 0.0, 300.0);
  auto alongY = MakeGrid(
      300, [](int, int y) { return y * y / 300.0; }, 0.0, 300.0);
  const QImage columns = FiveLevels(*alongX);
  const QImage rows = FiveLevels(*alongY);
  EXPECT_EQ(FirstDifference(columns, rows.transformed(QTransform(0, 1, 1, 0, 0, 0))), "");
  // Five lines, one pixel wide, across the whole height.
  int lit = 0;
  for (int x = 0; x < 301; ++x) lit += columns.pixel(x, 150) != 0xFF000000u;
  EXPECT_EQ(lit, 5);

  // Pictures whose lines all cross an edge along y, as the search along y alone drew them.
  std::map<std::string, uint64_t> hashes;
  hashes["ramp along y"] = PictureHash(rows);
  auto saddle = MakeGrid(
      300, [](int x, int y) { return (x - 150.0) * (y - 150.0); }, -22500.0, 22500.0);
  hashes["saddle"] = PictureHash(FiveLevels(*saddle));
  auto bowl = MakeGrid(
      300, [](int x, int y) { return (x - 150.0) * (x - 150.0) + (y - 150.0) * (y - 150.0); }, 0.0,
      45000.0);
  hashes["bowl"] = PictureHash(FiveLevels(*bowl));
  test::MessageRecorder messages;
  auto sets = MakeDataSets();
  for (const std::string name :
       {"volcano_pitch5.thk", "coads_atlantic_sparse.thk", "volcano_spline_clipboard.txt"}) {
    ResetDataSets(sets.get(), kMaxDataSets);
    const std::string path = test::ExamplePath(name);
    const int n = name.ends_with(".txt") ? ParseThkText(test::ReadFile(path), sets.get())
                                         : LoadThkFile(path, sets.get());
    ASSERT_GT(n, 0) << name;
    ASSERT_EQ(ConditionDataSets(sets.get(), n, DesignedParams()), 1) << name;
    for (int i = 0; i < n; ++i)
      if (sets[i].active) hashes[name + std::to_string(i)] = PictureHash(FiveLevels(sets[i]));
  }
  const std::map<std::string, uint64_t> before = {
      {"bowl", 2792958633058564163ull},
      {"coads_atlantic_sparse.thk0", 5789935653900916205ull},
      {"coads_atlantic_sparse.thk1", 4452637100052188891ull},
      {"coads_atlantic_sparse.thk2", 5313838783030869409ull},
      {"ramp along y", 7918206045237991524ull},
      {"saddle", 12933763649903589662ull},
      {"volcano_pitch5.thk0", 17405927096877631006ull},
      {"volcano_pitch5.thk1", 286071816681074629ull},
      {"volcano_spline_clipboard.txt0", 15680111515220333270ull},
  };
  EXPECT_EQ(hashes, before);
}

TEST_F(ContourTest, LevelsSitAtEqualStepsWithTheirPaletteColours) {
  auto d = MakeGrid(
      6, [](int, int y) { return double(y) + 0.25; }, 0.0, 6.0);
  SetContourLevelCount(5);
  QImage image = Blank(301, 301);
  DrawContourLines(image, *d, 6, kDefaultPalette, true);
  EXPECT_EQ(CurrentPaletteParams(), kDefaultPalette);
  // Levels 1..5 lie at y = 0.75, 1.75, .., 4.75: one full-width line each, pens 1/6 .. 5/6.
  std::vector<ColorRef> pens;
  std::vector<int> rows;
  for (const ContourSegment& s : recorded) {
    if (pens.empty() || pens.back() != s.color) {
      pens.push_back(s.color);
      rows.push_back(s.y1);
    }
  }
  ASSERT_EQ(pens.size(), 5u);
  for (int i = 1; i <= 5; ++i) {
    EXPECT_EQ(pens[i - 1], HsvColor(kDefaultPalette, float(i / 6.0))) << i;
    EXPECT_EQ(rows[i - 1], int(150 + (i - 0.25 - 3) * 50)) << i;  // y = i - 0.25
  }
}

TEST_F(ContourTest, DegenerateAndUnprocessedGridsDrawNoLines) {
  auto one = MakeGrid(
      1, [](int x, int y) { return double(x + y); }, 0.0, 2.0);
  DrawOneLevel(*one);
  auto d = MakeGrid(
      4, [](int, int y) { return double(y); }, 0.0, 5.0);
  d->processed = 0;
  DrawOneLevel(*d);
  d->processed = 1;
  d->active = 0;
  DrawOneLevel(*d);
  EXPECT_TRUE(recorded.empty());
  // NaN and infinite nodes neither start nor derail a trace.
  auto odd = MakeGrid(
      4, [](int x, int y) { return double(y) + (x == 2 ? 0.1 : 0.0); }, 0.0, 5.0);
  odd->values[1][2] = std::nan("");
  odd->values[3][3] = HUGE_VAL;
  odd->values[0][2] = -HUGE_VAL;
  DrawOneLevel(*odd);
}

TEST_F(ContourTest, ContourViewUnderlayLabelsAndFill) {
  auto d = MakeGrid(
      4, [](int, int y) { return double(y); }, 0.0, 5.0);
  d->normDivisor = 2.0;
  d->values[0][0] = kNoData;
  ViewerParams params = DesignedParams();
  params.backColor = 0x00FFFF;
  SetContourColors(params.backColor, 0, 0, 0);  // what window creation sets
  InitContourModule(5);
  std::array<QString, 5> labels;
  QImage image = Blank(301, 301);

  // Underlay: the two-colour picture with no-data in the background colour, under the lines.
  const ThresholdTest test{0, 5, 0.0, 9999.99};
  DrawContour(image, *d, params, test, labels);
  EXPECT_EQ(labels[0], "0.000");
  EXPECT_EQ(labels[1], "0.625");
  EXPECT_EQ(labels[4], "2.500");
  QImage underlay = Blank(301, 301);
  RenderValueImage(underlay, *d, 0, test, 0x00FFFF, 0xFFFFFF, 0x000000);
  QImage expected = underlay;
  for (const ContourSegment& s : recorded)
    ExpectedLine(expected, s.x0, s.y0, s.x1, s.y1, ToQRgb(s.color));
  EXPECT_FALSE(recorded.empty());
  EXPECT_EQ(FirstDifference(image, expected), "");
  EXPECT_EQ(image.pixel(0, 0), ToQRgb(0x00FFFF));

  // Without underlay the lines stand on black, not on the fill colour set at window creation.
  params.copyColormap = 0;
  recorded.clear();
  DrawContour(image, *d, params, test, labels);
  expected = Blank(301, 301);
  for (const ContourSegment& s : recorded)
    ExpectedLine(expected, s.x0, s.y0, s.x1, s.y1, ToQRgb(s.color));
  EXPECT_EQ(FirstDifference(image, expected), "");

  d->processed = 0;
  DrawContour(image, *d, params, test, labels);
  for (const QString& label : labels) EXPECT_EQ(label, "---.---");
  EXPECT_EQ(FirstDifference(image, Blank(301, 301)), "");
}

}  // namespace
}  // namespace orvelle
