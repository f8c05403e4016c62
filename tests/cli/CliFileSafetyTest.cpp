// orvelle-cli's output files on a full disk, in a directory nobody may write and with the program
// killed half-way: a clear message and exit status 1, and an older file at the output path is
// either kept whole or replaced whole. Inputs that are pipes or directories.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace orvelle {
namespace {

using test::CliResult;
using test::ExamplePath;
using test::RunCliProcess;

struct Writer {
  const char* name;
  std::vector<std::string> args;  // everything but "-o PATH"
  const char* openMessage;        // the message's start when the file cannot be created
  const char* writeMessage;       // ... and when its bytes do not fit
};

void PrintTo(const Writer& w, std::ostream* os) { *os << w.name; }

class CliOutputFaults : public testing::TestWithParam<Writer> {
 protected:
  std::vector<std::string> ArgsTo(const std::string& path) const {
    std::vector<std::string> a = GetParam().args;
    a.insert(a.end(), {"-o", path});
    return a;
  }
  test::TempDir dir_;
};

TEST_P(CliOutputFaults, FailuresAreReportedAndNeverLeaveAPartFile) {
  const Writer& w = GetParam();
  const std::string path = dir_.Write("out", "an older file\n");

  // A file-size limit as small as a full disk; the message itself still fits.
  CliResult r = RunCliProcess(ArgsTo(path), "", {}, 90);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, w.writeMessage + path + "\n");
  EXPECT_EQ(test::ReadFile(path), "an older file\n");

  r = RunCliProcess(ArgsTo("/sys/out"));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, std::string(w.openMessage) + "/sys/out\n");

  const auto start = std::chrono::steady_clock::now();
  r = RunCliProcess(ArgsTo(dir_.File("whole")));
  const long micros = static_cast<long>(std::chrono::duration_cast<std::chrono::microseconds>(
                                            std::chrono::steady_clock::now() - start)
                                            .count());
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string whole = test::ReadFile(dir_.File("whole"));
  for (int k = 1; k <= 8; ++k) {
    test::KillCliProcessAfter(ArgsTo(path), micros * k / 9);
    const std::string now = test::ReadFile(path);
    EXPECT_TRUE(now == "an older file\n" || now == whole)
        << "killed after " << micros * k / 9 << " us: " << now.size() << " of " << whole.size()
        << " bytes";
  }
}

INSTANTIATE_TEST_SUITE_P(
    EveryOutput, CliOutputFaults,
    testing::Values(Writer{"grid",
                           {"grid", ExamplePath("volcano_pitch5.thk")},
                           "File open error. -> ",
                           "File write error. -> "},
                    Writer{"render",
                           {"render", ExamplePath("volcano_pitch5.thk"), "--view", "colormap"},
                           "File open error. -> ",
                           "File write error. -> "},
                    Writer{"roi",
                           {"roi", ExamplePath("volcano_pitch5.thk"), "--roi1", "150,150"},
                           "ROI file open error. -> ",
                           "ROI file open error. -> "}),
    [](const testing::TestParamInfo<Writer>& info) { return std::string(info.param.name); });

TEST(CliInputs, ProcessSubstitutionWorksAndADirectoryIsRefused) {
  const std::string file = ExamplePath("coads_atlantic_sparse.thk");
  const CliResult direct = RunCliProcess({"info", file});
  ASSERT_EQ(direct.status, 0) << direct.err;
  const std::string command =
      "bash -c 'exec \"" + std::string(ORVELLE_CLI_PATH) + "\" info <(cat \"" + file + "\")'";
  std::FILE* p = popen(command.c_str(), "r");
  ASSERT_NE(p, nullptr);
  std::string out;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, p)) > 0;) out.append(buffer, n);
  EXPECT_EQ(pclose(p), 0);
  EXPECT_EQ(out, direct.out);

  test::TempDir dir;
  const CliResult r = RunCliProcess({"info", dir.Path()});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "File open error. -> " + dir.Path() + "\n");
}

}  // namespace
}  // namespace orvelle
