#include "data/Spline.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "data/Message.h"

namespace orvelle {
namespace {

constexpr int kMaxUnknowns = kSplineMaxLattice * kSplineMaxLattice;
// n + k knots with k <= n (the order check guarantees it).
constexpr int kMaxKnots = 2 * kSplineMaxLattice;

// Where the non-zeros of a square matrix can be: row w has none left of first[w] (elimination
// without row exchanges never fills in there) and none right of last[w] (grown by fill-in);
// rowEnd[c] is the last row whose first non-zero is at or left of column c. Skipping the exact
// zeros outside these bounds leaves every result of the elimination and the substitutions
// unchanged (at most the sign of a zero differs).
struct Profile {
  int* first;
  int* last;
  int* rowEnd;
};

struct Buffers {
  float data[kMaxUnknowns];
  float matrix[kMaxUnknowns * kMaxUnknowns];
  float forward[kMaxUnknowns];
  float control[kMaxUnknowns];
  float knotsX[kMaxKnots];
  float knotsY[kMaxKnots];
  float latticeX[kSplineMaxLattice][kSplineMaxLattice];  // [i][a]: basis a at u = i
  float latticeY[kSplineMaxLattice][kSplineMaxLattice];
  float basisX[kSplineMaxLattice];
  float basisYT[kSplineMaxLattice][kSplineMaxOutput];  // [b][Y], so a row of Y is contiguous
  int loY[kSplineMaxOutput];
  int hiY[kSplineMaxOutput];
  float out[kSplineMaxOutput][kSplineMaxOutput];
  int first[kMaxUnknowns];
  int last[kMaxUnknowns];
  int rowEnd[kMaxUnknowns];
};

Buffers g;  // static storage: about 5 MB, zero at start

void ScanProfile(const float* a, int n, const Profile& p) {
  for (int w = 0; w < n; ++w) {
    const float* row = a + static_cast<size_t>(w) * n;
    int f = 0;
    while (f < n && row[f] == 0.0f) ++f;
    int l = n - 1;
    while (l >= f && row[l] == 0.0f) --l;
    p.first[w] = f;
    p.last[w] = l;
  }
}

void DecomposeProfile(float* a, int n, const Profile& p) {
  for (int c = 0; c < n; ++c) p.rowEnd[c] = -1;
  for (int w = 0; w < n; ++w) {
    if (p.first[w] < n) p.rowEnd[p.first[w]] = w;
  }
  for (int c = 1; c < n; ++c) p.rowEnd[c] = std::max(p.rowEnd[c], p.rowEnd[c - 1]);

  for (int r = 0; r + 1 < n; ++r) {
    const float* pivotRow = a + static_cast<size_t>(r) * n;
    const double pivot = pivotRow[r];
    const int end = p.last[r];
    for (int w = r + 1; w <= p.rowEnd[r]; ++w) {
      if (p.first[w] > r) continue;
      float* row = a + static_cast<size_t>(w) * n;
      const double m = row[r] / pivot;
      row[r] = static_cast<float>(m);
      if (m == 0.0) continue;
      for (int q = r + 1; q <= end; ++q) row[q] = static_cast<float>(row[q] - m * pivotRow[q]);
      p.last[w] = std::max(p.last[w], end);
    }
  }
}

void SolveProfile(const float* a, const float* z, float* y, float* x, int n, const Profile& p) {
  for (int i = 0; i < n; ++i) {
    const float* row = a + static_cast<size_t>(i) * n;
    double sum = 0.0;
    for (int j = p.first[i]; j < i; ++j) sum += static_cast<double>(row[j]) * y[j];
    y[i] = static_cast<float>(z[i] - sum);
  }
  for (int i = n - 1; i >= 0; --i) {
    const float* row = a + static_cast<size_t>(i) * n;
    double sum = 0.0;
    for (int j = i + 1; j <= p.last[i]; ++j) sum += static_cast<double>(row[j]) * x[j];
    x[i] = static_cast<float>((y[i] - sum) / row[i]);
  }
}

// First and last index of a non-zero basis value (hi < lo when all are zero).
void NonZeroRange(const float* basis, int n, int& lo, int& hi) {
  lo = 0;
  while (lo < n && basis[lo] == 0.0f) ++lo;
  hi = n - 1;
  while (hi >= lo && basis[hi] == 0.0f) --hi;
}

bool Refuse(const std::string& message) {
  ShowMessage(message);
  return false;
}

// The checks that precede any change, in the order the user meets them.
bool CheckLattice(const GridDataSet& d, int order) {
  if (order < 0) {
    return Refuse("Spline order " + std::to_string(order) +
                  " is not valid. Set 'Order' to a value from 2 to 4.");
  }
  if (d.pitchX < 1 || d.pitchY < 1) {
    return Refuse("X/Y Pitch data error. X:" + std::to_string(d.pitchX) +
                  " Y:" + std::to_string(d.pitchY));
  }
  if (d.maxX < 0 || d.maxY < 0 || d.maxX / d.pitchX < order || d.maxY / d.pitchY < order) {
    return Refuse("Grid data not enough to interpolate by spline.\nSet 'Order'(=" +
                  std::to_string(order) + ") value to smaller.");
  }
  const int ns = d.maxX / d.pitchX + 1;
  const int nt = d.maxY / d.pitchY + 1;
  const long long rows = static_cast<long long>(ns - 1) * d.pitchX + 1;
  const long long cols = static_cast<long long>(nt - 1) * d.pitchY + 1;
  // The completeness scan reads the grid, so a lattice reaching past it is refused first.
  if (rows > kGridDim || cols > kGridDim) {
    return Refuse("Grid data too large to interpolate by spline.\nThe output has " +
                  std::to_string(rows) + " x " + std::to_string(cols) + " points; the limit is " +
                  std::to_string(kGridDim) + " points per axis.");
  }
  for (int x = 0; x <= d.maxX; x += d.pitchX) {
    for (int y = 0; y <= d.maxY; y += d.pitchY) {
      if (!IsValid(d.values[x][y])) {
        return Refuse("Data nothing -> X:" + std::to_string(x) + " Y:" + std::to_string(y));
      }
    }
  }
  return true;
}

// out[X][Y] = sum over a (outer), b (inner) of control[a*nt+b] * BX_a * BY_b in single precision.
// Only terms whose basis values can be non-zero are added, in the same order; every skipped
// term is an exact zero, so each element's sum is what the full double loop gives.
void Evaluate(int ns, int nt, int k, int pitchX, int pitchY, int rows, int cols) {
  float basisY[kSplineMaxLattice];
  for (int y = 0; y < cols; ++y) {
    EvalBasis(static_cast<float>(y) / static_cast<float>(pitchY), g.knotsY, nt, k, basisY);
    for (int b = 0; b < nt; ++b) g.basisYT[b][y] = basisY[b];
    NonZeroRange(basisY, nt, g.loY[y], g.hiY[y]);
  }
  for (int x = 0; x < rows; ++x) {
    EvalBasis(static_cast<float>(x) / static_cast<float>(pitchX), g.knotsX, ns, k, g.basisX);
    int loA, hiA;
    NonZeroRange(g.basisX, ns, loA, hiA);
    float* out = g.out[x];
    std::fill(out, out + cols, 0.0f);
    for (int y0 = 0; y0 < cols;) {
      const int loB = g.loY[y0], hiB = g.hiY[y0];
      int y1 = y0 + 1;
      while (y1 < cols && g.loY[y1] == loB && g.hiY[y1] == hiB) ++y1;
      for (int a = loA; a <= hiA; ++a) {
        for (int b = loB; b <= hiB; ++b) {
          const float c = g.control[a * nt + b] * g.basisX[a];
          const float* by = g.basisYT[b];
          for (int y = y0; y < y1; ++y) out[y] += c * by[y];
        }
      }
      y0 = y1;
    }
  }
}

// The separable path: lattices beyond the working storage, in double precision. Its memory
// grows with the lattice and the output and is kept between runs like the buffers above.
struct SeparableAxis {
  int n = 0, k = 0;
  std::vector<double> knots;
  // Collocation matrix (basis b at u = i in row i) in band form: row i holds columns
  // i - below .. i + above; decomposed in place without row exchanges.
  std::vector<double> band;
  int below = 0, above = 0;
  // Evaluation at every output coordinate x: basis values first[x] .. first[x] + k - 1.
  std::vector<int> first;
  std::vector<double> values;
};

struct SeparableBuffers {
  SeparableAxis x, y;
  std::vector<double> lattice;     // [i][j], then the solve along X in place, then controls [a][b]
  std::vector<double> transposed;  // [j][a] for the solve along Y
  std::vector<double> alongY;      // [a][Y]: the surface at every lattice row a
};

SeparableBuffers sep;

// The k basis values that can be non-zero at u, of the n functions of order k over `knots`,
// stored in `out`; returns the index of the first. The knot span follows EvalBasis (a u at the
// end of the range belongs to the last interval); the recursion touches only the non-zero ones.
int LocalBasis(double u, const double* knots, int n, int k, double* out, double* left,
               double* right) {
  int span = static_cast<int>(std::upper_bound(knots, knots + n + k, u) - knots) - 1;
  span = std::clamp(span, k - 1, n - 1);
  out[0] = 1.0;
  for (int j = 1; j < k; ++j) {
    left[j] = u - knots[span + 1 - j];
    right[j] = knots[span + j] - u;
    double saved = 0.0;
    for (int r = 0; r < j; ++r) {
      // Positive: the knots differ across the span, which has t[span] < t[span + 1].
      const double temp = out[r] / (right[r + 1] + left[j - r]);
      out[r] = saved + right[r + 1] * temp;
      saved = left[j - r] * temp;
    }
    out[j] = saved;
  }
  return span - (k - 1);
}

void PrepareAxis(SeparableAxis& axis, int n, int k, int pitch, int length) {
  axis.n = n;
  axis.k = k;
  std::vector<float> knots(n + k);
  SplineKnots(n, k, knots.data());
  axis.knots.assign(knots.begin(), knots.end());
  std::vector<double> left(k), right(k);

  std::vector<int> firstAt(n);
  std::vector<double> rows(static_cast<size_t>(n) * k);
  axis.below = axis.above = 0;
  for (int i = 0; i < n; ++i) {
    firstAt[i] = LocalBasis(i, axis.knots.data(), n, k, &rows[static_cast<size_t>(i) * k],
                            left.data(), right.data());
    axis.below = std::max(axis.below, i - firstAt[i]);
    axis.above = std::max(axis.above, firstAt[i] + k - 1 - i);
  }
  const int width = axis.below + axis.above + 1;
  axis.band.assign(static_cast<size_t>(n) * width, 0.0);
  for (int i = 0; i < n; ++i) {
    for (int q = 0; q < k; ++q) {
      axis.band[static_cast<size_t>(i) * width + firstAt[i] + q - i + axis.below] =
          rows[static_cast<size_t>(i) * k + q];
    }
  }
  // Without row exchanges the factors keep the band; the pivots of this totally positive
  // matrix are positive.
  for (int r = 0; r + 1 < n; ++r) {
    const double* pivotRow = &axis.band[static_cast<size_t>(r) * width];
    const double pivot = pivotRow[axis.below];
    const int lastRow = std::min(n - 1, r + axis.below);
    const int lastCol = std::min(n - 1, r + axis.above);
    for (int w = r + 1; w <= lastRow; ++w) {
      double* row = &axis.band[static_cast<size_t>(w) * width] + axis.below - w;  // row[column]
      const double m = row[r] / pivot;
      row[r] = m;
      if (m == 0.0) continue;
      for (int q = r + 1; q <= lastCol; ++q) row[q] -= m * pivotRow[q - r + axis.below];
    }
  }

  axis.first.resize(length);
  axis.values.resize(static_cast<size_t>(length) * k);
  for (int x = 0; x < length; ++x) {
    axis.first[x] = LocalBasis(static_cast<double>(x) / pitch, axis.knots.data(), n, k,
                               &axis.values[static_cast<size_t>(x) * k], left.data(), right.data());
  }
}

// Solves the axis's system for `count` right-hand sides at once: z is n rows of `count` values,
// row i holding equation i of every system; the solutions replace it.
void SolveAlong(const SeparableAxis& axis, double* z, int count) {
  const int n = axis.n, width = axis.below + axis.above + 1;
  for (int i = 1; i < n; ++i) {
    const double* row = &axis.band[static_cast<size_t>(i) * width] + axis.below - i;
    double* zi = z + static_cast<size_t>(i) * count;
    for (int r = std::max(0, i - axis.below); r < i; ++r) {
      const double m = row[r];
      if (m == 0.0) continue;
      const double* zr = z + static_cast<size_t>(r) * count;
      for (int c = 0; c < count; ++c) zi[c] -= m * zr[c];
    }
  }
  for (int i = n - 1; i >= 0; --i) {
    const double* row = &axis.band[static_cast<size_t>(i) * width] + axis.below - i;
    double* zi = z + static_cast<size_t>(i) * count;
    for (int q = i + 1; q <= std::min(n - 1, i + axis.above); ++q) {
      const double u = row[q];
      if (u == 0.0) continue;
      const double* zq = z + static_cast<size_t>(q) * count;
      for (int c = 0; c < count; ++c) zi[c] -= u * zq[c];
    }
    const double pivot = row[i];
    for (int c = 0; c < count; ++c) zi[c] /= pivot;
  }
}

void Transpose(const double* from, int rows, int cols, double* to) {
  constexpr int kBlock = 32;
  for (int r0 = 0; r0 < rows; r0 += kBlock) {
    for (int c0 = 0; c0 < cols; c0 += kBlock) {
      const int r1 = std::min(rows, r0 + kBlock), c1 = std::min(cols, c0 + kBlock);
      for (int r = r0; r < r1; ++r)
        for (int c = c0; c < c1; ++c)
          to[static_cast<size_t>(c) * rows + r] = from[static_cast<size_t>(r) * cols + c];
    }
  }
}

// Drops the lattice values with the rest of the data set; the name stays. Every row is looked at,
// not only those up to maxX: whatever a slot held before, nothing may survive outside the output.
void ResetKeepingName(GridDataSet& d) {
  const std::string name = d.name;
  ResetDataSets(&d, 1);
  if (!name.empty()) d.name = name;
}

// The statistics and range of a data set whose grid holds the spline over rows x cols.
void StoreStatistics(GridDataSet& d, int rows, int cols) {
  double lo = kRunningMinStart, hi = kRunningMaxStart;
  for (int x = 0; x < rows; ++x) {
    for (int y = 0; y < cols; ++y) {
      const double v = d.values[x][y];
      if (lo > v) lo = v;
      if (hi < v) hi = v;
    }
  }
  d.active = 1;
  d.pointCount = rows * cols;
  d.rangeMin = d.defaultMin = lo;
  d.rangeMax = d.defaultMax = hi;
  d.span = hi - lo;
  d.mean = ComputeMean(d, rows - 1, cols - 1);  // the reset emptied everything beyond
  d.stdDev = ComputeStdDev(d, d.mean, rows - 1, cols - 1);
}

bool FitsWorkingStorage(const GridDataSet& d) {
  const int ns = d.maxX / d.pitchX + 1, nt = d.maxY / d.pitchY + 1;
  return ns <= kSplineMaxLattice && nt <= kSplineMaxLattice &&
         (ns - 1) * d.pitchX + 1 <= kSplineMaxOutput && (nt - 1) * d.pitchY + 1 <= kSplineMaxOutput;
}

// The separable path after the checks.
int Separable(GridDataSet& d, int order) {
  const int ns = d.maxX / d.pitchX + 1;
  const int nt = d.maxY / d.pitchY + 1;
  const int k = order + 1;
  const int rows = (ns - 1) * d.pitchX + 1;
  const int cols = (nt - 1) * d.pitchY + 1;

  // The collocation matrix is BX (x) BY, so the controls C solve BX C BY^T = Z: first along X
  // for every lattice column, then along Y for every row.
  std::vector<double>& z = sep.lattice;
  z.resize(static_cast<size_t>(ns) * nt);
  for (int i = 0; i < ns; ++i) {
    for (int j = 0; j < nt; ++j)
      z[static_cast<size_t>(i) * nt + j] = d.values[i * d.pitchX][j * d.pitchY];
  }
  PrepareAxis(sep.x, ns, k, d.pitchX, rows);
  PrepareAxis(sep.y, nt, k, d.pitchY, cols);
  SolveAlong(sep.x, z.data(), nt);
  sep.transposed.resize(z.size());
  Transpose(z.data(), ns, nt, sep.transposed.data());
  SolveAlong(sep.y, sep.transposed.data(), ns);
  Transpose(sep.transposed.data(), nt, ns, z.data());

  // The surface along Y at every lattice row, then along X at every output row.
  std::vector<double>& alongY = sep.alongY;
  alongY.resize(static_cast<size_t>(ns) * cols);
  for (int a = 0; a < ns; ++a) {
    const double* control = &z[static_cast<size_t>(a) * nt];
    double* out = &alongY[static_cast<size_t>(a) * cols];
    for (int y = 0; y < cols; ++y) {
      const double* c = control + sep.y.first[y];
      const double* b = &sep.y.values[static_cast<size_t>(y) * k];
      double sum = 0.0;
      for (int q = 0; q < k; ++q) sum += b[q] * c[q];
      out[y] = sum;
    }
  }
  ResetKeepingName(d);
  for (int x = 0; x < rows; ++x) {
    double* out = d.values[x];
    const double* b = &sep.x.values[static_cast<size_t>(x) * k];
    const double* row = &alongY[static_cast<size_t>(sep.x.first[x]) * cols];
    for (int y = 0; y < cols; ++y) out[y] = b[0] * row[y];
    for (int q = 1; q < k; ++q) {
      row += cols;
      for (int y = 0; y < cols; ++y) out[y] += b[q] * row[y];
    }
  }
  StoreStatistics(d, rows, cols);
  return 1;
}

}  // namespace

void SplineKnots(int n, int k, float* knots) {
  for (int i = 0; i < k; ++i) knots[i] = 0.0f;
  for (int m = 0; m <= n - k - 1; ++m) {
    knots[k + m] = static_cast<float>(m) + static_cast<float>(k) / 2.0f;
  }
  for (int i = n; i < n + k; ++i) knots[i] = static_cast<float>(n - 1);
}

int EvalBasis(float u, const float* t, int n, int k, float* basis) {
  if (n < 1 || n > kSplineMaxLattice || k < 1 || k > n) return -1;
  float table[kSplineMaxLattice + 1][2];
  for (int i = 0; i <= n; ++i) table[i][0] = 0.0f;
  int span = -1;
  for (int i = 0; i < n; ++i) {
    if (t[i] <= u && u < t[i + 1]) {
      table[i][0] = 1.0f;
      span = i;
    }
  }
  if (t[n - 1] <= u && u >= t[n]) {
    table[n - 1][0] = 1.0f;
    span = n - 1;
  }
  for (int q = 1; q < k; ++q) {
    const int cur = q % 2, prev = (q - 1) % 2;
    for (int i = 0; i <= n; ++i) table[i][cur] = 0.0f;
    for (int i = std::max(span - q, 0); i <= span; ++i) {
      const float right = t[i + 1] == t[i + q + 1]
                              ? 0.0f
                              : (t[i + q + 1] - u) * table[i + 1][prev] / (t[i + q + 1] - t[i + 1]);
      const float left = t[i] == t[i + q] ? 0.0f : (u - t[i]) * table[i][prev] / (t[i + q] - t[i]);
      table[i][cur] = left + right;
    }
  }
  for (int i = 0; i < n; ++i) basis[i] = table[i][(k - 1) % 2];
  return span;
}

void LuDecompose(float* a, int n) {
  if (n < 1) return;
  std::vector<int> first(n), last(n), rowEnd(n);
  const Profile p{first.data(), last.data(), rowEnd.data()};
  ScanProfile(a, n, p);
  DecomposeProfile(a, n, p);
}

void LuSolve(const float* a, const float* z, float* x, int n) {
  if (n < 1) return;
  std::vector<int> first(n), last(n);
  std::vector<float> y(n);
  const Profile p{first.data(), last.data(), nullptr};
  ScanProfile(a, n, p);
  SolveProfile(a, z, y.data(), x, n, p);
}

int SplineInterpolate(GridDataSet& d, int order) {
  if (!CheckLattice(d, order)) return -1;
  if (!FitsWorkingStorage(d)) return Separable(d, order);
  const int ns = d.maxX / d.pitchX + 1;
  const int nt = d.maxY / d.pitchY + 1;
  const int n = ns * nt;
  const int k = order + 1;
  const int rows = (ns - 1) * d.pitchX + 1;
  const int cols = (nt - 1) * d.pitchY + 1;

  for (int i = 0; i < ns; ++i) {
    for (int j = 0; j < nt; ++j) {
      g.data[i * nt + j] = static_cast<float>(d.values[i * d.pitchX][j * d.pitchY]);
    }
  }
  SplineKnots(ns, k, g.knotsX);
  SplineKnots(nt, k, g.knotsY);

  // Collocation matrix A[i*nt+j][a*nt+b] = BX_a(i) * BY_b(j), stored n x n.
  for (int i = 0; i < ns; ++i) EvalBasis(static_cast<float>(i), g.knotsX, ns, k, g.latticeX[i]);
  for (int j = 0; j < nt; ++j) EvalBasis(static_cast<float>(j), g.knotsY, nt, k, g.latticeY[j]);
  std::memset(g.matrix, 0, sizeof(float) * n * n);
  for (int i = 0; i < ns; ++i) {
    int loA, hiA;
    NonZeroRange(g.latticeX[i], ns, loA, hiA);
    for (int j = 0; j < nt; ++j) {
      int loB, hiB;
      NonZeroRange(g.latticeY[j], nt, loB, hiB);
      const int r = i * nt + j;
      float* row = g.matrix + static_cast<size_t>(r) * n;
      g.first[r] = hiA < loA || hiB < loB ? n : loA * nt + loB;
      g.last[r] = hiA < loA || hiB < loB ? -1 : hiA * nt + hiB;
      for (int a = loA; a <= hiA; ++a) {
        for (int b = loB; b <= hiB; ++b) row[a * nt + b] = g.latticeX[i][a] * g.latticeY[j][b];
      }
    }
  }

  const Profile p{g.first, g.last, g.rowEnd};
  DecomposeProfile(g.matrix, n, p);
  SolveProfile(g.matrix, g.data, g.forward, g.control, n, p);
  Evaluate(ns, nt, k, d.pitchX, d.pitchY, rows, cols);

  ResetKeepingName(d);
  for (int x = 0; x < rows; ++x) {
    for (int y = 0; y < cols; ++y) d.values[x][y] = g.out[x][y];
  }
  StoreStatistics(d, rows, cols);
  return 1;
}

int SplineSeparable(GridDataSet& d, int order) {
  return CheckLattice(d, order) ? Separable(d, order) : -1;
}

void ResetSplineModule() {
  std::memset(&g, 0, sizeof g);
  sep = SeparableBuffers{};
}

}  // namespace orvelle
