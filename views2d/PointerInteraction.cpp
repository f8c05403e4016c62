#include "views2d/PointerInteraction.h"

#include <algorithm>

#include "views2d/FixedText.h"
#include "views2d/LineGraph.h"
#include "views2d/Roi.h"

namespace orvelle {
namespace {

constexpr int kImageOffset = 2;
// Significant digits of the value read-out.
constexpr int kReadoutPrecision = 10;

struct GridIndex {
  int x = 0;
  int y = 0;
};

GridIndex TruncatedGrid(int imageWidth, int imageHeight, const GridDataSet& set, int x, int y) {
  const GridPointF p = PixelToGrid(imageWidth, imageHeight, set, x, y);
  return {static_cast<int>(p.x), static_cast<int>(p.y)};
}

}  // namespace

GridPointF PixelToGrid(int imageWidth, int imageHeight, const GridDataSet& set, int x, int y) {
  return PixelToGrid(imageWidth, imageHeight, set.size, x, y);
}

GridPointF PixelToGrid(int imageWidth, int imageHeight, int size, int x, int y) {
  const float top = static_cast<float>(std::clamp(size, 0, kGridDim - 1));
  auto map = [&](int pixel, int extent) {
    if (extent <= 0) return 0.0f;
    const float v = static_cast<float>(pixel) * static_cast<float>(size + 1) / extent;
    return std::clamp(v, 0.0f, top);
  };
  return {map(x, imageWidth), map(y, imageHeight)};
}

CrossLines PlaceCrossSection(const GridDataSet& shown, int imageWidth, int imageHeight, int x,
                             int y) {
  const GridIndex gi = TruncatedGrid(imageWidth, imageHeight, shown, x, y);
  SetSeriesNames(0, "X=" + std::to_string(gi.x), "Y=" + std::to_string(gi.y));
  SetCrossSection(gi.x, gi.y);
  return {kImageOffset + x, kImageOffset + y};
}

PointerReadout ReadoutAt(const GridDataSet& shown, int imageWidth, int imageHeight, int x, int y) {
  const GridIndex gi = TruncatedGrid(imageWidth, imageHeight, shown, x, y);
  const double v = shown.values[gi.x][gi.y];
  return {std::to_string(gi.x), std::to_string(gi.y),
          IsValid(v) ? FormatFixedSignificant(v, kReadoutPrecision, 3) : "----.---"};
}

ColorMapPointerResult ColorMapMouseMove(ViewerParams& params, const GridDataSet& shown,
                                        int senderWidth, int senderHeight, int colorMapWidth,
                                        int colorMapHeight, const MouseInput& in) {
  ColorMapPointerResult result;
  if (!shown.active) return result;
  result.handled = true;
  const int x = std::clamp(in.x, 0, std::max(senderWidth, 0));
  const int y = std::clamp(in.y, 0, std::max(senderHeight, 0));
  result.showReadout = true;
  result.readout = ReadoutAt(shown, senderWidth, senderHeight, x, y);
  if (params.crossDragging) {
    result.linesMoved = true;
    result.lines = PlaceCrossSection(shown, colorMapWidth, colorMapHeight, x, y);
    result.lineGraphChanged = RefreshLineGraph(shown);
  }
  return result;
}

ColorMapPointerResult ColorMapMouseDown(ViewerParams& params, const GridDataSet& shown,
                                        int imageWidth, int imageHeight, const MouseInput& in) {
  ColorMapPointerResult result;
  if (!shown.active) return result;
  result.handled = true;
  if (in.ctrl) {
    const int roi = in.button == MouseButton::Left ? 0 : in.button == MouseButton::Right ? 1 : -1;
    if (roi >= 0) {
      params.roiCentreX[roi] = in.x;
      params.roiCentreY[roi] = in.y;
      ShowRoi(params, roi, true);
      result.roiPlaced = roi;
    }
  } else if (in.button == MouseButton::Left) {
    params.crossDragging = 1;
    if (!in.shift) {
      result.linesMoved = true;
      result.lines = PlaceCrossSection(shown, imageWidth, imageHeight, in.x, in.y);
    }
  } else if (in.button == MouseButton::Right) {
    result.openMenu = true;
    result.menuItemsEnabled = shown.active != 0;
  }
  // Every press on active data redraws the graph.
  result.lineGraphChanged = RefreshLineGraph(shown);
  return result;
}

void ColorMapMouseUp(ViewerParams& params) { params.crossDragging = 0; }

bool RoiWidgetMouseDown(ViewerParams& params, int tag, const MouseInput& in) {
  if (!in.ctrl || tag < 0 || tag >= kRoiCount) return false;
  ShowRoi(params, tag, false);
  return true;
}

}  // namespace orvelle
