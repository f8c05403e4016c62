// The designed window: every control with its name, caption, place, size and start state.
// Positions are client pixels; children of a group box are placed inside it.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTimer>

#include "app/Main.h"
#include "views2d/FramedViews.h"

namespace orvelle {
namespace {

constexpr int kLabelHeight = 14;
constexpr int kCheckHeight = 17;
constexpr int kSwatchWidth = 16;
constexpr int kSwatchHeight = 14;

template <class T>
T* Place(T* control, const char* name, int x, int y, int w, int h) {
  control->setObjectName(QString::fromLatin1(name));
  control->setGeometry(x, y, w, h);
  return control;
}

QLabel* AddCaption(QWidget* parent, const QString& text, int x, int y) {
  auto* label = new QLabel(text, parent);
  label->move(x, y);
  label->resize(label->sizeHint().width(), kLabelHeight);
  return label;
}

QCheckBox* AddCheck(QWidget* parent, const char* name, const QString& caption, int x, int y, int w,
                    bool checked) {
  auto* box = Place(new QCheckBox(caption, parent), name, x, y, w, kCheckHeight);
  box->setChecked(checked);
  return box;
}

QPushButton* AddButton(QWidget* parent, const char* name, const QString& caption, int x, int y,
                       int w, int h) {
  return Place(new QPushButton(caption, parent), name, x, y, w, h);
}

QComboBox* AddCombo(QWidget* parent, const char* name, const QStringList& items, int x, int y,
                    int w) {
  auto* box = Place(new QComboBox(parent), name, x, y, w, 20);
  box->addItems(items);
  box->setCurrentIndex(-1);
  return box;
}

QGroupBox* AddGroup(QWidget* parent, const char* name, const QString& title, int x, int y, int w,
                    int h) {
  return Place(new QGroupBox(title, parent), name, x, y, w, h);
}

QSlider* AddTrackBar(QWidget* parent, const char* name, int min, int max, int position, int x,
                     int y, int w) {
  auto* bar = Place(new QSlider(Qt::Horizontal, parent), name, x, y, w, 20);
  bar->setRange(min, max);
  bar->setValue(position);
  return bar;
}

// A sunken frame drawn around an image, as the designed bevels are.
QFrame* AddBevel(QWidget* parent, const QString& name, const QRect& place) {
  auto* frame = new QFrame(parent);
  frame->setObjectName(name);
  frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
  frame->setGeometry(place);
  return frame;
}

ImageBox* AddImage(QWidget* parent, const char* name, int x, int y, int w, int h) {
  return Place(new ImageBox(parent), name, x, y, w, h);
}

}  // namespace

TagLabel* TForm1::AddNumLabel(QWidget* parent, const char* name, const QString& text, int x, int y,
                              int w, int tag, bool editable) {
  auto* label = Place(new TagLabel(text, parent), name, x, y, w, kLabelHeight);
  label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  SetTag(label, tag);
  if (editable)
    connect(label, &TagLabel::doubleClicked, this, [this, label] { Lbl_DataDblClick(label); });
  return label;
}

ColorShape* TForm1::AddSwatch(QWidget* parent, const char* name, ColorRef color, int x, int y,
                              int tag) {
  auto* swatch = Place(new ColorShape(parent), name, x, y, kSwatchWidth, kSwatchHeight);
  swatch->SetBrushColor(color);
  SetTag(swatch, tag);
  connect(swatch, &ColorShape::mousePressed, this, [this, swatch] { Shp_Color_MouseDown(swatch); });
  return swatch;
}

void TForm1::BuildLayout() {
  BuildImageArea();
  BuildGroupBoxes();
  Build3DArea();
  BuildBottomRow();
  BuildSidePanel();
  BuildNonVisual();
}

void TForm1::BuildImageArea() {
  // The framed pictures (the copies, render --framed) are drawn from the same places.
  Pnl_CM = Place(new QFrame(this), "Pnl_CM", kColormapPanel.x(), kColormapPanel.y(),
                 kColormapPanel.width(), kColormapPanel.height());
  Pnl_CM->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  Pnl_CM->setLineWidth(2);
  Img_ColorMap = AddImage(Pnl_CM, "Img_ColorMap", 2, 2, 301, 301);
  // The cross-section lines show from the start; only a click on one of them hides them.
  Shp_CM_VertLine = Place(new ColorShape(Pnl_CM), "Shp_CM_VertLine", 153, 2, 1, 301);
  Shp_CM_HorzLine = Place(new ColorShape(Pnl_CM), "Shp_CM_HorzLine", 2, 153, 301, 1);
  Shp_CM_VertLine->SetPenColor(0x0000FF);
  Shp_CM_HorzLine->SetPenColor(0xFF8080);
  const ColorRef roiColors[2] = {0x0000FF, 0xFF0000};
  const char* shapeNames[2] = {"Shp_ROI_1", "Shp_ROI_2"};
  const char* labelNames[6] = {"Lbl_ROI_Min_1", "Lbl_ROI_Max_1", "Lbl_ROI_Mean_1",
                               "Lbl_ROI_Min_2", "Lbl_ROI_Max_2", "Lbl_ROI_Mean_2"};
  for (int r = 0; r < 2; ++r) {
    ColorShape* shape = Place(new ColorShape(Pnl_CM), shapeNames[r], 20 + 40 * r, 20, 40, 40);
    shape->SetForm(ColorShape::Form::Ellipse);
    shape->SetBrushClear(true);
    shape->SetPenWidth(2);
    shape->SetPenColor(roiColors[r]);
    SetTag(shape, r);
    shape->hide();
    roiShapes[r] = shape;
    for (int k = 0; k < 3; ++k) {
      TagLabel* label =
          Place(new TagLabel(QString(), Pnl_CM), labelNames[3 * r + k], 20, 20, 80, kLabelHeight);
      QFont bold = label->font();
      bold.setBold(true);
      label->setFont(bold);
      label->setAttribute(Qt::WA_TranslucentBackground);
      SetTag(label, r);
      label->hide();
      roiLabels[3 * r + k] = label;
    }
  }
  Lbl_ROI_Min_1 = roiLabels[0], Lbl_ROI_Max_1 = roiLabels[1], Lbl_ROI_Mean_1 = roiLabels[2];
  Lbl_ROI_Min_2 = roiLabels[3], Lbl_ROI_Max_2 = roiLabels[4], Lbl_ROI_Mean_2 = roiLabels[5];
  Shp_ROI_1 = roiShapes[0], Shp_ROI_2 = roiShapes[1];

  AddBevel(this, "Bevel_ColorBar1", kColorBar1Bevel);
  Img_ColorBar1 = AddImage(this, "Img_ColorBar1", 320, 8, 9, 241);
  AddCaption(this, "Max:", 336, 8);
  Lbl_Max = AddNumLabel(this, "Lbl_Max", "----.---", 336, 22, 70, 4);
  AddCaption(this, "Middle:", 336, 114);
  Lbl_Mid = AddNumLabel(this, "Lbl_Mid", "----.---", 336, 128, 70, 0, false);
  AddCaption(this, "Min:", 336, 220);
  Lbl_Min = AddNumLabel(this, "Lbl_Min", "----.---", 336, 234, 70, 3);
  AddCaption(this, "Mean:", 320, 256);
  Lbl_Mean = AddNumLabel(this, "Lbl_Mean", "----.---", 336, 270, 70, 0, false);
  AddCaption(this, "Data Count:", 320, 286);
  Lbl_RangeArea = AddNumLabel(this, "Lbl_RangeArea", "----", 336, 300, 70, 0, false);

  AddBevel(this, "Bevel_Contour", kContourBevel);
  Img_Contour = AddImage(this, "Img_Contour", 416, 8, 301, 301);
  AddBevel(this, "Bevel_ColorBar2", kColorBar2Bevel);
  Img_ColorBar2 = AddImage(this, "Img_ColorBar2", 728, 8, 9, 301);
  const char* rangeNames[5] = {"Lbl_Cont_Range1", "Lbl_Cont_Range2", "Lbl_Cont_Range3",
                               "Lbl_Cont_Range4", "Lbl_Cont_Range5"};
  for (int i = 0; i < 5; ++i) {
    // Range1 sits at the bottom of the bar, Range5 at its top.
    contRangeLabels[i] =
        AddNumLabel(this, rangeNames[i], "---.---", 742, 295 - 71 * i, 70, 0, false);
  }
  Lbl_Cont_Range1 = contRangeLabels[0], Lbl_Cont_Range2 = contRangeLabels[1];
  Lbl_Cont_Range3 = contRangeLabels[2], Lbl_Cont_Range4 = contRangeLabels[3];
  Lbl_Cont_Range5 = contRangeLabels[4];

  Img_LG = AddImage(this, "Img_LG", 8, 376, 393, 233);
}

void TForm1::BuildGroupBoxes() {
  GroupBox2 = AddGroup(this, "GroupBox2", "Information", 8, 316, 105, 55);
  AddCaption(GroupBox2, "Size:", 6, 14);
  Lbl_CM_Size = AddNumLabel(GroupBox2, "Lbl_CM_Size", "--- x ---", 34, 14, 66, 0, false);
  AddCaption(GroupBox2, "X:", 6, 26);
  Lbl_Info_X = AddNumLabel(GroupBox2, "Lbl_Info_X", "---", 18, 26, 30, 0, false);
  AddCaption(GroupBox2, "Y:", 54, 26);
  Lbl_Info_Y = AddNumLabel(GroupBox2, "Lbl_Info_Y", "---", 66, 26, 34, 0, false);
  AddCaption(GroupBox2, "Data:", 6, 38);
  Lbl_Info_Data = AddNumLabel(GroupBox2, "Lbl_Info_Data", "----.---", 34, 38, 66, 0, false);

  GroupBox1 = AddGroup(this, "GroupBox1", "Colormap Setting", 116, 316, 133, 55);
  AddCaption(GroupBox1, "Max:", 6, 16);
  Shp_Color_Max = AddSwatch(GroupBox1, "Shp_Color_Max", 0xFFFFFF, 34, 16, 1);
  AddCaption(GroupBox1, "Min:", 56, 16);
  Shp_Color_Min = AddSwatch(GroupBox1, "Shp_Color_Min", 0x000000, 81, 16, 0);
  AddCaption(GroupBox1, "Back:", 6, 35);
  Shp_Color_Back = AddSwatch(GroupBox1, "Shp_Color_Back", 0xFF0000, 38, 35, 2);
  Chk_Colormap = AddCheck(GroupBox1, "Chk_Colormap", "Colormap", 56, 34, 76, true);
  Chk_CM_DrawContour = AddCheck(GroupBox1, "Chk_CM_DrawContour", "Draw Contour", 56, 14, 74, false);
  Chk_CM_DrawContour->hide();
  QLabel* countCaption = AddCaption(GroupBox1, "Count:", 102, 16);
  countCaption->hide();
  Lbl_CM_BorderCount = AddNumLabel(GroupBox1, "Lbl_CM_BorderCount", "5", 104, 16, 24, 1);
  Lbl_CM_BorderCount->hide();
  Lbl_CM_BorderCount->setEnabled(false);

  GroupBox7 = AddGroup(this, "GroupBox7", "ROI Setting", 252, 316, 157, 55);
  const QStringList roiTypes = {QString::fromUtf8("○"), QString::fromUtf8("□")};
  const QStringList digits = {"0", "1", "2", "3", "4", "5"};
  AddCaption(GroupBox7, "Type:", 6, 16);
  Cmb_ROI_Type_1 = AddCombo(GroupBox7, "Cmb_ROI_Type_1", roiTypes, 37, 13, 40);
  Cmb_ROI_Type_2 = AddCombo(GroupBox7, "Cmb_ROI_Type_2", roiTypes, 37, 13, 40);
  AddCaption(GroupBox7, "F-Dig:", 80, 16);
  Cmb_ROI_FDigit_1 = AddCombo(GroupBox7, "Cmb_ROI_FDigit_1", digits, 115, 13, 36);
  Cmb_ROI_FDigit_2 = AddCombo(GroupBox7, "Cmb_ROI_FDigit_2", digits, 115, 13, 36);
  AddCaption(GroupBox7, "Size:", 6, 37);
  Lbl_ROI_Size_1 = AddNumLabel(GroupBox7, "Lbl_ROI_Size_1", "30", 34, 37, 26, 5);
  Lbl_ROI_Size_2 = AddNumLabel(GroupBox7, "Lbl_ROI_Size_2", "30", 34, 37, 26, 5);
  AddCaption(GroupBox7, "Color:", 70, 37);
  Shp_ROI_Color_1 = AddSwatch(GroupBox7, "Shp_ROI_Color_1", 0x0000FF, 104, 37, 30);
  Shp_ROI_Color_2 = AddSwatch(GroupBox7, "Shp_ROI_Color_2", 0xFF0000, 124, 37, 31);
  Cmb_ROI_Type_2->hide();
  Cmb_ROI_FDigit_2->hide();
  Lbl_ROI_Size_2->hide();
  roiTypeBoxes = {Cmb_ROI_Type_1, Cmb_ROI_Type_2};
  roiDigitBoxes = {Cmb_ROI_FDigit_1, Cmb_ROI_FDigit_2};

  GroupBox6 = AddGroup(this, "GroupBox6", "Contour Setting", 416, 316, 97, 53);
  AddCaption(GroupBox6, "Border:", 6, 16);
  Lbl_BorderCount = AddNumLabel(GroupBox6, "Lbl_BorderCount", "5", 48, 16, 30, 1);
  Chk_CopyColormap = AddCheck(GroupBox6, "Chk_CopyColormap", "Copy CM", 6, 32, 86, true);

  GroupBox3 = AddGroup(this, "GroupBox3", "Line Graph Setting", 8, 616, 305, 49);
  Chk_LG_LineSel01_Y = AddCheck(GroupBox3, "Chk_LG_LineSel01_Y", "X:", 4, 14, 32, false);
  Shp_LG_LSub01 = AddSwatch(GroupBox3, "Shp_LG_LSub01", 0xFF8080, 36, 16, 4);
  Chk_LG_LineSel01_X = AddCheck(GroupBox3, "Chk_LG_LineSel01_X", "Y:", 54, 14, 32, false);
  Shp_LG_Line01 = AddSwatch(GroupBox3, "Shp_LG_Line01", 0x0000FF, 86, 16, 3);
  Chk_LG_LineSel01_X->setEnabled(false);
  Chk_LG_LineSel01_Y->setEnabled(false);
  AddCaption(GroupBox3, "Back:", 106, 16);
  Shp_LG_Back = AddSwatch(GroupBox3, "Shp_LG_Back", 0x000000, 137, 16, 10);
  AddCaption(GroupBox3, "Axis:", 156, 16);
  Shp_LG_Axis = AddSwatch(GroupBox3, "Shp_LG_Axis", 0xFFFFFF, 183, 16, 11);
  AddCaption(GroupBox3, "Sub:", 202, 16);
  Shp_LG_Sub = AddSwatch(GroupBox3, "Shp_LG_Sub", 0x646464, 228, 16, 12);
  AddCaption(GroupBox3, "Label:", 247, 16);
  Shp_LG_Label = AddSwatch(GroupBox3, "Shp_LG_Label", 0xFFFFFF, 281, 16, 13);
  Chk_LG_DrawLegend = AddCheck(GroupBox3, "Chk_LG_DrawLegend", "Show Legend", 6, 31, 100, false);
  Chk_LG_BoldLine = AddCheck(GroupBox3, "Chk_LG_BoldLine", "Bold Line", 114, 31, 90, false);
  lineSelX = {Chk_LG_LineSel01_X};
  lineSelY = {Chk_LG_LineSel01_Y};
}

void TForm1::Build3DArea() {
  Build3DPanel();

  Rdo_3D_DrawType = Place(new RadioGroup("Draw Type", {"Wire", "Plane"}, this), "Rdo_3D_DrawType",
                          416, 584, 73, 65);
  Rdo_3D_DrawType->Item(0)->setGeometry(8, 18, 60, kCheckHeight);
  Rdo_3D_DrawType->Item(1)->setGeometry(8, 38, 60, kCheckHeight);
  Rdo_3D_DrawType->SetItemIndex(1);

  GroupBox4 = AddGroup(this, "GroupBox4", "View Info.", 496, 586, 97, 81);
  AddCaption(GroupBox4, "X Ang.:", 6, 16);
  Lbl_3D_XAngle = AddNumLabel(GroupBox4, "Lbl_3D_XAngle", "15.0", 46, 16, 44, 0, false);
  AddCaption(GroupBox4, "Z Ang.:", 6, 31);
  Lbl_3D_ZAngle = AddNumLabel(GroupBox4, "Lbl_3D_ZAngle", "-100.0", 46, 31, 44, 0, false);
  AddCaption(GroupBox4, "Ratio:", 6, 46);
  Lbl_3D_Ratio = AddNumLabel(GroupBox4, "Lbl_3D_Ratio", "5.0", 46, 46, 44, 0, false);
  AddCaption(GroupBox4, "Zoom:", 6, 61);
  Lbl_3D_Zoom = AddNumLabel(GroupBox4, "Lbl_3D_Zoom", "200.0", 46, 61, 44, 0, false);

  GroupBox5 = AddGroup(this, "GroupBox5", "Option Setting", 600, 584, 217, 85);
  AddCaption(GroupBox5, "Back:", 6, 16);
  Shp_3D_Back = AddSwatch(GroupBox5, "Shp_3D_Back", 0x000000, 38, 16, 20);
  AddCaption(GroupBox5, "Axis:", 58, 16);
  Shp_3D_Axis = AddSwatch(GroupBox5, "Shp_3D_Axis", 0x0000FF, 86, 16, 21);
  Tkb_3D_LabelSize = AddTrackBar(GroupBox5, "Tkb_3D_LabelSize", 1, 10, 3, 110, 13, 78);
  Lbl_3D_LabelSize = AddNumLabel(GroupBox5, "Lbl_3D_LabelSize", "3", 190, 16, 20, 0, false);
  Chk_3D_DrawFrame = AddCheck(GroupBox5, "Chk_3D_DrawFrame", "Frame", 6, 32, 58, true);
  Shp_3D_Frame = AddSwatch(GroupBox5, "Shp_3D_Frame", 0x646464, 66, 34, 22);
  Chk_3D_DrawLabel = AddCheck(GroupBox5, "Chk_3D_DrawLabel", "Label", 110, 32, 58, true);
  Shp_3D_Label = AddSwatch(GroupBox5, "Shp_3D_Label", 0x0000FF, 170, 34, 23);
  Chk_3D_DrawSub = AddCheck(GroupBox5, "Chk_3D_DrawSub", "Sub", 6, 49, 58, true);
  Shp_3D_Sub = AddSwatch(GroupBox5, "Shp_3D_Sub", 0x646464, 66, 51, 22);
  Chk_3D_DrawSide = AddCheck(GroupBox5, "Chk_3D_DrawSide", "Side", 110, 49, 58, true);
  Shp_3D_Side = AddSwatch(GroupBox5, "Shp_3D_Side", 0x646464, 170, 51, 22);
  AddCaption(GroupBox5, "Draw Pitch:", 6, 67);
  Lbl_3D_DrawPitch = AddNumLabel(GroupBox5, "Lbl_3D_DrawPitch", "5", 68, 67, 16, 0, false);
  Tkb_3D_DrawPitch = AddTrackBar(GroupBox5, "Tkb_3D_DrawPitch", 1, 50, 5, 88, 64, 122);
}

void TForm1::BuildBottomRow() {
  Bevel_Bottom = Place(new QFrame(this), "Bevel_Bottom", 0, 672, kClientWidth, 2);
  Bevel_Bottom->setFrameStyle(QFrame::HLine | QFrame::Sunken);
  Btn_Open = AddButton(this, "Btn_Open", "Open", 8, 681, 50, 28);
  Btn_Paste = AddButton(this, "Btn_Paste", "Paste", 64, 681, 50, 28);
  Chk_Spline_Enable = AddCheck(this, "Chk_Spline_Enable", "Spline", 120, 679, 64, false);
  AddCaption(this, "Order:", 124, 695);
  Lbl_Spline_Order = AddNumLabel(this, "Lbl_Spline_Order", "3", 160, 695, 12, 40);
  Lbl_Spline_Order->setEnabled(false);
  AddCaption(this, "Data:", 192, 686);
  Cmb_DataType = AddCombo(this, "Cmb_DataType", {}, 224, 684, 129);
  Cmb_DataType->setEnabled(false);
  Btn_Copy_Colormap = AddButton(this, "Btn_Copy_Colormap", "Copy Colormap", 360, 681, 92, 28);
  Btn_Copy_Contour = AddButton(this, "Btn_Copy_Contour", "Copy Contour", 456, 681, 92, 28);
  Btn_Copy_LineGraph = AddButton(this, "Btn_Copy_LineGraph", "Copy LineGraph", 552, 681, 100, 28);
  Btn_Copy_3D = AddButton(this, "Btn_Copy_3D", "Copy 3D", 656, 681, 60, 28);
  Btn_Exit = AddButton(this, "Btn_Exit", "Exit", 760, 681, 58, 28);
  int tag = 0;
  for (QPushButton* b : {Btn_Copy_Colormap, Btn_Copy_Contour, Btn_Copy_LineGraph, Btn_Copy_3D}) {
    SetTag(b, tag++);
    b->setEnabled(false);
  }
}

void TForm1::BuildSidePanel() {
  GroupBox11 = AddGroup(this, "GroupBox11", "Grid Setting", 840, 8, 193, 81);
  Chk_Grid_Show = AddCheck(GroupBox11, "Chk_Grid_Show", "Show Grid", 6, 14, 80, false);
  AddCaption(GroupBox11, "Size:", 96, 16);
  Lbl_Grid_Size = AddNumLabel(GroupBox11, "Lbl_Grid_Size", "10", 124, 16, 30, 10);
  AddCaption(GroupBox11, "Inner:", 6, 33);
  Shp_Grid_Inner = AddSwatch(GroupBox11, "Shp_Grid_Inner", 0xFF8080, 39, 33, 0);
  AddCaption(GroupBox11, "Outer:", 62, 33);
  Shp_Grid_Outer = AddSwatch(GroupBox11, "Shp_Grid_Outer", 0x404040, 97, 33, 0);
  AddCaption(GroupBox11, "Min:", 122, 33);
  Shape1 = AddSwatch(GroupBox11, "Shape1", 0x000000, 147, 33, 0);
  AddCaption(GroupBox11, "Pitch X:", 6, 49);
  Lbl_Grid_XPitch = AddNumLabel(GroupBox11, "Lbl_Grid_XPitch", "10", 54, 49, 30, 11);
  AddCaption(GroupBox11, "Pitch Y:", 96, 49);
  Lbl_Grid_YPitch = AddNumLabel(GroupBox11, "Lbl_Grid_YPitch", "10", 146, 49, 30, 11);
  AddCaption(GroupBox11, "Offset X:", 6, 63);
  Lbl_Grid_XOffset = AddNumLabel(GroupBox11, "Lbl_Grid_XOffset", "0", 54, 63, 30, 13);
  AddCaption(GroupBox11, "Offset Y:", 96, 63);
  Lbl_Grid_YOffset = AddNumLabel(GroupBox11, "Lbl_Grid_YOffset", "0", 146, 63, 30, 13);

  GroupBox12 = AddGroup(this, "GroupBox12", "Tick Setting", 840, 92, 193, 65);
  Chk_Tick_Show = AddCheck(GroupBox12, "Chk_Tick_Show", "Tick", 6, 14, 60, false);
  AddCaption(GroupBox12, "Color:", 96, 16);
  Shp_Tick_Color = AddSwatch(GroupBox12, "Shp_Tick_Color", 0x000000, 130, 16, 0);
  AddCaption(GroupBox12, "Pitch X:", 6, 32);
  Lbl_Tick_XPitch = AddNumLabel(GroupBox12, "Lbl_Tick_XPitch", "10", 54, 32, 30, 30);
  AddCaption(GroupBox12, "Pitch Y:", 96, 32);
  Lbl_Tick_YPitch = AddNumLabel(GroupBox12, "Lbl_Tick_YPitch", "10", 146, 32, 30, 30);
  AddCaption(GroupBox12, "Length:", 6, 47);
  Lbl_Tick_Length = AddNumLabel(GroupBox12, "Lbl_Tick_Length", "5", 54, 47, 30, 32);
  AddCaption(GroupBox12, "Width:", 96, 47);
  Lbl_Tick_Width = AddNumLabel(GroupBox12, "Lbl_Tick_Width", "1", 146, 47, 30, 33);

  GroupBox9 = AddGroup(this, "GroupBox9", "Threshold Range Area", 840, 159, 193, 54);
  AddCaption(GroupBox9, "Type:", 4, 17);
  Cmb_RangeArea_Type =
      AddCombo(GroupBox9, "Cmb_RangeArea_Type",
               {"<V1", "<=V1", ">V1", ">=V1", "V1< x <V2", "V1<= x <=V2"}, 33, 14, 106);
  Chk_RangeFilter = AddCheck(GroupBox9, "Chk_RangeFilter", "Filter", 141, 15, 51, false);
  AddCaption(GroupBox9, "V1:", 6, 37);
  Lbl_RangeArea_V1 = AddNumLabel(GroupBox9, "Lbl_RangeArea_V1", "0.00", 26, 37, 62, 20);
  AddCaption(GroupBox9, "V2:", 96, 37);
  Lbl_RangeArea_V2 = AddNumLabel(GroupBox9, "Lbl_RangeArea_V2", "9999.99", 116, 37, 62, 20);

  GroupBox10 = AddGroup(this, "GroupBox10", "Normalize", 840, 215, 193, 54);
  Chk_Norm_Divide_1 = AddCheck(GroupBox10, "Chk_Norm_Divide_1", "Normalize", 6, 14, 90, false);
  AddCaption(GroupBox10, "Val.:", 6, 35);
  Lbl_Norm_Divisor_1 = AddNumLabel(GroupBox10, "Lbl_Norm_Divisor_1", "1.000", 36, 35, 60, 35);
  Lbl_Norm_Divisor_1->setEnabled(false);
  normChecks = {Chk_Norm_Divide_1};
  normLabels = {Lbl_Norm_Divisor_1};

  GroupBox13 = AddGroup(this, "GroupBox13", "Fill Setting", 840, 272, 129, 57);
  Chk_AutoFill = AddCheck(GroupBox13, "Chk_AutoFill", "Auto Fill", 6, 14, 70, true);
  Btn_Fill = AddButton(GroupBox13, "Btn_Fill", "Fill", 80, 12, 42, 22);
  Btn_Fill->setEnabled(false);
  Chk_Filter = AddCheck(GroupBox13, "Chk_Filter", "Filter", 6, 35, 52, false);
  AddCaption(GroupBox13, "Rad.:", 62, 37);
  Lbl_FilterSize = AddNumLabel(GroupBox13, "Lbl_FilterSize", "3", 90, 37, 30, 0);
  Lbl_FilterSize->setEnabled(false);

  Mem_Data = Place(new QPlainTextEdit(this), "Mem_Data", 840, 336, 185, 89);
  Mem_Data->setReadOnly(true);
  Mem_Data->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Mem_Data->hide();
  Btn_RangeReset = AddButton(this, "Btn_RangeReset", "Range Reset", 840, 432, 81, 25);
  Btn_RangeReset->setEnabled(false);
  Btn_RangeReset->hide();
  Btn_Contour = AddButton(this, "Btn_Contour", "Cnt", 928, 432, 41, 25);
  Btn_Contour->hide();
  Btn_Copy = AddButton(this, "Btn_Copy", "CopyCM", 320, 620, 57, 25);
  Btn_Copy->hide();
  Lbl_DEBUG = Place(new TagLabel(QString(), this), "Lbl_DEBUG", 320, 620, 25, 25);
}

void TForm1::BuildNonVisual() {
  Pmn_Menu = new QMenu(this);
  Pmn_Menu->setObjectName("Pmn_Menu");
  auto addItem = [this](const char* name, const QString& caption) {
    QAction* action = Pmn_Menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    SetTag(action, 0);
    return action;
  };
  Pmn_CopyImage = addItem("Pmn_CopyImage", "Copy Image");
  Pmn_CopyROI = addItem("Pmn_CopyROI", "Copy ROI");
  Pmn_SaveROI = addItem("Pmn_SaveROI", "Save ROI");
  Pmn_Menu->addSeparator();
  Pmn_RangeReset = addItem("Pmn_RangeReset", "Range Reset");

  Timer1 = new QTimer(this);
  Timer1->setObjectName("Timer1");
  Timer1->setInterval(50);
  Timer1->setSingleShot(true);
}

void TForm1::ConnectHandlers() {
  connect(Btn_Open, &QPushButton::clicked, this, &TForm1::Btn_OpenClick);
  connect(Btn_Paste, &QPushButton::clicked, this, &TForm1::Btn_PasteClick);
  connect(Btn_Fill, &QPushButton::clicked, this, &TForm1::Btn_FillClick);
  connect(Btn_Exit, &QPushButton::clicked, this, &TForm1::Btn_ExitClick);
  connect(Btn_RangeReset, &QPushButton::clicked, this, &TForm1::Btn_RangeResetClick);
  connect(Pmn_RangeReset, &QAction::triggered, this, &TForm1::Btn_RangeResetClick);
  connect(Cmb_DataType, &QComboBox::activated, this, &TForm1::Cmb_DataTypeChange);
  connect(Lbl_DEBUG, &TagLabel::doubleClicked, this, &TForm1::Lbl_DEBUGDblClick);
  connect(Mem_Data, &QPlainTextEdit::textChanged, this, &TForm1::Mem_DataChange);
  Mem_Data->viewport()->installEventFilter(this);
  connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);

