// orvelle-cli render --view colormap|contour: the PNG's size and its pixels, recomputed from the
// grid and statistics that the same command line reports through info and grid.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QImage>
#include <map>
#include <sstream>

#include "data/GridDataSet.h"
#include "support/TestSupport.h"
#include "views2d/ColorPalette.h"

namespace orvelle {
namespace {

using test::CliResult;
using test::ExamplePath;
using test::RunCliProcess;
using test::TempDir;

// The figures of one data type as info and grid report them.
struct Reported {
  int size = 0;
  int processed = 0;
  double rangeMin = 0, rangeMax = 0;
  std::map<std::pair<int, int>, double> values;
  double At(int x, int y) const {
    auto it = values.find({x, y});
    return it == values.end() ? kNoData : it->second;
  }
};

double Field(const std::string& line, const std::string& key) {
  const size_t at = line.find("\"" + key + "\":");
  return at == std::string::npos ? -1 : std::stod(line.substr(at + key.size() + 3));
}

Reported Report(const std::string& file, int type) {
  Reported r;
  const CliResult info = RunCliProcess({"info", file});
  EXPECT_EQ(info.status, 0) << info.err;
  std::istringstream lines(info.out);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("{\"slot\":" + std::to_string(type) + ",", 0) != 0) continue;
    r.size = static_cast<int>(Field(line, "size"));
    r.processed = static_cast<int>(Field(line, "processed"));
    r.rangeMin = Field(line, "rangeMin");
    r.rangeMax = Field(line, "rangeMax");
  }
  TempDir dir;
  const CliResult grid =
      RunCliProcess({"grid", file, "--type", std::to_string(type), "-o", dir.File("g.csv")});
  EXPECT_EQ(grid.status, 0) << grid.err;
  std::istringstream csv(test::ReadFile(dir.File("g.csv")));
  std::string line;
  std::getline(csv, line);  // header
  while (std::getline(csv, line)) {
    int x = 0, y = 0;
    char c1 = 0, c2 = 0;
    double v = 0;
    std::istringstream fields(line);
    fields >> x >> c1 >> y >> c2 >> v;
    r.values[{x, y}] = v;
  }
  return r;
}

QImage Render(const std::vector<std::string>& args) {
  TempDir dir;
  std::vector<std::string> all = {"render", ExamplePath("volcano_pitch5.thk")};
  all.insert(all.end(), args.begin(), args.end());
  all.push_back("-o");
  all.push_back(dir.File("out.png"));
  const CliResult result = RunCliProcess(all);
  EXPECT_EQ(result.status, 0) << result.err;
  return QImage(QString::fromStdString(dir.File("out.png")));
}

// Position of a stored value in the range, as the colour map computes it.
float Position(const Reported& r, double v) {
  if (r.rangeMin == r.rangeMax) return 0.5f;
  return static_cast<float>(std::clamp((v - r.rangeMin) / (r.rangeMax - r.rangeMin), 0.0, 1.0));
}

void ExpectColormap(const QImage& image, const Reported& r) {
  const float rx = static_cast<float>(double(r.size) / image.width());
  const float ry = static_cast<float>(double(r.size) / image.height());
  for (int i = 0; i < image.width(); ++i) {
    for (int j = 0; j < image.height(); ++j) {
      const double v = r.At(int(i * double(rx)), int(j * double(ry)));
      const ColorRef want = v > kNoData ? HsvColor(kDefaultPalette, Position(r, v)) : 0x000000;
      ASSERT_EQ(FromQRgb(image.pixel(i, j)), want) << i << "," << j;
    }
  }
}

TEST(CliRender2dTest, ColormapIsTheDataThroughThePalette) {
  const Reported r = Report(ExamplePath("volcano_pitch5.thk"), 0);
  ASSERT_EQ(r.size, 430);
  const QImage designed = Render({"--view", "colormap"});
  ASSERT_EQ(designed.size(), QSize(301, 301));
  ExpectColormap(designed, r);
  const QImage sized = Render({"--view", "colormap", "--type", "1", "--size", "120x80"});
  ASSERT_EQ(sized.size(), QSize(120, 80));
  ExpectColormap(sized, Report(ExamplePath("volcano_pitch5.thk"), 1));
}

TEST(CliRender2dTest, ContourIsTheTwoColourUnderlayWithLevelLines) {
  const Reported r = Report(ExamplePath("volcano_pitch5.thk"), 0);
  const QImage image = Render({"--view", "contour"});
  ASSERT_EQ(image.size(), QSize(301, 301));
  std::vector<ColorRef> pens;
  for (int i = 1; i <= 5; ++i) pens.push_back(HsvColor(kDefaultPalette, float(i / 6.0)));
  const float ratio = static_cast<float>(r.size / 301.0);
  int lines = 0;
  for (int i = 0; i < 301; ++i) {
    for (int j = 0; j < 301; ++j) {
      const double v = r.At(int(i * double(ratio)), int(j * double(ratio)));
      const int grey = int(255 * double(Position(r, v)));
      const ColorRef under = v > kNoData ? MakeColorRef(grey, grey, grey) : 0xFF0000;
      const ColorRef got = FromQRgb(image.pixel(i, j));
      if (got == under) continue;
      ASSERT_NE(std::find(pens.begin(), pens.end(), got), pens.end()) << i << "," << j;
      ++lines;
    }
  }
  // Lines need conditioned data; the raw lattice shows the underlay alone.
  if (r.processed)
    EXPECT_GT(lines, 300);
  else
    EXPECT_EQ(lines, 0);
}

TEST(CliRender2dTest, OutputToStandardOutputAndWriteFailures) {
  const CliResult out = RunCliProcess({"render", ExamplePath("volcano_pitch5.thk"), "--view",
                                       "contour", "--size", "40x30", "-o", "-"});
  ASSERT_EQ(out.status, 0) << out.err;
  const QImage image = QImage::fromData(QByteArray::fromStdString(out.out), "PNG");
  EXPECT_EQ(image.size(), QSize(40, 30));

  const std::string path = "/nonexistent-dir/out.png";
  const CliResult bad = RunCliProcess(
      {"render", ExamplePath("volcano_pitch5.thk"), "--view", "colormap", "-o", path});
  EXPECT_EQ(bad.status, 1);
  EXPECT_EQ(bad.err, "File open error. -> " + path + "\n");
}

}  // namespace
}  // namespace orvelle
