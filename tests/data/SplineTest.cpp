// The B-spline interpolation: knots and basis, the interpolation property up to the last row and
// column, agreement with the step-by-step procedure, the separable path for lattices beyond the
// working storage, the checks and their messages, and the elimination without row exchanges.
#include "data/Spline.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "bench/ConditioningReference.h"
#include "support/TestSupport.h"

namespace orvelle {
namespace {

class SplineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSplineModule();
    sets = MakeDataSets();
  }

  // A complete lattice of nx x ny points with pitches px, py and values f(i, j).
  template <typename F>
  GridDataSet& Lattice(int nx, int ny, int px, int py, F f) {
    GridDataSet& d = sets[0];
    d.active = 1;
    d.pitchX = px;
    d.pitchY = py;
    d.maxX = (nx - 1) * px;
    d.maxY = (ny - 1) * py;
    d.size = std::max(d.maxX, d.maxY);
    d.name = "Height";
    for (int i = 0; i < nx; ++i)
      for (int j = 0; j < ny; ++j) d.values[i * px][j * py] = f(i, j);
    return d;
  }

  // Expects -1, exactly `message`, and the data set unchanged.
  void ExpectRefused(int order, const std::string& message) {
    auto before = MakeDataSets();
    reference::CopyValues(sets[0], before[0]);
    test::MessageRecorder messages;
    EXPECT_EQ(SplineInterpolate(sets[0], order), -1);
    EXPECT_EQ(messages.Only(), message);
    EXPECT_TRUE(std::equal(&sets[0].values[0][0], &sets[0].values[0][0] + kGridDim * kGridDim,
                           &before[0].values[0][0]));
    EXPECT_EQ(sets[0].name, "Height");
  }

  std::unique_ptr<GridDataSet[]> sets;
};

double Bumpy(int i, int j) { return 10.0 * std::sin(i * 0.9) + std::cos(j * 1.3) * i + 0.5 * j; }

TEST(SplineKnotsTest, FollowTheAveragingRule) {
  auto knots = [](int n, int k) {
    std::vector<float> t(n + k);
    SplineKnots(n, k, t.data());
    return t;
  };
  EXPECT_EQ(knots(5, 4), (std::vector<float>{0, 0, 0, 0, 2, 4, 4, 4, 4}));
  EXPECT_EQ(knots(5, 3), (std::vector<float>{0, 0, 0, 1.5f, 2.5f, 4, 4, 4}));
  EXPECT_EQ(knots(4, 4), (std::vector<float>{0, 0, 0, 0, 3, 3, 3, 3}));
}

TEST(SplineBasisTest, SumsToOneAndPutsTheEndOfTheRangeInTheLastInterval) {
  std::vector<float> t(9), b(5);
  SplineKnots(5, 4, t.data());
  for (float u : {0.0f, 0.3f, 1.0f, 2.0f, 3.7f}) {
    EvalBasis(u, t.data(), 5, 4, b.data());
    float sum = 0;
    for (float v : b) sum += v;
    EXPECT_NEAR(sum, 1.0f, 1e-6f) << u;
  }
  EXPECT_EQ(EvalBasis(4.0f, t.data(), 5, 4, b.data()), 4);
  EXPECT_EQ(b, (std::vector<float>{0, 0, 0, 0, 1}));
  EXPECT_EQ(EvalBasis(std::nextafter(4.0f, 5.0f), t.data(), 5, 4, b.data()), 4);
  EXPECT_NEAR(b[4], 1.0f, 1e-5f);
  EXPECT_EQ(EvalBasis(0.0f, t.data(), 5, 4, b.data()), 3);
  EXPECT_EQ(b, (std::vector<float>{1, 0, 0, 0, 0}));
  EXPECT_EQ(EvalBasis(0.5f, t.data(), 5, 6, b.data()), -1);  // order above the point count
}

