// The 3D view of a window on a platform without OpenGL: a black frame in the panel's place, view
// bars and option controls that still keep the read-outs and the renderer settings, and a copy
// that reports nothing instead of an unfilled picture.
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QSlider>

#include "WindowFixture.h"
#include "view3d/SurfaceRenderer.h"
#include "view3d/ViewInteraction.h"

namespace orvelle::test {
namespace {

class Window3DFallback : public WindowTest {};

TEST_F(Window3DFallback, ThePanelIsABlackFrameAndTheControlsStillSteerTheSettings) {
  ResetRenderer();
  TForm1& form = MakeWindow();
  EXPECT_EQ(form.SurfacePanel(), nullptr);
  auto* panel = Find<QFrame>("Pnl_3D");
  EXPECT_EQ(panel->geometry(), QRect(416, 376, 377, 205));
  EXPECT_EQ(panel->palette().color(QPalette::Window), QColor(Qt::black));
  EXPECT_TRUE(form.Copy3DView().isNull());
  EXPECT_FALSE(HasCopyTarget());

  Find<QSlider>("Tkb_3D_Z")->setValue(-900);
  EXPECT_EQ(Find<QLabel>("Lbl_3D_ZAngle")->text(), "-90.0");
  EXPECT_FLOAT_EQ(CurrentRendererState().angleZ, BarToRadians(-900));
  Find<QSlider>("Tkb_3D_Ratio")->setValue(49);
  EXPECT_EQ(Find<QLabel>("Lbl_3D_Ratio")->text(), "4.9");
  EXPECT_FLOAT_EQ(CurrentRendererState().ratio, BarToRatio(49));

  Find<QCheckBox>("Chk_3D_DrawLabel")->click();
  EXPECT_EQ(CurrentRendererState().drawLabel, 0);
  EXPECT_FALSE(Find<QSlider>("Tkb_3D_LabelSize")->isEnabled());
  Find<QSlider>("Tkb_3D_LabelSize")->setValue(8);
  EXPECT_EQ(Find<QLabel>("Lbl_3D_LabelSize")->text(), "8");
  EXPECT_EQ(CurrentRendererState().labelSize, 8);

  PickColor("Shp_3D_Axis", 0x00FF00);
  EXPECT_EQ(CurrentRendererState().axisColor, 0x00FF00u);
  EXPECT_TRUE(messages.Messages().empty());
}

}  // namespace
}  // namespace orvelle::test
