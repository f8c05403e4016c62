// ROI measurement: the points a circle and a square take (centre, corner, sizes 0 and 5), the
// label layout beside the outline, and the exported table in both separators with its file.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "support/TestSupport.h"
#include "views2d/Roi.h"

namespace orvelle {
namespace {

constexpr int kSide = 301;

class RoiTest : public testing::Test {
 protected:
  void SetUp() override {
    sets_ = MakeDataSets();
    // Two types over size 300: x + y and a constant 4, one grid point without data.
    Fill(sets_[0], "Sum", [](int x, int y) { return x + y; });
    Fill(sets_[1], "Four", [](int, int) { return 4.0; });
    sets_[1].values[10][10] = -99999.0;
    params_.roiSize[0] = params_.roiSize[1] = 5;
  }
  template <class F>
  static void Fill(GridDataSet& s, const std::string& name, F f) {
    s.active = 1;
    s.size = 300;
    s.name = name;
    for (int x = 0; x <= 300; ++x) {
      for (int y = 0; y <= 300; ++y) s.values[x][y] = f(x, y);
    }
  }
  void Place(int roi, int x, int y) {
    params_.roiCentreX[roi] = x;
    params_.roiCentreY[roi] = y;
    ShowRoi(params_, roi, true);
  }
  std::string Export(char c) { return RoiExportText(params_, sets_.get(), 0, kSide, kSide, c); }

