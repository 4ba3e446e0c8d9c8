// Entry points of the response-surface designs.
#include "boundary/VORNEXDO1M.h"
#include "boundary/frame.h"
#include "classical/design_dimensions.h"
#include "classical/design_generation.h"

VX_API int32_t VX_CALL Cpp_PlanDimension(int32_t Mode, int32_t PlanID, int32_t nFac, int32_t nRes, int32_t nCenter,
                                         int32_t nRep, VARIANT_BOOL /*IsRand*/, int32_t* onplan, int32_t* opplan,
                                         int32_t* onblock) {
    return boundary::enter<int32_t>(VX_E_INTERNAL, [&](boundary::Frame&) {
        return PlanDimension(Mode, PlanID, nFac, nRes, nCenter, nRep, onplan, opplan, onblock);
    });
}

VX_API int32_t VX_CALL Cpp_PlanGenerate(int32_t Mode, int32_t PlanID, int32_t nFac, int32_t nRes, int32_t nCenter,
                                        int32_t nRep, VARIANT_BOOL IsRand, VARIANT_BOOL DoRound,
                                        VARIANT_BOOL DoOrigScale, int32_t nplan, int32_t pplan, int32_t nblock,
                                        double* MinF, double* MaxF, double* /*Step*/, double* ioplan, int32_t* ioSeed,
                                        VARIANT_BOOL iSeedInit, int32_t* oSeed) {
    return boundary::enter<int32_t>(VX_E_INTERNAL, [&](boundary::Frame& f) {
        return PlanGenerate(Mode, PlanID, nFac, nRes, nCenter, nRep, IsRand, DoRound, DoOrigScale, nplan, pplan,
                            nblock, f.copy(nFac, 1, MinF), f.copy(nFac, 1, MaxF), f.back(nplan, pplan, ioplan), ioSeed,
                            iSeedInit, oSeed);
    });
}
