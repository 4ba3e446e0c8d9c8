#include "sensory/optimal_design.h"

#include "sensory/block_criteria.h"
#include "sensory/cyclic_designs.h"
#include "sensory/design_search.h"
#include "services/numeric.h"

#include <cmath>
#include <limits>

namespace {

constexpr double kTolerance = 1e-12;

// iJ * iR, saturated to an int.
int servings(int iJ, int iR) {
    const long long n = static_cast<long long>(iJ) * iR;
    if (n > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
    if (n < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
    return static_cast<int>(n);
}

}  // namespace

void GetBestMarginals(int n, int iP, matrix* marginals) {
    if (marginals == nullptr || iP < 1) return;
    const double x = static_cast<double>(n) / iP;
    const double f = std::floor(x);
    if (std::fabs(f - x) < kTolerance) {
        for (int p = 1; p <= iP; ++p) marginals->vbset(p, f);
        return;
    }
    // f + 1 to the leading products until what is left splits evenly as f
    // over the rest.
    double left = n;
    int p = 1;
    for (; p <= iP; ++p) {
        marginals->vbset(p, f + 1);
        left -= f + 1;
        if (std::fabs(left / f - (iP - p)) < kTolerance) break;
    }
    for (++p; p <= iP; ++p) marginals->vbset(p, f);
}

int ScreenDesignRequest(int iJ, int iP, int iR, double* maxcrit, double* ocrit2) {
    if (iJ < 1 || iP < 1 || iR < 1 || iR > iP) {
        if (maxcrit != nullptr) *maxcrit = num::kNoValue;
        if (ocrit2 != nullptr) *ocrit2 = num::kNoValue;
        return 0;
    }
    return iP > kMostDesignProducts ? kTooManyProducts : 1;
}

int RunGetOptimalDesign(int iJ, int iP, int iR, int iCritType, short iUseCyclic, short iTimeStop, double iMaxSeconds,
                        matrixInt* JPMat, matrixInt* JRMat, double* maxcrit, double* ocrit2, short* FoundExact,
                        int* ioSeed, short* ioSeedInit, int* oSeed) {
    if (JPMat == nullptr || JRMat == nullptr || maxcrit == nullptr || ocrit2 == nullptr || FoundExact == nullptr ||
        ioSeed == nullptr || ioSeedInit == nullptr || oSeed == nullptr)
        return 0;
    if (const int screened = ScreenDesignRequest(iJ, iP, iR, maxcrit, ocrit2); screened < 1) return screened;
    matrix marginals(iP, 1, 0.0);
    if (iUseCyclic == -1) {
        GenerateBasicCyclicDesigns(iCritType, iJ, iP, iR, JPMat, JRMat, maxcrit, ioSeed, ioSeedInit, oSeed);
    } else {
        GetBestMarginals(servings(iJ, iR), iP, &marginals);
        if (sensory::IsCriterionType(iCritType))
            GetJPMatForMarg(iJ, iP, iR, iCritType, iTimeStop, iMaxSeconds, &marginals, JPMat, maxcrit, FoundExact,
                            ioSeed, ioSeedInit, oSeed);
    }
    // The other criterion, scaled by the design's own replications: the fill
    // over distinct blocks need not follow the target marginals.
    *ocrit2 = sensory::DesignScorer().score(iCritType == sensory::kDType ? sensory::kAType : sensory::kDType, JPMat, iJ, iP, iR);
    return 0;
}
