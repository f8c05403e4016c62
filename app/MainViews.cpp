// Every call from the window into the views. Each view is wired in here, in one place; until a
// view is part of the program its calls do nothing. The handlers below only forward to views.
#include <QCheckBox>
#include <QMenu>
#include <QSlider>

#include "app/Main.h"

namespace orvelle {

// Colour palette and colour bars.
void TForm1::DrawColorBars() {}
void TForm1::DrawColorBar1() {}
void TForm1::EditColormapPalette() {}

// Colour map, with its labels, grid points, tick marks (tickShapes) and then the ROIs.
void TForm1::DrawColormapView() {}
void TForm1::UpdateRoiView() {}
void TForm1::CopyRoiTable() {}
void TForm1::SaveRoiTable() {}

// Contour map.
void TForm1::InitContourView() {}
void TForm1::SetContourLevels(int) {}
void TForm1::DrawContourView() {}

// Line graph and the cross-section cursor on the colour map.
void TForm1::InitLineGraphView() {}
void TForm1::DrawLineGraphView() {}
void TForm1::PrepareLineGraphSeries(int) {}
void TForm1::PlaceCursorAtCentre() {}
void TForm1::ApplyLineGraphSeriesColors(int) {}
void TForm1::ApplyLineGraphColors() {}

void TForm1::Img_ColorMapMouseDown(const MouseEventInfo& info) {
  if (!ShownDataSet().active) return;
  if (info.button == Qt::RightButton && !info.ctrl) {
    // The menu's items act on the colour map (Tag 0) and only when there are data.
    for (QAction* item : {Pmn_CopyImage, Pmn_CopyROI, Pmn_SaveROI, Pmn_RangeReset}) {
      SetTag(item, 0);
      item->setEnabled(ShownDataSet().active);
    }
    Pmn_Menu->popup(Img_ColorMap->mapToGlobal(QPoint(info.x, info.y)));
  }
}

void TForm1::Img_ColorMapMouseMove(const MouseEventInfo&) {}
void TForm1::Img_ColorMapMouseUp(const MouseEventInfo&) {}

void TForm1::Chk_LG_DrawDataClick() {
  GetParam();
  DrawLineGraphView();
}

void TForm1::Chk_LG_DrawLegendClick() {
  GetParam();
  if (ShownDataSet().active) DrawLineGraphView();
}

void TForm1::Chk_LG_BoldLineClick() {
  GetParam();
  if (ShownDataSet().active) DrawLineGraphView();
}

void TForm1::Chk_CopyColormapClick() {
  if (applyingParams) return;
  GetParam();
  DrawContourView();
}

void TForm1::Chk_CM_DrawContourClick() {
  if (applyingParams) return;
  GetParam();
  DrawColorBar1();
  DrawColormapView();
}

void TForm1::Cmb_ROI_Change() {
  GetParam();
  UpdateRoiView();
}

}  // namespace orvelle
