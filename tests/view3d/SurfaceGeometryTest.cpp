// What the 3D view draws, without OpenGL: heights within the colour range, which cells, walls
// and wire segments a grid gives, the lifted frame, the value labels and their mirroring, and
// the triangles that reach no pixel.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <set>
#include <utility>

#include "data/ViewerParams.h"
#include "view3d/SurfaceGeometry.h"
#include "view3d/SurfaceRenderer.h"
#include "views2d/ColorPalette.h"

namespace orvelle {
namespace {

using GridPoint = std::pair<int, int>;
using GridEdge = std::pair<GridPoint, GridPoint>;

std::unique_ptr<GridDataSet> Grid(int size, double value) {
  auto set = std::make_unique<GridDataSet>();
  ResetDataSets(set.get(), 1);
  set->active = 1;
  set->size = size;
  for (int x = 0; x <= size; ++x)
    for (int y = 0; y <= size; ++y) set->values[x][y] = value;
  set->rangeMin = 0.0;
  set->rangeMax = 10.0;
  return set;
}

class GeometryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetRenderer();
    ResetPaletteState();
    InitRenderer(DesignedParams());
    SetPaletteParams(kDefaultPalette);
  }
  SurfaceMesh Build(const GridDataSet& set, int pitch, int type) {
    SurfaceMesh mesh;
    BuildSurfaceMesh(set, CurrentRendererState(), pitch, type,
                     SampleColors(set, CurrentRendererState(), pitch), mesh);
    return mesh;
  }
  static GridPoint ToGrid(const Vec3f& p, int extent) {
    return {static_cast<int>(std::lround(p.x * extent + extent / 2)),
            static_cast<int>(std::lround(p.z * extent + extent / 2))};
  }
  // Walls follow the surface vertices; each is four vertices, its top edge first.
  static std::set<GridEdge> WallEdges(const SurfaceMesh& mesh, size_t firstWallVertex, int extent) {
    std::set<GridEdge> edges;
    for (size_t k = firstWallVertex; k + 3 < mesh.positions.size(); k += 4)
      edges.insert({ToGrid(mesh.positions[k], extent), ToGrid(mesh.positions[k + 1], extent)});
    return edges;
  }
  static std::set<GridEdge> Segments(const SurfaceMesh& mesh, const std::vector<uint32_t>& lines,
                                     int extent) {
    std::set<GridEdge> out;
    for (size_t k = 0; k + 1 < lines.size(); k += 2)
      out.insert(
          {ToGrid(mesh.positions[lines[k]], extent), ToGrid(mesh.positions[lines[k + 1]], extent)});
    return out;
  }
};

TEST(HeightFraction, ClampsToTheRangeAndIsZeroForAnEmptyOrBrokenRange) {
  EXPECT_FLOAT_EQ(HeightFraction(15.0, 10.0, 20.0), 0.5f);
  EXPECT_FLOAT_EQ(HeightFraction(25.0, 10.0, 20.0), 1.0f);
  EXPECT_FLOAT_EQ(HeightFraction(5.0, 10.0, 20.0), 0.0f);
  EXPECT_FLOAT_EQ(HeightFraction(7.0, 7.0, 7.0), 0.0f);
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_FLOAT_EQ(HeightFraction(1.0, -inf, inf), 0.0f);
  EXPECT_FLOAT_EQ(HeightFraction(std::nan(""), 0.0, 1.0), 0.0f);
  EXPECT_FLOAT_EQ(SceneHeight(1.0f, 5.0f), 0.5f);
  const Vec3f corner = ScenePoint(0, 100, 100, 0.0f, 5.0f);
  EXPECT_FLOAT_EQ(corner.x, -0.5f);
  EXPECT_FLOAT_EQ(corner.z, 0.5f);
}

TEST_F(GeometryTest, ACellWithThreeValidCornersDrawsWallsWhereTheDrawnSurfaceEnds) {
  // 3 x 3 points, (2, 2) missing: three whole cells, one cell with three valid corners.
  auto set = Grid(2, 5.0);
  set->values[2][2] = kNoData;
  SetDrawFrame(false);
  const SurfaceMesh mesh = Build(*set, 1, kDrawPlane);
  const std::set<GridEdge> expected = {
      {{0, 0}, {0, 1}}, {{0, 0}, {1, 0}},  // cell (0, 0): left and front edges of the grid
      {{1, 0}, {2, 0}}, {{2, 0}, {2, 1}},  // cell (1, 0): front edge, last cell along x
      {{0, 1}, {0, 2}}, {{0, 2}, {1, 2}},  // cell (0, 1): left edge, last cell along y
      {{1, 1}, {2, 1}}, {{1, 1}, {1, 2}},  // the three-corner cell: edges shared with cells
  };
  EXPECT_EQ(WallEdges(mesh, 9, 2), expected);
  EXPECT_EQ(mesh.planeTriangles.size(), (3 + 8) * 6u);
  for (size_t k = 9; k < mesh.positions.size(); k += 4) {
    EXPECT_FLOAT_EQ(mesh.positions[k + 2].y, 0.0f);  // the lower edge stands on the floor
    EXPECT_FLOAT_EQ(mesh.positions[k + 3].y, 0.0f);
  }

  SetDrawSide(false);
  EXPECT_EQ(Build(*set, 1, kDrawPlane).planeTriangles.size(), 3 * 6u);
  set->values[1][1] = kNoData;  // now two diagonal cells of one and two corners remain
  SetDrawSide(true);
  const SurfaceMesh sparse = Build(*set, 1, kDrawPlane);
  EXPECT_EQ(sparse.planeTriangles.size() % 6, 0u);
  for (const GridEdge& e : WallEdges(sparse, 9, 2)) {
    EXPECT_NE(e.first, GridPoint(1, 1));
    EXPECT_NE(e.second, GridPoint(1, 1));
  }
}

