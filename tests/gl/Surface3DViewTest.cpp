// The 3D view's pictures read back from a real OpenGL context: the empty start-up view, surface
// colours and heights, wire and plane drawing, the circular data region with its walls,
// mirrored labels, the copy size rule, and that the cached vertex arrays (from buffer objects
// or client memory, in any context) and a replayed picture show exactly what the
// vertex-by-vertex drawing draws.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "SurfaceFixtures.h"
#include "data/ViewerParams.h"
#include "view3d/OffscreenSurfaceRenderer.h"
#include "view3d/SurfaceRenderer.h"
#include "view3d/ViewInteraction.h"
#include "views2d/ColorPalette.h"

namespace orvelle::test {
namespace {

constexpr unsigned kBlack = 0x000000, kRed = 0xFF0000, kGrey = 0x646464;
// The default HSV ramp at the bottom and the top of the colour range.
constexpr unsigned kBottomColor = 0x4400CC, kTopColor = 0xFF0055;

class SurfaceViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetRenderer();
    ResetPaletteState();
    InitRenderer(params_);
    std::string error;
    ASSERT_TRUE(renderer_.Open(377, 205, error)) << error;
  }
  void TearDown() override { ResetRenderer(); }

  QImage Draw(const GridDataSet* set, int pitch = 5, int drawType = kDrawPlane,
              bool immediate = false) {
    return renderer_.Render([&](int w, int h) {
      if (immediate)
        DrawSceneImmediate(w, h, set, params_.colormapPalette, pitch, drawType);
      else
        DrawScene(w, h, set, params_.colormapPalette, pitch, drawType);
    });
  }
  unsigned At(const QImage& image, Vec3f p) {
    const QPoint q = PixelOf(CurrentRendererState(), image.width(), image.height(), p);
    return PixelRgb(image, q.x(), q.y());
  }
  // Colours found within `radius` pixels of where p appears.
  std::set<unsigned> Around(const QImage& image, Vec3f p, int radius) {
    const QPoint q = PixelOf(CurrentRendererState(), image.width(), image.height(), p);
    std::set<unsigned> colors;
    for (int y = q.y() - radius; y <= q.y() + radius; ++y)
      for (int x = q.x() - radius; x <= q.x() + radius; ++x)
        if (image.valid(x, y)) colors.insert(PixelRgb(image, x, y));
    return colors;
  }
  static int Count(const QImage& image, unsigned rgb) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) n += PixelRgb(image, x, y) == rgb;
    return n;
  }
  // Top view with the scene's x axis to the right and z downwards.
  static void LookFromAbove() { SetViewAngles(BarToRadians(900), BarToRadians(-900)); }

  ViewerParams params_ = DesignedParams();
  OffscreenSurfaceRenderer renderer_;
};

TEST_F(SurfaceViewTest, StartUpViewWithoutDataShowsAxesAndDottedGridOnly) {
  const float h = 0.5f;
  for (const bool inactive : {false, true}) {
    auto set = MakeSurface(100, [](int, int) { return 1.0; });
    set->active = inactive ? 0 : 1;
    const QImage image = Draw(inactive ? set.get() : nullptr);
    ASSERT_EQ(image.size(), QSize(377, 205));
    std::set<unsigned> colors;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) colors.insert(PixelRgb(image, x, y));
    EXPECT_EQ(colors, (std::set<unsigned>{kBlack, kRed, kGrey}));
    EXPECT_EQ(At(image, {0.0f, 0.0f, 0.5f}), kRed);                         // front floor axis
    EXPECT_EQ(At(image, {-0.5f, h / 2, 0.5f}), kRed);                       // height axis
    EXPECT_TRUE(Around(image, {0.0f, 0.0f, 0.0f}, 2).count(kGrey));         // floor grid
    EXPECT_TRUE(Around(image, {0.0f, h, -0.5f}, 2).count(kGrey));           // back wall top
    EXPECT_FALSE(Around(image, {-0.63f, h - 0.03f, 0.5f}, 3).count(kRed));  // no labels
  }
  SetDrawSub(false);
  const QImage noWalls = Draw(nullptr);
  EXPECT_FALSE(Around(noWalls, {0.0f, h, -0.5f}, 2).count(kGrey));
  EXPECT_TRUE(Around(noWalls, {0.0f, 0.0f, 0.0f}, 2).count(kGrey));
  EXPECT_EQ(PixelRgb(noWalls, 0, 0), kBlack);
}

