// A plain re-run of the tabu search over exchanges between rows that the
// concurrence-targeting and balancing stages state, every exchange scored
// by recounting the concurrences.
#pragma once

#include "sensory/seed_stream.h"

#include <algorithm>
#include <climits>
#include <numeric>
#include <vector>

namespace stest {

using Rows = std::vector<int>;  // row j's products at [j R, j R + R)

inline std::size_t at(long long i) { return static_cast<std::size_t>(i); }

// The sum over pairs of squared concurrences, recounted from the rows.
inline long long sumOfSquares(const Rows& rows, int P, int R) {
    std::vector<long long> c(at(P * P), 0);
    for (std::size_t j = 0; j < rows.size(); j += at(R))
        for (int k = 0; k < R; ++k)
            for (int l = 0; l < k; ++l) ++c[at(std::min(rows[j + at(k)], rows[j + at(l)]) * P + std::max(rows[j + at(k)], rows[j + at(l)]))];
    return std::inner_product(c.begin(), c.end(), c.begin(), 0LL);
}

inline bool holds(const Rows& rows, int j, int R, int p) {
    return std::count(rows.begin() + j * R, rows.begin() + (j + 1) * R, p) > 0;
}

// Row i gives a to row j for b, each in the other's place.
inline Rows exchanged(Rows rows, int i, int j, int a, int b, int R) {
    std::replace(rows.begin() + i * R, rows.begin() + (i + 1) * R, a, b);
    std::replace(rows.begin() + j * R, rows.begin() + (j + 1) * R, b, a);
    return rows;
}

// The tabu search's stated steps: the best exchange that is not tabu, or
// that is but reaches below the least sum so far, one draw per tie; the two
// products that moved stay out of their rows for 2 moves and a drawn part of
// up to 8. It ends at `target`, or after 200 moves without a new least.
inline Rows referenceTabu(Rows rows, int J, int P, int R, long long target, sensory::SeedStream& seeds) {
    std::vector<long long> until(at(J * P), 0);
    long long least = sumOfSquares(rows, P, R), lastGain = 0;
    Rows leastRows = rows;
    for (long long move = 1; least > target && move - lastGain <= 200; ++move) {
        int bi = -1, bj = -1, ba = -1, bb = -1, ties = 0;
        long long bestChange = LLONG_MAX;
        const long long now = sumOfSquares(rows, P, R);
        for (int i = 0; i < J; ++i)
            for (int j = i + 1; j < J; ++j)
                for (int k = 0; k < R; ++k)
                    for (int l = 0; l < R; ++l) {
                        const int a = rows[at(i * R + k)], b = rows[at(j * R + l)];
                        if (holds(rows, j, R, a) || holds(rows, i, R, b)) continue;
                        const long long change = sumOfSquares(exchanged(rows, i, j, a, b, R), P, R) - now;
                        if (change > bestChange) continue;
                        const bool tabu = until[at(i * P + b)] > move || until[at(j * P + a)] > move;
                        if (tabu && now + change >= least) continue;
                        if (change < bestChange) ties = 0;
                        if (++ties > 1 && seeds.uniform() * ties >= 1.0) continue;
                        bi = i, bj = j, ba = a, bb = b, bestChange = change;
                    }
        if (bi < 0) continue;
        rows = exchanged(rows, bi, bj, ba, bb, R);
        until[at(bi * P + ba)] = move + 2 + static_cast<long long>(seeds.uniform() * 8);
        until[at(bj * P + bb)] = move + 2 + static_cast<long long>(seeds.uniform() * 8);
        if (sumOfSquares(rows, P, R) < least) least = sumOfSquares(rows, P, R), leastRows = rows, lastGain = move;
    }
    return leastRows;
}

}  // namespace stest
