// Line graph pictures: profile pixels and the index step, gaps, clamping at the plot edges, the
// legend, the zoom drag, the range reset question and drawing of degenerate data.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPalette>
#include <memory>
#include <string>
#include <vector>

#include "views2d/FixedText.h"
#include "views2d/LineGraph.h"

namespace orvelle {
namespace {

constexpr QRgb kRed = 0xFFFF0000u;        // column profile, 0x0000FF
constexpr QRgb kLightBlue = 0xFF8080FFu;  // row profile, 0xFF8080
constexpr QRgb kWhite = 0xFFFFFFFFu;

QRgb ButtonFace() { return QGuiApplication::palette().color(QPalette::Button).rgb(); }

MouseInput Mouse(int x, int y, MouseButton button, bool shift = false, bool ctrl = false) {
  return MouseInput{x, y, button, shift, ctrl};
}

class LineGraphTest : public testing::Test {
 protected:
  void SetUp() override {
    ResetLineGraph();
    sets_ = MakeDataSets();
    image_ = QImage(kLineGraphWidth, kLineGraphHeight, QImage::Format_RGB32);
    // Size 300; every column rises with y (value = y), so row 150 is flat at 150.
    GridDataSet& s = Set();
    s.active = 1;
    s.size = 300;
    s.name = "Ramp";
    for (int x = 0; x <= 300; ++x) {
      for (int y = 0; y <= 300; ++y) s.values[x][y] = y;
    }
    s.rangeMin = 0;
    s.rangeMax = 300;
    SetUpLineGraph(&image_, params_);
    PrepareLineGraph(params_, s);
    SetCrossSection(150, 150);
  }

  GridDataSet& Set() { return sets_[0]; }
  QRgb Pixel(int x, int y) const { return image_.pixel(x, y); }
  bool ColumnHas(int x, QRgb rgb) const {
    for (int y = 0; y < image_.height(); ++y) {
      if (Pixel(x, y) == rgb) return true;
    }
    return false;
  }
  int Count(QRgb rgb) const {
    int n = 0;
    for (int y = 0; y < image_.height(); ++y) {
      for (int x = 0; x < image_.width(); ++x) n += Pixel(x, y) == rgb;
    }
    return n;
  }
  // Left drag from a to b on the graph image, moving through the midpoint.
  void Drag(QPoint a, QPoint b) {
    LineGraphMouseDown(Set(), Mouse(a.x(), a.y(), MouseButton::Left));
    LineGraphMouseMove(Mouse((a.x() + b.x()) / 2, (a.y() + b.y()) / 2, MouseButton::Left));
    LineGraphMouseMove(Mouse(b.x(), b.y(), MouseButton::Left));
    LineGraphMouseUp(params_, Set(), Mouse(b.x(), b.y(), MouseButton::Left), nullptr);
  }