TEST_F(GeometryTest, OnlyWholeCellsAreDrawnAndTheLastWholeCellGetsTheOuterWall) {
  auto set = Grid(100, 5.0);
  SetDrawFrame(false);
  SetDrawSide(false);
  // Pitch 50 on extent 100: 2 x 2 cells; 3 lines of 3 points each way.
  EXPECT_EQ(Build(*set, 50, kDrawPlane).planeTriangles.size(), 4 * 6u);
  const SurfaceMesh wire = Build(*set, 50, kDrawWire);
  EXPECT_EQ(wire.wireLines.size(), 12 * 2u);
  for (const GridEdge& e : Segments(wire, wire.wireLines, 100))
    EXPECT_EQ(std::abs(e.first.first - e.second.first) + std::abs(e.first.second - e.second.second),
              50);

  // Pitch 30: cells start at 0, 30 and 60; the strip from 90 to 100 is not drawn.
  SetDrawSide(true);
  const SurfaceMesh mesh = Build(*set, 30, kDrawPlane);
  const std::set<GridEdge> walls = WallEdges(mesh, 16, 100);
  EXPECT_EQ(walls.size(), 12u);
  EXPECT_TRUE(walls.count({{90, 60}, {90, 90}}));
  EXPECT_TRUE(walls.count({{60, 90}, {90, 90}}));
  EXPECT_FALSE(walls.count({{60, 30}, {90, 30}}));
}

TEST_F(GeometryTest, WireRunsStraightOverMissingPointsAndTheFrameLiftsWhereThePlaneGoesOn) {
  auto set = Grid(4, 5.0);
  set->values[0][2] = kNoData;  // a gap in the line x = 0
  set->values[3][4] = kNoData;
  set->values[2][5] = 5.0;  // beyond the extent
  const SurfaceMesh wire = Build(*set, 1, kDrawWire);
  const std::set<GridEdge> segments = Segments(wire, wire.wireLines, 4);
  EXPECT_TRUE(segments.count({{0, 1}, {0, 3}}));
  EXPECT_FALSE(segments.count({{0, 1}, {0, 2}}));
  EXPECT_EQ(wire.wireLines.size(), 2u * (2 * 5 * 4 - 4));  // each gap costs its two lines one

  const SurfaceMesh plane = Build(*set, 1, kDrawPlane);
  const size_t n = 5;
  const float base = SceneHeight(0.5f, 5.0f), lifted = SceneHeight(0.505f, 5.0f);
  auto passOne = [&](int x, int y) { return plane.positions[n * n + x * n + y].y; };
  auto passTwo = [&](int x, int y) { return plane.positions[2 * n * n + x * n + y].y; };
  EXPECT_FLOAT_EQ(passOne(1, 0), base);  // first point of its line
  EXPECT_FLOAT_EQ(passOne(1, 1), lifted);
  EXPECT_FLOAT_EQ(passOne(0, 1), base);    // the next point (0, 2) has no data
  EXPECT_FLOAT_EQ(passOne(3, 3), base);    // the next point (3, 4) has no data
  EXPECT_FLOAT_EQ(passOne(2, 4), lifted);  // (2, 5) lies outside the extent but holds data
  EXPECT_FLOAT_EQ(passTwo(0, 3), base);
  EXPECT_FLOAT_EQ(passTwo(2, 3), lifted);
  EXPECT_FLOAT_EQ(plane.colors[n * n].g, 100.0f / 255.0f);  // frame colour 0x646464
}

