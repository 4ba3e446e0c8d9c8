// One move shared by the exchange searches over judges' blocks (the
// balancing stage and the concurrence targeting): a row gives up one
// product for another, and the concurrences of its other products follow.
#pragma once

namespace sensory {

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
