#include "views2d/LineGraph.h"

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QLine>
#include <QPainter>
#include <QPalette>
#include <QPen>
#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "data/Message.h"
#include "views2d/FixedText.h"

namespace orvelle {
namespace {

constexpr int kLeftMargin = 65;
constexpr int kBottomMargin = 20;
constexpr int kCell = 10;
constexpr int kLabelStep = 50;
constexpr float kMaxXStart = 10000.0f;
constexpr int kLastIndex = kGridDim - 1;
// Behind the legend when no desktop palette is known (no application object).
constexpr ColorRef kFallbackFace = 0xF0F0F0;
constexpr ColorRef kZoomPen = 0x202020;
constexpr ColorRef kZoomBrush = 0x404040;
// Far outside any image, still safe to convert to int and to add to.
constexpr double kPixelLimit = 1.0e6;

struct ZoomDrag {
  bool active = false;
  int startIndex = 0;
  float startValue = 0.0f;
  QPoint anchor;
  QPoint last;
  bool rectShown = false;  // the inverted rectangle anchor..last is on the image
};

LineGraphState g;
ZoomDrag drag;

QRgb ToRgb(ColorRef c) { return qRgb(RedOf(c), GreenOf(c), BlueOf(c)); }
QColor ToColor(ColorRef c) { return QColor(RedOf(c), GreenOf(c), BlueOf(c)); }

int ImageWidth() { return g.image != nullptr ? g.image->width() : kLineGraphWidth; }
int ImageHeight() { return g.image != nullptr ? g.image->height() : kLineGraphHeight; }

// Truncation toward zero of a coordinate that may be huge, infinite or not a number.
int ToPixel(double v) {
  if (std::isnan(v)) return 0;
  return static_cast<int>(std::clamp(v, -kPixelLimit, kPixelLimit));
}

QFont LabelFont() {
  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(11);
  font.setStyleStrategy(QFont::NoAntialias);
  return font;
}

QFont LegendFont() {
  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(13);
  font.setStyleStrategy(QFont::NoAntialias);
  return font;
}

// Text with its cell's top-left corner at (x, y) on an opaque background.
void DrawTextAt(QPainter& painter, int x, int y, const std::string& text, ColorRef colour,
                ColorRef background) {
  painter.setPen(ToColor(colour));
  painter.setBackgroundMode(Qt::OpaqueMode);
  painter.setBackground(ToColor(background));
  painter.drawText(QPoint(x, y + painter.fontMetrics().ascent()), QString::fromStdString(text));
}

void SetPixel(QImage& image, int x, int y, QRgb rgb) {
  if (x < 0 || y < 0 || x >= image.width() || y >= image.height()) return;
  reinterpret_cast<QRgb*>(image.scanLine(y))[x] = rgb;
}

// Grid lines are one pixel wide; a dotted one sets every other pixel from its start.
void GridLine(QImage& image, int x0, int y0, int x1, int y1, QRgb rgb, bool dotted) {
  const int dx = x1 > x0 ? 1 : x1 < x0 ? -1 : 0;
  const int dy = y1 > y0 ? 1 : y1 < y0 ? -1 : 0;
  const int n = std::max(std::abs(x1 - x0), std::abs(y1 - y0));
  for (int i = 0; i <= n; ++i) {
    if (!dotted || i % 2 == 0) SetPixel(image, x0 + i * dx, y0 + i * dy, rgb);
  }
}

// A rectangle covering [x1, x2) x [y1, y2): one-pixel outline, filled inside.
void FrameRect(QPainter& painter, int x1, int y1, int x2, int y2, ColorRef pen, ColorRef brush) {
  painter.fillRect(QRect(x1, y1, x2 - x1, y2 - y1), ToColor(pen));
  painter.fillRect(QRect(x1 + 1, y1 + 1, x2 - x1 - 2, y2 - y1 - 2), ToColor(brush));
}

// The zoom rectangle, inverted against the picture (not-xor): drawing it twice restores every
// pixel. Dotted outline, filled inside; nothing for an empty rectangle.
void InvertZoomRect(QImage& image, QPoint a, QPoint b) {
  const int l = std::min(a.x(), b.x()), r = std::max(a.x(), b.x());
  const int t = std::min(a.y(), b.y()), btm = std::max(a.y(), b.y());
  if (r <= l || btm <= t) return;
  const QRgb pen = ToRgb(kZoomPen), brush = ToRgb(kZoomBrush);
  for (int y = std::max(t, 0); y < std::min(btm, image.height()); ++y) {
    QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = std::max(l, 0); x < std::min(r, image.width()); ++x) {
      const bool edge = x == l || x == r - 1 || y == t || y == btm - 1;
      if (edge && (x + y) % 2 != 0) continue;
      line[x] = 0xFF000000u | (~((edge ? pen : brush) ^ line[x]) & 0x00FFFFFFu);
    }
  }
}

bool ValidSeries(int series) { return series >= 0 && series < kLineSeriesCount; }

double DivisorOf(const GridDataSet& set) { return set.normDivisor == 0.0 ? 1.0 : set.normDivisor; }

// Running minimum and maximum of the valid values divided by d. Division by a finite non-zero
// divisor keeps (d > 0) or reverses (d < 0) the order, so only the two extremes need dividing,
// and the scan over the grid stays branch-free.
void ValidExtremes(const GridDataSet& set, double& lo, double& hi) {
  const double d = DivisorOf(set);
  if (!std::isfinite(d)) {
    for (int x = 0; x < kGridDim; ++x) {
      for (int y = 0; y < kGridDim; ++y) {
        if (!IsValid(set.values[x][y])) continue;
        const double v = set.values[x][y] / d;
        lo = std::min(lo, v);
        hi = std::max(hi, v);
      }
    }
    return;
  }
  constexpr double kInf = std::numeric_limits<double>::infinity();
  double rawLo = kInf, rawHi = -kInf;
  for (int x = 0; x < kGridDim; ++x) {
    const double* column = set.values[x];
    for (int y = 0; y < kGridDim; ++y) {
      const double v = column[y];
      const bool valid = v > kNoData;
      rawLo = std::min(rawLo, valid ? v : kInf);
      rawHi = std::max(rawHi, valid ? v : -kInf);
    }
  }
  if (rawLo == kInf) return;
  const double a = rawLo / d, b = rawHi / d;
  lo = std::min(lo, std::min(a, b));
  hi = std::max(hi, std::max(a, b));
}

void AutoRange(const GridDataSet& set) {
  double lo = kRunningMinStart, hi = kRunningMaxStart;
  if (set.active) ValidExtremes(set, lo, hi);
  g.dataMin = lo == kRunningMinStart ? 0.0f : static_cast<float>(lo);
  if (g.autoScale) {
    // The shift is measured from the data's minimum, so the automatic range always shows all the
    // data, minimum to maximum, whatever their sign: a y zoom lasts its one redraw only.
    g.yRange = static_cast<float>(hi - lo);
    g.yShift = 0.0f;
  }
}

void DrawFrameImpl() {
  QImage& image = *g.image;
  const PlotGeometry pg = PlotGeometryFor(image.width(), image.height());
  image.fill(ToRgb(g.backColour));
  drag.rectShown = false;

  const QRgb grid = ToRgb(g.gridColour);
  for (int i = 0; i < pg.cellsX; ++i) {
    const int x = kLeftMargin + kCell * i;
    GridLine(image, x, pg.axisY, x, pg.top, grid, i % 5 != 0);
  }
  for (int i = 0; i < pg.cellsY; ++i) {
    const int y = pg.axisY - kCell * i;
    GridLine(image, kLeftMargin, y, pg.right, y, grid, i % 5 != 0);
  }

  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing, false);
  QPen axis(ToColor(g.axisColour), 2);
  axis.setCapStyle(Qt::FlatCap);
  painter.setPen(axis);
  painter.drawLine(kLeftMargin, pg.axisY, pg.right, pg.axisY);
  painter.drawLine(kLeftMargin, pg.axisY, kLeftMargin, pg.top);

