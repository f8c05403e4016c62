// The controls the window is built from, beyond Qt's own: a colour swatch, a numeric label, an
// image box and a radio group. Each carries a Tag (the "Tag" property) so one handler can serve
// a group of like controls; mouse events are forwarded with the button and Shift/Ctrl state.
#pragma once

#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QWidget>

#include "data/ColorTypes.h"

class QRadioButton;

namespace orvelle {

// Converts between the 0x00BBGGRR colour word and Qt's colour (the top byte is ignored).
QColor ToQColor(ColorRef color);
ColorRef ToColorRef(const QColor& color);

// The Tag of any control (0 when none was set) and its setter.
int TagOf(const QObject* control);
void SetTag(QObject* control, int tag);

// Mouse state of one event, in the control's own pixels.
struct MouseEventInfo {
  int x = 0;
  int y = 0;
  Qt::MouseButton button = Qt::NoButton;  // the button that changed (NoButton for a move)
  bool shift = false;
  bool ctrl = false;
};
MouseEventInfo MakeMouseEventInfo(const class QMouseEvent* event);

// A filled rectangle or ellipse with a brush colour and a pen: the colour swatches, cursor lines,
// ROI outlines and tick marks.
class ColorShape : public QWidget {
  Q_OBJECT
 public:
  enum class Form { Rectangle, Ellipse };
  explicit ColorShape(QWidget* parent = nullptr);

  ColorRef BrushColor() const { return brushColor_; }
  void SetBrushColor(ColorRef color);
  ColorRef PenColor() const { return penColor_; }
  void SetPenColor(ColorRef color);
  // A clear brush draws only the outline.
  void SetBrushClear(bool clear);
  bool BrushClear() const { return brushClear_; }
  void SetPenWidth(int width);
  void SetForm(Form form);
  Form ShapeForm() const { return form_; }

 signals:
  void mousePressed(const orvelle::MouseEventInfo& info);
  void mouseReleased(const orvelle::MouseEventInfo& info);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  ColorRef brushColor_ = 0xFFFFFF;
  ColorRef penColor_ = 0x000000;
  bool brushClear_ = false;
  int penWidth_ = 1;
  Form form_ = Form::Rectangle;
};

// A label that reports double clicks and presses: numeric settings open the keypad on a double
// click, the ROI read-outs react to a Ctrl press. The second press of a double click is reported
// as a press too, after doubleClicked().
class TagLabel : public QLabel {
  Q_OBJECT
 public:
  explicit TagLabel(const QString& text = QString(), QWidget* parent = nullptr);
  // Paints the label's background in `color` (the window's button face when not set).
  void SetBackgroundColor(ColorRef color);
  void ClearBackgroundColor();

 signals:
  void doubleClicked();
  void mousePressed(const orvelle::MouseEventInfo& info);

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
};

// Shows a picture of its own size that views draw into, and forwards the mouse. Every press is
// reported, also the second one of a double click (before doubleClicked()).
class ImageBox : public QWidget {
  Q_OBJECT
 public:
  explicit ImageBox(QWidget* parent = nullptr);
  // The picture views draw into; it follows the control's size (RGB32, white when new).
  QImage& Picture();
  const QImage& Picture() const { return picture_; }
  // Replaces the picture and repaints.
  void SetPicture(const QImage& picture);

 signals:
  void mousePressed(const orvelle::MouseEventInfo& info);
  void mouseMoved(const orvelle::MouseEventInfo& info);
  void mouseReleased(const orvelle::MouseEventInfo& info);
  void doubleClicked(const orvelle::MouseEventInfo& info);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  QImage picture_;
};

// A titled box of exclusive choices with an item index (-1: none). Setting another index, by
// the user or the program, emits clicked().
class RadioGroup : public QGroupBox {
  Q_OBJECT
 public:
  RadioGroup(const QString& title, const QStringList& items, QWidget* parent = nullptr);
  int ItemIndex() const;
  void SetItemIndex(int index);
  QRadioButton* Item(int index) const;

 signals:
  void clicked();

 private:
  QList<QRadioButton*> buttons_;
  int index_ = -1;
};

}  // namespace orvelle
