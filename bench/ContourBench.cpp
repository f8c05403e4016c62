// Contour drawing on a dense 501 x 501 grid with 50 and with 5 levels, against a straightforward
// tracer that tests every start edge of every level and sets each line pixel with setPixel.
#include <benchmark/benchmark.h>

#include "bench/DenseSurface.h"
#include "bench/RatioReporter.h"

#include <QImage>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "views2d/ColorMap.h"
#include "views2d/ColorPalette.h"
#include "views2d/Contour.h"

using namespace orvelle;

namespace {

const GridDataSet& Data() { return bench::DenseSurface(); }

// The tracer written the plain way.
struct Reference {
  const GridDataSet& d;
  QImage& image;
  int n = 0, cx = 0, cy = 0, h = 1;
  QRgb pen = 0;
  int penX = 0, penY = 0;
  GridNode s1{}, s2{};
  std::unique_ptr<uint8_t[]> visited{new uint8_t[kGridDim * kGridDim]};

  uint8_t& Visited(GridNode a) { return visited[a.x * kGridDim + a.y]; }
  double Value(GridNode a) const { return d.values[a.x][a.y]; }

  void Line(int x0, int y0, int x1, int y1) {
    const int dx = x1 - x0, dy = y1 - y0;
    const int steps = std::max(std::abs(dx), std::abs(dy));
    if (steps == 0) {
      if (image.rect().contains(x0, y0)) image.setPixel(x0, y0, pen);
      return;
    }
    if (std::abs(dx) >= std::abs(dy) ? dx < 0 : dy < 0) return Line(x1, y1, x0, y0);
    for (int k = 0; k <= steps; ++k) {
      int x, y;
      if (std::abs(dx) >= std::abs(dy)) {
        x = x0 + k;
        y = y0 + static_cast<int>(std::floor((2.0 * k * dy + dx) / (2.0 * dx)));
      } else {
        y = y0 + k;
        x = x0 + static_cast<int>(std::floor((2.0 * k * dx + dy) / (2.0 * dy)));
      }
      if (image.rect().contains(x, y)) image.setPixel(x, y, pen);
    }
  }

  void Trace(double level, GridNode p, GridNode q) {
    for (;;) {
      const int dx = q.x - p.x, dy = q.y - p.y;
      if ((dx == -1 && q.y >= n) || (dx == 1 && q.y <= 0) || (dy == -1 && q.x <= 0) ||
          (dy == 1 && q.x >= n))
        return;
      const GridNode r{p.x + dy, p.y - dx}, t{q.x + dy, q.y - dx};
      Visited(t) = Visited(r) = 1;
      GridNode u, v, np, nq;
      if (Value(q) > Value(p)) {
        if (level < Value(r))
          u = r, v = p, np = p, nq = r;
        else if (level < Value(t))
          u = t, v = r, np = r, nq = t;
        else
          u = q, v = t, np = t, nq = q;
      } else {
        if (level < Value(t))
          u = q, v = t, np = t, nq = q;
        else if (level < Value(r))
          u = t, v = r, np = r, nq = t;
        else
          u = r, v = p, np = p, nq = r;
      }
      const double f = (level - Value(u)) / (Value(v) - Value(u));
      const double gx = u.x + f * (v.x - u.x), gy = u.y + f * (v.y - u.y);
      const int x = static_cast<int>(cx + (gx - h) * cx / h);
      const int y = static_cast<int>(cy + (gy - h) * cy / h);
      Line(penX, penY, x, y);
      penX = x, penY = y;
      const bool border = (np.x == 0 && nq.x == 0) || (np.x == n && nq.x == n) ||
                          (np.y == 0 && nq.y == 0) || (np.y == n && nq.y == n);
      if (border || (np == s2 && nq == s1)) return;
      p = np, q = nq;
    }
  }

