// report.pdf: a first page with the run's date, counts, options and failures, the run table and
// trend, then a page per file and data type with its four views, drawn 1:1 at the page
// resolution, and its figures. The files' pages are drawn first (a run draws them while later
// files are worked on) and the overview pages are moved in front of them at the end.
#include <QBuffer>
#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>
#include <cmath>

#include "cli/Cli.h"
#include "cli/CliReport.h"
#include "cli/CliReportRunTable.h"
#include "data/Message.h"
#include "data/NameText.h"
#include "views2d/ColorPalette.h"
#include "views2d/FramedViews.h"
#include "views2d/LineGraph.h"
#include "views2d/PointerInteraction.h"

namespace orvelle::cli {
namespace {

constexpr double kMarginMm = 15.0;
constexpr int kColumnGap = 30;
constexpr int kSurfaceWidth = 377;  // the 3D panel
constexpr int kSurfaceHeight = 205;

int Margin() { return static_cast<int>(std::lround(kMarginMm / 25.4 * kReportDpi)); }

QPageSize PageSize(bool letter) { return QPageSize(letter ? QPageSize::Letter : QPageSize::A4); }

QFont TextFont(double points, bool bold = false) {
  QFont font(QStringLiteral("Arial"));
  font.setPointSizeF(points);
  font.setBold(bold);
  return font;
}

QString NameQText(const std::string& bytes) { return QString::fromStdString(NameText(bytes)); }

QString TypeTitle(const ReportRow& row) {
  if (!row.slot) return {};
  return QStringLiteral("Data type %1: %2").arg(*row.slot).arg(NameQText(row.name));
}

// Lays text out down a page and starts a new page when the next block does not fit.
class PageFlow {
 public:
  PageFlow(QPdfWriter& writer, QPainter& painter)
      : writer_(writer), painter_(painter), top_(Margin()), y_(Margin()) {}

  int Width() const { return writer_.width() - 2 * Margin(); }
  int Bottom() const { return writer_.height() - Margin(); }
  int& Y() { return y_; }

  void Text(const QString& text, const QFont& font, int spaceAfter = 8) {
    painter_.setFont(font);
    const QRect box(Margin(), 0, Width(), Bottom());
    const QRect needed = painter_.boundingRect(box, Qt::TextWordWrap, text);
    if (y_ + needed.height() > Bottom() && y_ > top_) NewPage();
    painter_.drawText(QRect(Margin(), y_, Width(), needed.height()), Qt::TextWordWrap, text);
    y_ += needed.height() + spaceAfter;
  }

  void NewPage() {
    writer_.newPage();
    y_ = top_;
    ++pages_;
  }

  // The pages begun so far through this flow (the document's first page counts).
  int Pages() const { return pages_; }

