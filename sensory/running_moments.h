// Welford's running mean and population variance, the way every sensory
// routine summarises overlap counts.
#pragma once

#include "services/matrix.h"

namespace sensory {

struct RunningMoments {
    double n = 0.0;
    double mean = 0.0;
    double m2 = 0.0;  // sum of squared deviations

    void add(double x) {
        n += 1.0;
        const double d = x - mean;
        mean += d / n;
        m2 += (1.0 - 1.0 / n) * d * d;
    }
    // Divisor n, so 0/0 (NaN) before the first value.
    double variance() const { return m2 / n; }
};

// Moments of how many of `products` (count of them, 1-based product
// numbers) each row first..last of M holds: the scalar products of those
// rows with a 0/1 row whose ones are `products`.
inline RunningMoments overlapMoments(const matrixInt* M, const int* products, int count, int first, int last) {
    RunningMoments moments;
    for (int j = first; j <= last; ++j) {
        // Wide enough for whatever values a host left in the rows.
        long long shared = 0;
        for (int k = 0; k < count; ++k) shared += M->vbget(j, products[k]);
        moments.add(static_cast<double>(shared));
    }
    return moments;
}

}  // namespace sensory
