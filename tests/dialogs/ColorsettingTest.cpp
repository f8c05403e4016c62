// The colour setting dialog: track bar scaling and its round trips, and the dialog driven through
// its real track bars and buttons (defaults, OK, Cancel, Default with its question, preview).
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontInfo>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <limits>

#include "dialogs/Colorsetting.h"
#include "views2d/ColorPalette.h"

namespace orvelle {
namespace {

constexpr TrackPositions kDefaultPositions{-20, 280, 10, 10, 8, 2};

TEST(TrackScaling, EveryPositionSurvivesTheRoundTrip) {
  for (TrackScale scale : {TrackScale::kDegrees, TrackScale::kTenths}) {
    for (int p = TrackMinimum(scale); p <= TrackMaximum(scale); ++p) {
      ASSERT_EQ(PositionFromValue(scale, ValueFromPosition(scale, p)), p);
    }
  }
}

TEST(TrackScaling, ValuesOffTheGridAreBroughtOntoIt) {
  EXPECT_EQ(PositionFromValue(TrackScale::kTenths, 1.5f), 10);
  EXPECT_EQ(PositionFromValue(TrackScale::kTenths, -0.3f), 0);
  EXPECT_EQ(PositionFromValue(TrackScale::kTenths, 0.34f), 3);
  EXPECT_EQ(PositionFromValue(TrackScale::kTenths, 0.36f), 4);
  EXPECT_EQ(PositionFromValue(TrackScale::kDegrees, -20.9f), -20);  // toward zero
  EXPECT_EQ(PositionFromValue(TrackScale::kDegrees, 1234.0f), 999);
  EXPECT_EQ(PositionFromValue(TrackScale::kDegrees, -1.0e30f), -999);
  EXPECT_EQ(PositionFromValue(TrackScale::kTenths, std::numeric_limits<float>::infinity()), 10);
  EXPECT_EQ(PositionFromValue(TrackScale::kDegrees, std::numeric_limits<float>::quiet_NaN()), 0);
}

// Drives the modal dialog: the actions run inside its event loop and must close it.
class ColorSetDialog : public testing::Test {
 protected:
  void SetUp() override {
    dialog.SetQuestionHandler([this](const QString& caption, const QString& text) {
      questions.push_back(caption + "|" + text);
      return answerOk;
    });
  }

  bool Run(PaletteParams* params, const std::function<void()>& actions) {
    bool ran = false;
    QTimer::singleShot(0, &dialog, [&] {
      ran = true;
      EXPECT_TRUE(dialog.isVisible());
      actions();
      if (dialog.isVisible()) {
        ADD_FAILURE() << "the dialog was left open";
        dialog.done(QDialog::Rejected);
      }
    });
    const bool result = dialog.ShowColorSet(params);
    EXPECT_TRUE(ran);
    return result;
  }

  QSlider* Bar(size_t i) {
    return dialog.findChild<QSlider*>(QLatin1String(kPaletteTracks[i].trackBarName));
  }
  QLabel* Label(size_t i) {
    return dialog.findChild<QLabel*>(QLatin1String(kPaletteTracks[i].labelName));
  }
  void Click(const char* button) {
    QTest::mouseClick(dialog.findChild<QPushButton*>(QLatin1String(button)), Qt::LeftButton);
  }
  TrackPositions Shown() {
    TrackPositions positions{};
    for (size_t i = 0; i < positions.size(); ++i) positions[i] = Bar(i)->value();
    return positions;
  }

