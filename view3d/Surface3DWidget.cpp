#include "view3d/Surface3DWidget.h"

#include <GL/gl.h>

#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPainter>
#include <QSlider>
#include <algorithm>
#include <string>

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
    : QWidget(parent),
      tilt_(MakeBar(this, "Tkb_3D_X", kTiltBar)),
      turn_(MakeBar(this, "Tkb_3D_Z", kTurnBar)),
      ratio_(MakeBar(this, "Tkb_3D_Ratio", kRatioBar)),
      zoom_(MakeBar(this, "Tkb_3D_Zoom", kZoomBar)) {
  setObjectName("Pnl_3D");
  setAttribute(Qt::WA_OpaquePaintEvent);
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
  drawPitch_ = pitch;
  coarse_ = false;
}

int Surface3DWidget::InteractivePitch() const {
  // Pitches above the bar's range are drawn as asked.
  if (set_ == nullptr || !set_->active || pitch_ > kDrawPitchBar.max) return pitch_;
  return InteractivePitchFor(costs_, DrawnExtent(*set_), pitch_, kInteractiveFrameMs);
}

void Surface3DWidget::DrawFrame(bool interactive) {
  if (!isVisible()) return;
  // A copy is always the exact picture.
  const bool coarseAllowed = (interactive || moving_) && !HasCopyTarget();
  if (!coarseAllowed) {
    dragPitch_ = 0;
  } else if (const double last = costs_.ms[std::clamp(dragPitch_, 1, kDrawPitchBar.max)];
             dragPitch_ < pitch_ || last > kInteractiveFrameMs || last < kInteractiveFrameMs / 4) {
    // A drag keeps its pitch while its frames fit without much to spare, so it does not
    // flicker between two meshes.
    dragPitch_ = InteractivePitch();
  }
  drawPitch_ = coarseAllowed ? dragPitch_ : pitch_;
  coarse_ = DrawnPitch(drawPitch_) != DrawnPitch(pitch_);
  // Drawn and shown at once, so a drag shows every step (and a copy reads this very frame).
  Render();
  if (HasCopyTarget() && devicePixelRatioF() != 1.0) {
    // The copy was drawn at window pixels; the panel needs its own frame back.
    picture_ = QImage();
    update();
  } else {
    repaint();
  }
  if (coarse_) emit coarseFrameDrawn();
}

QImage Surface3DWidget::grabFramebuffer() {
  Render();
  update();
  return picture_;
}

void Surface3DWidget::Render() {
  // A copy has the panel's size in window pixels, as the copies of the 2D views do, whatever the
  // screen's scale; the panel itself is drawn at the screen's pixels.
  const qreal dpr = HasCopyTarget() ? 1.0 : devicePixelRatioF();
  const int w = static_cast<int>(width() * dpr), h = static_cast<int>(height() * dpr);
  if (w <= 0 || h <= 0 || openFailed_) return;
  if (!renderer_ || renderer_->Width() != w || renderer_->Height() != h) {
    renderer_ = std::make_unique<OffscreenSurfaceRenderer>();
    std::string error;
    if (!renderer_->Open(w, h, error)) {
      renderer_.reset();
      openFailed_ = true;  // the panel stays black
      return;
    }
  }
  double ms = 0.0;
  QImage image = renderer_->Render([&](int fw, int fh) {
    QElapsedTimer clock;
    clock.start();
    DrawScene(fw, fh, set_, palette_, drawPitch_, drawType_);
    // The frame's cost includes the rasterisation, which a software renderer does only now.
    glFinish();
    ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
  });
  // A replayed picture costs nothing like drawing the mesh, so it teaches nothing.
  if (set_ != nullptr && set_->active && !LastFrameReplayed() && drawPitch_ >= 1 &&
      drawPitch_ <= kDrawPitchBar.max)
    RecordFrameCost(costs_, DrawnExtent(*set_), drawPitch_, ms);
  image.setDevicePixelRatio(dpr);
  picture_ = std::move(image);
}

void Surface3DWidget::paintEvent(QPaintEvent*) {
  // A first paint, or one after a resize, draws the scene; others show the last picture.
  if (picture_.isNull()) Render();
  QPainter painter(this);
  if (picture_.isNull())
    painter.fillRect(rect(), Qt::black);
  else
    painter.drawImage(0, 0, picture_);
}

void Surface3DWidget::resizeEvent(QResizeEvent* event) {
  picture_ = QImage();
  QWidget::resizeEvent(event);
}

void Surface3DWidget::mousePressEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  DragPress(drag_, ToDragButton(event->button()), p.x(), p.y(), Bars());
}

void Surface3DWidget::mouseMoveEvent(QMouseEvent* event) {
  if (!drag_.rotating && !drag_.scaling) return;
  const QPoint p = event->position().toPoint();
  const ViewBars bars = DragMove(drag_, p.x(), p.y(), Bars());
  // Each bar that changes runs its handler at once, turn before tilt and zoom before ratio; the
  // frames they draw belong to the drag.
  moving_ = true;
  if (drag_.rotating) {
    turn_->setValue(bars.turn);
    tilt_->setValue(bars.tilt);
  } else {
    zoom_->setValue(bars.zoom);
    ratio_->setValue(bars.ratio);
  }
  moving_ = false;
}

void Surface3DWidget::mouseReleaseEvent(QMouseEvent*) {
  DragRelease(drag_);
  if (coarse_) emit interactionEnded();
}

}  // namespace orvelle
