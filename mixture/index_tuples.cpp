#include "mixture/index_tuples.h"

namespace mixture {

std::vector<int> firstIncreasingTuple(int k, int n) {
    if (k < 1 || k > n) return {};
    std::vector<int> tuple(static_cast<std::size_t>(k));
    for (int t = 0; t < k; ++t) tuple[static_cast<std::size_t>(t)] = t + 1;
    return tuple;
}

bool nextIncreasingTuple(std::vector<int>& tuple, int n) {
    const int k = static_cast<int>(tuple.size());
    // The rightmost position that can still move up: position t (0-based)
    // can hold at most n - k + t + 1.
    int t = k - 1;
    while (t >= 0 && tuple[static_cast<std::size_t>(t)] == n - k + t + 1) --t;
    if (t < 0) return false;
    ++tuple[static_cast<std::size_t>(t)];
    for (int u = t + 1; u < k; ++u) tuple[static_cast<std::size_t>(u)] = tuple[static_cast<std::size_t>(u - 1)] + 1;
    return true;
}

}  // namespace mixture