  painter.setFont(LabelFont());
  for (int i = 0; i <= pg.labelsX; ++i) {
    const double v = g.xStart + static_cast<double>(i) * g.xRange / pg.labelsX;
    DrawTextAt(painter, 45 + kLabelStep * i, pg.height - 14, FormatFixed(v, 1, 7), g.labelColour,
               g.backColour);
  }
  for (int i = 0; i <= pg.labelsY; ++i) {
    const double v =
        static_cast<double>(g.yShift) + g.dataMin + static_cast<double>(i) * g.yRange / pg.labelsY;
    DrawTextAt(painter, 12, pg.height - 26 - kLabelStep * i, FormatFixed(v, 1, 7), g.labelColour,
               g.backColour);
  }
}

// One profile of series 0: values along k of either the column at columnX or the row at rowY.
void DrawProfile(QPainter& painter, const GridDataSet& set, bool column, ColorRef colour,
                 int width) {
  const PlotGeometry pg = PlotGeometryFor(g.image->width(), g.image->height());
  if (pg.dataWidth <= 0 || pg.dataHeight <= 0) return;
  const int fixed = column ? g.columnX : g.rowY;
  if (fixed < 0 || fixed > kLastIndex) return;
  const double xRange = g.xRange;
  const int step = pg.dataWidth > xRange ? 1 : ToPixel(xRange / pg.dataWidth);
  const int first = ToPixel(g.xStart);
  const int end = ToPixel(static_cast<double>(g.xStart) + xRange);
  const double d = DivisorOf(set);
  const double bottom = static_cast<double>(g.dataMin) + g.yShift;

  // Each valid point is joined to the previous valid one by its own segment, ends included.
  std::vector<QLine> segments;
  QPoint previous;
  bool started = false;
  for (int k = first; k < end && k <= kLastIndex; k += std::max(step, 1)) {
    const double px = kLeftMargin + static_cast<double>(k - first) * pg.dataWidth / xRange;
    if (k >= 0) {
      const float v = static_cast<float>(column ? set.values[fixed][k] : set.values[k][fixed]);
      if (v > kNoData) {
        double offset = (v / d - bottom) * pg.dataHeight / g.yRange;
        // A flat range (yRange 0) puts its values on the bottom edge instead of failing.
        if (std::isnan(offset)) offset = 0.0;
        const QPoint point(ClampPlotPixel(ToPixel(px), 0),
                           ClampPlotPixel(ToPixel(pg.axisY - offset), 1));
        if (started) segments.emplace_back(previous, point);
        previous = point;
        started = true;
      }
    }
    if (px >= kLeftMargin + pg.dataWidth) break;
  }
  if (segments.empty()) return;
  QPen pen(ToColor(colour), width);
  pen.setCapStyle(Qt::SquareCap);
  pen.setJoinStyle(Qt::MiterJoin);
  painter.setPen(pen);
  painter.drawLines(segments.data(), static_cast<int>(segments.size()));
}

