#include "classical/full_factorial.h"
#include "services/counting.h"

#include <cstdint>

namespace {
// Above this the product is handed back at once: one more level count could
// leave the 32-bit range.
constexpr int64_t kStopProduct = 214748364;

int saturate(int64_t v) {
    if (v > INT32_MAX) return INT32_MAX;
    if (v < INT32_MIN) return INT32_MIN;
    return static_cast<int>(v);
}
}  // namespace

// The level counts FactMod holds bound the loops: nbFact from the host may
// be INT32_MAX, one column of that many counts.
int GetnColPlan(int nbFact, matrixInt* FactMod) {
    int64_t columns = 1;
    for (int i : oneTo(rowsHeld(FactMod, nbFact))) columns += static_cast<int64_t>(FactMod->vbget(i)) - 1;
    return saturate(columns);
}

int GetFullPlanLines(int nbFact, matrixInt* FactMod) {
    int64_t runs = 1;
    for (int i : oneTo(rowsHeld(FactMod, nbFact))) {
        runs *= FactMod->vbget(i);
        if (runs > kStopProduct || runs < INT32_MIN) return saturate(runs);
    }
    return saturate(runs);
}
