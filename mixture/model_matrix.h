// The model (predictor) matrix of a canonical mixture polynomial and its
// term labels. The models have no intercept: the linear terms are the
// component proportions themselves.
#pragma once

#include "services/export.h"
#include "services/matrix.h"

// Model types.
inline constexpr int kFullMixtureModel = 0;     // full canonical polynomial
inline constexpr int kSpecialMixtureModel = 1;  // special polynomial

// Number of terms of the model of `degree` (1 to 4) and `type` over q
// components, by the closed forms of the canonical polynomials (truncating
// division); 0 for any other type or degree, kCountOverflow when the count
// does not fit in 32 bits.
int DOEMixGetnCoef(int q, int degree, int type);

// Fills `model` (n x nCoef) with the terms evaluated at the runs of X
// (n x q) and `termLabels` (nCoef x 1) with their labels built from the
// component labels. Column order: linear; quadratic x_i x_j; then for the
// full model the cubic differences x_i x_j (x_i - x_j), and at degree 3 the
// three-way terms x_i x_j x_k, at degree 4 the quartic differences
// x_i x_j (x_i - x_j)^2; at degree 4 and above the squared triples
// x_i^2 x_j x_k, x_i x_j^2 x_k, x_i x_j x_k^2; and for the full quartic last
// the four-way terms x_i x_j x_k x_l. Index tuples run in lexicographic
// order. Only the linear columns are written for an unknown type. Cells no
// term reaches keep their values; terms beyond the containers are skipped.
VX_CORE_CXX void DOEMixPredictorMatrix(matrix* X, int n, int q, int nCoef, Smatrix* labels, int degree, int type,
                                       matrix* model, Smatrix* termLabels);
