// The run overview of report.pdf: the run table and the trend charts, drawn as vector lines and
// text so that they print sharp and their words can be searched.
#include "cli/CliReportRunTable.h"

#include <QFont>
#include <QFontMetrics>
#include <QPen>
#include <QStringList>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>
#include <optional>

#include "data/NameText.h"
#include "data/Platform.h"

namespace orvelle::cli {
namespace {

constexpr double kMarginMm = 15.0;
constexpr int kSignificantDigits = 6;
// Figure indices in ReportRow::figures.
constexpr int kSitesCount = FigureIndex("sitesCount");
constexpr int kSitesMin = FigureIndex("sitesMin");
constexpr int kSitesMax = FigureIndex("sitesMax");
constexpr int kSitesMean = FigureIndex("sitesMean");
constexpr int kSitesStdDev = FigureIndex("sitesStdDev");
constexpr int kSitesNonUniformity = FigureIndex("sitesNonUniformityPct");

int Margin() { return static_cast<int>(std::lround(kMarginMm / 25.4 * kReportDpi)); }

QFont Font(double points, bool bold = false) {
  QFont font(QStringLiteral("Arial"));
  font.setPointSizeF(points);
  font.setBold(bold);
  return font;
}

std::optional<double> Value(const std::string& text) {
  double v = 0;
  const char* end = text.data() + text.size();
  const auto r = std::from_chars(text.data(), end, v);
  if (text.empty() || r.ec != std::errc() || r.ptr != end || !std::isfinite(v)) return {};
  return v;
}

QString Significant(double v) { return QString::number(v, 'g', kSignificantDigits); }

QString TypeText(const ReportRow& row) { return row.slot ? QString::number(*row.slot) : QString(); }

// Lays rows of cells across the page, a new page (with the header again) when one is full.
class TableFlow {
 public:
  TableFlow(QPdfWriter& writer, QPainter& painter, std::vector<int> widths, QStringList header)
      : writer_(writer),
        painter_(painter),
        widths_(std::move(widths)),
        header_(std::move(header)),
        line_(QFontMetrics(Font(8), painter.device()).height() + 6),
        y_(Margin()) {}

  int Y() const { return y_; }
  void Skip(int pixels) { y_ += pixels; }

  void Title(const QString& text) {
    painter_.setFont(Font(14, true));
    const int h = QFontMetrics(painter_.font(), painter_.device()).height();
    painter_.drawText(QRect(Margin(), y_, Width(), h), Qt::AlignLeft, text);
    y_ += h + 12;
    Header();
  }

  // A row; `spanFrom` >= 0 lets that cell run to the row's end (a failure's message).
  void Row(const QStringList& cells, int spanFrom = -1) {
    if (y_ + line_ > Bottom()) {
      writer_.newPage();
      y_ = Margin();
      Header();
    }
    Cells(cells, Font(8), spanFrom);
    painter_.setPen(QPen(QColor(210, 210, 210), 1));
    painter_.drawLine(Margin(), y_, Margin() + Width(), y_);
    painter_.setPen(Qt::black);
  }

 private:
  int Width() const { return writer_.width() - 2 * Margin(); }
  int Bottom() const { return writer_.height() - Margin(); }

  void Header() {
    Cells(header_, Font(8, true), -1);
    painter_.setPen(QPen(Qt::black, 2));
    painter_.drawLine(Margin(), y_, Margin() + Width(), y_);
    painter_.setPen(Qt::black);
  }

  void Cells(const QStringList& cells, const QFont& font, int spanFrom) {
    painter_.setFont(font);
    const QFontMetrics metrics(font, painter_.device());
    int x = Margin();
    for (int c = 0; c < cells.size() && c < static_cast<int>(widths_.size()); ++c) {
      int w = widths_[c];
      if (c == spanFrom) {
        w = Margin() + Width() - x;
      }
      // Numbers line up on the right, names on the left.
      const Qt::Alignment align = c < 2 || c == spanFrom ? Qt::AlignLeft : Qt::AlignRight;
      const QString text = metrics.elidedText(cells[c], Qt::ElideMiddle, w - 10);
      painter_.drawText(QRect(x + (align == Qt::AlignLeft ? 0 : 0), y_, w - 10, line_),
                        align | Qt::AlignVCenter, text);
      x += w;
      if (c == spanFrom) break;
    }
    y_ += line_;
  }