  // A check box's handler runs whenever its state changes, by the user or by SetParam.
  connect(Chk_Colormap, &QCheckBox::toggled, this, &TForm1::Chk_ColormapClick);
  connect(Chk_AutoFill, &QCheckBox::toggled, this, &TForm1::Chk_AutoFillClick);
  connect(Chk_Filter, &QCheckBox::toggled, this, &TForm1::Chk_FilterClick);
  connect(Chk_Spline_Enable, &QCheckBox::toggled, this, &TForm1::Chk_Spline_EnableClick);
  connect(Chk_Norm_Divide_1, &QCheckBox::toggled, this, &TForm1::Chk_Norm_Divide_1Click);
  connect(Chk_RangeFilter, &QCheckBox::toggled, this, &TForm1::Chk_RangeFilterClick);
  connect(Chk_Grid_Show, &QCheckBox::toggled, this, &TForm1::Chk_Grid_ShowClick);
  connect(Chk_Tick_Show, &QCheckBox::toggled, this, &TForm1::Chk_Tick_ShowClick);
  connect(Cmb_RangeArea_Type, &QComboBox::activated, this, &TForm1::Cmb_RangeArea_TypeChange);

  // Controls whose handlers belong to the views.
  connect(Img_ColorMap, &ImageBox::mousePressed, this, &TForm1::Img_ColorMapMouseDown);
  for (ImageBox* image : {Img_ColorMap, Img_Contour}) {
    connect(image, &ImageBox::mouseMoved, this,
            [this, image](const MouseEventInfo& info) { Img_ColorMapMouseMove(image, info); });
  }
  connect(Img_ColorMap, &ImageBox::mouseReleased, this, &TForm1::Img_ColorMapMouseUp);
  for (ColorShape* line : {Shp_CM_VertLine, Shp_CM_HorzLine})
    connect(line, &ColorShape::mousePressed, this, &TForm1::Shp_CM_LineMouseDown);
  for (ColorShape* shape : roiShapes) {
    connect(shape, &ColorShape::mousePressed, this,
            [this, shape](const MouseEventInfo& info) { Shp_ROIMouseDown(shape, info); });
  }
  for (TagLabel* label : roiLabels) {
    connect(label, &TagLabel::mousePressed, this,
            [this, label](const MouseEventInfo& info) { Shp_ROIMouseDown(label, info); });
  }
  connect(Img_LG, &ImageBox::mousePressed, this, &TForm1::Img_LGMouseDown);
  connect(Img_LG, &ImageBox::mouseMoved, this, &TForm1::Img_LGMouseMove);
  connect(Img_LG, &ImageBox::mouseReleased, this, &TForm1::Img_LGMouseUp);
  connect(Img_ColorBar1, &ImageBox::doubleClicked, this, &TForm1::EditColormapPalette);
  for (QCheckBox* box : {Chk_LG_LineSel01_X, Chk_LG_LineSel01_Y})
    connect(box, &QCheckBox::toggled, this, &TForm1::Chk_LG_DrawDataClick);
  connect(Chk_LG_DrawLegend, &QCheckBox::toggled, this, &TForm1::Chk_LG_DrawLegendClick);
  connect(Chk_LG_BoldLine, &QCheckBox::toggled, this, &TForm1::Chk_LG_BoldLineClick);
  connect(Chk_CopyColormap, &QCheckBox::toggled, this, &TForm1::Chk_CopyColormapClick);
  connect(Chk_CM_DrawContour, &QCheckBox::toggled, this, &TForm1::Chk_CM_DrawContourClick);
  for (QComboBox* box : {Cmb_ROI_Type_1, Cmb_ROI_FDigit_1, Cmb_ROI_Type_2, Cmb_ROI_FDigit_2})
    connect(box, &QComboBox::activated, this, &TForm1::Cmb_ROI_Change);
  for (QCheckBox* box : {Chk_3D_DrawFrame, Chk_3D_DrawLabel, Chk_3D_DrawSub, Chk_3D_DrawSide})
    connect(box, &QCheckBox::toggled, this, &TForm1::Chk_3D_OptionClick);
  connect(Rdo_3D_DrawType, &RadioGroup::clicked, this, &TForm1::Rdo_3D_DrawTypeClick);
  for (QSlider* bar : {Tkb_3D_X, Tkb_3D_Z})
    connect(bar, &QSlider::valueChanged, this, &TForm1::Tkb_AngleChange);
  for (QSlider* bar : {Tkb_3D_Ratio, Tkb_3D_Zoom})
    connect(bar, &QSlider::valueChanged, this, &TForm1::Tkb_RatioZoomChange);
  connect(Tkb_3D_DrawPitch, &QSlider::valueChanged, this, &TForm1::Tkb_3D_DrawPitchChange);
  connect(Tkb_3D_LabelSize, &QSlider::valueChanged, this, &TForm1::Tkb_3D_LabelSizeChange);
  for (QSlider* bar : {Tkb_3D_DrawPitch, Tkb_3D_LabelSize})
    connect(bar, &QSlider::sliderReleased, this, &TForm1::TrackBarReleased);
  for (QPushButton* b : {Btn_Copy_Colormap, Btn_Copy_Contour, Btn_Copy_LineGraph, Btn_Copy_3D})
    connect(b, &QPushButton::clicked, this, [this, b] { Btn_CopyButtonClick(b); });
  connect(Pmn_CopyImage, &QAction::triggered, this, [this] { Btn_CopyButtonClick(Pmn_CopyImage); });
  connect(Pmn_CopyROI, &QAction::triggered, this, &TForm1::CopyRoiTable);
  connect(Pmn_SaveROI, &QAction::triggered, this, &TForm1::SaveRoiTable);
  InstallDesktopActions();
}

}  // namespace orvelle