  void Draw(int levels, const PaletteParams& palette) {
    image.fill(0xFF000000u);
    n = d.size, cx = image.width() / 2, cy = image.height() / 2, h = n / 2;
    for (int i = 1; i <= levels; ++i) {
      pen = ToQRgb(HsvColor(palette, static_cast<float>(static_cast<double>(i) / (levels + 1))));
      const double level = d.rangeMin + (d.rangeMax - d.rangeMin) * i / (levels + 1);
      std::memset(visited.get(), 0, kGridDim * kGridDim);
      for (int x = 0; x <= n; ++x) {
        for (int y = 0; y < n; ++y) {
          const double a = d.values[x][y], b = d.values[x][y + 1];
          if (!((a - level) * (b - level) < 0)) continue;
          if (Visited({x, y}) && Visited({x, y + 1})) continue;
          GridNode na{x, y + 1}, nb{x, y};
          if (x == n) std::swap(na, nb);
          Visited({x, y}) = Visited({x, y + 1}) = 1;
          const double f = (level - a) / (b - a);
          const int x0 = ((x - h) * cx) / h + cx;
          const int t0 = cy - ((y - h) * cy) / h, t1 = cy - ((y + 1 - h) * cy) / h;
          const int y0 = 2 * cy - static_cast<int>((1 - f) * t0 + f * t1);
          penX = x0, penY = y0, s1 = na, s2 = nb;
          Trace(level, nb, na);
          penX = x0, penY = y0, s1 = nb, s2 = na;
          Trace(level, na, nb);
        }
      }
      // Lines that cross no edge along y: one column wholly below the level, the next above.
      for (int x = 0; x < n; ++x) {
        bool leftBelow = true, leftAbove = true, rightBelow = true, rightAbove = true;
        for (int y = 0; y <= n; ++y) {
          leftBelow = leftBelow && d.values[x][y] < level;
          leftAbove = leftAbove && d.values[x][y] > level;
          rightBelow = rightBelow && d.values[x + 1][y] < level;
          rightAbove = rightAbove && d.values[x + 1][y] > level;
        }
        if (!((leftBelow && rightAbove) || (leftAbove && rightBelow))) continue;
        const double a = d.values[x][0], b = d.values[x + 1][0];
        const double f = (level - a) / (b - a);
        const int y0 = ((0 - h) * cy) / h + cy;
        const int t0 = cx - ((x - h) * cx) / h, t1 = cx - ((x + 1 - h) * cx) / h;
        const int x0 = 2 * cx - static_cast<int>((1 - f) * t0 + f * t1);
        const GridNode na{x, 0}, nb{x + 1, 0};
        Visited(na) = Visited(nb) = 1;
        penX = x0, penY = y0, s1 = na, s2 = nb;
        Trace(level, nb, na);
        penX = x0, penY = y0, s1 = nb, s2 = na;
        Trace(level, na, nb);
      }
    }
  }
};

void Fast(QImage& image, int levels) {
  SetContourColors(0x000000, 0, 0, 0);
  SetContourLevelCount(levels);
  DrawContourLines(image, Data(), Data().size, kDefaultPalette, true);
}

void BM_Contour(benchmark::State& state) {
  QImage image(kColormapSize, kColormapSize, QImage::Format_RGB32);
  for (auto _ : state) {
    Fast(image, static_cast<int>(state.range(0)));
    benchmark::DoNotOptimize(image.constBits());
  }
}
BENCHMARK(BM_Contour)->Arg(50)->Arg(5)->Unit(benchmark::kMillisecond);

void BM_ContourReference(benchmark::State& state) {
  QImage image(kColormapSize, kColormapSize, QImage::Format_RGB32);
  Reference reference{Data(), image};
  for (auto _ : state) {
    reference.Draw(static_cast<int>(state.range(0)), kDefaultPalette);
    benchmark::DoNotOptimize(image.constBits());
  }
}
BENCHMARK(BM_ContourReference)->Arg(50)->Arg(5)->Unit(benchmark::kMillisecond);

bool CheckAgreement() {
  bool all = true;
  for (int levels : {5, 50}) {
    QImage fast(kColormapSize, kColormapSize, QImage::Format_RGB32);
    QImage slow(kColormapSize, kColormapSize, QImage::Format_RGB32);
    Fast(fast, levels);
    Reference{Data(), slow}.Draw(levels, kDefaultPalette);
    long lit = 0;
    for (int y = 0; y < fast.height(); ++y)
      for (int x = 0; x < fast.width(); ++x) lit += fast.pixel(x, y) != 0xFF000000u;
    const bool same = fast == slow;
    std::printf("contour, %d levels: reference and fast drawing %s (%ld line pixels)\n", levels,
                same ? "agree" : "DIFFER", lit);
    all = all && same;
  }
  return all;
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (!CheckAgreement()) return 1;
  orvelle::bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatio("BM_Contour/50", "BM_ContourReference/50");
  reporter.PrintRatio("BM_Contour/5", "BM_ContourReference/5");
  benchmark::Shutdown();
  return 0;
}
