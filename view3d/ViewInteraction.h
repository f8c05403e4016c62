// The 3D view's steering without widgets: the ranges and start positions of its track bars,
// the absolute mouse drags (left: turn and tilt, right: zoom and height ratio) and the
// conversions from bar positions to renderer settings and read-out texts.
#pragma once

#include <cstdint>
#include <string>

namespace orvelle {

struct BarRange {
  int min = 0;
  int max = 0;
  int start = 0;
};

inline constexpr BarRange kTiltBar{0, 900, 150};         // Tkb_3D_X, tenths of a degree
inline constexpr BarRange kTurnBar{-1800, 1800, -1000};  // Tkb_3D_Z, tenths of a degree
inline constexpr BarRange kRatioBar{0, 100, 50};         // Tkb_3D_Ratio, ratio x 10
inline constexpr BarRange kZoomBar{0, 1000, 200};        // Tkb_3D_Zoom, scene scale x 100
inline constexpr BarRange kDrawPitchBar{1, 50, 5};       // Tkb_3D_DrawPitch, grid points
inline constexpr BarRange kLabelSizeBar{1, 10, 3};       // Tkb_3D_LabelSize

// Positions of the four hidden view bars.
struct ViewBars {
  int tilt = kTiltBar.start;
  int turn = kTurnBar.start;
  int ratio = kRatioBar.start;
  int zoom = kZoomBar.start;
  friend bool operator==(const ViewBars&, const ViewBars&) = default;
};

// A drag on the panel: what it changes, where it started and the bar values at its start
// (startA: turn or zoom, startB: tilt or ratio).
struct DragState {
  uint8_t rotating = 0;
  uint8_t scaling = 0;
  int pressX = 0;
  int pressY = 0;
  int startA = 0;
  int startB = 0;
};

enum class DragButton { kLeft, kRight, kOther };

// A press at panel pixel (x, y): the left button starts turning, the right one scaling (either
// one restarts a drag in progress); every button records the press point.
void DragPress(DragState& drag, DragButton button, int x, int y, const ViewBars& bars);

// The bar positions for the pointer at (x, y), computed from the press point and the values at
// the press (one pixel is half a degree; right: 2 zoom steps a pixel to the right, one ratio
// step per 3 pixels up), clamped to the bars' ranges. `bars` comes back unchanged when no
// drag is in progress.
ViewBars DragMove(const DragState& drag, int x, int y, ViewBars bars);

// Any release ends the drag and clears the press point and start values.
void DragRelease(DragState& drag);

// Renderer settings from bar positions: tenths of a degree to radians (single precision),
// ratio position x 0.1.
float BarToRadians(int tenths);
float BarToRatio(int position);

// Frame times measured at each draw pitch (index = pitch 1..50; 0 or less: not measured), and
// the time per sampled grid point of the latest measured frame, for the pitches not measured.
struct FrameCosts {
  double ms[51] = {};
  double msPerPoint = 0.0;
};

// Grid points a frame at pitch p samples over the extent: (extent / p + 1) squared.
double SampledPoints(int extent, int pitch);

// Records a drawn frame of `ms` at `pitch` over `extent`.
void RecordFrameCost(FrameCosts& costs, int extent, int pitch, double ms);

// The finest pitch, not finer than `pitch` (1..50), whose predicted frame fits into `budgetMs`:
// the measured time at that pitch, or else the time per point times its points. With nothing
// measured yet, `pitch` itself; when no pitch fits, 50.
int InteractivePitchFor(const FrameCosts& costs, int extent, int pitch, double budgetMs);

// Read-out of a view value: fixed point with one decimal, '.' whatever the locale ("15.0").
std::string FormatReadout(double value);

}  // namespace orvelle
