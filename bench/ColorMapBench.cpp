// Colour map redraw of a 301 x 301 image from a dense 501 x 501 grid, against a straightforward
// version that sets every pixel through QImage::setPixel, and the colour map + contour part of a
// refresh of all views at the designed settings.
#include <benchmark/benchmark.h>

#include "bench/DenseSurface.h"
#include "bench/RatioReporter.h"

#include <QImage>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "views2d/ColorMap.h"
#include "views2d/ColorPalette.h"
#include "views2d/ColorViews.h"
#include "views2d/Contour.h"

using namespace orvelle;

namespace {

const GridDataSet& Data() { return bench::DenseSurface(); }

// The redraw as one would first write it: every pixel through setPixel, column by column.
void ReferenceColormap(QImage& image, const GridDataSet& d, const ViewerParams& p,
                       ThresholdTest& test, int32_t& count) {
  test = ThresholdTest{1, p.rangeAreaType, p.rangeAreaV1, p.rangeAreaV2};
  count = CountInThreshold(d, test);
  test.enabled = p.rangeFilter;
  const int w = image.width(), h = image.height();
  const float rx = static_cast<float>(static_cast<double>(d.size) / w);
  const float ry = static_cast<float>(static_cast<double>(d.size) / h);
  const ColorRef noData = p.colormapMode ? 0x000000 : p.backColor;
  for (int i = 0; i < w; ++i) {
    for (int j = 0; j < h; ++j) {
      double v = d.values[static_cast<int>(i * static_cast<double>(rx))]
                         [static_cast<int>(j * static_cast<double>(ry))];
      if (test.enabled && !InThreshold(v, test)) v = kNoData;
      ColorRef c = noData;
      if (v > kNoData) {
        double t = d.rangeMin == d.rangeMax ? 0.5 : (v - d.rangeMin) / (d.rangeMax - d.rangeMin);
        t = t < 0 ? 0 : t > 1 ? 1 : t;
        c = PaletteColor(p.colormapMode, p.minColor, p.maxColor, static_cast<float>(t));
      }
      image.setPixel(i, j, ToQRgb(c));
    }
  }
}

ViewerParams BenchParams() {
  ViewerParams p = DesignedParams();
  p.rangeAreaV1 = 120.0;
  p.rangeAreaV2 = 200.0;
  return p;
}

void BM_ColormapRedraw(benchmark::State& state) {
  const ViewerParams p = BenchParams();
  SetPaletteParams(kDefaultPalette);
  QImage image(kColormapSize, kColormapSize, QImage::Format_RGB32);
  ThresholdTest test;
  ColormapResult result;
  for (auto _ : state) {
    DrawColormap(image, Data(), p, test, result);
    benchmark::DoNotOptimize(image.constBits());
  }
}
BENCHMARK(BM_ColormapRedraw)->Unit(benchmark::kMillisecond);

void BM_ColormapRedrawReference(benchmark::State& state) {
  const ViewerParams p = BenchParams();
  SetPaletteParams(kDefaultPalette);
  QImage image(kColormapSize, kColormapSize, QImage::Format_RGB32);
  ThresholdTest test;
  int32_t count = 0;
  for (auto _ : state) {
    ReferenceColormap(image, Data(), p, test, count);
    benchmark::DoNotOptimize(image.constBits());
  }
}
BENCHMARK(BM_ColormapRedrawReference)->Unit(benchmark::kMillisecond);

// Colour map then contour (5 levels, underlay on) as a refresh of all views draws them.
void BM_RefreshColorViews(benchmark::State& state) {
  const ViewerParams p = DesignedParams();
  QImage bar1(kColorBarWidth, kColorBar1Height, QImage::Format_RGB32);
  QImage bar2(kColorBarWidth, kColorBar2Height, QImage::Format_RGB32);
  StartColorViews(bar1, bar2, p);
  ColorViewImages views;
  views.colormap = QImage(kColormapSize, kColormapSize, QImage::Format_RGB32);
  views.contour = QImage(kColormapSize, kColormapSize, QImage::Format_RGB32);
  for (auto _ : state) {
    RefreshColorViews(views, Data(), p);
    benchmark::DoNotOptimize(views.contour.constBits());
  }
}
BENCHMARK(BM_RefreshColorViews)->Unit(benchmark::kMillisecond);

bool CheckAgreement() {
  const ViewerParams p = BenchParams();
  SetPaletteParams(kDefaultPalette);
  QImage fast(kColormapSize, kColormapSize, QImage::Format_RGB32);
  QImage slow(kColormapSize, kColormapSize, QImage::Format_RGB32);
  ThresholdTest t1, t2;
  ColormapResult result;
  int32_t count = 0;
  DrawColormap(fast, Data(), p, t1, result);
  ReferenceColormap(slow, Data(), p, t2, count);
  const bool same = fast == slow && count == result.count;
  std::printf("colour map: reference and fast redraw %s (count %d)\n", same ? "agree" : "DIFFER",
              static_cast<int>(count));
  return same;
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (!CheckAgreement()) return 1;
  orvelle::bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatio("BM_ColormapRedraw", "BM_ColormapRedrawReference");
  benchmark::Shutdown();
  return 0;
}
