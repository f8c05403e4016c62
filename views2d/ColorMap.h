// The colour map: the shown data set painted point by point through the palette, its value
// labels, the count of points inside the threshold range (optionally hiding the others), grid
// point dots and the geometry of the tick marks under and beside the map's panel. Everything is
// computed from the data set and the viewer settings; the window copies the results into its
// controls.
#pragma once

#include <QImage>
#include <QString>
#include <array>
#include <cstdint>

#include "data/ColorTypes.h"
#include "data/GridDataSet.h"
#include "data/ViewerParams.h"

namespace orvelle {

// The condition on values of the "Threshold Range Area" group. Types: 0 x < V1, 1 x <= V1,
// 2 x > V1, 3 x >= V1, 4 V1 < x < V2, 5 V1 <= x <= V2.
struct ThresholdTest {
  uint8_t enabled = 0;
  int32_t type = 0;
  double limitV1 = 0.0;
  double limitV2 = 0.0;
};

// Designed size of the colour map image.
inline constexpr int kColormapSize = 301;
inline constexpr int kMaxTicks = 20;

// Where the colour map's panel sits in the window's client area (the image is 2 pixels inside).
struct ColormapPanelGeometry {
  int left = 8;
  int top = 6;
  int height = 305;
};

// One tick-mark rectangle in window coordinates.
struct TickShape {
  bool visible = false;
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  ColorRef color = 0;
};

// Row 0: the X ticks below the panel; row 1: the Y ticks left of it. When `placed` is false all
// 40 shapes are to be hidden and keep their previous geometry.
struct TickLayout {
  bool placed = false;
  std::array<std::array<TickShape, kMaxTicks>, 2> shapes{};
};

// What the window shows around the colour map after a redraw.
struct ColormapResult {
  QString minText, midText, maxText, meanText;  // Lbl_Min, Lbl_Mid, Lbl_Max, Lbl_Mean
  QString sizeText;                             // Lbl_CM_Size, "300 x 300"
  QString countText;                            // Lbl_RangeArea
  int32_t count = 0;                            // the threshold count (0 for an inactive set)
  TickLayout ticks;
};

// Text of an inactive data set's value labels.
inline constexpr const char* kColormapDashText = "----.---";
inline constexpr const char* kSizeDashText = "--- x ---";
inline constexpr const char* kCountDashText = "----";

// Fixed notation with `decimals` decimals after rounding to `precision` significant digits;
// scientific notation when the integer part needs more digits than `precision`. `decimalPoint`
// replaces '.'; an empty one means the system locale's separator.
QString FormatFixed(double value, int precision, int decimals, const QString& decimalPoint = {});

// True when x meets the condition, always true when the test is not enabled. Types 4 and 5 with
// V1 >= V2, and unknown types, never pass.
bool InThreshold(double x, const ThresholdTest& test);

// Valid points over the whole 501 x 501 grid (not only up to `size`) that pass the test after
// dividing by a non-zero normDivisor.
int32_t CountInThreshold(const GridDataSet& d, const ThresholdTest& test);

// Paints d into the image (Format_RGB32, its own size): pixel (i, j) shows grid point
// (trunc(i * size / W), trunc(j * size / H)) in the palette colour of its place between rangeMin
// (c0) and rangeMax (c1), clamped; the colour of position 0.5 when the range is empty. Points
// without data, and with an enabled test those that fail it, get noDataColor. With an enabled
// test, values and range are divided by a non-zero normDivisor. Reads the installed palette.
void RenderValueImage(QImage& image, const GridDataSet& d, uint8_t colourMode,
                      const ThresholdTest& test, ColorRef noDataColor, ColorRef c1, ColorRef c0);

// Overlays a dot (outer colour, diameter gridSize div 2 * 2, with an inner dot of half that
// radius) at every pitch from the offset, in grid units scaled to the image. Nothing for an
// inactive set.
void DrawGridPoints(QImage& image, const GridDataSet& d, int gridSize, int pitchX, int pitchY,
                    int offsetX, int offsetY, ColorRef innerColor, ColorRef outerColor);

// Geometry of the 2 x 20 tick shapes for an image of imageWidth x imageHeight in the panel at
// `panel`: one per pitch from the grid origin, at most 20 per axis. Not placed (all hidden) for
// an inactive set or when tickShow is 0.
TickLayout PlaceTicks(const GridDataSet& d, int imageWidth, int imageHeight,
                      const ColormapPanelGeometry& panel, uint8_t tickShow, int tickLength,
                      int tickWidth, int tickPitchX, int tickPitchY, ColorRef tickColor);

// The whole colour map redraw from settings that GetParam has just filled: labels, threshold
// count, the picture (with grid points) and the tick geometry. Fills the window's working
// `thresholdTest` from the settings and leaves it enabled exactly when the filter is on; the
// contour underlay reads it afterwards. The window updates its ROIs after this call. Reads the
// installed palette.
void DrawColormap(QImage& image, const GridDataSet& d, const ViewerParams& params,
                  ThresholdTest& thresholdTest, ColormapResult& result,
                  const ColormapPanelGeometry& panel = {});

}  // namespace orvelle
