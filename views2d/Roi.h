// Regions of interest on the colour map: two circles or squares around grid points, their
// minimum, maximum and mean, where their outline and labels go, and the exported table.
#pragma once

#include <QRect>
#include <array>
#include <functional>
#include <string>

#include "data/GridDataSet.h"
#include "data/ViewerParams.h"

namespace orvelle {

inline constexpr int kRoiCount = 2;
inline constexpr int kRoiCircle = 0;
inline constexpr int kRoiSquare = 1;

struct RoiStats {
  double min = kNoData;
  double max = kNoData;
  double mean = kNoData;
  int count = 0;  // valid points used; -99999 when the data set is not active
};

// Statistics of the valid points within `size` grid points of (centreX, centreY): a circle
// (any type but 1) takes the offsets at distance at most `size`, a square the whole block.
// Points outside 0..500 and kNoData points are skipped; with none the three values are kNoData.
// Values are used as stored (no normalisation divisor).
RoiStats MeasureRoi(const GridDataSet& set, int type, int centreX, int centreY, int size);

// Sample standard deviation (n - 1) of the points MeasureRoi takes, as stored; kNoData with fewer
// than two of them or an inactive data set.
double RoiStdDev(const GridDataSet& set, int type, int centreX, int centreY, int size);

// Decimals of the ROI figures: the record's value limited to 0..5.
int RoiDigits(const ViewerParams& params, int roi);

// Grid point under a colour map pixel for the ROI centre: trunc(pixel * size / image extent).
int RoiGridCoordinate(int pixel, int size, int imageExtent);

// Pixel size of a label text in the window's ROI label font.
using TextSizer = std::function<QSize(const std::string& text)>;
// The sizer used when the caller has none: bold 12-pixel Arial.
QSize DefaultRoiLabelSize(const std::string& text);

// Where the window puts one ROI's outline and labels (coordinates in the colour map's panel,
// where the image sits at (2, 2)).
struct RoiPlacement {
  bool visible = false;  // the shape and labels are shown (the ROI is placed)
  bool updated = false;  // texts and geometry below are new; otherwise keep the previous ones
  bool ellipse = true;   // outline: ellipse, else square
  QRect shape;
  ColorRef colour = 0;  // outline pen and label text
  std::string minText, maxText, meanText;
  QPoint minPos, maxPos, meanPos;
  RoiStats stats;
};

// Measures ROI `roi` (0 or 1) on the shown data set and lays out its outline and labels for a
// colour map image of imageWidth x imageHeight. updated is false when the data set is not active.
RoiPlacement PlaceRoi(const ViewerParams& params, int roi, const GridDataSet& shown, int imageWidth,
                      int imageHeight, const TextSizer& sizer);
// Both ROIs: each shown one placed again; visibility follows roiShown.
std::array<RoiPlacement, kRoiCount> UpdateRois(const ViewerParams& params, const GridDataSet& shown,
                                               int imageWidth, int imageHeight,
                                               const TextSizer& sizer);
// Sets roiShown of ROI 0 or 1 (others ignored); the centre is kept.
void ShowRoi(ViewerParams& params, int roi, bool shown);

// The ROI table over the active data sets, the separator after every cell ('\t' for the
// clipboard, ',' for the file), lines ending in '\n'. With '\t' the names are UTF-8 text
// (NameText); with ',' they keep their bytes, and one holding a comma, a double quote or a line
// break is quoted, its quotes doubled. Figures are divided by each data set's
// divisor; missing ones read "---.--". The centre's grid point uses the size of data set
// `selectedType` (0..9). Empty after "ROI area not selected!" when no ROI is shown.
std::string RoiExportText(const ViewerParams& params, const GridDataSet* sets, int selectedType,
                          int imageWidth, int imageHeight, char separator);

// Writes the text as a whole file with CR LF line ends (through a temporary file and a rename, so
// an existing file is replaced whole or kept). False after "ROI file open error. -> " and the
// path when the file cannot be created, written or replaced.
bool WriteRoiFile(const std::string& path, const std::string& text);

// "Copy ROI": the tab-separated table with the names as UTF-8 text (NameText), or "" (after its
// message) when nothing is shown. The window puts a non-empty result on the clipboard and then
// calls ConfirmRoiCopied.
std::string CopyRoiText(const ViewerParams& params, const GridDataSet* sets, int selectedType,
                        int imageWidth, int imageHeight);
void ConfirmRoiCopied();
// "Save ROI" after a file name was chosen: writes the comma-separated table. Returns 1 after
// "ROI Data save to file completed.", -1 after the failure's message.
int SaveRoiData(const std::string& path, const ViewerParams& params, const GridDataSet* sets,
                int selectedType, int imageWidth, int imageHeight);

}  // namespace orvelle
