// The pointer on the colour map: pixel to grid mapping, read-outs over both images, the cross
// lines and the line graph's current point, Ctrl + clicks placing ROIs and the menu.
#include <gtest/gtest.h>

#include <QImage>
#include <memory>

#include "views2d/LineGraph.h"
#include "views2d/PointerInteraction.h"

namespace orvelle {
namespace {

constexpr int kSide = 301;

MouseInput Mouse(int x, int y, MouseButton button, bool shift = false, bool ctrl = false) {
  return MouseInput{x, y, button, shift, ctrl};
}

class PointerTest : public testing::Test {
 protected:
  void SetUp() override {
    ResetLineGraph();
    sets_ = MakeDataSets();
    GridDataSet& s = sets_[0];
    s.active = 1;
    s.size = 300;
    for (int x = 0; x <= 300; ++x) {
      for (int y = 0; y <= 300; ++y) s.values[x][y] = x + y / 1000.0;
    }
    s.values[7][9] = kNoData;
    image_ = QImage(kLineGraphWidth, kLineGraphHeight, QImage::Format_RGB32);
    SetUpLineGraph(&image_, params_);
    PrepareLineGraph(params_, s);
  }
  GridDataSet& Set() { return sets_[0]; }
  ColorMapPointerResult Press(const MouseInput& in) {
    return ColorMapMouseDown(params_, Set(), kSide, kSide, in);
  }
  ColorMapPointerResult Move(int x, int y) {
    return ColorMapMouseMove(params_, Set(), kSide, kSide, kSide, kSide,
                             Mouse(x, y, MouseButton::None));
  }

  std::unique_ptr<GridDataSet[]> sets_;
  QImage image_;
  ViewerParams params_;
};

TEST_F(PointerTest, PixelsMapToGridPointsWithinTheSize) {
  auto gx = [&](int px) { return static_cast<int>(PixelToGrid(kSide, kSide, Set(), px, 0).x); };
  EXPECT_EQ(gx(0), 0);
  EXPECT_EQ(gx(150), 150);
  EXPECT_EQ(gx(300), 300);
  EXPECT_EQ(gx(450), 300);  // dragged beyond the right edge
  EXPECT_EQ(gx(-20), 0);
  Set().size = 100;
  EXPECT_EQ(gx(2), 0);
  EXPECT_EQ(gx(3), 1);  // 3 * 101 / 301 = 1.007
  EXPECT_EQ(static_cast<int>(PixelToGrid(kSide, 150, Set(), 0, 149).y), 100);
}

TEST_F(PointerTest, ReadoutsShowTheGridPointAndItsRawValue) {
  Set().normDivisor = 4.0;  // the read-out is not divided
  auto r = Move(200, 10);
  ASSERT_TRUE(r.showReadout);
  EXPECT_EQ(r.readout.x, "200");
  EXPECT_EQ(r.readout.y, "10");
  EXPECT_EQ(r.readout.value, "200.010");
  EXPECT_FALSE(r.linesMoved);
  r = Move(7, 9);
  EXPECT_EQ(r.readout.x, "7");
  EXPECT_EQ(r.readout.value, "----.---");
  r = Move(999, -5);  // limited to the image
  EXPECT_EQ(r.readout.x, "300");
  EXPECT_EQ(r.readout.y, "0");
  // Over the contour image the sender's own size counts.
  r = ColorMapMouseMove(params_, Set(), 151, 151, kSide, kSide, Mouse(75, 75, MouseButton::None));
  EXPECT_EQ(r.readout.x, "149");  // 75 * 301 / 151
  // No active data: nothing changes.
  Set().active = 0;
  EXPECT_FALSE(Move(10, 10).handled);
  EXPECT_FALSE(Press(Mouse(10, 10, MouseButton::Left)).handled);
  EXPECT_EQ(params_.crossDragging, 0);
}

TEST_F(PointerTest, LeftDragMovesTheCrossLinesAndTheProfiles) {
  auto r = Press(Mouse(40, 60, MouseButton::Left));
  EXPECT_EQ(params_.crossDragging, 1);
  ASSERT_TRUE(r.linesMoved);
  EXPECT_EQ(r.lines.verticalLeft, 42);
  EXPECT_EQ(r.lines.horizontalTop, 62);
  EXPECT_TRUE(r.lineGraphChanged);
  EXPECT_EQ(LineGraph().columnX, 40);
  EXPECT_EQ(LineGraph().rowY, 60);
  EXPECT_EQ(LineGraph().series[0].columnName, "X=40");
  EXPECT_EQ(LineGraph().series[0].rowName, "Y=60");

  r = Move(500, 120);  // the drag follows, limited to the image
  EXPECT_TRUE(r.linesMoved);
  EXPECT_EQ(r.lines.verticalLeft, 2 + 301);
  EXPECT_EQ(LineGraph().columnX, 300);
  EXPECT_TRUE(r.lineGraphChanged);

  ColorMapMouseUp(params_);
  EXPECT_FALSE(Move(10, 10).linesMoved);
  EXPECT_EQ(LineGraph().columnX, 300);

  // Shift + press starts the drag without moving the point; the first move moves it.
  r = Press(Mouse(10, 10, MouseButton::Left, true));
  EXPECT_FALSE(r.linesMoved);
  EXPECT_EQ(LineGraph().columnX, 300);
  EXPECT_TRUE(Move(20, 30).linesMoved);
  EXPECT_EQ(LineGraph().columnX, 20);
  ColorMapMouseUp(params_);
}

TEST_F(PointerTest, CtrlClicksPlaceRoisAndTheRightButtonOpensTheMenu) {
  auto r = Press(Mouse(30, 40, MouseButton::Left, false, true));
  EXPECT_EQ(r.roiPlaced, 0);
  EXPECT_FALSE(r.linesMoved);
  EXPECT_EQ(params_.crossDragging, 0);
  EXPECT_EQ(params_.roiShown[0], 1);
  EXPECT_EQ(params_.roiCentreX[0], 30);
  EXPECT_EQ(params_.roiCentreY[0], 40);
  r = Press(Mouse(50, 60, MouseButton::Right, false, true));
  EXPECT_EQ(r.roiPlaced, 1);
  EXPECT_FALSE(r.openMenu);
  EXPECT_EQ(params_.roiCentreX[1], 50);
  r = Press(Mouse(70, 80, MouseButton::Middle, false, true));
  EXPECT_EQ(r.roiPlaced, -1);
  EXPECT_EQ(params_.roiCentreX[1], 50);

  r = Press(Mouse(70, 80, MouseButton::Right));
  EXPECT_TRUE(r.openMenu);
  EXPECT_TRUE(r.menuItemsEnabled);
  EXPECT_EQ(params_.crossDragging, 0);

  // Ctrl + press on an outline or label hides its ROI and keeps the centre.
  EXPECT_FALSE(RoiWidgetMouseDown(params_, 1, Mouse(0, 0, MouseButton::Left)));
  EXPECT_EQ(params_.roiShown[1], 1);
  EXPECT_TRUE(RoiWidgetMouseDown(params_, 1, Mouse(0, 0, MouseButton::Left, false, true)));
  EXPECT_EQ(params_.roiShown[1], 0);
  EXPECT_EQ(params_.roiCentreX[1], 50);
}

}  // namespace
}  // namespace orvelle