  std::unique_ptr<GridDataSet[]> sets_;
  QImage image_;
  ViewerParams params_;
};

TEST_F(LineGraphTest, ProfilesFollowTheDataPixelByPixel) {
  ASSERT_TRUE(RefreshLineGraph(Set()));
  EXPECT_EQ(LineGraph().yRange, 300.0f);
  // Column profile k -> (65 + k, 213 - 2k/3); exact where k is a multiple of 3.
  for (int k = 0; k < 300; k += 3) {
    if (k == 150) continue;  // the row profile crosses here and is drawn last
    EXPECT_EQ(Pixel(65 + k, 213 - 2 * k / 3), kRed) << "index " << k;
  }
  // The row profile is flat at value 150, half way up.
  for (int x = 65; x < 365; ++x) EXPECT_EQ(Pixel(x, 113), kLightBlue) << "x " << x;
  // The end index (300) itself is not drawn, nor anything left of the Y axis.
  EXPECT_FALSE(ColumnHas(365, kRed));
  EXPECT_FALSE(ColumnHas(365, kLightBlue));
  for (int x = 0; x < 65; ++x) EXPECT_FALSE(ColumnHas(x, kRed));

  // Unticking a profile removes it.
  params_.lgLineSelX = 1;
  params_.lgLineSelY = 0;
  LineGraphProfilesChanged(params_, 0, Set());
  EXPECT_EQ(Count(kLightBlue), 0);
  EXPECT_GT(Count(kRed), 0);
}

TEST_F(LineGraphTest, MoreIndicesThanPixelsDrawsEveryStepthIndex) {
  SetProfileFlags(0, true, false);
  SetScaleFlags(false);
  Set().values[150][101] = 1.0e6;  // a spike on an odd index, clamped to the top edge
  SetRanges(0, 0, 300, 300);
  DrawLineGraph(Set());
  EXPECT_EQ(Pixel(65 + 101, 3), kRed);
  SetRanges(0, 0, 300, 600);  // step 2: odd indices are skipped
  DrawLineGraph(Set());
  for (int x = 65; x < 365; ++x) EXPECT_NE(Pixel(x, 3), kRed) << "x " << x;
  EXPECT_TRUE(ColumnHas(65 + 150, kRed));  // index 300, the last valid one
  EXPECT_FALSE(ColumnHas(65 + 151, kRed));
}

TEST_F(LineGraphTest, GapsAreBridgedAndEmptyProfilesDrawNothing) {
  SetProfileFlags(0, true, false);
  for (int k = 100; k < 110; ++k) Set().values[150][k] = kNoData;
  Set().values[150][120] = -99999.0;  // exactly the marker is no data either
  DrawLineGraph(Set());
  // One straight segment from index 99 to 110 passes over index 105.
  bool found = false;
  for (int y = 141; y <= 145; ++y) found = found || Pixel(65 + 105, y) == kRed;
  EXPECT_TRUE(found);
  EXPECT_TRUE(ColumnHas(65 + 120, kRed));

  for (int k = 0; k < kGridDim; ++k) Set().values[150][k] = kNoData;
  DrawLineGraph(Set());
  EXPECT_EQ(Count(kRed), 0);
}

TEST_F(LineGraphTest, ValuesBeyondTheRangeRunAlongTheEdges) {
  SetProfileFlags(0, true, false);
  SetScaleFlags(false);
  SetRanges(0, 0, 300, 300);
  for (int k = 0; k < 50; ++k) Set().values[150][k] = 5000.0;     // above the top
  for (int k = 50; k < 100; ++k) Set().values[150][k] = -5000.0;  // below the bottom
  DrawLineGraph(Set());
  const float bottom = LineGraph().dataMin;
  ASSERT_EQ(bottom, -5000.0f);
  // dataMin is -5000 now, so lift the window back to 0..300 with the shift.
  SetRanges(5000, 0, 300, 300);
  DrawLineGraph(Set());
  for (int k = 1; k < 49; ++k) EXPECT_EQ(Pixel(65 + k, 3), kRed) << k;  // T
  for (int k = 51; k < 99; ++k) EXPECT_EQ(Pixel(65 + k, kLineGraphHeight - 18), kRed) << k;
}

TEST_F(LineGraphTest, LegendListsTheShownProfilesAndStaysInside) {
  SetSeriesNames(0, "X=150", "Y=150");
  SetLegendOn(true);
  LineGraphMouseDown(Set(), Mouse(380, 50, MouseButton::Left, /*shift=*/true));
  EXPECT_EQ(LineGraph().legendX, 380);  // stored as given, clamped when drawn
  EXPECT_EQ(LineGraph().legendY, 50);
  const int width = MeasureLegend(false);
  const int left = kLineGraphWidth - width;
  EXPECT_EQ(Pixel(kLineGraphWidth - 1, 50), kWhite);
  EXPECT_EQ(Pixel(left, 60), kWhite);
  EXPECT_EQ(Pixel(left + 2, 52), ButtonFace());
  EXPECT_EQ(Pixel(left + 5, 55), kRed);             // column swatch
  EXPECT_EQ(Pixel(left + 5, 55 + 12), kLightBlue);  // row swatch below it
  EXPECT_EQ(Pixel(left + 4, 54), 0xFF000000u);      // swatch outline

  // Shift + click above the plot: y limited to 0, x to the margin.
  LineGraphMouseDown(Set(), Mouse(-20, -20, MouseButton::Left, true));
  EXPECT_EQ(LineGraph().legendX, 65);
  EXPECT_EQ(LineGraph().legendY, 0);

  params_.lgLineSelX = params_.lgLineSelY = 0;
  LineGraphProfilesChanged(params_, 0, Set());
  EXPECT_EQ(Count(ButtonFace()), 0);
}

TEST_F(LineGraphTest, TheLegendTakesTheDesktopButtonColour) {
  const QPalette desktop = QGuiApplication::palette();
  QPalette changed = desktop;
  changed.setColor(QPalette::Button, QColor(0x30, 0xA0, 0x50));
  QGuiApplication::setPalette(changed);
  SetSeriesNames(0, "X=150", "Y=150");
  SetLegendOn(true);
  SetLegendPosition(200, 40);
  RefreshLineGraph(Set());
  QGuiApplication::setPalette(desktop);
  EXPECT_EQ(Pixel(202, 42), 0xFF30A050u);                       // frame inside
  EXPECT_EQ(Pixel(200 + 16 + 8 + 1, 40 + 2 + 1), 0xFF30A050u);  // behind the first name
}

TEST_F(LineGraphTest, OnADarkDesktopTheLegendIsWrittenInTheButtonTextColour) {
  const QPalette desktop = QGuiApplication::palette();
  QPalette dark = desktop;
  dark.setColor(QPalette::Button, QColor(0x35, 0x35, 0x35));
  dark.setColor(QPalette::ButtonText, QColor(0xE0, 0xE0, 0xC0));
  QGuiApplication::setPalette(dark);
  SetSeriesNames(0, "X=150", "Y=150");
  SetLegendOn(true);
  SetLegendPosition(200, 40);
  RefreshLineGraph(Set());
  QGuiApplication::setPalette(desktop);
  EXPECT_EQ(Pixel(204, 44), 0xFFE0E0C0u);  // swatch outline
  int text = 0, black = 0;
  for (int y = 41; y < 40 + 4 + 2 * (LineGraph().swatchHeight + 4); ++y) {
    for (int x = 201; x < 200 + MeasureLegend(false); ++x) {
      text += Pixel(x, y) == 0xFFE0E0C0u;
      black += Pixel(x, y) == 0xFF000000u;
    }
  }
  EXPECT_GT(text, 40);
  EXPECT_EQ(black, 0);
}

TEST_F(LineGraphTest, ZoomIsTheSameInEitherDirection) {
  RefreshLineGraph(Set());
  Drag({100, 50}, {250, 150});
  const ViewerParams forward = params_;
  const QImage forwardImage = image_.copy();
  EXPECT_EQ(forward.lgXStart, 35.0f);
  EXPECT_EQ(forward.lgXRange, 150.0f);
  EXPECT_FLOAT_EQ(forward.lgYShift, 94.5f);
  EXPECT_FLOAT_EQ(forward.lgYRange, 150.0f);
  EXPECT_TRUE(LineGraph().autoScale);

  SetUp();
  RefreshLineGraph(Set());
  Drag({250, 150}, {100, 50});
  EXPECT_EQ(params_.lgXStart, forward.lgXStart);
  EXPECT_EQ(params_.lgXRange, forward.lgXRange);
  EXPECT_EQ(params_.lgYShift, forward.lgYShift);
  EXPECT_EQ(params_.lgYRange, forward.lgYRange);
  EXPECT_EQ(image_, forwardImage);

  // A later redraw scales y to the data again but keeps the x zoom.
  RefreshLineGraph(Set());
  EXPECT_EQ(LineGraph().xStart, 35.0f);
  EXPECT_EQ(LineGraph().yRange, 300.0f);
}

TEST_F(LineGraphTest, ClicksAndCancelledDragsLeaveEverythingAsItWas) {
  RefreshLineGraph(Set());
  const QImage before = image_.copy();
  const ViewerParams paramsBefore = params_;

  LineGraphMouseDown(Set(), Mouse(200, 100, MouseButton::Left));
  EXPECT_TRUE(LineGraphDragging());
  LineGraphMouseUp(params_, Set(), Mouse(200, 100, MouseButton::Left), nullptr);
  EXPECT_EQ(image_, before);
  EXPECT_EQ(params_.lgXRange, paramsBefore.lgXRange);
  EXPECT_EQ(params_.lgYShift, paramsBefore.lgYShift);

  // The inverted rectangle erases itself when the pointer comes back.
  LineGraphMouseDown(Set(), Mouse(120, 60, MouseButton::Left));
  LineGraphMouseMove(Mouse(220, 160, MouseButton::Left));
  EXPECT_NE(image_, before);
  EXPECT_EQ(image_.pixel(170, 110), before.pixel(170, 110) ^ 0x00BFBFBFu);
  LineGraphMouseMove(Mouse(120, 60, MouseButton::Left));
  EXPECT_EQ(image_, before);

  // The right button cancels a drag.
  LineGraphMouseMove(Mouse(300, 180, MouseButton::Left));
  LineGraphMouseUp(params_, Set(), Mouse(300, 180, MouseButton::Right), nullptr);
  EXPECT_FALSE(LineGraphDragging());
  EXPECT_EQ(image_, before);
  EXPECT_EQ(params_.lgXStart, paramsBefore.lgXStart);

  // No drag starts outside the plot or without active data.
  LineGraphMouseDown(Set(), Mouse(30, 100, MouseButton::Left));
  EXPECT_FALSE(LineGraphDragging());
  Set().active = 0;
  LineGraphMouseDown(Set(), Mouse(200, 100, MouseButton::Left));
  EXPECT_FALSE(LineGraphDragging());
}

TEST_F(LineGraphTest, CtrlRightClickResetsTheRangesAfterAskingYes) {
  Drag({100, 50}, {250, 150});
  std::vector<std::string> asked;
  bool answer = false;
  auto ask = [&](const std::string& text, const std::string& caption) {
    asked.push_back(caption + "|" + text);
    return answer;
  };
  const MouseInput ctrlRight = Mouse(200, 100, MouseButton::Right, false, true);
  LineGraphMouseUp(params_, Set(), ctrlRight, ask);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0], "Reset range/shift|Reset range/shift setting to default.\nAre you sure?");
  EXPECT_EQ(params_.lgXStart, 35.0f);

