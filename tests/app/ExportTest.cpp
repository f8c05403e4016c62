// Pictures of the views on the clipboard (sizes, contents against the window's own pixels, the
// colour map's hidden overlays, the formats offered, the messages), files dropped on the window
// and the open and paste shortcuts; the command line's framed pictures equal to the copies.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QUrl>
#include <cstdio>
#include <functional>

#include "WindowFixture.h"
#include "data/SettingsFile.h"

namespace orvelle::test {
namespace {

class WindowExport : public WindowTest {
 protected:
  // A shown window with the example loaded, so the copy buttons are enabled.
  TForm1& LoadedWindow() {
    TForm1& form = MakeWindow();
    form.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&form));
    OpenThroughDialog(ExamplePath("volcano_pitch5.thk"));
    EXPECT_TRUE(messages.Messages().empty());
    QCoreApplication::processEvents();
    return form;
  }

  QImage Screen(const QRect& region) const {
    return window->grab(region).toImage().convertToFormat(QImage::Format_RGB32);
  }

  static QImage ClipboardPicture() {
    return QApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32);
  }
};

TEST_F(WindowExport, EachButtonCopiesItsRegionAsTheWindowShowsIt) {
  TForm1& form = LoadedWindow();
  struct Case {
    const char* button;
    QRect region;
    const char* message;
  };
  const Case cases[] = {
      {"Btn_Copy_Colormap", QRect(2, 2, 404, 314), "Copy 'Colormap' image to clipboard."},
      {"Btn_Copy_Contour", QRect(410, 2, 406, 314), "Copy 'Contour' image to clipboard."},
      {"Btn_Copy_LineGraph", QRect(8, 376, 393, 233), "Copy 'LineGraph' image to clipboard."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.button);
    QApplication::clipboard()->clear();
    messages.Clear();
    // The colour map copy shows the cross-hair again; the screen to match is the one without it.
    form.Shp_CM_VertLine->hide();
    form.Shp_CM_HorzLine->hide();
    const QImage screen = Screen(c.region);
    auto* button = Find<QPushButton>(c.button);
    ASSERT_TRUE(button->isEnabled());
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(messages.Only(), c.message);
    const QImage copy = ClipboardPicture();
    EXPECT_EQ(copy.size(), c.region.size());
    EXPECT_TRUE(copy == screen);
    // Programs that do not know Qt's image type paste the same picture as PNG.
    const QMimeData* data = QApplication::clipboard()->mimeData();
    ASSERT_TRUE(data != nullptr && data->hasFormat("image/png"));
    EXPECT_TRUE(
        QImage::fromData(data->data("image/png"), "PNG").convertToFormat(QImage::Format_RGB32) ==
        copy);
  }
}

TEST_F(WindowExport, ColormapCopyLeavesOutTheCrossHairAndShowsItAgain) {
  TForm1& form = LoadedWindow();
  const QRect region(2, 2, 404, 314);
  form.Shp_CM_VertLine->show();
  form.Shp_CM_HorzLine->show();
  form.Btn_RangeReset->hide();
  const QImage withLines = Screen(region);

  // Seen at the moment the picture reaches the clipboard.
  bool overlaysShown = true;
  QImage copy;
  PlatformHooks().setClipboardImage = [&](const QImage& image) {
    overlaysShown = form.Shp_CM_VertLine->isVisible() || form.Shp_CM_HorzLine->isVisible() ||
                    form.Btn_RangeReset->isVisible();
    copy = image.convertToFormat(QImage::Format_RGB32);
  };
  QTest::mouseClick(form.Btn_Copy_Colormap, Qt::LeftButton);
  EXPECT_FALSE(overlaysShown);
  EXPECT_EQ(messages.Only(), "Copy 'Colormap' image to clipboard.");
  // Afterwards all three are shown, the range button too although it was hidden before.
  EXPECT_TRUE(form.Shp_CM_VertLine->isVisible());
  EXPECT_TRUE(form.Shp_CM_HorzLine->isVisible());
  EXPECT_TRUE(form.Btn_RangeReset->isVisible());

  EXPECT_FALSE(copy == withLines);
  form.Shp_CM_VertLine->hide();
  form.Shp_CM_HorzLine->hide();
  EXPECT_TRUE(copy == Screen(region));

  // The popup item carries Tag 0 and copies the colour map the same way.
  messages.Clear();
  copy = QImage();
  form.Pmn_CopyImage->trigger();
  EXPECT_EQ(messages.Only(), "Copy 'Colormap' image to clipboard.");
  EXPECT_EQ(copy.size(), region.size());
}

