// orvelle-cli report as a user runs it: good and bad files together, outputs identical to the
// single commands' (also from one worker drawing file after file), the same summary whatever the
// job count, the run table, colour ranges given or common to the run, a stopped run and its
// resumption, the pages in the list's order, a view left out, a file that hangs, a watched folder
// with a file written in pieces or many files arriving, a run split into shards and merged again,
// and the report's usage errors.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
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
const char* const kSmall = "1,\n1,1,\n1,A,\n0,0,1,\n0,1,2,\n1,0,3,\n1,1,4,\n";
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
  int Interrupt() { return Stop(SIGINT); }
  int Stop(int signal) {
    kill(pid_, signal);
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

// PREFIX<i>.thk (built in steps: g++ 12 warns wrongly about the one-expression form).
std::string ThkName(const std::string& prefix, int i) {
  std::string name = prefix;
  name += std::to_string(i);
  name += ".thk";
  return name;
}

// The text of a PDF, or empty when poppler-utils is missing.
std::string PdfText(const std::string& path) {
  return Run("pdftotext '" + path + "' - 2>/dev/null");
}

// The words of a PDF as laid out on its pages, one space between them, or empty when
// poppler-utils is missing.
std::string PdfWords(const std::string& path) {
  std::string words;
  for (const char c : Run("pdftotext -layout '" + path + "' - 2>/dev/null")) {
    const bool space = c == ' ' || c == '\n' || c == '\f';
    if (!space) {
      words += c;
    } else if (!words.empty() && words.back() != ' ') {
      words += ' ';
    }
  }
  return words;
}

// The arguments of `render` that draw what the report writes as VIEW-N.png.
std::vector<std::string> RenderArgs(const std::string& file, const std::string& view) {
  std::vector<std::string> args = {"render", file, "--view", view};
  if (view == "colormap" || view == "contour") args.push_back("--framed");
  return args;
}

// A PDF without its creation time, which no two runs share.
std::string WithoutCreationDate(std::string pdf) {
  const size_t at = pdf.find("/CreationDate (");
  if (at != std::string::npos) pdf.erase(at, pdf.find(')', at) + 1 - at);
  return pdf;
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
            "file,slot,name,status,views,size,pitchX,pitchY,pointCount,min,max,mean,span,"
            "normDivisor,stdDev,nonUniformityPct,cvPct,sitesCount,sitesMin,sitesMax,sitesMean,"
            "sitesStdDev,sitesNonUniformityPct,sitesCvPct,roi1Min,roi1Max,roi1Mean,roi1StdDev");
  EXPECT_NE(summary.find("\n" + bad + ",0,," + kBadMessage + std::string(24, ',') + "\n" + good +
                         ",0,Elevation_m,ok,colormap contour linegraph"),
            std::string::npos)
      << summary;
  EXPECT_NE(summary.find(",430,5,5,129731,94,195,"), std::string::npos) << summary;
  EXPECT_NE(summary.find(",127.200,167.800,"), std::string::npos) << summary;
  // The uniformity figures are info's, each reading back to the same number.
  const std::string infoJson = ReadFile(out + "/volcano_pitch5/info.json");
  std::vector<std::string> row;
  {
    const size_t start = summary.find("\n" + good + ",0,") + 1;
    std::istringstream fields(summary.substr(start, summary.find('\n', start) - start));
    for (std::string f; std::getline(fields, f, ',');) row.push_back(f);
  }
  ASSERT_EQ(row.size(), 28u) << summary;
  auto infoNumber = [&](const std::string& key, size_t from) {
    const size_t at = infoJson.find("\"" + key + "\":", from) + key.size() + 3;
    return std::stod(infoJson.substr(at, infoJson.find_first_of(",}", at) - at));
  };
  const size_t sites = infoJson.find("\"sites\":");
  const std::pair<int, double> expected[] = {{14, infoNumber("stdDev", 0)},
                                             {15, infoNumber("nonUniformityPct", 0)},
                                             {16, infoNumber("cvPct", 0)},
                                             {17, 87 * 61},
                                             {18, infoNumber("min", sites)},
                                             {19, infoNumber("max", sites)},
                                             {20, infoNumber("mean", sites)},
                                             {21, infoNumber("stdDev", sites)},
                                             {22, infoNumber("nonUniformityPct", sites)},
                                             {23, infoNumber("cvPct", sites)}};
  for (const auto& [column, value] : expected) EXPECT_EQ(std::stod(row[column]), value) << column;
  EXPECT_EQ(row[27].size() - row[27].find('.'), 4u) << row[27];  // the table's three decimals
  EXPECT_GT(std::stod(row[27]), 0.0);
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
    std::vector<std::string> args = RenderArgs(good, view);
    args.insert(args.end(), {"-o", dir.File("v.png")});
    const CliResult render = RunCliProcess(args, "", {"ASAN_OPTIONS=detect_leaks=0"});
    ASSERT_EQ(render.status, 0) << render.err;
    EXPECT_EQ(ReadFile(sub + view + "-0.png"), ReadFile(dir.File("v.png"))) << view;
  }

  const std::string pages = PdfInfo(out + "/report.pdf", "Pages:");
  if (pages.empty()) GTEST_SKIP() << "pdfinfo (poppler-utils) is not installed";
  EXPECT_EQ(pages, "4");  // the first page, the run table, the trend and the one good file
  EXPECT_NE(PdfInfo(out + "/report.pdf", "Page size:").find("(A4)"), std::string::npos);

  // The run table gives the measured sites' figures to six significant digits (summary.csv
  // keeps them all) and each failure's message; the file's page is titled with its name.
  const std::string words = PdfWords(out + "/report.pdf");
  for (const std::string& expect :
       {std::string("File Type Sites Mean Std dev Min Max Range NU % "),
        "bad.thk 0 " + std::string(kBadMessage) + " ",
        std::string("volcano_pitch5.thk 0 5307 130.188 25.8323 94 195 101 38.7901 "),
        "volcano_pitch5.thk " + good + " Data type 0",
        std::string("Line graph: X section at Y = 214, Y section at X = 214"),
        std::string("mean 130.769 span 101 ")}) {
    EXPECT_NE(words.find(expect), std::string::npos) << expect << "\n" << words;
  }
  EXPECT_NE(summary.find(",130.76859809914302,"), std::string::npos) << summary;
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
  EXPECT_NE(summaries[0].find("\n" + a + ",0,\"say \"\"hi\"\" \xE8\x86\x9C\xE5\x8E\x9A\",ok,"),
            std::string::npos)
      << summaries[0];
  // 1.5 twice and 2.5 twice: spread sqrt(1 / 3), 1 / (2 x 2), half the spread; no fill
  EXPECT_NE(summaries[0].find(",1,1,1,4,1.5,2.5,2,1,1,0.5773502691896257,25,28.867513459481287,4,"
                              "1.5,2.5,2,0.5773502691896257,25,28.867513459481287\n"),
            std::string::npos)
      << summaries[0];
  EXPECT_NE(summaries[0].find("\n" + a2 + ",,,X coord"), std::string::npos);
  EXPECT_NE(summaries[0].find(",2,SLP_Jan_mb,ok,"), std::string::npos);
}

