// The main window: it owns the ten data sets, the viewer settings and every control. The controls
// are the master copy of the settings while the program runs; GetParam copies them into the
// record that all drawing reads, SetParam writes the record back after the settings file is read.
//
// The handlers are spread over the app/ sources by subject:
//   MainLayout.cpp     the designed controls, their names, places and start values
//   MainLifecycle.cpp  construction, FormCreate, closing, debug mode, the memo, the timer
//   MainData.cpp       open, paste, fill, the data-type list and the refresh cycle
//   MainParams.cpp     GetParam/SetParam, the keypad labels, colour swatches, small handlers
//   MainSettings.cpp   reading and writing the settings file
//   MainViews.cpp      every call into the 2D views, and the handlers that only forward to them
//   Main3D.cpp         the 3D panel, its controls, its timer and its copy
//   MainExport.cpp     pictures of the views to the clipboard, file drops and shortcuts
#pragma once

#include <QImage>
#include <QString>
#include <QWidget>
#include <array>
#include <memory>

#include "data/GridDataSet.h"
#include "data/ViewerParams.h"
#include "platform/Controls.h"
#include "views2d/ColorMap.h"

class QCheckBox;
class QComboBox;
class QDragEnterEvent;
class QDropEvent;
class QFrame;
class QGroupBox;
class QLabel;
class QMenu;
class QAction;
class QPlainTextEdit;
class QPushButton;
class QSlider;
class QTimer;

namespace orvelle {

class Surface3DWidget;
class TColorSet;
struct ColorMapPointerResult;
struct CrossLines;

// The client area of the designed window, and its width with the side panel shown.
inline constexpr int kClientWidth = 826;
inline constexpr int kClientHeight = 717;
// The window widths of normal and debug mode include a 9-pixel frame.
inline constexpr int kWindowWidthNormal = 835;
inline constexpr int kWindowWidthDebug = 1050;
inline constexpr int kWindowFrameWidth = kWindowWidthNormal - kClientWidth;
inline constexpr char kDesignedCaption[] = "Orvelle ";
inline constexpr char kVersionText[] = "Ver.0.01";
inline constexpr int kTickShapeCount = 40;

class TForm1 : public QWidget {
  Q_OBJECT

 public:
  // `exeDir` is the program's directory with its trailing separator (the program file's directory
  // when empty); the settings file lives there, or in the per-user configuration directory when
  // that directory is not writable. Construction runs the whole start-up (FormCreate).
  explicit TForm1(const QString& exeDir = QString(), QWidget* parent = nullptr);
  ~TForm1() override;

  // True when the settings could be neither read nor created: the application is to end.
  bool TerminateRequested() const { return terminateRequested; }
  // Opens a THK file as if it had been chosen in the open dialog (the file named on the command
  // line).
  void OpenFileAtStart(const QString& path);

  // Read access for the program's own checks and tests.
  const ViewerParams& Params() const { return params; }
  GridDataSet* DataSets() { return dataSets.get(); }
  int SelectedType() const { return selectedType; }
  bool DebugMode() const { return debugMode != 0; }
  const ParamLimits& ParamEntry(int tag) const { return paramTable[tag]; }
  const QString& SettingsPath() const { return settingsPath; }

  // Shared operations.
  // Controls into the record, selectedType, and the normalisation divisor of data set 0.
  void GetParam();
  // The stored fields of the record into the controls (their handlers see applyingParams).
  void SetParam();
  // Redraws every view from the shown data set: colour map, contour, line graph, 3D.
  void RefreshViews();
  // Rebuilds the data-type list from slots 0..n-1 ("-----" for an empty slot), enables it and
  // selects item 0.
  void FillTypeList(QComboBox* list, const GridDataSet* sets, int n);
  // Prepares the line graph and cursor for data type `index` after new data arrived and enables
  // the copy buttons.
  void SelectDataType(int index);
  // Set the colour range of `set`; false after a message when the set is not active or the value
  // is on the wrong side of the other end.
  bool SetRangeMin(GridDataSet& set, double value);
  bool SetRangeMax(GridDataSet& set, double value);
  void ResetRange(GridDataSet& set);
  // Reads the settings file into the controls, or creates it from the designed values. -1 when
  // it could be neither read nor created (applyingParams then stays set).
  int LoadSettings();
  // Writes the settings file from the controls; 1, or -1 after the writer's message.
  int SaveSettings();
  // The 3D picture as the panel shows it, drawn once more and read back (at most 800 x 600, the
  // lower-left part of a larger panel). A null image when the panel has no OpenGL or is hidden.
  QImage Copy3DView();
  // The OpenGL panel, or null when the platform offers no OpenGL (Pnl_3D is then a black frame).
  Surface3DWidget* SurfacePanel() const { return surface3D; }