TEST_F(WindowExport, UnknownTagDoesNothingAnd3DNeverClaimsAnEmptyCopy) {
  TForm1& form = LoadedWindow();
  QApplication::clipboard()->setText("kept");
  QObject stranger;
  SetTag(&stranger, 4);
  form.Btn_CopyButtonClick(&stranger);
  SetTag(&stranger, -1);
  form.Btn_CopyButtonClick(&stranger);
  EXPECT_TRUE(messages.Messages().empty());
  EXPECT_EQ(QApplication::clipboard()->text(), "kept");

  // Without a display there may be no OpenGL to read the 3D view back; then the copy must say
  // so and leave the clipboard alone.
  QTest::mouseClick(form.Btn_Copy_3D, Qt::LeftButton);
  if (messages.Only() == "Copy '3D' image failed.") {
    EXPECT_EQ(QApplication::clipboard()->text(), "kept");
  } else {
    EXPECT_EQ(messages.Only(), "Copy '3D' image to clipboard.");
    const QImage copy = ClipboardPicture();
    EXPECT_FALSE(copy.isNull());
    EXPECT_LE(copy.width(), 800);
    EXPECT_LE(copy.height(), 600);
  }
}

// orvelle-cli render --framed draws what the copy buttons copy, for the same file and settings.
QImage RenderFramed(const char* view, const std::vector<std::string>& extra = {}) {
  TempDir out;
  std::vector<std::string> args = {
      "render",         ExamplePath("volcano_pitch5.thk"), "--view", view, "--framed", "-o",
      out.File("f.png")};
  args.insert(args.end(), extra.begin(), extra.end());
  const CliResult r = RunCliProcess(args);
  EXPECT_EQ(r.status, 0) << r.err;
  return QImage(QString::fromStdString(out.File("f.png"))).convertToFormat(QImage::Format_RGB32);
}

// With the axis ticks shown, which the colour map's copy takes along.
TEST_F(WindowExport, FramedRenderIsTheCopyOfTheColormapAndTheContour) {
  ViewerParams ticks = DesignedParams();
  ticks.tickShow = 1;
  dir.Write("setting.dat", FormatSettings(ticks));
  TForm1& form = LoadedWindow();
  QTest::mouseClick(form.Btn_Copy_Colormap, Qt::LeftButton);
  const QImage colormap = ClipboardPicture();
  EXPECT_EQ(colormap.size(), QSize(404, 314));
  EXPECT_TRUE(RenderFramed("colormap", {"--settings", SettingsFile()}) == colormap);
  QTest::mouseClick(form.Btn_Copy_Contour, Qt::LeftButton);
  const QImage contour = ClipboardPicture();
  EXPECT_EQ(contour.size(), QSize(406, 314));
  EXPECT_TRUE(RenderFramed("contour", {"--settings", SettingsFile()}) == contour);
}

// --range gives the pictures of a window whose Max and Min were typed in, once the views were
// drawn again (a new contour level count redraws the contour).
TEST_F(WindowExport, RangeDrawsAsTheWindowsTypedMinAndMax) {
  TForm1& form = LoadedWindow();
  QTest::mouseClick(form.Btn_Copy_Colormap, Qt::LeftButton);
  const QImage fullRange = ClipboardPicture();
  TypeIntoLabel("Lbl_Max", QString("170.5"));
  TypeIntoLabel("Lbl_Min", QString("120"));
  TypeIntoLabel("Lbl_BorderCount", QString("5"));
  messages.Clear();
  QTest::mouseClick(form.Btn_Copy_Colormap, Qt::LeftButton);
  const QImage colormap = ClipboardPicture();
  QTest::mouseClick(form.Btn_Copy_Contour, Qt::LeftButton);
  const QImage contour = ClipboardPicture();
  EXPECT_FALSE(colormap == fullRange);
  EXPECT_TRUE(RenderFramed("colormap", {"--range", "120,170.5"}) == colormap);
  EXPECT_TRUE(RenderFramed("contour", {"--range=120,170.5"}) == contour);
}