  answer = true;
  const auto result = LineGraphMouseUp(params_, Set(), ctrlRight, ask);
  EXPECT_TRUE(result.rangesChanged);
  EXPECT_EQ(params_.lgXStart, 0.0f);
  EXPECT_EQ(params_.lgXRange, 300.0f);
  EXPECT_EQ(params_.lgYRange, 300.0f);
  EXPECT_EQ(LineGraph().xStart, 0.0f);

  // Shift held, or a plain right release, asks nothing.
  LineGraphMouseUp(params_, Set(), Mouse(200, 100, MouseButton::Right, true, true), ask);
  LineGraphMouseUp(params_, Set(), Mouse(200, 100, MouseButton::Right), ask);
  EXPECT_EQ(asked.size(), 2u);
}

TEST_F(LineGraphTest, DegenerateDataDrawWithoutFailing) {
  // All values equal: a zero value range puts the line on the bottom edge.
  for (int x = 0; x <= 300; ++x) {
    for (int y = 0; y <= 300; ++y) Set().values[x][y] = 7.0;
  }
  SetProfileFlags(0, true, false);
  DrawLineGraph(Set());
  EXPECT_EQ(LineGraph().yRange, 0.0f);
  EXPECT_EQ(Pixel(65 + 100, 213), kRed);

  // No valid value at all: dataMin 0 and the running extremes' span.
  for (int x = 0; x < kGridDim; ++x) {
    for (int y = 0; y < kGridDim; ++y) Set().values[x][y] = kNoData;
  }
  DrawLineGraph(Set());
  EXPECT_EQ(LineGraph().dataMin, 0.0f);
  EXPECT_EQ(LineGraph().yRange, -199998.0f);
  EXPECT_EQ(Count(kRed), 0);
}

