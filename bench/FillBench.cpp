// Bilinear fill of a pitch-10 lattice over 500 x 500 (with a few missing lattice points) against
// the straightforward version: equal grids, time and ratio.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdio>

#include "bench/ConditioningReference.h"
#include "data/Conditioning.h"

namespace {

using orvelle::GridDataSet;

void MakeLattice(GridDataSet& d) {
  orvelle::ResetDataSets(&d, 1);
  d.active = 1;
  d.size = 500;
  d.pitchX = d.pitchY = 10;
  d.maxX = d.maxY = 500;
  for (int x = 0; x <= 500; x += 10)
    for (int y = 0; y <= 500; y += 10)
      if ((x * 7 + y * 3) % 170 != 0) d.values[x][y] = 50.0 + 10.0 * std::sin(x * 0.01 + y * 0.02);
}

double Ms(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

void BM_Fill(benchmark::State& state) {
  auto sets = orvelle::MakeDataSets();
  for (auto _ : state) {
    state.PauseTiming();
    MakeLattice(sets[0]);
    state.ResumeTiming();
    benchmark::DoNotOptimize(orvelle::FillGaps(sets[0]));
  }
}
BENCHMARK(BM_Fill)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  auto sets = orvelle::MakeDataSets();
  MakeLattice(sets[1]);
  auto t0 = std::chrono::steady_clock::now();
  const int expectedCells = orvelle::reference::FillGaps(sets[1]);
  const double refMs = Ms(std::chrono::steady_clock::now() - t0);
  double best = 1e9;
  int cells = 0;
  for (int run = 0; run < 20; ++run) {
    MakeLattice(sets[0]);
    t0 = std::chrono::steady_clock::now();
    cells = orvelle::FillGaps(sets[0]);
    best = std::min(best, Ms(std::chrono::steady_clock::now() - t0));
  }
  int mismatches = 0;
  for (int x = 0; x < orvelle::kGridDim; ++x)
    for (int y = 0; y < orvelle::kGridDim; ++y)
      if (sets[0].values[x][y] != sets[1].values[x][y]) ++mismatches;
  std::printf(
      "fill pitch 10 over 500 x 500: %d cells, reference %.2f ms, library %.2f ms (best of "
      "20, with statistics), ratio %.1f, %d differing points\n",
      cells, refMs, best, refMs / best, mismatches);
  if (mismatches != 0 || cells != expectedCells) return 1;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
