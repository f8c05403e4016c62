// The controls as the master copy of the settings: GetParam/SetParam, the keypad labels, the
// colour range edits, the colour swatches and the small check-box handlers.
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QSlider>
#include <cmath>

#include "app/Keypad.h"
#include "app/Main.h"
#include "data/Message.h"
#include "platform/Dialogs.h"

namespace orvelle {
namespace {

constexpr double kPi = 3.14159265358979323846;

// The labels only ever hold text the program wrote or the keypad confirmed.
int LabelInt(const QLabel* label) { return label->text().trimmed().toInt(); }
double LabelReal(const QLabel* label) { return label->text().trimmed().toDouble(); }
uint8_t Flag(const QCheckBox* box) { return box->isChecked() ? 1 : 0; }

}  // namespace

void TForm1::GetParam() {
  selectedType = std::max(Cmb_DataType->currentIndex(), 0);
  ViewerParams& p = params;
  p.splineEnable = Flag(Chk_Spline_Enable);
  p.splineOrder = LabelInt(Lbl_Spline_Order);
  p.autoFill = Flag(Chk_AutoFill);
  p.filterEnable = Flag(Chk_Filter);
  p.filterSize = LabelInt(Lbl_FilterSize);
  p.colormapMode = Flag(Chk_Colormap);
  p.minColor = Shp_Color_Min->BrushColor();
  p.maxColor = Shp_Color_Max->BrushColor();
  p.backColor = Shp_Color_Back->BrushColor();
  // The second ROI's controls are hidden: both ROIs share the first one's type, size and digits.
  for (int r = 0; r < 2; ++r) {
    p.roiType[r] = Cmb_ROI_Type_1->currentIndex();
    p.roiSize[r] = LabelInt(Lbl_ROI_Size_1);
    p.roiDigits[r] = Cmb_ROI_FDigit_1->currentIndex();
  }
  p.roiColour[0] = Shp_ROI_Color_1->BrushColor();
  p.roiColour[1] = Shp_ROI_Color_2->BrushColor();
  p.gridSize = LabelInt(Lbl_Grid_Size);
  p.gridPitchX = LabelInt(Lbl_Grid_XPitch);
  p.gridPitchY = LabelInt(Lbl_Grid_YPitch);
  p.gridOffsetX = LabelInt(Lbl_Grid_XOffset);
  p.gridOffsetY = LabelInt(Lbl_Grid_YOffset);
  p.gridShow = Flag(Chk_Grid_Show);
  p.gridInnerColor = Shp_Grid_Inner->BrushColor();
  p.gridOuterColor = Shp_Grid_Outer->BrushColor();
  p.rangeAreaType = Cmb_RangeArea_Type->currentIndex();
  p.rangeAreaV1 = LabelReal(Lbl_RangeArea_V1);
  p.rangeAreaV2 = LabelReal(Lbl_RangeArea_V2);
  p.rangeFilter = Flag(Chk_RangeFilter);
  p.tickShow = Flag(Chk_Tick_Show);
  p.tickLength = LabelInt(Lbl_Tick_Length);
  p.tickWidth = LabelInt(Lbl_Tick_Width);
  p.tickPitchX = LabelInt(Lbl_Tick_XPitch);
  p.tickPitchY = LabelInt(Lbl_Tick_YPitch);
  p.tickColor = Shp_Tick_Color->BrushColor();
  p.normEnable = Flag(normChecks[0]);
  p.normValue = static_cast<float>(LabelReal(normLabels[0]));
  p.drawContourOnMap = Flag(Chk_CM_DrawContour);
  p.contourLevels = LabelInt(Lbl_BorderCount);
  p.copyColormap = Flag(Chk_CopyColormap);
  p.contourLineColor = 0x00FFFF;
  p.lgLineSelX = Flag(Chk_LG_LineSel01_X);
  p.lgLineSelY = Flag(Chk_LG_LineSel01_Y);
  p.lgBoldLine = Flag(Chk_LG_BoldLine);
  p.lgDrawLegend = Flag(Chk_LG_DrawLegend);
  p.lgXColor[0] = Shp_LG_Line01->BrushColor();
  p.lgYColor[0] = Shp_LG_LSub01->BrushColor();
  p.lgAxisColor = Shp_LG_Axis->BrushColor();
  p.lgSubColor = Shp_LG_Sub->BrushColor();
  p.lgBackColor = Shp_LG_Back->BrushColor();
  p.lgLabelColor = Shp_LG_Label->BrushColor();
  p.d3DrawPitch = Tkb_3D_DrawPitch->value();
  p.d3DrawType = Rdo_3D_DrawType->ItemIndex();
  p.d3LabelSize = Tkb_3D_LabelSize->value();
  p.d3AngleX = Tkb_3D_X->value();
  p.d3AngleZ = Tkb_3D_Z->value();
  p.d3AngleXRad = static_cast<float>(p.d3AngleX * kPi / 1800.0);
  p.d3AngleZRad = static_cast<float>(p.d3AngleZ * kPi / 1800.0);
  p.d3Ratio = static_cast<float>(Tkb_3D_Ratio->value() * 0.1);
  p.d3Zoom = static_cast<float>(Tkb_3D_Zoom->value());
  p.d3DrawFrame = Flag(Chk_3D_DrawFrame);
  p.d3DrawLabel = Flag(Chk_3D_DrawLabel);
  p.d3DrawSide = Flag(Chk_3D_DrawSide);
  p.d3DrawSub = Flag(Chk_3D_DrawSub);
  p.d3BackColor = Shp_3D_Back->BrushColor();
  p.d3AxisColor = Shp_3D_Axis->BrushColor();
  p.d3FrameColor = Shp_3D_Frame->BrushColor();
  p.d3LabelColor = Shp_3D_Label->BrushColor();
  p.d3SideColor = Shp_3D_Side->BrushColor();
  p.d3SubColor = Shp_3D_Sub->BrushColor();

  dataSets[0].normDivisor = p.normEnable ? static_cast<double>(p.normValue) : 1.0;

  p.d3DrawMode = 2;
  p.d3Fixed = 0.0f;
  p.d3FixedFlag = 1;
  Rdo_3D_DrawType->setEnabled(true);
}

void TForm1::SetParam() {
  // Ticking a box runs its handler, and some handlers (the range filter's) read every control back
  // into the record: the values still to be written must not come from the record itself.
  const ViewerParams p = params;
  auto number = [](int v) { return QString::number(v); };
  Chk_Spline_Enable->setChecked(p.splineEnable);
  Lbl_Spline_Order->setText(number(p.splineOrder));
  Chk_AutoFill->setChecked(p.autoFill);
  Chk_Filter->setChecked(p.filterEnable);
  Lbl_FilterSize->setText(number(p.filterSize));
  Chk_Colormap->setChecked(p.colormapMode);
  Shp_Color_Min->SetBrushColor(p.minColor);
  Shp_Color_Max->SetBrushColor(p.maxColor);
  Shp_Color_Back->SetBrushColor(p.backColor);
  Cmb_ROI_Type_1->setCurrentIndex(p.roiType[0]);
  Cmb_ROI_Type_2->setCurrentIndex(p.roiType[1]);
  Lbl_ROI_Size_1->setText(number(p.roiSize[0]));
  Lbl_ROI_Size_2->setText(number(p.roiSize[1]));
  Cmb_ROI_FDigit_1->setCurrentIndex(p.roiDigits[0]);
  Cmb_ROI_FDigit_2->setCurrentIndex(p.roiDigits[1]);
  Shp_ROI_Color_1->SetBrushColor(p.roiColour[0]);
  Shp_ROI_Color_2->SetBrushColor(p.roiColour[1]);
  Lbl_Grid_Size->setText(number(p.gridSize));
  Lbl_Grid_XPitch->setText(number(p.gridPitchX));
  Lbl_Grid_YPitch->setText(number(p.gridPitchY));
  Lbl_Grid_XOffset->setText(number(p.gridOffsetX));
  Lbl_Grid_YOffset->setText(number(p.gridOffsetY));
  Chk_Grid_Show->setChecked(p.gridShow);
  Shp_Grid_Inner->SetBrushColor(p.gridInnerColor);
  Shp_Grid_Outer->SetBrushColor(p.gridOuterColor);
  Cmb_RangeArea_Type->setCurrentIndex(p.rangeAreaType);
  // Setting the item index runs no change handler; the V2 label must still follow the type.
  Lbl_RangeArea_V2->setEnabled(p.rangeAreaType > 3);
  Lbl_RangeArea_V1->setText(QString::number(p.rangeAreaV1, 'f', 2));
  Lbl_RangeArea_V2->setText(QString::number(p.rangeAreaV2, 'f', 2));
  Chk_RangeFilter->setChecked(p.rangeFilter);
  Chk_Tick_Show->setChecked(p.tickShow);
  Lbl_Tick_Length->setText(number(p.tickLength));
  Lbl_Tick_Width->setText(number(p.tickWidth));
  Lbl_Tick_XPitch->setText(number(p.tickPitchX));
  Lbl_Tick_YPitch->setText(number(p.tickPitchY));
  Shp_Tick_Color->SetBrushColor(p.tickColor);
  normChecks[0]->setChecked(p.normEnable);
  normLabels[0]->setText(QString::number(static_cast<double>(p.normValue), 'f', 3));
  Chk_CM_DrawContour->setChecked(p.drawContourOnMap);
  Lbl_BorderCount->setText(number(p.contourLevels));
  Chk_CopyColormap->setChecked(p.copyColormap);
  Chk_LG_BoldLine->setChecked(p.lgBoldLine);
  Chk_LG_DrawLegend->setChecked(p.lgDrawLegend);
  Shp_LG_Line01->SetBrushColor(p.lgXColor[0]);
  Shp_LG_LSub01->SetBrushColor(p.lgYColor[0]);
  Shp_LG_Axis->SetBrushColor(p.lgAxisColor);
  Shp_LG_Sub->SetBrushColor(p.lgSubColor);
  Shp_LG_Back->SetBrushColor(p.lgBackColor);
  Shp_LG_Label->SetBrushColor(p.lgLabelColor);
  Rdo_3D_DrawType->SetItemIndex(p.d3DrawType);
  Tkb_3D_DrawPitch->setValue(p.d3DrawPitch);
  Tkb_3D_LabelSize->setValue(p.d3LabelSize);
  Chk_3D_DrawFrame->setChecked(p.d3DrawFrame);
  Chk_3D_DrawLabel->setChecked(p.d3DrawLabel);
  Chk_3D_DrawSide->setChecked(p.d3DrawSide);
  Chk_3D_DrawSub->setChecked(p.d3DrawSub);
  Shp_3D_Back->SetBrushColor(p.d3BackColor);
  Shp_3D_Axis->SetBrushColor(p.d3AxisColor);
  Shp_3D_Frame->SetBrushColor(p.d3FrameColor);
  Shp_3D_Label->SetBrushColor(p.d3LabelColor);
  Shp_3D_Side->SetBrushColor(p.d3SideColor);
  Shp_3D_Sub->SetBrushColor(p.d3SubColor);
  // A handler that ran above left the record half designed; the controls now hold every value.
  GetParam();
}

void TForm1::Lbl_DataDblClick(TagLabel* label) {
  GetParam();
  const int tag = TagOf(label);
  if (tag < 0 || tag >= kParamTableSize) return;
  if ((tag == 3 || tag == 4) && !ShownDataSet().active) return;
  ParamLimits& entry = paramTable[tag];
  const QString previous = label->text();
  entry.text = previous.toStdString();
  const std::optional<QString> typed = RunKeypad(this, entry, previous);
  if (!typed) return;
  label->setText(*typed);
  // The steps below read the record, which must hold the new value.
  GetParam();
  switch (tag) {
    case 1:
      SetContourLevels(params.contourLevels);
      DrawContourView();
      break;
    case 3:
    case 4: {
      const double value = typed->trimmed().toDouble();
      const bool ok =
          tag == 3 ? SetRangeMin(ShownDataSet(), value) : SetRangeMax(ShownDataSet(), value);
      if (ok) {
        DrawColormapView();
        Btn_RangeReset->setEnabled(true);
      } else {
        // A refused value must not stay on the label as if it were the range.
        label->setText(previous);
      }
      break;
    }
    case 5:
      UpdateRoiView();
      break;
    case 10:
    case 11:
    case 13:
    case 20:
    case 30:
    case 32:
    case 33:
      DrawColormapView();
      break;
    case 35:
      RefreshViews();
      break;
    default:
      break;
  }
}

bool TForm1::SetRangeMin(GridDataSet& set, double value) {
  if (!set.active) {
    ShowMessage("Data is not selected.");
    return false;
  }
  if (value <= set.rangeMax) {
    set.rangeMin = value;
    return true;
  }
  ShowMessage("'Min' value must be '<Max'.");
  return false;
}

bool TForm1::SetRangeMax(GridDataSet& set, double value) {
  if (!set.active) {
    ShowMessage("Data is not selected.");
    return false;
  }
  if (value >= set.rangeMin) {
    set.rangeMax = value;
    return true;
  }
  ShowMessage("'Max' value must not be '<Min'.");
  return false;
}

void TForm1::ResetRange(GridDataSet& set) {
  set.rangeMin = set.defaultMin;
  set.rangeMax = set.defaultMax;
}

void TForm1::Btn_RangeResetClick() {
  GetParam();
  GridDataSet& set = ShownDataSet();
  const QString text =
      QString("Reset Min/Max range to default.\n -> Min=%1,Max=%2\nAre you sure?")
          .arg(QString::number(set.defaultMin, 'f', 3), QString::number(set.defaultMax, 'f', 3));
  if (!AskQuestion("Reset range", text, QuestionButtons::OkCancel)) return;
  ResetRange(set);
  Btn_RangeReset->setEnabled(false);
  DrawColormapView();
}

void TForm1::Shp_Color_MouseDown(ColorShape* swatch) {
  const std::optional<ColorRef> chosen = ShowColorDialog(this, swatch->BrushColor());
  if (!chosen) return;
  swatch->SetBrushColor(*chosen);
  GetParam();
  const int tag = TagOf(swatch);
  if (tag >= 0 && tag <= 2) {
    DrawColorBar1();
    DrawColormapView();
    Apply3DColors();  // the colour-range colours are the renderer's low and high colours
  } else if (tag >= 3 && tag <= 8) {
    Shp_CM_VertLine->SetPenColor(params.lgXColor[0]);
    Shp_CM_HorzLine->SetPenColor(params.lgYColor[0]);
    ApplyLineGraphSeriesColors((tag - 3) / 2);
  } else if (tag >= 10 && tag <= 13) {
    ApplyLineGraphColors();
  } else if (tag >= 20 && tag <= 23) {
    Apply3DColors();
  }
  RefreshViews();
}

void TForm1::Chk_ColormapClick() {
  if (applyingParams) return;
  GetParam();
  DrawColorBar1();
  DrawColormapView();
}

void TForm1::Chk_AutoFillClick() {
  if (applyingParams) return;
  GetParam();
  Btn_Fill->setEnabled(ShownDataSet().active && !params.autoFill);
}

void TForm1::Chk_FilterClick() {
  if (!applyingParams) GetParam();
  Lbl_FilterSize->setEnabled(params.filterEnable != 0);
}

void TForm1::Chk_Spline_EnableClick() {
  Lbl_Spline_Order->setEnabled(Chk_Spline_Enable->isChecked());
}

void TForm1::Chk_Norm_Divide_1Click() {
  normLabels[0]->setEnabled(normChecks[0]->isChecked());
  if (applyingParams) return;
  GetParam();
  RefreshViews();
}

void TForm1::Chk_RangeFilterClick() {
  GetParam();
  RefreshViews();
}

void TForm1::Chk_Grid_ShowClick() {
  if (!applyingParams) RefreshViews();
}

void TForm1::Chk_Tick_ShowClick() {
  if (!applyingParams) RefreshViews();
}

void TForm1::Cmb_RangeArea_TypeChange() {
  GetParam();
  Lbl_RangeArea_V2->setEnabled(params.rangeAreaType > 3);
  RefreshViews();
}

}  // namespace orvelle
