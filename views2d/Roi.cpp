#include "views2d/Roi.h"

#include <QFont>
#include <QFontMetrics>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "data/AtomicFile.h"
#include "data/CsvField.h"
#include "data/Message.h"
#include "data/NameText.h"
#include "views2d/FixedText.h"

namespace orvelle {
namespace {

constexpr int kLastIndex = kGridDim - 1;
// Beyond this half-width every ROI already covers the whole grid.
constexpr int kMaxRoiSize = 2 * kGridDim;
// Panel coordinates are image pixels plus the image's offset in the panel.
constexpr int kImageOffset = 2;
constexpr int kMaxDigits = 5;
// Significant digits of the on-screen figures.
constexpr int kLabelPrecision = 7;

int Trunc(double v) {
  if (std::isnan(v)) return 0;
  return static_cast<int>(std::clamp(v, -1.0e6, 1.0e6));
}

double DivisorOf(const GridDataSet& set) { return set.normDivisor == 0.0 ? 1.0 : set.normDivisor; }

struct RoiRequest {
  bool shown = false;
  int type = kRoiCircle;
  int size = 0;
  int centreX = 0;  // grid
  int centreY = 0;
  int digits = 2;
};

std::array<RoiRequest, kRoiCount> MakeRequests(const ViewerParams& p, int gridSize, int imageWidth,
                                               int imageHeight) {
  std::array<RoiRequest, kRoiCount> requests;
  for (int k = 0; k < kRoiCount; ++k) {
    RoiRequest& r = requests[k];
    r.shown = p.roiShown[k] != 0;
    r.type = p.roiType[k];
    r.size = p.roiSize[k];
    r.centreX = RoiGridCoordinate(p.roiCentreX[k], gridSize, imageWidth);
    r.centreY = RoiGridCoordinate(p.roiCentreY[k], gridSize, imageHeight);
    r.digits = RoiDigits(p, k);
  }
  return requests;
}

std::string LabelText(const char* prefix, double value, bool valid, int digits) {
  return std::string(prefix) +
         (valid ? FormatFixedSignificant(value, kLabelPrecision, digits) : "-----");
}

// A data-type name as a cell of the table. The clipboard carries text, so its tab-separated table
// shows the name decoded. The comma-separated file keeps the bytes as read, and a name holding a
// comma, a double quote or a line break is quoted there (its quotes doubled) so the columns never
// shift.
std::string NameCell(const std::string& name, char separator) {
  return separator == ',' ? CsvField(name) : NameText(name);
}

}  // namespace

namespace {

// Calls visit(value) for every valid point of the ROI, column by column.
template <typename Visit>
void ForEachRoiValue(const GridDataSet& set, int type, int centreX, int centreY, int size,
                     Visit&& visit) {
  const int r = std::min(size, kMaxRoiSize);
  const float radius = static_cast<float>(r);
  const bool square = type == kRoiSquare;
  // Only offsets that land on the grid can contribute.
  const long long dxFirst = std::max<long long>(-r, 0LL - centreX);
  const long long dxLast = std::min<long long>(r, static_cast<long long>(kLastIndex) - centreX);
  const long long dyFirst = std::max<long long>(-r, 0LL - centreY);
  const long long dyLast = std::min<long long>(r, static_cast<long long>(kLastIndex) - centreY);
  for (long long dx = dxFirst; dx <= dxLast; ++dx) {
    // The circle's offsets in this column form one run |dy| <= reach (the distance test is
    // monotonic in |dy|), so the inner loop needs no square root.
    long long reach = r;
    if (!square) {
      auto inside = [&](long long dy) {
        return radius >= static_cast<float>(std::sqrt(static_cast<double>(dx * dx + dy * dy)));
      };
      reach = static_cast<long long>(std::sqrt(std::max(0.0, double(r) * r - double(dx) * dx))) + 1;
      while (reach >= 0 && !inside(reach)) --reach;
    }
    const double* column = set.values[centreX + dx];
    for (long long dy = std::max(dyFirst, -reach); dy <= std::min(dyLast, reach); ++dy) {
      const double v = column[centreY + dy];
      if (IsValid(v)) visit(v);
    }
  }
}

}  // namespace

RoiStats MeasureRoi(const GridDataSet& set, int type, int centreX, int centreY, int size) {
  RoiStats stats;
  if (!set.active) {
    stats.count = -99999;
    return stats;
  }
  double sum = 0.0, lo = kRunningMinStart, hi = kRunningMaxStart;
  int count = 0;
  ForEachRoiValue(set, type, centreX, centreY, size, [&](double v) {
    sum += v;
    ++count;
    if (lo > v) lo = v;
    if (hi < v) hi = v;
  });
  stats.count = count;
  if (count > 0) {
    stats.min = lo;
    stats.max = hi;
    stats.mean = sum / count;
  }
  return stats;
}

double RoiStdDev(const GridDataSet& set, int type, int centreX, int centreY, int size) {
  const RoiStats stats = MeasureRoi(set, type, centreX, centreY, size);
  if (stats.count < 2) return kNoData;
  // The second pass, about the first pass's mean, with that mean's rounding error taken out.
  double sum = 0.0, squares = 0.0;
  ForEachRoiValue(set, type, centreX, centreY, size, [&](double v) {
    const double d = v - stats.mean;
    sum += d;
    squares += d * d;
  });
  const double n = stats.count;
  return std::sqrt(std::max(0.0, (squares - sum * sum / n) / (n - 1.0)));
}

int RoiDigits(const ViewerParams& params, int roi) {
  return std::clamp(params.roiDigits[roi == 1 ? 1 : 0], 0, kMaxDigits);
}

int RoiGridCoordinate(int pixel, int size, int imageExtent) {
  if (imageExtent <= 0) return 0;
  return static_cast<int>(static_cast<long long>(pixel) * size / imageExtent);
}

QSize DefaultRoiLabelSize(const std::string& text) {
  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(12);
  font.setBold(true);
  const QFontMetrics metrics(font);
  return QSize(metrics.horizontalAdvance(QString::fromStdString(text)), metrics.height());
}

RoiPlacement PlaceRoi(const ViewerParams& p, int roi, const GridDataSet& shown, int imageWidth,
                      int imageHeight, const TextSizer& sizer) {
  RoiPlacement place;
  if (roi < 0 || roi >= kRoiCount) return place;
  place.visible = p.roiShown[roi] != 0;
  if (!shown.active) return place;
  place.updated = true;

  const double cx = p.roiCentreX[roi], cy = p.roiCentreY[roi];
  const float scale = imageWidth > 0 ? static_cast<float>(shown.size) / imageWidth : 0.0f;
  const double radius = scale > 0 ? p.roiSize[roi] / scale : p.roiSize[roi];
  place.stats = MeasureRoi(
      shown, p.roiType[roi], RoiGridCoordinate(p.roiCentreX[roi], shown.size, imageWidth),
      RoiGridCoordinate(p.roiCentreY[roi], shown.size, imageHeight), p.roiSize[roi]);

  const bool valid = place.stats.count >= 1;
  const int digits = RoiDigits(p, roi);
  place.minText = LabelText("Min: ", place.stats.min, valid, digits);
  place.maxText = LabelText("Max: ", place.stats.max, valid, digits);
  place.meanText = LabelText("Mean: ", place.stats.mean, valid, digits);
  place.colour = p.roiColour[roi];

  place.ellipse = p.roiType[roi] != kRoiSquare;
  const int side = Trunc(2 * radius + 1);
  place.shape =
      QRect(Trunc(cx - radius) + kImageOffset, Trunc(cy - radius) + kImageOffset, side, side);

  const TextSizer& measure = sizer ? sizer : DefaultRoiLabelSize;
  const QSize maxSize = measure(place.maxText);
  const int w = std::max(maxSize.width(), measure(place.meanText).width());
  const int h = maxSize.height();
  int x = Trunc(cx + 8 + radius);
  if (imageWidth < cx + 8 + radius + w) x = Trunc(cx - (8 + radius + w));
  int minRow = Trunc(cy - 1.5 * h);
  int maxRow = static_cast<int>(cy) - h / 2;
  int meanRow = static_cast<int>(cy) + h / 2;
  int shift = 0;
  if (minRow < 2) {
    shift = 2 - minRow;
  } else if (meanRow + h > imageHeight) {
    shift = imageHeight - (meanRow + h);
  }
  minRow += shift;
  maxRow += shift;
  meanRow += shift;
  place.minPos = QPoint(x + kImageOffset, minRow + kImageOffset);
  place.maxPos = QPoint(x + kImageOffset, maxRow + kImageOffset);
  place.meanPos = QPoint(x + kImageOffset, meanRow + kImageOffset);
  return place;
}

std::array<RoiPlacement, kRoiCount> UpdateRois(const ViewerParams& p, const GridDataSet& shown,
                                               int imageWidth, int imageHeight,
                                               const TextSizer& sizer) {
  std::array<RoiPlacement, kRoiCount> places;
  for (int k = 0; k < kRoiCount; ++k) {
    if (p.roiShown[k]) places[k] = PlaceRoi(p, k, shown, imageWidth, imageHeight, sizer);
    places[k].visible = p.roiShown[k] != 0;
  }
  return places;
}

void ShowRoi(ViewerParams& params, int roi, bool shown) {
  if (roi >= 0 && roi < kRoiCount) params.roiShown[roi] = shown ? 1 : 0;
}

std::string RoiExportText(const ViewerParams& p, const GridDataSet* sets, int selectedType,
                          int imageWidth, int imageHeight, char c) {
  const int gridSize = sets[std::clamp(selectedType, 0, kMaxDataSets - 1)].size;
  const auto requests = MakeRequests(p, gridSize, imageWidth, imageHeight);
  if (!requests[0].shown && !requests[1].shown) {
    ShowMessage("ROI area not selected!");
    return "";
  }
  std::string text(2, c);
  for (int j = 0; j < kMaxDataSets; ++j) {
    if (sets[j].active) text += NameCell(sets[j].name, c) + c;
  }
  text += '\n';

  RoiStats stats[kMaxDataSets][kRoiCount];
  for (int j = 0; j < kMaxDataSets; ++j) {
    for (int k = 0; k < kRoiCount; ++k) {
      const RoiRequest& r = requests[k];
      if (!r.shown) continue;
      RoiStats s = MeasureRoi(sets[j], r.type, r.centreX, r.centreY, r.size);
      if (s.count > 0) {
        const double d = DivisorOf(sets[j]);
        s.min /= d;
        s.max /= d;
        s.mean /= d;
      } else {
        s.min = s.max = s.mean = kNoData;
      }
      stats[j][k] = s;
    }
  }

  static constexpr const char* kNames[3] = {"Min", "Max", "Mean"};
  for (int k = 0; k < kRoiCount; ++k) {
    if (!requests[k].shown) continue;
    for (int i = 0; i < 3; ++i) {
      text += "ROI" + std::to_string(k + 1) + c + kNames[i] + c;
      for (int j = 0; j < kMaxDataSets; ++j) {
        if (!sets[j].active) continue;
        const RoiStats& s = stats[j][k];
        const double v = i == 0 ? s.min : i == 1 ? s.max : s.mean;
        text += (IsValid(v) ? FormatFixed(v, requests[k].digits) : "---.--") + c;
      }
      text += '\n';
    }
  }
  return text;
}

bool WriteRoiFile(const std::string& path, const std::string& text) {
  std::string bytes;
  bytes.reserve(text.size() + text.size() / 8);
  for (char c : text) {
    if (c == '\n') bytes += '\r';
    bytes += c;
  }
  if (!WriteFileAtomically(path, bytes)) {
    ShowMessage("ROI file open error. -> " + path);
    return false;
  }
  return true;
}

std::string CopyRoiText(const ViewerParams& p, const GridDataSet* sets, int selectedType,
                        int imageWidth, int imageHeight) {
  return RoiExportText(p, sets, selectedType, imageWidth, imageHeight, '\t');
}

void ConfirmRoiCopied() { ShowMessage("Copied ROI Data to Clipboard."); }

int SaveRoiData(const std::string& path, const ViewerParams& p, const GridDataSet* sets,
                int selectedType, int imageWidth, int imageHeight) {
  const std::string text = RoiExportText(p, sets, selectedType, imageWidth, imageHeight, ',');
  if (text.empty()) return -1;
  if (!WriteRoiFile(path, text)) return -1;
  ShowMessage("ROI Data save to file completed.");
  return 1;
}

}  // namespace orvelle