TEST_F(SplineTest, PassesThroughEveryLatticePointForAnyPitchAndOrder) {
  for (int order : {2, 3, 4}) {
    SCOPED_TRACE(order);
    ResetDataSets(sets.get(), 1);
    GridDataSet& d = Lattice(7, 6, 9, 4, Bumpy);
    d.values[0][d.maxY + 1] = 5.0;  // outside the output: must become kNoData
    ASSERT_EQ(SplineInterpolate(d, order), 1);
    for (int i = 0; i < 7; ++i)
      for (int j = 0; j < 6; ++j) EXPECT_NEAR(d.values[i * 9][j * 4], Bumpy(i, j), 1e-4);
    EXPECT_EQ(d.values[0][d.maxY + 1], kNoData);
    EXPECT_TRUE(IsValid(d.values[d.maxX][d.maxY]));
    EXPECT_EQ(d.name, "Height");
    EXPECT_EQ(d.active, 1);
    EXPECT_EQ(d.processed, 0);
    EXPECT_EQ(d.pointCount, 55 * 21);
    EXPECT_EQ(d.defaultMin, d.rangeMin);
    EXPECT_EQ(d.defaultMax, d.rangeMax);
    EXPECT_EQ(d.span, d.rangeMax - d.rangeMin);
    EXPECT_EQ(d.mean, ComputeMean(d));
  }
}

TEST_F(SplineTest, ClearsValuesLeftBeyondTheLastRowReadOnEitherPath) {
  for (const bool separable : {false, true}) {
    SCOPED_TRACE(separable);
    ResetDataSets(sets.get(), 1);
    GridDataSet& d = separable ? Lattice(40, 5, 3, 10, Bumpy) : Lattice(7, 6, 9, 4, Bumpy);
    d.values[d.maxX + 5][3] = 7.0;  // left from an earlier use of the slot
    d.values[kGridDim - 1][kGridDim - 1] = 8.0;
    ASSERT_EQ(SplineInterpolate(d, 3), 1);
    EXPECT_EQ(d.values[d.maxX + 5][3], kNoData);
    EXPECT_EQ(d.values[kGridDim - 1][kGridDim - 1], kNoData);
    EXPECT_EQ(d.mean, ComputeMean(d));
  }
}

TEST_F(SplineTest, GivesExactlyTheResultsOfTheStepByStepProcedure) {
  struct Case {
    int nx, ny, px, py, order;
  };
  for (const Case& c : {Case{9, 8, 5, 7, 3}, Case{6, 11, 3, 2, 2}, Case{12, 5, 4, 6, 4}}) {
    ResetDataSets(sets.get(), 1);
    GridDataSet& d = Lattice(c.nx, c.ny, c.px, c.py, Bumpy);
    int rows = 0, cols = 0;
    const std::vector<float> expected = reference::SplineGrid(d, c.order, rows, cols);
    ASSERT_EQ(SplineInterpolate(d, c.order), 1);
    int differing = 0;
    for (int x = 0; x < rows; ++x)
      for (int y = 0; y < cols; ++y)
        differing += d.values[x][y] != static_cast<double>(expected[x * cols + y]);
    EXPECT_EQ(differing, 0) << c.nx << "x" << c.ny << " order " << c.order;
  }
}

TEST_F(SplineTest, ConstantLatticeGivesAConstantGrid) {
  GridDataSet& d = Lattice(5, 5, 10, 10, [](int, int) { return 42.5; });
  ASSERT_EQ(SplineInterpolate(d, 3), 1);
  for (int x = 0; x <= 40; ++x)
    for (int y = 0; y <= 40; ++y) EXPECT_NEAR(d.values[x][y], 42.5, 1e-4);
}

