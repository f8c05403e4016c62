#include "views2d/Contour.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "views2d/ColorMap.h"
#include "views2d/ColorPalette.h"

namespace orvelle {
namespace {

struct PixelPoint {
  int x = 0;
  int y = 0;
};

int contourLevelCount = 0;
uint8_t visitedNodes[kGridDim][kGridDim];
ColorRef contourFillColor = 0x000000;
PixelPoint penPoint;
GridNode startS1, startS2;

// Geometry and pen of the drawing in progress.
int drawSize = 0;
int centreX = 0, centreY = 0, halfSize = 1;
ColorRef penColor = 0;
QRgb penPixel = 0;
std::vector<ContourSegment>* segmentSink = nullptr;

// Start edges are searched in runs of kBlock edges along y; a run whose nodes all lie on one side
// of the level cannot hold a crossing and is skipped without testing its edges one by one.
constexpr int kBlock = 32;
constexpr int kBlocksPerColumn = (kGridDim + kBlock - 1) / kBlock;
double blockMin[kGridDim][kBlocksPerColumn];
double blockMax[kGridDim][kBlocksPerColumn];

// The canvas's pixels, written directly.
struct Raster {
  uchar* bits;
  qsizetype stride;
  int width;
  int height;
};

void Plot(const Raster& raster, int x, int y) {
  if (static_cast<unsigned>(x) < static_cast<unsigned>(raster.width) &&
      static_cast<unsigned>(y) < static_cast<unsigned>(raster.height))
    reinterpret_cast<QRgb*>(raster.bits + y * raster.stride)[x] = penPixel;
}

// A one-pixel line with both end points, the same pixels whichever end it starts from: along
// the longer axis every pixel is set, the other coordinate rounded half up.
void DrawLine(const Raster& raster, int x0, int y0, int x1, int y1) {
  if (segmentSink != nullptr) segmentSink->push_back({x0, y0, x1, y1, penColor});
  const bool xMajor = std::abs(x1 - x0) >= std::abs(y1 - y0);
  if (xMajor ? x1 < x0 : y1 < y0) std::swap(x0, x1), std::swap(y0, y1);
  const int major = xMajor ? x1 - x0 : y1 - y0;
  const int minor = xMajor ? y1 - y0 : x1 - x0;
  if (major == 0) {
    Plot(raster, x0, y0);
    return;
  }
  // Minor coordinate at step k: floor((2 k minor + major) / (2 major)), kept as quotient q and
  // remainder r in 0 .. 2 major - 1.
  int q = 0, r = major;
  for (int k = 0; k <= major; ++k) {
    if (xMajor)
      Plot(raster, x0 + k, y0 + q);
    else
      Plot(raster, x0 + q, y0 + k);
    r += 2 * minor;
    while (r >= 2 * major) r -= 2 * major, ++q;
    while (r < 0) r += 2 * major, --q;
  }
}

bool OnBorder(GridNode a, GridNode b, int n) {
  return (a.x == 0 && b.x == 0) || (a.x == n && b.x == n) || (a.y == 0 && b.y == 0) ||
         (a.y == n && b.y == n);
}

void ComputeBlocks(const GridDataSet& d, int n) {
  for (int x = 0; x <= n; ++x) {
    const double* column = d.values[x];
    for (int b = 0; b * kBlock < n; ++b) {
      const int last = std::min((b + 1) * kBlock, n);
      // Written so that NaN nodes are ignored: they never take part in a crossing.
      double lo = HUGE_VAL, hi = -HUGE_VAL;
      for (int y = b * kBlock; y <= last; ++y) {
        if (column[y] < lo) lo = column[y];
        if (column[y] > hi) hi = column[y];
      }
      blockMin[x][b] = lo;
      blockMax[x][b] = hi;
    }
  }
}

// Traces, both ways from `start`, the line that crosses the edge between the nodes na and nb.
void TraceBothWays(QImage& canvas, const GridDataSet& d, double level, PixelPoint start,
                   GridNode na, GridNode nb) {
  penPoint = start;
  startS1 = na, startS2 = nb;
  TraceContour(canvas, d, level, nb, na);
  penPoint = start;
  startS1 = nb, startS2 = na;
  TraceContour(canvas, d, level, na, nb);
}

void ScanLevel(QImage& canvas, const GridDataSet& d, int n, double level) {
  const int h = halfSize, cx = centreX, cy = centreY;
  for (int x = 0; x <= n; ++x) {
    const double* column = d.values[x];
    for (int b = 0; b * kBlock < n; ++b) {
      // A crossing needs one node strictly below and one strictly above the level (NaN neither).
      if (!(blockMin[x][b] < level && blockMax[x][b] > level)) continue;
      const int end = std::min((b + 1) * kBlock, n);
      for (int y = b * kBlock; y < end; ++y) {
        const double a = column[y], bv = column[y + 1];
        if (!((a - level) * (bv - level) < 0)) continue;
        if (visitedNodes[x][y] && visitedNodes[x][y + 1]) continue;
        GridNode na{x, y + 1}, nb{x, y};
        if (x == n) std::swap(na, nb);
        visitedNodes[x][y] = visitedNodes[x][y + 1] = 1;
        const double f = (level - a) / (bv - a);
        if (!(f >= 0.0 && f <= 1.0)) continue;  // an infinite node value: no place to start
        const int x0 = ((x - h) * cx) / h + cx;
        const int s0 = cy - ((y - h) * cy) / h;
        const int s1 = cy - ((y + 1 - h) * cy) / h;
        const int y0 = 2 * cy - static_cast<int>((1.0 - f) * s0 + f * s1);

        TraceBothWays(canvas, d, level, {x0, y0}, na, nb);
      }
    }
  }
}

// A line that crosses no edge along y runs straight through the strip between two neighbouring
// columns, from the first row to the last (data that vary only along x give such lines): the one
// column lies wholly below the level, the other wholly above it, so no other line of the level
// touches the strip and the search along y never saw it. It is traced from its edge on the first
// row, with the start point of an edge along y with the axes swapped. Every other line crosses an
// edge along y and is left to that search, so its picture stays as it was.
void TraceStripLines(QImage& canvas, const GridDataSet& d, int n, double level) {
  const int h = halfSize, cx = centreX, cy = centreY;
  const int blocks = (n + kBlock - 1) / kBlock;
  auto below = [&](int x) {
    for (int b = 0; b < blocks; ++b)
      if (!(blockMax[x][b] < level)) return false;
    return true;
  };
  auto above = [&](int x) {
    for (int b = 0; b < blocks; ++b)
      if (!(blockMin[x][b] > level)) return false;
    return true;
  };
  for (int x = 0; x < n; ++x) {
    if (!((below(x) && above(x + 1)) || (above(x) && below(x + 1)))) continue;
    const double a = d.values[x][0], bv = d.values[x + 1][0];
    const double f = (level - a) / (bv - a);
    if (!(f >= 0.0 && f <= 1.0)) continue;
    const int y0 = ((0 - h) * cy) / h + cy;
    const int s0 = cx - ((x - h) * cx) / h;
    const int s1 = cx - ((x + 1 - h) * cx) / h;
    const int x0 = 2 * cx - static_cast<int>((1.0 - f) * s0 + f * s1);
    // Toward the last row first (as a start along y goes toward the next column first); the
    // reverse trace leaves the grid at once.
    const GridNode na{x, 0}, nb{x + 1, 0};
    visitedNodes[x][0] = visitedNodes[x + 1][0] = 1;
    TraceBothWays(canvas, d, level, {x0, y0}, na, nb);
  }
}

}  // namespace

void InitContourModule(int levelCount) {
  SetPaletteParams(kContourStartPalette);
  contourLevelCount = levelCount;
}

void SetContourColors(ColorRef fill, ColorRef, ColorRef, ColorRef) { contourFillColor = fill; }

void SetContourLevelCount(int levelCount) { contourLevelCount = levelCount; }

int ContourLevelCount() { return contourLevelCount; }

void ResetContourModule() {
  contourLevelCount = 0;
  contourFillColor = 0x000000;
  penPoint = {};
  startS1 = startS2 = {};
  segmentSink = nullptr;
}

void SetContourSegmentRecorder(std::vector<ContourSegment>* sink) { segmentSink = sink; }

void TraceContour(QImage& canvas, const GridDataSet& d, double level, GridNode p, GridNode q) {
  const int n = drawSize, h = halfSize;
  if (n < 2 || n >= kGridDim || h <= 0) return;
  // A valid walk visits every oriented edge at most once; the bound only stops a walk that
  // values such as NaN could send round a circle that misses its start edge.
  const long maxSteps = 4L * (n + 1) * (n + 1);
  if (canvas.format() != QImage::Format_RGB32)
    canvas = canvas.convertToFormat(QImage::Format_RGB32);
  const Raster raster{canvas.bits(), canvas.bytesPerLine(), canvas.width(), canvas.height()};
  for (long step = 0; step < maxSteps; ++step) {
    const int dx = q.x - p.x, dy = q.y - p.y;
    if (dx == -1 ? !(q.y < n) : dx == 1 ? !(q.y > 0) : dy == -1 ? !(q.x > 0) : !(q.x < n)) return;
    const GridNode r{p.x + dy, p.y - dx};
    const GridNode t{q.x + dy, q.y - dx};
    visitedNodes[t.x][t.y] = 1;
    visitedNodes[r.x][r.y] = 1;
    const double vp = d.values[p.x][p.y], vq = d.values[q.x][q.y];
    const double vr = d.values[r.x][r.y], vt = d.values[t.x][t.y];

    GridNode u, v, nextP, nextQ;
    if (vq > vp) {
      if (level < vr)
        u = r, v = p, nextP = p, nextQ = r;
      else if (level < vt)
        u = t, v = r, nextP = r, nextQ = t;
      else
        u = q, v = t, nextP = t, nextQ = q;
    } else {
      if (level < vt)
        u = q, v = t, nextP = t, nextQ = q;
      else if (level < vr)
        u = t, v = r, nextP = r, nextQ = t;
      else
        u = r, v = p, nextP = p, nextQ = r;
    }
    const double vu = d.values[u.x][u.y], vv = d.values[v.x][v.y];
    const double f = (level - vu) / (vv - vu);
    if (!(f >= 0.0 && f <= 1.0)) return;  // only values that are not numbers get here
    const double gx = u.x + f * (v.x - u.x);
    const double gy = u.y + f * (v.y - u.y);
    const int px = static_cast<int>(centreX + (gx - h) * centreX / h);
    const int py = static_cast<int>(centreY + (gy - h) * centreY / h);
    DrawLine(raster, penPoint.x, penPoint.y, px, py);
    penPoint = {px, py};

    if (OnBorder(nextP, nextQ, n)) return;
    if (nextP == startS2 && nextQ == startS1) return;
    p = nextP;
    q = nextQ;
  }
}

void DrawContourLines(QImage& image, const GridDataSet& d, int n, const PaletteParams& p,
                      bool fillBackground) {
  const int levels = contourLevelCount;
  SetPaletteParams(p);
  const int w = image.width(), h = image.height();
  if (w <= 0 || h <= 0) return;
  if (fillBackground) {
    QImage picture(w, h, QImage::Format_RGB32);
    picture.fill(ToQRgb(contourFillColor));
    image = picture;
  } else if (image.format() != QImage::Format_RGB32) {
    image = image.convertToFormat(QImage::Format_RGB32);
  }
  drawSize = n;
  centreX = w / 2, centreY = h / 2, halfSize = n / 2;
  // A grid of size 1 has no half size to scale by, and larger sizes do not fit the grid.
  if (!d.active || !d.processed || n < 2 || n >= kGridDim) return;

  ComputeBlocks(d, n);
  for (int i = 1; i <= levels; ++i) {
    penColor =
        HsvColor(CurrentPaletteParams(), static_cast<float>(static_cast<double>(i) / (levels + 1)));
    penPixel = ToQRgb(penColor);
    const double level = d.rangeMin + (d.rangeMax - d.rangeMin) * i / (levels + 1);
    for (int x = 0; x <= n; ++x) std::memset(visitedNodes[x], 0, n + 1);
    ScanLevel(image, d, n, level);
    TraceStripLines(image, d, n, level);
  }
}

void DrawContour(QImage& image, const GridDataSet& d, const ViewerParams& params,
                 const ThresholdTest& thresholdTest, std::array<QString, 5>& labels) {
  const bool drawable = d.active && d.processed;
  const double div = d.normDivisor != 0.0 ? d.normDivisor : 1.0;
  for (int i = 0; i < 5; ++i)
    labels[i] = drawable
                    ? FormatFixed((d.rangeMin + (d.rangeMax - d.rangeMin) * 0.25 * i) / div, 5, 3)
                    : QString::fromLatin1(kContourDashText);
  if (params.copyColormap)
    RenderValueImage(image, d, 0, thresholdTest, params.backColor, params.maxColor,
                     params.minColor);
  else
    SetContourColors(0x000000, params.minColor, params.maxColor, params.contourLineColor);
  DrawContourLines(image, d, d.size, params.contourPalette, !params.copyColormap);
}

}  // namespace orvelle