TEST(FixedTextTest, NumbersReadTheSameInEveryLocale) {
  EXPECT_EQ(FormatFixed(-3.25, 1, 7), "   -3.2");
  EXPECT_EQ(FormatFixed(12345678.0, 1, 7), "12345678.0");
  EXPECT_EQ(FormatFixed(0.5, 0), "0");
  EXPECT_EQ(FormatFixedSignificant(1234.56789, 7, 5), "1234.56800");
  EXPECT_EQ(FormatFixedSignificant(12.5, 10, 3), "12.500");
  EXPECT_EQ(FormatFixedSignificant(-0.001, 7, 2), "0.00");
  EXPECT_EQ(FormatFixedSignificant(123456789.0, 7, 2), "1.234568E+08");
}

// Auto range: the plot runs from the data's minimum to their maximum, whatever shift was set,
// negative data included.
TEST_F(LineGraphTest, AutoRangeKeepsNegativeDataInThePlot) {
  SetRanges(200.0f, 0.0f, 300.0f, 300.0f);
  DrawLineGraph(Set());
  EXPECT_EQ(LineGraph().yShift, 0.0f);
  SetRanges(-50.0f, 0.0f, 300.0f, 300.0f);
  DrawLineGraph(Set());
  EXPECT_EQ(LineGraph().yShift, 0.0f);

  for (int x = 0; x <= 300; ++x) {
    for (int y = 0; y <= 300; ++y) Set().values[x][y] = y - 150.0;
  }
  SetRanges(0.0f, 0.0f, 300.0f, 300.0f);
  DrawLineGraph(Set());
  EXPECT_EQ(LineGraph().dataMin, -150.0f);
  EXPECT_EQ(LineGraph().yShift, 0.0f);
  EXPECT_EQ(LineGraph().yRange, 300.0f);
  // The column profile starts at the bottom of the plot, where its first value -150 lies.
  EXPECT_EQ(Pixel(65, 213), kRed);
}