class WindowDrop : public WindowTest {
 protected:
  // Sends a drag entering the window and, when it was accepted, the drop; true when accepted.
  bool DragAndDrop(const QList<QUrl>& urls, const std::function<void()>& beforeOpen = {}) {
    QMimeData data;
    data.setUrls(urls);
    const QPoint at(300, 400);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window.get(), &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window.get(), &drop);
    EXPECT_TRUE(drop.isAccepted());
    if (beforeOpen) beforeOpen();
    QCoreApplication::processEvents();
    return true;
  }

  static QUrl File(const std::string& path) {
    return QUrl::fromLocalFile(QString::fromStdString(path));
  }
};

TEST_F(WindowDrop, DroppedFileOpensAsTheOpenButtonAndTheCommandLineDo) {
  const std::string example = ExamplePath("volcano_pitch5.thk");
  auto typeList = [this] {
    QStringList items;
    for (int i = 0; i < window->Cmb_DataType->count(); ++i)
      items << window->Cmb_DataType->itemText(i);
    return items;
  };
  MakeWindow();
  OpenThroughDialog(example);
  const QStringList viaDialog = typeList();
  ASSERT_FALSE(viaDialog.isEmpty());

  window.reset();
  MakeWindow().OpenFileAtStart(QString::fromStdString(example));
  EXPECT_EQ(typeList(), viaDialog);

  window.reset();
  TForm1& form = MakeWindow();
  // A web address before the file is passed over.
  ASSERT_TRUE(DragAndDrop({QUrl("https://example.org/a.thk"), File(example)}));
  EXPECT_EQ(typeList(), viaDialog);
  EXPECT_TRUE(form.Btn_Copy_Colormap->isEnabled());
  EXPECT_EQ(openCalls.size(), 1u);
  EXPECT_TRUE(messages.Messages().empty());
}

TEST_F(WindowDrop, RefusesWhatIsNoLocalFileAndReportsBadFilesWithTheReadersMessage) {
  TForm1& form = MakeWindow();
  EXPECT_FALSE(DragAndDrop({}));
  EXPECT_FALSE(DragAndDrop({QUrl("https://example.org/a.thk")}));
  EXPECT_FALSE(DragAndDrop({QUrl::fromLocalFile(QString::fromStdString(dir.Path()))}));
  EXPECT_TRUE(messages.Messages().empty());

  const std::string text = dir.Write("notes.txt", "hello\n");
  ASSERT_TRUE(DragAndDrop({File(text)}));
  EXPECT_EQ(messages.Only(), "Data count is zero.");
  EXPECT_FALSE(form.DataSets()[0].active);
  EXPECT_FALSE(form.Btn_Copy_Colormap->isEnabled());

  // The file vanishes between the drop and its reading.
  messages.Clear();
  const std::string gone = dir.Write("gone.thk", "THK_DATA\n");
  ASSERT_TRUE(DragAndDrop({File(gone)}, [&] { std::remove(gone.c_str()); }));
  EXPECT_EQ(messages.Only(), "File open error. -> " + gone);
  EXPECT_FALSE(form.DataSets()[0].active);
}

TEST_F(WindowDrop, CtrlOAndCtrlVActAsOpenAndPaste) {
  TForm1& form = MakeWindow();
  form.show();
  form.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));

  openAnswers.push_back(QString());  // cancelled
  QTest::keyClick(&form, Qt::Key_O, Qt::ControlModifier);
  EXPECT_EQ(openCalls.size(), 1u);
  EXPECT_FALSE(form.DataSets()[0].active);

  openAnswers.push_back(QString::fromStdString(ExamplePath("volcano_pitch5.thk")));
  QTest::keyClick(&form, Qt::Key_O, Qt::ControlModifier);
  EXPECT_EQ(openCalls.size(), 2u);
  EXPECT_TRUE(form.DataSets()[0].active);

  // Paste reads the clipboard text even while the read-only memo has the focus.
  form.Mem_Data->setFocus();
  clipboard.clear();
  QTest::keyClick(form.Mem_Data, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(messages.Only(), "Data nothing on Clipboard.");
  messages.Clear();
  ResetDataSets(form.DataSets(), kMaxDataSets);
  clipboard = QString::fromStdString(ReadFile(ExamplePath("volcano_spline_clipboard.txt")));
  QTest::keyClick(&form, Qt::Key_V, Qt::ControlModifier);
  EXPECT_TRUE(messages.Messages().empty()) << messages.Only();
  EXPECT_TRUE(form.DataSets()[0].active);
  EXPECT_FALSE(form.Mem_Data->toPlainText().isEmpty());
}

}  // namespace
}  // namespace orvelle::test
