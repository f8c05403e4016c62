// Saving the ROI table on a full disk, into a directory nobody may write and with the process
// killed half-way: the failure message, and an older CSV at the path kept whole or replaced whole.
#include <gtest/gtest.h>

#include <string>

#include "support/TestSupport.h"
#include "views2d/Roi.h"

namespace orvelle {
namespace {

TEST(RoiFileFaults, FullDiskUnwritableDirectoryAndKillKeepTheOldFileWhole) {
  test::TempDir dir;
  const std::string old = ",,A,\r\nROI1,Min,1.00,\r\n";
  const std::string path = dir.Write("roi.csv", old);
  const std::string text = ",,A,\nROI1,Min,2.00,\nROI1,Max,3.00,\nROI1,Mean,2.50,\n";

  const int full = test::RunWithFileSizeLimit(40, [&] {
    test::MessageRecorder messages;
    const bool ok = WriteRoiFile(path, text);
    return !ok && messages.Only() == "ROI file open error. -> " + path ? 7 : 1;
  });
  EXPECT_EQ(full, 7);
  EXPECT_EQ(test::ReadFile(path), old);

  test::MessageRecorder messages;
  EXPECT_FALSE(WriteRoiFile("/sys/roi.csv", text));
  EXPECT_EQ(messages.Only(), "ROI file open error. -> /sys/roi.csv");

  const std::string whole = ",,A,\r\nROI1,Min,2.00,\r\nROI1,Max,3.00,\r\nROI1,Mean,2.50,\r\n";
  test::KillDuringSaves([&] { WriteRoiFile(path, text); }, 8,
                        [&] {
                          const std::string now = test::ReadFile(path);
                          EXPECT_TRUE(now == old || now == whole) << now.size() << " bytes";
                        });
}

}  // namespace
}  // namespace orvelle
