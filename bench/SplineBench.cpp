// Spline interpolation: the exact procedure at the working-storage limits (32 x 32 lattice with
// pitch 11 and 23 x 23 with pitch 16, order 3) against the straightforward version, equal results,
// time and ratio; and the separable path on a 51 x 51 lattice at pitch 10 and a 501 x 501 lattice
// at pitch 1 (order 3), timed against the exact procedure on 32 x 32.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

#include "bench/ConditioningReference.h"
#include "bench/RatioReporter.h"
#include "data/Spline.h"

namespace {

using orvelle::GridDataSet;

struct Case {
  int lattice;
  int pitch;
};
constexpr Case kCases[] = {{32, 11}, {23, 16}};

void SetLattice(GridDataSet& d, const Case& c) {
  d.active = 1;
  d.size = (c.lattice - 1) * c.pitch;
  d.pitchX = d.pitchY = c.pitch;
  d.maxX = d.maxY = d.size;
  d.name = "Bench";
  for (int i = 0; i < c.lattice; ++i)
    for (int j = 0; j < c.lattice; ++j)
      d.values[i * c.pitch][j * c.pitch] =
          100.0 + 20.0 * std::sin(i * 0.37) * std::cos(j * 0.23) + 0.01 * ((i * 7 + j * 13) % 11);
}

double Ms(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

// Runs both cases once with the library; returns the time in ms.
double RunLibrary(GridDataSet* sets) {
  const auto t0 = std::chrono::steady_clock::now();
  for (int i = 0; i < 2; ++i) {
    SetLattice(sets[i], kCases[i]);
    orvelle::SplineInterpolate(sets[i], 3);
  }
  return Ms(std::chrono::steady_clock::now() - t0);
}

void BM_SplineAtLimits(benchmark::State& state) {
  auto sets = orvelle::MakeDataSets();
  for (auto _ : state) RunLibrary(sets.get());
}
BENCHMARK(BM_SplineAtLimits)->Unit(benchmark::kMillisecond);

// One lattice, order 3, run again and again on its own result (the same work every time).
void BM_Spline(benchmark::State& state) {
  auto sets = orvelle::MakeDataSets();
  const Case c{static_cast<int>(state.range(0)), static_cast<int>(state.range(1))};
  SetLattice(sets[0], c);
  for (auto _ : state) benchmark::DoNotOptimize(orvelle::SplineInterpolate(sets[0], 3));
}
BENCHMARK(BM_Spline)->Args({32, 11})->Args({51, 10})->Args({501, 1})->Unit(benchmark::kMillisecond);

// Largest difference between the two paths on a lattice at the storage limit, in units of span.
double PathsDiffer(const Case& c) {
  auto exact = orvelle::MakeDataSets(), separable = orvelle::MakeDataSets();
  SetLattice(exact[0], c);
  SetLattice(separable[0], c);
  orvelle::SplineInterpolate(exact[0], 3);
  orvelle::SplineSeparable(separable[0], 3);
  double worst = 0.0;
  for (int x = 0; x <= c.pitch * (c.lattice - 1); ++x)
    for (int y = 0; y <= c.pitch * (c.lattice - 1); ++y)
      worst = std::max(worst, std::abs(exact[0].values[x][y] - separable[0].values[x][y]));
  return worst / exact[0].span;
}

}  // namespace

int main(int argc, char** argv) {
  auto sets = orvelle::MakeDataSets();
  auto refSets = orvelle::MakeDataSets();
  double refMs = 0.0;
  int mismatches = 0;
  for (int i = 0; i < 2; ++i) {
    SetLattice(refSets[i], kCases[i]);
    int rows = 0, cols = 0;
    const auto t0 = std::chrono::steady_clock::now();
    const std::vector<float> expected = orvelle::reference::SplineGrid(refSets[i], 3, rows, cols);
    refMs += Ms(std::chrono::steady_clock::now() - t0);
    SetLattice(sets[i], kCases[i]);
    orvelle::SplineInterpolate(sets[i], 3);
    for (int x = 0; x < rows; ++x)
      for (int y = 0; y < cols; ++y)
        if (sets[i].values[x][y] != static_cast<double>(expected[x * cols + y])) ++mismatches;
    std::printf("lattice %d x %d pitch %d -> %d x %d points\n", kCases[i].lattice,
                kCases[i].lattice, kCases[i].pitch, rows, cols);
  }
  double best = 1e9;
  for (int run = 0; run < 20; ++run) best = std::min(best, RunLibrary(sets.get()));
  std::printf(
      "spline, both cases: reference %.1f ms, library %.2f ms (best of 20), ratio %.0f, "
      "%d differing points\n",
      refMs, best, refMs / best, mismatches);
  const double differ = PathsDiffer(kCases[0]);
  std::printf("separable and exact paths on 32 x 32: largest difference %.2g of the span\n",
              differ);
  if (mismatches != 0 || !(differ <= 2e-5)) return 1;
  benchmark::Initialize(&argc, argv);
  orvelle::bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  // With --benchmark_repetitions the medians are compared.
  for (const char* suffix : {"", "_median"}) {
    const std::string exact = std::string("BM_Spline/32/11") + suffix;
    reporter.PrintRatio(std::string("BM_Spline/51/10") + suffix, exact);
    reporter.PrintRatio(std::string("BM_Spline/501/1") + suffix, exact);
  }
  benchmark::Shutdown();
  return 0;
}
