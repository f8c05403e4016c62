// The settings file as the window uses it: values kept from one run to the next, a flag stored as
// 2, a file in which every value differs from the designed window surviving a start and a close,
// a short file replaced at start-up, a read-only program directory, an installed copy, a file
// that can be neither read nor created, and a failed save at close.
#include <unistd.h>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QStandardPaths>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "WindowFixture.h"
#include "data/SettingsFile.h"

namespace orvelle::test {
namespace {

class WindowSettings : public WindowTest {
 protected:
  void TearDown() override {
    WindowTest::TearDown();
    qunsetenv("XDG_CONFIG_HOME");
  }

  // A directory in which no file can be created, for any user.
  QString UnwritableDir() {
    const std::string readOnly = dir.File("readonly");
    std::filesystem::create_directory(readOnly);
    std::filesystem::permissions(
        readOnly, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    if (access(readOnly.c_str(), W_OK) != 0) return QString::fromStdString(readOnly) + '/';
    return "/proc/";  // the superuser may write anywhere but there
  }
};

TEST_F(WindowSettings, ValuesComeBackAtTheNextStart) {
  MakeWindow();
  Find<QCheckBox>("Chk_Filter")->click();
  TypeIntoLabel("Lbl_FilterSize", QString("9"));
  TypeIntoLabel("Lbl_Grid_Size", QString("7"));
  TypeIntoLabel("Lbl_RangeArea_V1", QString("-2.50"));
  Find<QCheckBox>("Chk_3D_DrawSide")->click();
  PickColor("Shp_Grid_Outer", 0x00A0B0);
  window->close();
  const ViewerParams saved = window->Params();
  window.reset();

  TForm1& again = MakeWindow();
  EXPECT_TRUE(messages.Messages().empty()) << messages.Only();
  EXPECT_EQ(FormatSettings(again.Params()), FormatSettings(saved));
  EXPECT_TRUE(Find<QCheckBox>("Chk_Filter")->isChecked());
  EXPECT_TRUE(Find<QWidget>("Lbl_FilterSize")->isEnabled());
  EXPECT_EQ(Find<QLabel>("Lbl_FilterSize")->text(), "9");
  EXPECT_EQ(Find<QLabel>("Lbl_Grid_Size")->text(), "7");
  EXPECT_EQ(Find<QLabel>("Lbl_RangeArea_V1")->text(), "-2.50");
  EXPECT_FALSE(Find<QCheckBox>("Chk_3D_DrawSide")->isChecked());
  EXPECT_EQ(Find<ColorShape>("Shp_Grid_Outer")->BrushColor(), 0x00A0B0u);
}

TEST_F(WindowSettings, AFlagStoredAsTwoReadsAsOff) {
  std::string text = FormatSettings(DesignedParams());
  text.replace(text.find("3D_DrawFrame: 1"), 15, "3D_DrawFrame: 2");
  dir.Write("setting.dat", text);
  TForm1& form = MakeWindow();
  EXPECT_TRUE(messages.Messages().empty());
  EXPECT_FALSE(Find<QCheckBox>("Chk_3D_DrawFrame")->isChecked());
  EXPECT_EQ(form.Params().d3DrawFrame, 0);
}

TEST_F(WindowSettings, EveryStoredValueSurvivesAStartAndAClose) {
  ViewerParams stored = DesignedParams();
  ViewerParams& p = stored;
  auto flip = [](uint8_t& flag) { flag = flag ? 0 : 1; };
  for (uint8_t* flag :
       {&p.autoFill, &p.filterEnable, &p.splineEnable, &p.colormapMode, &p.gridShow, &p.tickShow,
        &p.rangeFilter, &p.normEnable, &p.drawContourOnMap, &p.copyColormap, &p.lgBoldLine,
        &p.lgDrawLegend, &p.d3DrawFrame, &p.d3DrawLabel, &p.d3DrawSub, &p.d3DrawSide})
    flip(*flag);
  p.filterSize = 7;
  p.splineOrder = 4;
  p.minColor = 0x010203;
  p.maxColor = 0x040506;
  p.backColor = 0x070809;
  // The second ROI shares the first one's type, size and digits.
  for (int r = 0; r < 2; ++r) {
    p.roiType[r] = 1;
    p.roiSize[r] = 41;
    p.roiDigits[r] = 4;
  }
  p.roiColour[0] = 0x0A0B0C;
  p.roiColour[1] = 0x0D0E0F;
  p.gridSize = 3;
  p.gridPitchX = 21;
  p.gridPitchY = 22;
  p.gridOffsetX = 23;
  p.gridOffsetY = 24;
  p.gridInnerColor = 0x101112;
  p.gridOuterColor = 0x131415;
  p.tickLength = 9;
  p.tickWidth = 3;
  p.tickPitchX = 25;
  p.tickPitchY = 26;
  p.tickColor = 0x161718;
  p.rangeAreaType = 2;
  p.rangeAreaV1 = -12.5;
  p.rangeAreaV2 = 345.25;
  p.normValue = 2.5f;
  p.contourLevels = 12;
  p.lgXColor[0] = 0x191A1B;
  p.lgYColor[0] = 0x1C1D1E;
  p.lgBackColor = 0x1F2021;
  p.lgAxisColor = 0x222324;
  p.lgSubColor = 0x252627;
  p.lgLabelColor = 0x28292A;
  p.d3DrawType = 0;
  p.d3DrawPitch = 7;
  p.d3LabelSize = 6;
  p.d3BackColor = 0x2B2C2D;
  p.d3AxisColor = 0x2E2F30;
  p.d3FrameColor = 0x313233;
  p.d3LabelColor = 0x343536;
  p.d3SubColor = 0x373839;
  p.d3SideColor = 0x3A3B3C;
  const std::string text = FormatSettings(stored);
  dir.Write("setting.dat", text);

  TForm1& form = MakeWindow();
  EXPECT_TRUE(messages.Messages().empty()) << messages.Only();
  form.GetParam();
  EXPECT_EQ(FormatSettings(form.Params()), text);
  EXPECT_EQ(Find<QLabel>("Lbl_Tick_Length")->text(), "9");
  form.close();
  EXPECT_EQ(ReadFile(SettingsFile()), text);
}

TEST_F(WindowSettings, AShortFileIsReportedAndReplacedByTheDesignedValues) {
  ViewerParams changed = DesignedParams();
  changed.autoFill = 0;
  changed.gridSize = 44;
  std::string text = FormatSettings(changed);
  size_t end = 0;
  for (int line = 0; line < 40; ++line) end = text.find('\n', end) + 1;
  dir.Write("setting.dat", text.substr(0, end));

  TForm1& form = MakeWindow();
  EXPECT_EQ(messages.Only(), "Parameter read error.(X/Y Line Color No.0)");
  EXPECT_FALSE(form.TerminateRequested());
  // The lines read before the failure never reach the controls; file and controls agree.
  EXPECT_TRUE(Find<QCheckBox>("Chk_AutoFill")->isChecked());
  EXPECT_EQ(ReadFile(SettingsFile()), FormatSettings(DesignedParams()));
  EXPECT_EQ(FormatSettings(form.Params()), FormatSettings(DesignedParams()));
}

TEST_F(WindowSettings, AReadOnlyProgramDirectoryUsesTheUserConfigDirectory) {
  qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(dir.File("config")));
  const QString config = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
  ASSERT_TRUE(config.startsWith(QString::fromStdString(dir.File("config"))));

