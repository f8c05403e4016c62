// orvelle-cli as batch users run it: the info and grid commands (uniformity figures, the three
// grid formats), exit statuses, messages on stderr, standard input, locale independence and
// memory use on a large file.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "data/NumberText.h"
#include "support/TestSupport.h"

namespace orvelle {
namespace {

using test::CliResult;
using test::ExamplePath;
using test::RunCliProcess;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(CliInfo, ReportsEveryTypeOfTheFile) {
  const CliResult r = RunCliProcess({"info", ExamplePath("coads_atlantic_sparse.thk")});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out.rfind("{\"count\":3,\"types\":[", 0), 0u) << r.out;
  EXPECT_NE(r.out.find("{\"slot\":0,\"name\":\"SST_Jan_C\",\"active\":1,"), std::string::npos);
  EXPECT_NE(r.out.find("{\"slot\":2,\"name\":\"SLP_Jan_mb\",\"active\":1,"), std::string::npos);
  EXPECT_NE(r.out.find("\"pitchX\":7,\"pitchY\":7"), std::string::npos);
  EXPECT_NE(r.out.find("\"normDivisor\":1}"), std::string::npos);
}

TEST(CliInfo, ReadsClipboardTextFromStandardInput) {
  const CliResult r =
      RunCliProcess({"info", "-"}, test::ReadFile(ExamplePath("volcano_spline_clipboard.txt")));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\"name\":\"Elevation_m\""), std::string::npos);
  const CliResult empty = RunCliProcess({"info", "-"}, "");
  EXPECT_EQ(empty.status, 1);
  EXPECT_EQ(empty.err, "Data nothing on Clipboard.\n");
}

