// The panel widget: absolute mouse drags through real mouse events (turn and tilt with the left
// button, zoom and height ratio with the right one, clamped to the bars), the change signals a
// move sends, and the copy of a large panel; and render --view 3d of the command line.
#include <gtest/gtest.h>

#include <QApplication>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <filesystem>

#include "SurfaceFixtures.h"
#include "data/ViewerParams.h"
#include "support/TestSupport.h"
#include "view3d/Surface3DWidget.h"
#include "view3d/SurfaceRenderer.h"
#include "views2d/ColorPalette.h"

namespace orvelle::test {
namespace {

class PanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetRenderer();
    ResetPaletteState();
    InitRenderer(DesignedParams());
    panel_.resize(377, 205);
    panel_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel_));
  }
  void TearDown() override { ResetRenderer(); }

  void Press(Qt::MouseButton button, QPoint at) {
    QTest::mousePress(&panel_, button, Qt::NoModifier, at);
  }
  void Move(QPoint to) {
    QMouseEvent move(QEvent::MouseMove, QPointF(to), panel_.mapToGlobal(QPointF(to)), Qt::NoButton,
                     held_, Qt::NoModifier);
    QApplication::sendEvent(&panel_, &move);
  }
  ViewBars Bars() const { return panel_.Bars(); }

  Surface3DWidget panel_;
  Qt::MouseButtons held_ = Qt::LeftButton;
};

TEST_F(PanelTest, LeftDragTurnsAndTiltsFromThePressPoint) {
  EXPECT_EQ(Bars(), ViewBars{});
  Press(Qt::LeftButton, {100, 100});
  Move({120, 100});
  EXPECT_EQ(Bars().turn, -900);  // 20 pixels: 10 degrees
  EXPECT_EQ(Bars().tilt, 150);
  Move({100, 100});  // back to the press point: the start view again
  EXPECT_EQ(Bars(), ViewBars{});
  Move({100, 40});  // upward past the top
  EXPECT_EQ(Bars().tilt, 0);
  Move({100, 300});  // downward past the bottom
  EXPECT_EQ(Bars().tilt, 900);
  Move({1000, 100});
  EXPECT_EQ(Bars().turn, 1800);
  QTest::mouseRelease(&panel_, Qt::LeftButton, Qt::NoModifier, {1000, 100});
  EXPECT_EQ(panel_.Drag().rotating, 0);
  EXPECT_EQ(panel_.Drag().pressX, 0);
  const ViewBars after = Bars();
  Move({10, 10});  // no drag: nothing changes
  EXPECT_EQ(Bars(), after);
}

TEST_F(PanelTest, RightDragZoomsAndChangesTheRatioOneStepPerThreePixels) {
  held_ = Qt::RightButton;
  Press(Qt::RightButton, {50, 50});
  Move({50, 52});
  EXPECT_EQ(Bars().ratio, 50);
  Move({50, 53});
  EXPECT_EQ(Bars().ratio, 49);
  Move({50, 46});  // 4 pixels up: -4 / 3 truncates to -1
  EXPECT_EQ(Bars().ratio, 51);
  Move({150, 50});
  EXPECT_EQ(Bars().zoom, 400);
  EXPECT_EQ(Bars().ratio, 50);
  Move({-600, -500});
  EXPECT_EQ(Bars().zoom, 0);
  EXPECT_EQ(Bars().ratio, 100);
}