  TForm1& form = MakeWindow(UnwritableDir());
  EXPECT_FALSE(form.TerminateRequested());
  EXPECT_TRUE(messages.Messages().empty()) << messages.Only();
  EXPECT_EQ(form.SettingsPath(), config + "/setting.dat");
  EXPECT_EQ(ReadFile(form.SettingsPath().toStdString()), FormatSettings(DesignedParams()));
}

TEST_F(WindowSettings, AnInstalledCopyNeverWritesBesideItsProgramFile) {
  // An installation prefix the test may write to, as the superuser may write to /usr.
  qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(dir.File("config")));
  const std::string bin = dir.File("prefix/bin");
  std::filesystem::create_directories(bin);
  std::filesystem::create_directories(dir.File("prefix/share/orvelle/examples"));

  TForm1& form = MakeWindow(QString::fromStdString(bin) + '/');
  EXPECT_TRUE(messages.Messages().empty()) << messages.Only();
  EXPECT_EQ(form.SettingsPath().toStdString(),
            QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation).toStdString() +
                "/setting.dat");
  EXPECT_TRUE(std::filesystem::is_empty(bin));
}

TEST_F(WindowSettings, NoPlaceForTheFileEndsTheProgram) {
  qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(dir.Write("not-a-directory", "")));
  TForm1& form = MakeWindow(UnwritableDir());
  EXPECT_TRUE(form.TerminateRequested());
  EXPECT_EQ(messages.Only(), "<SaveParameter> File open error.");
}

TEST_F(WindowSettings, AFailedSaveAtCloseIsReportedAndTheWindowStillCloses) {
  const std::string home = dir.File("home");
  std::filesystem::create_directory(home);
  TForm1& form = MakeWindow(QString::fromStdString(home));
  form.show();
  // The directory disappears while the program runs; a file takes its name.
  std::filesystem::remove_all(home);
  std::ofstream(home) << "";
  EXPECT_TRUE(form.close());
  EXPECT_EQ(messages.Messages(), std::vector<std::string>({"<SaveParameter> File open error.",
                                                           "Parameter is not saved."}));
  EXPECT_FALSE(form.isVisible());
}

}  // namespace
}  // namespace orvelle::test