TEST_F(SurfaceViewTest, ValuesOutsideTheRangeStandAtTopAndFloorInTheEndColours) {
  // Left half 5, right half 25, colour range 10..20.
  auto set = MakeSurface(100, [](int x, int) { return x < 50 ? 5.0 : 25.0; });
  set->rangeMin = 10.0;
  set->rangeMax = 20.0;
  SetDrawFrame(false);
  const QImage image = Draw(set.get());
  const float h = 0.5f;
  EXPECT_EQ(At(image, {0.25f, h, 0.0f}), kTopColor);
  EXPECT_EQ(At(image, {0.3f, h, 0.2f}), kTopColor);
  EXPECT_EQ(At(image, {-0.25f, 0.0f, 0.1f}), kBottomColor);
  // Above the low half there is nothing but the dotted wall grid.
  EXPECT_EQ(At(image, {-0.25f, h * 0.9f, 0.0f}), kBlack);

  // A darker background and the palette installed by the drawing.
  SetRendererColors(0, 0xFFFFFF, 0x0000FF, 0x102030, 0x646464, 0x0000FF, 0x646464, 0x646464);
  const QImage back = Draw(set.get());
  EXPECT_EQ(PixelRgb(back, 0, 0), 0x302010u);
  PaletteParams installed = params_.colormapPalette;
  EXPECT_EQ(RgbOf(PaletteColorF(1, 0, 0, 1.0f)), kTopColor);
  installed.angleStart = 100.0f;
  SetPaletteParams(installed);
  Draw(nullptr);  // without a surface the palette is left alone
  EXPECT_NE(RgbOf(PaletteColorF(1, 0, 0, 1.0f)), kTopColor);
}

TEST_F(SurfaceViewTest, WireAndPlaneAtPitch50OnA100PointExtent) {
  auto set = MakeSurface(100, [](int, int) { return 7.0; });
  set->rangeMin = 0.0;  // the surface stands at the top, above the floor grid
  LookFromAbove();
  SetDrawFrame(false);
  const QImage plane = Draw(set.get(), 50, kDrawPlane);
  const QImage wire = Draw(set.get(), 50, kDrawWire);
  for (const float x : {-0.375f, 0.125f, 0.375f}) {
    for (const float z : {-0.375f, 0.375f}) {
      EXPECT_EQ(At(plane, {x, 0.0f, z}), kTopColor) << x << "," << z;
      EXPECT_EQ(At(wire, {x, 0.0f, z}), kBlack) << x << "," << z;
    }
  }
  // Three lines cross a row and three cross a column.
  auto runs = [&](bool alongRow, float at) {
    const QPoint from = PixelOf(CurrentRendererState(), 377, 205,
                                alongRow ? Vec3f{-0.6f, 0, at} : Vec3f{at, 0, -0.6f});
    const QPoint to = PixelOf(CurrentRendererState(), 377, 205,
                              alongRow ? Vec3f{0.6f, 0, at} : Vec3f{at, 0, 0.6f});
    int count = 0;
    bool inside = false;
    const int steps = alongRow ? to.x() - from.x() : to.y() - from.y();
    for (int k = 0; k <= steps; ++k) {
      const int x = alongRow ? from.x() + k : from.x(), y = alongRow ? from.y() : from.y() + k;
      const bool on = wire.valid(x, y) && PixelRgb(wire, x, y) == kTopColor;
      count += on && !inside;
      inside = on;
    }
    return count;
  };
  EXPECT_EQ(runs(true, 0.125f), 3);
  EXPECT_EQ(runs(false, 0.125f), 3);
}

