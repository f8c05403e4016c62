// The main window on the real widgets: the designed layout and start state, open, paste and fill
// with their messages, the data-type list, debug mode and closing.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include "WindowFixture.h"
#include "data/SettingsFile.h"

namespace orvelle::test {
namespace {

struct Place {
  const char* name;
  int x, y, w, h;  // client coordinates; -1: not fixed by the design
};

// Controls whose place the design fixes.
const Place kPlaces[] = {
    {"Pnl_CM", 8, 6, 305, 305},
    {"Img_ColorMap", 10, 8, 301, 301},
    {"Img_ColorBar1", 320, 8, 9, 241},
    {"Img_Contour", 416, 8, 301, 301},
    {"Img_ColorBar2", 728, 8, 9, 301},
    {"GroupBox2", 8, 316, 105, 55},
    {"GroupBox1", 116, 316, 133, 55},
    {"GroupBox7", 252, 316, 157, 55},
    {"GroupBox6", 416, 316, 97, 53},
    {"Img_LG", 8, 376, 393, 233},
    {"GroupBox3", 8, 616, 305, 49},
    {"Pnl_3D", 416, 376, 377, 205},
    {"Rdo_3D_DrawType", 416, 584, 73, 65},
    {"GroupBox4", 496, 586, 97, 81},
    {"GroupBox5", 600, 584, 217, 85},
    {"GroupBox11", 840, 8, 193, 81},
    {"GroupBox12", 840, 92, 193, 65},
    {"GroupBox9", 840, 159, 193, 54},
    {"GroupBox10", 840, 215, 193, 54},
    {"GroupBox13", 840, 272, 129, 57},
    {"Lbl_DEBUG", 320, 620, 25, 25},
    {"Mem_Data", 840, 336, -1, -1},
    {"Btn_RangeReset", 840, 432, -1, -1},
    {"Btn_Contour", 928, 432, -1, -1},
    {"Btn_Copy", 320, 620, -1, -1},
    {"Btn_Open", 8, 681, -1, -1},
    {"Btn_Paste", 64, 681, -1, -1},
    {"Chk_Spline_Enable", 120, -1, -1, -1},
    {"Cmb_DataType", 224, -1, 129, -1},
    {"Btn_Copy_Colormap", 360, 681, -1, -1},
    {"Btn_Copy_Contour", 456, 681, -1, -1},
    {"Btn_Copy_LineGraph", 552, 681, -1, -1},
    {"Btn_Copy_3D", 656, 681, -1, -1},
    {"Btn_Exit", 760, 681, -1, -1},
};

// Every other named control, which must exist under its designed name.
const char* const kNames[] = {
    "Shp_CM_VertLine",
    "Shp_CM_HorzLine",
    "Shp_ROI_1",
    "Shp_ROI_2",
    "Lbl_ROI_Min_1",
    "Lbl_ROI_Max_1",
    "Lbl_ROI_Mean_1",
    "Lbl_ROI_Min_2",
    "Lbl_ROI_Max_2",
    "Lbl_ROI_Mean_2",
    "Lbl_Max",
    "Lbl_Mid",
    "Lbl_Min",
    "Lbl_Mean",
    "Lbl_RangeArea",
    "Lbl_Cont_Range1",
    "Lbl_Cont_Range5",
    "Lbl_CM_Size",
    "Lbl_Info_X",
    "Lbl_Info_Y",
    "Lbl_Info_Data",
    "Shp_Color_Max",
    "Shp_Color_Min",
    "Shp_Color_Back",
    "Chk_Colormap",
    "Chk_CM_DrawContour",
    "Lbl_CM_BorderCount",
    "Cmb_ROI_Type_1",
    "Cmb_ROI_FDigit_1",
    "Lbl_ROI_Size_1",
    "Shp_ROI_Color_1",
    "Shp_ROI_Color_2",
    "Cmb_ROI_Type_2",
    "Cmb_ROI_FDigit_2",
    "Lbl_ROI_Size_2",
    "Lbl_BorderCount",
    "Chk_CopyColormap",
    "Chk_LG_LineSel01_Y",
    "Shp_LG_LSub01",
    "Chk_LG_LineSel01_X",
    "Shp_LG_Line01",
    "Shp_LG_Back",
    "Shp_LG_Axis",
    "Shp_LG_Sub",
    "Shp_LG_Label",
    "Chk_LG_DrawLegend",
    "Chk_LG_BoldLine",
    "Lbl_3D_XAngle",
    "Tkb_3D_X",
    "Lbl_3D_ZAngle",
    "Tkb_3D_Z",
    "Lbl_3D_Ratio",
    "Tkb_3D_Ratio",
    "Lbl_3D_Zoom",
    "Tkb_3D_Zoom",
    "Shp_3D_Back",
    "Shp_3D_Axis",
    "Shp_3D_Frame",
    "Shp_3D_Label",
    "Shp_3D_Side",
    "Shp_3D_Sub",
    "Chk_3D_DrawFrame",
    "Chk_3D_DrawLabel",
    "Chk_3D_DrawSub",
    "Chk_3D_DrawSide",
    "Lbl_3D_LabelSize",
    "Tkb_3D_LabelSize",
    "Lbl_3D_DrawPitch",
    "Tkb_3D_DrawPitch",
    "Lbl_Spline_Order",
    "Chk_Grid_Show",
    "Shp_Grid_Inner",
    "Shp_Grid_Outer",
    "Shape1",
    "Lbl_Grid_Size",
    "Lbl_Grid_XPitch",
    "Lbl_Grid_YPitch",
    "Lbl_Grid_XOffset",
    "Lbl_Grid_YOffset",
    "Chk_Tick_Show",
    "Shp_Tick_Color",
    "Lbl_Tick_XPitch",
    "Lbl_Tick_YPitch",
    "Lbl_Tick_Length",
    "Lbl_Tick_Width",
    "Cmb_RangeArea_Type",
    "Chk_RangeFilter",
    "Lbl_RangeArea_V1",
    "Lbl_RangeArea_V2",
    "Chk_Norm_Divide_1",
    "Lbl_Norm_Divisor_1",
    "Chk_AutoFill",
    "Btn_Fill",
    "Chk_Filter",
    "Lbl_FilterSize",
};

QStringList Items(const QComboBox* box) {
  QStringList items;
  for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
  return items;
}

class WindowStart : public WindowTest {};

TEST_F(WindowStart, EveryDesignedControlIsInItsPlace) {
  TForm1& form = MakeWindow();
  EXPECT_EQ(form.windowTitle(), "Orvelle Ver.0.01");
  EXPECT_EQ(form.size(), QSize(826, 717));
  EXPECT_EQ(form.font().pixelSize(), 12);
  for (const Place& p : kPlaces) {
    auto* w = Find<QWidget>(p.name);
    if (!w) continue;
    const QPoint at = w->mapTo(&form, QPoint(0, 0));
    if (p.x >= 0) {
      EXPECT_EQ(at.x(), p.x) << p.name;
    }
    if (p.y >= 0) {
      EXPECT_EQ(at.y(), p.y) << p.name;
    }
    if (p.w >= 0) {
      EXPECT_EQ(w->width(), p.w) << p.name;
    }
    if (p.h >= 0) {
      EXPECT_EQ(w->height(), p.h) << p.name;
    }
  }
  for (const char* name : kNames) Find<QWidget>(name);
  // The bottom row lies between the rule and the window's lower edge.
  for (const char* name : {"Btn_Open", "Chk_Spline_Enable", "Cmb_DataType", "Btn_Exit"}) {
    const QRect r = Find<QWidget>(name)->geometry();
    EXPECT_GE(r.top(), 672) << name;
    EXPECT_LE(r.bottom(), 709) << name;
  }
  // The side panel starts beyond the normal width.
  EXPECT_GT(Find<QWidget>("GroupBox11")->x(), form.width());
}

TEST_F(WindowStart, SelectionListsMenuAndTimer) {
  MakeWindow();
  EXPECT_EQ(Items(Find<QComboBox>("Cmb_ROI_Type_1")), QStringList({"○", "□"}));
  EXPECT_EQ(Items(Find<QComboBox>("Cmb_ROI_FDigit_2")),
            QStringList({"0", "1", "2", "3", "4", "5"}));
  EXPECT_EQ(Items(Find<QComboBox>("Cmb_RangeArea_Type")),
            QStringList({"<V1", "<=V1", ">V1", ">=V1", "V1< x <V2", "V1<= x <=V2"}));
  EXPECT_EQ(Find<QComboBox>("Cmb_ROI_Type_1")->currentIndex(), 0);
  EXPECT_EQ(Find<QComboBox>("Cmb_ROI_FDigit_1")->currentIndex(), 2);
  EXPECT_EQ(Find<QComboBox>("Cmb_RangeArea_Type")->currentIndex(), 5);
  auto* drawType = Find<RadioGroup>("Rdo_3D_DrawType");
  EXPECT_EQ(drawType->Item(0)->text(), "Wire");
  EXPECT_EQ(drawType->Item(1)->text(), "Plane");
  EXPECT_EQ(drawType->ItemIndex(), 1);

  QStringList menu;
  for (QAction* a : Find<QMenu>("Pmn_Menu")->actions())
    menu << (a->isSeparator() ? "-" : a->text());
  EXPECT_EQ(menu, QStringList({"Copy Image", "Copy ROI", "Save ROI", "-", "Range Reset"}));
  EXPECT_EQ(Find<QAction>("Pmn_RangeReset")->text(), "Range Reset");
  auto* timer = Find<QTimer>("Timer1");
  EXPECT_EQ(timer->interval(), 50);
  EXPECT_TRUE(timer->isSingleShot());
  EXPECT_FALSE(timer->isActive());
}

TEST_F(WindowStart, StartStateOfTheControls) {
  TForm1& form = MakeWindow();
  for (const char* name :
       {"Cmb_DataType", "Btn_Fill", "Btn_Copy_Colormap", "Btn_Copy_Contour", "Btn_Copy_LineGraph",
        "Btn_Copy_3D", "Lbl_Spline_Order", "Btn_RangeReset", "Lbl_CM_BorderCount"})
    EXPECT_FALSE(Find<QWidget>(name)->isEnabled()) << name;
  for (const char* name :
       {"Chk_CM_DrawContour", "Lbl_CM_BorderCount", "Cmb_ROI_Type_2", "Cmb_ROI_FDigit_2",
        "Lbl_ROI_Size_2", "Mem_Data", "Btn_RangeReset", "Btn_Contour", "Btn_Copy", "Shp_ROI_1",
        "Shp_ROI_2", "Lbl_ROI_Mean_2", "Tkb_3D_X", "Tkb_3D_Z", "Tkb_3D_Ratio", "Tkb_3D_Zoom"})
    EXPECT_TRUE(Find<QWidget>(name)->isHidden()) << name;
  for (const char* name : {"Lbl_DEBUG", "Tkb_3D_DrawPitch", "Tkb_3D_LabelSize", "Lbl_RangeArea_V2"})
    EXPECT_FALSE(Find<QWidget>(name)->isHidden()) << name;
  EXPECT_TRUE(Find<QWidget>("Lbl_RangeArea_V2")->isEnabled());  // the type starts at 5
  EXPECT_TRUE(Find<QPlainTextEdit>("Mem_Data")->isReadOnly());
  EXPECT_EQ(Find<QLabel>("Lbl_CM_Size")->text(), "--- x ---");
  EXPECT_EQ(Find<QLabel>("Lbl_Info_X")->text(), "---");
  EXPECT_EQ(Find<QLabel>("Lbl_Info_Data")->text(), "----.---");
  EXPECT_EQ(Find<QLabel>("Lbl_3D_XAngle")->text(), "15.0");
  EXPECT_EQ(Find<QLabel>("Lbl_3D_ZAngle")->text(), "-100.0");
  EXPECT_EQ(Find<QLabel>("Lbl_3D_Ratio")->text(), "5.0");
  EXPECT_EQ(Find<QLabel>("Lbl_3D_Zoom")->text(), "200.0");
  EXPECT_EQ(Find<QLabel>("Lbl_3D_DrawPitch")->text(), "5");
  EXPECT_EQ(form.SelectedType(), 0);
  EXPECT_FALSE(form.TerminateRequested());
  EXPECT_TRUE(messages.Messages().empty());
}

TEST_F(WindowStart, EveryLabelThatShowsAValueIsRightAligned) {
  TForm1& form = MakeWindow();
  int checked = 0;
  for (TagLabel* label : form.findChildren<TagLabel*>()) {
    const QString name = label->objectName();
    // The ROI read-outs float over the colour map; the debug label shows nothing.
    if (name == "Lbl_DEBUG" || name.startsWith("Lbl_ROI_M")) continue;
    EXPECT_TRUE(label->alignment() & Qt::AlignRight) << name.toStdString();
    ++checked;
  }
  EXPECT_GE(checked, 38);
}

TEST_F(WindowStart, TheCrossSectionLinesShowFromTheStartTheRoiOutlinesDoNot) {
  MakeWindow();
  EXPECT_EQ(Find<QWidget>("Shp_CM_VertLine")->geometry(), QRect(153, 2, 1, 301));
  EXPECT_EQ(Find<QWidget>("Shp_CM_HorzLine")->geometry(), QRect(2, 153, 301, 1));
  for (const char* name : {"Shp_CM_VertLine", "Shp_CM_HorzLine"})
    EXPECT_FALSE(Find<QWidget>(name)->isHidden()) << name;
  for (const char* name : {"Shp_ROI_1", "Shp_ROI_2"})
    EXPECT_TRUE(Find<QWidget>(name)->isHidden()) << name;
}

TEST_F(WindowStart, AFirstStartWritesTheDesignedValuesAndTheControlsAgree) {
  TForm1& form = MakeWindow();
  EXPECT_EQ(form.SettingsPath().toStdString(), SettingsFile());
  const std::string designed = FormatSettings(DesignedParams());
  EXPECT_EQ(ReadFile(SettingsFile()), designed);
  EXPECT_EQ(FormatSettings(form.Params()), designed);
  EXPECT_FALSE(Find<QCheckBox>("Chk_Spline_Enable")->isChecked());
}

class WindowData : public WindowTest {};

TEST_F(WindowData, OpeningAFileListsItsTypesAndEnablesTheCommands) {
  TForm1& form = MakeWindow();
  OpenThroughDialog(ExamplePath("volcano_pitch5.thk"));
  ASSERT_EQ(openCalls.size(), 1u);
  EXPECT_EQ(openCalls[0].filter, "THK data file(*.thk)|*.thk");
  EXPECT_EQ(openCalls[0].defaultExtension, "thk");
  EXPECT_TRUE(messages.Messages().empty()) << messages.Only();
  auto* types = Find<QComboBox>("Cmb_DataType");
  EXPECT_EQ(Items(types), QStringList({"Elevation_m", "Slope"}));
  EXPECT_TRUE(types->isEnabled());
  EXPECT_EQ(types->currentIndex(), 0);
  for (const char* name :
       {"Btn_Copy_Colormap", "Btn_Copy_Contour", "Btn_Copy_LineGraph", "Btn_Copy_3D"})
    EXPECT_TRUE(Find<QWidget>(name)->isEnabled()) << name;
  for (const char* name : {"Chk_LG_LineSel01_X", "Chk_LG_LineSel01_Y"}) {
    EXPECT_TRUE(Find<QCheckBox>(name)->isEnabled());
    EXPECT_TRUE(Find<QCheckBox>(name)->isChecked());
  }
  EXPECT_FALSE(Find<QWidget>("Btn_Fill")->isEnabled());  // auto fill is on
  const GridDataSet& first = form.DataSets()[0];
  EXPECT_TRUE(first.active);
  EXPECT_TRUE(first.processed);
  EXPECT_EQ(first.span, first.rangeMax - first.rangeMin);
  EXPECT_FALSE(form.DataSets()[2].active);
}

TEST_F(WindowData, CancelKeepsEverythingAFailedLoadEmptiesTheSlots) {
  TForm1& form = MakeWindow();
  OpenThroughDialog(ExamplePath("volcano_pitch5.thk"));
  openAnswers.push_back(QString());
  QTest::mouseClick(Find<QWidget>("Btn_Open"), Qt::LeftButton);
  EXPECT_TRUE(form.DataSets()[0].active);
  EXPECT_TRUE(form.DataSets()[0].processed);
  EXPECT_TRUE(messages.Messages().empty());

  OpenThroughDialog(dir.File("missing.thk"));
  EXPECT_EQ(messages.Messages().size(), 1u);
  for (int i = 0; i < kMaxDataSets; ++i) EXPECT_FALSE(form.DataSets()[i].active) << i;
  // The list keeps the last names until the next successful load.
  EXPECT_EQ(Find<QComboBox>("Cmb_DataType")->count(), 2);
}

TEST_F(WindowData, WithoutAutoFillALoadShowsTheRawGridAndEnablesFill) {
  TForm1& form = MakeWindow();
  Find<QCheckBox>("Chk_AutoFill")->click();
  EXPECT_FALSE(Find<QWidget>("Btn_Fill")->isEnabled());  // nothing loaded yet
  OpenThroughDialog(ExamplePath("volcano_pitch5.thk"));
  EXPECT_TRUE(Find<QWidget>("Btn_Fill")->isEnabled());
  EXPECT_FALSE(form.DataSets()[0].processed);
  QTest::mouseClick(Find<QWidget>("Btn_Fill"), Qt::LeftButton);
  EXPECT_TRUE(form.DataSets()[0].processed);
  EXPECT_TRUE(messages.Messages().empty());
  // Auto fill back on: the button follows at once.
  Find<QCheckBox>("Chk_AutoFill")->click();
  EXPECT_FALSE(Find<QWidget>("Btn_Fill")->isEnabled());
}

TEST_F(WindowData, PasteReadsTheClipboard) {
  TForm1& form = MakeWindow();
  QTest::mouseClick(Find<QWidget>("Btn_Paste"), Qt::LeftButton);
  EXPECT_EQ(messages.Only(), "Data nothing on Clipboard.");
  messages.Clear();

  clipboard = QString::fromStdString(ReadFile(ExamplePath("volcano_spline_clipboard.txt")));
  QTest::mouseClick(Find<QWidget>("Btn_Paste"), Qt::LeftButton);
  EXPECT_TRUE(messages.Messages().empty()) << messages.Only();
  EXPECT_EQ(Items(Find<QComboBox>("Cmb_DataType")), QStringList({"Elevation_m"}));
  EXPECT_TRUE(form.DataSets()[0].processed);
  EXPECT_TRUE(Find<QPlainTextEdit>("Mem_Data")->toPlainText().startsWith("THK_DATA"));

  // Text that does not parse ends the command after the parser's own message, if any.
  clipboard = "not THK text";
  QTest::mouseClick(Find<QWidget>("Btn_Paste"), Qt::LeftButton);
  EXPECT_LE(messages.Messages().size(), 1u);
  for (const std::string& m : messages.Messages()) EXPECT_NE(m, "Data nothing on Clipboard.");
  EXPECT_EQ(Find<QPlainTextEdit>("Mem_Data")->toPlainText(), "not THK text");
  EXPECT_EQ(Items(Find<QComboBox>("Cmb_DataType")), QStringList({"Elevation_m"}));
}

TEST_F(WindowData, TheTypeListMarksEmptySlots) {
  TForm1& form = MakeWindow();
  GridDataSet* sets = form.DataSets();
  sets[0].active = 1;
  sets[0].name = "A";
  sets[2].active = 1;
  sets[2].name = "C";
  auto* list = Find<QComboBox>("Cmb_DataType");
  form.FillTypeList(list, sets, 3);
  EXPECT_EQ(Items(list), QStringList({"A", "-----", "C"}));
  EXPECT_TRUE(list->isEnabled());
  EXPECT_EQ(list->currentIndex(), 0);
}

TEST_F(WindowData, TheTypeListShowsANameInUtf8AndInCp932Alike) {
  TForm1& form = MakeWindow();
  GridDataSet* sets = form.DataSets();
  sets[0].name = "\xE8\x86\x9C\xE5\x8E\x9A";
  sets[1].name = "\x96\x8C\x8C\xFA";
  sets[2].name = "\x96";
  for (int i = 0; i < 3; ++i) sets[i].active = 1;
  auto* list = Find<QComboBox>("Cmb_DataType");
  form.FillTypeList(list, sets, 3);
  EXPECT_EQ(Items(list), QStringList({QString::fromUtf8("膜厚"), QString::fromUtf8("膜厚"),
                                      QString(QChar::ReplacementCharacter)}));
}

TEST_F(WindowData, DebugModeWidensAndRestoresTheWindow) {
  TForm1& form = MakeWindow();
  QTest::mouseDClick(Find<QWidget>("Lbl_DEBUG"), Qt::LeftButton);
  EXPECT_TRUE(form.DebugMode());
  EXPECT_EQ(form.width(), kWindowWidthDebug - kWindowFrameWidth);
  EXPECT_EQ(Find<QLabel>("Lbl_DEBUG")->palette().color(QPalette::Window), QColor(255, 0, 0));
  QTest::mouseDClick(Find<QWidget>("Lbl_DEBUG"), Qt::LeftButton);
  EXPECT_FALSE(form.DebugMode());
  EXPECT_EQ(form.width(), 826);
}

TEST_F(WindowData, ExitSavesTheSettings) {
  MakeWindow();
  Find<QCheckBox>("Chk_Grid_Show")->click();
  QTest::mouseClick(Find<QWidget>("Btn_Exit"), Qt::LeftButton);
  EXPECT_NE(ReadFile(SettingsFile()).find("Grid_Show: 1\n"), std::string::npos);
  EXPECT_TRUE(messages.Messages().empty());
}

}  // namespace
}  // namespace orvelle::test