  TColorSet dialog;
  std::vector<QString> questions;
  bool answerOk = true;
};

TEST_F(ColorSetDialog, FontsResolveToInstalledFaces) {
  EXPECT_EQ(QFontInfo(dialog.font()).family(), "Liberation Sans");
  EXPECT_EQ(QFontInfo(Label(0)->font()).family(), "IPAPGothic");
}

TEST_F(ColorSetDialog, DefaultPaletteShownAndReturnedByOk) {
  PaletteParams params = kDefaultPalette;
  EXPECT_TRUE(Run(&params, [&] {
    EXPECT_EQ(Shown(), kDefaultPositions);
    const char* labels[6] = {"-20", "280", "1.0", "1.0", "0.8", "0.2"};
    for (size_t i = 0; i < 6; ++i) EXPECT_EQ(Label(i)->text(), labels[i]);
    // Double-clicking a value label changes nothing and keeps the dialog open.
    QTest::mouseDClick(Label(4), Qt::LeftButton);
    EXPECT_TRUE(dialog.isVisible());
    Click("Btn_OK");
  }));
  EXPECT_EQ(params, kDefaultPalette);

  // Values off the track bars' grid come back on it.
  params.sharpStart = 1.5f;
  params.angleStart = -20.6f;
  EXPECT_TRUE(Run(&params, [&] {
    EXPECT_EQ(Shown(), kDefaultPositions);
    EXPECT_EQ(Label(2)->text(), "1.0");
    Click("Btn_OK");
  }));
  EXPECT_EQ(params, kDefaultPalette);
}

TEST_F(ColorSetDialog, VolumeStartRoundTripsThroughOk) {
  PaletteParams params = kDefaultPalette;
  EXPECT_TRUE(Run(&params, [&] {
    Bar(4)->setFocus();
    QTest::keyClick(Bar(4), Qt::Key_Left);
    EXPECT_EQ(Label(4)->text(), "0.7");
    Click("Btn_OK");
  }));
  EXPECT_EQ(params.volumeStart, 0.7f);

  EXPECT_TRUE(Run(&params, [&] {
    EXPECT_EQ(Bar(4)->value(), 7);
    EXPECT_EQ(Label(4)->text(), "0.7");
    Bar(4)->setValue(9);
    EXPECT_EQ(Label(4)->text(), "0.9");
    Click("Btn_OK");
  }));
  EXPECT_EQ(params.volumeStart, 0.9f);
}

TEST_F(ColorSetDialog, CancelAndEscapeLeaveTheCallersValues) {
  PaletteParams params = kDefaultPalette;
  params.angleRange = 200.0f;
  const PaletteParams before = params;
  EXPECT_FALSE(Run(&params, [&] {
    Bar(1)->setValue(-500);
    Bar(5)->setValue(7);
    EXPECT_EQ(Label(1)->text(), "-500");
    Click("Btn_Cancel");
  }));
  EXPECT_EQ(params, before);

  // The next showing starts from the caller's values; an OK before does not make Escape count.
  EXPECT_TRUE(Run(&params, [&] {
    EXPECT_EQ(Bar(1)->value(), 200);
    EXPECT_EQ(Bar(5)->value(), 2);
    Click("Btn_OK");
  }));
  EXPECT_FALSE(Run(&params, [&] {
    Bar(0)->setValue(40);
    QTest::keyClick(&dialog, Qt::Key_Escape);
  }));
  EXPECT_EQ(params, before);
  EXPECT_FALSE(dialog.ShowColorSet(nullptr));
}

TEST_F(ColorSetDialog, DefaultReturnsToTheFirstShownValuesOnlyOnOk) {
  PaletteParams first = kDefaultPalette;
  first.volumeRange = 0.1f;
  EXPECT_FALSE(Run(&first, [&] { Click("Btn_Cancel"); }));

  PaletteParams params = kDefaultPalette;
  params.angleStart = 100.0f;
  params.sharpRange = 0.0f;
  const PaletteParams before = params;

  // Declined: nothing moves. Confirmed: the first showing's values, then Cancel keeps the caller's.
  EXPECT_FALSE(Run(&params, [&] {
    answerOk = false;
    Click("Btn_Default");
    EXPECT_EQ(Bar(0)->value(), 100);
    answerOk = true;
    Click("Btn_Default");
    EXPECT_EQ(Shown(), PalettePositions(first));
    EXPECT_EQ(Label(5)->text(), "0.1");
    Click("Btn_Cancel");
  }));
  EXPECT_EQ(params, before);
  ASSERT_EQ(questions.size(), 2u);
  EXPECT_EQ(questions[0], "|Reset setting to default.Are you sure?");

  EXPECT_TRUE(Run(&params, [&] {
    Click("Btn_Default");
    Click("Btn_OK");
  }));
  EXPECT_EQ(params, first);
}

TEST_F(ColorSetDialog, PreviewShowsTheEditedRampWithoutInstallingIt) {
  const PaletteParams installed{0.0f, 360.0f, 1.0f, 0.0f, 1.0f, 0.0f};
  SetPaletteParams(installed);
  PaletteParams params = kDefaultPalette;
  const auto checkPreview = [&](const PaletteParams& p) {
    const QImage shown = dialog.findChild<QLabel*>("Image1")->grab().toImage();
    ASSERT_EQ(shown.size(), QSize(27, 234));
    for (int y = 0; y < shown.height(); ++y) {
      const ColorRef c = HsvColor(p, static_cast<float>(234 - y) / 234.0f);
      const QRgb expected = qRgb(RedOf(c), GreenOf(c), BlueOf(c));
      ASSERT_EQ(shown.pixel(0, y) & 0xFFFFFF, expected & 0xFFFFFF) << "row " << y;
      ASSERT_EQ(shown.pixel(26, y) & 0xFFFFFF, expected & 0xFFFFFF) << "row " << y;
    }
  };
  EXPECT_FALSE(Run(&params, [&] {
    checkPreview(kDefaultPalette);
    Bar(0)->setValue(90);
    Bar(3)->setValue(0);
    Bar(4)->setValue(3);
    PaletteParams moved = kDefaultPalette;
    moved.angleStart = 90.0f;
    moved.sharpRange = 0.0f;
    moved.volumeStart = 0.3f;
    checkPreview(moved);
    Click("Btn_Cancel");
  }));
  // The top of the default ramp is red 255, green 0, blue 85.
  const QImage preview = PalettePreview(kDefaultPalette, 27, 234);
  EXPECT_EQ(preview.pixel(5, 0) & 0xFFFFFF, 0xFF0055u);
  for (float x : {0.0f, 0.5f, 1.0f}) {
    EXPECT_EQ(PaletteColor(1, 0, 0, x), HsvColor(installed, x));
  }
}

}  // namespace
}  // namespace orvelle