struct LegendEntry {
  ColorRef colour;
  const std::string* name;
};

std::vector<LegendEntry> EnabledProfiles() {
  std::vector<LegendEntry> entries;
  for (const LineSeries& s : g.series) {
    if (s.showColumn) entries.push_back({s.columnColour, &s.columnName});
    if (s.showRow) entries.push_back({s.rowColour, &s.rowName});
  }
  return entries;
}

struct ButtonColours {
  ColorRef face = kFallbackFace;
  ColorRef text = 0x000000;
};

// The desktop palette's button colours, so the legend looks like the window's own buttons and
// stays readable on a dark theme.
ButtonColours DesktopButton() {
  ButtonColours colours;
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) return colours;
  const QPalette palette = QGuiApplication::palette();
  const QColor face = palette.color(QPalette::Button);
  const QColor text = palette.color(QPalette::ButtonText);
  colours.face = MakeColorRef(face.red(), face.green(), face.blue());
  colours.text = MakeColorRef(text.red(), text.green(), text.blue());
  return colours;
}

void DrawLegend() {
  QImage& image = *g.image;
  const ButtonColours button = DesktopButton();
  const std::vector<LegendEntry> entries = EnabledProfiles();
  if (entries.empty()) return;
  const int width = MeasureLegend(false);
  const int x = std::clamp(g.legendX, 0, std::max(0, image.width() - width));
  const int y = std::clamp(g.legendY, 0, image.height());
  const int n = static_cast<int>(entries.size());
  const int rowStep = g.swatchHeight + 4;
  QPainter painter(&image);
  FrameRect(painter, x, y, x + width, y + 4 + n * rowStep, 0xFFFFFF, button.face);
  painter.setFont(LegendFont());
  for (int j = 0; j < n; ++j) {
    const int top = y + 4 + j * rowStep;
    FrameRect(painter, x + 4, top, x + 4 + g.swatchWidth, top + g.swatchHeight, button.text,
              entries[j].colour);
    DrawTextAt(painter, x + g.swatchWidth + 8, y + 2 + j * rowStep, *entries[j].name, button.text,
               button.face);
  }
}

}  // namespace

