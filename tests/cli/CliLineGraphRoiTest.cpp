// orvelle-cli render --view linegraph and roi, run as a user runs them: picture size and
// profile, the ROI table on standard output and in a file, and refused or failing requests.
#include <gtest/gtest.h>

#include <QImage>
#include <string>

#include "support/TestSupport.h"

namespace orvelle {
namespace {

// A complete 11 x 11 lattice (pitch 1), so no conditioning is needed: A = 10x + y, B = 100 - x.
std::string DenseThk() {
  std::string text = "10,\r\n1,1,\r\n2,A,B,\r\n";
  for (int x = 0; x <= 10; ++x) {
    for (int y = 0; y <= 10; ++y) {
      text += std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(10 * x + y) + "," +
              std::to_string(100 - x) + ",\r\n";
    }
  }
  return text;
}

class CliLineGraphRoiTest : public testing::Test {
 protected:
  test::TempDir dir_;
  std::string thk_ = dir_.Write("dense.thk", DenseThk());
};

TEST_F(CliLineGraphRoiTest, LineGraphPictureHasTheViewSizeAndTheProfiles) {
  const std::string out = dir_.File("lg.png");
  auto r = test::RunCliProcess({"render", thk_, "--view", "linegraph", "-o", out});
  ASSERT_EQ(r.status, 0) << r.err;
  QImage image(QString::fromStdString(out));
  ASSERT_EQ(image.size(), QSize(393, 233));
  int red = 0, blue = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      red += image.pixel(x, y) == 0xFFFF0000u;
      blue += image.pixel(x, y) == 0xFF8080FFu;
    }
  }
  EXPECT_GT(red, 200);  // column 5 (the centre pixel 150 of 301) rises over the plot
  EXPECT_GT(blue, 200);

  r = test::RunCliProcess(
      {"render", thk_, "--view", "linegraph", "--type", "1", "--size", "500x300", "-o", out});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(QImage(QString::fromStdString(out)).size(), QSize(500, 300));
}

TEST_F(CliLineGraphRoiTest, RoiTableGoesToStandardOutputOrAFile) {
  const std::vector<std::string> args = {"roi", thk_,         "--roi1", "150,150",    "--roi2",
                                         "0,0", "--roi-type", "square", "--roi-size", "1"};
  auto r = test::RunCliProcess(args);
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string table =
      ",,A,B,\r\n"
      "ROI1,Min,33.00,95.00,\r\nROI1,Max,55.00,97.00,\r\nROI1,Mean,44.00,96.00,\r\n"
      "ROI2,Min,0.00,99.00,\r\nROI2,Max,11.00,100.00,\r\nROI2,Mean,5.50,99.50,\r\n";
  EXPECT_EQ(r.out, table);

  auto withFile = args;
  withFile.insert(withFile.end(), {"-o", dir_.File("roi.csv")});
  r = test::RunCliProcess(withFile);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(test::ReadFile(dir_.File("roi.csv")), table);
}

TEST_F(CliLineGraphRoiTest, RefusedAndFailingRoiRequests) {
  auto r = test::RunCliProcess({"roi", thk_, "--roi1", "301,10"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("--roi1 must be a pixel of the 301 x 301 colour map"), std::string::npos);

  r = test::RunCliProcess({"roi", thk_, "--roi1", "10,10", "-o", "/dev/full"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "ROI file open error. -> /dev/full\n");
  r = test::RunCliProcess({"roi", thk_, "--roi1", "10,10", "-o", dir_.File("no/such.csv")});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "ROI file open error. -> " + dir_.File("no/such.csv") + "\n");
}

}  // namespace
}  // namespace orvelle
