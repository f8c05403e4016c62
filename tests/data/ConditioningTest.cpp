// The conditioning pipeline: bilinear fill of complete lattice cells, the disc-mean filter and
// its extent, the pipeline's failure rule, and the normalisation divisor.
#include "data/Conditioning.h"

#include <gtest/gtest.h>

#include <cmath>

#include "bench/ConditioningReference.h"
#include "support/TestSupport.h"

namespace orvelle {
namespace {

class ConditioningTest : public ::testing::Test {
 protected:
  void SetUp() override { sets = MakeDataSets(); }

  // A lattice with pitch `pitch` over 0..size whose values are f(x, y).
  template <typename F>
  GridDataSet& Lattice(int slot, int size, int pitch, F f) {
    GridDataSet& d = sets[slot];
    d.active = 1;
    d.size = d.maxX = d.maxY = size;
    d.pitchX = d.pitchY = pitch;
    d.name = "Data" + std::to_string(slot + 1);
    for (int x = 0; x <= size; x += pitch)
      for (int y = 0; y <= size; y += pitch) d.values[x][y] = f(x, y);
    return d;
  }

  std::unique_ptr<GridDataSet[]> sets;
};

double Corner(int x, int y) { return 3.0 * x - 2.0 * y + 0.25 * x * y / 10.0 + (x == 10 ? 7 : 0); }

// The bilinear blend of the cell (x0, y0) with pitch p at (x, y).
double Blend(int x0, int y0, int p, int x, int y) {
  const double tx = double(x - x0) / p, ty = double(y - y0) / p;
  const double a = Corner(x0, y0) + tx * (Corner(x0 + p, y0) - Corner(x0, y0));
  const double b = Corner(x0, y0 + p) + tx * (Corner(x0 + p, y0 + p) - Corner(x0, y0 + p));
  return a + ty * (b - a);
}

TEST_F(ConditioningTest, FillsEveryPointOfAThreeByThreeLatticeWithItsCellsBlend) {
  GridDataSet& d = Lattice(0, 20, 10, Corner);
  EXPECT_EQ(FillGaps(d), 4);
  for (int x = 0; x <= 20; ++x) {
    for (int y = 0; y <= 20; ++y) {
      // Points on a shared edge belong to either cell; both blends agree there.
      const int x0 = x == 20 ? 10 : x / 10 * 10, y0 = y == 20 ? 10 : y / 10 * 10;
      EXPECT_NEAR(d.values[x][y], Blend(x0, y0, 10, x, y), 1e-12) << x << "," << y;
      if (x % 10 == 0 && y % 10 == 0) {
        EXPECT_EQ(d.values[x][y], Corner(x, y));
      }
    }
  }
  EXPECT_EQ(d.values[21][0], kNoData);
  EXPECT_EQ(d.values[0][21], kNoData);
  EXPECT_EQ(d.pointCount, 21 * 21);
  EXPECT_EQ(d.defaultMin, d.rangeMin);
  EXPECT_EQ(d.defaultMax, d.rangeMax);
  EXPECT_EQ(d.span, d.rangeMax - d.rangeMin);
}

TEST_F(ConditioningTest, NeverOverwritesMeasuredPoints) {
  GridDataSet& d = Lattice(0, 20, 10, Corner);
  d.values[5][5] = 1234.5;  // far from the cell's blend
  d.values[10][3] = -5.0;   // on the edge shared by two cells
  EXPECT_EQ(FillGaps(d), 4);
  EXPECT_EQ(d.values[5][5], 1234.5);
  EXPECT_EQ(d.values[10][3], -5.0);
  EXPECT_NEAR(d.values[5][6], Blend(0, 0, 10, 5, 6), 1e-12);
}

TEST_F(ConditioningTest, MissingCornerLeavesItsCellOpenExceptEdgesOfCompleteNeighbours) {
  GridDataSet& d = Lattice(0, 20, 10, Corner);
  d.values[20][20] = kNoData;
  EXPECT_EQ(FillGaps(d), 3);
  EXPECT_EQ(d.values[15][15], kNoData);
  EXPECT_EQ(d.values[20][15], kNoData);
  EXPECT_EQ(d.values[15][20], kNoData);
  EXPECT_NEAR(d.values[10][15], Blend(0, 10, 10, 10, 15), 1e-12);  // edge of cell (0, 10)
  EXPECT_NEAR(d.values[15][10], Blend(10, 0, 10, 15, 10), 1e-12);  // edge of cell (10, 0)
}

TEST_F(ConditioningTest, FillRefusesSlotsItCannotFillAndSkipsCellsPastTheGrid) {
  GridDataSet& d = Lattice(0, 20, 10, Corner);
  d.active = 0;
  EXPECT_EQ(FillGaps(d), -1);
  d.active = 1;
  d.pitchY = 0;
  EXPECT_EQ(FillGaps(d), -1);
  d.pitchY = 10;
  d.size = 0;
  EXPECT_EQ(FillGaps(d), -1);
  EXPECT_EQ(d.values[5][5], kNoData);

  GridDataSet& wide = Lattice(1, 500, 300, [](int, int) { return 1.0; });
  EXPECT_EQ(FillGaps(wide), 1);  // the cells at 300 would reach 600
  EXPECT_EQ(wide.values[299][299], 1.0);
  EXPECT_EQ(wide.values[301][0], kNoData);
}

TEST_F(ConditioningTest, OnePitchLatticeCountsItsCompleteCellsUpToTheGridEdge) {
  GridDataSet& d = Lattice(0, 500, 1, Corner);
  d.values[200][300] = kNoData;  // four cells lose a corner
  d.values[500][500] = kNoData;  // the last cell loses its far corner
  d.values[0][7] = kNoData;      // two cells on the first column
  EXPECT_EQ(FillGaps(d), 500 * 500 - 7);
  EXPECT_EQ(d.values[200][300], kNoData);
  EXPECT_EQ(d.pointCount, 501 * 501 - 3);

  d.values[200][300] = d.values[500][500] = d.values[0][7] = 1.0;
  d.size = 10;  // the size bounds the cell origins, the neighbours beyond it still count
  EXPECT_EQ(FillGaps(d), 11 * 11);
}

// A grid with one valid centre worth `centre` and zeros at the given offsets.
TEST_F(ConditioningTest, DiscHoldsThePointsWithinTheRadius) {
  GridDataSet& d = sets[0];
  auto countAround = [&](int x, int y, int r) {
    ResetDataSets(&d, 1);
    for (int j = 0; j < kGridDim; ++j)
      for (int k = 0; k < kGridDim; ++k) d.values[j][k] = 0.0;
    d.values[x][y] = 1000.0;
    return static_cast<int>(std::lround(1000.0 / DiscMean(d, x, y, r)));
  };
  EXPECT_EQ(countAround(100, 100, 1), 5);
  EXPECT_EQ(countAround(100, 100, 2), 13);
  EXPECT_EQ(countAround(100, 100, 3), 29);
  EXPECT_EQ(countAround(0, 0, 3), 11);  // clipped at the grid's corner, not mirrored

  ResetDataSets(&d, 1);
  d.values[50][50] = 0.0;
  d.values[53][54] = 10.0;  // distance exactly 5
  d.values[54][54] = 90.0;  // distance 5.66
  EXPECT_EQ(DiscMean(d, 50, 50, 5), 5.0);
  EXPECT_EQ(DiscMean(d, 50, 50, 0), 0.0);
  EXPECT_EQ(DiscMean(d, 50, 51, 0), kNoData);
  EXPECT_EQ(DiscMean(d, 50, 50, -1), kNoData);
  EXPECT_EQ(DiscMean(d, 40, 40, 2), kNoData);
  EXPECT_EQ(DiscMean(d, 501, 0, 0), kNoData);
}

// A dense 401 x 401 grid with an offset, a ripple, noise and scattered holes.
void Rough(GridDataSet& d) {
  d.active = 1;
  d.size = d.maxX = d.maxY = 400;
  d.pitchX = d.pitchY = 1;
  unsigned seed = 7;
  for (int x = 0; x <= 400; ++x) {
    for (int y = 0; y <= 400; ++y) {
      seed = seed * 1664525u + 1013904223u;
      d.values[x][y] = (seed >> 24) % 23 == 0 ? kNoData
                                              : 1000.0 + std::sin(x * 0.05) * std::cos(y * 0.07) +
                                                    (seed >> 12) % 97 / 400.0;
    }
  }
}

TEST_F(ConditioningTest, FilterSmoothsOnlyTheCornerSquareAndMatchesTheDiscMeanLoop) {
  for (int r : {1, 3, 12}) {
    Rough(sets[0]);
    Rough(sets[1]);
    FilterDataSet(sets[0], r);
    reference::FilterDataSet(sets[1], r);
    double worst = 0.0;
    for (int x = 0; x < kGridDim; ++x)
      for (int y = 0; y < kGridDim; ++y)
        worst = std::max(worst, std::fabs(sets[0].values[x][y] - sets[1].values[x][y]));
    EXPECT_LE(worst, 1e-10 * 1.25) << "radius " << r;  // the span is below 1.25
  }
  Rough(sets[1]);
  for (int i = 0; i <= 400; ++i) {
    EXPECT_EQ(sets[0].values[301][i], sets[1].values[301][i]);
    EXPECT_EQ(sets[0].values[i][301], sets[1].values[i][301]);
    EXPECT_EQ(IsValid(sets[0].values[i][i]), IsValid(sets[1].values[i][i]));
  }
  EXPECT_NE(sets[0].values[300][300], sets[1].values[300][300]);

  // A lattice that ends before the corner square: the passes stop at its last row and column.
  for (GridDataSet* d : {&sets[0], &sets[1]}) {
    Rough(*d);
    d->maxX = 37;
    d->maxY = 12;
    for (int x = 0; x < kGridDim; ++x)
      for (int y = 0; y < kGridDim; ++y)
        if (x > 37 || y > 12) d->values[x][y] = kNoData;
  }
  FilterDataSet(sets[0], 5);
  reference::FilterDataSet(sets[1], 5);
  for (int x = 0; x <= 37; ++x)
    for (int y = 0; y <= 12; ++y)
      ASSERT_NEAR(sets[0].values[x][y], sets[1].values[x][y], 1e-10 * 1.25) << x << "," << y;

  Rough(sets[0]);
  Rough(sets[1]);
  FilterDataSet(sets[0], 0);
  FilterDataSet(sets[0], -2);
  EXPECT_TRUE(std::equal(&sets[0].values[0][0], &sets[0].values[0][0] + kGridDim * kGridDim,
                         &sets[1].values[0][0]));
}

TEST_F(ConditioningTest, PipelineKeepsTheStatisticsOfTheFillAndMarksEverySlot) {
  auto wave = [](int x, int y) { return std::sin(x * 0.1) + std::cos(y * 0.2); };
  Lattice(0, 200, 10, wave);
  Lattice(3, 200, 10, wave);
  ASSERT_GT(FillGaps(sets[3]), 0);
  ViewerParams params = DesignedParams();
  params.filterEnable = 1;
  params.filterSize = 5;
  test::MessageRecorder messages;
  EXPECT_EQ(ConditionDataSets(sets.get(), 2, params), 1);
  EXPECT_TRUE(messages.Messages().empty());
  EXPECT_EQ(sets[0].rangeMin, sets[3].rangeMin);
  EXPECT_EQ(sets[0].rangeMax, sets[3].rangeMax);
  EXPECT_EQ(sets[0].mean, sets[3].mean);
  EXPECT_NE(sets[0].values[15][15], sets[3].values[15][15]);
  EXPECT_EQ(sets[0].processed, 1);
  EXPECT_EQ(sets[1].processed, 1);  // inactive, but passed over
  EXPECT_EQ(sets[2].processed, 0);
}

TEST_F(ConditioningTest, OneSlotThatCannotBeFilledDiscardsEverySlot) {
  Lattice(0, 100, 10, [](int x, int y) { return x + y; });
  GridDataSet& lone = Lattice(1, 100, 10, [](int, int) { return kNoData; });
  lone.values[50][50] = 3.0;
  Lattice(2, 100, 10, [](int x, int) { return x; });
  test::MessageRecorder messages;
  EXPECT_EQ(ConditionDataSets(sets.get(), 3, DesignedParams()), -1);
  EXPECT_TRUE(messages.Messages().empty());
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(sets[i].active, 0);
    EXPECT_EQ(sets[i].processed, 0);
    EXPECT_TRUE(sets[i].name.empty());
    EXPECT_EQ(sets[i].values[0][0], kNoData);
  }
}

TEST_F(ConditioningTest, SplineFailureDiscardsEverySlotAfterItsMessage) {
  Lattice(0, 20, 10, [](int x, int y) { return x + y; });
  ViewerParams params = DesignedParams();
  params.splineEnable = 1;
  test::MessageRecorder messages;
  EXPECT_EQ(ConditionDataSets(sets.get(), 10, params), -1);
  EXPECT_EQ(messages.Only(),
            "Grid data not enough to interpolate by spline.\nSet 'Order'(=3) value to smaller.");
  EXPECT_EQ(sets[0].active, 0);
  params.splineOrder = 2;
  Lattice(0, 20, 10, [](int x, int y) { return x + y; });
  EXPECT_EQ(ConditionDataSets(sets.get(), 10, params), 1);
  EXPECT_NEAR(sets[0].values[13][7], 20.0, 1e-4);  // a plane stays a plane
}

TEST_F(ConditioningTest, OnlyTheFirstDataTypeGetsADivisor) {
  ViewerParams params = DesignedParams();
  params.normEnable = 1;
  params.normValue = 2.0f;
  ApplyNormDivisor(sets.get(), params);
  EXPECT_EQ(sets[0].normDivisor, 2.0);
  EXPECT_EQ(sets[1].normDivisor, 1.0);
  EXPECT_EQ(NormalizedValue(sets[0], 7.0), 3.5);
  EXPECT_EQ(NormalizedValue(sets[1], 7.0), 7.0);
  EXPECT_EQ(NormalizedValue(sets[0], kNoData), kNoData);
  sets[0].normDivisor = 0.0;
  EXPECT_EQ(NormalizedValue(sets[0], 7.0), 7.0);
  params.normEnable = 0;
  ApplyNormDivisor(sets.get(), params);
  EXPECT_EQ(sets[0].normDivisor, 1.0);
}

}  // namespace
}  // namespace orvelle
