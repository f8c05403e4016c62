#include "views2d/FramedViews.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPen>

#include "views2d/ColorPalette.h"

namespace orvelle {
namespace {

// A sunken edge `depth` pixels deep: the upper and left sides in the shadow colour, the lower
// and right ones lit.
void DrawSunkenPanel(QPainter& p, const QRect& r, const QPalette& palette, int depth) {
  const int x1 = r.left(), y1 = r.top(), x2 = r.right(), y2 = r.bottom();
  for (int i = 0; i < depth; ++i) {
    p.fillRect(QRect(QPoint(x1 + i, y1 + i), QPoint(x2 - i - 1, y1 + i)), palette.dark());
    p.fillRect(QRect(QPoint(x1 + i, y1 + i + 1), QPoint(x1 + i, y2 - i - 1)), palette.dark());
    p.fillRect(QRect(QPoint(x1 + i, y2 - i), QPoint(x2 - i, y2 - i)), palette.light());
    p.fillRect(QRect(QPoint(x2 - i, y1 + i), QPoint(x2 - i, y2 - i - 1)), palette.light());
  }
}

// An etched box one pixel deep: a shadow rectangle with a lit one set off by a pixel.
void DrawSunkenBox(QPainter& p, const QRect& r, const QPalette& palette) {
  const int x1 = r.left(), y1 = r.top(), x2 = r.right(), y2 = r.bottom();
  p.fillRect(QRect(QPoint(x1 + 1, y1 + 1), QPoint(x2, y1 + 1)), palette.light());
  p.fillRect(QRect(QPoint(x1 + 1, y1 + 1), QPoint(x1 + 1, y2)), palette.light());
  p.fillRect(QRect(QPoint(x1, y2), QPoint(x2, y2)), palette.light());
  p.fillRect(QRect(QPoint(x2, y1), QPoint(x2, y2)), palette.light());
  p.fillRect(QRect(QPoint(x1, y1), QPoint(x2 - 1, y1)), palette.dark());
  p.fillRect(QRect(QPoint(x1, y1), QPoint(x1, y2 - 1)), palette.dark());
  p.fillRect(QRect(QPoint(x1, y2 - 1), QPoint(x2 - 1, y2 - 1)), palette.dark());
  p.fillRect(QRect(QPoint(x2 - 1, y1), QPoint(x2 - 1, y2 - 1)), palette.dark());
}

// A caption sized to its text, left-aligned, or a value label right-aligned in its width.
void DrawLabel(QPainter& p, const QPalette& palette, int x, int y, int width, const QString& text,
               Qt::Alignment align) {
  if (text.isEmpty()) return;
  if (width <= 0)
    width = p.fontMetrics().boundingRect(QRect(0, 0, 2000, 2000), align, text).width();
  p.setPen(QPen(palette.brush(QPalette::WindowText), 0));
  p.drawText(QRect(x, y, width, kViewLabelHeight), align | Qt::TextForceLeftToRight, text);
}

void DrawCaption(QPainter& p, const QPalette& palette, int x, int y, const QString& text) {
  DrawLabel(p, palette, x, y, 0, text, Qt::AlignLeft | Qt::AlignVCenter);
}

void DrawValue(QPainter& p, const QPalette& palette, int x, int y, const QString& text) {
  DrawLabel(p, palette, x, y, kViewLabelWidth, text, Qt::AlignRight | Qt::AlignVCenter);
}

// A filled rectangle whose one-pixel outline lies inside it, as a shape control draws it.
void DrawTick(QPainter& p, const TickShape& tick) {
  const QColor color = QColor::fromRgb(ToQRgb(tick.color));
  const QRect r(tick.left, tick.top, tick.width, tick.height);
  if (tick.width <= 1 || tick.height <= 1) {
    p.fillRect(r, color);
    return;
  }
  QPen pen(color, 1);
  pen.setJoinStyle(Qt::MiterJoin);
  p.setPen(pen);
  p.setBrush(color);
  p.drawRect(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5));
  p.setBrush(Qt::NoBrush);
}

QImage StartPicture(const QRect& area, const QFont& font, const QPalette& palette,
                    QPainter& painter) {
  QImage image(area.size(), QImage::Format_RGB32);
  image.fill(palette.window().color());
  painter.begin(&image);
  painter.setFont(font);
  painter.translate(-area.topLeft());
  return image;
}

}  // namespace

QFont WindowFont(QFont base) {
  base.setFamilies({"Arial", "Liberation Sans", "Helvetica"});
  base.setPixelSize(12);
  return base;
}

QImage FramedColormap(const QImage& map, const QImage& colorBar, const ColormapResult& result,
                      const QFont& font, const QPalette& palette) {
  QPainter p;
  QImage image = StartPicture(kFramedColormapArea, font, palette, p);
  DrawSunkenPanel(p, kColormapPanel, palette, 2);
  p.drawImage(kColormapPanel.topLeft() + QPoint(2, 2), map);
  DrawSunkenBox(p, kColorBar1Bevel, palette);
  p.drawImage(kColorBar1Bevel.topLeft() + QPoint(2, 2), colorBar);
  DrawCaption(p, palette, 336, 8, "Max:");
  DrawValue(p, palette, 336, 22, result.maxText);
  DrawCaption(p, palette, 336, 114, "Middle:");
  DrawValue(p, palette, 336, 128, result.midText);
  DrawCaption(p, palette, 336, 220, "Min:");
  DrawValue(p, palette, 336, 234, result.minText);
  DrawCaption(p, palette, 320, 256, "Mean:");
  DrawValue(p, palette, 336, 270, result.meanText);
  DrawCaption(p, palette, 320, 286, "Data Count:");
  DrawValue(p, palette, 336, 300, result.countText);
  if (result.ticks.placed) {
    for (const auto& row : result.ticks.shapes) {
      for (const TickShape& tick : row) {
        if (tick.visible) DrawTick(p, tick);
      }
    }
  }
  p.end();
  return image;
}

QImage FramedContour(const QImage& contour, const QImage& colorBar,
                     const std::array<QString, 5>& labels, const QFont& font,
                     const QPalette& palette) {
  QPainter p;
  QImage image = StartPicture(kFramedContourArea, font, palette, p);
  DrawSunkenBox(p, kContourBevel, palette);
  p.drawImage(kContourBevel.topLeft() + QPoint(2, 2), contour);
  DrawSunkenBox(p, kColorBar2Bevel, palette);
  p.drawImage(kColorBar2Bevel.topLeft() + QPoint(2, 2), colorBar);
  for (int i = 0; i < 5; ++i) DrawValue(p, palette, 742, 295 - 71 * i, labels[i]);
  p.end();
  return image;
}

}  // namespace orvelle