TEST(CliReport, StoppedRunKeepsWhatFinishedAndLeavesOnlyWholeFiles) {
  test::TempDir dir;
  const std::string data = ReadFile(ExamplePath("volcano_pitch5.thk"));
  std::vector<std::string> files;
  for (int i = 0; i < 40; ++i) files.push_back(dir.Write(ThkName("p", i), data));
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    const std::string out = dir.File("out" + std::to_string(signal));
    std::vector<std::string> args = {"report"};
    args.insert(args.end(), files.begin(), files.end());
    args.insert(args.end(), {"-o", out, "--jobs", "2"});
    BackgroundRun run(args, dir.File("err"));
    ASSERT_TRUE(WaitFor([&] { return fs::exists(out + "/p0/findings"); }, 60));
    EXPECT_EQ(run.Stop(signal), 128 + signal);

    // Every file has its row: the finished ones as they are, the others not run.
    const std::string summary = ReadFile(out + "/summary.csv");
    int ok = 0, notRun = 0;
    for (const std::string& f : files) {
      if (summary.find("\n" + f + ",0,Elevation_m,ok,") != std::string::npos) ++ok;
      if (summary.find("\n" + f + ",0,,not run,") != std::string::npos) ++notRun;
    }
    EXPECT_GE(ok, 1) << summary;
    EXPECT_GE(notRun, 1) << summary;
    EXPECT_EQ(ok + notRun, 40) << summary;
    const std::string pages = PdfInfo(out + "/report.pdf", "Pages:");
    if (!pages.empty()) {
      EXPECT_EQ(pages, std::to_string(ok + 3));  // with the run table and the trend
    }
    for (const auto& e : fs::recursive_directory_iterator(out)) {
      if (e.is_directory()) continue;
      const std::string name = e.path().filename().string();
      const std::string ext = e.path().extension().string();
      EXPECT_TRUE(ext == ".png" || ext == ".ppm" || ext == ".json" || ext == ".csv" ||
                  ext == ".pdf" || ext == ".txt" || name == "findings")
          << "left behind: " << name;
      if (ext == ".png") {
        const std::string png = ReadFile(e.path().string());
        EXPECT_EQ(png.substr(png.size() - 8, 4), "IEND") << name;
      }
    }
    EXPECT_NE(ReadFile(dir.File("err")).find("report: stopped after "), std::string::npos);
  }
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
  EXPECT_NE(summary.find(dir.File("in/part.thk") + ",0,Elevation_m,ok,"), std::string::npos)
      << summary;
  EXPECT_NE(summary.find(",430,5,5,129731,"), std::string::npos) << summary;
  EXPECT_EQ(ReadFile(dir.File("err")),
            "report: 1 " + dir.File("in/part.thk") + " ok\nreport: stopped after 1 file(s)\n");
  EXPECT_EQ(PdfInfo(out + "/report.pdf", "Pages:"), "4");  // a PDF without pages fails too
}

