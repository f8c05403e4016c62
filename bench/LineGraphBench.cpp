// A pointer move over the colour map while the cross-section is dragged: read-outs, new cross
// point and a full line graph redraw on a 501 x 501 grid. The reference redraws the same picture
// straightforwardly (setPixel frame, one drawLine per segment, per-point range scan); the two
// pictures must be identical.
#include <benchmark/benchmark.h>

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>

#include "views2d/FixedText.h"
#include "views2d/LineGraph.h"
#include "views2d/PointerInteraction.h"

namespace {

using namespace orvelle;

constexpr int kSide = 301;

std::unique_ptr<GridDataSet[]> MakeData() {
  auto sets = MakeDataSets();
  GridDataSet& s = sets[0];
  s.active = 1;
  s.size = 500;
  for (int x = 0; x < kGridDim; ++x) {
    for (int y = 0; y < kGridDim; ++y) {
      s.values[x][y] = (x * 3 + y) % 97 == 0 ? kNoData : std::sin(x * 0.05) * 40 + y * 0.1;
    }
  }
  s.rangeMin = -40;
  s.rangeMax = 90;
  return sets;
}

QColor Colour(ColorRef c) { return QColor(RedOf(c), GreenOf(c), BlueOf(c)); }

void ReferenceText(QPainter& p, int x, int y, double v, const LineGraphState& g) {
  p.setPen(Colour(g.labelColour));
  p.setBackgroundMode(Qt::OpaqueMode);
  p.setBackground(Colour(g.backColour));
  p.drawText(QPoint(x, y + p.fontMetrics().ascent()), QString::fromStdString(FormatFixed(v, 1, 7)));
}

// The whole picture again, written the plain way, from the graph state before the draw.
void ReferenceDraw(QImage& image, const GridDataSet& set, LineGraphState g) {
  double lo = 99999.0, hi = -99999.0;
  for (int x = 0; x <= 500; ++x) {
    for (int y = 0; y <= 500; ++y) {
      const double v = set.values[x][y];
      if (v > -99999.0) {
        if (lo > v / set.normDivisor) lo = v / set.normDivisor;
        if (hi < v / set.normDivisor) hi = v / set.normDivisor;
      }
    }
  }
  g.dataMin = lo == 99999.0 ? 0.0f : static_cast<float>(lo);
  g.yRange = static_cast<float>(hi - lo);
  g.yShift = 0.0f;
  const int w = image.width(), h = image.height();
  const int nX = (w - 65) / 10, nY = (h - 20) / 10, right = 65 + 10 * nX, top = h - 20 - 10 * nY;
  const int pw = 50 * ((w - 65) / 50), ph = 50 * ((h - 20) / 50);
  const QRgb grid = Colour(g.gridColour).rgb();
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) image.setPixel(x, y, Colour(g.backColour).rgb());
  }
  for (int i = 0; i < nX; ++i) {
    for (int y = h - 20; y >= top; --y) {
      if (i % 5 == 0 || (h - 20 - y) % 2 == 0) image.setPixel(65 + 10 * i, y, grid);
    }
  }
  for (int i = 0; i < nY; ++i) {
    for (int x = 65; x <= right; ++x) {
      if (i % 5 == 0 || (x - 65) % 2 == 0) image.setPixel(x, h - 20 - 10 * i, grid);
    }
  }
  QPainter p(&image);
  QPen axis(Colour(g.axisColour), 2);
  axis.setCapStyle(Qt::FlatCap);
  p.setPen(axis);
  p.drawLine(65, h - 20, right, h - 20);
  p.drawLine(65, h - 20, 65, top);
  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(11);
  font.setStyleStrategy(QFont::NoAntialias);
  p.setFont(font);
  for (int i = 0; i <= 6; ++i)
    ReferenceText(p, 45 + 50 * i, h - 14, g.xStart + i * double(g.xRange) / 6, g);
  for (int i = 0; i <= 4; ++i)
    ReferenceText(p, 12, h - 26 - 50 * i, double(g.yShift) + g.dataMin + i * double(g.yRange) / 4,
                  g);

  const LineSeries& s = g.series[0];
  for (int pass = 0; pass < 2; ++pass) {
    if (!(pass == 0 ? s.showColumn : s.showRow)) continue;
    QPen pen(Colour(pass == 0 ? s.columnColour : s.rowColour), 1);
    pen.setCapStyle(Qt::SquareCap);
    p.setPen(pen);
    const int step = pw > g.xRange ? 1 : int(g.xRange / pw);
    bool started = false;
    QPoint previous;
    for (int k = int(g.xStart); k < int(g.xStart + g.xRange) && k <= 500; k += step) {
      const double px = 65 + double(k - int(g.xStart)) * pw / g.xRange;
      const float v = float(pass == 0 ? set.values[g.columnX][k] : set.values[k][g.rowY]);
      if (v > -99999.0) {
        const double py = h - 20 - (v / set.normDivisor - g.dataMin - g.yShift) * ph / g.yRange;
        const QPoint point(ClampPlotPixel(int(px), 0), ClampPlotPixel(int(py), 1));
        if (started) p.drawLine(previous, point);
        previous = point;
        started = true;
      }
      if (px >= 65 + pw) break;
    }
  }
}

