// From pseudo-component proportions to real quantities, and the widening of
// a plotting range.
#pragma once

#include "services/export.h"
#include "services/matrix.h"

// plan(i, k) := (plan(i, k) * rab + lower(k)) * total for the n x p plan, in
// place. Cells outside the plan container are skipped. Returns 0.
VX_CORE_CXX int DOEMixRealCoord(matrix* plan, int n, int p, matrix* lower, double rab, double total);

// Widens [*minValue, *maxValue] by the fraction perc of each end, away from
// zero for the lower end and toward larger values for the upper one; a range
// wider than 10 then gets whole ends: the minimum truncated toward zero, the
// maximum plus one truncated toward zero. Null pointers are ignored.
void AdaptMinMaxDOE(double* minValue, double* maxValue, double perc);
