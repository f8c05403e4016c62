#include "platform/Controls.h"

#include <QMouseEvent>
#include <QPainter>
#include <QRadioButton>

namespace orvelle {

QColor ToQColor(ColorRef color) { return QColor(RedOf(color), GreenOf(color), BlueOf(color)); }

ColorRef ToColorRef(const QColor& color) {
  return MakeColorRef(color.red(), color.green(), color.blue());
}

int TagOf(const QObject* control) { return control ? control->property("Tag").toInt() : 0; }

void SetTag(QObject* control, int tag) { control->setProperty("Tag", tag); }

MouseEventInfo MakeMouseEventInfo(const QMouseEvent* event) {
  MouseEventInfo info;
  const QPoint p = event->position().toPoint();
  info.x = p.x();
  info.y = p.y();
  info.button = event->button();
  info.shift = event->modifiers().testFlag(Qt::ShiftModifier);
  info.ctrl = event->modifiers().testFlag(Qt::ControlModifier);
  return info;
}

ColorShape::ColorShape(QWidget* parent) : QWidget(parent) {}

void ColorShape::SetBrushColor(ColorRef color) {
  brushColor_ = color & 0xFFFFFF;
  update();
}

void ColorShape::SetPenColor(ColorRef color) {
  penColor_ = color & 0xFFFFFF;
  update();
}

void ColorShape::SetBrushClear(bool clear) {
  brushClear_ = clear;
  update();
}

void ColorShape::SetPenWidth(int width) {
  penWidth_ = width;
  update();
}

void ColorShape::SetForm(Form form) {
  form_ = form;
  update();
}

void ColorShape::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  // The pen lies inside the control's rectangle, as a shape control draws it.
  QPen pen(ToQColor(penColor_), penWidth_);
  pen.setJoinStyle(Qt::MiterJoin);
  const qreal inset = penWidth_ / 2.0;
  const QRectF area = QRectF(rect()).adjusted(inset, inset, -inset, -inset);
  painter.setPen(penWidth_ > 0 ? pen : Qt::NoPen);
  painter.setBrush(brushClear_ ? QBrush(Qt::NoBrush) : QBrush(ToQColor(brushColor_)));
  if (width() <= 1 || height() <= 1) {
    painter.fillRect(rect(), ToQColor(penColor_));
  } else if (form_ == Form::Ellipse) {
    painter.setRenderHint(QPainter::Antialiasing);
    painter.drawEllipse(area);
  } else {
    painter.drawRect(area);
  }
}

void ColorShape::mousePressEvent(QMouseEvent* event) {
  emit mousePressed(MakeMouseEventInfo(event));
}

void ColorShape::mouseReleaseEvent(QMouseEvent* event) {
  emit mouseReleased(MakeMouseEventInfo(event));
}

TagLabel::TagLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {}

void TagLabel::SetBackgroundColor(ColorRef color) {
  QPalette pal = palette();
  pal.setColor(QPalette::Window, ToQColor(color));
  setPalette(pal);
  setAutoFillBackground(true);
}

void TagLabel::ClearBackgroundColor() {
  setPalette(QPalette());
  setAutoFillBackground(false);
}

// Qt delivers the second press of a double click as a double-click event only; it is still a
// press of its own.
void TagLabel::mouseDoubleClickEvent(QMouseEvent* event) {
  emit doubleClicked();
  emit mousePressed(MakeMouseEventInfo(event));
}

void TagLabel::mousePressEvent(QMouseEvent* event) { emit mousePressed(MakeMouseEventInfo(event)); }

ImageBox::ImageBox(QWidget* parent) : QWidget(parent) { setMouseTracking(true); }

QImage& ImageBox::Picture() {
  if (picture_.size() != size()) {
    QImage fresh(size(), QImage::Format_RGB32);
    fresh.fill(Qt::white);
    if (!picture_.isNull()) {
      QPainter p(&fresh);
      p.drawImage(0, 0, picture_);
    }
    picture_ = fresh;
  }
  return picture_;
}

void ImageBox::SetPicture(const QImage& picture) {
  picture_ = picture;
  update();
}

void ImageBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, Picture());
}

void ImageBox::resizeEvent(QResizeEvent*) { Picture(); }

void ImageBox::mousePressEvent(QMouseEvent* event) { emit mousePressed(MakeMouseEventInfo(event)); }

void ImageBox::mouseMoveEvent(QMouseEvent* event) { emit mouseMoved(MakeMouseEventInfo(event)); }

void ImageBox::mouseReleaseEvent(QMouseEvent* event) {
  emit mouseReleased(MakeMouseEventInfo(event));
}

void ImageBox::mouseDoubleClickEvent(QMouseEvent* event) {
  const MouseEventInfo info = MakeMouseEventInfo(event);
  emit mousePressed(info);
  emit doubleClicked(info);
}

RadioGroup::RadioGroup(const QString& title, const QStringList& items, QWidget* parent)
    : QGroupBox(title, parent) {
  for (int i = 0; i < items.size(); ++i) {
    auto* button = new QRadioButton(items[i], this);
    buttons_.push_back(button);
    connect(button, &QRadioButton::clicked, this, [this, i] { SetItemIndex(i); });
  }
}

int RadioGroup::ItemIndex() const { return index_; }

void RadioGroup::SetItemIndex(int index) {
  if (index < -1 || index >= buttons_.size()) index = -1;
  if (index >= 0) buttons_[index]->setChecked(true);
  if (index == index_) return;
  index_ = index;
  emit clicked();
}

QRadioButton* RadioGroup::Item(int index) const {
  return index >= 0 && index < buttons_.size() ? buttons_[index] : nullptr;
}

}  // namespace orvelle