TEST(CliReport, ResumeFinishesAStoppedRunAsOneRunWould) {
  test::TempDir dir;
  const std::string data = ReadFile(ExamplePath("volcano_pitch5.thk"));
  std::vector<std::string> args = {"report", dir.Write("bad.thk", kBad),
                                   ExamplePath("coads_atlantic_sparse.thk")};
  for (int i = 0; i < 12; ++i) args.push_back(dir.Write(ThkName("p", i), data));
  args.insert(args.end(), {"--roi1", "150,150", "--jobs", "1", "-o"});
  // The date on the first page is the only difference allowed: both runs get the same one.
  const std::vector<std::string> env = {"SOURCE_DATE_EPOCH=1700000000"};
  const auto with = [&](const std::string& out, std::vector<std::string> more) {
    std::vector<std::string> words = args;
    words.push_back(out);
    words.insert(words.end(), more.begin(), more.end());
    return words;
  };
  const std::string whole = dir.File("whole"), part = dir.File("part");
  EXPECT_EQ(RunCliProcess(with(whole, {}), "", env).status, 1);

  setenv("SOURCE_DATE_EPOCH", "1700000000", 1);
  {
    BackgroundRun run(with(part, {}), dir.File("err"));
    ASSERT_TRUE(WaitFor([&] { return fs::exists(part + "/p0/findings"); }, 60));
    EXPECT_EQ(run.Interrupt(), 130);
  }
  unsetenv("SOURCE_DATE_EPOCH");
  ASSERT_NE(ReadFile(part + "/summary.csv").find(",not run,"), std::string::npos);
  const auto kept = fs::last_write_time(part + "/p0/findings");

  // Other options are refused before anything is written.
  const std::string before = ReadFile(part + "/summary.csv");
  const CliResult other = RunCliProcess(with(part, {"--resume", "--all-types"}), "", env);
  EXPECT_EQ(other.status, 2);
  EXPECT_NE(other.err.find("was written with other options (--roi1 150,150)"), std::string::npos)
      << other.err;
  EXPECT_EQ(ReadFile(part + "/summary.csv"), before);

  const CliResult resumed = RunCliProcess(with(part, {"--resume"}), "", env);
  EXPECT_EQ(resumed.status, 1) << resumed.err;
  EXPECT_EQ(fs::last_write_time(part + "/p0/findings"), kept);  // not done again
  EXPECT_EQ(ReadFile(part + "/summary.csv"), ReadFile(whole + "/summary.csv"));
  EXPECT_TRUE(WithoutCreationDate(ReadFile(part + "/report.pdf")) ==
              WithoutCreationDate(ReadFile(whole + "/report.pdf")))
      << "report.pdf differs";
}

