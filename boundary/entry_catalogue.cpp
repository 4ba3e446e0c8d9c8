// Entry points of the orthogonal-array catalogue.
#include "boundary/VORNEXDO1M.h"
#include "boundary/frame.h"
#include "classical/orthogonal_search.h"

VX_API int32_t VX_CALL Cpp_PlanGetOrtho(int32_t lines, int32_t cols, int32_t TabNbr, double* ioplanList, BSTR* TabName,
                                        int32_t* oTabID) {
    return boundary::enter<int32_t>(VX_E_INTERNAL, [&](boundary::Frame& f) {
        return PlanGetOrtho(lines, TabNbr, f.back(lines, cols, ioplanList), f.back(1, 1, TabName), oTabID);
    });
}

VX_API int32_t VX_CALL Cpp_PlanSearchOrthoList(int32_t* Cats, int32_t nFac, int32_t /*minLines*/,
                                               int32_t* /*iomaxLines*/, int32_t maxList, int32_t maxScore,
                                               double* ioplanList, BSTR* TabName, int32_t* oNbrList) {
    return boundary::enter<int32_t>(VX_E_INTERNAL, [&](boundary::Frame& f) {
        return PlanSearchOrthoList(f.copy(ortho::kSearchVectorRows, 1, Cats), nFac, maxList, maxScore,
                                   f.back(maxList, ortho::kListRowColumns, ioplanList), f.back(maxList, 1, TabName),
                                   oNbrList);
    });
}

// The plan's shape comes from *iomaxLines as passed; on -2 the core writes
// nothing, so the copy-back returns the host's plan and count unchanged.
VX_API int32_t VX_CALL Cpp_PlanSearchOrtho(int32_t* Cats, int32_t nFac, int32_t /*minLines*/, int32_t* iomaxLines,
                                           int32_t* /*TabNbr*/, double* ioplan, BSTR* TabName) {
    return boundary::enter<int32_t>(VX_E_INTERNAL, [&](boundary::Frame& f) {
        const int32_t maxLines = iomaxLines != nullptr ? *iomaxLines : 0;
        return PlanSearchOrtho(f.copy(ortho::kSearchVectorRows, 1, Cats), nFac, iomaxLines,
                               f.back(maxLines, nFac, ioplan), f.back(1, 1, TabName));
    });
}