PlotGeometry PlotGeometryFor(int width, int height) {
  PlotGeometry pg;
  pg.width = width;
  pg.height = height;
  pg.axisY = height - kBottomMargin;
  pg.cellsX = std::max(0, (width - kLeftMargin) / kCell);
  pg.cellsY = std::max(0, (height - kBottomMargin) / kCell);
  pg.right = kLeftMargin + kCell * pg.cellsX;
  pg.top = pg.axisY - kCell * pg.cellsY;
  pg.labelsX = std::max(0, (width - kLeftMargin) / kLabelStep);
  pg.labelsY = std::max(0, (height - kBottomMargin) / kLabelStep);
  pg.dataWidth = kLabelStep * pg.labelsX;
  pg.dataHeight = kLabelStep * pg.labelsY;
  return pg;
}

void ResetLineGraph() {
  g = LineGraphState();
  drag = ZoomDrag();
}

const LineGraphState& LineGraph() { return g; }

int InitLineGraph(QImage* image, ColorRef back, ColorRef axis, ColorRef grid, ColorRef label,
                  float xRange, float xStart, float yRange, float yShift) {
  if (image == nullptr || image->isNull()) return -1;
  g.image = image;
  g.backColour = back;
  g.axisColour = axis;
  g.gridColour = grid;
  g.labelColour = label;
  g.xRange = xRange >= 1.0f ? xRange : 100.0f;
  g.xStart = xStart > kMaxXStart ? kMaxXStart : xStart;
  g.yRange = yRange;
  g.yShift = yShift;
  g.swatchWidth = 16;
  g.swatchHeight = 8;
  g.initialised = true;
  return 1;
}

void SetRanges(float yShift, float xStart, float yRange, float xRange) {
  g.xRange = xRange >= 1.0f ? xRange : 1.0f;
  g.xStart = xStart > kMaxXStart ? kMaxXStart : xStart;
  g.yRange = yRange >= 0.0f ? yRange : 0.1f;
  g.yShift = yShift;
}

int AssignSeries(int series, ColorRef columnColour, ColorRef rowColour) {
  if (!ValidSeries(series)) return -1;
  LineSeries& s = g.series[series];
  s.assigned = true;
  s.showColumn = true;
  s.columnColour = columnColour;
  s.rowColour = rowColour;
  g.hasLine = true;
  return 1;
}

void SetProfileFlags(int series, bool showColumn, bool showRow) {
  if (!ValidSeries(series)) return;
  g.series[series].showColumn = showColumn;
  g.series[series].showRow = showRow;
}

void SetSeriesColours(int series, ColorRef columnColour, ColorRef rowColour) {
  if (!ValidSeries(series)) return;
  g.series[series].columnColour = columnColour;
  g.series[series].rowColour = rowColour;
}

void SetBold(int series, bool bold) {
  if (ValidSeries(series)) g.series[series].bold = bold;
}

void SetSeriesNames(int series, const std::string& columnName, const std::string& rowName) {
  if (!ValidSeries(series)) return;
  g.series[series].columnName = columnName;
  g.series[series].rowName = rowName;
}

void SetFrameColour(int which, ColorRef colour) {
  switch (which) {
    case 0:
      g.backColour = colour;
      break;
    case 1:
      g.axisColour = colour;
      break;
    case 2:
      g.gridColour = colour;
      break;
    case 3:
      g.labelColour = colour;
      break;
    default:
      break;
  }
}

void SetCrossSection(int x, int y) {
  g.columnX = x;
  g.rowY = y;
}

void SetScaleFlags(bool autoScale) { g.autoScale = autoScale; }
void SetLegendOn(bool on) { g.legendOn = on; }

void SetSwatchSize(int width, int height) {
  g.swatchWidth = width;
  g.swatchHeight = height;
}

void SetLegendPosition(int x, int y) {
  const int w = ImageWidth(), h = ImageHeight();
  g.legendX = x < kLeftMargin ? kLeftMargin : x > w ? w : x;
  g.legendY = y < 0 ? 0 : y > h - kBottomMargin ? h - kBottomMargin : y;
}

