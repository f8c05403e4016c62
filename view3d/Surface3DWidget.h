// The 3D view's panel (Pnl_3D): draws the scene it was last given with DrawScene into an
// offscreen OpenGL framebuffer of its size and shows the picture like any other image, owns the
// four hidden view bars (tilt, turn, ratio, zoom) and turns mouse drags on itself into new bar
// positions. The window connects to the bars' valueChanged signals.
//
// The picture is read back rather than shown through an OpenGL widget: a window holding an
// OpenGL widget is composed with OpenGL as a whole on every update of any control, which on a
// software renderer costs more than a drag frame may take.
#pragma once

#include <QImage>
#include <QWidget>
#include <memory>

#include "data/ColorTypes.h"
#include "data/GridDataSet.h"
#include "view3d/ViewInteraction.h"

class QSlider;

namespace orvelle {

class OffscreenSurfaceRenderer;

class Surface3DWidget : public QWidget {
  Q_OBJECT

 public:
  explicit Surface3DWidget(QWidget* parent = nullptr);
  ~Surface3DWidget() override;

  // The hidden bars Tkb_3D_X, Tkb_3D_Z, Tkb_3D_Ratio and Tkb_3D_Zoom (children of the panel,
  // never shown), with their ranges and start positions.
  QSlider* TiltBar() const { return tilt_; }
  QSlider* TurnBar() const { return turn_; }
  QSlider* RatioBar() const { return ratio_; }
  QSlider* ZoomBar() const { return zoom_; }
  ViewBars Bars() const;

  // What the next frames show: the data set (null or inactive: no surface; the pointer must
  // stay valid while set), the palette ramp installed for the surface, pitch and draw type.
  void SetScene(const GridDataSet* set, const PaletteParams& palette, int pitch, int drawType);

  // Draws one frame before returning (with a copy target set, the renderer reads it back, drawn
  // at the panel's size in window pixels whatever the screen's scale).
  // Does nothing while the panel is hidden. With `interactive` (a track bar being dragged; a
  // mouse drag on the panel counts by itself), a mesh coarser than the pitch is drawn when the
  // frames measured so far say the exact one would not fit into kInteractiveFrameMs, and
  // coarseFrameDrawn is emitted; any other frame is the exact picture.
  void DrawFrame(bool interactive = false);

  // The pitch a frame drawn during an interaction would use now (the scene's pitch, or coarser).
  int InteractivePitch() const;
  // Whether the panel shows a coarse frame of an interaction (until the next exact frame).
  bool ShowsCoarseFrame() const { return coarse_; }

  const DragState& Drag() const { return drag_; }

  // Draws a frame now and returns it (the panel's picture; null without OpenGL).
  QImage grabFramebuffer();

  // What a frame during an interaction may take, in milliseconds.
  static constexpr double kInteractiveFrameMs = 12.0;

 signals:
  // A coarse frame is showing; the exact picture is due when the interaction pauses or ends.
  void coarseFrameDrawn();
  // A mouse drag that showed coarse frames has ended: the exact picture is due now.
  void interactionEnded();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  // Draws the scene into the offscreen framebuffer (made or resized first) and keeps the picture.
  void Render();

  std::unique_ptr<OffscreenSurfaceRenderer> renderer_;
  bool openFailed_ = false;
  QImage picture_;
  const GridDataSet* set_ = nullptr;
  PaletteParams palette_ = kDefaultPalette;
  int pitch_ = 5;
  int drawType_ = 1;
  int drawPitch_ = 5;  // the pitch paintGL draws: pitch_, or coarser during an interaction
  int dragPitch_ = 0;  // the pitch of the drag in progress, 0 outside one
  bool moving_ = false;
  bool coarse_ = false;
  FrameCosts costs_;  // of the frames drawn (not replayed) so far
  DragState drag_;
  QSlider* tilt_;
  QSlider* turn_;
  QSlider* ratio_;
  QSlider* zoom_;
};

}  // namespace orvelle
