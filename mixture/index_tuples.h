// Increasing index tuples i1 < i2 < ... < ik drawn from 1..n, visited in
// lexicographic order: (1, 2), (1, 3), ..., (1, n), (2, 3), ..., (n-1, n).
// Both the centroid blends and the model terms run over them in this order.
#pragma once

#include <vector>

namespace mixture {

// The first tuple (1, 2, ..., k); empty when k < 1 or k > n, so a caller
// can test for "no tuple of this size" before looping.
std::vector<int> firstIncreasingTuple(int k, int n);

// Advances `tuple` to the next one in lexicographic order. Returns false,
// leaving the tuple unspecified, after the last one (n-k+1, ..., n).
bool nextIncreasingTuple(std::vector<int>& tuple, int n);

}  // namespace mixture
