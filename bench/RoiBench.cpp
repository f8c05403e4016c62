// ROI measurement at the largest size (100) against a straightforward scan of the whole
// (2r + 1)^2 block with a bounds test per point; the results must agree exactly.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>

#include "views2d/Roi.h"

namespace {

using orvelle::GridDataSet;
using orvelle::RoiStats;

RoiStats ReferenceMeasure(const GridDataSet& set, int type, int cx, int cy, int r) {
  RoiStats s;
  double sum = 0, lo = 99999.0, hi = -99999.0;
  int count = 0;
  for (int dx = -r; dx <= r; ++dx) {
    for (int dy = -r; dy <= r; ++dy) {
      if (type != 1 && static_cast<float>(r) < static_cast<float>(std::sqrt(dx * dx + dy * dy)))
        continue;
      const int x = cx + dx, y = cy + dy;
      if (x < 0 || x > 500 || y < 0 || y > 500) continue;
      const double v = set.values[x][y];
      if (!(v > -99999.0)) continue;
      sum += v;
      ++count;
      if (lo > v) lo = v;
      if (hi < v) hi = v;
    }
  }
  s.count = count;
  if (count > 0) {
    s.min = lo;
    s.max = hi;
    s.mean = sum / count;
  }
  return s;
}

std::unique_ptr<GridDataSet[]> MakeData() {
  auto sets = orvelle::MakeDataSets();
  GridDataSet& s = sets[0];
  s.active = 1;
  s.size = 500;
  for (int x = 0; x < orvelle::kGridDim; ++x) {
    for (int y = 0; y < orvelle::kGridDim; ++y) {
      s.values[x][y] = (x * 7 + y * 13) % 101 == 0 ? orvelle::kNoData : std::sin(x * 0.1) * y;
    }
  }
  return sets;
}

const std::unique_ptr<GridDataSet[]> gSets = MakeData();

void BM_MeasureRoiCircle100(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(orvelle::MeasureRoi(gSets[0], 0, 250, 250, 100));
}
BENCHMARK(BM_MeasureRoiCircle100)->Unit(benchmark::kMicrosecond);

void BM_ReferenceRoiCircle100(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(ReferenceMeasure(gSets[0], 0, 250, 250, 100));
}
BENCHMARK(BM_ReferenceRoiCircle100)->Unit(benchmark::kMicrosecond);

template <class F>
double MicrosecondsPerCall(F f, int calls) {
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < calls; ++i) benchmark::DoNotOptimize(f());
  const std::chrono::duration<double, std::micro> d = std::chrono::steady_clock::now() - start;
  return d.count() / calls;
}

}  // namespace

int main(int argc, char** argv) {
  const GridDataSet& set = gSets[0];
  const int centres[][2] = {{250, 250}, {0, 0}, {500, 30}, {-40, 600}, {499, 499}};
  for (int type : {0, 1}) {
    for (int size : {0, 1, 5, 37, 100}) {
      for (const auto& c : centres) {
        const RoiStats a = orvelle::MeasureRoi(set, type, c[0], c[1], size);
        const RoiStats b = ReferenceMeasure(set, type, c[0], c[1], size);
        if (a.count != b.count || a.min != b.min || a.max != b.max || a.mean != b.mean) {
          std::fprintf(stderr, "MeasureRoi disagrees with the reference (type %d size %d)\n", type,
                       size);
          return 1;
        }
      }
    }
  }
  for (int type : {0, 1}) {
    const double fast =
        MicrosecondsPerCall([&] { return orvelle::MeasureRoi(set, type, 250, 250, 100); }, 200);
    const double slow =
        MicrosecondsPerCall([&] { return ReferenceMeasure(set, type, 250, 250, 100); }, 200);
    std::printf("ROI %s size 100: %.1f us (target < 1000 us), reference %.1f us, ratio %.2f\n",
                type == 0 ? "circle" : "square", fast, slow, slow / fast);
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
