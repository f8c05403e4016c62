// The 3D view in the window: the panel, the four hidden view bars it steers, the option
// controls, the one-shot timer that restores the picture after the window was repainted, and the
// copy of the picture.
#include <QCheckBox>
#include <QFrame>
#include <QGuiApplication>
#include <QOpenGLContext>
#include <QPaintEvent>
#include <QSlider>
#include <QTimer>

#include "app/Main.h"
#include "view3d/OffscreenSurfaceRenderer.h"
#include "view3d/Surface3DWidget.h"
#include "view3d/SurfaceRenderer.h"
#include "view3d/ViewInteraction.h"
#include "views2d/ColorPalette.h"

namespace orvelle {
namespace {

// An OpenGL widget cannot even be shown on a platform without OpenGL (the offscreen one used
// for window tests crashes in it), so the panel is only made when a context can be created.
bool OpenGLUsable() {
  static const bool usable = [] {
    const QString platform = QGuiApplication::platformName();
    if (platform == "offscreen" || platform == "minimal") return false;
    QOpenGLContext probe;
    probe.setFormat(SurfaceViewFormat());
    return probe.create();
  }();
  return usable;
}

QSlider* AddHiddenBar(QWidget* parent, const char* name, const BarRange& range) {
  auto* bar = new QSlider(Qt::Horizontal, parent);
  bar->setObjectName(QString::fromLatin1(name));
  bar->setRange(range.min, range.max);
  bar->setValue(range.start);
  bar->hide();
  return bar;
}

QString Readout(double value) { return QString::fromStdString(FormatReadout(value)); }

}  // namespace

void TForm1::Build3DPanel() {
  constexpr QRect kPanelRect(416, 376, 377, 205);
  if (OpenGLUsable()) {
    surface3D = new Surface3DWidget(this);
    surface3D->setGeometry(kPanelRect);
    Pnl_3D = surface3D;
    Tkb_3D_X = surface3D->TiltBar();
    Tkb_3D_Z = surface3D->TurnBar();
    Tkb_3D_Ratio = surface3D->RatioBar();
    Tkb_3D_Zoom = surface3D->ZoomBar();
    // A coarse drag frame is replaced by the exact picture when the drag pauses (the timer) or
    // ends.
    connect(surface3D, &Surface3DWidget::coarseFrameDrawn, this, [this] { Timer1->start(); });
    connect(surface3D, &Surface3DWidget::interactionEnded, this, [this] { Draw3DView(); });
    return;
  }
  // Without OpenGL the panel stays black and the view values keep their start positions.
  auto* frame = new QFrame(this);
  frame->setObjectName("Pnl_3D");
  frame->setGeometry(kPanelRect);
  frame->setAutoFillBackground(true);
  QPalette black = frame->palette();
  black.setColor(QPalette::Window, Qt::black);
  frame->setPalette(black);
  Pnl_3D = frame;
  Tkb_3D_X = AddHiddenBar(frame, "Tkb_3D_X", kTiltBar);
  Tkb_3D_Z = AddHiddenBar(frame, "Tkb_3D_Z", kTurnBar);
  Tkb_3D_Ratio = AddHiddenBar(frame, "Tkb_3D_Ratio", kRatioBar);
  Tkb_3D_Zoom = AddHiddenBar(frame, "Tkb_3D_Zoom", kZoomBar);
}

void TForm1::Init3DView() {
  GetParam();
  InitRenderer(params);
  Tkb_3D_LabelSize->setEnabled(Chk_3D_DrawLabel->isChecked());
}

void TForm1::Draw3DView(bool interactive) {
  GetParam();
  // The 3D drawing leaves the colour map's palette installed for an active data set (the contour
  // drawing before it installed its own). That must not hang on whether a frame can be drawn at
  // all, or the next colour map would come out in the contour ramp without OpenGL.
  if (ShownDataSet().active) SetPaletteParams(params.colormapPalette);
  if (surface3D == nullptr) return;
  surface3D->SetScene(&ShownDataSet(), params.colormapPalette, params.d3DrawPitch,
                      params.d3DrawType);
  surface3D->DrawFrame(interactive);
}

void TForm1::TrackBarReleased() {
  if (surface3D != nullptr && surface3D->ShowsCoarseFrame()) Draw3DView();
}

void TForm1::Apply3DColors() {
  SetRendererColors(params.minColor, params.maxColor, params.d3AxisColor, params.d3BackColor,
                    params.d3FrameColor, params.d3LabelColor, params.d3SubColor,
                    params.d3SideColor);
}

void TForm1::Apply3DOptions() {
  SetDrawFrame(params.d3DrawFrame != 0);
  SetDrawLabel(params.d3DrawLabel != 0);
  SetDrawSub(params.d3DrawSub != 0);
  SetDrawSide(params.d3DrawSide != 0);
  SetLabelSize(params.d3LabelSize);
}

void TForm1::ReleaseRenderer() {
  // The panel outlives the data sets by a moment while the window is torn down.
  if (surface3D != nullptr) surface3D->SetScene(nullptr, params.colormapPalette, 1, 1);
  orvelle::ReleaseRenderer();
}

QImage TForm1::Copy3DView() {
  QImage image;
  if (surface3D == nullptr || !surface3D->isVisible()) return image;
  SetCopyTarget(&image);
  Draw3DView();
  SetCopyTarget(nullptr);
  return image;
}

void TForm1::Chk_3D_OptionClick() {
  // The size bar follows "Label" also when the settings are loaded, so a stored unchecked box
  // does not leave a live bar for labels that are not drawn.
  Tkb_3D_LabelSize->setEnabled(Chk_3D_DrawLabel->isChecked());
  if (applyingParams) return;
  GetParam();
  Apply3DOptions();
  Draw3DView();
}

void TForm1::Rdo_3D_DrawTypeClick() {
  if (!applyingParams) Draw3DView();
}

void TForm1::Tkb_AngleChange() {
  GetParam();
  Lbl_3D_XAngle->setText(Readout(Tkb_3D_X->value() * 0.1));
  Lbl_3D_ZAngle->setText(Readout(Tkb_3D_Z->value() * 0.1));
  SetViewAngles(params.d3AngleXRad, params.d3AngleZRad);
  Draw3DView();
}

void TForm1::Tkb_RatioZoomChange() {
  GetParam();
  Lbl_3D_Ratio->setText(Readout(Tkb_3D_Ratio->value() * 0.1));
  Lbl_3D_Zoom->setText(Readout(Tkb_3D_Zoom->value()));
  SetRatioZoom(params.d3Ratio, params.d3Zoom);
  Draw3DView();
}

void TForm1::Tkb_3D_DrawPitchChange() {
  if (applyingParams) return;
  GetParam();
  Lbl_3D_DrawPitch->setText(QString::number(Tkb_3D_DrawPitch->value()));
  Draw3DView(Tkb_3D_DrawPitch->isSliderDown());
}

void TForm1::Tkb_3D_LabelSizeChange() {
  if (applyingParams) return;
  GetParam();
  Lbl_3D_LabelSize->setText(QString::number(Tkb_3D_LabelSize->value()));
  SetLabelSize(params.d3LabelSize);
  Draw3DView(Tkb_3D_LabelSize->isSliderDown());
}

void TForm1::paintEvent(QPaintEvent* event) {
  QWidget::paintEvent(event);
  // The panel's own redraws may repaint the window under it; re-arming the timer for those
  // would redraw the panel forever.
  if (Pnl_3D->geometry().contains(event->region().boundingRect())) return;
  Timer1->start();
}

void TForm1::Timer1Timer() {
  GetParam();
  Draw3DView();
  Timer1->stop();
}

}  // namespace orvelle
