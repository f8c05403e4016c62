// Bringing data in: open, paste and fill, the data-type list and the refresh cycle.
#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <algorithm>

#include "app/Main.h"
#include "data/Conditioning.h"
#include "data/Message.h"
#include "data/NameText.h"
#include "data/ThkFormat.h"
#include "platform/Dialogs.h"

namespace orvelle {

void TForm1::Btn_OpenClick() {
  GetParam();
  const std::optional<QString> path =
      ShowOpenDialog(this, {"THK data file(*.thk)|*.thk", "thk", false});
  if (!path) return;
  OpenThkFile(*path);
}

void TForm1::OpenFileAtStart(const QString& path) {
  GetParam();
  OpenThkFile(path);
}

void TForm1::OpenThkFile(const QString& path) {
  ResetDataSets(dataSets.get(), kMaxDataSets);
  const int n = LoadThkFile(path.toStdString(), dataSets.get());
  // On failure the views keep their pictures until the next refresh.
  if (n <= 0) return;
  if (!params.autoFill) {
    Btn_Fill->setEnabled(true);
  } else if (ConditionLoaded(n) != 1) {
    return;
  }
  FillTypeList(Cmb_DataType, dataSets.get(), n);
  SelectDataType(0);
  RefreshViews();
}

void TForm1::Btn_PasteClick() {
  GetParam();
  const QString text = ClipboardText();
  if (text.isEmpty()) {
    ShowMessage("Data nothing on Clipboard.");
    return;
  }
  Mem_Data->clear();
  Mem_Data->appendPlainText(text);
  const int n = ParseThkText(text.toStdString(), dataSets.get());
  if (n <= 0) return;
  FillTypeList(Cmb_DataType, dataSets.get(), n);
  if (!params.autoFill) {
    Btn_Fill->setEnabled(true);
  } else if (ConditionLoaded(kMaxDataSets) != 1) {
    return;
  }
  SelectDataType(0);
  RefreshViews();
}

void TForm1::Btn_FillClick() {
  if (ConditionLoaded(kMaxDataSets) == 1) {
    RefreshViews();
  } else {
    ShowMessage(kFillFailedMessage);
  }
}

int TForm1::ConditionLoaded(int count) {
  GetParam();
  // Conditioning can take a noticeable moment; messages it shows get the arrow cursor back.
  QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  const int result = ConditionDataSets(dataSets.get(), count, params);
  QGuiApplication::restoreOverrideCursor();
  // The pipeline has emptied the slots; the views must not keep showing the old data.
  if (result != 1) RefreshViews();
  return result;
}

void TForm1::FillTypeList(QComboBox* list, const GridDataSet* sets, int n) {
  list->clear();
  n = std::clamp(n, 0, kMaxDataSets);
  for (int i = 0; i < n; ++i)
    list->addItem(sets[i].active ? QString::fromStdString(NameText(sets[i].name))
                                 : QString("-----"));
  list->setEnabled(true);
  list->setCurrentIndex(0);
}

void TForm1::SelectDataType(int index) {
  if (index < 0 || index >= kMaxDataSets) return;
  if (index < static_cast<int>(lineSelX.size())) {
    for (QCheckBox* box : {lineSelX[index], lineSelY[index]}) {
      box->setEnabled(true);
      box->setChecked(true);
    }
  }
  GridDataSet& set = dataSets[index];
  set.span = set.rangeMax - set.rangeMin;
  PrepareLineGraphSeries(index);
  PlaceCursorAtCentre();
  for (QPushButton* b : {Btn_Copy_Colormap, Btn_Copy_Contour, Btn_Copy_LineGraph, Btn_Copy_3D})
    b->setEnabled(true);
}

void TForm1::RefreshViews() {
  GetParam();
  DrawColormapView();
  DrawContourView();
  DrawLineGraphView();
  Draw3DView();
}

void TForm1::Cmb_DataTypeChange() { RefreshViews(); }

}  // namespace orvelle
