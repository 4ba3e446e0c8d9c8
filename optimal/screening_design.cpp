#include "optimal/screening_design.h"

#include "services/run_sheet.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kScreeningMode = 1;
constexpr int kFullFactorial = 1;

// Row r holds the levels of run r - 1 written in the mixed radix of the
// level counts, least significant (factor 1) first, so past the factorial's
// size the runs start over. A level count below 1 has no digit to give and
// counts as a single level, which keeps the division defined.
void LayFullFactorial(matrix* plan, int nplan, int nFac, const matrixInt* NbCat) {
    const int rows = rowsHeld(plan, nplan);
    const int nf = runsheet::FactorsInSheet(plan, nFac);
    for (int r = 1; r <= rows; ++r) {
        int rest = r - 1;
        for (int j = 1; j <= nf; ++j) {
            const int levels = std::max(1, NbCat->vbget(j));
            plan->vbset(r, runsheet::FactorColumn(j), std::fmod(rest, levels) + 1);
            rest /= levels;
        }
    }
}

}  // namespace

int ScreeningPlanGenerate(int Mode, int PlanID, int nFac, int nRes, int nRep, short IsRand, int nplan, int pplan,
                          int nblock, matrixInt* NbCat, matrix* plan, int* ioSeed, short iSeedInit, int* oSeed) {
    if (Mode != kScreeningMode) return 0;
    if (PlanID == kFullFactorial) LayFullFactorial(plan, nplan, nFac, NbCat);
    runsheet::FinishRunSheet({plan, nplan, pplan, nblock, nFac, nRes, nRep}, IsRand, ioSeed, iSeedInit, oSeed);
    return 0;
}
