// The most even split of a total over whole counts, which the sensory
// searches aim at: counts within one of each other.
#pragma once

namespace sensory {

// The least sum of squares of n whole counts summing to total (0 for no
// counts): n - e counts at total / n and e = total mod n one above it.
inline long long leastSumOfSquares(long long n, long long total) {
    if (n <= 0) return 0;
    const long long k = total / n, e = total - n * k;
    return (n - e) * k * k + e * (k + 1) * (k + 1);
}

}  // namespace sensory
