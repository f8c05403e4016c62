// One frame of the 3D view of a dense 501 x 501 grid (plane, frame, sides, labels) at pitch 5
// and 1, drawn from cached vertex arrays and, for reference, vertex by vertex with colours
// computed per vertex: at rest (the same view again, as the window's timer redraws it) and
// turning (a new view every frame, as in a drag), and the drag cost at pitches 1..4. The
// pictures must agree pixel for pixel. Needs an X display.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <memory>
#include <vector>

#include "data/GridDataSet.h"
#include "data/ViewerParams.h"
#include "view3d/OffscreenSurfaceRenderer.h"
#include "view3d/SurfaceRenderer.h"
#include "views2d/ColorPalette.h"

namespace {

using namespace orvelle;

std::unique_ptr<GridDataSet> gSet;
std::unique_ptr<OffscreenSurfaceRenderer> gRenderer;

// A crater on a gentle slope with a ring of missing points, so walls and gaps are drawn too.
void MakeDenseSet() {
  gSet = std::make_unique<GridDataSet>();
  ResetDataSets(gSet.get(), 1);
  gSet->active = 1;
  gSet->size = 500;
  for (int x = 0; x <= 500; ++x) {
    for (int y = 0; y <= 500; ++y) {
      const double r = std::hypot(x - 250.0, y - 250.0);
      const bool hole = r > 150.0 && r < 154.0 && x > 250;
      gSet->values[x][y] =
          hole ? kNoData : 100.0 + 0.05 * x + 30.0 * std::exp(-(r - 60) * (r - 60) / 800.0);
    }
  }
  ComputeStatistics(*gSet);
}

QImage Frame(bool immediate, int pitch) {
  const ViewerParams params = DesignedParams();
  return gRenderer->Render([&](int w, int h) {
    if (immediate)
      DrawSceneImmediate(w, h, gSet.get(), params.colormapPalette, pitch, kDrawPlane);
    else
      DrawScene(w, h, gSet.get(), params.colormapPalette, pitch, kDrawPlane);
  });
}

void BM_Frame(benchmark::State& st, bool immediate) {
  const int pitch = static_cast<int>(st.range(0));
  for (auto _ : st) benchmark::DoNotOptimize(Frame(immediate, pitch));
}

BENCHMARK_CAPTURE(BM_Frame, arrays, false)->Arg(5)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Frame, immediate, true)->Arg(5)->Arg(1)->Unit(benchmark::kMillisecond);

double CpuMs() {
  timespec ts;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0.0 : v[v.size() / 2];
}

struct Timing {
  double wallMs = 0.0;  // median frame
  double cpuMs = 0.0;   // median processor time of all threads (the renderer's too) per frame
};

// Frames of one kind; with `turning` every frame is seen from a new angle, so nothing that
// depends on the view can be reused.
Timing Measure(bool immediate, int pitch, int frames, bool turning) {
  const RendererState start = CurrentRendererState();
  Frame(immediate, pitch);  // the first frame builds the cache
  std::vector<double> wall, cpu;
  for (int i = 0; i < frames; ++i) {
    if (turning) SetViewAngles(start.angleX, start.angleZ + 0.002f * static_cast<float>(i + 1));
    const double c0 = CpuMs();
    const auto t0 = std::chrono::steady_clock::now();
    Frame(immediate, pitch);
    const auto t1 = std::chrono::steady_clock::now();
    cpu.push_back(CpuMs() - c0);
    wall.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
  }
  SetViewAngles(start.angleX, start.angleZ);
  return {Median(wall), Median(cpu)};
}

int CountDifferences(const QImage& a, const QImage& b) {
  if (a.size() != b.size()) return -1;
  int n = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) n += a.pixel(x, y) != b.pixel(x, y);
  return n;
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  gRenderer = std::make_unique<OffscreenSurfaceRenderer>();
  std::string error;
  if (!gRenderer->Open(377, 205, error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  MakeDenseSet();
  InitRenderer(DesignedParams());

  bool agree = true;
  for (const int pitch : {5, 1}) {
    const QImage fast = Frame(false, pitch), reference = Frame(true, pitch);
    const QImage replayed = Frame(false, pitch);
    const int diff = CountDifferences(fast, reference);
    const int replayDiff = CountDifferences(replayed, reference);
    agree = agree && diff == 0 && replayDiff == 0;
    // A data change rebuilds colours and mesh once.
    gSet->values[250][250] += 1.0;
    const auto c0 = std::chrono::steady_clock::now();
    Frame(false, pitch);
    const double firstMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - c0).count();
    std::printf("pitch %d: first frame after a data change %.2f ms\n", pitch, firstMs);
    const int frames = pitch == 5 ? 30 : 9;
    const Timing rest = Measure(false, pitch, frames, false);
    const Timing turn = Measure(false, pitch, frames, true);
    const Timing ref = Measure(true, pitch, pitch == 5 ? 15 : 5, true);
    std::printf(
        "pitch %d (medians, ms): resting frame %.2f (cpu %.2f); new view each frame %.2f (cpu "
        "%.2f); immediate reference %.2f (cpu %.2f); cpu ratios %.1fx resting, %.1fx new "
        "view; differing pixels %d drawn, %d replayed\n",
        pitch, rest.wallMs, rest.cpuMs, turn.wallMs, turn.cpuMs, ref.wallMs, ref.cpuMs,
        ref.cpuMs / rest.cpuMs, ref.cpuMs / turn.cpuMs, diff, replayDiff);
  }
  // What a drag costs at each pitch: every frame from a new angle.
  for (int pitch = 1; pitch <= 4; ++pitch) {
    const Timing turn = Measure(false, pitch, 9, true);
    std::printf("drag frame at pitch %d: %.2f ms (cpu %.2f)\n", pitch, turn.wallMs, turn.cpuMs);
  }

  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  gRenderer.reset();
  return agree ? 0 : 1;
}
