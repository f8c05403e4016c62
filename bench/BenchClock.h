// Clocks and a median for the benchmark programs that time whole window actions by hand.
#pragma once

#include <time.h>

#include <algorithm>
#include <chrono>
#include <vector>

namespace orvelle::bench {

// CPU time of the whole process (all threads), in milliseconds.
inline double CpuMs() {
  timespec ts;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// Wall-clock time in milliseconds from an arbitrary start.
inline double NowMs() {
  return std::chrono::duration<double, std::milli>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// The middle value (the upper of the two middle ones for an even count); 0 for none.
inline double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0.0 : v[v.size() / 2];
}

}  // namespace orvelle::bench
