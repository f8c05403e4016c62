// The contour map: iso-lines of the shown data set traced cell by cell over the grid nodes, one
// colour of the contour palette per level, over a two-colour underlay of the data or on black.
// The tracer keeps its state at module level (level count, visited nodes, pen, start edge), so a
// drawing is not re-entrant.
#pragma once

#include <QImage>
#include <QString>
#include <array>
#include <vector>

#include "data/ColorTypes.h"
#include "data/GridDataSet.h"
#include "data/ViewerParams.h"
#include "views2d/ColorMap.h"

namespace orvelle {

// A grid node (x, y), both 0..size.
struct GridNode {
  int x = 0;
  int y = 0;
  friend bool operator==(const GridNode&, const GridNode&) = default;
};

// One drawn line piece in image pixels, with its pen colour.
struct ContourSegment {
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  ColorRef color = 0;
};

// Text of the five range labels when the data set cannot be drawn.
inline constexpr const char* kContourDashText = "---.---";

// Installs the full-saturation start palette and sets the level count. Called once while the
// window is built, after the colour bars are drawn.
void InitContourModule(int levelCount);

// Sets the fill colour of a drawing without underlay; the other three colours are not used.
void SetContourColors(ColorRef fill, ColorRef c0, ColorRef c1, ColorRef line);

// Sets the number of levels the next drawing uses (the window calls it after the entry changed).
void SetContourLevelCount(int levelCount);
int ContourLevelCount();

// Back to the state at program start (no levels, black fill, nothing recorded). For tests.
void ResetContourModule();

// Tests only: every segment drawn from now on is also appended to *sink (nullptr stops it).
void SetContourSegmentRecorder(std::vector<ContourSegment>* sink);

// The whole contour view from settings that GetParam has just filled: the five range labels
// (index 0 is the bottom label, quarters of the range divided by a non-zero normDivisor; dashes
// unless d is active and processed), the underlay (two-colour picture of d through the colour
// map's working threshold test, no-data points in backColor) when copyColormap is set, then the
// lines. Installs the contour palette.
void DrawContour(QImage& image, const GridDataSet& d, const ViewerParams& params,
                 const ThresholdTest& thresholdTest, std::array<QString, 5>& labels);

// Installs p, then draws the module's level count of lines of d (grid size n) into the image
// (Format_RGB32, its own size): over a fresh picture filled with the fill colour when
// fillBackground is set, over the present picture otherwise. Level i of L lies at i / (L + 1) of
// the stored range and takes the palette colour of that position. No lines unless d is active
// and processed and 2 <= n <= 500.
void DrawContourLines(QImage& image, const GridDataSet& d, int n, const PaletteParams& p,
                      bool fillBackground);

// Follows one line from the oriented edge P -> Q (a crossing of `level`) cell by cell, drawing
// from the module's pen position, until it reaches the grid border or meets the start edge again.
// Only meaningful inside DrawContourLines, which sets up the pen, start edge and geometry.
void TraceContour(QImage& canvas, const GridDataSet& d, double level, GridNode p, GridNode q);

}  // namespace orvelle
