// orvelle-cli's output files on a full disk, in a directory nobody may write and with the program
// killed half-way: a clear message and exit status 1, and an older file at the output path is
// either kept whole or replaced whole. A read-only file another user may not write, the shell's
// own descriptors as outputs, a system without /proc. Inputs that are pipes or directories.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace orvelle {
namespace {

using test::CliResult;
using test::ExamplePath;
using test::RunCliProcess;

std::string Quoted(const std::string& word) {
  std::string q = "'";
  for (char c : word) {
    if (c == '\'') {
      q.append("'\\''");
    } else {
      q.push_back(c);
    }
  }
  q.push_back('\'');
  return q;
}

// The shell command that runs orvelle-cli with `args`, as the unprivileged user 65534 when asked.
std::string CliCommand(const std::vector<std::string>& args, bool asNobody = false) {
  std::string command = asNobody ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
  command += Quoted(ORVELLE_CLI_PATH);
  for (const std::string& a : args) command.append(" ").append(Quoted(a));
  return command;
}

int RunShell(const std::string& command) {
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

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

TEST_P(CliOutputFaults, AFileAnotherUserMayNotWriteIsRefusedUntouched) {
  if (std::system("command -v setpriv >/dev/null") != 0) GTEST_SKIP() << "no setpriv";
  const Writer& w = GetParam();
  ASSERT_EQ(chmod(dir_.Path().c_str(), 0777), 0);
  const std::string path = dir_.Write("out", "an older file\n");
  ASSERT_EQ(chmod(path.c_str(), 0444), 0);
  const std::string err = dir_.File("err");
  EXPECT_EQ(RunShell(CliCommand(ArgsTo(path), true) + " 2>" + Quoted(err)), 1);
  EXPECT_EQ(test::ReadFile(err), w.openMessage + path + "\n");
  EXPECT_TRUE(test::ReadFile(path) == "an older file\n");
  struct stat st {};
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0444u);
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

TEST(CliOutputs, TheShellsOwnDescriptorIsWrittenThroughNotReplaced) {
  test::TempDir dir;
  const std::vector<std::string> args = {"grid", ExamplePath("volcano_pitch5.thk"), "-o",
                                         "/dev/stdout"};
  const CliResult grid = RunCliProcess({"grid", ExamplePath("volcano_pitch5.thk"), "-o", "-"});
  ASSERT_EQ(grid.status, 0) << grid.err;
  const std::string all = dir.Write("all.csv", "earlier line\n");
  ASSERT_EQ(RunShell(CliCommand(args) + " >> " + Quoted(all)), 0);
  const std::string appended = test::ReadFile(all);
  EXPECT_TRUE(appended == "earlier line\n" + grid.out) << appended.substr(0, 40);

  const std::string log = dir.File("log");
  ASSERT_EQ(RunShell("{ " + CliCommand(args) + "; echo done; } > " + Quoted(log)), 0);
  const std::string logged = test::ReadFile(log);
  EXPECT_TRUE(logged == grid.out + "done\n") << logged.size() << " bytes";
}

TEST(CliOutputs, WithoutProcTheOutputIsStillWrittenWhole) {
#ifdef ORVELLE_SANITIZED
  GTEST_SKIP() << "the sanitizer runtime reads its options from /proc";
#endif
  if (RunShell("unshare --mount --propagation private true 2>/dev/null") != 0) {
    GTEST_SKIP() << "no mount namespace for this user";
  }
  test::TempDir dir;
  ASSERT_EQ(chmod(dir.Path().c_str(), 0777), 0);
  const std::string out = dir.File("grid.csv");
  const CliResult grid = RunCliProcess({"grid", ExamplePath("volcano_pitch5.thk"), "-o", "-"});
  ASSERT_EQ(grid.status, 0) << grid.err;
  // An unprivileged user may not link an unnamed file by its descriptor alone.
  const std::string inner =
      "mount -t tmpfs none /proc && " +
      CliCommand({"grid", ExamplePath("volcano_pitch5.thk"), "-o", out}, true);
  EXPECT_EQ(RunShell("unshare --mount --propagation private sh -c " + Quoted(inner)), 0);
  EXPECT_TRUE(test::ReadFile(out) == grid.out);
  const std::filesystem::directory_iterator entries(dir.Path());
  EXPECT_EQ(std::distance(begin(entries), end(entries)), 1);
}

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
