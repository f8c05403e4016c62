// The grid data set: reset, the validity test, statistics and the mean.
#include <gtest/gtest.h>

#include "data/GridDataSet.h"

namespace orvelle {
namespace {

class GridDataSetTest : public testing::Test {
 protected:
  std::unique_ptr<GridDataSet[]> sets_ = MakeDataSets();
  GridDataSet& s_ = sets_[0];
};

TEST_F(GridDataSetTest, ResetClearsEverythingButTheGeometry) {
  s_.values[3][4] = 5.0;
  s_.values[500][500] = 1.0;
  s_.active = s_.processed = 1;
  s_.name.assign(1, 'A');  // (assigning a literal trips a false g++ 12 warning)
  s_.normDivisor = 2.0;
  s_.pointCount = 9;
  s_.size = 300;
  s_.pitchX = 7;
  s_.span = 12.0;
  s_.rangeMin = 1.0;
  s_.defaultMax = 3.0;
  sets_[1].values[0][0] = 8.0;
  ResetDataSets(sets_.get(), 1);
  for (int x = 0; x < kGridDim; ++x)
    for (int y = 0; y < kGridDim; ++y) ASSERT_EQ(s_.values[x][y], kNoData);
  EXPECT_EQ(s_.active, 0);
  EXPECT_EQ(s_.processed, 0);
  EXPECT_EQ(s_.name, "");
  EXPECT_EQ(s_.normDivisor, 1.0);
  EXPECT_EQ(s_.pointCount, 0);
  EXPECT_EQ(s_.rangeMin, 99999.0);
  EXPECT_EQ(s_.rangeMax, -99999.0);
  EXPECT_EQ(s_.defaultMin, 99999.0);
  EXPECT_EQ(s_.defaultMax, -99999.0);
  EXPECT_EQ(s_.mean, kNoData);
  EXPECT_EQ(s_.size, 300);
  EXPECT_EQ(s_.pitchX, 7);
  EXPECT_EQ(s_.span, 12.0);
  EXPECT_EQ(sets_[1].values[0][0], 8.0);  // only the first `count` slots
}

TEST_F(GridDataSetTest, StatisticsOfValidPointsOnly) {
  s_.active = 1;
  s_.values[0][0] = -99999.0;  // not valid
  s_.values[1][0] = -99998.9;  // valid
  s_.values[2][5] = 10.0;
  s_.values[500][500] = 4.0;
  ComputeStatistics(s_);
  EXPECT_EQ(s_.pointCount, 3);
  EXPECT_EQ(s_.rangeMin, -99998.9);
  EXPECT_EQ(s_.rangeMax, 10.0);
  EXPECT_EQ(s_.span, 10.0 + 99998.9);
  EXPECT_DOUBLE_EQ(s_.mean, (-99998.9 + 10.0 + 4.0) / 3);
}

TEST_F(GridDataSetTest, EmptyGridKeepsTheRunningStartValues) {
  s_.active = 1;
  s_.values[7][7] = -200000.0;
  ComputeStatistics(s_);
  EXPECT_EQ(s_.pointCount, 0);
  EXPECT_EQ(s_.mean, -99999.0);
  EXPECT_EQ(s_.rangeMin, 99999.0);
  EXPECT_EQ(s_.rangeMax, -99999.0);
  EXPECT_EQ(s_.span, -199998.0);
  EXPECT_EQ(ComputeMean(s_), -99999.0);
}

TEST_F(GridDataSetTest, MinimumNeverRisesAboveItsStart) {
  s_.active = 1;
  s_.values[0][0] = 150000.0;
  s_.values[0][1] = 200000.0;
  ComputeStatistics(s_);
  EXPECT_EQ(s_.rangeMin, 99999.0);
  EXPECT_EQ(s_.rangeMax, 200000.0);
}

TEST_F(GridDataSetTest, InactiveSlotIsLeftAlone) {
  s_.values[1][1] = 5.0;
  ComputeStatistics(s_);
  EXPECT_EQ(s_.pointCount, 0);
  EXPECT_EQ(s_.rangeMax, -99999.0);
  EXPECT_EQ(ComputeMean(s_), 5.0);  // the mean itself does not look at the flag
}

}  // namespace
}  // namespace orvelle
