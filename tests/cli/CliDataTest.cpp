// orvelle-cli as batch users run it: the info and grid commands, exit statuses, messages on
// stderr, standard input, locale independence and memory use on a large file.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

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
        {"info", "f.thk", "--range", "5,5"},
        {"render", "f.thk", "--view", "3d", "--framed", "-o", "x"},
        {"info", "f.thk", "--type"}}) {
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
