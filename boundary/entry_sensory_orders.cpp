// Entry points of the presentation orders, the resolvable arrangements and
// the reports on a finished sensory design.
#include "boundary/VORNEXDO1M.h"
#include "boundary/frame.h"
#include "sensory/order_balance.h"
#include "sensory/presentation_orders.h"
#include "sensory/quality.h"
#include "sensory/resolvable.h"

#include <climits>

namespace {
// Rows of the ANOVA table: J R NBS, or none when that overflows.
// a * b, or 0 when either is not positive or the product leaves 32 bits.
int positiveProduct(int32_t a, int32_t b) {
    const long long n = static_cast<long long>(a) * b;
    return (a > 0 && b > 0 && n <= INT_MAX) ? static_cast<int>(n) : 0;
}
int occasionColumns(int32_t width, int32_t NBS) { return positiveProduct(width, NBS); }
int observations(int32_t J, int32_t R, int32_t NBS) { return positiveProduct(positiveProduct(J, R), NBS); }
}  // namespace

VX_API void VX_CALL Cpp_GetBestRanking(int32_t iP, int32_t iR, int32_t iJ, int32_t* iJPmat, double iLambda,
                                       int32_t iter, VARIANT_BOOL iCheckJRMat, VARIANT_BOOL iTimeStop,
                                       double iMaxSeconds, int32_t* ioJRMat, int32_t* oRmat, int32_t* oSmat,
                                       double* oMDMat, double* oConcMat, int32_t* ioSeed, VARIANT_BOOL* ioSeedInit,
                                       int32_t* oSeed) {
    if (!orders::describeOrders(iP, iR, iJ)) return;  // before any array is copied
    boundary::enter([&](boundary::Frame& f) {
        GetBestRanking(iP, iR, iJ, f.copy(iJ, iP, iJPmat), iLambda, iter, iCheckJRMat, iTimeStop, iMaxSeconds,
                       f.back(iJ, iR, ioJRMat), f.back(iP, iR, oRmat), f.back(iP, orders::carryColumns(iP), oSmat),
                       f.back(2, 2, oMDMat), f.back(iP, iP, oConcMat), ioSeed, ioSeedInit, oSeed);
    });
}

VX_API void VX_CALL Cpp_RandomPerMuteRow(int32_t* ioMat1, int32_t nMat1, int32_t pMat1, int32_t* ioMat2,
                                         int32_t nMat2, int32_t pMat2, int32_t* ioSeed, VARIANT_BOOL* ioSeedInit,
                                         int32_t* oSeed) {
    boundary::enter([&](boundary::Frame& f) {
        RandomPerMuteRow(f.back(nMat1, pMat1, ioMat1), nMat1, pMat1, f.back(nMat2, pMat2, ioMat2), nMat2, pMat2,
                         ioSeed, ioSeedInit, oSeed);
    });
}

VX_API void VX_CALL Cpp_TransResolve(int32_t iJ, int32_t iP, int32_t iR, int32_t iNbIter, int32_t* ioJPMat,
                                     int32_t* ioJRMat, int32_t* oGroupeSize, VARIANT_BOOL* oResolv, int32_t* ioSeed,
                                     VARIANT_BOOL* ioSeedInit, int32_t* oSeed) {
    boundary::enter([&](boundary::Frame& f) {
        TransResolve(iJ, iP, iR, iNbIter, f.back(iJ, iP, ioJPMat), f.back(iJ, iR, ioJRMat), oGroupeSize, oResolv,
                     ioSeed, ioSeedInit, oSeed);
    });
}

VX_API void VX_CALL Cpp_FindClosestResolve(int32_t iJ, int32_t iP, int32_t iR, int32_t iNbIter, int32_t* ioJPMat,
                                           int32_t* ioJRMat, int32_t* oGroupeSize, int32_t* ioSeed,
                                           VARIANT_BOOL* ioSeedInit, int32_t* oSeed) {
    boundary::enter([&](boundary::Frame& f) {
        FindClosestResolve(iJ, iP, iR, iNbIter, f.back(iJ, iP, ioJPMat), f.back(iJ, iR, ioJRMat), oGroupeSize,
                           ioSeed, ioSeedInit, oSeed);
    });
}

VX_API void VX_CALL Cpp_FindResolvableMulti(int32_t iJ, int32_t iP, int32_t iR, int32_t NBS, int32_t* ioJRMat,
                                            int32_t* ioJPMat, int32_t GroupSize) {
    boundary::enter([&](boundary::Frame& f) {
        FindResolvableMulti(iJ, iP, iR, NBS, f.back(iJ, occasionColumns(iR, NBS), ioJRMat),
                            f.back(iJ, occasionColumns(iP, NBS), ioJPMat), GroupSize);
    });
}

VX_API void VX_CALL Cpp_ComputeQuality(int32_t iJ, int32_t iP, int32_t iR, int32_t* iJRmat, int32_t* iJPmat,
                                       int32_t* oRmat, int32_t* oSmat, double* oMDMat, double* oConcMat) {
    boundary::enter([&](boundary::Frame& f) {
        ComputeQuality(iJ, iP, iR, f.copy(iJ, iR, iJRmat), f.copy(iJ, iP, iJPmat), f.back(iP, iR, oRmat),
                       f.back(iP, orders::carryColumns(iP), oSmat), f.back(2, 2, oMDMat), f.back(iP, iP, oConcMat));
    });
}

VX_API void VX_CALL Cpp_PrepareANOVAtable(int32_t iJ, int32_t /*iP*/, int32_t iR, int32_t NBS, int32_t* iMyRanks,
                                          double* oTableOut) {
    boundary::enter([&](boundary::Frame& f) {
        PrepareANOVAtable(iJ, iR, NBS, f.copy(iJ, occasionColumns(iR, NBS), iMyRanks),
                          f.back(observations(iJ, iR, NBS), NBS > 1 ? 4 : 3, oTableOut));
    });
}