TEST_F(SplineTest, FourByFourLatticeIsOneBicubicPatch) {
  // A bicubic polynomial is reproduced exactly by a single bicubic patch.
  auto cubic = [](double s, double t) { return s * s * s - 2 * s * t + t * t * t / 3 + 1; };
  GridDataSet& d = Lattice(4, 4, 10, 10, cubic);
  d.name.clear();
  ASSERT_EQ(SplineInterpolate(d, 3), 1);
  EXPECT_NEAR(d.values[15][25], cubic(1.5, 2.5), 1e-4);
  EXPECT_NEAR(d.values[30][30], cubic(3, 3), 1e-4);
  EXPECT_EQ(d.values[31][0], kNoData);
  EXPECT_EQ(d.pointCount, 31 * 31);
  EXPECT_TRUE(d.name.empty());
}

TEST_F(SplineTest, RefusesALatticeTooSmallForTheOrder) {
  Lattice(3, 5, 10, 10, Bumpy);
  ExpectRefused(
      3, "Grid data not enough to interpolate by spline.\nSet 'Order'(=3) value to smaller.");
  EXPECT_EQ(SplineInterpolate(sets[0], 2), 1);
}

TEST_F(SplineTest, NamesTheFirstMissingPointWithXAsTheOuterLoop) {
  GridDataSet& d = Lattice(5, 5, 10, 10, Bumpy);
  d.values[30][0] = kNoData;
  d.values[20][10] = kNoData;
  ExpectRefused(3, "Data nothing -> X:20 Y:10");
}

TEST_F(SplineTest, RefusesOnlyWhatTheGridCannotHoldAndBadPitchOrOrder) {
  GridDataSet& d = Lattice(4, 4, 10, 10, Bumpy);
  d.maxY = 700;  // past the grid: refused before any point is read
  ExpectRefused(3,
                "Grid data too large to interpolate by spline.\n"
                "The output has 31 x 701 points; the limit is 501 points per axis.");
  d.maxY = 30;
  d.pitchX = 0;
  ExpectRefused(3, "X/Y Pitch data error. X:0 Y:10");
  d.pitchX = 10;
  ExpectRefused(-1, "Spline order -1 is not valid. Set 'Order' to a value from 2 to 4.");
}

TEST_F(SplineTest, LargeLatticesPassThroughEveryLatticeValue) {
  struct Case {
    int nx, ny, px, py, order;
  };
  for (const Case& c : {Case{501, 501, 1, 1, 3}, Case{60, 45, 8, 11, 2}, Case{33, 5, 1, 10, 3},
                        Case{23, 4, 17, 10, 3}, Case{51, 51, 10, 10, 4}}) {
    SCOPED_TRACE(testing::Message() << c.nx << "x" << c.ny << " order " << c.order);
    ResetDataSets(sets.get(), 1);
    GridDataSet& d = Lattice(c.nx, c.ny, c.px, c.py, Bumpy);
    ASSERT_EQ(SplineInterpolate(d, c.order), 1);
    double worst = 0.0;
    for (int i = 0; i < c.nx; ++i)
      for (int j = 0; j < c.ny; ++j)
        worst = std::max(worst, std::abs(d.values[i * c.px][j * c.py] - Bumpy(i, j)));
    EXPECT_LE(worst, 1e-9 * d.span);
    EXPECT_EQ(d.pointCount, (d.maxX + 1) * (d.maxY + 1));
    EXPECT_EQ(d.mean, ComputeMean(d));
    EXPECT_EQ(d.name, "Height");
  }
  ResetDataSets(sets.get(), 1);
  GridDataSet& d = Lattice(70, 40, 7, 12, [](int, int) { return -3.25; });
  ASSERT_EQ(SplineInterpolate(d, 3), 1);
  double worst = 0.0;
  for (int x = 0; x <= d.maxX; ++x)
    for (int y = 0; y <= d.maxY; ++y) worst = std::max(worst, std::abs(d.values[x][y] + 3.25));
  EXPECT_LE(worst, 1e-12);
  EXPECT_EQ(d.values[d.maxX + 1][0], kNoData);
}