  // Handlers of the designed controls.
  void Btn_OpenClick();
  void Btn_PasteClick();
  void Btn_FillClick();
  void Btn_ExitClick();
  void Btn_RangeResetClick();
  void Cmb_DataTypeChange();
  void Lbl_DEBUGDblClick();
  void Lbl_DataDblClick(TagLabel* label);
  void Shp_Color_MouseDown(ColorShape* swatch);
  void Mem_DataChange();
  void Mem_DataDblClick();
  void Chk_ColormapClick();
  void Chk_AutoFillClick();
  void Chk_FilterClick();
  void Chk_Spline_EnableClick();
  void Chk_Norm_Divide_1Click();
  void Chk_RangeFilterClick();
  void Chk_Grid_ShowClick();
  void Chk_Tick_ShowClick();
  void Cmb_RangeArea_TypeChange();
  void Timer1Timer();
  // The four copy buttons and the colour map's "Copy Image" item: the view picked by the sender's
  // Tag (0 colour map, 1 contour, 2 line graph, 3 3D) goes to the clipboard, then a message says
  // so. Any other Tag does nothing.
  void Btn_CopyButtonClick(QObject* sender);

 protected:
  // FormCloseQuery (always allows) and FormClose (saves the settings).
  void closeEvent(QCloseEvent* event) override;
  // FormPaint: starts the 3D view's one-shot timer.
  void paintEvent(QPaintEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  // A dragged local file is accepted; dropping it opens it as the open button does.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  // MainLayout.cpp
  void BuildLayout();
  void BuildImageArea();
  void BuildGroupBoxes();
  void Build3DArea();
  void BuildBottomRow();
  void BuildSidePanel();
  void BuildNonVisual();
  void ConnectHandlers();
  TagLabel* AddNumLabel(QWidget* parent, const char* name, const QString& text, int x, int y, int w,
                        int tag, bool editable = true);
  ColorShape* AddSwatch(QWidget* parent, const char* name, ColorRef color, int x, int y, int tag);

  // MainLifecycle.cpp
  void FormCreate();
  void CreateTickShapes();
  void ApplyWindowWidth(int windowWidth);

  // MainData.cpp
  // Loads `path` into the data sets and shows it (the open command after its dialog).
  void OpenThkFile(const QString& path);
  // GetParam, then the conditioning pipeline over slots 0..count-1; 1, or -1 after which the
  // slots are empty and the views redrawn.
  int ConditionLoaded(int count);
  GridDataSet& ShownDataSet() { return dataSets[selectedType]; }

  // MainExport.cpp
  // The window's pixels in (x1, y1)-(x2, y2), right and bottom edges exclusive, child controls
  // included, as an image of exactly (x2 - x1) x (y2 - y1) pixels on the clipboard.
  void CopyCanvasRegion(const QRect& region);
  // Drops and the Ctrl+O / Ctrl+V shortcuts of the open and paste buttons.
  void InstallDesktopActions();

  // MainViews.cpp: every call into a view.
  void DrawColorBars();                    // both colour bars at start-up
  void DrawColorBar1();                    // Img_ColorBar1 in the mode colormapMode
  void ShowColorBar1(uint8_t colourMode);  // Img_ColorBar1 in that mode, colormapPalette
  void DrawColormapView();   // colour map, its labels, grid points, ticks, then the ROIs
  void DrawContourView();    // contour map of the shown data set
  void DrawLineGraphView();  // line graph of the shown data set, normal mode
  void InitLineGraphView();  // line graph on Img_LG with its colours, read-outs "X=---"
  void InitContourView();    // contour module with contourLevels and its colours
  void SetContourLevels(int levels);
  void UpdateRoiView();   // ROIs recomputed and placed
  void HideRoi(int roi);  // outline and labels of ROI 0 or 1 hidden
  void ApplyTicks(const TickLayout& ticks);
  void PrepareLineGraphSeries(int index);  // ranges, defaults and series of a new data type
  void PlaceCursorAtCentre();              // cross-section at the centre of Img_ColorMap
  void ShowCursorLines(const CrossLines& lines);
  // Read-outs, cursor lines and line graph repaint after a pointer event on the colour map.
  void ApplyPointerResult(const ColorMapPointerResult& result);
  void ApplyLineGraphSeriesColors(int series);
  void ApplyLineGraphColors();  // back, axis, sub and label colours
  void CopyRoiTable();
  void SaveRoiTable();
  void EditColormapPalette();  // the colour setting dialog on Img_ColorBar1
  // Handlers that only forward to a view.
  void Img_ColorMapMouseDown(const MouseEventInfo& info);
  // Also the move handler of Img_Contour: `sender` is the image under the pointer.
  void Img_ColorMapMouseMove(ImageBox* sender, const MouseEventInfo& info);
  void Img_ColorMapMouseUp(const MouseEventInfo& info);
  void Shp_CM_LineMouseDown();
  // Both ROI outlines and their six labels; the sender's Tag is the ROI.
  void Shp_ROIMouseDown(QObject* sender, const MouseEventInfo& info);
  void Img_LGMouseDown(const MouseEventInfo& info);
  void Img_LGMouseMove(const MouseEventInfo& info);
  void Img_LGMouseUp(const MouseEventInfo& info);
  void Chk_LG_DrawDataClick();
  void Chk_LG_DrawLegendClick();
  void Chk_LG_BoldLineClick();
  void Chk_CopyColormapClick();
  void Chk_CM_DrawContourClick();
  void Cmb_ROI_Change();

  // Main3D.cpp: the 3D view.
  // Pnl_3D (the OpenGL panel when OpenGL is usable) and the four hidden view bars.
  void Build3DPanel();
  void Init3DView();  // every renderer setting from the record
  // RefreshView3D: GetParam, then one frame of the shown data set; `interactive` while a track
  // bar is dragged (the panel may then draw a coarser mesh).
  void Draw3DView(bool interactive = false);
  void TrackBarReleased();  // the exact picture after a track-bar drag drew coarse frames
  void Apply3DColors();     // the colour-range and 3D colours into the renderer
  void Apply3DOptions();    // frame, label, sub and side flags and the label size
  void ReleaseRenderer();
  void Chk_3D_OptionClick();
  void Rdo_3D_DrawTypeClick();
  void Tkb_AngleChange();
  void Tkb_RatioZoomChange();
  void Tkb_3D_DrawPitchChange();
  void Tkb_3D_LabelSizeChange();

 public:
  // The designed controls, named as in the design.
  QFrame* Pnl_CM;
  ImageBox* Img_ColorMap;
  ColorShape *Shp_CM_VertLine, *Shp_CM_HorzLine;
  ColorShape *Shp_ROI_1, *Shp_ROI_2;
  TagLabel *Lbl_ROI_Min_1, *Lbl_ROI_Max_1, *Lbl_ROI_Mean_1;
  TagLabel *Lbl_ROI_Min_2, *Lbl_ROI_Max_2, *Lbl_ROI_Mean_2;
  ImageBox* Img_ColorBar1;
  TagLabel *Lbl_Max, *Lbl_Mid, *Lbl_Min, *Lbl_Mean, *Lbl_RangeArea;
  ImageBox *Img_Contour, *Img_ColorBar2;
  TagLabel *Lbl_Cont_Range1, *Lbl_Cont_Range2, *Lbl_Cont_Range3, *Lbl_Cont_Range4, *Lbl_Cont_Range5;
  QGroupBox* GroupBox2;
  TagLabel *Lbl_CM_Size, *Lbl_Info_X, *Lbl_Info_Y, *Lbl_Info_Data;
  QGroupBox* GroupBox1;
  ColorShape *Shp_Color_Max, *Shp_Color_Min, *Shp_Color_Back;
  QCheckBox *Chk_Colormap, *Chk_CM_DrawContour;
  TagLabel* Lbl_CM_BorderCount;
  QGroupBox* GroupBox7;
  QComboBox *Cmb_ROI_Type_1, *Cmb_ROI_FDigit_1, *Cmb_ROI_Type_2, *Cmb_ROI_FDigit_2;
  TagLabel *Lbl_ROI_Size_1, *Lbl_ROI_Size_2;
  ColorShape *Shp_ROI_Color_1, *Shp_ROI_Color_2;
  QGroupBox* GroupBox6;
  TagLabel* Lbl_BorderCount;
  QCheckBox* Chk_CopyColormap;
  ImageBox* Img_LG;
  QGroupBox* GroupBox3;
  QCheckBox *Chk_LG_LineSel01_X, *Chk_LG_LineSel01_Y, *Chk_LG_DrawLegend, *Chk_LG_BoldLine;
  ColorShape *Shp_LG_LSub01, *Shp_LG_Line01, *Shp_LG_Back, *Shp_LG_Axis, *Shp_LG_Sub, *Shp_LG_Label;
  QWidget* Pnl_3D;
  RadioGroup* Rdo_3D_DrawType;
  QGroupBox* GroupBox4;
  TagLabel *Lbl_3D_XAngle, *Lbl_3D_ZAngle, *Lbl_3D_Ratio, *Lbl_3D_Zoom;
  QSlider *Tkb_3D_X, *Tkb_3D_Z, *Tkb_3D_Ratio, *Tkb_3D_Zoom;
  QGroupBox* GroupBox5;
  ColorShape *Shp_3D_Back, *Shp_3D_Axis, *Shp_3D_Frame, *Shp_3D_Label, *Shp_3D_Side, *Shp_3D_Sub;
  QCheckBox *Chk_3D_DrawFrame, *Chk_3D_DrawLabel, *Chk_3D_DrawSub, *Chk_3D_DrawSide;
  TagLabel *Lbl_3D_LabelSize, *Lbl_3D_DrawPitch;
  QSlider *Tkb_3D_LabelSize, *Tkb_3D_DrawPitch;
  QFrame* Bevel_Bottom;
  QPushButton *Btn_Open, *Btn_Paste;
  QCheckBox* Chk_Spline_Enable;
  TagLabel* Lbl_Spline_Order;
  QComboBox* Cmb_DataType;
  QPushButton *Btn_Copy_Colormap, *Btn_Copy_Contour, *Btn_Copy_LineGraph, *Btn_Copy_3D, *Btn_Exit;
  QGroupBox* GroupBox11;
  QCheckBox* Chk_Grid_Show;
  ColorShape *Shp_Grid_Inner, *Shp_Grid_Outer, *Shape1;
  TagLabel *Lbl_Grid_Size, *Lbl_Grid_XPitch, *Lbl_Grid_YPitch, *Lbl_Grid_XOffset, *Lbl_Grid_YOffset;
  QGroupBox* GroupBox12;
  QCheckBox* Chk_Tick_Show;
  ColorShape* Shp_Tick_Color;
  TagLabel *Lbl_Tick_XPitch, *Lbl_Tick_YPitch, *Lbl_Tick_Length, *Lbl_Tick_Width;
  QGroupBox* GroupBox9;
  QComboBox* Cmb_RangeArea_Type;
  QCheckBox* Chk_RangeFilter;
  TagLabel *Lbl_RangeArea_V1, *Lbl_RangeArea_V2;
  QGroupBox* GroupBox10;
  QCheckBox* Chk_Norm_Divide_1;
  TagLabel* Lbl_Norm_Divisor_1;
  QGroupBox* GroupBox13;
  QCheckBox *Chk_AutoFill, *Chk_Filter;
  QPushButton* Btn_Fill;
  TagLabel* Lbl_FilterSize;
  QPlainTextEdit* Mem_Data;
  QPushButton *Btn_RangeReset, *Btn_Contour, *Btn_Copy;
  TagLabel* Lbl_DEBUG;
  QMenu* Pmn_Menu;
  QAction *Pmn_CopyImage, *Pmn_CopyROI, *Pmn_SaveROI, *Pmn_RangeReset;
  QTimer* Timer1;

 private:
  // Control groups used by index.
  std::array<QCheckBox*, 1> lineSelX{}, lineSelY{};
  std::array<TagLabel*, 5> contRangeLabels{};
  std::array<ColorShape*, 2> roiShapes{};
  std::array<TagLabel*, 6> roiLabels{};  // min, max, mean of ROI 1, then of ROI 2
  std::array<QComboBox*, 2> roiTypeBoxes{}, roiDigitBoxes{};
  std::array<QCheckBox*, 1> normChecks{};
  std::array<TagLabel*, 1> normLabels{};
  std::array<ColorShape*, kTickShapeCount> tickShapes{};
  // Filled by each colour map drawing; the contour underlay reads it.
  ThresholdTest thresholdTest;
  // The colour setting dialog, created with the window so that it keeps its defaults.
  TColorSet* colorSet = nullptr;

  int selectedType = 0;
  uint8_t debugMode = 0;
  uint8_t applyingParams = 0;
  Surface3DWidget* surface3D = nullptr;
  std::unique_ptr<GridDataSet[]> dataSets;
  ParamTable paramTable;
  QString exeDir;
  QString settingsPath;
  ViewerParams params;
  bool terminateRequested = false;
};

}  // namespace orvelle
