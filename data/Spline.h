// Tensor-product B-spline interpolation of a data set's measured lattice, evaluated at every
// integer grid coordinate. Lattices within the working storage take the exact single-precision
// procedure, whose buffers are static so it never allocates; larger ones take the separable
// double-precision solve, whose buffers grow with the lattice and are kept between runs. All of
// it is module state: the module is not re-entrant.
#pragma once

#include "data/GridDataSet.h"

namespace orvelle {

// Working storage of the exact procedure: lattice points per axis and output points per axis.
inline constexpr int kSplineMaxLattice = 32;
inline constexpr int kSplineMaxOutput = 353;

// Rebuilds `set` from its lattice (multiples of pitchX/pitchY up to maxX/maxY) with a spline of
// degree `order`. Returns 1, or -1 after a message with `set` untouched (order too high for the
// lattice, an output past the 501 x 501 grid, a lattice point missing, pitch below 1, negative
// order). On success every point outside the output rectangle is kNoData; the name survives.
// Within the working storage the result is the exact single-precision procedure's; beyond it,
// the same surface from SplineSeparable.
int SplineInterpolate(GridDataSet& set, int order);

// The same checks and surface as SplineInterpolate for any lattice the grid holds, always
// through the separable form in double precision: one banded solve per lattice column along X,
// one per row along Y, then the evaluation along Y and along X. Agrees with the exact procedure
// to single-precision rounding.
int SplineSeparable(GridDataSet& set, int order);

// Fills basis[0..n-1] with the n B-spline basis functions of order k (degree k-1) at u over the
// knots t[0..n+k-1]; a u at or past the last knot belongs to the last interval. Returns the
// knot span of u, or -1 (basis all zero) when u lies before the knots or n, k are out of range
// (1 <= k <= n <= kSplineMaxLattice).
int EvalBasis(float u, const float* knots, int n, int k, float* basis);

// Knot vector of an axis with n lattice points for B-spline order k (n + k knots): k zeros, the
// interior knots m + k/2 (m = 0..n-k-1), then k knots at n - 1. Needs 1 <= k <= n.
void SplineKnots(int n, int k, float* knots);

// Gaussian elimination without row exchanges of the n x n row-major matrix `a`, in place: U on
// and above the diagonal, the multipliers of L (unit diagonal) below it. No zero-pivot check.
void LuDecompose(float* a, int n);

// Solves L U x = z with the output of LuDecompose (forward, then back substitution, sums in
// double). x must not alias z.
void LuSolve(const float* a, const float* z, float* x, int n);

// Clears the module's work buffers (for test fixtures; a run overwrites what it reads anyway).
void ResetSplineModule();

}  // namespace orvelle
