// orvelle-cli conditions what it loads as the window's open and paste do: bilinear fill by
// default, --spline, --filter, --no-fill and --normalize, and the failures of the pipeline.
#include <gtest/gtest.h>

#include <string>

#include "support/TestSupport.h"

namespace orvelle::test {
namespace {

// A 3 x 3 lattice with pitch 10 of two data types; `lone` adds a type with a single point.
std::string ThkFile(bool lone = false) {
  std::string text = "20,\r\n10,10,\r\n" + std::string(lone ? "3,A,B,C,\r\n" : "2,A,B,\r\n");
  for (int x = 0; x <= 20; x += 10) {
    for (int y = 0; y <= 20; y += 10) {
      text += std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(x + 2 * y) + "," +
              std::to_string(x * y) + "," +
              (!lone       ? ""
               : x + y > 0 ? "-99999,"
                           : "5,") +
              "\r\n";
    }
  }
  return text;
}

// The value of `key` in the info line of `slot`.
std::string Field(const std::string& json, int slot, const std::string& key) {
  const size_t line = json.find("{\"slot\":" + std::to_string(slot));
  const size_t at = json.find("\"" + key + "\":", line);
  if (line == std::string::npos || at == std::string::npos) return "<missing>";
  const size_t from = at + key.size() + 3;
  return json.substr(from, json.find_first_of(",}", from) - from);
}

TEST(ConditioningCliTest, InfoReportsTheFilledGridByDefaultAndTheRawOneWithNoFill) {
  TempDir dir;
  const std::string file = dir.Write("lattice.thk", ThkFile());
  CliResult r = RunCliProcess({"info", file});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Field(r.out, 0, "processed"), "1");
  EXPECT_EQ(Field(r.out, 0, "pointCount"), "441");
  EXPECT_EQ(Field(r.out, 0, "rangeMax"), "60");
  EXPECT_EQ(Field(r.out, 1, "defaultMax"), "400");

  r = RunCliProcess({"info", file, "--no-fill", "--spline", "2", "--filter", "3"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Field(r.out, 0, "processed"), "0");
  EXPECT_EQ(Field(r.out, 0, "pointCount"), "18");  // the reader's count over both types

  r = RunCliProcess({"grid", file, "--type", "1", "-o", "-"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\n15,15,225\n"), std::string::npos);  // the bilinear blend of x * y
}

TEST(ConditioningCliTest, SplineAndFilterReshapeTheGrid) {
  TempDir dir;
  const std::string file = dir.Write("lattice.thk", ThkFile());
  CliResult r = RunCliProcess({"grid", file, "--spline", "2", "-o", "-"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\n20,20,60\n"), std::string::npos);
  EXPECT_EQ(r.out.find("\n21,"), std::string::npos);

  r = RunCliProcess({"info", file, "--spline", "3"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "Grid data not enough to interpolate by spline.\nSet 'Order'(=3) value to smaller.\n");
  EXPECT_EQ(r.out, "");

  // Radius 1 at the corner (0, 0): the mean of (0,0), (1,0) and (0,1) of x * y is 0; at (1, 1)
  // the four edge neighbours of 1 give (1 + 0 + 2 + 0 + 2) / 5.
  r = RunCliProcess({"grid", file, "--type", "1", "--filter", "1", "-o", "-"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\n1,1,1\n"), std::string::npos);
}

TEST(ConditioningCliTest, AnUnfillableTypeFailsTheWholeLoadWithTheFillMessage) {
  TempDir dir;
  const std::string file = dir.Write("lone.thk", ThkFile(true));
  const CliResult r = RunCliProcess({"info", file});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Data count is not enough to 'Fill'. Please check the data.\n");
  EXPECT_EQ(RunCliProcess({"info", file, "--no-fill"}).status, 0);
}

TEST(ConditioningCliTest, ClipboardTextIsConditionedAndNormalisationTouchesTypeZeroOnly) {
  const std::string text =
      "THK_DATA\t\r\n20\t\r\n20\t20\t\r\n2\tA\tB\t\r\n"
      "0\t0\t1\t1\t\r\n0\t20\t1\t1\t\r\n20\t0\t1\t1\t\r\n20\t20\t1\t1\t\r\n";
  const CliResult r = RunCliProcess({"info", "-", "--normalize", "2"}, text);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Field(r.out, 0, "pointCount"), "441");
  EXPECT_EQ(Field(r.out, 0, "normDivisor"), "2");
  EXPECT_EQ(Field(r.out, 1, "normDivisor"), "1");
}

TEST(ConditioningCliTest, RefusesSettingsTheWindowsEntryLimitsWouldRefuse) {
  TempDir dir;
  const std::string file = dir.Write("lattice.thk", ThkFile());
  for (const auto& [option, value] : {std::pair{"--spline", "1"},
                                      {"--spline", "5"},
                                      {"--filter", "0"},
                                      {"--filter", "51"},
                                      {"--normalize", "0"},
                                      {"--normalize", "1000"}}) {
    const CliResult r = RunCliProcess({"info", file, option, value});
    EXPECT_EQ(r.status, 2) << option << " " << value;
    EXPECT_EQ(r.err.rfind(
                  std::string("orvelle-cli: invalid value for ") + option + ": '" + value + "'", 0),
              0u)
        << r.err;
  }
  EXPECT_EQ(RunCliProcess({"info", file, "--spline", "4", "--no-fill"}).status, 0);
  EXPECT_EQ(RunCliProcess({"info", file, "--filter", "50"}).status, 0);
}

}  // namespace
}  // namespace orvelle::test
