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
  const std::string tooLarge = "Grid data too large to interpolate by spline.\n";
  const std::string outputTooLarge = tooLarge + "The output has " + std::to_string(rows) + " x " +
                                     std::to_string(cols) + " points; the limit is " +
                                     std::to_string(kSplineMaxOutput) + " points per axis.";
  // The completeness scan reads the grid, so a lattice reaching past it is refused first.
  if (rows > kGridDim || cols > kGridDim) return Refuse(outputTooLarge);
  for (int x = 0; x <= d.maxX; x += d.pitchX) {
    for (int y = 0; y <= d.maxY; y += d.pitchY) {
      if (!IsValid(d.values[x][y])) {
        return Refuse("Data nothing -> X:" + std::to_string(x) + " Y:" + std::to_string(y));
      }
    }
  }
  if (ns > kSplineMaxLattice || nt > kSplineMaxLattice) {
    return Refuse(tooLarge + "The lattice has " + std::to_string(ns) + " x " + std::to_string(nt) +
                  " points; the limit is " + std::to_string(kSplineMaxLattice) +
                  " points per axis.");
  }
  if (rows > kSplineMaxOutput || cols > kSplineMaxOutput) return Refuse(outputTooLarge);
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

  const std::string name = d.name;
  ResetDataSets(&d, 1);
  if (!name.empty()) d.name = name;
  double lo = kRunningMinStart, hi = kRunningMaxStart;
  for (int x = 0; x < rows; ++x) {
    for (int y = 0; y < cols; ++y) {
      const double v = g.out[x][y];
      d.values[x][y] = v;
      if (lo > v) lo = v;
      if (hi < v) hi = v;
    }
  }
  d.active = 1;
  d.pointCount = rows * cols;
  d.rangeMin = d.defaultMin = lo;
  d.rangeMax = d.defaultMax = hi;
  d.span = hi - lo;
  d.mean = ComputeMean(d);
  return 1;
}

void ResetSplineModule() { std::memset(&g, 0, sizeof g); }

}  // namespace orvelle
