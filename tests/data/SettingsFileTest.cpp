// The settings file: the 61 lines as written, reading them back, the group rule and every read
// error message, refused key words, locale independence and the safe replacement of the file.
#include "data/SettingsFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <vector>

#include "support/TestSupport.h"

namespace orvelle {
namespace {

using test::MessageRecorder;
using test::ReadFile;
using test::TempDir;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string FirstLines(const std::string& text, int count) {
  std::string out;
  std::vector<std::string> lines = Lines(text);
  for (int i = 0; i < count; ++i) out += lines[i] + "\n";
  return out;
}

// A record in which every stored field differs from the designed values.
ViewerParams ChangedParams() {
  ViewerParams p = DesignedParams();
  p.autoFill = 0;
  p.filterEnable = 1;
  p.filterSize = 7;
  p.splineEnable = 1;
  p.splineOrder = 4;
  p.colormapMode = 0;
  p.minColor = 0x010203;
  p.maxColor = 0x040506;
  p.backColor = 0x070809;
  p.roiType[0] = 1;
  p.roiType[1] = 0;
  p.roiSize[0] = 12;
  p.roiSize[1] = 13;
  p.roiDigits[0] = 4;
  p.roiDigits[1] = 5;
  p.roiColour[0] = 0x111111;
  p.roiColour[1] = 0x222222;
  p.gridShow = 1;
  p.gridSize = 3;
  p.gridPitchX = 21;
  p.gridPitchY = 22;
  p.gridOffsetX = 23;
  p.gridOffsetY = 24;
  p.gridInnerColor = 0x333333;
  p.gridOuterColor = 0x444444;
  p.tickShow = 1;
  p.tickLength = 8;
  p.tickWidth = 3;
  p.tickPitchX = 31;
  p.tickPitchY = 32;
  p.tickColor = 0x555555;
  p.rangeAreaType = 2;
  p.rangeAreaV1 = -12.5;
  p.rangeAreaV2 = 250.25;
  p.rangeFilter = 1;
  p.normEnable = 1;
  p.normValue = 2.5f;
  p.drawContourOnMap = 1;
  p.contourLevels = 9;
  p.copyColormap = 0;
  p.lgXColor[0] = 0x666666;
  p.lgYColor[0] = 0x777777;
  p.lgBackColor = 0x888888;
  p.lgAxisColor = 0x999999;
  p.lgSubColor = 0xAAAAAA;
  p.lgLabelColor = 0xBBBBBB;
  p.lgBoldLine = 1;
  p.lgDrawLegend = 1;
  p.d3DrawType = 0;
  p.d3DrawPitch = 9;
  p.d3LabelSize = 7;
  p.d3DrawFrame = 0;
  p.d3DrawLabel = 0;
  p.d3DrawSub = 0;
  p.d3DrawSide = 0;
  p.d3BackColor = 0xCCCCCC;
  p.d3AxisColor = 0xDDDDDD;
  p.d3FrameColor = 0xEEEEEE;
  p.d3LabelColor = 0x123456;
  p.d3SubColor = 0x654321;
  p.d3SideColor = 0x0F0F0F;
  return p;
}

TEST(SettingsFileFormat, WritesTheSixtyOneLinesOfTheDesignedWindow) {
  const std::vector<std::string> lines = Lines(FormatSettings(DesignedParams()));
  ASSERT_EQ(lines.size(), 61u);
  EXPECT_EQ(lines[0], "AutoFill: 1");
  EXPECT_EQ(lines[3], "Spline_Enable: 0");
  EXPECT_EQ(lines[9], "ROI1_Type: 0");
  EXPECT_EQ(lines[13], "ROI2_Type: 0");
  EXPECT_EQ(lines[16], "ROI2_Color: 16711680");
  EXPECT_EQ(lines[23], "Grid_InnerColor: 16744576");
  EXPECT_EQ(lines[32], "RangeArea_V1: 0.00");
  EXPECT_EQ(lines[33], "RangeArea_V2: 9999.99");
  EXPECT_EQ(lines[35], "NormalizeEnbl_1: 0");
  EXPECT_EQ(lines[36], "NormalizeVal_1: 1.000");
  EXPECT_EQ(lines[40], "LG_X_Color: 255");
  EXPECT_EQ(lines[59], "3D_Sub_Color: 6579300");
  EXPECT_EQ(lines[60], "3D_Side_Color: 6579300");
}

TEST(SettingsFileFormat, RealsUseAPointInACommaLocale) {
  setenv("LOCPATH", ORVELLE_TEST_LOCALE_DIR, 1);
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) GTEST_SKIP() << "no comma locale";
  ViewerParams p = DesignedParams();
  p.rangeAreaV1 = -1.25;
  p.normValue = 0.5f;
  const std::string text = FormatSettings(p);
  TempDir dir;
  const std::string path = dir.Write("setting.dat", text);
  ViewerParams read = DesignedParams();
  const int result = LoadParameter(path, read);
  std::setlocale(LC_ALL, "C");
  EXPECT_NE(text.find("RangeArea_V1: -1.25\n"), std::string::npos);
  EXPECT_NE(text.find("NormalizeVal_1: 0.500\n"), std::string::npos);
  ASSERT_EQ(result, 1);
  EXPECT_EQ(read.rangeAreaV1, -1.25);
  EXPECT_EQ(read.normValue, 0.5f);
}

TEST(SettingsFileRoundTrip, EveryStoredFieldComesBack) {
  MessageRecorder messages;
  TempDir dir;
  const ViewerParams written = ChangedParams();
  ASSERT_EQ(SaveParameter(dir.File("setting.dat"), written), 1);
  ViewerParams read = DesignedParams();
  ASSERT_EQ(LoadParameter(dir.File("setting.dat"), read), 1);
  EXPECT_TRUE(messages.Messages().empty());
  // Written again, the record read gives the same file.
  EXPECT_EQ(FormatSettings(read), FormatSettings(written));
  EXPECT_EQ(read.roiSize[1], 13);
  EXPECT_EQ(read.rangeAreaV2, 250.25);
  EXPECT_EQ(read.d3SideColor, 0x0F0F0Fu);
}

TEST(SettingsFileRoundTrip, RangeAreaIsReadInSinglePrecision) {
  TempDir dir;
  ASSERT_EQ(SaveParameter(dir.File("setting.dat"), DesignedParams()), 1);
  ViewerParams read;
  ASSERT_EQ(LoadParameter(dir.File("setting.dat"), read), 1);
  EXPECT_EQ(read.rangeAreaV2, static_cast<double>(9999.99f));
  EXPECT_NE(read.rangeAreaV2, 9999.99);
}

TEST(SettingsFileRead, KeysAreIgnoredFlagsAreOneOnlyForOne) {
  std::string text = FormatSettings(DesignedParams());
  text.replace(text.find("AutoFill: 1"), 11, "Autofil_misspelt: 2");
  text.replace(text.find("Filter: 0"), 9, "X: 1");
  text.replace(text.find("FilterSize: 3"), 13, "FilterSize:   \t 12");
  TempDir dir;
  ViewerParams read = DesignedParams();
  ASSERT_EQ(LoadParameter(dir.Write("setting.dat", text), read), 1);
  EXPECT_EQ(read.autoFill, 0);
  EXPECT_EQ(read.filterEnable, 1);
  EXPECT_EQ(read.filterSize, 12);
}

// The message each line gives when the file ends just before it.
const char* const kReadErrors[61] = {
    "Parameter read error.(Auto Fill)",
    "Parameter read error.(Filter)",
    "Parameter read error.(Filter Size)",
    "Parameter read error.(Spline Enable)",
    "Parameter read error.(Spline Order)",
    "Parameter read error.(Colormap)",
    "Parameter read error.(Color No.0)",
    "Parameter read error.(Color No.1)",
    "Parameter read error.(Color No.2)",
    "Parameter read error.(ROI Setting No.0-0)",
    "Parameter read error.(ROI Setting No.0-1)",
    "Parameter read error.(ROI Setting No.0-2)",
    "Parameter read error.(ROI Setting No.0-3)",
    "Parameter read error.(ROI Setting No.1-0)",
    "Parameter read error.(ROI Setting No.1-1)",
    "Parameter read error.(ROI Setting No.1-2)",
    "Parameter read error.(ROI Setting No.1-3)",
    "Parameter read error.(Grid No.0)",
    "Parameter read error.(Grid No.1)",
    "Parameter read error.(Grid No.2)",
    "Parameter read error.(Grid No.3)",
    "Parameter read error.(Grid No.4)",
    "Parameter read error.(Grid No.5)",
    "Parameter read error.(Grid No.6)",
    "Parameter read error.(Grid No.7)",
    "Parameter read error.(Tick Setting No.0)",
    "Parameter read error.(Tick Setting No.1)",
    "Parameter read error.(Tick Setting No.2)",
    "Parameter read error.(Tick Setting No.3)",
    "Parameter read error.(Tick Setting No.4)",
    "Parameter read error.(Tick Setting No.5)",
    "Parameter read error.(Range Area Type)",
    "Parameter read error.(Range Area V1)",
    "Parameter read error.(Range Area V2)",
    "Parameter read error.(Range_Filter)",
    "Parameter read error.(Normalize Enable No.1)",
    "Parameter read error.(Normalize Divisor No.1)",
    "Parameter read error.(ContourMode)",
    "Parameter read error.(Border Count)",
    "Parameter read error.(Copy Colormap Flag)",
    "Parameter read error.(X/Y Line Color No.0)",
    "Parameter read error.(X/Y Line Color No.1)",
    "Parameter read error.(LG Color(Back/Axis/Sub/Label) No.0)",
    "Parameter read error.(LG Color(Back/Axis/Sub/Label) No.1)",
    "Parameter read error.(LG Color(Back/Axis/Sub/Label) No.2)",
    "Parameter read error.(LG Color(Back/Axis/Sub/Label) No.3)",
    "Parameter read error.(Bold/DrawLegend Flag No.0)",
    "Parameter read error.(Bold/DrawLegend Flag No.1)",
    "Parameter read error.(3D Draw Type)",
    "Parameter read error.(3D Draw Pitch)",
    "Parameter read error.(3D Label Size)",
    "Parameter read error.(3D Draw Frame Flag)",
    "Parameter read error.(3D Draw Label Flag)",
    "Parameter read error.(3D Draw Sub Flag)",
    "Parameter read error.(3D Draw Side Flag)",
    "Parameter read error.(3D Color(Back/Axis/Frame/Label) No.0)",
    "Parameter read error.(3D Color(Back/Axis/Frame/Label) No.1)",
    "Parameter read error.(3D Color(Back/Axis/Frame/Label) No.2)",
    "Parameter read error.(3D Color(Back/Axis/Frame/Label) No.3)",
    "Parameter read error.(3D Color(Back/Axis/Frame/Label) No.4)",
    "Parameter read error.(3D Color(Back/Axis/Frame/Label) No.5)",
};

TEST(SettingsFileRead, AShortFileNamesTheFirstMissingLine) {
  const std::string full = FormatSettings(ChangedParams());
  TempDir dir;
  for (int kept = 0; kept < 61; ++kept) {
    MessageRecorder messages;
    ViewerParams read = DesignedParams();
    EXPECT_EQ(LoadParameter(dir.Write("setting.dat", FirstLines(full, kept)), read), -1);
    EXPECT_EQ(messages.Only(), kReadErrors[kept]) << "file of " << kept << " lines";
  }
}

TEST(SettingsFileRead, AFailingGroupAssignsNothingEarlierGroupsKeepTheirValues) {
  const ViewerParams changed = ChangedParams();
  std::string text = FirstLines(FormatSettings(changed), 20);  // ends inside the grid group
  text += "Grid_YPitch: none\n";
  TempDir dir;
  MessageRecorder messages;
  ViewerParams read = DesignedParams();
  EXPECT_EQ(LoadParameter(dir.Write("setting.dat", text), read), -1);
  EXPECT_EQ(messages.Only(), "Parameter read error.(Grid No.3)");
  EXPECT_EQ(read.roiSize[1], changed.roiSize[1]);       // the ROI group before it
  EXPECT_EQ(read.gridShow, DesignedParams().gridShow);  // its own group
  EXPECT_EQ(read.gridSize, DesignedParams().gridSize);
}

TEST(SettingsFileRead, RefusesOverlongKeysAndNumbersOutOfRange) {
  const std::string good = FormatSettings(DesignedParams());
  struct Case {
    std::string from, to, message;
  };
  const std::vector<Case> cases = {
      {"Colormap:", std::string(64, 'K'), "Parameter read error.(Colormap)"},
      {"FilterSize: 3", "FilterSize: 99999999999", "Parameter read error.(Filter Size)"},
      {"NormalizeVal_1: 1.000", "NormalizeVal_1: 1e999",
       "Parameter read error.(Normalize Divisor No.1)"},
      {"RangeArea_V1: 0.00", "RangeArea_V1: nan", "Parameter read error.(Range Area V1)"},
  };
  TempDir dir;
  for (const Case& c : cases) {
    std::string text = good;
    text.replace(text.find(c.from), c.from.size(), c.to);
    MessageRecorder messages;
    ViewerParams read = DesignedParams();
    EXPECT_EQ(LoadParameter(dir.Write("setting.dat", text), read), -1) << c.to;
    EXPECT_EQ(messages.Only(), c.message);
  }
  // A key of exactly the longest length is still read.
  std::string text = good;
  text.replace(text.find("Colormap:"), 9, std::string(kSettingsMaxKeyLength, 'K'));
  ViewerParams read = DesignedParams();
  EXPECT_EQ(LoadParameter(dir.Write("setting.dat", text), read), 1);
}

TEST(SettingsFileOpen, MissingFileAndUnwritablePlace) {
  TempDir dir;
  MessageRecorder messages;
  ViewerParams p = DesignedParams();
  EXPECT_EQ(LoadParameter(dir.File("absent.dat"), p), -1);
  EXPECT_EQ(messages.Only(), "<LoadParameter> File open error.");
  messages.Clear();
  EXPECT_EQ(SaveParameter(dir.File("no/such/dir/setting.dat"), p), -1);
  EXPECT_EQ(messages.Only(), "<SaveParameter> File open error.");
}

TEST(SettingsFileSave, ReplacesTheFileWholeAndLeavesNoTemporaryFile) {
  TempDir dir;
  const std::string path = dir.Write("setting.dat", "old contents\n");
  ASSERT_EQ(chmod(path.c_str(), 0640), 0);
  ASSERT_EQ(SaveParameter(path, ChangedParams()), 1);
  EXPECT_EQ(ReadFile(path), FormatSettings(ChangedParams()));
  struct stat info {};
  ASSERT_EQ(stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  int files = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.Path()))
    ++files;
  EXPECT_EQ(files, 1);
}

}  // namespace
}  // namespace orvelle
