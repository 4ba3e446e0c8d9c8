// The runs of one replicate of each response-surface design, in coded units.
//
// Each layout writes the factor cells (columns 5..4+k) of the rows it names,
// from row 1 on, as far as the plan reaches. Cells a layout does not name
// (the centre runs, the other factors of an axial or edge run) keep their
// value, so a design is complete when the host passes those cells as 0.
#pragma once

#include "services/matrix.h"

namespace rsm {

// All 3^k runs at levels -1, 0, 1; factor 1 varies fastest.
void LayFactorial3(matrix* plan, int k);

// Row of the run with every factor at 0 in that order: (3^k + 1) / 2, the
// middle row (1 for k = 0; past any sheet when 3^k is).
long long Factorial3CentreRow(int k);

// The 2^k factorial corners (bit f-1 of r-1 gives factor f's sign), then for
// each factor f an axial pair at -alpha and +alpha, alpha = 2^(k/4), which
// makes the design rotatable. The centre runs after them are not written.
void LayCentralComposite(matrix* plan, int k);

// Row of the first centre run of a central composite design: 2^k + 2k + 1.
long long FirstCentralCompositeCentre(int k);

// For every pair of factors i < j, in lexicographic order, the four corners
// of their square with every other factor at its centre: the midpoints of
// the edges of the cube. The centre run after them is not written.
void LayBoxBehnken(matrix* plan, int k);

// The k^2 + k points of a Doehlert (uniform shell) design, built dimension by
// dimension: the design in d dimensions is the one in d - 1 dimensions plus
// 2d new points, every point at distance 1 from the centre. The centre run
// after them is not written.
void LayDoehlert(matrix* plan, int k);

}  // namespace rsm
