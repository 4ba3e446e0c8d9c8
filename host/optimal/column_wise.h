// Column-wise construction of orthogonal and nearly orthogonal plans (H. Xu,
// Technometrics 44, 2002). The plan grows one factor at a time. Two runs
// i, j coincide on a column of s levels with weight s; delta_ij sums those
// weights over the columns built, and J2 = sum over run pairs of delta_ij^2.
// J2 is bounded below by
//   L = ((n m)^2 + n^2 sum (s_k - 1) - n (sum s_k)^2) / 2   (m columns, n runs),
// with equality exactly when every column is balanced and every pair of
// columns orthogonal: a J2 at L proves the plan an orthogonal array. Each new
// column starts balanced and random; swapping two of its entries changes J2
// through the rows of the two runs only, and the swap that lowers J2 most is
// made until none lowers it. A column that misses its bound is rebuilt from
// another random start a bounded number of times, the best kept.
#pragma once

#include "host/optimal/model.h"

#include <cstdint>
#include <functional>
#include <random>

namespace vxhost {

struct ColumnWiseResult {
    LevelPlan plan;          // in the factors' order
    bool orthogonal = false; // J2 reached its bound
};

// Twice J2's lower bound for columns of the given level counts in n runs.
int64_t twiceJ2Bound(const std::vector<int>& levels, int runs);

// J2 of a plan, computed pair by pair.
int64_t j2(const LevelPlan& plan, int runs, const std::vector<int>& levels);

// `restarts` random starts per column at most; `stop` is asked between
// starts and ends the construction early (the plan is then completed with
// each remaining column's first start).
ColumnWiseResult columnWise(const std::vector<int>& levels, int runs, std::mt19937& rng, int restarts,
                            const std::function<bool()>& stop = {});

}  // namespace vxhost
