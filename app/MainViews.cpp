// Every call from the window into the views, in one place: the views draw into the pictures of
// the image controls, and the window copies their results (label texts, shape places) into its
// controls. The handlers below only forward pointer and check-box events to the views.
#include <QCheckBox>
#include <QFontMetrics>
#include <QMenu>
#include <QSlider>

#include "app/Main.h"
#include "dialogs/Colorsetting.h"
#include "platform/Dialogs.h"
#include "views2d/ColorPalette.h"
#include "views2d/Contour.h"
#include "views2d/LineGraph.h"
#include "views2d/PointerInteraction.h"
#include "views2d/Roi.h"

namespace orvelle {

// Colour palette and colour bars.
void TForm1::DrawColorBars() {
  DrawColorBar1();
  DrawColorBar(Img_ColorBar2->Picture(), 1, params.minColor, params.maxColor,
               params.contourPalette);
  Img_ColorBar2->update();
}

void TForm1::DrawColorBar1() { ShowColorBar1(params.colormapMode); }

void TForm1::ShowColorBar1(uint8_t colourMode) {
  // Drawing the bar also installs colormapPalette, which the next colour map drawing then uses.
  DrawColorBar(Img_ColorBar1->Picture(), colourMode, params.minColor, params.maxColor,
               params.colormapPalette);
  Img_ColorBar1->update();
}

void TForm1::EditColormapPalette() {
  GetParam();
  if (params.colormapMode == 0) return;
  if (!colorSet->ShowColorSet(&params.colormapPalette)) return;
  ShowColorBar1(1);
  DrawColormapView();
}

// Colour map, with its labels, grid points, tick marks (tickShapes) and then the ROIs.
void TForm1::DrawColormapView() {
  ColormapResult result;
  const ColormapPanelGeometry panel{Pnl_CM->x(), Pnl_CM->y(), Pnl_CM->height()};
  DrawColormap(Img_ColorMap->Picture(), ShownDataSet(), params, thresholdTest, result, panel);
  Img_ColorMap->update();
  Lbl_Max->setText(result.maxText);
  Lbl_Mid->setText(result.midText);
  Lbl_Min->setText(result.minText);
  Lbl_Mean->setText(result.meanText);
  Lbl_CM_Size->setText(result.sizeText);
  Lbl_RangeArea->setText(result.countText);
  ApplyTicks(result.ticks);
  UpdateRoiView();
}

void TForm1::ApplyTicks(const TickLayout& ticks) {
  for (int axis = 0; axis < 2; ++axis) {
    for (int k = 0; k < kMaxTicks; ++k) {
      ColorShape* shape = tickShapes[axis * kMaxTicks + k];
      // Shapes that are not placed keep their last geometry, hidden.
      if (!ticks.placed) {
        shape->hide();
        continue;
      }
      const TickShape& tick = ticks.shapes[axis][k];
      shape->setGeometry(tick.left, tick.top, tick.width, tick.height);
      shape->SetBrushColor(tick.color);
      shape->SetPenColor(tick.color);
      shape->setVisible(tick.visible);
      shape->raise();
    }
  }
}

void TForm1::UpdateRoiView() {
  const QFontMetrics metrics(roiLabels[0]->font());
  const TextSizer sizer = [&metrics](const std::string& text) {
    return metrics.size(Qt::TextSingleLine, QString::fromStdString(text));
  };
  const std::array<RoiPlacement, kRoiCount> rois =
      UpdateRois(params, ShownDataSet(), Img_ColorMap->width(), Img_ColorMap->height(), sizer);
  for (int r = 0; r < kRoiCount; ++r) {
    const RoiPlacement& roi = rois[r];
    ColorShape* shape = roiShapes[r];
    TagLabel* labels[3] = {roiLabels[3 * r], roiLabels[3 * r + 1], roiLabels[3 * r + 2]};
    if (roi.updated) {
      shape->SetForm(roi.ellipse ? ColorShape::Form::Ellipse : ColorShape::Form::Rectangle);
      shape->setGeometry(roi.shape);
      shape->SetPenColor(roi.colour);
      const std::string* texts[3] = {&roi.minText, &roi.maxText, &roi.meanText};
      const QPoint places[3] = {roi.minPos, roi.maxPos, roi.meanPos};
      for (int k = 0; k < 3; ++k) {
        labels[k]->setText(QString::fromStdString(*texts[k]));
        QPalette palette = labels[k]->palette();
        palette.setColor(QPalette::WindowText, ToQColor(roi.colour));
        labels[k]->setPalette(palette);
        labels[k]->setGeometry(QRect(places[k], sizer(*texts[k])));
      }
    }
    shape->setVisible(roi.visible);
    shape->raise();
    for (TagLabel* label : labels) {
      label->setVisible(roi.visible);
      label->raise();
    }
  }
}

void TForm1::HideRoi(int roi) {
  if (roi < 0 || roi >= kRoiCount) return;
  roiShapes[roi]->hide();
  for (int k = 0; k < 3; ++k) roiLabels[3 * roi + k]->hide();
}

void TForm1::CopyRoiTable() {
  GetParam();
  const std::string text = CopyRoiText(params, dataSets.get(), selectedType, Img_ColorMap->width(),
                                       Img_ColorMap->height());
  if (text.empty()) return;
  SetClipboardText(QString::fromStdString(text));
  ConfirmRoiCopied();
}

void TForm1::SaveRoiTable() {
  GetParam();
  const std::optional<QString> path = ShowSaveDialog(this, {"CSV file (*.csv)|*.csv", "csv", true});
  if (!path) return;
  SaveRoiData(path->toStdString(), params, dataSets.get(), selectedType, Img_ColorMap->width(),
              Img_ColorMap->height());
}

// Contour map.
void TForm1::InitContourView() {
  InitContourModule(params.contourLevels);
  SetContourColors(params.backColor, params.minColor, params.maxColor, 0x000000);
}

void TForm1::SetContourLevels(int levels) { SetContourLevelCount(levels); }

void TForm1::DrawContourView() {
  std::array<QString, 5> labels;
  DrawContour(Img_Contour->Picture(), ShownDataSet(), params, thresholdTest, labels);
  Img_Contour->update();
  for (size_t i = 0; i < labels.size(); ++i) contRangeLabels[i]->setText(labels[i]);
}

// Line graph and the cross-section cursor on the colour map.
void TForm1::InitLineGraphView() {
  // The graph is module state: a window starts it afresh on its own image.
  ResetLineGraph();
  SetUpLineGraph(&Img_LG->Picture(), params);
  Img_LG->update();
}

void TForm1::DrawLineGraphView() {
  if (RefreshLineGraph(ShownDataSet())) Img_LG->update();
}

void TForm1::PrepareLineGraphSeries(int index) { PrepareLineGraph(params, dataSets[index]); }

void TForm1::PlaceCursorAtCentre() {
  GetParam();
  const int w = Img_ColorMap->width(), h = Img_ColorMap->height();
  ShowCursorLines(PlaceCrossSection(ShownDataSet(), w, h, w / 2, h / 2));
}

void TForm1::ShowCursorLines(const CrossLines& lines) {
  Shp_CM_VertLine->move(lines.verticalLeft, Shp_CM_VertLine->y());
  Shp_CM_HorzLine->move(Shp_CM_HorzLine->x(), lines.horizontalTop);
  for (ColorShape* line : {Shp_CM_VertLine, Shp_CM_HorzLine}) {
    line->show();
    line->raise();
  }
}

void TForm1::ApplyLineGraphSeriesColors(int series) {
  if (series < 0 || series >= kLineSeriesCount) return;
  SetSeriesColours(series, params.lgXColor[series], params.lgYColor[series]);
}

void TForm1::ApplyLineGraphColors() {
  SetFrameColour(0, params.lgBackColor);
  SetFrameColour(1, params.lgAxisColor);
  SetFrameColour(2, params.lgSubColor);
  SetFrameColour(3, params.lgLabelColor);
}

namespace {

MouseInput ToMouseInput(const MouseEventInfo& info) {
  MouseInput input;
  input.x = info.x;
  input.y = info.y;
  switch (info.button) {
    case Qt::LeftButton:
      input.button = MouseButton::Left;
      break;
    case Qt::RightButton:
      input.button = MouseButton::Right;
      break;
    case Qt::MiddleButton:
      input.button = MouseButton::Middle;
      break;
    default:
      input.button = MouseButton::None;
      break;
  }
  input.shift = info.shift;
  input.ctrl = info.ctrl;
  return input;
}

}  // namespace

void TForm1::ApplyPointerResult(const ColorMapPointerResult& result) {
  if (result.showReadout) {
    Lbl_Info_X->setText(QString::fromStdString(result.readout.x));
    Lbl_Info_Y->setText(QString::fromStdString(result.readout.y));
    Lbl_Info_Data->setText(QString::fromStdString(result.readout.value));
  }
  if (result.linesMoved) ShowCursorLines(result.lines);
  if (result.lineGraphChanged) Img_LG->update();
}

void TForm1::Img_ColorMapMouseDown(const MouseEventInfo& info) {
  GetParam();
  const ColorMapPointerResult result = ColorMapMouseDown(
      params, ShownDataSet(), Img_ColorMap->width(), Img_ColorMap->height(), ToMouseInput(info));
  ApplyPointerResult(result);
  if (result.roiPlaced >= 0) UpdateRoiView();
  if (result.openMenu) {
    // The menu's items act on the colour map (Tag 0).
    for (QAction* item : {Pmn_CopyImage, Pmn_CopyROI, Pmn_SaveROI, Pmn_RangeReset}) {
      SetTag(item, 0);
      item->setEnabled(result.menuItemsEnabled);
    }
    Pmn_Menu->popup(Img_ColorMap->mapToGlobal(QPoint(info.x, info.y)));
  }
}

void TForm1::Img_ColorMapMouseMove(ImageBox* sender, const MouseEventInfo& info) {
  GetParam();
  ApplyPointerResult(ColorMapMouseMove(params, ShownDataSet(), sender->width(), sender->height(),
                                       Img_ColorMap->width(), Img_ColorMap->height(),
                                       ToMouseInput(info)));
}

void TForm1::Img_ColorMapMouseUp(const MouseEventInfo&) { ColorMapMouseUp(params); }

void TForm1::Shp_CM_LineMouseDown() {
  Shp_CM_VertLine->hide();
  Shp_CM_HorzLine->hide();
}

void TForm1::Shp_ROIMouseDown(QObject* sender, const MouseEventInfo& info) {
  const int roi = TagOf(sender);
  if (RoiWidgetMouseDown(params, roi, ToMouseInput(info))) HideRoi(roi);
}

void TForm1::Img_LGMouseDown(const MouseEventInfo& info) {
  GetParam();
  if (LineGraphMouseDown(ShownDataSet(), ToMouseInput(info)).imageChanged) Img_LG->update();
}

void TForm1::Img_LGMouseMove(const MouseEventInfo& info) {
  if (LineGraphMouseMove(ToMouseInput(info)).imageChanged) Img_LG->update();
}

void TForm1::Img_LGMouseUp(const MouseEventInfo& info) {
  GetParam();
  const YesNoQuestion ask = [](const std::string& text, const std::string& caption) {
    return AskQuestion(QString::fromStdString(caption), QString::fromStdString(text),
                       QuestionButtons::YesNo);
  };
  if (LineGraphMouseUp(params, ShownDataSet(), ToMouseInput(info), ask).imageChanged)
    Img_LG->update();
}

void TForm1::Chk_LG_DrawDataClick() {
  if (applyingParams) return;
  GetParam();
  if (LineGraphProfilesChanged(params, 0, ShownDataSet())) Img_LG->update();
}

void TForm1::Chk_LG_DrawLegendClick() {
  if (applyingParams) return;
  GetParam();
  if (LineGraphLegendChanged(params, ShownDataSet())) Img_LG->update();
}

void TForm1::Chk_LG_BoldLineClick() {
  if (applyingParams) return;
  GetParam();
  if (LineGraphBoldChanged(params, ShownDataSet())) Img_LG->update();
}

void TForm1::Chk_CopyColormapClick() {
  if (applyingParams) return;
  GetParam();
  DrawContourView();
}

void TForm1::Chk_CM_DrawContourClick() {
  if (!applyingParams) {
    GetParam();
    ShowColorBar1(params.colormapMode || params.drawContourOnMap ? 1 : 0);
    DrawColormapView();
  }
  // The colour map's own mode cannot be changed while the bar shows the contour palette.
  Chk_Colormap->setEnabled(!Chk_CM_DrawContour->isChecked());
}

void TForm1::Cmb_ROI_Change() {
  GetParam();
  UpdateRoiView();
}

}  // namespace orvelle