 private:
  QPdfWriter& writer_;
  QPainter& painter_;
  int top_;
  int y_;
  int pages_ = 1;
};

void DrawView(QPainter& painter, const QRect& cell, const QString& caption, const QImage& image,
              const QString& missing) {
  painter.setFont(TextFont(9, true));
  const int captionHeight = QFontMetrics(painter.font(), painter.device()).height();
  painter.drawText(QRect(cell.left(), cell.top(), cell.width(), captionHeight), Qt::AlignLeft,
                   caption);
  const QRect area(cell.left(), cell.top() + captionHeight + 4, cell.width(),
                   cell.height() - captionHeight - 4);
  if (!image.isNull()) {
    // Drawn at its own pixel size: the picture was rendered for this place.
    painter.drawImage(area.topLeft(), image);
    return;
  }
  painter.setPen(QPen(Qt::gray, 1, Qt::DashLine));
  painter.drawRect(area.adjusted(0, 0, -1, -1));
  painter.setPen(Qt::black);
  painter.setFont(TextFont(9));
  painter.drawText(area.adjusted(12, 12, -12, -12), Qt::AlignCenter | Qt::TextWordWrap, missing);
}

// Name/value table; returns its height.
int DrawTable(QPainter& painter, QPoint at, const std::vector<QStringList>& rows,
              const std::vector<int>& widths) {
  painter.setFont(TextFont(9));
  const int line = QFontMetrics(painter.font(), painter.device()).height() + 4;
  int y = at.y();
  bool header = true;
  for (const QStringList& cells : rows) {
    int x = at.x();
    for (int c = 0; c < cells.size() && c < static_cast<int>(widths.size()); ++c) {
      QFont font = TextFont(9, header && rows.size() > 1 && widths.size() > 2);
      if (c == 0 && widths.size() == 2) font.setBold(true);
      painter.setFont(font);
      painter.drawText(QRect(x, y, widths[c], line), Qt::AlignLeft | Qt::AlignVCenter, cells[c]);
      x += widths[c];
    }
    header = false;
    y += line;
  }
  return y - at.y();
}

// The colour map pixel the report's line graph takes its cross-section through.
constexpr int kSectionPixel = kColormapSize / 2;

// The grid point of the cross-section for data of `size` points a side.
GridPointF SectionPoint(const std::string& size) {
  const GridPointF p =
      PixelToGrid(kColormapSize, kColormapSize, QString::fromStdString(size).toInt(), kSectionPixel,
                  kSectionPixel);
  return {std::floor(p.x), std::floor(p.y)};
}

// The window's cross-section lines over the framed colour map at `at`: the vertical one in the
// colour of the section down the column, the horizontal one in that of the section along the row.
void DrawSectionLines(QPainter& painter, QPoint at, const ViewerParams& params) {
  const QPoint map = at + kColormapPanel.topLeft() - kFramedColormapArea.topLeft() + QPoint(2, 2);
  painter.fillRect(QRect(map.x() + kSectionPixel, map.y(), 1, kColormapSize),
                   QColor(ToQRgb(params.lgXColor[0])));
  painter.fillRect(QRect(map.x(), map.y() + kSectionPixel, kColormapSize, 1),
                   QColor(ToQRgb(params.lgYColor[0])));
}

void DrawTypePage(QPainter& painter, PageFlow& flow, const ReportEntry& entry, const ReportRow& row,
                  const ReportOptions& options, const ViewerParams& params) {
  flow.Text(FileText(FileName(entry.file)), TextFont(14, true), 2);
  flow.Text(FileText(entry.file), TextFont(7), 6);
  flow.Text(TypeTitle(row), TextFont(11), 4);
  const bool surfaceMissing =
      std::find(row.views.begin(), row.views.end(), "3d") == row.views.end();
  flow.Y() += 8;

  const ReportViewSizes sizes = PageViewSizes(options.letter);
  const int captionHeight = QFontMetrics(TextFont(9, true), painter.device()).height() + 4;
  const auto picture = [&](const char* view) {
    if (entry.pages.empty()) return QImage();
    return QImage(QString::fromStdString(entry.pages + "/" + PagePictureName(view, *row.slot)));
  };
  const int left = Margin();
  const int right = Margin() + sizes.colormap.width() + kColumnGap;
  int y = flow.Y();
  const int top = captionHeight + kFramedColormapArea.height();
  const QImage colormap = picture("colormap");
  DrawView(painter, QRect(left, y, sizes.colormap.width(), top), QStringLiteral("Colour map"),
           colormap, {});
  if (!colormap.isNull()) DrawSectionLines(painter, QPoint(left, y + captionHeight), params);
  DrawView(painter, QRect(right, y, sizes.contour.width(), top), QStringLiteral("Contour map"),
           picture("contour"), {});
  y += top + 20;
  const int bottom = captionHeight + std::max(sizes.lineGraph.height(), sizes.surface.height());
  const GridPointF section = SectionPoint(row.figures[FigureIndex("size")]);
  DrawView(painter,
           QRect(left, y, sizes.lineGraph.width(), captionHeight + sizes.lineGraph.height()),
           QStringLiteral("Line graph: X section at Y = %1, Y section at X = %2")
               .arg(section.y)
               .arg(section.x),
           picture("linegraph"), {});
  DrawView(painter, QRect(right, y, sizes.surface.width(), captionHeight + sizes.surface.height()),
           QStringLiteral("3D view"), surfaceMissing ? QImage() : picture("3d"),
           surfaceMissing
               ? QString::fromStdString(entry.note.empty() ? "3D view left out." : entry.note)
               : QString());
  y += bottom + 24;

  std::vector<QStringList> figures;
  for (int i = 0; i < kFigureCount; ++i) {
    figures.push_back({QString::fromLatin1(kFigureNames[i]), SignificantFigure(row.figures[i])});
  }
  DrawTable(painter, QPoint(left, y), figures, {240, sizes.colormap.width() - 240});

  const bool roiShown[2] = {options.cli.roi1.has_value(), options.cli.roi2.has_value()};
  if (roiShown[0] || roiShown[1]) {
    std::vector<QStringList> roi = {
        {QString(), QStringLiteral("Min"), QStringLiteral("Max"), QStringLiteral("Mean")}};
    for (int k = 0; k < 2; ++k) {
      if (!roiShown[k]) continue;
      const PixelPoint p = k == 0 ? *options.cli.roi1 : *options.cli.roi2;
      QStringList cells = {QStringLiteral("ROI%1 (%2,%3)").arg(k + 1).arg(p.x).arg(p.y)};
      for (int i = 0; i < 3; ++i) {  // min, max, mean
        const std::string& v = row.roi[k][i];
        cells << (v.empty() ? QStringLiteral("---.--") : QString::fromStdString(v));
      }
      roi.push_back(cells);
    }
    const int w = sizes.contour.width();
    DrawTable(painter, QPoint(right, y), roi, {w * 2 / 5, w / 5, w / 5, w / 5});
  }
}

// The report's date: now, or SOURCE_DATE_EPOCH (seconds, UTC) where a reproducible report is
// wanted, as the convention for reproducible outputs has it.
QDateTime ReportDate() {
  bool ok = false;
  const qint64 epoch = qEnvironmentVariable("SOURCE_DATE_EPOCH").toLongLong(&ok);
  if (ok && epoch >= 0) return QDateTime::fromSecsSinceEpoch(epoch, Qt::UTC);
  return QDateTime::currentDateTime();
}

QString OptionsText(const ReportOptions& options) {
  QStringList words;
  for (const std::string& w : options.passOn) words << FileText(w);
  if (!options.letter) words << QStringLiteral("--page a4");
  return words.join(QLatin1Char(' '));
}

// The first page: the run's date, counts, options and colour scale, and the failed files.
void DrawCover(PageFlow& flow, const std::vector<ReportEntry>& entries,
               const ReportOptions& options) {
  int done = 0, failedFiles = 0, notRun = 0;
  for (const ReportEntry& e : entries) {
    if (!e.done) continue;
    ++done;
    if (!e.rows.empty() && e.rows[0].NotRun()) {
      ++notRun;
    } else if (e.Failed()) {
      ++failedFiles;
    }
  }
  flow.Text(QStringLiteral("Orvelle measurement report"), TextFont(18, true), 16);
  flow.Text(QStringLiteral("Date: ") + ReportDate().toString(QStringLiteral("yyyy-MM-dd HH:mm")),
            TextFont(11));
  QString counts = QStringLiteral("Files: %1    Failed: %2").arg(done - notRun).arg(failedFiles);
  if (notRun > 0) counts += QStringLiteral("    Not run (stopped): %1").arg(notRun);
  flow.Text(counts, TextFont(11));
  const QString used = OptionsText(options);
  flow.Text(QStringLiteral("Options: ") + (used.isEmpty() ? QStringLiteral("none") : used),
            TextFont(11));
  flow.Text(ScaleText(options), TextFont(11), 24);
  if (failedFiles > 0) {
    flow.Text(QStringLiteral("Failed files"), TextFont(12, true));
    for (const ReportEntry& e : entries) {
      if (!e.done) continue;
      for (const ReportRow& r : e.rows) {
        if (r.Ok() || r.NotRun()) continue;
        QString line = FileText(e.file);
        if (r.slot) line += QStringLiteral(" (type %1)").arg(*r.slot);
        flow.Text(line + QStringLiteral(": ") + QString::fromStdString(r.status), TextFont(10), 6);
      }
    }
  }
}

// True for a line "N 0 R" and its line end.
bool IsReferenceLine(const QByteArray& line) {
  static const QByteArray kTail = " 0 R\n";
  if (!line.endsWith(kTail) || line.size() == kTail.size()) return false;
  return std::all_of(line.begin(), line.end() - kTail.size(),
                     [](char c) { return c >= '0' && c <= '9'; });
}

// Moves the pages from number `first` (from 0) on in front of the others in a finished PDF. Qt
// lists the page tree's pages one reference a line, so whole lines trade places and every object
// stays at the byte offset the cross-reference table gives. False, the PDF unchanged, when the
// page tree is not written that way.
bool MovePagesToFront(QByteArray& pdf, int first) {
  static const QByteArray kKids = "/Type /Pages\n/Kids \n[\n";
  const qsizetype start = pdf.lastIndexOf(kKids);
  if (start < 0) return false;
  std::vector<QByteArray> references;
  qsizetype at = start + kKids.size();
  while (at < pdf.size() && pdf[at] != ']') {
    const qsizetype end = pdf.indexOf('\n', at);
    if (end < 0) return false;
    references.push_back(pdf.mid(at, end + 1 - at));
    if (!IsReferenceLine(references.back())) return false;
    at = end + 1;
  }
  const QByteArray count = "]\n/Count " + QByteArray::number(references.size()) + "\n";
  if (pdf.mid(at, count.size()) != count || first <= 0 ||
      static_cast<size_t>(first) >= references.size()) {
    return false;
  }
  QByteArray kids;
  std::rotate(references.begin(), references.begin() + first, references.end());
  for (const QByteArray& r : references) kids += r;
  pdf.replace(start + kKids.size(), kids.size(), kids);
  return true;
}

}  // namespace

ReportViewSizes PageViewSizes(bool letter) {
  const QSize page = PageSize(letter).sizePixels(kReportDpi);
  const int cell = (page.width() - 2 * Margin() - kColumnGap) / 2;
  ReportViewSizes sizes;
  sizes.colormap = sizes.contour = QSize(cell, cell);
  sizes.lineGraph = QSize(cell, static_cast<int>(std::lround(static_cast<double>(cell) *
                                                             kLineGraphHeight / kLineGraphWidth)));
  sizes.surface = QSize(cell, static_cast<int>(std::lround(static_cast<double>(cell) *
                                                           kSurfaceHeight / kSurfaceWidth)));
  return sizes;
}

// The document under way: Qt's PDF writer into memory, and where the pages are.
struct ReportPdfDrawer::Document {
  explicit Document(const ReportOptions& options)
      : opened(buffer.open(QIODevice::WriteOnly)), writer(&buffer), flow(writer, painter) {
    writer.setPageSize(PageSize(options.letter));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setResolution(kReportDpi);
    writer.setTitle(QStringLiteral("Orvelle measurement report"));
    writer.setCreator(QStringLiteral("orvelle-cli"));
    drawing = opened && painter.begin(&writer);
    // The pages show the cross-section lines in the colours the settings give them.
    PrepareParams(options.cli, params);
  }

