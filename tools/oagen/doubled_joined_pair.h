// An array doubled with the doubling joined to two of its columns: from
// OA(N, B' p q), OA(2N, B' (2p) (2q)) whenever N / (p q) is even, the
// generalised Kronecker sum with OA(2, 2) (Wang and Wu, Journal of the
// American Statistical Association 86, 1991) read on two columns at once.
// D(10,10,5) gives 5^8 10^3 in 100 runs.
#pragma once

#include "tools/oagen/constructions.h"

namespace oagen {

// Run s N + r is copy s = 0, 1 of b's run r. b's columns but `first` and
// `second` stay as they are; then (s, f(r)) and (s + h(r) mod 2, g(r)),
// coded 2-part times levels plus value, where f and g are b's columns
// `first` and `second` and h takes 0 and 1 equally often on each cell of
// (f, g). A kept column meets a joined one in b's own pair counts, as the
// copy fixes the 2-part, and the two joined columns meet in
// #{r : h(r) = s + s', f = x, g = y} = N / (2 p q) runs per cell. An array
// of no runs when a column is missing, the two are one, or N / (p q) is odd.
Array doubledJoinedPair(const Array& b, int first, int second);

}  // namespace oagen
