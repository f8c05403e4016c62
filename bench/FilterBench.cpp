// Disc-mean filter over the 301 x 301 corner of a dense 501 x 501 grid (radius 50 and the default
// radius 3) against the straightforward loop: largest difference relative to the span, time and
// ratio.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdio>

#include "bench/ConditioningReference.h"
#include "data/Conditioning.h"

namespace {

using orvelle::GridDataSet;

// A smooth surface with an offset, some noise and about one point in fifty missing.
void MakeGrid(GridDataSet& d) {
  d.active = 1;
  d.size = 500;
  d.pitchX = d.pitchY = 1;
  d.maxX = d.maxY = 500;
  unsigned seed = 12345;
  for (int x = 0; x < orvelle::kGridDim; ++x) {
    for (int y = 0; y < orvelle::kGridDim; ++y) {
      seed = seed * 1103515245u + 12345u;
      const double noise = ((seed >> 8) % 1000) / 1000.0;
      d.values[x][y] = (seed >> 20) % 50 == 0
                           ? orvelle::kNoData
                           : 1000.0 + 40.0 * std::sin(x * 0.02) * std::cos(y * 0.03) + noise;
    }
  }
}

double Ms(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

void BM_Filter(benchmark::State& state) {
  auto sets = orvelle::MakeDataSets();
  MakeGrid(sets[0]);
  auto source = orvelle::MakeDataSets();
  MakeGrid(source[0]);
  for (auto _ : state) {
    state.PauseTiming();
    orvelle::reference::CopyValues(source[0], sets[0]);
    state.ResumeTiming();
    orvelle::FilterDataSet(sets[0], static_cast<int>(state.range(0)));
  }
}
BENCHMARK(BM_Filter)->Arg(3)->Arg(50)->Unit(benchmark::kMillisecond);

// Compares one radius; returns false when a result is off by more than 1e-10 of the span.
bool Compare(int radius) {
  auto sets = orvelle::MakeDataSets();
  MakeGrid(sets[0]);
  MakeGrid(sets[1]);
  double lo = 1e300, hi = -1e300;
  for (int x = 0; x < orvelle::kGridDim; ++x)
    for (int y = 0; y < orvelle::kGridDim; ++y)
      if (orvelle::IsValid(sets[0].values[x][y])) {
        lo = std::min(lo, sets[0].values[x][y]);
        hi = std::max(hi, sets[0].values[x][y]);
      }
  auto t0 = std::chrono::steady_clock::now();
  orvelle::reference::FilterDataSet(sets[1], radius);
  const double refMs = Ms(std::chrono::steady_clock::now() - t0);
  double best = 1e9;
  for (int run = 0; run < 10; ++run) {
    MakeGrid(sets[0]);
    t0 = std::chrono::steady_clock::now();
    orvelle::FilterDataSet(sets[0], radius);
    best = std::min(best, Ms(std::chrono::steady_clock::now() - t0));
  }
  double worst = 0.0;
  for (int x = 0; x < orvelle::kGridDim; ++x)
    for (int y = 0; y < orvelle::kGridDim; ++y)
      worst = std::max(worst, std::fabs(sets[0].values[x][y] - sets[1].values[x][y]));
  const double relative = worst / (hi - lo);
  std::printf(
      "filter radius %d: reference %.1f ms, library %.2f ms (best of 10), ratio %.0f, "
      "largest difference %.3g of the span\n",
      radius, refMs, best, refMs / best, relative);
  return relative <= 1e-10;
}

}  // namespace

int main(int argc, char** argv) {
  const bool ok = Compare(3) & Compare(50);
  if (!ok) return 1;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
