// The main-effects model of qualitative factors as the library codes it, and
// its D, computed by the host for plans the library cannot score (candidate
// sets past its 32-bit range) and inside the host's own searches.
#pragma once

#include <vector>

namespace vxhost {

// A plan: runs x factors, column-major, levels 1..s of each factor.
using LevelPlan = std::vector<int>;

// 1 + sum of (s - 1): the model columns.
int modelColumns(const std::vector<int>& levels);

// The model row of a run with the given levels (1-based), effects coding
// `icode` 1 (last level at -1 in all of its columns) or 2 (first level).
void modelRow(const std::vector<int>& levels, int icode, const int* runLevels, double* row);

// Natural log of det(X'X) of the plan; -infinity when X'X is singular.
double logDetInformation(const LevelPlan& plan, int runs, const std::vector<int>& levels, int icode);

// det(X'X / N)^(1/p) from ln det(X'X); 0 for a singular plan.
double normedD(double logDet, int runs, int p);

// The D of an orthogonal plan: each balanced factor of s levels contributes
// a block (I + J) / s of determinant s^(2 - s), and orthogonality leaves the
// blocks alone on the diagonal.
double orthogonalBound(const std::vector<int>& levels);

}  // namespace vxhost
