// orvelle-cli report over a run of 501 x 501 files with nine data types (generated into a
// temporary folder at start), with one worker process against two: prints both wall times and
// how many times as fast two jobs are. ORVELLE_REPORT_BENCH_FILES sets the number of files
// (default 24). Run it under xvfb-run to include the 3D views; on a shared machine repeat it
// with the two job counts interleaved (--benchmark_repetitions=5
// --benchmark_enable_random_interleaving=true) and read the medians.
#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kTypes = 9;

struct Fixture {
  std::string dir;
  std::vector<std::string> files;
};

Fixture& Files() {
  static Fixture fixture;
  return fixture;
}

bool WriteGrid(const std::string& path, int seed) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  std::fputs("500,\r\n1,1,\r\n9,", f);
  for (int k = 0; k < kTypes; ++k) std::fprintf(f, "Type%d,", k);
  std::fputs("\r\n", f);
  char line[512];
  for (int x = 0; x <= 500; ++x) {
    for (int y = 0; y <= 500; ++y) {
      int n = std::snprintf(line, sizeof line, "%d,%d,", x, y);
      for (int k = 0; k < kTypes; ++k) {
        const double v = 10 * std::sin(0.013 * (x + seed) * (k + 1)) * std::cos(0.021 * y) + k;
        n += std::snprintf(line + n, sizeof line - n, "%.4f,", v);
      }
      std::fputs(line, f);
      std::fputs("\r\n", f);
    }
  }
  return std::fclose(f) == 0;
}

bool MakeFiles(int count) {
  std::string templ = (fs::temp_directory_path() / "orvelle-report-bench-XXXXXX").string();
  if (mkdtemp(templ.data()) == nullptr) return false;
  Fixture& fx = Files();
  fx.dir = templ;
  // A few different measurements, repeated as a bench's parts would be.
  constexpr int kDistinct = 4;
  for (int i = 0; i < count; ++i) {
    const std::string path = fx.dir + "/part" + std::to_string(i) + ".thk";
    if (i < kDistinct) {
      if (!WriteGrid(path, i * 37)) return false;
    } else {
      std::error_code ec;
      fs::copy_file(fx.files[i % kDistinct], path, ec);
      if (ec) return false;
    }
    fx.files.push_back(path);
  }
  return true;
}

int RunReport(int jobs) {
  const std::string out = Files().dir + "/out" + std::to_string(jobs);
  std::vector<std::string> args = {ORVELLE_CLI_PATH, "report"};
  args.insert(args.end(), Files().files.begin(), Files().files.end());
  args.insert(args.end(), {"-o", out, "--jobs", std::to_string(jobs), "--quiet"});
  const pid_t pid = fork();
  if (pid == 0) {
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void BM_Report(benchmark::State& state) {
  const int jobs = static_cast<int>(state.range(0));
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const int status = RunReport(jobs);
    state.SetIterationTime(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    if (status != 0) state.SkipWithError("orvelle-cli report failed");
  }
  state.counters["files"] = static_cast<double>(Files().files.size());
}
BENCHMARK(BM_Report)->ArgName("jobs")->Arg(1)->Arg(2)->UseManualTime()->Iterations(1)->Unit(
    benchmark::kSecond);

// Keeps each job count's wall time (the median when repeated) for the closing line.
class JobsReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      const std::string name = run.benchmark_name();
      const int jobs = name.find("jobs:1/") != std::string::npos ? 1 : 2;
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
        median_[jobs] = run.GetAdjustedRealTime();
      } else if (run.run_type == Run::RT_Iteration) {
        last_[jobs] = run.GetAdjustedRealTime();
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  void PrintRatio() const {
    const auto& times = median_.size() == 2 ? median_ : last_;
    if (times.size() != 2) return;
    std::printf("report of %zu files: 1 job %.2f s, 2 jobs %.2f s%s, 2 jobs %.2fx as fast\n",
                Files().files.size(), times.at(1), times.at(2),
                median_.size() == 2 ? " (medians)" : "", times.at(1) / times.at(2));
  }

 private:
  std::map<int, double> median_, last_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  const char* count = std::getenv("ORVELLE_REPORT_BENCH_FILES");
  const int files = count != nullptr ? std::max(1, std::atoi(count)) : 24;
  if (!MakeFiles(files)) {
    std::fprintf(stderr, "could not write the test files\n");
    return 1;
  }
  JobsReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatio();
  std::error_code ec;
  fs::remove_all(Files().dir, ec);
  benchmark::Shutdown();
  return 0;
}