// After a y zoom's own redraw, and after a reset, the next redraw shows all the data again, from
// their minimum to their maximum, for data above zero and below it.
TEST_F(LineGraphTest, TheRedrawAfterAZoomOrAResetShowsAllTheData) {
  auto ask = [](const std::string&, const std::string&) { return true; };
  for (const auto& [lo, hi] : {std::pair{10.0, 100.0}, {94.0, 195.0}, {-150.0, 30.0}}) {
    for (int x = 0; x <= 300; ++x)
      for (int y = 0; y <= 300; ++y) Set().values[x][y] = lo + (hi - lo) * y / 300.0;
    const auto expectAllData = [&, lo = lo, hi = hi](const char* after) {
      RefreshLineGraph(Set());
      EXPECT_FLOAT_EQ(LineGraph().dataMin + LineGraph().yShift, float(lo)) << lo << after;
      EXPECT_FLOAT_EQ(LineGraph().yRange, float(hi - lo)) << lo << after;
    };
    RefreshLineGraph(Set());
    Drag({100, 50}, {250, 150});
    EXPECT_EQ(LineGraph().yShift, params_.lgYShift);  // the zoom's own redraw
    EXPECT_EQ(LineGraph().yRange, params_.lgYRange);
    expectAllData(" after a zoom");
    LineGraphMouseUp(params_, Set(), Mouse(200, 100, MouseButton::Right, false, true), ask);
    expectAllData(" after a reset");
  }
}

}  // namespace
}  // namespace orvelle
