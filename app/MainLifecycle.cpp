// Start-up and shut-down of the main window, debug mode and the memo.
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QPlainTextEdit>
#include <QSlider>
#include <QTimer>

#include "app/Main.h"
#include "app/SettingsLocation.h"
#include "data/Message.h"
#include "data/SettingsFile.h"
#include "dialogs/Colorsetting.h"
#include "views2d/FramedViews.h"
#include "views2d/LineGraph.h"

namespace orvelle {

TForm1::TForm1(const QString& exeDirOverride, QWidget* parent)
    : QWidget(parent),
      dataSets(MakeDataSets()),
      paramTable(MakeParamTable()),
      exeDir(exeDirOverride),
      params(DesignedParams()) {
  setObjectName("Form1");
  setWindowTitle(QString::fromLatin1(kDesignedCaption));
  // A 12-pixel proportional face with Arial's metrics, so the designed captions fit their places.
  setFont(WindowFont(font()));
  // Group box titles sit on the frame line, leaving the inside to the controls.
  setStyleSheet(
      "QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 6px; }"
      "QGroupBox::title { subcontrol-origin: margin; left: 6px; padding: 0 2px; }");
  setFixedSize(kClientWidth, kClientHeight);
  BuildLayout();
  ConnectHandlers();
  colorSet = new TColorSet(this);
  FormCreate();
}

void TForm1::FormCreate() {
  if (exeDir.isEmpty()) exeDir = QCoreApplication::applicationDirPath();
  if (!exeDir.endsWith('/')) exeDir += '/';
  setWindowTitle(QString::fromLatin1(kDesignedCaption) + QString::fromLatin1(kVersionText));
  CreateTickShapes();

  for (QComboBox* box : roiTypeBoxes) box->setCurrentIndex(0);
  for (QComboBox* box : roiDigitBoxes) box->setCurrentIndex(2);
  Cmb_RangeArea_Type->setCurrentIndex(5);
  Cmb_RangeArea_TypeChange();

  settingsPath = SettingsDirectory(exeDir) + QString::fromLatin1(kSettingsFileName);
  // The remaining steps still run; the caller ends the program before the message loop.
  if (LoadSettings() != 1) terminateRequested = true;

  DrawColorBars();
  InitLineGraphView();
  Tkb_AngleChange();
  Tkb_RatioZoomChange();
  Tkb_3D_DrawPitchChange();
  Tkb_3D_LabelSizeChange();
  Init3DView();
  InitContourView();
  RefreshViews();
}

void TForm1::CreateTickShapes() {
  for (ColorShape*& tick : tickShapes) {
    tick = new ColorShape(this);
    tick->setObjectName("TickShape");
    tick->hide();
  }
}

TForm1::~TForm1() {
  // FormDestroy: the tick shapes go with their parent window.
  ReleaseRenderer();
  // The line graph module must not keep drawing into this window's image.
  ResetLineGraph();
}

void TForm1::closeEvent(QCloseEvent* event) {
  // FormCloseQuery always allows closing; FormClose saves, and a failed save does not keep the
  // window open.
  if (SaveSettings() != 1) ShowMessage("Parameter is not saved.");
  event->accept();
}

void TForm1::Btn_ExitClick() { close(); }

void TForm1::ApplyWindowWidth(int windowWidth) {
  setFixedSize(windowWidth - kWindowFrameWidth, kClientHeight);
}

void TForm1::Lbl_DEBUGDblClick() {
  debugMode = debugMode ? 0 : 1;
  if (debugMode) {
    Lbl_DEBUG->SetBackgroundColor(0x0000FF);
    ApplyWindowWidth(kWindowWidthDebug);
  } else {
    Lbl_DEBUG->ClearBackgroundColor();
    ApplyWindowWidth(kWindowWidthNormal);
  }
}

void TForm1::Mem_DataChange() {
  // One tab stop of 16 dialog units; a dialog unit is a quarter of the average character width.
  const QFontMetrics metrics(Mem_Data->font());
  Mem_Data->setTabStopDistance(16 * metrics.averageCharWidth() / 4.0);
  Mem_Data->viewport()->update();
}

void TForm1::Mem_DataDblClick() { Mem_Data->clear(); }

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Mem_Data->viewport() && event->type() == QEvent::MouseButtonDblClick) {
    Mem_DataDblClick();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace orvelle
