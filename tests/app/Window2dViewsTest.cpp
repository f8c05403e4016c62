// The 2D views inside the real window: pictures and labels after a load (against the command-line
// renderer), the pointer on the colour map and the line graph driven with QTest, ROIs and their
// export, the colour setting dialog on the colour bar, and the Fill command's failure.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include "WindowFixture.h"
#include "data/Conditioning.h"
#include "data/Message.h"
#include "dialogs/Colorsetting.h"
#include "views2d/ColorPalette.h"
#include "views2d/LineGraph.h"
#include "views2d/Roi.h"

namespace orvelle::test {
namespace {

// A lattice with pitch 10 whose two points share no cell: nothing can be filled.
constexpr char kNoCellThk[] = "20,\r\n10,10,\r\n1,Value,\r\n0,0,1,\r\n20,20,2,\r\n";

class Window2dTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    PlatformHooks().setClipboardText = [this](const QString& text) { clipboard = text; };
    PlatformHooks().saveFile = [this](const FileDialogSpec& spec) -> std::optional<QString> {
      saveSpecs.push_back(spec);
      return savePath;
    };
  }

  // The window, shown, with the volcano example loaded (data type 0 shown).
  TForm1& LoadedWindow() {
    TForm1& form = MakeWindow();
    form.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&form));
    OpenThroughDialog(ExamplePath("volcano_pitch5.thk"));
    EXPECT_TRUE(messages.Messages().empty()) << messages.Only();
    return form;
  }

  ImageBox* Image(const char* name) const { return Find<ImageBox>(name); }
  QString Text(const char* name) const { return Find<QLabel>(name)->text(); }
  QWidget* Widget(const char* name) const { return Find<QWidget>(name); }
  QPoint Pos(const char* name) const { return Widget(name)->pos(); }

  std::optional<QString> savePath;
  std::vector<FileDialogSpec> saveSpecs;
};

// A pointer move straight to the widget (QTest's moves go through the platform's cursor, which
// the offscreen platform delivers late).
void Move(QWidget* widget, QPoint pos, Qt::MouseButtons held = Qt::NoButton,
          Qt::KeyboardModifiers keys = Qt::NoModifier) {
  QMouseEvent event(QEvent::MouseMove, QPointF(pos), QPointF(widget->mapToGlobal(pos)),
                    Qt::NoButton, held, keys);
  QApplication::sendEvent(widget, &event);
}

// One mouse event of `type` straight to the widget.
void Send(QWidget* widget, QEvent::Type type, QPoint pos, Qt::KeyboardModifiers keys = {}) {
  const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
  QMouseEvent event(type, QPointF(pos), QPointF(widget->mapToGlobal(pos)), Qt::LeftButton, held,
                    keys);
  QApplication::sendEvent(widget, &event);
}

// A double click as Qt delivers it: press, release, double click (the second press), release.
void DoubleClick(QWidget* widget, QPoint first, QPoint second, Qt::KeyboardModifiers keys = {}) {
  Send(widget, QEvent::MouseButtonPress, first, keys);
  Send(widget, QEvent::MouseButtonRelease, first, keys);
  Send(widget, QEvent::MouseButtonDblClick, second, keys);
  Send(widget, QEvent::MouseButtonRelease, second, keys);
}

bool OneColour(const QImage& image) {
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (image.pixel(x, y) != image.pixel(0, 0)) return false;
  return true;
}

QImage ReadPng(const std::string& path) {
  QImage image(QString::fromStdString(path));
  return image.convertToFormat(QImage::Format_RGB32);
}