TEST(CliInfo, NamesAreValidJson) {
  test::TempDir dir;
  // The same name in UTF-8 and in CP932, and one with a byte that is no character.
  const std::string path = dir.Write(
      "q.thk",
      "10,\n1,1,\n3,\xE8\x86\x9C\xE5\x8E\x9A,\x96\x8C\x8C\xFA,say \"hi\"\\ \xE9,\n0,0,1,\n");
  const CliResult r = RunCliProcess({"info", path, "--no-fill"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("{\"slot\":0,\"name\":\"\xE8\x86\x9C\xE5\x8E\x9A\""), std::string::npos);
  EXPECT_NE(r.out.find("{\"slot\":1,\"name\":\"\xE8\x86\x9C\xE5\x8E\x9A\""), std::string::npos);
  EXPECT_NE(r.out.find("\"name\":\"say \\\"hi\\\"\\\\ \xEF\xBF\xBD\""), std::string::npos) << r.out;
}

// The number after "key": from `from` on, as text, or empty.
std::string JsonValue(const std::string& json, const std::string& key, size_t from = 0) {
  const size_t at = json.find("\"" + key + "\":", from);
  if (at == std::string::npos) return {};
  const size_t start = at + key.size() + 3;
  return json.substr(start, json.find_first_of(",}", start) - start);
}

// Pitch 2 over 0..4 on the plane 1 + 1.5 x + 0.5 y, (4, 4) missing: the sites are 1..8, the
// fill adds the points of the three complete cells.
TEST(CliInfo, UniformityOfTheGridAndOfTheSitesAsRead) {
  test::TempDir dir;
  const std::string path = dir.Write("u.thk",
                                     "4,\n2,2,\n1,T,\n0,0,1,\n0,2,2,\n0,4,3,\n2,0,4,\n2,2,5,\n"
                                     "2,4,6,\n4,0,7,\n4,2,8,\n");
  CliResult r = RunCliProcess({"info", path});
  ASSERT_EQ(r.status, 0) << r.err;
  const size_t sites = r.out.find("\"sites\":{");
  ASSERT_NE(sites, std::string::npos) << r.out;
  EXPECT_EQ(JsonValue(r.out, "pointCount"), "21");
  EXPECT_EQ(JsonValue(r.out, "count", sites), "8");
  EXPECT_EQ(JsonValue(r.out, "min", sites), "1");
  EXPECT_EQ(JsonValue(r.out, "max", sites), "8");
  EXPECT_EQ(JsonValue(r.out, "mean", sites), "4.5");
  // Written to read back exactly, as mean is: sqrt(42 / 7) to 17 digits.
  EXPECT_EQ(JsonValue(r.out, "stdDev", sites), FormatReal(std::sqrt(6.0)));
  EXPECT_DOUBLE_EQ(std::stod(JsonValue(r.out, "nonUniformityPct", sites)), 700.0 / 9.0);
  EXPECT_DOUBLE_EQ(std::stod(JsonValue(r.out, "cvPct", sites)), std::sqrt(6.0) / 4.5 * 100.0);
  // The filled grid's own figures: 21 points of the plane.
  double sum = 0, squares = 0;
  for (int x = 0; x <= 4; ++x)
    for (int y = 0; y <= 4; ++y)
      if (x <= 2 || y <= 2) sum += 1 + 1.5 * x + 0.5 * y;
  for (int x = 0; x <= 4; ++x)
    for (int y = 0; y <= 4; ++y)
      if (x <= 2 || y <= 2) squares += std::pow(1 + 1.5 * x + 0.5 * y - sum / 21, 2);
  EXPECT_DOUBLE_EQ(std::stod(JsonValue(r.out, "stdDev")), std::sqrt(squares / 20));
  EXPECT_DOUBLE_EQ(std::stod(JsonValue(r.out, "nonUniformityPct")), 7.0 / (2 * sum / 21) * 100);

  // Without the fill no mean is computed, so neither is anything that rests on it.
  r = RunCliProcess({"info", path, "--no-fill"});
  EXPECT_NE(r.out.find("\"stdDev\":null,\"nonUniformityPct\":null,\"cvPct\":null,"),
            std::string::npos)
      << r.out;
  EXPECT_EQ(JsonValue(r.out, "count", r.out.find("\"sites\":{")), "8");
  // One site: no spread, and a mean of 0 gives no percentages.
  r = RunCliProcess({"info", dir.Write("one.thk", "4,\n2,2,\n1,T,\n0,0,0,\n"), "--no-fill"});
  EXPECT_NE(r.out.find("\"sites\":{\"count\":1,\"min\":0,\"max\":0,\"mean\":0,\"stdDev\":null,"
                       "\"nonUniformityPct\":null,\"cvPct\":null}"),
            std::string::npos)
      << r.out;
}

TEST(CliFailures, ExitStatusAndMessages) {
  test::TempDir dir;
  const std::string bad = dir.Write("bad.thk", "500,\n10,10,\n1,A,\n5,0,1,\n");
  CliResult r = RunCliProcess({"info", bad});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "X coord is not multiple of X-Pitch. -> 5 X-Pitch= 10\n");
  EXPECT_EQ(r.out, "");

  r = RunCliProcess({"grid", dir.File("none.thk"), "-o", dir.File("o.csv")});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "File open error. -> " + dir.File("none.thk") + "\n");

  r = RunCliProcess({"info", ExamplePath("volcano_pitch5.thk"), "--type", "2"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("Data type 2 does not exist"), std::string::npos);

  for (const std::vector<std::string>& args :
       {std::vector<std::string>{},
        {"frobnicate", "x"},
        {"info"},
        {"grid", "f.thk"},
        {"info", "f.thk", "--type", "x"},
        {"info", "f.thk", "--bogus"},
        {"render", "f.thk", "-o", "x"},
        {"info", "a", "b"},
        {"roi", "f.thk"},
        {"info", "f.thk", "--type"},
        {"info", "f.thk", "--range", "5,5"},
        {"render", "f.thk", "--view", "3d", "--framed", "-o", "x"},
        {"diff", "a.thk", "-o", "x"},
        {"diff", "a.thk", "b.thk"},
        {"grid", "f.thk", "--format", "tif", "-o", "x"}}) {
    r = RunCliProcess(args);
    EXPECT_EQ(r.status, 2) << testing::PrintToString(args);
    EXPECT_EQ(r.err.rfind("orvelle-cli: ", 0), 0u) << r.err;
    EXPECT_NE(r.err.find("usage: orvelle-cli"), std::string::npos);
  }
  r = RunCliProcess({"--help"});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("orvelle-cli grid"), std::string::npos);
}

