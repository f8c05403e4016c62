// The line graph: the column and row profiles of a grid through the current point, with frame,
// axis labels, legend and a dragged zoom. One graph per program: the state lives in this module
// and is reached through the free functions below (not re-entrant).
#pragma once

#include <functional>
#include <string>

#include "data/ColorTypes.h"
#include "data/GridDataSet.h"
#include "data/ViewerParams.h"
#include "views2d/MouseInput.h"

class QImage;

namespace orvelle {

inline constexpr int kLineSeriesCount = 10;
inline constexpr int kLineGraphWidth = 393;
inline constexpr int kLineGraphHeight = 233;

struct LineSeries {
  bool assigned = false;
  bool showColumn = false;  // values[columnX][k] against k
  bool showRow = false;     // values[k][rowY] against k
  bool bold = false;
  ColorRef columnColour = 0x0000FF;
  ColorRef rowColour = 0xFF8080;
  std::string columnName;
  std::string rowName;
};

struct LineGraphState {
  QImage* image = nullptr;  // drawn into; owned by the caller
  ColorRef backColour = 0x000000;
  ColorRef axisColour = 0xFFFFFF;
  ColorRef gridColour = 0x646464;
  ColorRef labelColour = 0xFFFFFF;
  float xRange = 100.0f;  // grid indices across the data width, at least 1
  float xStart = 0.0f;    // first index shown, at most 10000
  float yRange = 0.0f;    // value span over the data height
  float yShift = 0.0f;    // value at the bottom, measured from dataMin
  float dataMin = 0.0f;   // minimum valid value of the last drawn data set (0 when none)
  bool autoScale = false;
  int columnX = 0;
  int rowY = 0;
  bool legendOn = false;
  int legendX = 0;
  int legendY = 0;
  int swatchWidth = 16;
  int swatchHeight = 8;
  bool initialised = false;
  bool hasLine = false;
  LineSeries series[kLineSeriesCount];
};

// Plot layout for an image of w x h pixels: 65-pixel left and 20-pixel bottom margins, a grid of
// 10-pixel cells and data scales over whole 50-pixel label intervals.
struct PlotGeometry {
  int width = 0;
  int height = 0;
  int axisY = 0;       // the X axis row, height - 20
  int cellsX = 0;      // grid cells across
  int cellsY = 0;      // grid cells up
  int right = 0;       // grid right edge
  int top = 0;         // grid top edge
  int dataWidth = 0;   // pixels spanned by xRange
  int dataHeight = 0;  // pixels spanned by yRange
  int labelsX = 0;     // X label intervals
  int labelsY = 0;     // Y label intervals
};
PlotGeometry PlotGeometryFor(int width, int height);

// A pointer position in data units: grid index (unclamped) and value above dataMin.
struct PlotPoint {
  float index = 0.0f;
  float value = 0.0f;
};

// --- Module operations ---

// Clears the whole module state (series, ranges, zoom drag); for start-up and test fixtures.
void ResetLineGraph();
const LineGraphState& LineGraph();

// Stores the image and frame colours; xRange below 1 becomes 100, xStart above 10000 becomes
// 10000; swatch 16 x 8; marks the graph initialised. Returns 1, or -1 (no change) without image.
int InitLineGraph(QImage* image, ColorRef back, ColorRef axis, ColorRef grid, ColorRef label,
                  float xRange, float xStart, float yRange, float yShift);
// xRange below 1 becomes 1, xStart above 10000 becomes 10000, a negative yRange becomes 0.1.
void SetRanges(float yShift, float xStart, float yRange, float xRange);
// Series 0..9: marks it assigned with the column profile on, stores the colours. -1 otherwise.
int AssignSeries(int series, ColorRef columnColour, ColorRef rowColour);
// The series setters ignore a series outside 0..9.
void SetProfileFlags(int series, bool showColumn, bool showRow);
void SetSeriesColours(int series, ColorRef columnColour, ColorRef rowColour);
void SetBold(int series, bool bold);
void SetSeriesNames(int series, const std::string& columnName, const std::string& rowName);
// which: 0 back, 1 axis, 2 grid, 3 label; other values are ignored.
void SetFrameColour(int which, ColorRef colour);
void SetCrossSection(int x, int y);
void SetScaleFlags(bool autoScale);
void SetLegendOn(bool on);
void SetSwatchSize(int width, int height);
// Limited to x in [65, image width] and y in [0, image height - 20].
void SetLegendPosition(int x, int y);
// Widest legend name plus swatch width plus 12 pixels, over the enabled profiles of all series
// (every name when `all`); 0 before an image is set.
int MeasureLegend(bool all);
// Recomputes dataMin (and with autoScale the y range min..max, shift 0) from the data set, then
// draws frame, series 0's profiles and the legend. Nothing is drawn before initialisation; only the
// frame while no series holds data. kNoData points are skipped (the line joins across a gap).
void DrawLineGraph(const GridDataSet& set);
// The empty frame alone.
void DrawFrame();
PlotPoint PixelToData(int x, int y);
// The pointer is over the data area (index at most 500, inside the grid edges).
bool IsInsidePlot(int x, int y);
// Limits a plotted pixel coordinate to the grid edges (axis 0: x, 1: y); beyond the upper edge
// gives the edge plus 2. Another axis shows "<CheckGraphData> 'i_type' Value error ->N", gives -1.
int ClampPlotPixel(int value, int axis);

// --- What the main window does with the graph ---

// Window creation: initialises the graph on `image` with the colours and ranges of `params`,
// series 0's colours, bold flag and names "X=---"/"Y=---", the cross-section at (150, 150),
// auto scaling on and the legend near the top right. Then draws the empty frame.
void SetUpLineGraph(QImage* image, const ViewerParams& params);
// New data arrived: the ranges and their defaults become the data set's size and span (shifts 0)
// and series 0 is assigned with both profiles shown (as the ticked check boxes do).
void PrepareLineGraph(ViewerParams& params, const GridDataSet& set);
// The refresh: draws the graph for the shown data set when it is active; otherwise the image
// keeps its picture. Returns whether it drew.
bool RefreshLineGraph(const GridDataSet& shown);
// Check-box handlers, after GetParam (the window skips them while applying settings): profile
// flags of `series` from lgLineSelX/Y; legend from lgDrawLegend; series 0 bold from lgBoldLine.
// Each redraws through RefreshLineGraph and returns whether it drew.
bool LineGraphProfilesChanged(const ViewerParams& params, int series, const GridDataSet& shown);
bool LineGraphLegendChanged(const ViewerParams& params, const GridDataSet& shown);
bool LineGraphBoldChanged(const ViewerParams& params, const GridDataSet& shown);

// --- Pointer on the graph image ---

// Asks a Yes/No question; true for Yes.
using YesNoQuestion = std::function<bool(const std::string& text, const std::string& caption)>;

// True when the image was drawn on (the window repaints it).
struct LineGraphPointerResult {
  bool imageChanged = false;
  bool rangesChanged = false;  // lgXRange..lgYShift of the record were written
};

// Left press: with Shift moves the legend and redraws; otherwise starts a zoom drag when the
// shown data set is active and the pointer is inside the plot.
LineGraphPointerResult LineGraphMouseDown(const GridDataSet& shown, const MouseInput& input);
// While dragging: the zoom rectangle follows the pointer (drawn inverting, so it erases itself).
LineGraphPointerResult LineGraphMouseMove(const MouseInput& input);
// Left release ends a drag and zooms to the rectangle (an axis whose ends coincide keeps its
// range; a pure click changes nothing); right release cancels it. Ctrl + right release outside a
// drag asks "Reset range/shift" and on Yes restores the default ranges.
LineGraphPointerResult LineGraphMouseUp(ViewerParams& params, const GridDataSet& shown,
                                        const MouseInput& input, const YesNoQuestion& ask);
bool LineGraphDragging();

}  // namespace orvelle