TEST_F(Window2dTest, PicturesAndLabelsAfterLoadMatchTheCommandLineRenderer) {
  TForm1& form = LoadedWindow();
  for (const char* view : {"colormap", "contour"}) {
    const std::string out = dir.File(std::string(view) + ".png");
    const CliResult r =
        RunCliProcess({"render", ExamplePath("volcano_pitch5.thk"), "--view", view, "-o", out});
    ASSERT_EQ(r.status, 0) << r.err;
    const ImageBox* image = Image(std::string(view) == "colormap" ? "Img_ColorMap" : "Img_Contour");
    EXPECT_EQ(image->Picture(), ReadPng(out)) << view;
  }

  const GridDataSet& set = form.DataSets()[0];
  EXPECT_EQ(Text("Lbl_Max"), QString::number(set.rangeMax, 'f', 3));
  EXPECT_EQ(Text("Lbl_Min"), QString::number(set.rangeMin, 'f', 3));
  EXPECT_EQ(Text("Lbl_Mean"), QString::number(set.mean, 'f', 3));
  EXPECT_EQ(Text("Lbl_CM_Size"), "430 x 300");
  EXPECT_NE(Text("Lbl_RangeArea"), "----");
  EXPECT_EQ(Text("Lbl_Cont_Range1"), QString::number(set.rangeMin, 'f', 3));
  EXPECT_EQ(Text("Lbl_Cont_Range5"), QString::number(set.rangeMax, 'f', 3));

  // The bars beside the pictures: colour bar 1 in colour mode from the designed palette.
  QImage bar(kColorBarWidth, kColorBar1Height, QImage::Format_RGB32);
  DrawColorBar(bar, 1, form.Params().minColor, form.Params().maxColor, kDefaultPalette);
  EXPECT_EQ(Image("Img_ColorBar1")->Picture(), bar);
}

TEST_F(Window2dTest, TickShapesHangBelowAndLeftOfThePanel) {
  TForm1& form = LoadedWindow();
  auto ticks = [&form] {
    std::vector<ColorShape*> shapes;
    for (ColorShape* s : form.findChildren<ColorShape*>("TickShape", Qt::FindDirectChildrenOnly))
      shapes.push_back(s);
    return shapes;
  };
  ASSERT_EQ(ticks().size(), 40u);
  if (!form.Params().tickShow) QTest::mouseClick(Find<QCheckBox>("Chk_Tick_Show"), Qt::LeftButton);
  ASSERT_TRUE(form.Params().tickShow);
  // Size 430 with pitch 10: 43 pitches fit, so all 20 ticks of both rows show.
  int visible = 0;
  for (ColorShape* s : ticks()) visible += s->isVisible() ? 1 : 0;
  EXPECT_EQ(visible, 40);
  const ViewerParams& p = form.Params();
  const std::vector<ColorShape*> shapes = ticks();
  // The first X tick sits under the image's left edge (panel 8 + 2), just below the panel.
  EXPECT_EQ(shapes[0]->geometry(), QRect(10 - p.tickWidth / 2, 6 + 305, p.tickWidth, p.tickLength));
  // The first Y tick stands left of the panel at the image's bottom edge.
  EXPECT_EQ(shapes[20]->geometry(),
            QRect(8 - p.tickLength, 6 + 305 - 1 - 2 - p.tickWidth / 2, p.tickLength, p.tickWidth));
  EXPECT_EQ(shapes[0]->BrushColor(), p.tickColor);

  // They are painted in the tick colour on the window.
  const QImage window = form.grab().toImage();
  EXPECT_EQ(ToColorRef(window.pixelColor(10, 6 + 305 + 1)), p.tickColor);
  EXPECT_EQ(ToColorRef(window.pixelColor(4, 6 + 305 - 3 - p.tickWidth / 2)), p.tickColor);

  QTest::mouseClick(Find<QCheckBox>("Chk_Tick_Show"), Qt::LeftButton);
  for (ColorShape* s : ticks()) EXPECT_FALSE(s->isVisible());
}

