// Pictures of the window for a reviewer: written only when ORVELLE_SCREENSHOT_DIR names a
// directory (tools/screenshot.sh does that): at start, with an example loaded, in debug mode.
#include <QDir>
#include <QTest>

#include "WindowFixture.h"

namespace orvelle::test {
namespace {

class WindowScreenshot : public WindowTest {};

TEST_F(WindowScreenshot, WritesThePictures) {
  const QString out = qEnvironmentVariable("ORVELLE_SCREENSHOT_DIR");
  if (out.isEmpty()) GTEST_SKIP() << "ORVELLE_SCREENSHOT_DIR is not set";
  QDir().mkpath(out);
  TForm1& form = MakeWindow();
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  auto save = [&](const char* name) {
    QCoreApplication::processEvents();
    const QString path = QDir(out).filePath(name);
    ASSERT_TRUE(form.grab().save(path)) << path.toStdString();
  };
  save("window-start.png");
  OpenThroughDialog(ExamplePath("volcano_pitch5.thk"));
  save("window-loaded.png");
  // The cursor moved off the centre and both ROIs placed.
  auto* map = Find<QWidget>("Img_ColorMap");
  QTest::mouseClick(map, Qt::LeftButton, {}, QPoint(200, 120));
  QTest::mouseClick(map, Qt::LeftButton, Qt::ControlModifier, QPoint(90, 90));
  QTest::mouseClick(map, Qt::RightButton, Qt::ControlModifier, QPoint(230, 220));
  save("window-rois.png");
  QTest::mouseDClick(Find<QWidget>("Lbl_DEBUG"), Qt::LeftButton);
  save("window-debug.png");
  EXPECT_TRUE(messages.Messages().empty());
}

}  // namespace
}  // namespace orvelle::test
