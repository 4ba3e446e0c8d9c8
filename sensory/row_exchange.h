// What the exchange searches over judges' blocks (the balancing stage and
// the concurrence targeting) share: the check of the design they start
// from, and the move by which a row gives up one product for another.
#pragma once

#include "services/matrix.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace sensory {

// Each product's replication in `design` (J x P, 1-based), when every row
// holds exactly R products marked 1 and every other cell is 0; nothing
// otherwise, for such a design is not one the exchanges can start from.
inline std::optional<std::vector<int>> replicationsOfBlocksOfR(const matrixInt* design, int J, int P, int R) {
    std::vector<int> replication(static_cast<std::size_t>(P), 0);
    for (int j = 1; j <= J; ++j) {
        int size = 0;
        for (int p = 1; p <= P; ++p) {
            const int v = design->vbget(j, p);
            if (v != 0 && v != 1) return std::nullopt;
            size += v;
            replication[static_cast<std::size_t>(p - 1)] += v;
        }
        if (size != R) return std::nullopt;
    }
    return replication;
}

// Row j of `design` (R products) gives up `out` and takes `in`: each other
// product of the row loses a concurrence with `out` and gains one with `in`.
// Design exposes block(j, k), member(j, p) and addConcurrence(p, q, by).
template <class Design>
void moveProductInRow(Design& design, int j, int out, int in, int R) {
    for (int k = 0; k < R; ++k) {
        int& x = design.block(j, k);
        if (x == out) {
            x = in;
            continue;
        }
        design.addConcurrence(out, x, -1);
        design.addConcurrence(in, x, 1);
    }
    design.member(j, out) = 0;
    design.member(j, in) = 1;
}

}  // namespace sensory
