// Uniformity statistics: the sample standard deviation beside the mean, the site figures of the
// lattice as read, the non-uniformity and CV rules for undefined figures, and precision under a
// large common offset.
#include "data/Uniformity.h"

#include <gtest/gtest.h>

#include <cmath>

#include "data/Conditioning.h"

namespace orvelle {
namespace {

class UniformityTest : public testing::Test {
 protected:
  // Pitch 2 over 0..4: the values 1..9 in x-major order with (2, 2) missing, so eight values with
  // mean 5 and squared deviations 16 + 9 + 4 + 1 + 1 + 4 + 9 + 16 = 60.
  GridDataSet& HandGrid() {
    GridDataSet& s = sets_[0];
    s.active = 1;
    s.size = s.maxX = s.maxY = 4;
    s.pitchX = s.pitchY = 2;
    double v = 1.0;
    for (int x = 0; x <= 4; x += 2)
      for (int y = 0; y <= 4; y += 2, v += 1.0) s.values[x][y] = v;
    s.values[2][2] = kNoData;
    return s;
  }

  std::unique_ptr<GridDataSet[]> sets_ = MakeDataSets();
};

TEST_F(UniformityTest, HandGridWithAHole) {
  GridDataSet& s = HandGrid();
  MeasureSites(s);
  EXPECT_EQ(s.sites.count, 8);
  EXPECT_EQ(s.sites.min, 1.0);
  EXPECT_EQ(s.sites.max, 9.0);
  EXPECT_EQ(s.sites.mean, 5.0);
  EXPECT_DOUBLE_EQ(s.sites.stdDev, std::sqrt(60.0 / 7.0));
  ComputeStatistics(s);
  EXPECT_EQ(s.mean, 5.0);
  EXPECT_DOUBLE_EQ(s.stdDev, std::sqrt(60.0 / 7.0));
  EXPECT_DOUBLE_EQ(*NonUniformityPct(s.span, s.mean), 80.0);  // 8 / (2 x 5) x 100
  EXPECT_DOUBLE_EQ(*CvPct(s.stdDev, s.mean), std::sqrt(60.0 / 7.0) / 5.0 * 100.0);
  EXPECT_DOUBLE_EQ(*CvPct(s.stdDev, -s.mean), *CvPct(s.stdDev, s.mean));  // |mean|

  // The bilinear fill changes the grid's figures but not the sites measured before it.
  s.values[2][2] = 5.0;
  ASSERT_EQ(FillGaps(s), 4);
  EXPECT_EQ(s.pointCount, 25);
  EXPECT_EQ(s.sites.count, 8);
}

TEST_F(UniformityTest, UndefinedFigures) {
  GridDataSet& s = sets_[0];
  s.active = 1;
  MeasureSites(s);  // no value at all
  EXPECT_EQ(s.sites.count, 0);
  EXPECT_EQ(s.sites.mean, kNoData);
  EXPECT_EQ(s.sites.stdDev, kNoData);
  EXPECT_FALSE(NonUniformityPct(s.sites.max - s.sites.min, s.sites.mean));
  EXPECT_FALSE(CvPct(s.sites.stdDev, s.sites.mean));

  s.values[0][0] = 3.0;  // one value: no spread, but a non-uniformity of 0
  ComputeStatistics(s);
  EXPECT_EQ(s.stdDev, kNoData);
  EXPECT_FALSE(CvPct(s.stdDev, s.mean));
  EXPECT_EQ(NonUniformityPct(s.span, s.mean), 0.0);

  s.values[0][1] = -3.0;  // mean 0
  ComputeStatistics(s);
  EXPECT_DOUBLE_EQ(s.stdDev, std::sqrt(18.0));
  EXPECT_FALSE(NonUniformityPct(s.span, s.mean));
  EXPECT_FALSE(CvPct(s.stdDev, s.mean));

  ResetDataSets(sets_.get(), 1);
  EXPECT_EQ(s.stdDev, kNoData);
  EXPECT_EQ(s.sites.count, 0);
}

// 1e6 plus noise of a thousandth: the squares of the values carry only about ten significant
// digits of the noise's spread, so a sum of squares loses it.
TEST_F(UniformityTest, LargeOffsetKeepsItsPrecision) {
  GridDataSet& s = sets_[0];
  s.active = 1;
  s.maxX = s.maxY = kGridDim - 1;
  long double sum = 0;
  for (int x = 0; x < kGridDim; ++x)
    for (int y = 0; y < kGridDim; ++y) {
      s.values[x][y] = 1.0e6 + 1.0e-3 * ((x * 7 + y * 3) % 5 - 2);
      sum += s.values[x][y];
    }
  const long double n = static_cast<long double>(kGridDim) * kGridDim;
  long double squares = 0;
  for (int x = 0; x < kGridDim; ++x)
    for (int y = 0; y < kGridDim; ++y) squares += std::pow(s.values[x][y] - sum / n, 2.0L);
  const double expected = static_cast<double>(std::sqrt(squares / (n - 1)));
  ComputeStatistics(s);
  MeasureSites(s);
  EXPECT_NEAR(s.stdDev, expected, expected * 1e-9);
  EXPECT_NEAR(s.sites.stdDev, expected, expected * 1e-9);
}

TEST_F(UniformityTest, SplineSetsTheSpreadWithTheMean) {
  GridDataSet& s = sets_[0];
  s.active = 1;
  s.size = s.maxX = s.maxY = 20;
  s.pitchX = s.pitchY = 4;
  for (int x = 0; x <= 20; x += 4)
    for (int y = 0; y <= 20; y += 4) s.values[x][y] = 7.5;
  ViewerParams params;
  params.splineEnable = 1;
  ASSERT_EQ(ConditionDataSets(sets_.get(), 1, params), 1);
  // The spline works in single precision in places: the constant comes back to about 1e-7.
  EXPECT_NEAR(s.mean, 7.5, 1e-5);
  EXPECT_NEAR(s.stdDev, 0.0, 1e-5);
}

}  // namespace
}  // namespace orvelle
