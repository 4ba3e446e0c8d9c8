// Companions of the information matrix M = X'X kept up to date while runs
// enter and leave a plan: the criterion, the inverse V and the lower
// Cholesky factor L (L L' = M), and the determinant ratios of exchanges.
#pragma once

#include "services/export.h"
#include "services/matrix.h"

// Full recomputation for rows 1..n of X: with the flag true (and icrit 1 or
// 2) the criterion and V (inverse1, or the generalised inverse with the flag
// left true); with DoChol -1 the factor L (ridge when a pivot vanishes).
VX_CORE void UpdateDelta(int icrit, short DoChol, matrix* X, int p, int n, matrix* V, double* crit, short* flag,
                         matrix* L);

// Row n of X enters (add -1) or leaves the plan: W := V updated by
// Sherman-Morrison when accelerate is -1; L updated in place when DoChol is
// -1. V is not changed; flag is not read.
VX_CORE void UpdateV(matrix* X, int n, int p, matrix* V, matrix* W, short accelerate, short flag, short add,
                     short DoChol, matrix* L);

// L := the factor of L L' + x x' (add -1) or L L' - x x'.
VX_CORE void M_CholDecompUpdate(matrix* L, int p, matrix* x, short add);

// -1 when none of M(1,1)..M(n,n) is exactly 0, else 0.
VX_CORE short M_DiagNotNull(matrix* M, int n);

// det(M_new)/det(M) - 1 for one, two or three simultaneous exchanges, from
// the variances of the entering (a) and leaving (r) rows; 0 when a guard
// applies.
VX_CORE double federovDelta(double dAdd, double dRem);
VX_CORE double federovDelta2(double dAdd1, double dRem1, double dAdd2, double dRem2);
VX_CORE double federovDelta3(double dAdd1, double dRem1, double dAdd2, double dRem2, double dAdd3, double dRem3);