  std::unique_ptr<GridDataSet[]> sets_;
  ViewerParams params_;
};

TEST_F(RoiTest, CircleAndSquareTakeTheirOffsets) {
  const GridDataSet& sum = sets_[0];
  RoiStats c = MeasureRoi(sum, kRoiCircle, 100, 100, 5);
  EXPECT_EQ(c.count, 81);          // dx^2 + dy^2 <= 25, (3, 4) included
  EXPECT_DOUBLE_EQ(c.min, 193.0);  // offset (-3, -4)
  EXPECT_DOUBLE_EQ(c.max, 207.0);
  EXPECT_DOUBLE_EQ(c.mean, 200.0);
  RoiStats s = MeasureRoi(sum, kRoiSquare, 100, 100, 5);
  EXPECT_EQ(s.count, 121);
  EXPECT_DOUBLE_EQ(s.min, 190.0);
  EXPECT_DOUBLE_EQ(s.max, 210.0);
  EXPECT_EQ(MeasureRoi(sum, 7, 100, 100, 5).count, 81);  // unknown types measure circles

  for (int type : {kRoiCircle, kRoiSquare}) {
    const RoiStats one = MeasureRoi(sum, type, 40, 2, 0);
    EXPECT_EQ(one.count, 1);
    EXPECT_DOUBLE_EQ(one.mean, 42.0);
  }
  // At the corner only the quarter inside the grid counts.
  EXPECT_EQ(MeasureRoi(sum, kRoiCircle, 0, 0, 5).count, 26);
  EXPECT_EQ(MeasureRoi(sum, kRoiSquare, 0, 0, 5).count, 36);
  EXPECT_EQ(MeasureRoi(sum, kRoiSquare, 500, 500, 5).count, 0);  // beyond the data: no values
  EXPECT_EQ(MeasureRoi(sum, kRoiSquare, 500, 500, 5).mean, kNoData);

  // The exact no-data marker is skipped.
  const RoiStats hole = MeasureRoi(sets_[1], kRoiSquare, 10, 10, 1);
  EXPECT_EQ(hole.count, 8);
  EXPECT_DOUBLE_EQ(hole.mean, 4.0);

  sets_[2].active = 0;
  EXPECT_EQ(MeasureRoi(sets_[2], kRoiCircle, 10, 10, 5).count, -99999);
  EXPECT_EQ(MeasureRoi(sum, kRoiSquare, 150, 150, 1000000).count, 301 * 301);
}

TEST_F(RoiTest, SpreadOverTheSamePoints) {
  // x + y over the 3 x 3 square: deviations -2..2 with squares summing to 12, over 8.
  EXPECT_DOUBLE_EQ(RoiStdDev(sets_[0], kRoiSquare, 100, 100, 1), std::sqrt(1.5));
  EXPECT_EQ(RoiStdDev(sets_[1], kRoiSquare, 10, 10, 1), 0.0);  // the hole is skipped
  EXPECT_EQ(RoiStdDev(sets_[0], kRoiCircle, 100, 100, 0), kNoData);
  sets_[2].active = 0;
  EXPECT_EQ(RoiStdDev(sets_[2], kRoiCircle, 10, 10, 5), kNoData);
}

TEST_F(RoiTest, LabelsSitBesideTheOutlineAndInsideTheImage) {
  const TextSizer sizer = [](const std::string& text) {
    return QSize(static_cast<int>(text.size()) * 6, 14);
  };
  params_.roiSize[0] = 10;
  params_.roiDigits[0] = 2;
  Place(0, 150, 150);
  RoiPlacement p = PlaceRoi(params_, 0, sets_[0], kSide, kSide, sizer);
  ASSERT_TRUE(p.updated);
  EXPECT_TRUE(p.visible);
  EXPECT_TRUE(p.ellipse);
  // Scale 300 / 301: radius 10.0333 pixels.
  EXPECT_EQ(p.shape, QRect(141, 141, 21, 21));
  EXPECT_EQ(p.minText, "Min: 284.00");  // grid centre (149, 149), offset (-7, -7)
  EXPECT_EQ(p.maxText, "Max: 312.00");
  EXPECT_EQ(p.meanText, "Mean: 298.00");
  EXPECT_EQ(p.colour, 0x0000FFu);
  const int x = 150 + 8 + 10 + 2;  // trunc(cx + 8 + R) + 2
  EXPECT_EQ(p.minPos, QPoint(x, 150 - 21 + 2));
  EXPECT_EQ(p.maxPos, QPoint(x, 150 - 7 + 2));
  EXPECT_EQ(p.meanPos, QPoint(x, 150 + 7 + 2));

  // Near the right edge the labels go left; near the top they move down; near the bottom up.
  Place(0, 280, 5);
  p = PlaceRoi(params_, 0, sets_[0], kSide, kSide, sizer);
  ASSERT_EQ(p.meanText.size(), 12u);  // the wider label: 72 pixels
  EXPECT_EQ(p.minPos.x(), 189 + 2);   // trunc(280 - (8 + 10.033 + 72))
  EXPECT_EQ(p.minPos.y(), 4);
  Place(0, 20, 298);
  p = PlaceRoi(params_, 0, sets_[0], kSide, kSide, sizer);
  EXPECT_EQ(p.meanPos.y() - 2 + 14, kSide);

  // Square type, no valid point, and data not active.
  params_.roiType[0] = kRoiSquare;
  for (int x2 = 0; x2 <= 300; ++x2) {
    for (int y2 = 0; y2 <= 300; ++y2) sets_[1].values[x2][y2] = kNoData;
  }
  p = PlaceRoi(params_, 0, sets_[1], kSide, kSide, sizer);
  EXPECT_FALSE(p.ellipse);
  EXPECT_EQ(p.minText, "Min: -----");
  sets_[1].active = 0;
  const auto both = UpdateRois(params_, sets_[1], kSide, kSide, sizer);
  EXPECT_TRUE(both[0].visible);
  EXPECT_FALSE(both[0].updated);  // keeps the previous figures
  EXPECT_FALSE(both[1].visible);
}

TEST_F(RoiTest, ExportListsBothRoisOverBothTypes) {
  Place(0, 100, 100);  // grid (99, 99)
  Place(1, 10, 10);    // grid (9, 9): the hole at (10, 10) lies inside
  params_.roiType[1] = kRoiSquare;
  params_.roiSize[1] = 1;
  EXPECT_EQ(Export('\t'),
            "\t\tSum\tFour\t\n"
            "ROI1\tMin\t191.00\t4.00\t\n"
            "ROI1\tMax\t205.00\t4.00\t\n"
            "ROI1\tMean\t198.00\t4.00\t\n"
            "ROI2\tMin\t16.00\t4.00\t\n"
            "ROI2\tMax\t20.00\t4.00\t\n"
            "ROI2\tMean\t18.00\t4.00\t\n");

  // Normalised type 0, three decimals, and ROI 1 hidden; a type without data reads "---.--".
  sets_[0].normDivisor = 8.0;
  params_.roiDigits[1] = 3;
  ShowRoi(params_, 0, false);
  for (int x = 0; x <= 300; ++x) {
    for (int y = 0; y <= 300; ++y) sets_[1].values[x][y] = kNoData;
  }
  EXPECT_EQ(Export(','),
            ",,Sum,Four,\n"
            "ROI2,Min,2.000,---.--,\n"
            "ROI2,Max,2.500,---.--,\n"
            "ROI2,Mean,2.250,---.--,\n");
  // The labels on the colour map keep the raw values.
  EXPECT_EQ(PlaceRoi(params_, 1, sets_[0], kSide, kSide, nullptr).meanText, "Mean: 18.000");

  // Decimals outside 0..5 are limited.
  params_.roiDigits[1] = 9;
  EXPECT_NE(Export(',').find("ROI2,Mean,2.25000,"), std::string::npos);
  params_.roiDigits[1] = -1;
  EXPECT_NE(Export(',').find("ROI2,Mean,2,"), std::string::npos);

  test::MessageRecorder messages;
  ShowRoi(params_, 1, false);
  EXPECT_EQ(Export('\t'), "");
  EXPECT_EQ(messages.Only(), "ROI area not selected!");
}

TEST_F(RoiTest, NamesWithACommaOrAQuoteAreQuotedInTheFileOnly) {
  sets_[0].name = "Height, raw";
  sets_[1].name = "Slope \"deg\"";
  Place(0, 100, 100);
  auto header = [this](char c) {
    const std::string text = Export(c);
    return text.substr(0, text.find('\n') + 1);
  };
  EXPECT_EQ(header(','), ",,\"Height, raw\",\"Slope \"\"deg\"\"\",\n");
  EXPECT_EQ(header('\t'), "\t\tHeight, raw\tSlope \"deg\"\t\n");
}

TEST_F(RoiTest, SaveWritesCrLfLinesAndReportsEveryFailure) {
  test::TempDir dir;
  test::MessageRecorder messages;
  const std::string path = dir.File("roi.csv");
  EXPECT_EQ(SaveRoiData(path, params_, sets_.get(), 0, kSide, kSide), -1);
  EXPECT_EQ(messages.Only(), "ROI area not selected!");

  messages.Clear();
  Place(0, 0, 0);
  ASSERT_EQ(SaveRoiData(path, params_, sets_.get(), 0, kSide, kSide), 1);
  EXPECT_EQ(messages.Only(), "ROI Data save to file completed.");
  EXPECT_EQ(test::ReadFile(path),
            ",,Sum,Four,\r\nROI1,Min,0.00,4.00,\r\nROI1,Max,7.00,4.00,\r\n"
            "ROI1,Mean,3.92,4.00,\r\n");

  for (const std::string& bad : {dir.File("gone/roi.csv"), std::string("/dev/full")}) {
    messages.Clear();
    EXPECT_EQ(SaveRoiData(bad, params_, sets_.get(), 0, kSide, kSide), -1);
    EXPECT_EQ(messages.Only(), "ROI file open error. -> " + bad);
  }

  messages.Clear();
  EXPECT_EQ(CopyRoiText(params_, sets_.get(), 0, kSide, kSide).substr(0, 6), "\t\tSum\t");
  ConfirmRoiCopied();
  EXPECT_EQ(messages.Only(), "Copied ROI Data to Clipboard.");
}

TEST_F(RoiTest, TheFileKeepsTheNameBytesTheClipboardShowsTheirText) {
  sets_[0].name = "\x96\x8C\x8C\xFA";  // CP932, as a Japanese Windows bench writes it
  sets_[1].name = "A\x81";             // a lead byte without its trail byte
  Place(0, 0, 0);
  test::TempDir dir;
  test::MessageRecorder messages;
  const std::string path = dir.File("roi.csv");
  ASSERT_EQ(SaveRoiData(path, params_, sets_.get(), 0, kSide, kSide), 1);
  EXPECT_EQ(test::ReadFile(path),
            ",,\x96\x8C\x8C\xFA,A\x81,\r\nROI1,Min,0.00,4.00,\r\nROI1,Max,7.00,4.00,\r\n"
            "ROI1,Mean,3.92,4.00,\r\n");
  EXPECT_EQ(CopyRoiText(params_, sets_.get(), 0, kSide, kSide),
            "\t\t\xE8\x86\x9C\xE5\x8E\x9A\tA\xEF\xBF\xBD\t\n"
            "ROI1\tMin\t0.00\t4.00\t\nROI1\tMax\t7.00\t4.00\t\nROI1\tMean\t3.92\t4.00\t\n");
}

}  // namespace
}  // namespace orvelle