  // Draws the pages of a done file, each on a page of its own.
  void File(const ReportEntry& entry, const ReportOptions& options) {
    if (!drawing || !entry.done) return;
    for (const ReportRow& r : entry.rows) {
      if (!r.Ok() || !r.slot) continue;
      if (begun) flow.NewPage();
      begun = true;
      DrawTypePage(painter, flow, entry, r, options, params);
    }
  }

  // Draws the first page, the run table and the trend, from a new page.
  void Overview(const std::vector<ReportEntry>& entries, const ReportOptions& options) {
    if (!drawing) return;
    if (begun) flow.NewPage();
    begun = true;
    DrawCover(flow, entries, options);
    DrawRunOverview(writer, painter, entries);
  }

  QByteArray bytes;
  QBuffer buffer{&bytes};
  bool opened;
  QPdfWriter writer;
  QPainter painter;
  PageFlow flow;
  ViewerParams params;
  bool begun = false;  // something is drawn on the current page
  bool drawing = false;
};

ReportPdfDrawer::ReportPdfDrawer(const ReportOptions& options)
    : options_(options), document_(std::make_unique<Document>(options)) {}

ReportPdfDrawer::~ReportPdfDrawer() = default;

void ReportPdfDrawer::Add(const ReportEntry& entry) {
  added_.push_back(entry);
  document_->File(entry, options_);
}

std::string ReportPdfDrawer::Finish(const std::vector<ReportEntry>& entries) {
  if (added_.size() > entries.size() ||
      !std::equal(added_.begin(), added_.end(), entries.begin())) {
    added_.clear();
    document_ = std::make_unique<Document>(options_);
  }
  while (added_.size() < entries.size()) Add(entries[added_.size()]);
  Document& d = *document_;
  if (!d.drawing) {
    ShowMessage("The PDF report could not be drawn.");
    return {};
  }
  const int filePages = d.begun ? d.flow.Pages() : 0;
  d.Overview(entries, options_);
  d.painter.end();
  if (filePages == 0 || MovePagesToFront(d.bytes, filePages)) return d.bytes.toStdString();

  // A page tree written otherwise: the pages drawn in the order they are shown.
  Document plain(options_);
  plain.Overview(entries, options_);
  for (const ReportEntry& e : entries) plain.File(e, options_);
  plain.painter.end();
  return plain.bytes.toStdString();
}

std::string ReportPdf(const std::vector<ReportEntry>& entries, const ReportOptions& options) {
  return ReportPdfDrawer(options).Finish(entries);
}

}  // namespace orvelle::cli