int MeasureLegend(bool all) {
  if (g.image == nullptr) return 0;
  const QFontMetrics metrics(LegendFont(), g.image);
  int widest = 0;
  auto measure = [&](const std::string& name) {
    widest = std::max(widest, metrics.horizontalAdvance(QString::fromStdString(name)));
  };
  for (const LineSeries& s : g.series) {
    if (all || s.showColumn) measure(s.columnName);
    if (all || s.showRow) measure(s.rowName);
  }
  return widest + g.swatchWidth + 12;
}

void DrawLineGraph(const GridDataSet& set) {
  AutoRange(set);
  if (!g.initialised || g.image == nullptr) return;
  DrawFrameImpl();
  if (!g.hasLine) return;
  const LineSeries& s = g.series[0];
  if (s.showColumn || s.showRow) {
    QPainter painter(g.image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    const int width = s.bold ? 2 : 1;
    if (s.showColumn) DrawProfile(painter, set, true, s.columnColour, width);
    if (s.showRow) DrawProfile(painter, set, false, s.rowColour, width);
  }
  if (g.legendOn) DrawLegend();
}

void DrawFrame() {
  if (g.initialised && g.image != nullptr) DrawFrameImpl();
}

PlotPoint PixelToData(int x, int y) {
  const PlotGeometry pg = PlotGeometryFor(ImageWidth(), ImageHeight());
  PlotPoint p;
  if (pg.dataWidth <= 0 || pg.dataHeight <= 0) return p;
  p.index = g.xStart + static_cast<float>(x - kLeftMargin) * g.xRange / pg.dataWidth;
  p.value = static_cast<float>(pg.axisY - y) * g.yRange / pg.dataHeight + g.yShift;
  return p;
}

bool IsInsidePlot(int x, int y) {
  const int w = ImageWidth(), h = ImageHeight();
  return PixelToData(x, y).index <= kLastIndex && x >= kLeftMargin &&
         x <= w - ((w - kLeftMargin) % kCell) / 2 && y >= ((h - kBottomMargin) % kCell) / 2 &&
         y <= h - kBottomMargin;
}

int ClampPlotPixel(int value, int axis) {
  const int w = ImageWidth(), h = ImageHeight();
  int lower, upper;
  if (axis == 0) {
    lower = kLeftMargin;
    upper = w - (w - kLeftMargin) % kCell;
  } else if (axis == 1) {
    lower = (h - kBottomMargin) % kCell;
    upper = h - kBottomMargin;
  } else {
    ShowMessage("<CheckGraphData> 'i_type' Value error ->" + std::to_string(axis));
    return -1;
  }
  if (value < lower) return lower;
  if (value > upper) return upper + 2;
  return value;
}

void SetUpLineGraph(QImage* image, const ViewerParams& p) {
  if (InitLineGraph(image, p.lgBackColor, p.lgAxisColor, p.lgSubColor, p.lgLabelColor, p.lgXRange,
                    p.lgXStart, p.lgYRange, p.lgYShift) < 0) {
    return;
  }
  SetSeriesColours(0, p.lgXColor[0], p.lgYColor[0]);
  SetSeriesColours(1, p.lgXColor[1], p.lgYColor[1]);
  SetCrossSection(150, 150);
  SetScaleFlags(true);
  SetBold(0, p.lgBoldLine != 0);
  SetSeriesNames(0, "X=---", "Y=---");
  const int width = MeasureLegend(true);
  SetLegendOn(p.lgDrawLegend != 0);
  SetSwatchSize(16, 8);
  SetLegendPosition(static_cast<int>(image->width() - 1.4 * width), 30);
  DrawFrame();
}

void PrepareLineGraph(ViewerParams& p, const GridDataSet& set) {
  p.lgXRange = p.lgXRangeDefault = static_cast<float>(set.size);
  p.lgYRange = p.lgYRangeDefault = static_cast<float>(set.rangeMax - set.rangeMin);
  p.lgXStart = p.lgXStartDefault = 0.0f;
  p.lgYShift = p.lgYShiftDefault = 0.0f;
  SetRanges(p.lgYShift, p.lgXStart, p.lgYRange, p.lgXRange);
  AssignSeries(0, p.lgXColor[0], p.lgYColor[0]);
  p.lgLineSelX = p.lgLineSelY = 1;
  SetProfileFlags(0, true, true);
}

bool RefreshLineGraph(const GridDataSet& shown) {
  if (!shown.active) return false;
  DrawLineGraph(shown);
  return g.initialised && g.image != nullptr;
}

bool LineGraphProfilesChanged(const ViewerParams& p, int series, const GridDataSet& shown) {
  SetProfileFlags(series, p.lgLineSelX != 0, p.lgLineSelY != 0);
  return RefreshLineGraph(shown);
}

bool LineGraphLegendChanged(const ViewerParams& p, const GridDataSet& shown) {
  SetLegendOn(p.lgDrawLegend != 0);
  return RefreshLineGraph(shown);
}

bool LineGraphBoldChanged(const ViewerParams& p, const GridDataSet& shown) {
  SetBold(0, p.lgBoldLine != 0);
  return RefreshLineGraph(shown);
}

LineGraphPointerResult LineGraphMouseDown(const GridDataSet& shown, const MouseInput& in) {
  LineGraphPointerResult result;
  if (in.button != MouseButton::Left) return result;
  if (in.shift) {
    SetLegendPosition(in.x, in.y);
    result.imageChanged = RefreshLineGraph(shown);
    return result;
  }
  drag.active = false;
  if (!shown.active || g.image == nullptr || !IsInsidePlot(in.x, in.y)) return result;
  const PlotPoint start = PixelToData(in.x, in.y);
  drag.active = true;
  drag.startIndex = ToPixel(start.index);
  drag.startValue = start.value;
  drag.anchor = drag.last = QPoint(in.x, in.y);
  drag.rectShown = false;
  return result;
}

LineGraphPointerResult LineGraphMouseMove(const MouseInput& in) {
  LineGraphPointerResult result;
  if (!drag.active || g.image == nullptr) return result;
  if (drag.rectShown) InvertZoomRect(*g.image, drag.anchor, drag.last);
  drag.last = QPoint(in.x, in.y);
  InvertZoomRect(*g.image, drag.anchor, drag.last);
  drag.rectShown = true;
  result.imageChanged = true;
  return result;
}

LineGraphPointerResult LineGraphMouseUp(ViewerParams& p, const GridDataSet& shown,
                                        const MouseInput& in, const YesNoQuestion& ask) {
  LineGraphPointerResult result;
  const bool left = in.button == MouseButton::Left, right = in.button == MouseButton::Right;
  if (drag.active && (left || right)) {
    drag.active = false;
    // Erase what is on the image, wherever the release happens.
    if (drag.rectShown && g.image != nullptr) {
      InvertZoomRect(*g.image, drag.anchor, drag.last);
      drag.rectShown = false;
      result.imageChanged = true;
    }
    const PlotPoint end = PixelToData(in.x, in.y);
    const int endIndex = ToPixel(end.index);
    if (right) {
      result.imageChanged = RefreshLineGraph(shown) || result.imageChanged;
      return result;
    }
    if (endIndex == drag.startIndex && end.value == drag.startValue) return result;
    float xStart = g.xStart, xRange = g.xRange, yShift = g.yShift, yRange = g.yRange;
    if (endIndex != drag.startIndex) {
      xStart = static_cast<float>(std::min(endIndex, drag.startIndex));
      xRange = static_cast<float>(std::abs(endIndex - drag.startIndex));
    }
    if (end.value != drag.startValue) {
      yShift = std::min(end.value, drag.startValue);
      yRange = std::abs(end.value - drag.startValue);
    }
    p.lgXRange = xRange;
    p.lgXStart = xStart;
    p.lgYRange = yRange;
    p.lgYShift = yShift;
    SetRanges(yShift, xStart, yRange, xRange);
    SetScaleFlags(false);
    result.imageChanged = RefreshLineGraph(shown) || result.imageChanged;
    SetScaleFlags(true);
    result.rangesChanged = true;
    return result;
  }
  if (right && in.ctrl && !in.shift && !drag.active) {
    if (!ask || !ask("Reset range/shift setting to default.\nAre you sure?", "Reset range/shift")) {
      return result;
    }
    p.lgXRange = p.lgXRangeDefault;
    p.lgXStart = p.lgXStartDefault;
    p.lgYRange = p.lgYRangeDefault;
    p.lgYShift = p.lgYShiftDefault;
    SetRanges(p.lgYShift, p.lgXStart, p.lgYRange, p.lgXRange);
    result.imageChanged = RefreshLineGraph(shown);
    result.rangesChanged = true;
  }
  return result;
}

bool LineGraphDragging() { return drag.active; }

}  // namespace orvelle
