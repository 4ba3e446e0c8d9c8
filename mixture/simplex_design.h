// Simplex designs in pseudo-component proportions: the simplex lattice
// {q, m}, the simplex centroid and the augmented simplex centroid.
#pragma once

#include "services/export.h"
#include "services/matrix.h"

#include <cstdint>

// Design types of `DOEMixSimplex`.
inline constexpr int kSimplexLattice = 1;
inline constexpr int kSimplexCentroid = 2;
inline constexpr int kAugmentedSimplexCentroid = 3;

// Rows the design of `type` over q components (lattice degree m) holds:
// lattice C(q+m-1, m), centroid 2^q - 1, augmented centroid q + 2^q - 1;
// kCountOverflow when that does not fit in 32 bits. Leaves *oRows alone for
// an unknown type. *oCols always receives q. Null outputs are skipped.
void DOEMixGetSizeoSimplex(int q, int m, int type, int32_t* oRows, int32_t* oCols);

// Writes the design into `design` (rows x components), row after row from
// row 1. Cells the design does not cover keep their values; rows or columns
// the container lacks are lost, and generation stops once its rows are full.
// Writes nothing for an unknown type, for q < 1, or for a lattice of degree
// m < 1.
VX_CORE_CXX void DOEMixSimplex(int q, int m, int type, matrix* design);
