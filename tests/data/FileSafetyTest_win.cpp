// Files on Windows: whole-file replacement through the wide API, non-ASCII paths, read-only
// targets, devices written in place, and the settings file's CR LF line ends.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "data/AtomicFile.h"
#include "data/GridDataSet.h"
#include "data/SettingsFile.h"
#include "data/ThkFormat.h"
#include "support/TestSupport.h"

namespace orvelle {
namespace {

using test::MessageRecorder;
using test::ReadFile;
using test::TempDir;

int FilesIn(const std::string& dir) {
  int files = 0;
  const std::u8string name(dir.begin(), dir.end());
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(name)) ++files;
  return files;
}

TEST(WindowsFiles, AWriteReplacesTheWholeFileAndLeavesNoTemporary) {
  TempDir dir;
  const std::string path = dir.Write("out.csv", std::string(100000, 'x'));
  WriteFailure failure = WriteFailure::Write;
  ASSERT_TRUE(WriteFileAtomically(path, "a,b\r\n", failure));
  EXPECT_EQ(failure, WriteFailure::None);
  EXPECT_EQ(ReadFile(path), "a,b\r\n");
  EXPECT_EQ(FilesIn(dir.Path()), 1);
}

TEST(WindowsFiles, JapaneseFolderAndFileNamesOpenAndSave) {
  TempDir dir;
  const std::string folder = dir.File("測定データ");
  std::filesystem::create_directory(std::u8string(folder.begin(), folder.end()));
  const std::string thk = folder + "/ウェーハ１.thk";
  const std::string text = "500,\r\n10,10,\r\n1,A,\r\n0,0,1.5,\r\n10,0,2.5,\r\n";
  ASSERT_TRUE(WriteFileAtomically(thk, text));
  EXPECT_EQ(ReadFile(thk), text);
  MessageRecorder messages;
  auto sets = MakeDataSets();
  EXPECT_EQ(LoadThkFile(thk, sets.get()), 1);
  EXPECT_EQ(sets[0].values[0][0], 1.5);
  EXPECT_EQ(LoadThkFile(folder + "/無い.thk", sets.get()), -1);
  EXPECT_EQ(messages.Only(), "File open error. -> " + folder + "/無い.thk");
}

TEST(WindowsFiles, AReadOnlyTargetIsRefusedAndKept) {
  TempDir dir;
  const std::string path = dir.Write("kept.csv", "old\r\n");
  std::filesystem::permissions(std::u8string(path.begin(), path.end()),
                               std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::remove);
  WriteFailure failure = WriteFailure::None;
  EXPECT_FALSE(WriteFileAtomically(path, "new\r\n", failure));
  EXPECT_EQ(failure, WriteFailure::Open);
  EXPECT_EQ(ReadFile(path), "old\r\n");
  EXPECT_EQ(FilesIn(dir.Path()), 1);
  std::filesystem::permissions(std::u8string(path.begin(), path.end()),
                               std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::add);
}

TEST(WindowsFiles, TheNulDeviceIsWrittenInPlace) {
  WriteFailure failure = WriteFailure::Write;
  EXPECT_TRUE(WriteFileAtomically("NUL", "bytes\r\n", failure));
  EXPECT_EQ(failure, WriteFailure::None);
}

TEST(WindowsFiles, SettingsAreWrittenWithCrLfAndReadBack) {
  TempDir dir;
  const std::string path = dir.File("setting.dat");
  ViewerParams saved = DesignedParams();
  saved.filterSize = 7;
  ASSERT_EQ(SaveParameter(path, saved), 1);
  const std::string bytes = ReadFile(path);
  std::string expected;
  for (const char c : FormatSettings(saved)) {
    if (c == '\n') expected += '\r';
    expected += c;
  }
  EXPECT_EQ(bytes, expected);
  ViewerParams loaded = DesignedParams();
  ASSERT_EQ(LoadParameter(path, loaded), 1);
  EXPECT_EQ(loaded.filterSize, 7);
}

}  // namespace
}  // namespace orvelle
