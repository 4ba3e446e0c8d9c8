// Entry points of the full-factorial counts.
#include "boundary/VORNEXDO1M.h"
#include "boundary/frame.h"
#include "classical/full_factorial.h"

VX_API int32_t VX_CALL Cpp_GetnColPlan(int32_t nbFact, int32_t* FactMod) {
    return boundary::enter<int32_t>(VX_E_INTERNAL, [&](boundary::Frame& f) {
        return GetnColPlan(nbFact, f.copy(nbFact, 1, FactMod));
    });
}

VX_API int32_t VX_CALL Cpp_GetFullPlanLines(int32_t nbFact, int32_t* FactMod) {
    return boundary::enter<int32_t>(VX_E_INTERNAL, [&](boundary::Frame& f) {
        return GetFullPlanLines(nbFact, f.copy(nbFact, 1, FactMod));
    });
}
