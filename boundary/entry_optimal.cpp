// Entry points of the optimal and screening designs.
#include "boundary/VORNEXDO1M.h"
#include "boundary/frame.h"
#include "optimal/screening_design.h"

VX_API int32_t VX_CALL Cpp_ScreeningPlanGenerate(int32_t Mode, int32_t PlanID, int32_t nFac, int32_t nRes,
                                                 int32_t /*nCenter*/, int32_t nRep, VARIANT_BOOL IsRand,
                                                 int32_t nplan, int32_t pplan, int32_t nblock, int32_t* NbCat,
                                                 double* ioplan, int32_t* ioSeed, VARIANT_BOOL iSeedInit,
                                                 int32_t* oSeed) {
    return boundary::enter<int32_t>(VX_E_INTERNAL, [&](boundary::Frame& f) {
        return ScreeningPlanGenerate(Mode, PlanID, nFac, nRes, nRep, IsRand, nplan, pplan, nblock,
                                     f.copy(nFac, 1, NbCat), f.back(nplan, pplan, ioplan), ioSeed, iSeedInit, oSeed);
    });
}
