// The palette parameters across the start-up steps and full refreshes: whoever installed last
// decides the colour map's colours.
#include <gtest/gtest.h>

#include "Views2dTestSupport.h"
#include "views2d/ColorPalette.h"
#include "views2d/ColorViews.h"
#include "views2d/Contour.h"

namespace orvelle {
namespace {

using test::Blank;
using test::MakeGrid;

TEST(ColorViewsTest, LastInstallerWinsAcrossTheRefreshSequence) {
  ResetPaletteState();
  ResetContourModule();
  ViewerParams params = DesignedParams();
  params.colormapPalette = {0.0f, 120.0f, 1.0f, 0.0f, 1.0f, 0.0f};  // edited in the dialog
  const PaletteParams contourPalette = params.contourPalette;       // the designed ramp

  // Every point at position 0.5 of the range.
  auto data = MakeGrid(
      2, [](int, int) { return 50.0; }, 0.0, 100.0);
  const GridDataSet empty;
  auto middle = [](const QImage& map) { return FromQRgb(map.pixel(1, 1)); };

  QImage bar1(kColorBarWidth, kColorBar1Height, QImage::Format_RGB32);
  QImage bar2(kColorBarWidth, kColorBar2Height, QImage::Format_RGB32);
  StartColorViews(bar1, bar2, params);
  EXPECT_EQ(FromQRgb(bar1.pixel(0, 0)), HsvColor(params.colormapPalette, 1.0f));
  EXPECT_EQ(FromQRgb(bar2.pixel(0, 0)), HsvColor(contourPalette, 1.0f));
  EXPECT_EQ(bar2.size(), QSize(9, 301));
  EXPECT_EQ(ContourLevelCount(), 5);
  EXPECT_EQ(CurrentPaletteParams(), kContourStartPalette);

  ColorViewImages views;
  views.colormap = Blank(3, 3);
  views.contour = Blank(3, 3);
  // A colour map drawn now would use the start palette: full saturation, pure green at 0.5.
  QImage probe = Blank(3, 3);
  RenderValueImage(probe, *data, 1, {}, 0, 0, 0);
  EXPECT_EQ(middle(probe), 0x00FF00u);

  // The first refresh, before any data: the contour drawing installs its palette anyway.
  RefreshColorViews(views, empty, params);
  EXPECT_EQ(CurrentPaletteParams(), contourPalette);

  // Opening a file: the colour map is painted with the contour palette, not its own.
  RefreshColorViews(views, *data, params);
  EXPECT_EQ(middle(views.colormap), HsvColor(contourPalette, 0.5f));
  EXPECT_NE(middle(views.colormap), HsvColor(params.colormapPalette, 0.5f));

  // The 3D surface of active data then installs the colour-map palette, so the next colour map
  // (a refresh, or a redraw of the colour map alone) uses it, until the contour runs again.
  SetPaletteParams(params.colormapPalette);
  RefreshColorViews(views, *data, params);
  EXPECT_EQ(middle(views.colormap), HsvColor(params.colormapPalette, 0.5f));
  EXPECT_EQ(CurrentPaletteParams(), contourPalette);
}

}  // namespace
}  // namespace orvelle
