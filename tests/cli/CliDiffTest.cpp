// orvelle-cli diff: the difference and ratio of two files on the first one's lattice, with the
// second one's bilinear fill between its points, the --type choice, and the refusal of two
// files without a common point.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "data/GridDataSet.h"
#include "data/ThkFormat.h"
#include "support/TestSupport.h"

namespace orvelle {
namespace {

using test::CliResult;
using test::RunCliProcess;

class CliDiffTest : public testing::Test {
 protected:
  void SetUp() override {
    // A: pitch 2 over 0..4, two types. B: pitch 4, the plane 100 + x + 2y in type 0 (so its fill
    // gives the plane at A's points between B's), one point missing in type 1, and a third type
    // that A lacks.
    a_ = dir_.Write("a.thk",
                    "10,\r\n2,2,\r\n2,Before,\xE8\x86\x9C,\r\n0,0,110,1,\r\n0,2,120,2,\r\n"
                    "2,2,130,3,\r\n4,4,140,4,\r\n6,6,150,5,\r\n");
    b_ = dir_.Write("b.thk",
                    "10,\r\n4,4,\r\n3,After,\x96\x8C,X,\r\n0,0,100,2,0,\r\n0,4,108,4,0,\r\n"
                    "4,0,104,-99999,0,\r\n4,4,112,0,0,\r\n");
  }
  std::unique_ptr<GridDataSet[]> Read(const std::string& path, int expected) {
    auto sets = MakeDataSets();
    EXPECT_EQ(LoadThkFile(path, sets.get()), expected);
    return sets;
  }

  test::TempDir dir_;
  std::string a_, b_;
};

TEST_F(CliDiffTest, DifferenceAndRatioOnTheFirstLattice) {
  const std::string out = dir_.File("d.thk");
  CliResult r = RunCliProcess({"diff", a_, b_, "-o", out});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  auto d = Read(out, 2);
  EXPECT_EQ(d[0].name, "Before - After");
  EXPECT_EQ(d[1].name, "\xE8\x86\x9C - \x96\x8C");  // the bytes as each file holds them
  EXPECT_EQ(d[0].size, 10);
  EXPECT_EQ(d[0].pitchX, 2);
  EXPECT_EQ(d[0].values[0][0], 10.0);
  EXPECT_EQ(d[0].values[0][2], 120.0 - 104.0);  // B's fill between its points
  EXPECT_EQ(d[0].values[2][2], 130.0 - 106.0);
  EXPECT_EQ(d[0].values[4][4], 28.0);
  EXPECT_EQ(d[0].values[6][6], kNoData);  // B has nothing there
  EXPECT_EQ(d[1].values[0][0], -1.0);
  EXPECT_EQ(d[1].values[2][2], kNoData);  // B's cell is not complete in type 1
  EXPECT_EQ(d[1].values[4][4], 4.0);

  r = RunCliProcess({"diff", a_, b_, "--ratio", "--type", "1", "-o", out});
  ASSERT_EQ(r.status, 0) << r.err;
  d = Read(out, 1);
  EXPECT_EQ(d[0].name, "\xE8\x86\x9C / \x96\x8C");
  EXPECT_EQ(d[0].values[0][0], 0.5);
  EXPECT_EQ(d[0].values[4][4], kNoData);  // B is 0 there
  EXPECT_EQ(d[0].maxX, 0);                // the points without any value are left out
  EXPECT_EQ(d[0].maxY, 0);

  r = RunCliProcess({"diff", a_, b_, "--type", "2", "-o", out});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "Data type 2 does not exist in both files: they share 2 type(s), numbered from 0.\n");
}

TEST_F(CliDiffTest, FilesWithoutACommonPointWriteNothing) {
  const std::string far = dir_.Write("far.thk", "10,\r\n2,2,\r\n1,F,\r\n8,8,1,\r\n");
  const std::string out = dir_.File("none.thk");
  CliResult r = RunCliProcess({"diff", far, b_, "-o", out});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "The two files have no point in common.\n");
  EXPECT_FALSE(std::filesystem::exists(out));
  r = RunCliProcess({"diff", far, dir_.File("absent.thk"), "-o", out});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "File open error. -> " + dir_.File("absent.thk") + "\n");
}

}  // namespace
}  // namespace orvelle