TEST_F(Window2dTest, PointerOnTheColorMapReadsMovesTheCursorAndDrags) {
  TForm1& form = LoadedWindow();
  ImageBox* map = Image("Img_ColorMap");
  QWidget* vert = Widget("Shp_CM_VertLine");
  QWidget* horz = Widget("Shp_CM_HorzLine");
  // After the load the cursor is at the centre of the image (2 pixels inside the panel).
  EXPECT_TRUE(vert->isVisible());
  EXPECT_EQ(vert->x(), 2 + 150);
  EXPECT_EQ(horz->y(), 2 + 150);

  // A move alone: read-outs of grid point (trunc(150 * 431 / 301), trunc(100 * 431 / 301)).
  const QImage graphBefore = Image("Img_LG")->Picture();
  Move(map, QPoint(150, 100));
  EXPECT_EQ(Text("Lbl_Info_X"), "214");
  EXPECT_EQ(Text("Lbl_Info_Y"), "143");
  EXPECT_EQ(Text("Lbl_Info_Data"), QString::number(form.DataSets()[0].values[214][143], 'f', 3));
  EXPECT_EQ(vert->x(), 152);
  EXPECT_EQ(Image("Img_LG")->Picture(), graphBefore);

  // The contour image reads with its own size; past the right edge reads the last point.
  Move(Image("Img_Contour"), QPoint(300, 0));
  EXPECT_EQ(Text("Lbl_Info_X"), "429");
  EXPECT_EQ(Text("Lbl_Info_Y"), "0");

  // Press, drag and release: the lines follow the pointer, the profiles follow the point.
  QTest::mousePress(map, Qt::LeftButton, {}, QPoint(100, 200));
  EXPECT_EQ(vert->x(), 102);
  EXPECT_EQ(horz->y(), 202);
  EXPECT_EQ(LineGraph().columnX, 100 * 431 / 301);
  EXPECT_NE(Image("Img_LG")->Picture(), graphBefore);
  Move(map, QPoint(250, 40), Qt::LeftButton);
  EXPECT_EQ(vert->x(), 252);
  EXPECT_EQ(horz->y(), 42);
  EXPECT_EQ(LineGraph().rowY, 40 * 431 / 301);
  QTest::mouseRelease(map, Qt::LeftButton, {}, QPoint(250, 40));
  Move(map, QPoint(20, 20));
  EXPECT_EQ(vert->x(), 252);  // released: moves only read

  // Shift + press starts a drag without moving the lines; the first move moves them.
  QTest::mousePress(map, Qt::LeftButton, Qt::ShiftModifier, QPoint(60, 70));
  EXPECT_EQ(vert->x(), 252);
  Move(map, QPoint(61, 71), Qt::LeftButton, Qt::ShiftModifier);
  EXPECT_EQ(vert->x(), 63);
  QTest::mouseRelease(map, Qt::LeftButton, {}, QPoint(61, 71));

  // A click on a cursor line hides both.
  QTest::mouseClick(horz, Qt::LeftButton);
  EXPECT_FALSE(vert->isVisible());
  EXPECT_FALSE(horz->isVisible());
}

TEST_F(Window2dTest, TheSecondPressOfADoubleClickActsOnBothImages) {
  LoadedWindow();
  DoubleClick(Image("Img_ColorMap"), QPoint(100, 200), QPoint(103, 202));
  EXPECT_EQ(Pos("Shp_CM_VertLine").x(), 2 + 103);
  EXPECT_EQ(Pos("Shp_CM_HorzLine").y(), 2 + 202);

  QCheckBox* legend = Find<QCheckBox>("Chk_LG_DrawLegend");
  if (!legend->isChecked()) QTest::mouseClick(legend, Qt::LeftButton);
  DoubleClick(Image("Img_LG"), QPoint(120, 60), QPoint(123, 62), Qt::ShiftModifier);
  EXPECT_EQ(LineGraph().legendX, 123);
  EXPECT_EQ(LineGraph().legendY, 62);
}

TEST_F(Window2dTest, PointerBeforeAnyDataDoesNothingAndRightClickOpensTheMenu) {
  TForm1& form = MakeWindow();
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  ImageBox* map = Image("Img_ColorMap");
  Move(map, QPoint(40, 40));
  QTest::mouseClick(map, Qt::RightButton, {}, QPoint(40, 40));
  EXPECT_EQ(Text("Lbl_Info_X"), "---");
  EXPECT_EQ(Text("Lbl_Info_Data"), "----.---");
  EXPECT_FALSE(Find<QMenu>("Pmn_Menu")->isVisible());

  OpenThroughDialog(ExamplePath("volcano_pitch5.thk"));
  QTest::mouseClick(map, Qt::RightButton, {}, QPoint(40, 40));
  QMenu* menu = Find<QMenu>("Pmn_Menu");
  EXPECT_TRUE(menu->isVisible());
  for (QAction* item : menu->actions()) {
    EXPECT_TRUE(item->isSeparator() || item->isEnabled()) << item->text().toStdString();
  }
  menu->hide();
}

