// The console reporter of the benchmarks, which also prints how a fast version compares with
// its straightforward reference run in the same process.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace orvelle::bench {

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      real_[run.benchmark_name()] = run.GetAdjustedRealTime();
      cpu_[run.benchmark_name()] = run.GetAdjustedCPUTime();
    }
    ConsoleReporter::ReportRuns(runs);
  }
  // Prints both times (in the benchmarks' unit) and the ratio of the processor times.
  void PrintRatio(const std::string& fast, const std::string& reference) {
    if (real_.count(fast) && real_.count(reference))
      std::printf("%s: %.2f (cpu %.2f), reference %.2f (cpu %.2f), %.1fx faster\n", fast.c_str(),
                  real_[fast], cpu_[fast], real_[reference], cpu_[reference],
                  cpu_[reference] / cpu_[fast]);
  }

 private:
  std::map<std::string, double> real_, cpu_;
};

}  // namespace orvelle::bench