// The number after "KEY": in the object of data type `slot` of an info.json.
double InfoFigure(const std::string& json, int slot, const std::string& key) {
  const size_t object = json.find("\"slot\":" + std::to_string(slot) + ",");
  const size_t at = json.find("\"" + key + "\":", object) + key.size() + 3;
  return std::stod(json.substr(at, json.find_first_of(",}", at) - at));
}

TEST(CliReport, ColourRangesChangeOnlyWhatFollowsTheColourRange) {
  test::TempDir dir;
  const std::string coads = ExamplePath("coads_atlantic_sparse.thk");
  const std::string volcano = ExamplePath("volcano_pitch5.thk");
  const auto report = [&](const std::string& out, std::vector<std::string> options) {
    std::vector<std::string> args = {"report", volcano, coads, "-o", dir.File(out), "--quiet"};
    args.insert(args.end(), options.begin(), options.end());
    const CliResult r = RunCliProcess(args, "", {"ASAN_OPTIONS=detect_leaks=0"});
    EXPECT_EQ(r.status, 0) << r.err;
    return dir.File(out) + "/";
  };
  const std::string own = report("own", {"--all-types"});
  const std::string common = report("common", {"--all-types", "--common-range"});
  const std::string fixed = report("fixed", {"--range", "50,250"});

  // The figures stay the data's own.
  const std::string summary = ReadFile(own + "summary.csv");
  EXPECT_EQ(ReadFile(common + "summary.csv"), summary);
  std::string typeZero;
  std::istringstream lines(summary);
  for (std::string line; std::getline(lines, line);) {
    if (typeZero.empty() || line.find(".thk,0,") != std::string::npos) typeZero += line + "\n";
  }
  EXPECT_EQ(ReadFile(fixed + "summary.csv"), typeZero);

  // The common range is the run's lowest minimum and highest maximum, per data type.
  const std::string volcanoInfo = ReadFile(own + "volcano_pitch5/info.json");
  const std::string coadsInfo = ReadFile(own + "coads_atlantic_sparse/info.json");
  const double lo =
      std::min(InfoFigure(volcanoInfo, 0, "rangeMin"), InfoFigure(coadsInfo, 0, "rangeMin"));
  const double hi =
      std::max(InfoFigure(volcanoInfo, 0, "rangeMax"), InfoFigure(coadsInfo, 0, "rangeMax"));
  for (const char* stem : {"volcano_pitch5", "coads_atlantic_sparse"}) {
    const std::string info = ReadFile(common + stem + "/info.json");
    EXPECT_EQ(InfoFigure(info, 0, "rangeMin"), lo) << stem;
    EXPECT_EQ(InfoFigure(info, 0, "rangeMax"), hi) << stem;
    EXPECT_EQ(InfoFigure(ReadFile(fixed + stem + "/info.json"), 0, "rangeMin"), 50) << stem;
  }
  const std::string commonCoads = ReadFile(common + "coads_atlantic_sparse/info.json");
  EXPECT_EQ(InfoFigure(commonCoads, 1, "rangeMin"), InfoFigure(coadsInfo, 1, "rangeMin"));

  // The coloured views change, the line graph does not; each is what render draws with the
  // same range.
  const std::string sub = "volcano_pitch5/";
  EXPECT_NE(ReadFile(fixed + sub + "colormap-0.png"), ReadFile(own + sub + "colormap-0.png"));
  EXPECT_NE(ReadFile(common + sub + "contour-0.png"), ReadFile(own + sub + "contour-0.png"));
  EXPECT_EQ(ReadFile(common + sub + "linegraph-0.png"), ReadFile(own + sub + "linegraph-0.png"));
  ASSERT_EQ(RunCliProcess({"render", volcano, "--view", "colormap", "--framed", "--range", "50,250",
                           "-o", dir.File("v.png")})
                .status,
            0);
  EXPECT_EQ(ReadFile(fixed + sub + "colormap-0.png"), ReadFile(dir.File("v.png")));

  const std::string words = PdfWords(common + "report.pdf");
  if (words.empty()) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
  EXPECT_NE(words.find("Colour scale: the run's common range (--common-range), type 0: "),
            std::string::npos)
      << words;
  EXPECT_NE(PdfWords(fixed + "report.pdf").find("Colour scale: 50 to 250 for every file"),
            std::string::npos);
}