TEST_F(SurfaceViewTest, CircularRegionShowsWholeCellsAndWallsUnderItsEdge) {
  SetRendererColors(0, 0xFFFFFF, 0x0000FF, 0, 0x646464, 0x0000FF, 0x646464, 0x00FF00);
  auto set = MakeSurface(100, [](int x, int y) {
    return std::hypot(x - 50, y - 50) <= 40 ? 10.0 + 0.1 * x + 5.0 * std::sin(y * 0.1) : kNoData;
  });
  const unsigned side = 0x00FF00;
  const QImage withWalls = Draw(set.get());
  EXPECT_GT(Count(withWalls, side), 2000);
  SetDrawSide(false);
  EXPECT_EQ(Count(Draw(set.get()), side), 0);

  SetDrawSide(true);
  LookFromAbove();
  const QImage above = Draw(set.get());
  const unsigned centre = At(above, {0.025f, 0.0f, 0.025f});  // inside a cell near the centre
  EXPECT_TRUE(centre != kBlack && centre != kGrey && centre != side) << std::hex << centre;
  for (const Vec3f corner : {Vec3f{-0.45f, 0, -0.45f}, Vec3f{0.45f, 0, 0.45f}})
    EXPECT_EQ(At(above, corner), kBlack);
}

TEST_F(SurfaceViewTest, VertexArraysDrawTheSamePictureAsVertexByVertexDrawing) {
  auto set = MakeSurface(100, [](int x, int y) {
    return std::hypot(x - 50, y - 50) <= 43 ? 3.0 * std::sin(x * 0.2) + 0.02 * x * y : kNoData;
  });
  set->values[50][50] = kNoData;  // a hole inside the region
  for (const int pitch : {1, 3, 5, 50}) {
    for (const int type : {kDrawWire, kDrawPlane}) {
      const QImage fast = Draw(set.get(), pitch, type);
      const QImage reference = Draw(set.get(), pitch, type, true);
      EXPECT_TRUE(fast == reference) << "pitch " << pitch << " type " << type;
    }
  }
  SetViewAngles(BarToRadians(420), BarToRadians(1300));
  SetRatioZoom(8.0f, 450.0f);
  EXPECT_TRUE(Draw(set.get(), 2) == Draw(set.get(), 2, kDrawPlane, true));
  // Client-side arrays, as in a context without buffer objects.
  SetBufferObjectsAllowed(false);
  EXPECT_TRUE(Draw(set.get(), 1) == Draw(set.get(), 1, kDrawPlane, true));
}

TEST_F(SurfaceViewTest, ARedrawOfTheSameViewIsTheSamePictureAndAnyChangeDrawsAnew) {
  auto set = MakeSurface(100, [](int x, int y) { return std::sin(x * 0.1) + 0.01 * y; });
  const QImage first = Draw(set.get(), 1);
  const QImage again = Draw(set.get(), 1);
  EXPECT_TRUE(LastFrameReplayed());
  EXPECT_TRUE(again == first);
  EXPECT_TRUE(first == Draw(set.get(), 1, kDrawPlane, true));

  SetRendererColors(params_.minColor, params_.maxColor, params_.d3AxisColor, 0x203040,
                    params_.d3FrameColor, params_.d3LabelColor, params_.d3SubColor,
                    params_.d3SideColor);
  EXPECT_TRUE(Draw(set.get(), 1) == Draw(set.get(), 1, kDrawPlane, true));
  SetLabelSize(7);
  EXPECT_TRUE(Draw(set.get(), 1) == Draw(set.get(), 1, kDrawPlane, true));
  set->normDivisor = 4.0;  // only the labels change
  EXPECT_TRUE(Draw(set.get(), 1) == Draw(set.get(), 1, kDrawPlane, true));
}