struct Fixture {
  std::unique_ptr<GridDataSet[]> sets = MakeData();
  QImage image{kLineGraphWidth, kLineGraphHeight, QImage::Format_RGB32};
  ViewerParams params;
  Fixture() {
    ResetLineGraph();
    SetUpLineGraph(&image, params);
    PrepareLineGraph(params, sets[0]);
    params.crossDragging = 1;
  }
  ColorMapPointerResult Move(int i) {
    const MouseInput in{i % kSide, (i * 7) % kSide, MouseButton::Left, false, false};
    return ColorMapMouseMove(params, sets[0], kSide, kSide, kSide, kSide, in);
  }
};

Fixture* gFixture = nullptr;

void BM_PointerMoveWithDrag(benchmark::State& state) {
  int i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(gFixture->Move(++i));
}
BENCHMARK(BM_PointerMoveWithDrag)->Unit(benchmark::kMillisecond);

void BM_ReferenceRedraw(benchmark::State& state) {
  QImage image(kLineGraphWidth, kLineGraphHeight, QImage::Format_RGB32);
  for (auto _ : state) ReferenceDraw(image, gFixture->sets[0], LineGraph());
}
BENCHMARK(BM_ReferenceRedraw)->Unit(benchmark::kMillisecond);

template <class F>
double MillisecondsPerCall(F f, int calls) {
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < calls; ++i) f(i);
  const std::chrono::duration<double, std::milli> d = std::chrono::steady_clock::now() - start;
  return d.count() / calls;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  Fixture fixture;
  gFixture = &fixture;

  for (int i : {0, 150, 299, 300}) {
    fixture.Move(i);
    const LineGraphState before = LineGraph();
    fixture.Move(i);  // drawn again from the same state
    QImage reference(kLineGraphWidth, kLineGraphHeight, QImage::Format_RGB32);
    ReferenceDraw(reference, fixture.sets[0], before);
    if (reference != fixture.image) {
      std::fprintf(stderr, "line graph differs from the reference at move %d\n", i);
      return 1;
    }
  }
  const double fast = MillisecondsPerCall([&](int i) { fixture.Move(i); }, 100);
  QImage scratch(kLineGraphWidth, kLineGraphHeight, QImage::Format_RGB32);
  const double slow =
      MillisecondsPerCall([&](int) { ReferenceDraw(scratch, fixture.sets[0], LineGraph()); }, 100);
  std::printf(
      "pointer move with line graph redraw: %.3f ms (target < 3 ms), reference redraw "
      "%.3f ms, ratio %.2f\n",
      fast, slow, slow / fast);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
