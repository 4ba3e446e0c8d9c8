// The searches' time budget: elapsed time is the difference of two clock
// readings in days times 100000 (not the seconds in a day), compared with
// the host's limit.
#pragma once

#include "services/clock.h"

#include <cmath>

namespace sensory {

inline double clockNow() {
    double buffer = 0.0;
    return *COleDateTimeGetCurrentTime(&buffer);
}

inline double scaledElapsedSince(double start) { return (clockNow() - start) * 100000.0; }

// Half of the host's iMaxSeconds, the budget both search phases compare
// with. A NaN or negative limit gives no time, and the limit is capped at a
// day so that no value can keep the host waiting without end.
inline double halfBudget(double iMaxSeconds) {
    constexpr double kLongestSeconds = 86400.0;
    if (!(iMaxSeconds > 0.0)) return 0.0;
    return std::fmin(iMaxSeconds, kLongestSeconds) / 2.0;
}

}  // namespace sensory