TEST_F(Window2dTest, CtrlClickPlacesRoisAndCopyRoiPutsTheirTableOnTheClipboard) {
  TForm1& form = LoadedWindow();
  ImageBox* map = Image("Img_ColorMap");
  QAction* copy = form.findChild<QAction*>("Pmn_CopyROI");
  copy->trigger();
  EXPECT_EQ(messages.Only(), "ROI area not selected!");
  EXPECT_TRUE(clipboard.isEmpty());
  messages.Clear();

  const QPoint vertBefore = Pos("Shp_CM_VertLine");
  QTest::mouseClick(map, Qt::LeftButton, Qt::ControlModifier, QPoint(150, 150));
  QTest::mouseClick(map, Qt::MiddleButton, Qt::ControlModifier, QPoint(30, 30));
  EXPECT_EQ(Pos("Shp_CM_VertLine"), vertBefore);  // Ctrl + click does not move the cursor
  QWidget* roi1 = Widget("Shp_ROI_1");
  EXPECT_TRUE(roi1->isVisible());
  EXPECT_FALSE(Widget("Shp_ROI_2")->isVisible());
  // Centred on the press pixel (2 pixels inside the panel).
  EXPECT_EQ(roi1->geometry().center(), QPoint(152, 152));
  const ViewerParams& p = form.Params();
  const int centre = 150 * 430 / 301;
  const RoiStats elevation =
      MeasureRoi(form.DataSets()[0], p.roiType[0], centre, centre, p.roiSize[0]);
  const RoiStats slope = MeasureRoi(form.DataSets()[1], p.roiType[0], centre, centre, p.roiSize[0]);
  ASSERT_GT(elevation.count, 0);
  auto fixed = [&p](double v) { return QString::number(v, 'f', p.roiDigits[0]); };
  EXPECT_EQ(Text("Lbl_ROI_Max_1"), "Max: " + fixed(elevation.max));
  EXPECT_TRUE(Widget("Lbl_ROI_Mean_1")->isVisible());

  copy->trigger();
  EXPECT_EQ(messages.Only(), "Copied ROI Data to Clipboard.");
  const QString expected =
      "\t\tElevation_m\tSlope\t\n"
      "ROI1\tMin\t" +
      fixed(elevation.min) + "\t" + fixed(slope.min) +
      "\t\n"
      "ROI1\tMax\t" +
      fixed(elevation.max) + "\t" + fixed(slope.max) +
      "\t\n"
      "ROI1\tMean\t" +
      fixed(elevation.mean) + "\t" + fixed(slope.mean) + "\t\n";
  EXPECT_EQ(clipboard, expected);

  // Ctrl + right places ROI 2; Ctrl + click on ROI 1's outline hides it and its labels.
  QTest::mouseClick(map, Qt::RightButton, Qt::ControlModifier, QPoint(60, 250));
  EXPECT_TRUE(Widget("Shp_ROI_2")->isVisible());
  QTest::mouseClick(roi1, Qt::LeftButton, {}, QPoint(2, 20));
  EXPECT_TRUE(roi1->isVisible());  // without Ctrl nothing happens
  QTest::mouseClick(roi1, Qt::LeftButton, Qt::ControlModifier, QPoint(2, 20));
  EXPECT_FALSE(roi1->isVisible());
  EXPECT_FALSE(Widget("Lbl_ROI_Min_1")->isVisible());
  EXPECT_TRUE(Widget("Lbl_ROI_Min_2")->isVisible());

  // The type box turns the remaining outline into a square at once.
  auto* type = Find<QComboBox>("Cmb_ROI_Type_1");
  type->setCurrentIndex(kRoiSquare);
  emit type->activated(kRoiSquare);
  EXPECT_EQ(Find<ColorShape>("Shp_ROI_2")->ShapeForm(), ColorShape::Form::Rectangle);

  // Save ROI writes the comma table of the remaining ROI with CR LF line ends.
  messages.Clear();
  savePath = QString::fromStdString(dir.File("roi.csv"));
  form.findChild<QAction*>("Pmn_SaveROI")->trigger();
  ASSERT_EQ(saveSpecs.size(), 1u);
  EXPECT_EQ(saveSpecs[0].filter, "CSV file (*.csv)|*.csv");
  EXPECT_TRUE(saveSpecs[0].confirmOverwrite);
  EXPECT_EQ(messages.Only(), "ROI Data save to file completed.");
  const std::string csv = ReadFile(dir.File("roi.csv"));
  EXPECT_EQ(csv.substr(0, 27), ",,Elevation_m,Slope,\r\nROI2,");
}

