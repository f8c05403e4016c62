#include "view3d/Surface3DWidget.h"

#include <QMouseEvent>
#include <QSlider>

#include "view3d/OffscreenSurfaceRenderer.h"
#include "view3d/SurfaceRenderer.h"

namespace orvelle {
namespace {

QSlider* MakeBar(QWidget* parent, const char* name, const BarRange& range) {
  auto* bar = new QSlider(Qt::Horizontal, parent);
  bar->setObjectName(name);
  bar->setRange(range.min, range.max);
  bar->setValue(range.start);
  bar->hide();
  return bar;
}

DragButton ToDragButton(Qt::MouseButton button) {
  if (button == Qt::LeftButton) return DragButton::kLeft;
  if (button == Qt::RightButton) return DragButton::kRight;
  return DragButton::kOther;
}

}  // namespace

Surface3DWidget::Surface3DWidget(QWidget* parent)
    : QOpenGLWidget(parent),
      tilt_(MakeBar(this, "Tkb_3D_X", kTiltBar)),
      turn_(MakeBar(this, "Tkb_3D_Z", kTurnBar)),
      ratio_(MakeBar(this, "Tkb_3D_Ratio", kRatioBar)),
      zoom_(MakeBar(this, "Tkb_3D_Zoom", kZoomBar)) {
  setObjectName("Pnl_3D");
  setFormat(SurfaceViewFormat());
  // The right button steers the zoom; no context menu may take it.
  setContextMenuPolicy(Qt::PreventContextMenu);
}

Surface3DWidget::~Surface3DWidget() = default;

ViewBars Surface3DWidget::Bars() const {
  return {tilt_->value(), turn_->value(), ratio_->value(), zoom_->value()};
}

void Surface3DWidget::SetScene(const GridDataSet* set, const PaletteParams& palette, int pitch,
                               int drawType) {
  set_ = set;
  palette_ = palette;
  pitch_ = pitch;
  drawType_ = drawType;
}

void Surface3DWidget::DrawFrame() {
  if (!isVisible()) return;
  // A copy needs the frame now, drawn into the widget's framebuffer; a plain redraw is painted
  // at once as well, so a drag shows every step.
  if (HasCopyTarget()) {
    grabFramebuffer();
    // The copy was drawn at window pixels; on a scaled screen the panel needs its own frame back.
    if (devicePixelRatioF() != 1.0) update();
  } else {
    repaint();
  }
}

void Surface3DWidget::paintGL() {
  // A copy has the panel's size in window pixels, as the copies of the 2D views do, whatever the
  // screen's scale; the panel itself is drawn at the screen's pixels.
  const qreal ratio = HasCopyTarget() ? 1.0 : devicePixelRatioF();
  DrawScene(static_cast<int>(width() * ratio), static_cast<int>(height() * ratio), set_, palette_,
            pitch_, drawType_);
}

void Surface3DWidget::mousePressEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  DragPress(drag_, ToDragButton(event->button()), p.x(), p.y(), Bars());
}

void Surface3DWidget::mouseMoveEvent(QMouseEvent* event) {
  if (!drag_.rotating && !drag_.scaling) return;
  const QPoint p = event->position().toPoint();
  const ViewBars bars = DragMove(drag_, p.x(), p.y(), Bars());
  // Each bar that changes runs its handler at once, turn before tilt and zoom before ratio.
  if (drag_.rotating) {
    turn_->setValue(bars.turn);
    tilt_->setValue(bars.tilt);
  } else {
    zoom_->setValue(bars.zoom);
    ratio_->setValue(bars.ratio);
  }
}

void Surface3DWidget::mouseReleaseEvent(QMouseEvent*) { DragRelease(drag_); }

}  // namespace orvelle
