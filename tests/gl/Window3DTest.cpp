// The main window with its OpenGL panel: the panel in its place with the hidden view bars, a
// loaded example drawn as a surface, drags on the panel moving the read-outs and the picture,
// the option controls redrawing (and not while settings are applied), the one-shot timer after
// a repaint, colour picks reaching the renderer, the copy's size rule, and coarse frames during
// a drag of the full grid with the exact picture after it; the command's --range surface.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <functional>

#include "app/Main.h"
#include "dialogs/Colorsetting.h"
#include "platform/Controls.h"
#include "platform/Dialogs.h"
#include "support/TestSupport.h"
#include "view3d/Surface3DWidget.h"
#include "view3d/SurfaceRenderer.h"
#include "views2d/ColorPalette.h"

namespace orvelle::test {
namespace {

// Counts the paints the panel receives: each one is a frame drawn by the renderer.
class PaintCounter : public QObject {
 public:
  int count = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++count;
    return false;
  }
};

// Pixels that are neither the black background nor the grey grid nor the red axes and labels:
// the surface's palette colours.
int SurfacePixels(const QImage& image) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const unsigned rgb = image.pixel(x, y) & 0xFFFFFFu;
      if (rgb != 0x000000 && rgb != 0x646464 && rgb != 0xFF0000) ++n;
    }
  }
  return n;
}

class Window3DTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetRenderer();
    ResetPaletteState();
    PlatformHooks() = {};
    PlatformHooks().chooseColor = [this](ColorRef) { return nextColor; };
    window = std::make_unique<TForm1>(QString::fromStdString(dir.Path()) + '/');
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    panel = window->SurfacePanel();
    ASSERT_NE(panel, nullptr);
    panel->installEventFilter(&paints);
    QTest::qWait(100);  // let the start-up timer fire
  }
  void TearDown() override {
    window.reset();
    PlatformHooks() = {};
    ResetRenderer();
  }

  template <class T>
  T* Find(const char* name) const {
    T* control = window->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(control, nullptr) << name;
    return control;
  }
  QString Text(const char* label) const { return Find<QLabel>(label)->text(); }
  QImage Frame() const { return panel->grabFramebuffer().convertToFormat(QImage::Format_RGB32); }
  void OpenVolcano() {
    window->OpenFileAtStart(QString::fromStdString(ExamplePath("volcano_pitch5.thk")));
    ASSERT_TRUE(window->DataSets()[0].active);
  }
  // Paints of the panel caused by `action`. A widget repaint in a window composed with OpenGL
  // may be deferred to the event loop, so pending paints and the window's timer are let finish
  // first, and events are processed for less than the timer's 50 ms afterwards.
  int PaintsDuring(const std::function<void()>& action) {
    QTimer* timer = Find<QTimer>("Timer1");
    for (int i = 0; i < 100 && timer->isActive(); ++i) QTest::qWait(10);
    QTest::qWait(10);
    const int before = paints.count;
    action();
    QTest::qWait(30);
    return paints.count - before;
  }
  void Drag(Qt::MouseButton button, QPoint from, QPoint to) {
    QTest::mousePress(panel, button, Qt::NoModifier, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(to), panel->mapToGlobal(QPointF(to)), Qt::NoButton,
                     button, Qt::NoModifier);
    QApplication::sendEvent(panel, &move);
    QTest::mouseRelease(panel, button, Qt::NoModifier, to);
  }

  TempDir dir;
  MessageRecorder messages;
  std::unique_ptr<TForm1> window;
  Surface3DWidget* panel = nullptr;
  PaintCounter paints;
  std::optional<ColorRef> nextColor;
};