TEST_F(SurfaceViewTest, EachContextDrawsFromBuffersOfItsOwn) {
  auto set = MakeSurface(100, [](int x, int y) { return 0.03 * x * y; });
  OffscreenSurfaceRenderer other;
  std::string error;
  ASSERT_TRUE(other.Open(377, 205, error)) << error;
  auto drawIn = [&](OffscreenSurfaceRenderer& r, bool immediate) {
    return r.Render([&](int w, int h) {
      if (immediate)
        DrawSceneImmediate(w, h, set.get(), params_.colormapPalette, 2, kDrawPlane);
      else
        DrawScene(w, h, set.get(), params_.colormapPalette, 2, kDrawPlane);
    });
  };
  EXPECT_TRUE(drawIn(renderer_, false) == drawIn(renderer_, true));
  SetViewAngles(BarToRadians(300), BarToRadians(-400));  // a new view: nothing to replay
  EXPECT_TRUE(drawIn(other, false) == drawIn(other, true));
  SetViewAngles(BarToRadians(450), BarToRadians(200));
  EXPECT_TRUE(drawIn(renderer_, false) == drawIn(renderer_, true));
}

TEST_F(SurfaceViewTest, ChangedDataIsNeverShownStale) {
  auto set = MakeSurface(100, [](int x, int) { return static_cast<double>(x); });
  const QImage before = Draw(set.get());
  set->values[40][60] = 100.0;  // the same slot, changed in place
  const QImage changed = Draw(set.get());
  EXPECT_FALSE(before == changed);
  EXPECT_TRUE(changed == Draw(set.get(), 5, kDrawPlane, true));
  set->rangeMax = 50.0;
  EXPECT_TRUE(Draw(set.get()) == Draw(set.get(), 5, kDrawPlane, true));
  SetRatioZoom(9.0f, 200.0f);
  EXPECT_TRUE(Draw(set.get()) == Draw(set.get(), 5, kDrawPlane, true));
}

TEST_F(SurfaceViewTest, LabelsSeenFromBehindReadLikeLabelsSeenFromTheFront) {
  SetRendererColors(0, 0xFFFFFF, 0x0000FF, 0, 0x646464, 0x00FFFF, 0x646464, 0x646464);
  const unsigned label = 0xFFFF00;
  auto set = MakeSurface(100, [](int, int) { return 0.0; });
  set->rangeMin = 0.0;
  set->rangeMax = 1.0;
  auto labelBox = [&](const QImage& image) {
    QRect box;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x)
        if (PixelRgb(image, x, y) == label) box |= QRect(x, y, 1, 1);
    return image.copy(box);
  };
  SetViewAngles(0.0f, BarToRadians(-900));
  const QImage front = labelBox(Draw(set.get()));
  SetViewAngles(0.0f, BarToRadians(900));
  const QImage behind = labelBox(Draw(set.get()));
  ASSERT_FALSE(front.isNull());
  // Seen from behind, the mirrored glyphs laid out towards -x give the same text shape (up to
  // the rasteriser's rounding).
  EXPECT_NEAR(front.width(), behind.width(), 1);
  EXPECT_NEAR(front.height(), behind.height(), 1);
  EXPECT_NEAR(Count(front, label), Count(behind, label), Count(front, label) / 20);
  // Unmirrored text seen from behind would be reversed.
  EXPECT_FALSE(front == front.mirrored(true, false));
}

TEST_F(SurfaceViewTest, CopyReadsAtMost800By600FromTheLowerLeft) {
  auto set = MakeSurface(100, [](int x, int y) { return x + y; });
  std::string error;
  OffscreenSurfaceRenderer big;
  ASSERT_TRUE(big.Open(900, 700, error)) << error;
  QImage copy;
  SetCopyTarget(&copy);
  const QImage full = big.Render(
      [&](int w, int h) { DrawScene(w, h, set.get(), params_.colormapPalette, 5, kDrawPlane); });
  SetCopyTarget(nullptr);
  ASSERT_EQ(copy.size(), QSize(800, 600));
  EXPECT_TRUE(copy == full.copy(0, 100, 800, 600));

  SetCopyTarget(&copy);
  const QImage panel = Draw(set.get());
  SetCopyTarget(nullptr);
  EXPECT_TRUE(copy == panel);
  QImage untouched(3, 3, QImage::Format_RGB32);
  untouched.fill(Qt::white);
  const QImage keep = untouched;
  Draw(set.get());
  EXPECT_TRUE(untouched == keep);
}

}  // namespace
}  // namespace orvelle::test