  QPdfWriter& writer_;
  QPainter& painter_;
  std::vector<int> widths_;
  QStringList header_;
  int line_;
  int y_;
};

struct TrendPoint {
  double mean = 0, min = 0, max = 0;
};

// A tick step of 1, 2 or 5 times a power of ten giving about `count` steps over `span`.
double NiceStep(double span, int count) {
  if (!(span > 0)) return 1.0;
  const double raw = span / count;
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  for (const double m : {1.0, 2.0, 5.0}) {
    if (raw <= m * power) return m * power;
  }
  return 10.0 * power;
}

void DrawTrend(QPainter& painter, const QRect& box, const QString& title,
               const std::vector<TrendPoint>& points) {
  painter.setPen(Qt::black);
  painter.setFont(Font(11, true));
  const int titleHeight = QFontMetrics(painter.font(), painter.device()).height();
  painter.drawText(QRect(box.left(), box.top(), box.width(), titleHeight), Qt::AlignLeft, title);
  painter.setFont(Font(7));
  const QFontMetrics small(painter.font(), painter.device());
  const QRect plot(box.left() + 150, box.top() + titleHeight + 16, box.width() - 330,
                   box.height() - titleHeight - 16 - 2 * small.height() - 16);

  const size_t n = points.size();
  double lo = points[0].min, hi = points[0].max, sum = 0;
  for (const TrendPoint& p : points) {
    lo = std::min({lo, p.min, p.mean});
    hi = std::max({hi, p.max, p.mean});
    sum += p.mean;
  }
  const double meanOfMeans = sum / static_cast<double>(n);
  std::optional<double> sigma;
  if (n >= 2) {
    double squares = 0;
    for (const TrendPoint& p : points) squares += (p.mean - meanOfMeans) * (p.mean - meanOfMeans);
    sigma = std::sqrt(squares / static_cast<double>(n - 1));
    lo = std::min(lo, meanOfMeans - 3 * *sigma);
    hi = std::max(hi, meanOfMeans + 3 * *sigma);
  }
  if (!(hi > lo)) {
    const double pad = lo == 0 ? 1.0 : std::fabs(lo) * 0.01;
    lo -= pad;
    hi += pad;
  }
  const double margin = (hi - lo) * 0.05;
  lo -= margin;
  hi += margin;
  const auto yOf = [&](double v) { return plot.bottom() - (v - lo) / (hi - lo) * plot.height(); };
  const auto xOf = [&](size_t i) {
    return plot.left() + (static_cast<double>(i) + 0.5) * plot.width() / static_cast<double>(n);
  };

  // Axes, value ticks and grid lines.
  const double step = NiceStep(hi - lo, 6);
  for (double v = std::ceil(lo / step) * step; v <= hi; v += step) {
    const double y = yOf(v);
    painter.setPen(QPen(QColor(225, 225, 225), 1));
    painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
    painter.setPen(Qt::black);
    painter.drawText(QRectF(box.left(), y - small.height() / 2.0, 140, small.height()),
                     Qt::AlignRight | Qt::AlignVCenter,
                     Significant(std::fabs(v) < step * 1e-9 ? 0 : v));
  }
  painter.setPen(QPen(Qt::black, 2));
  painter.drawRect(plot);
  const size_t every = std::max<size_t>(1, (n + 24) / 25);
  painter.setPen(Qt::black);
  for (size_t i = 0; i < n; ++i) {
    if (i % every != 0 && i + 1 != n) continue;
    painter.drawText(QRectF(xOf(i) - 60, plot.bottom() + 4, 120, small.height()), Qt::AlignCenter,
                     QString::number(i + 1));
  }
  painter.drawText(
      QRect(plot.left(), plot.bottom() + 6 + small.height(), plot.width(), small.height()),
      Qt::AlignCenter, QStringLiteral("File in run order (as in the run table)"));

  // The run's mean of the means and its three-sigma limits.
  if (sigma) {
    const struct {
      double v;
      QString name;
      Qt::PenStyle style;
    } lines[] = {{meanOfMeans + 3 * *sigma, QStringLiteral("+3 SD"), Qt::DashLine},
                 {meanOfMeans, QStringLiteral("mean"), Qt::SolidLine},
                 {meanOfMeans - 3 * *sigma, QStringLiteral("-3 SD"), Qt::DashLine}};
    // Labels a line apart at least, where the limits lie close to the mean.
    const double gap = small.height();
    const double mean = yOf(meanOfMeans);
    const double labelY[] = {std::min(yOf(lines[0].v), mean - gap), mean,
                             std::max(yOf(lines[2].v), mean + gap)};
    for (int i = 0; i < 3; ++i) {
      const double y = yOf(lines[i].v);
      painter.setPen(QPen(QColor(0, 110, 0), 2, lines[i].style));
      painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
      painter.drawText(QRectF(plot.right() + 6, labelY[i] - gap / 2.0, 174, gap),
                       Qt::AlignLeft | Qt::AlignVCenter,
                       lines[i].name + QLatin1Char(' ') + Significant(lines[i].v));
    }
  }

  // Each file: its min-max span as a bar, its mean as a point.
  const double half = std::clamp(plot.width() / static_cast<double>(n) * 0.2, 2.0, 10.0);
  for (size_t i = 0; i < n; ++i) {
    const double x = xOf(i);
    painter.setPen(QPen(QColor(60, 90, 200), 2));
    painter.drawLine(QPointF(x, yOf(points[i].min)), QPointF(x, yOf(points[i].max)));
    painter.drawLine(QPointF(x - half, yOf(points[i].min)), QPointF(x + half, yOf(points[i].min)));
    painter.drawLine(QPointF(x - half, yOf(points[i].max)), QPointF(x + half, yOf(points[i].max)));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(200, 30, 30));
    painter.drawEllipse(QPointF(x, yOf(points[i].mean)), 5.0, 5.0);
    painter.setBrush(Qt::NoBrush);
  }
  painter.setPen(Qt::black);
}

}  // namespace