TEST_F(Window3DTest, StartUpShowsTheGridWithoutASurfaceAndHidesTheViewBars) {
  EXPECT_EQ(Find<QWidget>("Pnl_3D"), panel);
  EXPECT_EQ(panel->geometry(), QRect(416, 376, 377, 205));
  for (const char* name : {"Tkb_3D_X", "Tkb_3D_Z", "Tkb_3D_Ratio", "Tkb_3D_Zoom"}) {
    auto* bar = Find<QSlider>(name);
    EXPECT_EQ(bar->parent(), panel) << name;
    EXPECT_TRUE(bar->isHidden()) << name;
  }
  EXPECT_EQ(Text("Lbl_3D_XAngle"), "15.0");
  EXPECT_EQ(Text("Lbl_3D_ZAngle"), "-100.0");
  EXPECT_EQ(Text("Lbl_3D_Ratio"), "5.0");
  EXPECT_EQ(Text("Lbl_3D_Zoom"), "200.0");
  const RendererState& state = CurrentRendererState();
  EXPECT_FLOAT_EQ(state.zoom, 200.0f);
  EXPECT_EQ(state.paletteMode, 1);
  EXPECT_EQ(state.axisColor, 0x0000FFu);

  const QImage frame = Frame();
  ASSERT_EQ(frame.size(), QSize(377, 205));
  int axis = 0;
  int grid = 0;
  for (int y = 0; y < frame.height(); ++y) {
    for (int x = 0; x < frame.width(); ++x) {
      const unsigned rgb = frame.pixel(x, y) & 0xFFFFFFu;
      axis += rgb == 0xFF0000;
      grid += rgb == 0x646464;
    }
  }
  EXPECT_GT(axis, 50);
  EXPECT_GT(grid, 100);
  EXPECT_EQ(SurfacePixels(frame), 0);
  EXPECT_TRUE(messages.Messages().empty());
}

TEST_F(Window3DTest, AnOpenedExampleIsDrawnAndDragsMoveTheReadoutsAndThePicture) {
  OpenVolcano();
  const QImage start = Frame();
  EXPECT_GT(SurfacePixels(start), 2000);

  // Left drag 20 pixels to the right: turn -100.0 -> -90.0, tilt unchanged.
  EXPECT_GE(PaintsDuring([&] { Drag(Qt::LeftButton, {100, 100}, {120, 100}); }), 1);
  EXPECT_EQ(Text("Lbl_3D_ZAngle"), "-90.0");
  EXPECT_EQ(Text("Lbl_3D_XAngle"), "15.0");
  EXPECT_NE(Frame(), start);
  EXPECT_FLOAT_EQ(CurrentRendererState().angleZ, BarToRadians(-900));

  // Left drag far upward: tilt stops at 0.0; both bars change, so two frames.
  Drag(Qt::LeftButton, {100, 100}, {80, -200});
  EXPECT_EQ(Text("Lbl_3D_XAngle"), "0.0");
  EXPECT_EQ(Text("Lbl_3D_ZAngle"), "-100.0");

  // Right drag 100 pixels to the right and 3 down: zoom 400.0, ratio 4.9.
  Drag(Qt::RightButton, {100, 100}, {200, 103});
  EXPECT_EQ(Text("Lbl_3D_Zoom"), "400.0");
  EXPECT_EQ(Text("Lbl_3D_Ratio"), "4.9");
  EXPECT_FLOAT_EQ(CurrentRendererState().zoom, 400.0f);
  EXPECT_FLOAT_EQ(CurrentRendererState().ratio, BarToRatio(49));

  // A release ends the drag: a later move without a press changes nothing.
  EXPECT_EQ(PaintsDuring([&] { QTest::mouseMove(panel, {300, 150}); }), 0);
  EXPECT_EQ(Text("Lbl_3D_Zoom"), "400.0");
}

