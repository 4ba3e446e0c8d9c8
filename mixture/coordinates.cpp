#include "mixture/coordinates.h"
#include "services/counting.h"

#include <algorithm>
#include <cmath>

namespace {

// Truncation toward zero that stays exact beyond the 32-bit range, where an
// int conversion would collapse every end to the same value. Adding 0.0
// turns the -0.0 of trunc(-0.7) into the 0 an integer conversion gives.
double truncatedTowardZero(double v) { return std::trunc(v) + 0.0; }

}  // namespace

int DOEMixRealCoord(matrix* plan, int n, int p, matrix* lower, double rab, double total) {
    if (plan == nullptr || lower == nullptr) return 0;
    const int runs = rowsHeld(plan, n);
    const int components = colsHeld(plan, p);
    for (int k : oneTo(components)) {
        const double bound = lower->vbget(k);
        for (int i : oneTo(runs)) plan->vbset(i, k, (plan->vbget(i, k) * rab + bound) * total);
    }
    return 0;
}

void AdaptMinMaxDOE(double* minValue, double* maxValue, double perc) {
    if (minValue == nullptr || maxValue == nullptr) return;
    *minValue *= *minValue < 0 ? 1 + perc : 1 - perc;
    *maxValue *= *maxValue < 0 ? 1 - perc : 1 + perc;
    if (*maxValue - *minValue > 10.0) {
        *minValue = truncatedTowardZero(*minValue);
        *maxValue = truncatedTowardZero(*maxValue + 1.0);
    }
}
