// The 3D view's panel (Pnl_3D): an OpenGL widget that draws the scene it was last given with
// DrawScene, owns the four hidden view bars (tilt, turn, ratio, zoom) and turns mouse drags on
// itself into new bar positions. The window connects to the bars' valueChanged signals.
#pragma once

#include <QOpenGLWidget>

#include "data/ColorTypes.h"
#include "data/GridDataSet.h"
#include "view3d/ViewInteraction.h"

class QSlider;

namespace orvelle {

class Surface3DWidget : public QOpenGLWidget {
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
  // at the panel's size in window pixels whatever the screen's scale). Does nothing while the
  // panel is hidden.
  void DrawFrame();

  const DragState& Drag() const { return drag_; }

 protected:
  void paintGL() override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  const GridDataSet* set_ = nullptr;
  PaletteParams palette_ = kDefaultPalette;
  int pitch_ = 5;
  int drawType_ = 1;
  DragState drag_;
  QSlider* tilt_;
  QSlider* turn_;
  QSlider* ratio_;
  QSlider* zoom_;
};

}  // namespace orvelle
