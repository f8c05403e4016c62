// The platform layer: mouse forwarding with button and Shift/Ctrl, swatch painting, the radio
// group's item index, colour conversion, file filters, and messages reaching a box captioned
// with the application title.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QMouseEvent>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "data/Message.h"
#include "platform/Controls.h"
#include "platform/Dialogs.h"

namespace orvelle {
namespace {

TEST(PlatformControls, ImageBoxForwardsButtonAndModifiers) {
  ImageBox box;
  box.resize(40, 30);
  std::vector<MouseEventInfo> presses, releases, moves;
  QObject::connect(&box, &ImageBox::mousePressed,
                   [&](const MouseEventInfo& i) { presses.push_back(i); });
  QObject::connect(&box, &ImageBox::mouseReleased,
                   [&](const MouseEventInfo& i) { releases.push_back(i); });
  QObject::connect(&box, &ImageBox::mouseMoved,
                   [&](const MouseEventInfo& i) { moves.push_back(i); });
  QTest::mousePress(&box, Qt::RightButton, Qt::ControlModifier, QPoint(5, 7));
  QTest::mouseRelease(&box, Qt::RightButton, Qt::ShiftModifier, QPoint(6, 8));
  QMouseEvent move(QEvent::MouseMove, QPointF(9, 10), QPointF(9, 10), Qt::NoButton, Qt::NoButton,
                   Qt::NoModifier);
  QApplication::sendEvent(&box, &move);
  ASSERT_EQ(presses.size(), 1u);
  EXPECT_EQ(presses[0].x, 5);
  EXPECT_EQ(presses[0].y, 7);
  EXPECT_EQ(presses[0].button, Qt::RightButton);
  EXPECT_TRUE(presses[0].ctrl);
  EXPECT_FALSE(presses[0].shift);
  ASSERT_EQ(releases.size(), 1u);
  EXPECT_TRUE(releases[0].shift);
  EXPECT_FALSE(releases[0].ctrl);
  ASSERT_FALSE(moves.empty());
  EXPECT_EQ(moves.back().x, 9);
  EXPECT_EQ(moves.back().button, Qt::NoButton);
  // The picture always has the control's size.
  EXPECT_EQ(box.Picture().size(), QSize(40, 30));
  box.resize(20, 10);
  EXPECT_EQ(box.Picture().size(), QSize(20, 10));
}

TEST(PlatformControls, SwatchesAndLinesPaintTheirColours) {
  ColorShape swatch;
  swatch.resize(16, 14);
  swatch.SetBrushColor(0x0000FF);  // red in the low byte
  EXPECT_EQ(swatch.grab().toImage().pixelColor(8, 7), QColor(255, 0, 0));
  ColorShape line;
  line.resize(1, 30);
  line.SetPenColor(0xFF0000);
  EXPECT_EQ(line.grab().toImage().pixelColor(0, 15), QColor(0, 0, 255));
  EXPECT_EQ(ToColorRef(QColor(0x80, 0x80, 0xFF)), 0xFF8080u);
  EXPECT_EQ(ToQColor(16744576), QColor(0x80, 0x80, 0xFF));
}

TEST(PlatformControls, LabelsAndRadioGroupsReportTheirEvents) {
  TagLabel label("3");
  SetTag(&label, 40);
  EXPECT_EQ(TagOf(&label), 40);
  QSignalSpy doubleClicks(&label, &TagLabel::doubleClicked);
  QTest::mouseDClick(&label, Qt::LeftButton);
  EXPECT_EQ(doubleClicks.count(), 1);

  RadioGroup group("Draw Type", {"Wire", "Plane"});
  QSignalSpy clicks(&group, &RadioGroup::clicked);
  group.SetItemIndex(1);
  group.SetItemIndex(1);
  EXPECT_EQ(clicks.count(), 1);  // only a change counts
  group.Item(0)->click();
  EXPECT_EQ(group.ItemIndex(), 0);
  EXPECT_EQ(clicks.count(), 2);
}

TEST(PlatformDialogs, FiltersAndClipboard) {
  EXPECT_EQ(ToQtFilter("THK data file(*.thk)|*.thk"), "THK data file(*.thk) (*.thk)");
  EXPECT_EQ(ToQtFilter("CSV file (*.csv)|*.csv|All|*.a;*.b"),
            "CSV file (*.csv) (*.csv);;All (*.a *.b)");
  PlatformHooks() = {};
  SetClipboardText("THK_DATA\tx");
  EXPECT_EQ(ClipboardText(), "THK_DATA\tx");
  QImage image(3, 2, QImage::Format_RGB32);
  image.fill(Qt::green);
  SetClipboardImage(image);
  EXPECT_EQ(ClipboardImage().convertToFormat(QImage::Format_RGB32), image);
}

TEST(PlatformDialogs, MessagesOpenABoxCaptionedWithTheApplicationTitle) {
  PlatformHooks() = {};
  const MessageHandler previous = SetMessageHandler({});
  InstallMessageBoxHandler();
  QString caption, text;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      caption = box->windowTitle();
      text = box->text();
      box->button(QMessageBox::Ok)->click();
    }
  });
  poll.start(10);
  ShowMessage("Data nothing on Clipboard.");
  poll.stop();
  SetMessageHandler(previous);
  EXPECT_EQ(caption, "Orvelle");
  EXPECT_EQ(text, "Data nothing on Clipboard.");
}

}  // namespace
}  // namespace orvelle