QString FileText(const std::string& path) { return QString::fromUtf8(path); }

std::string FileName(const std::string& path) {
  return Utf8FromPath(PathFromUtf8(path).filename());
}

QString SignificantFigure(const std::string& figure) {
  const std::optional<double> v = Value(figure);
  if (!v || figure.find_first_of(".eE") == std::string::npos) return QString::fromStdString(figure);
  return Significant(*v);
}

QString ScaleText(const ReportOptions& options) {
  if (options.cli.range) {
    return QStringLiteral("Colour scale: %1 to %2 for every file (--range)")
        .arg(Significant(options.cli.range->first), Significant(options.cli.range->second));
  }
  if (options.commonRange) {
    QStringList parts;
    for (const auto& [slot, range] : options.runRanges) {
      parts << QStringLiteral("type %1: %2 to %3")
                   .arg(slot)
                   .arg(Significant(range.first), Significant(range.second));
    }
    if (parts.isEmpty()) parts << QStringLiteral("no file could be read");
    return QStringLiteral("Colour scale: the run's common range (--common-range), ") +
           parts.join(QStringLiteral("; "));
  }
  return QStringLiteral("Colour scale: each file its own range");
}

void DrawRunOverview(QPdfWriter& writer, QPainter& painter,
                     const std::vector<ReportEntry>& entries) {
  writer.newPage();
  const int width = writer.width() - 2 * Margin();
  const int file = width * 28 / 100;
  const int type = width * 6 / 100;
  const int number = (width - file - type) / 7;
  TableFlow table(writer, painter,
                  {file, type, number, number, number, number, number, number, number},
                  {QStringLiteral("File"), QStringLiteral("Type"), QStringLiteral("Sites"),
                   QStringLiteral("Mean"), QStringLiteral("Std dev"), QStringLiteral("Min"),
                   QStringLiteral("Max"), QStringLiteral("Range"), QStringLiteral("NU %")});
  table.Title(QStringLiteral("Run table: measured sites"));

  std::map<int, std::vector<TrendPoint>> trends;
  std::map<int, std::string> typeNames;
  for (const ReportEntry& e : entries) {
    if (!e.done) continue;
    const QString name = FileText(FileName(e.file));
    for (const ReportRow& r : e.rows) {
      if (!r.Ok()) {
        table.Row({name, TypeText(r), QString::fromStdString(r.status)}, 2);
        continue;
      }
      const auto& f = r.figures;
      const std::optional<double> min = Value(f[kSitesMin]), max = Value(f[kSitesMax]);
      const QString range = min && max ? Significant(*max - *min) : QString();
      table.Row({name, TypeText(r), QString::fromStdString(f[kSitesCount]),
                 SignificantFigure(f[kSitesMean]), SignificantFigure(f[kSitesStdDev]),
                 SignificantFigure(f[kSitesMin]), SignificantFigure(f[kSitesMax]), range,
                 SignificantFigure(f[kSitesNonUniformity])});
      const std::optional<double> mean = Value(f[kSitesMean]);
      if (r.slot && mean && min && max) {
        trends[*r.slot].push_back({*mean, *min, *max});
        typeNames.emplace(*r.slot, r.name);
      }
    }
  }

  // Two charts a page, from a page of their own.
  const int chartHeight = (writer.height() - 2 * Margin() - 40) / 2;
  int y = writer.height();
  for (const auto& [slot, points] : trends) {
    if (y + chartHeight > writer.height() - Margin()) {
      writer.newPage();
      y = Margin();
    }
    const QString title =
        QStringLiteral("Trend of data type %1 (%2): site mean and min-max span per file")
            .arg(slot)
            .arg(QString::fromStdString(NameText(typeNames[slot])));
    DrawTrend(painter, QRect(Margin(), y, width, chartHeight), title, points);
    y += chartHeight + 40;
  }
}

}  // namespace orvelle::cli