TEST(CliGrid, WritesValidPointsXOuterYInner) {
  test::TempDir dir;
  const std::string path =
      dir.Write("g.thk", "500,\n10,10,\n2,A,B,\n20,0,1.25,-3,\n0,10,0.1,-99999,\n0,0,7,8,\n");
  CliResult r = RunCliProcess({"grid", path, "--no-fill", "-o", dir.File("a.csv")});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(test::ReadFile(dir.File("a.csv")),
            "x,y,value\n0,0,7\n0,10,0.10000000000000001\n20,0,1.25\n");
  r = RunCliProcess({"grid", path, "--no-fill", "--type", "1", "-o", "-"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "x,y,value\n0,0,8\n20,0,-3\n");  // -99999 is no data

  r = RunCliProcess({"grid", path, "--no-fill", "-o", dir.File("missing/dir/a.csv")});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "File open error. -> " + dir.File("missing/dir/a.csv") + "\n");
  r = RunCliProcess({"grid", path, "--no-fill", "-o", "/dev/full"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "File write error. -> /dev/full\n");
}

// A small reader of the two binary formats, as another program would read them.
struct BinaryGrid {
  std::string header;  // the text before the values
  int nx = 0, ny = 0;
  std::vector<double> values;  // [x][y], y fastest
};

template <typename T, typename Bits>
T LittleEndian(const std::string& bytes, size_t at) {
  Bits bits = 0;
  for (size_t i = sizeof(Bits); i-- > 0;) bits = bits << 8 | static_cast<uint8_t>(bytes[at + i]);
  T v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

BinaryGrid ReadNpy(const std::string& bytes) {
  BinaryGrid g;
  if (bytes.compare(0, 8, std::string("\x93NUMPY\x01\x00", 8)) != 0) return g;
  const size_t length = LittleEndian<uint16_t, uint16_t>(bytes, 8);
  g.header = bytes.substr(10, length);
  if (std::sscanf(g.header.c_str(), "{'descr': '<f8', 'fortran_order': False, 'shape': (%d, %d), }",
                  &g.nx, &g.ny) != 2)
    return g;
  for (size_t at = 10 + length; at + 8 <= bytes.size(); at += 8)
    g.values.push_back(LittleEndian<double, uint64_t>(bytes, at));
  return g;
}

BinaryGrid ReadGsf(const std::string& bytes) {
  BinaryGrid g;
  const size_t end = bytes.find('\0');
  g.header = bytes.substr(0, end);
  if (std::sscanf(g.header.c_str(), "Gwyddion Simple Field 1.0\nXRes = %d\nYRes = %d\n", &g.nx,
                  &g.ny) != 2)
    return g;
  g.values.assign(static_cast<size_t>(g.nx) * g.ny, 0.0);
  const size_t data = end + (4 - end % 4);
  if (bytes.size() != data + g.values.size() * 4) return g;
  for (int y = 0; y < g.ny; ++y)
    for (int x = 0; x < g.nx; ++x)
      g.values[static_cast<size_t>(x) * g.ny + y] =
          LittleEndian<float, uint32_t>(bytes, data + (static_cast<size_t>(y) * g.nx + x) * 4);
  return g;
}

// The NumPy and Gwyddion files hold the CSV's values, NaN elsewhere; the format follows the
// extension unless --format names it.
TEST(CliGrid, NpyAndGsfHoldTheCsvValues) {
  test::TempDir dir;
  const std::string file = ExamplePath("volcano_pitch5.thk");
  const std::vector<std::string> common = {"grid", file, "--no-fill", "--type", "1"};
  auto run = [&](std::vector<std::string> extra) {
    std::vector<std::string> args = common;
    args.insert(args.end(), extra.begin(), extra.end());
    const CliResult r = RunCliProcess(args);
    EXPECT_EQ(r.status, 0) << r.err;
  };
  run({"-o", dir.File("g.csv")});
  run({"-o", dir.File("g.NPY")});
  run({"--format", "gsf", "-o", dir.File("g.bin")});
  const BinaryGrid npy = ReadNpy(test::ReadFile(dir.File("g.NPY")));
  const BinaryGrid gsf = ReadGsf(test::ReadFile(dir.File("g.bin")));
  EXPECT_EQ((10 + npy.header.size()) % 64, 0u);
  EXPECT_EQ(npy.header.back(), '\n');
  ASSERT_EQ(npy.nx, 431) << npy.header;
  ASSERT_EQ(npy.ny, 301);
  ASSERT_EQ(npy.values.size(), 431u * 301u);
  EXPECT_EQ(gsf.header,
            "Gwyddion Simple Field 1.0\nXRes = 431\nYRes = 301\nXReal = 431\nYReal = 301\n"
            "Title = Slope\n");
  ASSERT_EQ(gsf.values.size(), npy.values.size());

  std::istringstream csv(test::ReadFile(dir.File("g.csv")));
  std::string line;
  std::getline(csv, line);
  size_t valid = 0;
  while (std::getline(csv, line)) {
    int x = 0, y = 0;
    ASSERT_EQ(std::sscanf(line.c_str(), "%d,%d,", &x, &y), 2);
    const double v = std::stod(line.substr(line.rfind(',') + 1));
    const size_t at = static_cast<size_t>(x) * 301 + y;
    EXPECT_EQ(npy.values[at], v) << line;
    EXPECT_EQ(gsf.values[at], static_cast<float>(v)) << line;
    ++valid;
  }
  EXPECT_EQ(valid, 87u * 61u);
  size_t nan = 0;
  for (size_t i = 0; i < npy.values.size(); ++i) nan += std::isnan(npy.values[i]);
  EXPECT_EQ(nan, npy.values.size() - valid);
  for (size_t i = 0; i < gsf.values.size(); ++i)
    EXPECT_EQ(std::isnan(gsf.values[i]), std::isnan(npy.values[i]));
}

TEST(CliGrid, CommaDecimalLocaleChangesNothing) {
  test::TempDir dir;
  const std::string path = dir.Write("g.thk", "500,\n10,10,\n1,A,\n0,0,1.5,\n");
  const std::vector<std::string> env = {std::string("LOCPATH=") + ORVELLE_TEST_LOCALE_DIR,
                                        "LC_ALL=de_DE.UTF-8"};
  const CliResult r = RunCliProcess({"grid", path, "--no-fill", "-o", "-"}, "", env);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "x,y,value\n0,0,1.5\n");
  const CliResult info = RunCliProcess({"info", path, "--no-fill"}, "", env);
  EXPECT_NE(info.out.find("\"normDivisor\":1}"), std::string::npos);
}

// A 501 x 501 file with nine types (about 25 MB) is read with a small, bounded memory.
TEST(CliInfo, LargeFileStaysWithinMemoryBudget) {
#ifdef ORVELLE_SANITIZED
  GTEST_SKIP() << "the sanitizers' shadow memory makes resident size meaningless";
#endif
  test::TempDir dir;
  std::string path = dir.File("big.thk");
  std::FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fputs("500,\r\n1,1,\r\n9,A,B,C,D,E,F,G,H,I,\r\n", f);
  char line[256];
  for (int x = 0; x <= 500; ++x)
    for (int y = 0; y <= 500; ++y) {
      int n = std::snprintf(line, sizeof line, "%d,%d,", x, y);
      for (int k = 0; k < 9; ++k)
        n += std::snprintf(line + n, sizeof line - n, "-%d.%04d,", 1000 + k, x);
      std::fputs(line, f);
      std::fputs("\r\n", f);
    }
  std::fclose(f);
  const CliResult r = RunCliProcess({"info", path});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\"pointCount\":"), std::string::npos);
  EXPECT_LT(r.peakKib, 48 * 1024) << "peak resident memory in KiB";
  EXPECT_EQ(Lines(r.out).size(), 11u);
}

}  // namespace
}  // namespace orvelle