TEST_F(GeometryTest, FrameNextToTheGridsLastColumnReadsNothingBeyondTheGrid) {
  auto set = Grid(500, 5.0);
  set->values[0][1] = 1.0;  // right after (500, 500) in memory order, were it read
  const SurfaceMesh plane = Build(*set, 100, kDrawPlane);
  const size_t n = 6;
  EXPECT_FLOAT_EQ(plane.positions[n * n + 5 * n + 5].y, SceneHeight(0.5f, 5.0f));
  EXPECT_FLOAT_EQ(plane.positions[2 * n * n + 5 * n + 5].y, SceneHeight(0.5f, 5.0f));
  set->size = 900;  // a corrupt size is held to the grid
  EXPECT_EQ(DrawnExtent(*set), 500);
  set->size = 0;
  EXPECT_TRUE(Build(*set, 5, kDrawPlane).positions.empty());
  EXPECT_EQ(DrawnPitch(0), 1);
}

TEST_F(GeometryTest, LabelsShowTwoDecimalsOfTheRangeDividedByTheDivisor) {
  EXPECT_EQ(LabelText(1234.5, 2), "1234.50");
  EXPECT_EQ(LabelText(-0.5, 2), "-0.50");
  EXPECT_EQ(LabelText(1e300, 2).size(), 304u);

  auto halved = Grid(10, 0.0);
  halved->rangeMin = 2.0;
  halved->rangeMax = 8.0;
  halved->normDivisor = 2.0;
  auto plain = Grid(10, 0.0);
  plain->rangeMin = 1.0;
  plain->rangeMax = 4.0;
  EXPECT_EQ(ValueLabelSegments(*halved, CurrentRendererState()),
            ValueLabelSegments(*plain, CurrentRendererState()));
  halved->normDivisor = 0.0;  // no division by zero: the values stand as they are
  auto same = Grid(10, 0.0);
  same->rangeMin = 2.0;
  same->rangeMax = 8.0;
  EXPECT_EQ(ValueLabelSegments(*halved, CurrentRendererState()),
            ValueLabelSegments(*same, CurrentRendererState()));
}

TEST_F(GeometryTest, GlyphsMirrorAndTheTextRunsTowardsMinusXWhenTurnedPositive) {
  std::vector<Vec3f> seven, mirrored, unknown;
  AppendGlyphStrokes('7', 1.0f, {0, 0, 0}, false, seven);
  AppendGlyphStrokes('7', 1.0f, {0, 0, 0}, true, mirrored);
  AppendGlyphStrokes('a', 1.0f, {0, 0, 0}, false, unknown);
  ASSERT_EQ(seven.size(), 4u);
  EXPECT_EQ(seven[2], (Vec3f{1, 0, 0}));  // the down stroke on the right
  EXPECT_EQ(seven[3], (Vec3f{1, -2, 0}));
  EXPECT_EQ(mirrored[2], (Vec3f{0, 0, 0}));  // and on the left when mirrored
  EXPECT_TRUE(unknown.empty());

  auto set = Grid(10, 0.0);
  const float s = 0.03f;
  auto xRange = [&] {
    float lo = 1e9f, hi = -1e9f;
    for (const Vec3f& p : ValueLabelSegments(*set, CurrentRendererState())) {
      lo = std::min(lo, p.x);
      hi = std::max(hi, p.x);
    }
    return std::pair{lo, hi};
  };
  const auto [frontLo, frontHi] = xRange();  // "10.00" ends left of the anchor
  EXPECT_NEAR(frontHi, -0.6f - 1.5f * s + s, 1e-6f);
  EXPECT_NEAR(frontLo, -0.6f - 1.5f * s * 5, 1e-6f);
  SetViewAngles(0.0f, 0.1f);
  const auto [backLo, backHi] = xRange();  // starts at the anchor and runs towards -x
  EXPECT_NEAR(backHi, -0.6f + s, 1e-6f);
  EXPECT_NEAR(backLo, -0.6f - 1.5f * s * 4, 1e-6f);
}

TEST(PixelCoverage, TrianglesBetweenPixelCentresAreLeftOutInOrder) {
  const WindowTransform identity{1, 0, 0, 0, 0, 1, 0, 0};
  const std::vector<Vec3f> p = {{10.1f, 10.1f, 0}, {10.4f, 10.1f, 0}, {10.1f, 10.4f, 0},
                                {10.0f, 10.0f, 0}, {11.0f, 10.0f, 0}, {10.0f, 11.0f, 0},
                                {20.6f, 3.2f, 0},  {20.9f, 3.2f, 0},  {20.6f, 3.4f, 0}};
  std::vector<uint32_t> kept;
  KeepPixelCoveringTriangles(p, {6, 7, 8, 3, 4, 5, 0, 1, 2}, identity, kept);
  EXPECT_EQ(kept, (std::vector<uint32_t>{3, 4, 5}));
  // A box that just reaches a pixel centre is kept.
  const std::vector<Vec3f> edge = {{10.5f, 10.5f, 0}, {10.51f, 10.5f, 0}, {10.5f, 10.51f, 0}};
  KeepPixelCoveringTriangles(edge, {0, 1, 2}, identity, kept);
  EXPECT_EQ(kept.size(), 3u);
}

}  // namespace
}  // namespace orvelle