class Window2dLineGraphTest : public Window2dTest {
 protected:
  struct Ranges {
    float xStart, xRange, yShift, yRange;
    bool operator==(const Ranges&) const = default;
  };
  Ranges Current() const {
    const LineGraphState& g = LineGraph();
    return {g.xStart, g.xRange, g.yShift, g.yRange};
  }
  void Drag(QPoint from, QPoint to) {
    ImageBox* graph = Image("Img_LG");
    QTest::mousePress(graph, Qt::LeftButton, {}, from);
    Move(graph, (from + to) / 2, Qt::LeftButton);
    Move(graph, to, Qt::LeftButton);
    QTest::mouseRelease(graph, Qt::LeftButton, {}, to);
  }
  void ResetRanges() {
    questionAnswers.push_back(true);
    QTest::mouseClick(Image("Img_LG"), Qt::RightButton, Qt::ControlModifier, QPoint(200, 100));
  }
};

TEST_F(Window2dLineGraphTest, ZoomDragIsTheSameInBothDirectionsAndAClickChangesNothing) {
  TForm1& form = LoadedWindow();
  const Ranges start = Current();
  const QImage startPicture = Image("Img_LG")->Picture();

  QTest::mouseClick(Image("Img_LG"), Qt::LeftButton, {}, QPoint(150, 100));
  EXPECT_EQ(Current(), start);
  EXPECT_EQ(Image("Img_LG")->Picture(), startPicture);

  Drag(QPoint(100, 50), QPoint(300, 150));
  const Ranges zoomed = Current();
  const QImage zoomedPicture = Image("Img_LG")->Picture();
  EXPECT_NE(zoomed, start);
  EXPECT_LT(zoomed.xRange, start.xRange);
  EXPECT_EQ(form.Params().lgXRange, zoomed.xRange);
  EXPECT_NE(zoomedPicture, startPicture);

  // Ctrl + right click asks before going back to the ranges of the load.
  ResetRanges();
  ASSERT_EQ(questionCalls.size(), 1u);
  EXPECT_EQ(questionCalls[0].caption, "Reset range/shift");
  EXPECT_EQ(questionCalls[0].text, "Reset range/shift setting to default.\nAre you sure?");
  EXPECT_EQ(Current(), start);
  EXPECT_EQ(Image("Img_LG")->Picture(), startPicture);

  Drag(QPoint(300, 150), QPoint(100, 50));
  EXPECT_EQ(Current(), zoomed);
  EXPECT_EQ(Image("Img_LG")->Picture(), zoomedPicture);
}

TEST_F(Window2dLineGraphTest, ShiftClickMovesTheLegendAndTheCheckBoxesRedraw) {
  TForm1& form = LoadedWindow();
  QCheckBox* legend = Find<QCheckBox>("Chk_LG_DrawLegend");
  if (!legend->isChecked()) QTest::mouseClick(legend, Qt::LeftButton);
  ASSERT_TRUE(LineGraph().legendOn);
  const QImage before = Image("Img_LG")->Picture();
  QTest::mouseClick(Image("Img_LG"), Qt::LeftButton, Qt::ShiftModifier, QPoint(120, 60));
  EXPECT_EQ(LineGraph().legendX, 120);
  EXPECT_EQ(LineGraph().legendY, 60);
  EXPECT_NE(Image("Img_LG")->Picture(), before);

  // The check box captioned "Y:" switches the column profile.
  QCheckBox* column = Find<QCheckBox>("Chk_LG_LineSel01_X");
  ASSERT_TRUE(column->isEnabled());
  const QImage both = Image("Img_LG")->Picture();
  QTest::mouseClick(column, Qt::LeftButton);
  EXPECT_FALSE(LineGraph().series[0].showColumn);
  EXPECT_NE(Image("Img_LG")->Picture(), both);
  QTest::mouseClick(Find<QCheckBox>("Chk_LG_BoldLine"), Qt::LeftButton);
  EXPECT_EQ(LineGraph().series[0].bold, form.Params().lgBoldLine != 0);
}

