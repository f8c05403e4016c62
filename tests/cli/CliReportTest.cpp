// orvelle-cli report as a user runs it: good and bad files together, outputs identical to the
// single commands', the same summary whatever the job count, an interrupted run, a watched
// folder with a file written in pieces, and the report's usage errors.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "support/TestSupport.h"

namespace orvelle {
namespace {

namespace fs = std::filesystem;
using test::CliResult;
using test::ExamplePath;
using test::ReadFile;
using test::RunCliProcess;

const char* const kBad = "500,\n10,10,\n1,A,\n5,0,1,\n";
const char* const kBadMessage = "X coord is not multiple of X-Pitch. -> 5 X-Pitch= 10";

// A report run in the background, for the tests that stop it.
class BackgroundRun {
 public:
  BackgroundRun(const std::vector<std::string>& args, const std::string& errPath) {
    pid_ = fork();
    if (pid_ == 0) {
      if (!freopen(errPath.c_str(), "wb", stderr) || !freopen("/dev/null", "wb", stdout))
        _exit(126);
      std::vector<std::string> words = args;
      std::string prog = ORVELLE_CLI_PATH;
      std::vector<char*> argv = {prog.data()};
      for (std::string& w : words) argv.push_back(w.data());
      argv.push_back(nullptr);
      execv(prog.c_str(), argv.data());
      _exit(127);
    }
  }
  ~BackgroundRun() {
    if (pid_ > 0 && !waited_) {
      kill(pid_, SIGKILL);
      Wait();
    }
  }
  int Interrupt() {
    kill(pid_, SIGINT);
    return Wait();
  }
  int Wait() {
    int status = 0;
    waitpid(pid_, &status, 0);
    waited_ = true;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t pid_ = -1;
  bool waited_ = false;
};

bool WaitFor(const std::function<bool()>& done, double seconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (std::chrono::steady_clock::now() < end) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return done();
}

std::string Run(const std::string& command) {
  std::string out;
  if (std::FILE* p = popen(command.c_str(), "r")) {
    char buf[512];
    while (std::fgets(buf, sizeof buf, p)) out += buf;
    pclose(p);
  }
  return out;
}

// "Pages: N" and "Page size: ..." of pdfinfo, or empty when poppler-utils is missing.
std::string PdfInfo(const std::string& path, const char* field) {
  const std::string info = Run("pdfinfo '" + path + "' 2>/dev/null");
  const size_t at = info.find(field);
  if (at == std::string::npos) return {};
  const size_t start = info.find_first_not_of(' ', at + std::strlen(field));
  return info.substr(start, info.find('\n', start) - start);
}

TEST(CliReport, GoodAndBadFilesTogether) {
  test::TempDir dir;
  const std::string bad = dir.Write("bad.thk", kBad);
  const std::string missing = dir.File("none.thk");
  const std::string out = dir.File("out");
  const std::string good = ExamplePath("volcano_pitch5.thk");
  const CliResult r = RunCliProcess({"report", bad, good, missing, "-o", out, "--jobs", "2",
                                     "--roi1", "150,150", "--roi-digits", "3"});
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_NE(r.err.find(bad + ": " + kBadMessage + "\n"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find(missing + ": File open error. -> " + missing + "\n"), std::string::npos);
  EXPECT_NE(r.err.find("report: 3/3 "), std::string::npos) << r.err;  // one plain line a file

  const std::string summary = ReadFile(out + "/summary.csv");
  EXPECT_EQ(summary.substr(0, summary.find('\n')),
            "file,slot,name,status,size,pitchX,pitchY,pointCount,min,max,mean,span,"
            "normDivisor,stdDev,nonUniformityPct,cvPct,sitesCount,sitesMin,sitesMax,sitesMean,"
            "sitesStdDev,sitesNonUniformityPct,sitesCvPct,roi1Min,roi1Max,roi1Mean,roi1StdDev");
  EXPECT_NE(summary.find("\n" + bad + ",0,," + kBadMessage + std::string(23, ',') + "\n" + good +
                         ",0,Elevation_m,ok,430,5,5,129731,94,195,"),
            std::string::npos)
      << summary;
  EXPECT_NE(summary.find(",127.200,167.800,"), std::string::npos) << summary;
  // The uniformity figures are info's, each reading back to the same number.
  const std::string infoJson = ReadFile(out + "/volcano_pitch5/info.json");
  std::vector<std::string> row;
  {
    const size_t start = summary.find("\n" + good + ",0,") + 1;
    std::istringstream fields(summary.substr(start, summary.find('\n', start) - start));
    for (std::string f; std::getline(fields, f, ',');) row.push_back(f);
  }
  ASSERT_EQ(row.size(), 27u) << summary;
  auto infoNumber = [&](const std::string& key, size_t from) {
    const size_t at = infoJson.find("\"" + key + "\":", from) + key.size() + 3;
    return std::stod(infoJson.substr(at, infoJson.find_first_of(",}", at) - at));
  };
  const size_t sites = infoJson.find("\"sites\":");
  const std::pair<int, double> expected[] = {{13, infoNumber("stdDev", 0)},
                                             {14, infoNumber("nonUniformityPct", 0)},
                                             {15, infoNumber("cvPct", 0)},
                                             {16, 87 * 61},
                                             {17, infoNumber("min", sites)},
                                             {18, infoNumber("max", sites)},
                                             {19, infoNumber("mean", sites)},
                                             {20, infoNumber("stdDev", sites)},
                                             {21, infoNumber("nonUniformityPct", sites)},
                                             {22, infoNumber("cvPct", sites)}};
  for (const auto& [column, value] : expected) EXPECT_EQ(std::stod(row[column]), value) << column;
  EXPECT_EQ(row[26].size() - row[26].find('.'), 4u) << row[26];  // the table's three decimals
  EXPECT_GT(std::stod(row[26]), 0.0);
  EXPECT_FALSE(fs::exists(out + "/bad"));  // nothing to keep for a failed file

  // Every output is what the single commands write for the same file.
  const std::string sub = out + "/volcano_pitch5/";
  const CliResult info = RunCliProcess({"info", good});
  EXPECT_EQ(ReadFile(sub + "info.json"), info.out);
  RunCliProcess({"roi", good, "--roi1", "150,150", "--roi-digits", "3", "-o", dir.File("r.csv")});
  EXPECT_EQ(ReadFile(sub + "roi-0.csv"), ReadFile(dir.File("r.csv")));
  for (const char* view : {"colormap", "contour", "linegraph", "3d"}) {
    const bool drawn = fs::exists(sub + view + "-0.png");
    if (std::string(view) != "3d") {
      EXPECT_TRUE(drawn) << view;
    }
    if (!drawn) continue;
    // The OpenGL drivers keep memory to the end, which the leak checker would count.
    const CliResult render =
        RunCliProcess({"render", good, "--view", view, "-o", dir.File("v.png")}, "",
                      {"ASAN_OPTIONS=detect_leaks=0"});
    ASSERT_EQ(render.status, 0) << render.err;
    EXPECT_EQ(ReadFile(sub + view + "-0.png"), ReadFile(dir.File("v.png"))) << view;
  }

  const std::string pages = PdfInfo(out + "/report.pdf", "Pages:");
  if (pages.empty()) GTEST_SKIP() << "pdfinfo (poppler-utils) is not installed";
  EXPECT_EQ(pages, "2");  // the first page and the one good file
  EXPECT_NE(PdfInfo(out + "/report.pdf", "Page size:").find("(A4)"), std::string::npos);
}

TEST(CliReport, SameSummaryWhateverTheJobCount) {
  test::TempDir dir;
  fs::create_directory(dir.File("b"));
  // Two inputs with the same stem, a name that needs CSV quotes and is written in CP932,
  // under a locale that writes decimal commas.
  const std::string a = dir.Write(
      "a.thk",
      "1,\n1,1,\n1,say \"hi\" \x96\x8C\x8C\xFA,\n0,0,1.5,\n0,1,1.5,\n1,0,2.5,\n1,1,2.5,\n");
  const std::string a2 = dir.Write("b/a.thk", kBad);
  const std::string coads = ExamplePath("coads_atlantic_sparse.thk");
  const std::vector<std::string> env = {std::string("LOCPATH=") + ORVELLE_TEST_LOCALE_DIR,
                                        "LC_ALL=de_DE.UTF-8"};
  std::string summaries[2];
  for (const int jobs : {1, 3}) {
    const std::string out = dir.File("out" + std::to_string(jobs));
    const CliResult r = RunCliProcess({"report", coads, a, a2, "--all-types", "-o", out, "--jobs",
                                       std::to_string(jobs), "--quiet"},
                                      "", env);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, a2 + ": " + kBadMessage + "\n");  // quiet: failures only
    summaries[jobs == 1 ? 0 : 1] = ReadFile(out + "/summary.csv");
    EXPECT_TRUE(fs::exists(out + "/a/colormap-0.png"));
    EXPECT_TRUE(fs::exists(out + "/coads_atlantic_sparse/colormap-2.png"));
  }
  EXPECT_EQ(summaries[0], summaries[1]);
  EXPECT_NE(
      summaries[0].find(
          "\n" + a + ",0,\"say \"\"hi\"\" \xE8\x86\x9C\xE5\x8E\x9A\",ok,1,1,1,4,1.5,2.5,2,1,1," +
          // 1.5 twice and 2.5 twice: spread sqrt(1 / 3), 1 / (2 x 2), half the spread; no fill
          "0.5773502691896257,25,28.867513459481287,4,1.5,2.5,2,0.5773502691896257,25,"
          "28.867513459481287\n"),
      std::string::npos)
      << summaries[0];
  EXPECT_NE(summaries[0].find("\n" + a2 + ",,,X coord"), std::string::npos);
  EXPECT_NE(summaries[0].find(",2,SLP_Jan_mb,ok,"), std::string::npos);
}

TEST(CliReport, InterruptedRunLeavesOnlyWholeFiles) {
  test::TempDir dir;
  std::vector<std::string> args = {"report"};
  const std::string data = ReadFile(ExamplePath("volcano_pitch5.thk"));
  for (int i = 0; i < 12; ++i) {
    std::string name = "p";
    name += std::to_string(i);
    name += ".thk";
    args.push_back(dir.Write(name, data));
  }
  const std::string out = dir.File("out");
  args.insert(args.end(), {"-o", out, "--jobs", "2"});
  BackgroundRun run(args, dir.File("err"));
  ASSERT_TRUE(WaitFor([&] { return fs::exists(out + "/p0/info.json"); }, 60));
  EXPECT_EQ(run.Interrupt(), 130);

  EXPECT_FALSE(fs::exists(out + "/summary.csv"));
  EXPECT_FALSE(fs::exists(out + "/report.pdf"));
  for (const auto& e : fs::recursive_directory_iterator(out)) {
    if (e.is_directory()) continue;
    const std::string name = e.path().filename().string();
    const std::string ext = e.path().extension().string();
    EXPECT_TRUE(ext == ".png" || ext == ".json") << "left behind: " << name;
    if (ext == ".png") {
      const std::string png = ReadFile(e.path().string());
      EXPECT_EQ(png.substr(png.size() - 8, 4), "IEND") << name;
    }
  }
  EXPECT_NE(ReadFile(dir.File("err")).find("report: stopped after "), std::string::npos);
}

TEST(CliReport, WatchReportsAFileWrittenInPiecesOnceComplete) {
  test::TempDir dir;
  fs::create_directory(dir.File("in"));
  const std::string out = dir.File("out");
  BackgroundRun run({"report", "--watch", dir.File("in"), "-o", out, "--settle", "2"},
                    dir.File("err"));
  // The watcher is looking once it has written its empty summary.
  ASSERT_TRUE(WaitFor([&] { return fs::exists(out + "/summary.csv"); }, 60));
  const std::string data = ReadFile(ExamplePath("volcano_pitch5.thk"));
  {
    // A prefix of the file is a valid THK file with fewer points: reporting it early shows.
    std::ofstream f(dir.File("in/part.thk"), std::ios::binary);
    for (size_t piece = 0, n = data.size() / 3 + 1; piece * n < data.size(); ++piece) {
      f << data.substr(piece * n, n) << std::flush;
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
  }
  const auto rows = [&] {
    const std::string s = ReadFile(out + "/summary.csv");
    return std::count(s.begin(), s.end(), '\n');
  };
  ASSERT_TRUE(WaitFor([&] { return rows() == 2; }, 60)) << ReadFile(dir.File("err"));
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));  // and only once
  EXPECT_EQ(run.Interrupt(), 130);
  const std::string summary = ReadFile(out + "/summary.csv");
  EXPECT_EQ(rows(), 2) << summary;
  EXPECT_NE(summary.find(dir.File("in/part.thk") + ",0,Elevation_m,ok,430,5,5,129731,"),
            std::string::npos)
      << summary;
  EXPECT_EQ(ReadFile(dir.File("err")),
            "report: 1 " + dir.File("in/part.thk") + " ok\nreport: stopped after 1 file(s)\n");
  EXPECT_EQ(PdfInfo(out + "/report.pdf", "Pages:"), "2");  // a PDF without pages fails too
}

TEST(CliReport, UsageErrors) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"report", "a.thk"},
        {"report", "-o", "d"},
        {"report", "a.thk", "-o", "d", "--type", "1", "--all-types"},
        {"report", "a.thk", "-o", "d", "--range", "1,2", "--all-types"},
        {"report", "a.thk", "-o", "d", "--jobs", "0"},
        {"report", "a.thk", "-o", "d", "--page", "a5"},
        {"report", "a.thk", "-o", "d", "--view", "3d"},
        {"report", "a.thk", "-o", "d", "--roi1", "301,0"},
        {"report", "a.thk", "-o", "d", "--spline", "9"},
        {"report", "--watch", "in", "a.thk", "-o", "d"}}) {
    const CliResult r = RunCliProcess(args);
    EXPECT_EQ(r.status, 2) << testing::PrintToString(args);
    EXPECT_EQ(r.err.rfind("orvelle-cli: ", 0), 0u) << r.err;
  }
  const CliResult help = RunCliProcess({"report", "--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("orvelle-cli report FILE... -o DIR"), std::string::npos);
}

}  // namespace
}  // namespace orvelle