TEST(CliReport, AViewLeftOutIsToldInTheSummaryAndOnItsPage) {
  test::TempDir dir;
  const std::string out = dir.File("out");
  const std::string good = ExamplePath("volcano_pitch5.thk");
  // Without a display and without Mesa's EGL there is no OpenGL.
  const CliResult r = RunCliProcess({"report", good, "-o", out}, "",
                                    {"QT_QPA_PLATFORM=offscreen", "DISPLAY=", "WAYLAND_DISPLAY=",
                                     "__EGL_VENDOR_LIBRARY_FILENAMES=/nonexistent"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(ReadFile(out + "/summary.csv")
                .find("\n" + good + ",0,Elevation_m,ok,colormap contour linegraph,430,"),
            std::string::npos)
      << ReadFile(out + "/summary.csv");
  EXPECT_FALSE(fs::exists(out + "/volcano_pitch5/3d-0.png"));
  const std::string text = PdfText(out + "/report.pdf");
  if (text.empty()) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
  EXPECT_NE(text.find("3D view left out: OpenGL is not available"), std::string::npos) << text;
}

// The object offsets of a PDF's cross-reference table that do not point at their object.
std::vector<std::string> WrongOffsets(const std::string& pdf) {
  std::vector<std::string> wrong;
  const size_t start = pdf.rfind("startxref\n");
  if (start == std::string::npos) return {"no startxref"};
  std::istringstream table(pdf.substr(std::stoul(pdf.substr(start + 10))));
  std::string word;
  size_t first = 0, count = 0;
  table >> word >> first >> count;
  for (size_t i = first; i < first + count; ++i) {
    std::string offset, generation, use;
    table >> offset >> generation >> use;
    const std::string object = std::to_string(i) + " 0 obj";
    if (use == "n" && pdf.compare(std::stoul(offset), object.size(), object) != 0) {
      wrong.push_back(object);
    }
  }
  return wrong;
}

TEST(CliReport, PagesFollowTheListWhicheverFileFinishesFirst) {
  test::TempDir dir;
  // The first file takes far longer than the second, which the other worker finishes first.
  const std::string slow = dir.Write("slow.thk", ReadFile(ExamplePath("volcano_pitch5.thk")));
  const std::string quick = dir.Write("quick.thk", kSmall);
  const std::string out = dir.File("out");
  const CliResult r = RunCliProcess({"report", slow, quick, "-o", out, "--jobs", "2"});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string pdf = ReadFile(out + "/report.pdf");
  EXPECT_EQ(WrongOffsets(pdf), std::vector<std::string>());

  if (PdfInfo(out + "/report.pdf", "Pages:").empty()) {
    GTEST_SKIP() << "pdfinfo (poppler-utils) is not installed";
  }
  EXPECT_EQ(PdfInfo(out + "/report.pdf", "Pages:"), "5");
  const std::vector<std::string> pages = {"Orvelle measurement report", "Run table: measured sites",
                                          "Trend of data type 0", "slow.thk " + slow,
                                          "quick.thk " + quick};
  for (size_t i = 0; i < pages.size(); ++i) {
    const std::string n = std::to_string(i + 1);
    const std::string text =
        orvelle::Run("pdftotext -f " + n + " -l " + n + " '" + out + "/report.pdf' -");
    std::string words;
    for (const char c : text) words += c == '\n' ? ' ' : c;
    EXPECT_NE(words.find(pages[i]), std::string::npos) << "page " << n << ": " << words;
  }
}

TEST(CliReport, OneWorkerDrawsEachFileAsASingleCommandWould) {
  test::TempDir dir;
  const std::string coads = ExamplePath("coads_atlantic_sparse.thk");
  const std::string volcano = ExamplePath("volcano_pitch5.thk");
  const std::string out = dir.File("out");
  const std::vector<std::string> roi = {"--roi1", "150,150", "--roi-digits", "3"};
  std::vector<std::string> args = {"report", coads,    volcano, "--all-types", "-o",
                                   out,      "--jobs", "1",     "--quiet"};
  args.insert(args.end(), roi.begin(), roi.end());
  const CliResult r = RunCliProcess(args, "", {"ASAN_OPTIONS=detect_leaks=0"});
  ASSERT_EQ(r.status, 0) << r.err;
  for (const auto& [file, types] : {std::pair{coads, 3}, std::pair{volcano, 1}}) {
    const std::string sub = out + "/" + fs::path(file).stem().string() + "/";
    EXPECT_EQ(ReadFile(sub + "info.json"), RunCliProcess({"info", file}).out);
    for (int t = 0; t < types; ++t) {
      const std::string type = std::to_string(t);
      std::vector<std::string> single = {"roi", file, "--type", type, "-o", dir.File("r.csv")};
      single.insert(single.end(), roi.begin(), roi.end());
      RunCliProcess(single);
      EXPECT_EQ(ReadFile(sub + "roi-" + type + ".csv"), ReadFile(dir.File("r.csv"))) << file;
      for (const char* view : {"colormap", "contour", "linegraph", "3d"}) {
        std::vector<std::string> args = RenderArgs(file, view);
        args.insert(args.end(), {"--type", type, "-o", dir.File("v.png")});
        const CliResult render = RunCliProcess(args, "", {"ASAN_OPTIONS=detect_leaks=0"});
        ASSERT_EQ(render.status, 0) << render.err;
        EXPECT_EQ(ReadFile(sub + view + "-" + type + ".png"), ReadFile(dir.File("v.png")))
            << file << " " << view << " " << t;
      }
    }
  }
}

TEST(CliReport, AFileThatHangsIsTimedOutAndTheRunGoesOn) {
  test::TempDir dir;
  // Reading a FIFO that is held open but never written blocks for good.
  const std::string hang = dir.File("hang.thk");
  ASSERT_EQ(mkfifo(hang.c_str(), 0600), 0);
  const int writer = open(hang.c_str(), O_RDWR);
  ASSERT_GE(writer, 0);
  const std::string good = ExamplePath("volcano_pitch5.thk");
  const std::string out = dir.File("out");
  // The time covers the new worker's start and drawing the good file on a loaded sanitizer build.
  const CliResult r =
      RunCliProcess({"report", hang, good, "-o", out, "--jobs", "1", "--timeout", "5"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find(hang + ": timed out after 5 s\n"), std::string::npos) << r.err;
  const std::string summary = ReadFile(out + "/summary.csv");
  EXPECT_NE(summary.find("\n" + hang + ",0,,timed out after 5 s,"), std::string::npos) << summary;
  EXPECT_NE(summary.find("\n" + good + ",0,Elevation_m,ok,"), std::string::npos) << summary;
  close(writer);
}

TEST(CliReport, WatchRewritesAtMostEveryIntervalWhileFilesArrive) {
  test::TempDir dir;
  fs::create_directory(dir.File("in"));
  const std::string out = dir.File("out");
  setenv("ORVELLE_REPORT_REWRITE_SECONDS", "1.5", 1);
  BackgroundRun run(
      {"report", "--watch", dir.File("in"), "-o", out, "--settle", "0", "--jobs", "1"},
      dir.File("err"));
  unsetenv("ORVELLE_REPORT_REWRITE_SECONDS");
  ASSERT_TRUE(WaitFor([&] { return fs::exists(out + "/summary.csv"); }, 60));
  const auto rows = [&] {
    const std::string s = ReadFile(out + "/summary.csv");
    return std::count(s.begin(), s.end(), '\n');
  };
  using Clock = std::chrono::steady_clock;
  std::vector<Clock::time_point> rewrites;
  long seen = rows();
  const auto look = [&] {
    if (const long n = rows(); n != seen) {
      seen = n;
      rewrites.push_back(Clock::now());
    }
  };
  constexpr int kFiles = 30;
  for (int i = 0; i < kFiles; ++i) {
    dir.Write(ThkName("in/f", i), kSmall);
    for (int k = 0; k < 5; ++k) {
      look();
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }
  ASSERT_TRUE(WaitFor(
      [&] {
        look();
        return seen == kFiles + 1;
      },
      60))
      << ReadFile(dir.File("err"));
  EXPECT_EQ(run.Interrupt(), 130);
  // The last rewrite comes as soon as the folder is quiet; the others keep the interval.
  ASSERT_GE(rewrites.size(), 2u);
  for (size_t i = 1; i + 1 < rewrites.size(); ++i) {
    EXPECT_GE(std::chrono::duration<double>(rewrites[i] - rewrites[i - 1]).count(), 1.3) << i;
  }
}

TEST(CliReport, WatchGoesOnAfterAFailedRewrite) {
  test::TempDir dir;
  fs::create_directory(dir.File("in"));
  const std::string out = dir.File("out");
  // A folder where summary.csv belongs makes every rewrite fail until it is gone.
  fs::create_directories(out + "/summary.csv");
  BackgroundRun run({"report", "--watch", dir.File("in"), "-o", out, "--settle", "0"},
                    dir.File("err"));
  dir.Write("in/a.thk", kSmall);
  ASSERT_TRUE(
      WaitFor([&] { return ReadFile(dir.File("err")).find(" ok\n") != std::string::npos; }, 60));
  fs::remove(out + "/summary.csv");
  dir.Write("in/b.thk", kSmall);
  ASSERT_TRUE(WaitFor(
      [&] {
        const std::string s = ReadFile(out + "/summary.csv");
        return std::count(s.begin(), s.end(), '\n') == 3;
      },
      60))
      << ReadFile(dir.File("err"));
  EXPECT_EQ(run.Interrupt(), 130);
  EXPECT_NE(ReadFile(dir.File("err")).find("File write error. -> " + out + "/summary.csv\n"),
            std::string::npos)
      << ReadFile(dir.File("err"));
}

TEST(CliReport, ShardsRunByGnuParallelMergeIntoWhatOneRunWrites) {
  if (orvelle::Run("command -v parallel").empty()) GTEST_SKIP() << "GNU parallel is not installed";
  test::TempDir dir;
  fs::create_directory(dir.File("sub"));
  // Two files of the same stem in different shards, and a failed file.
  std::vector<std::string> files = {dir.Write("a.thk", kSmall), ExamplePath("volcano_pitch5.thk"),
                                    dir.Write("bad.thk", kBad), dir.Write("sub/a.thk", kSmall),
                                    dir.Write("c.thk", kSmall)};
  std::string list;
  for (const std::string& f : files) list += " " + f;
  const std::string options = " --roi1 150,150 --quiet --jobs 1";
  const std::string epoch = "SOURCE_DATE_EPOCH=1700000000 ";
  const std::string cli = ORVELLE_CLI_PATH;
  orvelle::Run(epoch + cli + " report" + list + options + " -o " + dir.File("whole") +
               " 2>/dev/null");
  orvelle::Run(epoch + "parallel --will-cite -j3 " + cli + " report" + list + options + " -o " +
               dir.File("s{}") + " --shard {}/3 ::: 1 2 3 2>/dev/null");
  const CliResult merged = RunCliProcess({"report", "--merge", "-o", dir.File("merged"),
                                          dir.File("s3"), dir.File("s1"), dir.File("s2")},
                                         "", {epoch.substr(0, epoch.size() - 1)});
  EXPECT_EQ(merged.status, 1) << merged.err;  // as the whole run: one file failed
  const std::string summary = ReadFile(dir.File("whole/summary.csv"));
  ASSERT_NE(summary.find("/sub/a.thk,0,A,ok,"), std::string::npos) << summary;
  EXPECT_EQ(ReadFile(dir.File("merged/summary.csv")), summary);
  EXPECT_TRUE(WithoutCreationDate(ReadFile(dir.File("merged/report.pdf"))) ==
              WithoutCreationDate(ReadFile(dir.File("whole/report.pdf"))))
      << "report.pdf differs";
  EXPECT_TRUE(fs::exists(dir.File("merged/a-2/page/colormap-0.ppm")));
  const std::string pages = PdfInfo(dir.File("merged/report.pdf"), "Pages:");
  if (pages.empty()) GTEST_SKIP() << "pdfinfo (poppler-utils) is not installed";
  EXPECT_EQ(pages, PdfInfo(dir.File("whole/report.pdf"), "Pages:"));
}

TEST(CliReport, MergeRefusesFoldersThatAreNotTheShardsOfOneRun) {
  test::TempDir dir;
  std::vector<std::string> files = {dir.Write("a.thk", kSmall), dir.Write("b.thk", kSmall),
                                    dir.Write("c.thk", kSmall)};
  const auto shard = [&](const std::string& name, const std::string& which,
                         std::vector<std::string> more) {
    std::vector<std::string> args = {"report"};
    args.insert(args.end(), files.begin(), files.end());
    args.insert(args.end(), {"-o", dir.File(name), "--shard", which, "--quiet"});
    args.insert(args.end(), more.begin(), more.end());
    const CliResult r = RunCliProcess(args);
    EXPECT_TRUE(fs::exists(dir.File(name + "/shard.txt"))) << name << ": " << r.err;
    return dir.File(name);
  };
  const std::string s1 = shard("s1", "1/3", {}), s2 = shard("s2", "2/3", {}),
                    s3 = shard("s3", "3/3", {});
  const std::string roi = shard("roi", "3/3", {"--roi1", "1,1"});
  files.pop_back();
  const std::string other = shard("other", "2/3", {});
  const std::string out = dir.File("out");
  for (const auto& [dirs, message] :
       {std::pair<std::vector<std::string>, std::string>{{s1, s2}, "missing shard 3/3"},
        {{s1, s2, s2, s3}, "shard 2/3 is given twice: " + s2 + " and " + s2},
        {{s1, other, s3},
         other + " (shard 2/3 of 2 files) and " + s1 +
             " (shard 1/3 of 3 files) are not shards of one run: their lists of files differ"},
        {{s1, s2, roi}, roi + " was run with other options (--roi1 1,1) than " + s1 + " (none)"},
        {{s1, s2, dir.File("none")}, dir.File("none") + " is not a shard folder"}}) {
    std::vector<std::string> args = {"report", "--merge", "-o", out};
    args.insert(args.end(), dirs.begin(), dirs.end());
    const CliResult r = RunCliProcess(args);
    EXPECT_EQ(r.status, 2) << message;
    EXPECT_EQ(r.err.rfind("orvelle-cli: report --merge: " + message, 0), 0u) << r.err;
    EXPECT_FALSE(fs::exists(out)) << message;
  }
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
        {"report", "--watch", "in", "a.thk", "-o", "d"},
        {"report", "a.thk", "-o", "d", "--shard", "4/3"},
        {"report", "--watch", "in", "-o", "d", "--shard", "1/3"},
        {"report", "--merge", "s1", "s2", "-o", "d", "--type", "1"},
        {"report", "a.thk", "-o", "d", "--shard", "1/2", "--common-range"},

        {"report", "a.thk", "-o", "d", "--range", "1,2", "--common-range"},
        {"report", "--watch", "in", "-o", "d", "--common-range"}}) {
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
