#include "data/ViewerParams.h"

#include <cmath>

namespace orvelle {
namespace {
constexpr double kPi = 3.14159265358979323846;

void DeriveAngles(ViewerParams& p) {
  p.d3AngleXRad = static_cast<float>(p.d3AngleX * kPi / 1800.0);
  p.d3AngleZRad = static_cast<float>(p.d3AngleZ * kPi / 1800.0);
}
}  // namespace

ViewerParams DesignedParams() {
  ViewerParams p;
  DeriveAngles(p);
  return p;
}

void SetDefaultParams(ViewerParams& p) {
  p.splineEnable = 1;
  p.splineOrder = 2;
  p.autoFill = 1;
  p.filterEnable = 0;
  p.filterSize = 3;
  p.colormapMode = 1;
  p.minColor = 0x000000;
  p.maxColor = 0xFFFFFF;
  p.backColor = 0xFF0000;
  p.colormapPalette = kDefaultPalette;
  for (int i = 0; i < 2; ++i) {
    p.roiType[i] = 0;
    p.roiSize[i] = 10;
    p.roiDigits[i] = 2;
  }
  p.roiColour[0] = 0x0000FF;
  p.roiColour[1] = 0xFF0000;
  p.gridSize = 2;
  p.gridPitchX = 10;
  p.gridPitchY = 10;
  p.gridOffsetX = 0;
  p.gridOffsetY = 0;
  p.gridShow = 0;
  p.gridInnerColor = 0xFF8080;
  p.gridOuterColor = 0x808080;
  p.rangeAreaType = 0;
  p.rangeAreaV1 = 0.0;
  p.rangeAreaV2 = 9999.99;
  p.rangeFilter = 0;
  p.tickShow = 1;
  p.tickLength = 5;
  p.tickWidth = 2;
  p.tickPitchX = 10;
  p.tickPitchY = 10;
  p.tickColor = 0x000000;
  p.normEnable = 0;
  p.normValue = 1.0f;
  p.drawContourOnMap = 0;
  p.contourLevels = 6;
  p.copyColormap = 1;
  p.contourLineColor = 0x00FFFF;
  p.contourPalette = kDefaultPalette;
  p.lgLineSelX = 0;
  p.lgLineSelY = 0;
  p.lgBoldLine = 1;
  p.lgDrawLegend = 1;
  p.lgXColor[0] = 0x0000FF;
  p.lgYColor[0] = 0xFF8080;
  p.lgAxisColor = 0xFFFFFF;
  p.lgSubColor = 0x646464;
  p.lgBackColor = 0x000000;
  p.lgLabelColor = 0xFFFFFF;
  p.d3DrawPitch = 5;
  p.d3DrawType = 1;
  p.d3LabelSize = 3;
  p.d3AngleX = 350;
  p.d3AngleZ = -450;
  DeriveAngles(p);
  p.d3Ratio = 2.0f;
  p.d3Zoom = 150.0f;
  p.d3DrawFrame = 1;
  p.d3DrawLabel = 1;
  p.d3DrawSide = 1;
  p.d3DrawSub = 1;
  p.d3BackColor = 0x000000;
  p.d3AxisColor = 0x0000FF;
  p.d3FrameColor = 0x646464;
  p.d3LabelColor = 0x0000FF;
  p.d3SideColor = 0x808080;
  p.d3SubColor = 0x808080;
}

ParamTable MakeParamTable() {
  ParamTable t{};
  auto set = [&t](int tag, int kind, double min, double max, int digits, int decimals) {
    t[tag].kind = kind;
    t[tag].min = min;
    t[tag].max = max;
    t[tag].maxDigits = digits;
    t[tag].decimals = decimals;
  };
  set(0, 0, 1, 50, 2, 0);
  set(1, 0, 2, 50, 2, 0);
  set(3, 1, -99998.999, 99999.9, 10, 3);
  set(4, 1, -99998.999, 99999.9, 10, 3);
  set(5, 0, 1, 100, 3, 0);
  set(10, 0, 1, 100, 3, 0);
  set(11, 0, 1, 100, 3, 0);
  set(13, 0, 0, 300, 3, 0);
  set(20, 1, -99999.9, 99999.9, 8, 2);
  set(30, 0, 5, 100, 3, 0);
  set(32, 0, 1, 10, 3, 0);
  set(33, 0, 1, 3, 2, 0);
  set(35, 1, 0.001, 999.999, 7, 3);
  set(40, 0, 2, 4, 1, 0);
  return t;
}

}  // namespace orvelle
