// Entry points of the response tools.
#include "boundary/VORNEXDO1M.h"
#include "boundary/frame.h"
#include "response/desirability.h"
#include "response/plan_update.h"
#include "response/surface_table.h"

VX_API void VX_CALL Cpp_ComparePlan(int32_t nplan, int32_t pplan, int32_t nFac, double* X, double* Xbis,
                                    int32_t pxbis, BSTR* StrX, BSTR* LgNameF, BSTR* RefStr, int32_t* oChanges,
                                    VARIANT_BOOL* changes) {
    boundary::enter([&](boundary::Frame& f) {
        ComparePlan(nplan, nFac, f.back(nplan, pplan, X), f.copy(nplan, pxbis, Xbis), pxbis, f.copy(pxbis, 1, StrX),
                    f.copy(nFac, 1, LgNameF), f.copy(1, 1, RefStr), oChanges, f.backFlags(nplan, nFac + 4, changes));
    });
}

VX_API void VX_CALL Cpp_UpdatePlan(int32_t nplan, int32_t pplan, int32_t nFac, int32_t nRes, double* Y, double* X,
                                   double* Xnorm, double* MinF, double* MaxF) {
    boundary::enter([&](boundary::Frame& f) {
        UpdatePlan(nplan, nFac, nRes, f.copy(nplan, nRes, Y), f.back(nplan, pplan, X), f.back(nplan, nFac, Xnorm),
                   f.copy(nFac, 1, MinF), f.copy(nFac, 1, MaxF));
    });
}

VX_API void VX_CALL Cpp_Ymulticrit(double* Y, int32_t n, int32_t nRes, double* Goal, double* Lower,
                                   double* LeftTarget, double* RightTarget, double* Upper, VARIANT_BOOL IsSpara,
                                   VARIANT_BOOL IstPara, VARIANT_BOOL isweight, double* spara, double* tpara,
                                   double* weight, double* Yagg) {
    boundary::enter([&](boundary::Frame& f) {
        Ymulticrit(f.copy(n, nRes, Y), n, nRes, f.copy(nRes, 1, Goal), f.copy(nRes, 1, Lower),
                   f.copy(nRes, 1, LeftTarget), f.copy(nRes, 1, RightTarget), f.copy(nRes, 1, Upper), IsSpara,
                   IstPara, isweight, f.copy(nRes, 1, spara), f.copy(nRes, 1, tpara), f.copy(nRes, 1, weight),
                   f.back(n, 1, Yagg));
    });
}

VX_API void VX_CALL Cpp_SurfaceCalcTable(int32_t indMax, double* OutTable, int32_t nFac, double* MinF, double* MaxF,
                                         int32_t NbCoeff, double* Coeff, double* ominY, double* omaxY) {
    boundary::enter([&](boundary::Frame& f) {
        SurfaceCalcTable(indMax, f.back(indMax, indMax, OutTable), f.copy(nFac, 1, MinF), f.copy(nFac, 1, MaxF),
                         f.copy(NbCoeff, 1, Coeff), ominY, omaxY);
    });
}