TEST_F(Window2dLineGraphTest, ColourSwatchesRecolourTheGraphAndTheCursorLines) {
  LoadedWindow();
  PickColor("Shp_LG_Back", 0x003300);
  EXPECT_EQ(LineGraph().backColour, 0x003300u);
  EXPECT_EQ(ToColorRef(Image("Img_LG")->Picture().pixelColor(2, 2)), 0x003300u);
  PickColor("Shp_LG_Line01", 0x00FF00);
  EXPECT_EQ(LineGraph().series[0].columnColour, 0x00FF00u);
  EXPECT_EQ(Find<ColorShape>("Shp_CM_VertLine")->PenColor(), 0x00FF00u);
  PickColor("Shp_LG_LSub01", 0x00FFFF);
  EXPECT_EQ(LineGraph().series[0].rowColour, 0x00FFFFu);
  EXPECT_EQ(Find<ColorShape>("Shp_CM_HorzLine")->PenColor(), 0x00FFFFu);
}

// Answers the colour setting dialog from inside its modal loop: `edit` runs on the open dialog,
// then OK is pressed. `opened` tells whether it ever opened. Delete the result to stop waiting.
QTimer* AnswerColorSet(TForm1& form, std::function<void(TColorSet&)> edit, bool* opened) {
  auto* poll = new QTimer(&form);
  poll->setInterval(5);
  QObject::connect(poll, &QTimer::timeout, poll, [&form, edit, opened, poll] {
    auto* dialog = form.findChild<TColorSet*>();
    if (dialog == nullptr || !dialog->isVisible()) return;
    *opened = true;
    edit(*dialog);
    dialog->findChild<QPushButton*>("Btn_OK")->click();
    poll->deleteLater();
  });
  poll->start();
  return poll;
}

TEST_F(Window2dTest, ColourBarDoubleClickEditsThePaletteOnlyInColourMode) {
  TForm1& form = LoadedWindow();
  ImageBox* bar = Image("Img_ColorBar1");
  bool opened = false;

  QTest::mouseClick(Find<QCheckBox>("Chk_Colormap"), Qt::LeftButton);
  ASSERT_FALSE(form.Params().colormapMode);
  QTimer* waiting = AnswerColorSet(
      form, [](TColorSet&) {}, &opened);
  QTest::mouseDClick(bar, Qt::LeftButton, {}, QPoint(4, 100));
  QTest::qWait(30);
  EXPECT_FALSE(opened);
  delete waiting;

  QTest::mouseClick(Find<QCheckBox>("Chk_Colormap"), Qt::LeftButton);
  ASSERT_TRUE(form.Params().colormapMode);
  const QImage mapBefore = Image("Img_ColorMap")->Picture();
  AnswerColorSet(
      form, [](TColorSet& dialog) { dialog.findChild<QSlider*>("Tkb_Angle_Start")->setValue(100); },
      &opened);
  QTest::mouseDClick(bar, Qt::LeftButton, {}, QPoint(4, 100));
  EXPECT_TRUE(opened);

  PaletteParams edited = kDefaultPalette;
  edited.angleStart = 100.0f;
  EXPECT_EQ(form.Params().colormapPalette.angleStart, 100.0f);
  EXPECT_EQ(CurrentPaletteParams().angleStart, 100.0f);
  QImage expectedBar(kColorBarWidth, kColorBar1Height, QImage::Format_RGB32);
  DrawColorBar(expectedBar, 1, form.Params().minColor, form.Params().maxColor, edited);
  EXPECT_EQ(bar->Picture(), expectedBar);
  // The map is drawn with the new palette, installed before it.
  QImage expectedMap(kColormapSize, kColormapSize, QImage::Format_RGB32);
  ThresholdTest test;
  ColormapResult result;
  DrawColormap(expectedMap, form.DataSets()[0], form.Params(), test, result);
  EXPECT_EQ(Image("Img_ColorMap")->Picture(), expectedMap);
  EXPECT_NE(Image("Img_ColorMap")->Picture(), mapBefore);
}

