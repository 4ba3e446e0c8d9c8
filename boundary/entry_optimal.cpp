// Entry points of the optimal and screening designs.
#include "boundary/VORNEXDO1M.h"
#include "boundary/frame.h"
#include "optimal/criteria.h"
#include "optimal/optiplan_init.h"
#include "optimal/optiplan_iterate.h"
#include "optimal/screening_design.h"
#include "optimal/search_state.h"

static_assert(VX_OPTIMAL_MOST_EXCHANGE_PAIRS == optimal::kMostExchangePairs &&
              VX_OPTIMAL_MOST_SEQUENTIAL_PAIRS == optimal::kMostSequentialPairs &&
              optimal::kScanTooLarge == optimal::kImpossibleSizes);

namespace {

// A count the host derives by adding its arguments. A sum outside 0..INT32_MAX
// describes no array the host can hold, so it makes an empty container;
// narrowing a sum below INT32_MIN would wrap it to a positive count.
int32_t countOf(long long n) { return n < 0 || n > INT32_MAX ? 0 : static_cast<int32_t>(n); }

}  // namespace

VX_API int32_t VX_CALL Cpp_OptiplanInit(int32_t nbFact, int32_t* FactMod, int32_t nbRes, BSTR* Cats,
                                        BSTR* /*CatLabels*/, VARIANT_BOOL UseCategories, int32_t NbMaxCat,
                                        int32_t icode, int32_t icrit, VARIANT_BOOL accelerate, VARIANT_BOOL DoChol,
                                        int32_t nalgo, int32_t nthres, int32_t nfullplan, int32_t nPlanLine,
                                        int32_t* ioSeed, VARIANT_BOOL iSeedInit, int32_t* oSeed, BSTR* Q,
                                        double* PlanOpt, double* PlanDisp, int32_t* iopt, double* critvalopt,
                                        int32_t* nbrOpt, VARIANT_BOOL* delta, double* Vopt, double* Chol) {
    const int32_t width = countOf(4LL + nbFact + nbRes);
    return boundary::enter<int32_t>(VX_E_INTERNAL, [&](boundary::Frame& f) {
        return OptiplanInit(nbFact, f.copy(nbFact, 1, FactMod), f.copy(nbFact, NbMaxCat, Cats), UseCategories, icode,
                            icrit, accelerate, DoChol, nalgo, nthres, nfullplan, nPlanLine, ioSeed, iSeedInit, oSeed,
                            f.copy(nthres, nbFact, Q), f.back(nthres, nPlanLine, PlanOpt),
                            f.back(nthres, width, PlanDisp), f.back(nthres, 1, iopt), f.back(nthres, 1, critvalopt),
                            f.back(nthres, 1, nbrOpt), f.backFlags(nthres, 1, delta),
                            f.back(nPlanLine, nPlanLine, Vopt), f.back(nPlanLine, nPlanLine, Chol));
    });
}

VX_API int32_t VX_CALL Cpp_OptiplanIterate(int32_t nbFact, int32_t* FactMod, int32_t nbRes, int32_t icode,
                                           int32_t icrit, VARIANT_BOOL accelerate, VARIANT_BOOL DoChol, int32_t nalgo,
                                           int32_t nthres, int32_t nfullplan, int32_t nPlanLine, int32_t* /*ioSeed*/,
                                           VARIANT_BOOL /*iSeedInit*/, int32_t* /*oSeed*/, int32_t MaxIter,
                                           int32_t StartIter, double Convergence, int32_t* onbrIter,
                                           double* PlanOpt, double* PlanDisp, int32_t* iopt, double* critvalopt,
                                           int32_t* /*nbrOpt*/, VARIANT_BOOL* delta, double* Vopt, double* Chol) {
    const int32_t width = countOf(4LL + nbFact + nbRes);
    const int32_t history = countOf(1LL * MaxIter + StartIter);
    return boundary::enter<int32_t>(VX_E_INTERNAL, [&](boundary::Frame& f) {
        return OptiplanIterate(nbFact, f.copy(nbFact, 1, FactMod), icode, icrit, accelerate, DoChol, nalgo, nthres,
                               nfullplan, nPlanLine, MaxIter, StartIter, Convergence, onbrIter,
                               f.back(nthres, nPlanLine, PlanOpt), f.back(nthres, width, PlanDisp),
                               f.back(nthres, 1, iopt), f.back(history, 1, critvalopt),
                               f.backFlags(nthres, 1, delta), f.back(nPlanLine, nPlanLine, Vopt),
                               f.back(nPlanLine, nPlanLine, Chol));
    });
}

VX_API double VX_CALL Cpp_NormedDet(double Deter, int32_t n, int32_t p) { return NormedDet(Deter, n, p); }

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