TEST_F(PanelTest, APressOfTheOtherButtonRestartsTheDragAndEachChangedBarSignalsOnce) {
  QSignalSpy turn(panel_.TurnBar(), &QSlider::valueChanged);
  QSignalSpy tilt(panel_.TiltBar(), &QSlider::valueChanged);
  QSignalSpy zoom(panel_.ZoomBar(), &QSlider::valueChanged);
  Press(Qt::LeftButton, {100, 100});
  Move({110, 110});
  EXPECT_EQ(turn.count(), 1);
  EXPECT_EQ(tilt.count(), 1);
  Move({110, 110});  // no change, no signal
  EXPECT_EQ(turn.count() + tilt.count(), 2);

  held_ = Qt::LeftButton | Qt::RightButton;
  Press(Qt::RightButton, {200, 100});
  EXPECT_EQ(panel_.Drag().scaling, 1);
  EXPECT_EQ(panel_.Drag().rotating, 0);
  EXPECT_EQ(panel_.Drag().startA, 200);
  Move({210, 100});
  EXPECT_EQ(Bars().zoom, 220);
  EXPECT_EQ(Bars().turn, -950);  // kept from the left drag
  EXPECT_EQ(zoom.count(), 1);
  EXPECT_EQ(turn.count(), 1);
}

TEST_F(PanelTest, CopyOfALargePanelIs800By600) {
  auto set = MakeSurface(100, [](int x, int y) { return x * y; });
  panel_.resize(900, 700);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel_));
  const ViewerParams params = DesignedParams();
  panel_.SetScene(set.get(), params.colormapPalette, params.d3DrawPitch, params.d3DrawType);
  QImage copy(900, 700, QImage::Format_RGB32);
  SetCopyTarget(&copy);
  panel_.DrawFrame();
  SetCopyTarget(nullptr);
  ASSERT_EQ(copy.size(), QSize(800, 600));
  const QImage shown = panel_.grabFramebuffer().convertToFormat(QImage::Format_RGB32);
  EXPECT_TRUE(copy == shown.copy(0, 100, 800, 600));
}

TEST(Render3dCommand, WritesThePanelPictureAndFailsCleanlyWithoutOpenGL) {
  TempDir dir;
  const std::string file = ExamplePath("volcano_pitch5.thk");
  // Mesa leaks in modules it unloads; under the sanitizers that would fail the command.
  const std::vector<std::string> quiet = {"ASAN_OPTIONS=detect_leaks=0"};
  const CliResult ok =
      RunCliProcess({"render", file, "--view", "3d", "-o", dir.File("a.png")}, "", quiet);
  ASSERT_EQ(ok.status, 0) << ok.err;
  EXPECT_EQ(QImage(QString::fromStdString(dir.File("a.png"))).size(), QSize(377, 205));
  const CliResult sized = RunCliProcess(
      {"render", file, "--view", "3d", "--type", "1", "--size", "640x480", "-o", dir.File("b.png")},
      "", quiet);
  ASSERT_EQ(sized.status, 0) << sized.err;
  EXPECT_EQ(QImage(QString::fromStdString(dir.File("b.png"))).size(), QSize(640, 480));

  // No display, or one that does not answer: drawn without a window system, the same picture.
  for (const char* display : {"DISPLAY=", "DISPLAY=:79"}) {
    const CliResult none = RunCliProcess({"render", file, "--view", "3d", "-o", dir.File("c.png")},
                                         "", {display, "WAYLAND_DISPLAY=", quiet[0]});
    EXPECT_EQ(none.status, 0) << display << none.err;
    EXPECT_EQ(QImage(QString::fromStdString(dir.File("c.png"))),
              QImage(QString::fromStdString(dir.File("a.png"))))
        << display;
  }
  // Without Mesa's EGL either, nothing can draw.
  const CliResult none = RunCliProcess(
      {"render", file, "--view", "3d", "-o", dir.File("d.png")}, "",
      {"DISPLAY=", "WAYLAND_DISPLAY=", "__EGL_VENDOR_LIBRARY_FILENAMES=/nonexistent", quiet[0]});
  EXPECT_EQ(none.status, 1);
  EXPECT_NE(none.err.find("OpenGL is not available"), std::string::npos) << none.err;
  EXPECT_FALSE(std::filesystem::exists(dir.File("d.png")));
}

}  // namespace
}  // namespace orvelle::test