TEST_F(Window2dTest, AnEditedPaletteStaysOnTheColourMapThroughLaterRefreshes) {
  // No OpenGL here: the 3D view draws nothing, yet it leaves the colour map's palette installed.
  TForm1& form = LoadedWindow();
  ASSERT_EQ(form.SurfacePanel(), nullptr);
  bool opened = false;
  AnswerColorSet(
      form, [](TColorSet& dialog) { dialog.findChild<QSlider*>("Tkb_Angle_Start")->setValue(100); },
      &opened);
  QTest::mouseDClick(Image("Img_ColorBar1"), Qt::LeftButton, {}, QPoint(4, 100));
  ASSERT_TRUE(opened);
  const QImage edited = Image("Img_ColorMap")->Picture();
  form.RefreshViews();
  form.RefreshViews();
  EXPECT_EQ(Image("Img_ColorMap")->Picture(), edited);
}

TEST_F(Window2dTest, ConditioningShowsTheWaitCursorAndRestoresIt) {
  TForm1& form = MakeWindow();
  QTest::mouseClick(Find<QCheckBox>("Chk_Spline_Enable"), Qt::LeftButton);
  ASSERT_TRUE(form.Params().splineEnable || Find<QCheckBox>("Chk_Spline_Enable")->isChecked());
  // The spline refuses this lattice with a message while the pipeline runs.
  std::vector<Qt::CursorShape> shapes;
  const MessageHandler previous = SetMessageHandler([&shapes](const std::string&) {
    const QCursor* cursor = QGuiApplication::overrideCursor();
    shapes.push_back(cursor ? cursor->shape() : Qt::BitmapCursor);
  });
  OpenThroughDialog(ExamplePath("coads_atlantic_sparse.thk"));
  SetMessageHandler(previous);
  ASSERT_EQ(shapes.size(), 1u);
  EXPECT_EQ(shapes[0], Qt::WaitCursor);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(Window2dTest, ContourOnTheMapShowsTheColourBarAndLocksTheMapMode) {
  TForm1& form = LoadedWindow();
  QCheckBox* colormap = Find<QCheckBox>("Chk_Colormap");
  QTest::mouseClick(colormap, Qt::LeftButton);
  ASSERT_FALSE(form.Params().colormapMode);
  const QImage twoColourMap = Image("Img_ColorMap")->Picture();
  Find<QCheckBox>("Chk_CM_DrawContour")->setChecked(true);
  EXPECT_FALSE(colormap->isEnabled());
  QImage bar(kColorBarWidth, kColorBar1Height, QImage::Format_RGB32);
  DrawColorBar(bar, 1, form.Params().minColor, form.Params().maxColor, kDefaultPalette);
  EXPECT_EQ(Image("Img_ColorBar1")->Picture(), bar);
  EXPECT_EQ(Image("Img_ColorMap")->Picture(), twoColourMap);
  Find<QCheckBox>("Chk_CM_DrawContour")->setChecked(false);
  EXPECT_TRUE(colormap->isEnabled());
}

TEST_F(Window2dTest, FillFailureShowsItsMessageAndLeavesNoDataOnScreen) {
  TForm1& form = LoadedWindow();
  const std::string noCell = dir.Write("nocell.thk", kNoCellThk);

  // With auto fill on, a file that cannot be filled empties the slots and the views.
  OpenThroughDialog(noCell);
  EXPECT_TRUE(messages.Messages().empty()) << messages.Only();
  EXPECT_FALSE(form.DataSets()[0].active);
  EXPECT_EQ(Text("Lbl_Max"), "----.---");
  EXPECT_EQ(Text("Lbl_Cont_Range5"), "---.---");
  EXPECT_TRUE(OneColour(Image("Img_ColorMap")->Picture()));
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

  // With auto fill off the raw file loads; Fill then fails with its message.
  QTest::mouseClick(Find<QCheckBox>("Chk_AutoFill"), Qt::LeftButton);
  ASSERT_FALSE(form.Params().autoFill);
  OpenThroughDialog(noCell);
  EXPECT_TRUE(form.DataSets()[0].active);
  QPushButton* fill = Find<QPushButton>("Btn_Fill");
  ASSERT_TRUE(fill->isEnabled());
  QTest::mouseClick(fill, Qt::LeftButton);
  EXPECT_EQ(messages.Only(), kFillFailedMessage);
  EXPECT_FALSE(form.DataSets()[0].active);
  EXPECT_EQ(Text("Lbl_Max"), "----.---");
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace orvelle::test