TEST_F(SplineTest, SeparablePathGivesTheExactProceduresSurfaceAtTheStorageLimit) {
  struct Case {
    int nx, ny, px, py;
  };
  auto separable = MakeDataSets();
  for (const Case& c : {Case{32, 32, 11, 11}, Case{32, 20, 11, 17}}) {
    for (int order : {2, 3, 4}) {
      SCOPED_TRACE(testing::Message() << c.nx << "x" << c.ny << " order " << order);
      ResetDataSets(sets.get(), 1);
      GridDataSet& d = Lattice(c.nx, c.ny, c.px, c.py, Bumpy);
      reference::CopyValues(d, separable[0]);
      separable[0].pitchX = d.pitchX;
      separable[0].pitchY = d.pitchY;
      separable[0].maxX = d.maxX;
      separable[0].maxY = d.maxY;
      ASSERT_EQ(SplineInterpolate(d, order), 1);
      ASSERT_EQ(SplineSeparable(separable[0], order), 1);
      double worst = 0.0;
      for (int x = 0; x <= d.maxX; ++x)
        for (int y = 0; y <= d.maxY; ++y)
          worst = std::max(worst, std::abs(d.values[x][y] - separable[0].values[x][y]));
      EXPECT_LE(worst, 2e-5 * d.span);
    }
  }
}

TEST_F(SplineTest, LargeLatticeChecksGiveTheirMessagesAndChangeNothing) {
  Lattice(40, 3, 1, 10, Bumpy);
  ExpectRefused(
      3, "Grid data not enough to interpolate by spline.\nSet 'Order'(=3) value to smaller.");
  ResetDataSets(sets.get(), 1);
  Lattice(501, 501, 1, 1, Bumpy);
  sets[0].values[400][7] = kNoData;
  sets[0].values[499][2] = kNoData;
  ExpectRefused(4, "Data nothing -> X:400 Y:7");
}

TEST_F(SplineTest, RunsAtTheLimits) {
  GridDataSet& d = Lattice(32, 32, 11, 11, Bumpy);
  ASSERT_EQ(SplineInterpolate(d, 3), 1);
  EXPECT_NEAR(d.values[341][341], Bumpy(31, 31), 1e-3);
  ResetDataSets(sets.get(), 1);
  Lattice(23, 23, 16, 16, Bumpy);
  ASSERT_EQ(SplineInterpolate(sets[0], 4), 1);
  EXPECT_NEAR(sets[0].values[352][352], Bumpy(22, 22), 1e-3);
}

TEST(LuTest, EliminatesWithoutRowExchangesAndSolves) {
  // Multipliers 2 and 0.5 below the diagonal; x = (1, 2, 3).
  std::vector<float> a = {2, 1, 1, 4, 3, 3, 1, 2, 5};
  const std::vector<float> z = {7, 19, 20};
  LuDecompose(a.data(), 3);
  EXPECT_EQ(a, (std::vector<float>{2, 1, 1, 2, 1, 1, 0.5f, 1.5f, 3}));
  std::vector<float> x(3);
  LuSolve(a.data(), z.data(), x.data(), 3);
  EXPECT_EQ(x, (std::vector<float>{1, 2, 3}));

  // A banded matrix with scattered zeros: same bits as the full elimination.
  const int n = 40;
  std::vector<float> m(n * n, 0.0f);
  for (int i = 0; i < n; ++i)
    for (int j = std::max(0, i - 6); j < std::min(n, i + 5); ++j)
      m[i * n + j] =
          (i == j) ? 20.0f : ((i * 7 + j * 3) % 5 == 0 ? 0.0f : 0.1f * ((i + 2 * j) % 9));
  std::vector<float> full = m, rhs(n);
  for (int i = 0; i < n; ++i) rhs[i] = 0.37f * i - 3;
  LuDecompose(m.data(), n);
  reference::LuDecompose(full, n);
  EXPECT_EQ(m, full);
  std::vector<float> solution(n);
  LuSolve(m.data(), rhs.data(), solution.data(), n);
  EXPECT_EQ(solution, reference::LuSolve(full, rhs, n));
}

}  // namespace
}  // namespace orvelle
