#include "classical/design_generation.h"

#include "classical/design_dimensions.h"
#include "classical/design_layouts.h"
#include "services/numeric.h"
#include "services/run_sheet.h"

#include <algorithm>

namespace {

// Lays the coded runs of one replicate; returns the centre-point count of a
// central composite design (resolved by GetnCenter), nCenter otherwise.
int LayDesign(int PlanID, int k, int nCenter, matrix* plan) {
    switch (PlanID) {
        case rsm::kFactorial3:
            rsm::LayFactorial3(plan, k);
            break;
        case rsm::kCentralComposite:
            GetnCenter(rsm::kResponseSurfaceMode, k, &nCenter);
            rsm::LayCentralComposite(plan, k);
            break;
        case rsm::kBoxBehnken:
            rsm::LayBoxBehnken(plan, k);
            break;
        case rsm::kDoehlert:
            rsm::LayDoehlert(plan, k);
            break;
        default:
            break;  // an unknown design lays no runs
    }
    return nCenter;
}

// Coded x in [-1, 1] becomes centre + half-range * x in the factor's units;
// the axial runs of a central composite design land outside [MinF, MaxF].
void ConvertToFactorScales(const runsheet::Sheet& sheet, const matrix* MinF, const matrix* MaxF, bool round) {
    const int B = runsheet::FirstReplicateRows(sheet);
    const int nf = runsheet::FactorsInSheet(sheet.plan, sheet.nFac);
    for (int f = 1; f <= nf; ++f) {
        const double halfRange = (MaxF->vbget(f) - MinF->vbget(f)) * 0.5;
        const double centre = (MinF->vbget(f) + MaxF->vbget(f)) * 0.5;
        const int column = runsheet::FactorColumn(f);
        for (int r = 1; r <= B; ++r) {
            const double v = halfRange * sheet.plan->vbget(r, column) + centre;
            sheet.plan->vbset(r, column, round ? num::Int05c(v, 0) : v);
        }
    }
}

// Column 4 marks the centre runs: all of them in a central composite design,
// the run with every factor at 0 in the three-level factorial (its middle
// row, flagged before randomisation so the flag travels with the run), the
// last run of one replicate in the other designs.
void FlagCentreRuns(const runsheet::Sheet& sheet, int PlanID, int nCenter) {
    constexpr int column = runsheet::kCentreFlagColumn;
    switch (PlanID) {
        case rsm::kCentralComposite: {
            const long long first = rsm::FirstCentralCompositeCentre(sheet.nFac);
            const long long last = std::min<long long>(first + nCenter - 1, sheet.plan->rows());
            for (long long r = std::max(first, 1LL); r <= last; ++r) sheet.plan->vbset(static_cast<int>(r), column, 1);
            break;
        }
        case rsm::kFactorial3: {
            const long long centre = rsm::Factorial3CentreRow(sheet.nFac);
            if (centre <= sheet.nblock) sheet.plan->vbset(static_cast<int>(centre), column, 1);
            break;
        }
        case rsm::kBoxBehnken:
        case rsm::kDoehlert:
            sheet.plan->vbset(sheet.nblock, column, 1);
            break;
        default:
            break;
    }
}

}  // namespace

int PlanGenerate(int Mode, int PlanID, int nFac, int nRes, int nCenter, int nRep, short IsRand, short DoRound,
                 short DoOrigScale, int nplan, int pplan, int nblock, matrix* MinF, matrix* MaxF, matrix* plan,
                 int* ioSeed, short iSeedInit, int* oSeed) {
    if (Mode != rsm::kResponseSurfaceMode) return 0;
    const runsheet::Sheet sheet{plan, nplan, pplan, nblock, nFac, nRes, nRep};
    nCenter = LayDesign(PlanID, nFac, nCenter, plan);
    if (DoOrigScale == -1) ConvertToFactorScales(sheet, MinF, MaxF, DoRound == -1);
    FlagCentreRuns(sheet, PlanID, nCenter);
    runsheet::FinishRunSheet(sheet, IsRand, ioSeed, iSeedInit, oSeed);
    return 0;
}
