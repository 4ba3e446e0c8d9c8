// Entry point of the sensory design driver.
#include "boundary/frame.h"
#include "sensory/optimal_design.h"

static_assert(VX_SENSORY_MOST_PRODUCTS == kMostDesignProducts && VX_E_TOO_MANY_PRODUCTS == kTooManyProducts);

VX_API int32_t VX_CALL Cpp_RunGetOptimalDesign(int32_t iJ, int32_t iP, int32_t iR, int32_t iCritType,
                                               VARIANT_BOOL iUseCyclic, VARIANT_BOOL iTimeStop, double iMaxSeconds,
                                               int32_t* oJPMat, int32_t* oJRMat, double* maxcrit, double* ocrit2,
                                               VARIANT_BOOL* FoundExact, int32_t* ioSeed, VARIANT_BOOL* ioSeedInit,
                                               int32_t* oSeed) {
    return boundary::enter<int32_t>(VX_E_INTERNAL, [&](boundary::Frame& f) {
        // A shape refused or without a design allocates nothing.
        if (const int screened = ScreenDesignRequest(iJ, iP, iR, maxcrit, ocrit2); screened < 1) return screened;
        return RunGetOptimalDesign(iJ, iP, iR, iCritType, iUseCyclic, iTimeStop, iMaxSeconds, f.back(iJ, iP, oJPMat),
                                   f.back(iJ, iR, oJRMat), maxcrit, ocrit2, FoundExact, ioSeed, ioSeedInit, oSeed);
    });
}
