// Straightforward versions of the fill, the disc-mean filter and the spline, written step by step
// without any shortcut. The benchmarks time the library against them and the tests use them as
// the expected results.
#pragma once

#include <algorithm>
#include <cmath>
#include <vector>

#include "data/GridDataSet.h"

namespace orvelle::reference {

inline void CopyValues(const GridDataSet& from, GridDataSet& to) {
  std::copy(&from.values[0][0], &from.values[0][0] + kGridDim * kGridDim, &to.values[0][0]);
}

// Bilinear fill of every complete cell; returns the number of cells (no statistics).
inline int FillGaps(GridDataSet& s) {
  if (!s.active || s.pitchX < 1 || s.pitchY < 1 || s.size == 0) return -1;
  int cells = 0;
  const int px = s.pitchX, py = s.pitchY;
  for (int x0 = 0; x0 <= s.size && x0 <= 500; x0 += px) {
    for (int y0 = 0; y0 <= s.size && y0 <= 500; y0 += py) {
      const int x1 = x0 + px, y1 = y0 + py;
      if (x1 > 500 || y1 > 500) continue;
      if (!IsValid(s.values[x0][y0]) || !IsValid(s.values[x1][y0]) || !IsValid(s.values[x0][y1]) ||
          !IsValid(s.values[x1][y1]))
        continue;
      const double v00 = s.values[x0][y0], v10 = s.values[x1][y0];
      const double v01 = s.values[x0][y1], v11 = s.values[x1][y1];
      for (int i = 0; i <= px; ++i) {
        for (int j = 0; j <= py; ++j) {
          if (IsValid(s.values[x0 + i][y0 + j])) continue;
          const double tx = static_cast<double>(i) / px, ty = static_cast<double>(j) / py;
          const double a = v00 + tx * (v10 - v00);
          const double b = v01 + tx * (v11 - v01);
          s.values[x0 + i][y0 + j] = a + ty * (b - a);
        }
      }
      ++cells;
    }
  }
  return cells;
}

// Mean over the disc, visiting every neighbour of the square and testing its distance.
inline double DiscMean(const GridDataSet& s, int x, int y, int r) {
  if (r == 0) return s.values[x][y];
  double sum = 0.0;
  int n = 0;
  for (int j = x - r; j <= x + r; ++j) {
    for (int k = y - r; k <= y + r; ++k) {
      if (j < 0 || j > 500 || k < 0 || k > 500) continue;
      const float d =
          static_cast<float>(std::sqrt(static_cast<double>((j - x) * (j - x) + (k - y) * (k - y))));
      if (r < d) continue;
      if (!IsValid(s.values[j][k])) continue;
      sum += s.values[j][k];
      ++n;
    }
  }
  return n == 0 ? -99999.0 : sum / n;
}

// The filter over the 301 x 301 corner through a temporary grid.
inline void FilterDataSet(GridDataSet& s, int r) {
  std::vector<double> t(kGridDim * kGridDim, kNoData);
  for (int x = 0; x <= 300; ++x)
    for (int y = 0; y <= 300; ++y)
      if (IsValid(s.values[x][y])) t[x * kGridDim + y] = reference::DiscMean(s, x, y, r);
  for (int x = 0; x <= 300; ++x)
    for (int y = 0; y <= 300; ++y)
      if (IsValid(t[x * kGridDim + y])) s.values[x][y] = t[x * kGridDim + y];
}

inline void EvalBasis(float u, const float* t, int n, int k, float* basis) {
  std::vector<float> c0(n + 1, 0.0f), c1(n + 1, 0.0f);
  std::vector<float>* col[2] = {&c0, &c1};
  int span = -1;
  for (int i = 0; i < n; ++i) {
    if (t[i] <= u && u < t[i + 1]) {
      c0[i] = 1.0f;
      span = i;
    }
  }
  if (t[n - 1] <= u && u >= t[n]) {
    c0[n - 1] = 1.0f;
    span = n - 1;
  }
  for (int q = 1; q <= k - 1; ++q) {
    std::vector<float>& cur = *col[q % 2];
    const std::vector<float>& prev = *col[(q - 1) % 2];
    std::fill(cur.begin(), cur.end(), 0.0f);
    for (int i = std::max(span - q, 0); i <= span; ++i) {
      float right = 0.0f, left = 0.0f;
      if (t[i + 1] != t[i + q + 1])
        right = (t[i + q + 1] - u) * prev[i + 1] / (t[i + q + 1] - t[i + 1]);
      if (t[i] != t[i + q]) left = (u - t[i]) * prev[i] / (t[i + q] - t[i]);
      cur[i] = left + right;
    }
  }
  for (int i = 0; i < n; ++i) basis[i] = (*col[(k - 1) % 2])[i];
}

inline std::vector<float> Knots(int n, int k) {
  std::vector<float> t(n + k);
  for (int i = 0; i < k; ++i) t[i] = 0.0f;
  for (int m = 0; m <= n - k - 1; ++m)
    t[k + m] = static_cast<float>(m) + static_cast<float>(k) / 2.0f;
  for (int i = n; i < n + k; ++i) t[i] = static_cast<float>(n - 1);
  return t;
}

inline void LuDecompose(std::vector<float>& a, int n) {
  for (int r = 0; r <= n - 2; ++r) {
    for (int w = r + 1; w <= n - 1; ++w) {
      const double m = static_cast<double>(a[w * n + r]) / static_cast<double>(a[r * n + r]);
      a[w * n + r] = static_cast<float>(m);
      if (m != 0.0) {
        for (int q = r + 1; q <= n - 1; ++q)
          a[w * n + q] = static_cast<float>(a[w * n + q] - m * a[r * n + q]);
      }
    }
  }
}

inline std::vector<float> LuSolve(const std::vector<float>& a, const std::vector<float>& z, int n) {
  std::vector<float> y(n), x(n);
  y[0] = z[0];
  for (int i = 1; i < n; ++i) {
    double sum = 0.0;
    for (int j = 0; j < i; ++j) sum += static_cast<double>(a[i * n + j]) * y[j];
    y[i] = static_cast<float>(z[i] - sum);
  }
  x[n - 1] = static_cast<float>(static_cast<double>(y[n - 1]) / a[(n - 1) * n + n - 1]);
  for (int i = n - 2; i >= 0; --i) {
    double sum = 0.0;
    for (int j = i + 1; j < n; ++j) sum += static_cast<double>(a[i * n + j]) * x[j];
    x[i] = static_cast<float>((y[i] - sum) / a[i * n + i]);
  }
  return x;
}

// The spline's output grid (rows x cols, row-major) for a lattice that passes the checks.
inline std::vector<float> SplineGrid(const GridDataSet& d, int p, int& rows, int& cols) {
  const int ns = d.maxX / d.pitchX + 1, nt = d.maxY / d.pitchY + 1, n = ns * nt, k = p + 1;
  rows = (ns - 1) * d.pitchX + 1;
  cols = (nt - 1) * d.pitchY + 1;
  std::vector<float> z(n);
  for (int i = 0; i < ns; ++i)
    for (int j = 0; j < nt; ++j)
      z[i * nt + j] = static_cast<float>(d.values[i * d.pitchX][j * d.pitchY]);
  const std::vector<float> tx = Knots(ns, k), ty = Knots(nt, k);
  std::vector<float> a(static_cast<size_t>(n) * n), bx(ns), by(nt);
  for (int i = 0; i < ns; ++i) {
    EvalBasis(static_cast<float>(i), tx.data(), ns, k, bx.data());
    for (int j = 0; j < nt; ++j) {
      EvalBasis(static_cast<float>(j), ty.data(), nt, k, by.data());
      for (int ia = 0; ia < ns; ++ia)
        for (int ib = 0; ib < nt; ++ib) a[(i * nt + j) * n + ia * nt + ib] = bx[ia] * by[ib];
    }
  }
  LuDecompose(a, n);
  const std::vector<float> x = LuSolve(a, z, n);
  std::vector<float> out(static_cast<size_t>(rows) * cols);
  for (int gx = 0; gx < rows; ++gx) {
    EvalBasis(static_cast<float>(gx) / static_cast<float>(d.pitchX), tx.data(), ns, k, bx.data());
    for (int gy = 0; gy < cols; ++gy) {
      EvalBasis(static_cast<float>(gy) / static_cast<float>(d.pitchY), ty.data(), nt, k, by.data());
      float sum = 0.0f;
      for (int ia = 0; ia < ns; ++ia)
        for (int ib = 0; ib < nt; ++ib) sum += x[ia * nt + ib] * bx[ia] * by[ib];
      out[gx * cols + gy] = sum;
    }
  }
  return out;
}

}  // namespace orvelle::reference