TEST_F(Window3DTest, AnEditedPaletteStaysOnTheColourMapThroughLaterRefreshes) {
  OpenVolcano();
  // The colour setting dialog, answered from inside its modal loop.
  QTimer poll;
  poll.setInterval(5);
  QObject::connect(&poll, &QTimer::timeout, [this, &poll] {
    auto* dialog = window->findChild<TColorSet*>();
    if (dialog == nullptr || !dialog->isVisible()) return;
    poll.stop();
    dialog->findChild<QSlider*>("Tkb_Angle_Start")->setValue(100);
    dialog->findChild<QPushButton*>("Btn_OK")->click();
  });
  poll.start();
  QTest::mouseDClick(Find<ImageBox>("Img_ColorBar1"), Qt::LeftButton, {}, QPoint(4, 100));
  ASSERT_FALSE(poll.isActive());
  const QImage edited = Find<ImageBox>("Img_ColorMap")->Picture();
  window->RefreshViews();
  window->RefreshViews();
  EXPECT_EQ(Find<ImageBox>("Img_ColorMap")->Picture(), edited);
}

TEST_F(Window3DTest, ADragOfTheFullGridDrawsCoarseFramesAndTheExactPictureWhenItEnds) {
  GridDataSet& d = window->DataSets()[0];
  d.active = 1;
  d.name = "Dense";
  d.size = d.maxX = d.maxY = 500;
  d.pitchX = d.pitchY = 1;
  for (int x = 0; x <= 500; ++x)
    for (int y = 0; y <= 500; ++y) d.values[x][y] = std::sin(x * 0.03) * std::cos(y * 0.02);
  ComputeStatistics(d);
  window->FillTypeList(Find<QComboBox>("Cmb_DataType"), window->DataSets(), 1);
  window->SelectDataType(0);
  Find<QSlider>("Tkb_3D_DrawPitch")->setValue(1);
  QSignalSpy coarse(panel, &Surface3DWidget::coarseFrameDrawn);

  QTest::mousePress(panel, Qt::LeftButton, Qt::NoModifier, {100, 100});
  for (int x = 104; x <= 120; x += 4) {
    QMouseEvent move(QEvent::MouseMove, QPointF(x, 100), panel->mapToGlobal(QPointF(x, 100)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(panel, &move);
  }
  if (!panel->ShowsCoarseFrame()) GTEST_SKIP() << "the exact frames fit the drag budget here";
  EXPECT_GT(panel->InteractivePitch(), 1);
  EXPECT_GE(coarse.count(), 1);
  QTest::mouseRelease(panel, Qt::LeftButton, Qt::NoModifier, {120, 100});
  EXPECT_FALSE(panel->ShowsCoarseFrame());  // the release drew the exact picture at once
}

TEST_F(Window3DTest, OptionControlsRedrawAtOnceExceptWhileSettingsAreApplied) {
  OpenVolcano();
  const QImage withSides = Frame();

  EXPECT_GE(PaintsDuring([&] { Find<QCheckBox>("Chk_3D_DrawSide")->click(); }), 1);
  EXPECT_EQ(CurrentRendererState().drawSide, 0);
  EXPECT_NE(Frame(), withSides);
  EXPECT_GE(PaintsDuring([&] { Find<QCheckBox>("Chk_3D_DrawFrame")->click(); }), 1);
  EXPECT_EQ(CurrentRendererState().drawFrame, 0);
  EXPECT_GE(PaintsDuring([&] { Find<QCheckBox>("Chk_3D_DrawSub")->click(); }), 1);
  EXPECT_EQ(CurrentRendererState().drawSub, 0);

  // Unchecking "Label" disables the size bar and removes the labels.
  EXPECT_GE(PaintsDuring([&] { Find<QCheckBox>("Chk_3D_DrawLabel")->click(); }), 1);
  EXPECT_EQ(CurrentRendererState().drawLabel, 0);
  EXPECT_FALSE(Find<QSlider>("Tkb_3D_LabelSize")->isEnabled());

  const QImage plane = Frame();  // without the frame over it
  auto* radio = Find<RadioGroup>("Rdo_3D_DrawType");
  EXPECT_GE(PaintsDuring([&] { radio->Item(0)->click(); }), 1);
  const QImage wire = Frame();
  EXPECT_NE(wire, plane);
  EXPECT_LT(SurfacePixels(wire), SurfacePixels(plane));

  EXPECT_GE(PaintsDuring([&] { Find<QSlider>("Tkb_3D_DrawPitch")->setValue(20); }), 1);
  EXPECT_EQ(Text("Lbl_3D_DrawPitch"), "20");
  EXPECT_LT(SurfacePixels(Frame()), SurfacePixels(wire));
  EXPECT_GE(PaintsDuring([&] { Find<QSlider>("Tkb_3D_LabelSize")->setValue(7); }), 1);
  EXPECT_EQ(CurrentRendererState().labelSize, 7);

  // Loading the stored settings writes every control back without a single redraw of the panel,
  // and the size bar still follows the stored "Label" box.
  ASSERT_EQ(window->SaveSettings(), 1);
  Find<QSlider>("Tkb_3D_DrawPitch")->setValue(5);
  Find<QCheckBox>("Chk_3D_DrawLabel")->click();
  Find<QCheckBox>("Chk_3D_DrawSide")->click();
  EXPECT_EQ(PaintsDuring([&] { ASSERT_EQ(window->LoadSettings(), 1); }), 0);
  EXPECT_EQ(Find<QSlider>("Tkb_3D_DrawPitch")->value(), 20);
  EXPECT_FALSE(Find<QCheckBox>("Chk_3D_DrawLabel")->isChecked());
  EXPECT_FALSE(Find<QSlider>("Tkb_3D_LabelSize")->isEnabled());
}

TEST_F(Window3DTest, ColourPicksReachTheRenderer) {
  OpenVolcano();
  nextColor = 0x00FF00;  // green background
  QTest::mouseClick(Find<QWidget>("Shp_3D_Back"), Qt::LeftButton);
  EXPECT_EQ(CurrentRendererState().backgroundColor, 0x00FF00u);
  EXPECT_EQ(Frame().pixel(2, 2) & 0xFFFFFFu, 0x00FF00u);

  nextColor = 0x123456;
  QTest::mouseClick(Find<QWidget>("Shp_Color_Min"), Qt::LeftButton);
  EXPECT_EQ(CurrentRendererState().lowColor, 0x123456u);
}

TEST_F(Window3DTest, TheTimerRedrawsOnceAfterAWindowRepaintButNotAfterAPanelRepaint) {
  QTimer* timer = Find<QTimer>("Timer1");
  ASSERT_FALSE(timer->isActive());

  // The panel's own frames never re-arm the timer, or it would draw for ever.
  panel->repaint();
  QApplication::processEvents();
  EXPECT_FALSE(timer->isActive());
  QPaintEvent underThePanel(QRect(420, 380, 300, 150));
  QApplication::sendEvent(window.get(), &underThePanel);
  EXPECT_FALSE(timer->isActive());

  const int before = paints.count;
  // A repaint of part of the window away from the panel.
  window->update(QRect(0, 0, 100, 100));
  QApplication::processEvents();
  EXPECT_TRUE(timer->isActive());
  EXPECT_EQ(paints.count, before);
  QTest::qWait(200);
  EXPECT_EQ(paints.count, before + 1);
  EXPECT_FALSE(timer->isActive());
}

TEST_F(Window3DTest, TheCopyIsThePanelPictureAtMost800By600) {
  OpenVolcano();
  const QImage copy = window->Copy3DView();
  EXPECT_EQ(copy.size(), QSize(377, 205));
  EXPECT_EQ(copy, Frame());
  EXPECT_FALSE(HasCopyTarget());

  panel->setGeometry(0, 0, 900, 700);
  QTest::qWait(50);
  const QImage large = window->Copy3DView();
  ASSERT_EQ(large.size(), QSize(800, 600));
  EXPECT_EQ(large, Frame().copy(0, 100, 800, 600));  // the lower-left part

  panel->hide();
  EXPECT_TRUE(window->Copy3DView().isNull());
}

TEST_F(Window3DTest, OnAScaledScreenTheCopyHasThePanelsSizeInWindowPixels) {
  if (panel->devicePixelRatioF() == 1.0) {
    ASSERT_TRUE(qEnvironmentVariableIsEmpty("QT_SCALE_FACTOR")) << "the scale did not take";
    // The same test again, in a process whose screen is scaled by 2.
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_SCALE_FACTOR", "2");
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(
        QCoreApplication::applicationFilePath(),
        {"--gtest_filter=Window3DTest.OnAScaledScreenTheCopyHasThePanelsSizeInWindowPixels"});
    ASSERT_TRUE(child.waitForFinished(300000));
    const QString output = QString::fromLocal8Bit(child.readAll());
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.toStdString();
    return;
  }
  OpenVolcano();
  const QImage copy = window->Copy3DView();
  EXPECT_EQ(copy.size(), QSize(377, 205));
  EXPECT_GT(SurfacePixels(copy), 2000);
  // The panel shows its frame at the screen's pixels again.
  QTest::qWait(50);
  EXPECT_EQ(Frame().size(), QSize(754, 410));
  EXPECT_GT(SurfacePixels(Frame()), 4 * 2000);
}

TEST_F(Window3DTest, TheCopyButtonPutsThePanelPictureOnTheClipboard) {
  QImage clipboard;
  PlatformHooks().setClipboardImage = [&clipboard](const QImage& image) { clipboard = image; };
  OpenVolcano();
  messages.Clear();
  QTest::mouseClick(Find<QPushButton>("Btn_Copy_3D"), Qt::LeftButton);
  EXPECT_EQ(messages.Only(), "Copy '3D' image to clipboard.");
  ASSERT_EQ(clipboard.size(), QSize(377, 205));
  EXPECT_EQ(clipboard.convertToFormat(QImage::Format_RGB32), Frame());
  EXPECT_FALSE(HasCopyTarget());
}

// orvelle-cli render --view 3d --range draws the surface of a window whose Min and Max were set.
TEST_F(Window3DTest, TheCommandsRangeDrawsTheSurfaceOfTheWindowsMinAndMax) {
  OpenVolcano();
  const QImage fullRange = window->Copy3DView();
  GridDataSet& set = window->DataSets()[0];
  ASSERT_TRUE(window->SetRangeMax(set, 170.5));
  ASSERT_TRUE(window->SetRangeMin(set, 120));
  const QImage ranged = window->Copy3DView();
  EXPECT_NE(ranged, fullRange);
  TempDir out;
  const CliResult r = RunCliProcess({"render", ExamplePath("volcano_pitch5.thk"), "--view", "3d",
                                     "--range", "120,170.5", "-o", out.File("3d.png")},
                                    "", {"ASAN_OPTIONS=detect_leaks=0"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(
      QImage(QString::fromStdString(out.File("3d.png"))).convertToFormat(QImage::Format_RGB32),
      ranged);
}

// Pictures for a reviewer, written only when ORVELLE_SCREENSHOT_DIR names a directory: the
// window with an example loaded and the panel's own frame.
TEST_F(Window3DTest, WritesThePictures) {
  const QString out = qEnvironmentVariable("ORVELLE_SCREENSHOT_DIR");
  if (out.isEmpty()) GTEST_SKIP() << "ORVELLE_SCREENSHOT_DIR is not set";
  QDir().mkpath(out);
  OpenVolcano();
  QTest::qWait(100);
  EXPECT_TRUE(window->grab().save(QDir(out).filePath("window-3d.png")));
  EXPECT_TRUE(Frame().save(QDir(out).filePath("panel-3d.png")));
}

}  // namespace
}  // namespace orvelle::test
