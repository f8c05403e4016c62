// Every user setting of the viewer in one record, mirrored by the window's controls, with the
// values the designed window starts with and the factory defaults. Also the entry-limit table
// that the keypad receives for each numeric label (indexed by the label's Tag).
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "data/ColorTypes.h"

namespace orvelle {

struct ViewerParams {
  uint8_t splineEnable = 0;
  int32_t splineOrder = 3;
  uint8_t autoFill = 1;
  uint8_t filterEnable = 0;
  int32_t filterSize = 3;
  uint8_t colormapMode = 1;
  ColorRef minColor = 0x000000;
  ColorRef maxColor = 0xFFFFFF;
  ColorRef backColor = 0xFF0000;
  PaletteParams colormapPalette = kDefaultPalette;
  int32_t roiType[2] = {0, 0};
  int32_t roiSize[2] = {30, 30};
  int32_t roiDigits[2] = {2, 2};
  ColorRef roiColour[2] = {0x0000FF, 0xFF0000};
  int32_t gridSize = 10;
  int32_t gridPitchX = 10;
  int32_t gridPitchY = 10;
  int32_t gridOffsetX = 0;
  int32_t gridOffsetY = 0;
  uint8_t gridShow = 0;
  ColorRef gridInnerColor = 0xFF8080;
  ColorRef gridOuterColor = 0x404040;
  int32_t rangeAreaType = 5;
  double rangeAreaV1 = 0.0;
  double rangeAreaV2 = 9999.99;
  uint8_t rangeFilter = 0;
  uint8_t tickShow = 0;
  int32_t tickLength = 5;
  int32_t tickWidth = 1;
  int32_t tickPitchX = 10;
  int32_t tickPitchY = 10;
  ColorRef tickColor = 0x000000;
  uint8_t normEnable = 0;
  float normValue = 1.0f;
  uint8_t drawContourOnMap = 0;
  int32_t contourLevels = 5;
  uint8_t copyColormap = 1;
  ColorRef contourLineColor = 0x00FFFF;
  PaletteParams contourPalette = kDefaultPalette;
  uint8_t lgLineSelX = 0;
  uint8_t lgLineSelY = 0;
  uint8_t lgBoldLine = 0;
  uint8_t lgDrawLegend = 0;
  ColorRef lgXColor[10] = {0x0000FF};
  ColorRef lgYColor[10] = {0xFF8080};
  ColorRef lgAxisColor = 0xFFFFFF;
  ColorRef lgSubColor = 0x646464;
  ColorRef lgBackColor = 0x000000;
  ColorRef lgLabelColor = 0xFFFFFF;
  int32_t d3DrawPitch = 5;
  int32_t d3DrawType = 1;
  int32_t d3LabelSize = 3;
  int32_t d3AngleX = 150;    // tenths of a degree
  int32_t d3AngleZ = -1000;  // tenths of a degree
  float d3AngleXRad = 0.0f;
  float d3AngleZRad = 0.0f;
  float d3Ratio = 5.0f;   // track bar position / 10
  float d3Zoom = 200.0f;  // track bar position
  uint8_t d3DrawFrame = 1;
  uint8_t d3DrawLabel = 1;
  uint8_t d3DrawSide = 1;
  uint8_t d3DrawSub = 1;
  ColorRef d3BackColor = 0x000000;
  ColorRef d3AxisColor = 0x0000FF;
  ColorRef d3FrameColor = 0x646464;
  ColorRef d3LabelColor = 0x0000FF;
  ColorRef d3SideColor = 0x646464;
  ColorRef d3SubColor = 0x646464;
  // Fixed 3D values that every GetParam sets.
  int32_t d3DrawMode = 2;
  float d3Fixed = 0.0f;
  uint8_t d3FixedFlag = 1;

  // Working state of the views lives in their own modules; add a member here only when a view
  // must keep it in the record.

  // Line graph: the shown index and value ranges, and the values "Reset range/shift" restores
  // (set from the data set that arrives).
  float lgXRange = 300.0f;
  float lgXStart = 0.0f;
  float lgYRange = 100.0f;
  float lgYShift = 0.0f;
  float lgXRangeDefault = 300.0f;
  float lgXStartDefault = 0.0f;
  float lgYRangeDefault = 100.0f;
  float lgYShiftDefault = 0.0f;

  // Regions of interest: placed and shown, centre in colour map pixels (ROI 1, ROI 2).
  uint8_t roiShown[2] = {0, 0};
  int32_t roiCentreX[2] = {0, 0};
  int32_t roiCentreY[2] = {0, 0};

  // Colour map pointer: the left button went down on the colour map and is still held.
  uint8_t crossDragging = 0;
};

// The values the controls of the designed window hold when it is created (also the window's
// start-up state: spline off, auto fill on, filter off with radius 3). The derived fields
// (radians, ratio) are filled in as GetParam would.
ViewerParams DesignedParams();

// Factory defaults (the record written when no settings are known).
void SetDefaultParams(ViewerParams& params);

// Entry limits handed to the keypad for a numeric label.
struct ParamLimits {
  int kind = 0;  // 0 integer entry, 1 real entry
  double min = 0.0;
  double max = 100.0;
  int maxDigits = 3;
  int decimals = 0;
  std::string text;  // the label's text when the keypad was last opened
};

inline constexpr int kParamTableSize = 50;
using ParamTable = std::array<ParamLimits, kParamTableSize>;

// The 50 entries: every one integer 0..100 with 3 digits, except the labelled Tags.
ParamTable MakeParamTable();

}  // namespace orvelle
