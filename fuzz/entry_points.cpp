#include "fuzz/entry_points.h"

#include "boundary/VORNEXDO1M.h"
#include "fuzz/call_arena.h"

#include <algorithm>
#include <initializer_list>
#include <string>

namespace vxfuzz {

// ----- entry points not declared by every branch's header yet ---------------------------------
// Written from the signature table; a missing symbol is simply skipped.
using VB = VARIANT_BOOL;
using OptiplanInitFn = int32_t(VX_CALL*)(int32_t, int32_t*, int32_t, BSTR*, BSTR*, VB, int32_t, int32_t, int32_t, VB,
                                         VB, int32_t, int32_t, int32_t, int32_t, int32_t*, VB, int32_t*, BSTR*,
                                         double*, double*, int32_t*, double*, int32_t*, VB*, double*, double*);
using OptiplanIterateFn = int32_t(VX_CALL*)(int32_t, int32_t*, int32_t, int32_t, int32_t, VB, VB, int32_t, int32_t,
                                            int32_t, int32_t, int32_t*, VB, int32_t*, int32_t, int32_t, double,
                                            int32_t*, double*, double*, int32_t*, double*, int32_t*, VB*, double*,
                                            double*);
using NormedDetFn = double(VX_CALL*)(double, int32_t, int32_t);
using RunGetOptimalDesignFn = int32_t(VX_CALL*)(int32_t, int32_t, int32_t, int32_t, VB, VB, double, int32_t*,
                                                int32_t*, double*, double*, VB*, int32_t*, VB*, int32_t*);
using GetBestRankingFn = void(VX_CALL*)(int32_t, int32_t, int32_t, int32_t*, double, int32_t, VB, VB, double,
                                        int32_t*, int32_t*, int32_t*, double*, double*, int32_t*, VB*, int32_t*);
using RandomPerMuteRowFn = void(VX_CALL*)(int32_t*, int32_t, int32_t, int32_t*, int32_t, int32_t, int32_t*, VB*,
                                          int32_t*);
using TransResolveFn = void(VX_CALL*)(int32_t, int32_t, int32_t, int32_t, int32_t*, int32_t*, int32_t*, VB*,
                                      int32_t*, VB*, int32_t*);
using FindClosestResolveFn = void(VX_CALL*)(int32_t, int32_t, int32_t, int32_t, int32_t*, int32_t*, int32_t*,
                                            int32_t*, VB*, int32_t*);
using PrepareANOVAtableFn = void(VX_CALL*)(int32_t, int32_t, int32_t, int32_t, int32_t*, double*);
using FindResolvableMultiFn = void(VX_CALL*)(int32_t, int32_t, int32_t, int32_t, int32_t*, int32_t*, int32_t);
using ComputeQualityFn = void(VX_CALL*)(int32_t, int32_t, int32_t, int32_t*, int32_t*, int32_t*, int32_t*, double*,
                                        double*);

namespace {

// ----- budget ----------------------------------------------------------------------------------

constexpr int64_t kMaxArray = 1 << 18;  // elements of one array
constexpr int64_t kMaxTotal = 1 << 20;  // elements of all arrays of a call

// Calls that ask for more than this are not made (counted as skipped): the
// arrays a host could hold, and the work the caller asked for. A call whose
// arrays hold no cell at all is made whatever its counts ask: a huge count
// beside a zero (INT32_MAX judges of no rank) describes no work, and the
// library must see that and return at once.
class Budget {
public:
    Budget& arrays(std::initializer_list<int64_t> sizes) {
        for (int64_t s : sizes) {
            if (s > 0) cells_ = true;
            if (s > kMaxArray) tooLarge_ = true;
            if (tooLarge_) break;  // the sum of huge sizes would overflow
            total_ += s;
            tooLarge_ = total_ > kMaxTotal;
        }
        return *this;
    }
    Budget& atMost(int64_t value, int64_t cap) {
        if (value > cap) tooMuchWork_ = true;
        return *this;
    }
    bool over() const { return tooLarge_ || (tooMuchWork_ && cells_); }

private:
    int64_t total_ = 0;
    bool cells_ = false;
    bool tooLarge_ = false;
    bool tooMuchWork_ = false;
};

template <class F>
F as(void* fn) {
    return reinterpret_cast<F>(fn);
}

// VX_E_INTERNAL is documented too, for memory exhausted; within the budget
// it can only mean an exception reached the frame, which is a fault.
void expectCode(const char* entry, int32_t result, std::initializer_list<int32_t> documented) {
    if (result == VX_E_INTERNAL) fail(entry, "returned VX_E_INTERNAL: an exception reached the frame");
    if (std::find(documented.begin(), documented.end(), result) == documented.end())
        fail(entry, "returned the undocumented code " + std::to_string(result));
}

// Realistic sizes now and then: the host sizes the next call's arrays from
// the sizing entry point, which reaches the deeper code paths.
bool sizedByLibrary(Input& in) { return in.byte() < 96; }

// ===== Classical designs =====================================================================

Outcome PlanGetOrtho(Input& in, void* fn) {
    const int32_t lines = in.count(), cols = in.count();
    const int32_t TabNbr = in.byte() < 200 ? in.small(393) : in.integer(IntKind::any);
    if (Budget().arrays({elements(lines, cols)}).over()) return Outcome::skipped;
    CallArena a("Cpp_PlanGetOrtho", in);
    double* plan = a.doubles(elements(lines, cols), Use::written);
    BSTR* name = a.strings(1, Use::written);
    const int32_t r = as<decltype(&Cpp_PlanGetOrtho)>(fn)(lines, cols, TabNbr, plan, name, a.intOut());
    expectCode("Cpp_PlanGetOrtho", r, {0, -1, -2});
    a.verify();
    return Outcome::called;
}

Outcome PlanSearchOrthoList(Input& in, void* fn) {
    const int32_t nFac = in.count(), minLines = in.count(), maxList = in.count(), maxScore = in.integer(IntKind::level);
    if (Budget().arrays({elements(maxList, 11), maxList}).over()) return Outcome::skipped;
    CallArena a("Cpp_PlanSearchOrthoList", in);
    int32_t* cats = a.ints(9, Use::copied);
    const int32_t r = as<decltype(&Cpp_PlanSearchOrthoList)>(fn)(
        cats, nFac, minLines, a.intOut(), maxList, maxScore, a.doubles(elements(maxList, 11), Use::written),
        a.strings(elements(maxList, 1), Use::written), a.intOut());
    expectCode("Cpp_PlanSearchOrthoList", r, {0, -1});
    a.verify();
    return Outcome::called;
}

Outcome PlanSearchOrtho(Input& in, void* fn) {
    const int32_t nFac = in.count(), minLines = in.count(), maxLines = in.count();
    if (Budget().arrays({elements(maxLines, nFac)}).over()) return Outcome::skipped;
    CallArena a("Cpp_PlanSearchOrtho", in);
    int32_t* cats = a.ints(9, Use::copied);
    int32_t* iomaxLines = a.intOut();
    *iomaxLines = maxLines;
    const int32_t r = as<decltype(&Cpp_PlanSearchOrtho)>(fn)(cats, nFac, minLines, iomaxLines, a.intOut(),
                                                             a.doubles(elements(maxLines, nFac), Use::written),
                                                             a.strings(1, Use::written));
    expectCode("Cpp_PlanSearchOrtho", r, {0, -1, -2});
    a.verify();
    return Outcome::called;
}

struct DesignArgs {
    int32_t Mode, PlanID, nFac, nRes, nCenter, nRep;
};

DesignArgs designArgs(Input& in) {
    DesignArgs d{};
    d.Mode = in.byte() < 180 ? 2 : in.integer(IntKind::level);
    d.PlanID = in.integer(IntKind::level);
    d.nFac = in.count();
    d.nRes = in.count();
    d.nCenter = in.count();
    d.nRep = in.count();
    return d;
}

// A run sheet's response cells hold the no-value constant until measured;
// the factor cells are arithmetic on the caller's ranges and may come
// anywhere near it.
void verifyResponseColumns(const CallArena& a, const double* plan, int32_t nplan, int32_t pplan, int32_t nFac) {
    a.verifyMarkedColumns(plan, std::max(nplan, 0), int64_t{5} + std::max(nFac, 0), pplan);
}

Outcome PlanDimension(Input& in, void* fn) {
    const DesignArgs d = designArgs(in);
    CallArena a("Cpp_PlanDimension", in);
    const int32_t r = as<decltype(&Cpp_PlanDimension)>(fn)(d.Mode, d.PlanID, d.nFac, d.nRes, d.nCenter, d.nRep,
                                                           in.flag(), a.intOut(), a.intOut(), a.intOut());
    expectCode("Cpp_PlanDimension", r, {0});
    a.verify();
    return Outcome::called;
}

Outcome PlanGenerate(Input& in, void* fn) {
    const DesignArgs d = designArgs(in);
    int32_t nplan = in.count(), pplan = in.count(), nblock = in.count();
    if (sizedByLibrary(in)) {
        if (auto* size = as<decltype(&Cpp_PlanDimension)>(LookUp("Cpp_PlanDimension")))
            size(d.Mode, d.PlanID, d.nFac, d.nRes, d.nCenter, d.nRep, 0, &nplan, &pplan, &nblock);
    }
    if (Budget().arrays({elements(nplan, pplan), elements(elements(d.nFac, 1), 3)}).over()) return Outcome::skipped;
    const VB IsRand = in.flag(), DoRound = in.flag(), DoOrigScale = in.flag(), iSeedInit = in.flag();
    CallArena a("Cpp_PlanGenerate", in);
    double* MinF = a.doubles(elements(d.nFac, 1), Use::copied);
    double* MaxF = a.doubles(elements(d.nFac, 1), Use::copied);
    double* Step = a.doubles(elements(d.nFac, 1), Use::copied);
    double* plan = a.doubles(elements(nplan, pplan), Use::written);
    const int32_t r = as<decltype(&Cpp_PlanGenerate)>(fn)(d.Mode, d.PlanID, d.nFac, d.nRes, d.nCenter, d.nRep, IsRand,
                                                          DoRound, DoOrigScale, nplan, pplan, nblock, MinF, MaxF,
                                                          Step, plan, a.seedOut(), iSeedInit, a.seedOut());
    expectCode("Cpp_PlanGenerate", r, {0});
    a.verify();
    verifyResponseColumns(a, plan, nplan, pplan, d.nFac);
    return Outcome::called;
}

template <class F>
Outcome FactorCount(Input& in, void* fn, const char* entry) {
    const int32_t nbFact = in.count();
    if (Budget().arrays({elements(nbFact, 1)}).over()) return Outcome::skipped;
    CallArena a(entry, in);
    as<F>(fn)(nbFact, a.ints(elements(nbFact, 1), Use::copied));
    a.verify();
    return Outcome::called;
}

Outcome GetnColPlan(Input& in, void* fn) {
    return FactorCount<decltype(&Cpp_GetnColPlan)>(in, fn, "Cpp_GetnColPlan");
}
Outcome GetFullPlanLines(Input& in, void* fn) {
    return FactorCount<decltype(&Cpp_GetFullPlanLines)>(in, fn, "Cpp_GetFullPlanLines");
}

// ===== Optimal designs =======================================================================

// Work caps of the exchange algorithms: candidates scanned per run, model
// columns, runs and iterations.
constexpr int64_t kMaxCandidates = 4096;
constexpr int64_t kMaxModelColumns = 48;
constexpr int64_t kMaxRuns = 160;
constexpr int64_t kMaxIterations = 40;
constexpr int64_t kMaxExchangeWork = 20'000'000;  // runs x candidates x columns^2

struct OptimalArgs {
    int32_t nbFact, nbRes, icode, icrit, nalgo, nthres, nfullplan, nPlanLine;
    VB accelerate, DoChol;
};

OptimalArgs optimalArgs(Input& in) {
    OptimalArgs o{};
    o.nbFact = in.count();
    o.nbRes = in.count();
    o.icode = in.integer(IntKind::level);
    o.icrit = in.integer(IntKind::level);
    o.nalgo = in.byte() < 128 ? 10 + in.small(3) : in.integer(IntKind::level);
    o.nthres = in.count();
    o.nfullplan = in.count();
    o.nPlanLine = in.count();
    o.accelerate = in.flag();
    o.DoChol = in.flag();
    return o;
}

// The level counts, and now and then the candidate and model-column counts
// the host would derive from them.
int32_t* levels(Input& in, CallArena& a, OptimalArgs& o) {
    int32_t* FactMod = a.ints(elements(o.nbFact, 1), Use::copied);
    if (sizedByLibrary(in)) {
        if (auto* lines = as<decltype(&Cpp_GetFullPlanLines)>(LookUp("Cpp_GetFullPlanLines")))
            o.nfullplan = lines(o.nbFact, FactMod);
        if (auto* cols = as<decltype(&Cpp_GetnColPlan)>(LookUp("Cpp_GetnColPlan"))) o.nPlanLine = cols(o.nbFact, FactMod);
    }
    return FactMod;
}

Budget optimalBudget(const OptimalArgs& o) {
    Budget b;
    b.arrays({o.nbFact, elements(o.nthres, o.nPlanLine), elements(o.nthres, int64_t{o.nbFact} + o.nbRes + 4),
              elements(elements(o.nthres, 1), 5), elements(elements(o.nPlanLine, o.nPlanLine), 2)})
        .atMost(o.nfullplan, kMaxCandidates)
        .atMost(o.nPlanLine, kMaxModelColumns)
        .atMost(o.nthres, kMaxRuns)
        .atMost(elements(elements(std::max(o.nthres, 1), std::max(o.nfullplan, 1)),
                         elements(o.nPlanLine, o.nPlanLine)),
                kMaxExchangeWork);
    return b;
}

Outcome OptiplanInit(Input& in, void* fn) {
    OptimalArgs o = optimalArgs(in);
    if (o.nbFact > kMaxArray) return Outcome::skipped;
    CallArena a("Cpp_OptiplanInit", in);
    int32_t* FactMod = levels(in, a, o);
    const int32_t NbMaxCat = in.count();
    if (optimalBudget(o).arrays({elements(elements(o.nbFact, NbMaxCat), 2), elements(o.nthres, o.nbFact)}).over())
        return Outcome::skipped;
    BSTR* Cats = a.strings(elements(o.nbFact, NbMaxCat), Use::copied);
    BSTR* CatLabels = a.strings(elements(o.nbFact, NbMaxCat), Use::copied);
    const VB UseCategories = in.flag(), iSeedInit = in.flag();
    const int64_t N = elements(o.nthres, 1);
    const int32_t r = as<OptiplanInitFn>(fn)(
        o.nbFact, FactMod, o.nbRes, Cats, CatLabels, UseCategories, NbMaxCat, o.icode, o.icrit, o.accelerate,
        o.DoChol, o.nalgo, o.nthres, o.nfullplan, o.nPlanLine, a.seedOut(), iSeedInit, a.seedOut(),
        a.strings(elements(o.nthres, o.nbFact), Use::copied), a.doubles(elements(o.nthres, o.nPlanLine), Use::written),
        a.doubles(elements(o.nthres, int64_t{o.nbFact} + o.nbRes + 4), Use::written), a.ints(N, Use::written),
        a.doubles(N, Use::marked), a.ints(N, Use::written), a.flags(N),
        a.doubles(elements(o.nPlanLine, o.nPlanLine), Use::written),
        a.doubles(elements(o.nPlanLine, o.nPlanLine), Use::written));
    expectCode("Cpp_OptiplanInit", r, {0, -1, -2});
    a.verify();
    return Outcome::called;
}

Outcome OptiplanIterate(Input& in, void* fn) {
    OptimalArgs o = optimalArgs(in);
    if (o.nbFact > kMaxArray) return Outcome::skipped;
    CallArena a("Cpp_OptiplanIterate", in);
    int32_t* FactMod = levels(in, a, o);
    const int32_t MaxIter = in.count(), StartIter = in.count();
    const double Convergence = in.real();
    const int64_t history = elements(int64_t{MaxIter} + StartIter, 1);
    if (optimalBudget(o).arrays({history}).atMost(MaxIter, kMaxIterations).over()) return Outcome::skipped;
    const VB iSeedInit = in.flag();
    const int64_t N = elements(o.nthres, 1);
    const int32_t r = as<OptiplanIterateFn>(fn)(
        o.nbFact, FactMod, o.nbRes, o.icode, o.icrit, o.accelerate, o.DoChol, o.nalgo, o.nthres, o.nfullplan,
        o.nPlanLine, a.seedOut(), iSeedInit, a.seedOut(), MaxIter, StartIter, Convergence, a.intOut(),
        a.doubles(elements(o.nthres, o.nPlanLine), Use::written),
        a.doubles(elements(o.nthres, int64_t{o.nbFact} + o.nbRes + 4), Use::written), a.ints(N, Use::written),
        a.doubles(history, Use::marked), a.ints(N, Use::copied), a.flags(N),
        a.doubles(elements(o.nPlanLine, o.nPlanLine), Use::written),
        a.doubles(elements(o.nPlanLine, o.nPlanLine), Use::written));
    expectCode("Cpp_OptiplanIterate", r, {0});
    a.verify();
    return Outcome::called;
}

Outcome NormedDet(Input& in, void* fn) {
    CallArena a("Cpp_NormedDet", in);
    const double Deter = *a.doubles(1, Use::copied);  // held by the arena: a result equal to it is no mangling
    const int32_t n = in.count(), p = in.count();
    const double normed = as<NormedDetFn>(fn)(Deter, n, p);
    // The constant in gives the constant out. Any other Deter is plain
    // arithmetic, (Deter - log10(n^p)) / p, which lands next to the constant
    // from DBL_MAX and p = -1 without mangling anything.
    if (Deter == VX_NO_VALUE) a.verifyNoValue(normed, "the result");
    return Outcome::called;
}

Outcome ScreeningPlanGenerate(Input& in, void* fn) {
    const DesignArgs d = designArgs(in);
    const int32_t nplan = in.count(), pplan = in.count(), nblock = in.count();
    if (Budget().arrays({elements(nplan, pplan), elements(d.nFac, 1)}).over()) return Outcome::skipped;
    const VB IsRand = in.flag(), iSeedInit = in.flag();
    CallArena a("Cpp_ScreeningPlanGenerate", in);
    int32_t* NbCat = a.ints(elements(d.nFac, 1), Use::copied);
    double* plan = a.doubles(elements(nplan, pplan), Use::written);
    const int32_t r = as<decltype(&Cpp_ScreeningPlanGenerate)>(fn)(
        d.Mode == 2 ? 1 : d.Mode, d.PlanID, d.nFac, d.nRes, d.nCenter, d.nRep, IsRand, nplan, pplan, nblock, NbCat,
        plan, a.seedOut(), iSeedInit, a.seedOut());
    expectCode("Cpp_ScreeningPlanGenerate", r, {0});
    a.verify();
    verifyResponseColumns(a, plan, nplan, pplan, d.nFac);
    return Outcome::called;
}

// ===== Response tools ========================================================================

Outcome ComparePlan(Input& in, void* fn) {
    const int32_t nplan = in.count(), pplan = in.count(), nFac = in.count(), pxbis = in.count();
    const int64_t flagCols = int64_t{nFac} + 4;
    if (Budget()
            .arrays({elements(nplan, pplan), elements(nplan, pxbis), elements(pxbis, 1), elements(nFac, 1),
                     elements(nplan, flagCols)})
            .over())
        return Outcome::skipped;
    CallArena a("Cpp_ComparePlan", in);
    double* X = a.doubles(elements(nplan, pplan), Use::written);
    double* Xbis = a.doubles(elements(nplan, pxbis), Use::copied);
    BSTR* StrX = a.strings(elements(pxbis, 1), Use::copied);
    BSTR* LgNameF = a.strings(elements(nFac, 1), Use::copied);
    BSTR* RefStr = a.strings(1, Use::copied);
    int32_t* oChanges = a.intOut();
    as<decltype(&Cpp_ComparePlan)>(fn)(nplan, pplan, nFac, X, Xbis, pxbis, StrX, LgNameF, RefStr, oChanges,
                                       a.flags(elements(nplan, flagCols)));
    const bool missingFactor = *oChanges < 0 && *oChanges >= -std::max(nFac, 0);
    if (!missingFactor) expectCode("Cpp_ComparePlan (*oChanges)", *oChanges, {3, 4, 5, -10});
    a.verify();
    return Outcome::called;
}

Outcome UpdatePlan(Input& in, void* fn) {
    const int32_t nplan = in.count(), pplan = in.count(), nFac = in.count(), nRes = in.count();
    if (Budget()
            .arrays({elements(nplan, nRes), elements(nplan, pplan), elements(nplan, nFac), elements(elements(nFac, 1), 2)})
            .over())
        return Outcome::skipped;
    CallArena a("Cpp_UpdatePlan", in);
    as<decltype(&Cpp_UpdatePlan)>(fn)(nplan, pplan, nFac, nRes, a.doubles(elements(nplan, nRes), Use::copied),
                                      a.doubles(elements(nplan, pplan), Use::written),
                                      a.doubles(elements(nplan, nFac), Use::written),
                                      a.doubles(elements(nFac, 1), Use::copied),
                                      a.doubles(elements(nFac, 1), Use::copied));
    a.verify();
    return Outcome::called;
}

Outcome Ymulticrit(Input& in, void* fn) {
    const int32_t n = in.count(), nRes = in.count();
    const int64_t k = elements(nRes, 1);
    if (Budget().arrays({elements(n, nRes), elements(k, 8), elements(n, 1)}).over()) return Outcome::skipped;
    const VB IsSpara = in.flag(), IstPara = in.flag(), isweight = in.flag();
    CallArena a("Cpp_Ymulticrit", in);
    double* Y = a.doubles(elements(n, nRes), Use::copied);
    double* Goal = a.doubles(k, Use::copied);
    double* Lower = a.doubles(k, Use::copied);
    double* LeftTarget = a.doubles(k, Use::copied);
    double* RightTarget = a.doubles(k, Use::copied);
    double* Upper = a.doubles(k, Use::copied);
    double* spara = a.doubles(k, Use::copied);
    double* tpara = a.doubles(k, Use::copied);
    double* weight = a.doubles(k, Use::copied);
    as<decltype(&Cpp_Ymulticrit)>(fn)(Y, n, nRes, Goal, Lower, LeftTarget, RightTarget, Upper, IsSpara, IstPara,
                                      isweight, spara, tpara, weight, a.doubles(elements(n, 1), Use::written));
    a.verify();
    return Outcome::called;
}

Outcome SurfaceCalcTable(Input& in, void* fn) {
    const int32_t indMax = in.count(), nFac = in.count(), NbCoeff = in.count();
    if (Budget().arrays({elements(indMax, indMax), elements(elements(nFac, 1), 2), elements(NbCoeff, 1)}).over())
        return Outcome::skipped;
    CallArena a("Cpp_SurfaceCalcTable", in);
    double* table = a.doubles(elements(indMax, indMax), Use::written);
    double* ominY = a.doubleOut();
    double* omaxY = a.doubleOut();
    as<decltype(&Cpp_SurfaceCalcTable)>(fn)(indMax, table, nFac, a.doubles(elements(nFac, 1), Use::copied),
                                            a.doubles(elements(nFac, 1), Use::copied), NbCoeff,
                                            a.doubles(elements(NbCoeff, 1), Use::copied), ominY, omaxY);
    a.verify();
    // The corner cell holds no value; without a grid point neither does the maximum.
    if (indMax >= 1) a.verifyNoValue(table[0], "the corner cell");
    if (indMax <= 1) a.verifyNoValue(*omaxY, "*omaxY without a grid point");
    return Outcome::called;
}

// ===== Sensory designs =======================================================================

// Judges, products, ranks and sessions kept small: the searches are
// combinatorial in them.
constexpr int64_t kMaxJudges = 96;
constexpr int64_t kMaxProducts = 24;
constexpr int64_t kMaxSessions = 8;
constexpr int64_t kMaxSensoryIterations = 200;

struct Panel {
    int32_t iJ, iP, iR;
};

Panel panel(Input& in) { return Panel{in.count(), in.count(), in.count()}; }

Budget panelBudget(const Panel& p) {
    Budget b;
    b.atMost(p.iJ, kMaxJudges).atMost(p.iP, kMaxProducts).atMost(p.iR, kMaxProducts);
    return b;
}

// A judge x product incidence of 0/1 mostly, hostile now and then.
int32_t* incidence(CallArena& a, Input& in, int64_t n, Use use) {
    return a.ints(n, use, in.byte() < 200 ? IntKind::count : IntKind::level);
}

// The design and order searches bound their own work, so their calls are
// made whatever their scalars ask; only arrays past this memory are not
// laid out (a host of that size is not made here).
constexpr int64_t kMaxSearchArray = 1 << 23;
constexpr int64_t kMaxSearchTotal = 1 << 24;

bool searchArraysOver(std::initializer_list<int64_t> sizes) {
    int64_t total = 0;
    for (int64_t s : sizes) {
        if (s > kMaxSearchArray) return true;
        total += s;
    }
    return total > kMaxSearchTotal;
}

Outcome RunGetOptimalDesign(Input& in, void* fn) {
    const Panel p = panel(in);
    const int32_t iCritType = in.integer(IntKind::level);
    const VB iUseCyclic = in.flag(), iTimeStop = in.flag();
    const double iMaxSeconds = in.seconds();
    if (searchArraysOver({elements(p.iJ, p.iP), elements(p.iJ, p.iR)})) return Outcome::skipped;
    CallArena a("Cpp_RunGetOptimalDesign", in);
    const int32_t r = as<RunGetOptimalDesignFn>(fn)(
        p.iJ, p.iP, p.iR, iCritType, iUseCyclic, iTimeStop, iMaxSeconds, a.ints(elements(p.iJ, p.iP), Use::written),
        a.ints(elements(p.iJ, p.iR), Use::written), a.doubleOut(Use::marked), a.doubleOut(Use::marked), a.flagOut(), a.seedOut(),
        a.flagOut(), a.seedOut());
    expectCode("Cpp_RunGetOptimalDesign", r, {0, VX_E_TOO_MANY_PRODUCTS});
    a.verify();
    return Outcome::called;
}

Outcome GetBestRanking(Input& in, void* fn) {
    const Panel p = panel(in);
    const double iLambda = in.real();
    const int32_t iter = in.count();
    const VB iCheckJRMat = in.flag(), iTimeStop = in.flag();
    const double iMaxSeconds = in.seconds();
    if (searchArraysOver({elements(p.iJ, p.iP), elements(p.iJ, p.iR), elements(p.iP, p.iR),
                          elements(p.iP, int64_t{p.iP} + 1), elements(p.iP, p.iP)}))
        return Outcome::skipped;
    CallArena a("Cpp_GetBestRanking", in);
    as<GetBestRankingFn>(fn)(p.iP, p.iR, p.iJ, incidence(a, in, elements(p.iJ, p.iP), Use::copied), iLambda, iter,
                             iCheckJRMat, iTimeStop, iMaxSeconds, a.ints(elements(p.iJ, p.iR), Use::written),
                             a.ints(elements(p.iP, p.iR), Use::written),
                             a.ints(elements(p.iP, int64_t{p.iP} + 1), Use::written), a.doubles(4, Use::marked),
                             a.doubles(elements(p.iP, p.iP), Use::marked), a.seedOut(), a.flagOut(), a.seedOut());
    a.verify();
    return Outcome::called;
}

Outcome RandomPerMuteRow(Input& in, void* fn) {
    const int32_t n1 = in.count(), p1 = in.count(), n2 = in.count(), p2 = in.count();
    if (Budget().arrays({elements(n1, p1), elements(n2, p2)}).over()) return Outcome::skipped;
    CallArena a("Cpp_RandomPerMuteRow", in);
    as<RandomPerMuteRowFn>(fn)(a.ints(elements(n1, p1), Use::written), n1, p1, a.ints(elements(n2, p2), Use::written),
                               n2, p2, a.seedOut(), a.flagOut(), a.seedOut());
    a.verify();
    return Outcome::called;
}

template <bool WithResolvFlag>
Outcome Resolve(Input& in, void* fn, const char* entry) {
    const Panel p = panel(in);
    const int32_t iNbIter = in.count();
    if (panelBudget(p)
            .atMost(iNbIter, kMaxSensoryIterations)
            .arrays({elements(p.iJ, p.iP), elements(p.iJ, p.iR)})
            .over())
        return Outcome::skipped;
    CallArena a(entry, in);
    int32_t* JP = incidence(a, in, elements(p.iJ, p.iP), Use::written);
    int32_t* JR = a.ints(elements(p.iJ, p.iR), Use::written);
    if constexpr (WithResolvFlag)
        as<TransResolveFn>(fn)(p.iJ, p.iP, p.iR, iNbIter, JP, JR, a.intOut(), a.flagOut(), a.seedOut(), a.flagOut(),
                               a.seedOut());
    else
        as<FindClosestResolveFn>(fn)(p.iJ, p.iP, p.iR, iNbIter, JP, JR, a.intOut(), a.seedOut(), a.flagOut(),
                                     a.seedOut());
    a.verify();
    return Outcome::called;
}

Outcome TransResolve(Input& in, void* fn) { return Resolve<true>(in, fn, "Cpp_TransResolve"); }
Outcome FindClosestResolve(Input& in, void* fn) { return Resolve<false>(in, fn, "Cpp_FindClosestResolve"); }

Outcome PrepareANOVAtable(Input& in, void* fn) {
    const Panel p = panel(in);
    const int32_t NBS = in.count();
    const int64_t tableRows = elements(elements(p.iJ, p.iR), NBS);
    const int64_t ranks = elements(p.iJ, elements(p.iR, NBS));
    if (Budget().atMost(NBS, kMaxSessions).arrays({ranks, elements(tableRows, 4)}).over()) return Outcome::skipped;
    CallArena a("Cpp_PrepareANOVAtable", in);
    as<PrepareANOVAtableFn>(fn)(p.iJ, p.iP, p.iR, NBS, a.ints(ranks, Use::copied),
                                a.doubles(elements(tableRows, NBS > 1 ? 4 : 3), Use::marked));
    a.verify();
    return Outcome::called;
}

Outcome FindResolvableMulti(Input& in, void* fn) {
    const Panel p = panel(in);
    const int32_t NBS = in.count(), GroupSize = in.count();
    const int64_t jr = elements(p.iJ, elements(p.iR, NBS)), jp = elements(p.iJ, elements(p.iP, NBS));
    if (panelBudget(p).atMost(NBS, kMaxSessions).arrays({jr, jp}).over()) return Outcome::skipped;
    CallArena a("Cpp_FindResolvableMulti", in);
    int32_t* JR = a.ints(jr, Use::written);
    as<FindResolvableMultiFn>(fn)(p.iJ, p.iP, p.iR, NBS, JR, incidence(a, in, jp, Use::written), GroupSize);
    a.verify();
    return Outcome::called;
}

Outcome ComputeQuality(Input& in, void* fn) {
    const Panel p = panel(in);
    if (panelBudget(p)
            .arrays({elements(p.iJ, p.iR), elements(p.iJ, p.iP), elements(p.iP, p.iR), elements(p.iP, int64_t{p.iP} + 1),
                     elements(p.iP, p.iP)})
            .over())
        return Outcome::skipped;
    CallArena a("Cpp_ComputeQuality", in);
    int32_t* JR = a.ints(elements(p.iJ, p.iR), Use::copied);
    as<ComputeQualityFn>(fn)(p.iJ, p.iP, p.iR, JR, incidence(a, in, elements(p.iJ, p.iP), Use::copied),
                             a.ints(elements(p.iP, p.iR), Use::written),
                             a.ints(elements(p.iP, int64_t{p.iP} + 1), Use::written), a.doubles(4, Use::marked),
                             a.doubles(elements(p.iP, p.iP), Use::marked));
    a.verify();
    return Outcome::called;
}

// ===== Mixture designs =======================================================================

struct MixtureModel {
    int32_t ipX, inX, degree, type;
};

MixtureModel mixtureModel(Input& in) {
    MixtureModel m{in.count(), in.count(), in.integer(IntKind::level), in.integer(IntKind::level)};
    return m;
}

Outcome DOEMixGetnCoef(Input& in, void* fn) {
    const MixtureModel m = mixtureModel(in);
    as<decltype(&Cpp_DOEMixGetnCoef)>(fn)(m.ipX, m.inX, m.degree, m.type);
    return Outcome::called;
}

Outcome DOEMixPredictorMatrix(Input& in, void* fn) {
    const MixtureModel m = mixtureModel(in);
    int32_t nCoef = in.count();
    if (sizedByLibrary(in)) {
        if (auto* coef = as<decltype(&Cpp_DOEMixGetnCoef)>(LookUp("Cpp_DOEMixGetnCoef")))
            nCoef = coef(m.ipX, m.inX, m.degree, m.type);
    }
    if (Budget().arrays({elements(m.inX, m.ipX), elements(m.ipX, 1), elements(m.inX, nCoef), elements(nCoef, 1)}).over())
        return Outcome::skipped;
    CallArena a("Cpp_DOEMixPredictorMatrix", in);
    double* X = a.doubles(elements(m.inX, m.ipX), Use::copied);
    BSTR* labels = a.strings(elements(m.ipX, 1), Use::copied);
    as<decltype(&Cpp_DOEMixPredictorMatrix)>(fn)(X, m.inX, m.ipX, nCoef, labels, m.degree, m.type,
                                                 a.doubles(elements(m.inX, nCoef), Use::written),
                                                 a.strings(elements(nCoef, 1), Use::written));
    a.verify();
    return Outcome::called;
}

struct SimplexArgs {
    int32_t q, degree, type;
};

SimplexArgs simplexArgs(Input& in) { return SimplexArgs{in.count(), in.integer(IntKind::level), in.small(4)}; }

Outcome DOEMixGetSizeoSimplex(Input& in, void* fn) {
    const SimplexArgs s = simplexArgs(in);
    CallArena a("Cpp_DOEMixGetSizeoSimplex", in);
    as<decltype(&Cpp_DOEMixGetSizeoSimplex)>(fn)(s.q, s.degree, s.type, a.intOut(), a.intOut());
    a.verify();
    return Outcome::called;
}

Outcome DOEMixSimplex(Input& in, void* fn) {
    const SimplexArgs s = simplexArgs(in);
    int32_t lines = in.count(), cols = in.count();
    if (sizedByLibrary(in)) {
        if (auto* size = as<decltype(&Cpp_DOEMixGetSizeoSimplex)>(LookUp("Cpp_DOEMixGetSizeoSimplex")))
            size(s.q, s.degree, s.type, &lines, &cols);
    }
    if (Budget().arrays({elements(lines, cols)}).over()) return Outcome::skipped;
    CallArena a("Cpp_DOEMixSimplex", in);
    as<decltype(&Cpp_DOEMixSimplex)>(fn)(s.q, s.degree, s.type, a.doubles(elements(lines, cols), Use::written), lines,
                                         cols);
    a.verify();
    return Outcome::called;
}

Outcome DOEMixRealCoord(Input& in, void* fn) {
    const int32_t n = in.count(), p = in.count();
    if (Budget().arrays({elements(n, p), elements(p, 1)}).over()) return Outcome::skipped;
    const double iRab = in.real(), iTotalMix = in.real();
    CallArena a("Cpp_DOEMixRealCoord", in);
    double* plan = a.doubles(elements(n, p), Use::written);
    const int32_t r =
        as<decltype(&Cpp_DOEMixRealCoord)>(fn)(plan, n, p, a.doubles(elements(p, 1), Use::copied), iRab, iTotalMix);
    expectCode("Cpp_DOEMixRealCoord", r, {0});
    a.verify();
    return Outcome::called;
}

Outcome AdaptMinMaxDOE(Input& in, void* fn) {
    CallArena a("Cpp_AdaptMinMaxDOE", in);
    double* lo = a.doubleOut();
    double* hi = a.doubleOut();
    as<decltype(&Cpp_AdaptMinMaxDOE)>(fn)(lo, hi, in.real());
    a.verify();
    return Outcome::called;
}

}  // namespace

const EntryPoint kEntryPoints[] = {
    {"Cpp_PlanGetOrtho", kClassical, PlanGetOrtho},
    {"Cpp_PlanSearchOrthoList", kClassical, PlanSearchOrthoList},
    {"Cpp_PlanSearchOrtho", kClassical, PlanSearchOrtho},
    {"Cpp_PlanDimension", kClassical, PlanDimension},
    {"Cpp_PlanGenerate", kClassical, PlanGenerate},
    {"Cpp_GetnColPlan", kClassical, GetnColPlan},
    {"Cpp_GetFullPlanLines", kClassical, GetFullPlanLines},
    {"Cpp_OptiplanInit", kOptimal, OptiplanInit},
    {"Cpp_OptiplanIterate", kOptimal, OptiplanIterate},
    {"Cpp_NormedDet", kOptimal, NormedDet},
    {"Cpp_ScreeningPlanGenerate", kOptimal, ScreeningPlanGenerate},
    {"Cpp_ComparePlan", kResponse, ComparePlan},
    {"Cpp_UpdatePlan", kResponse, UpdatePlan},
    {"Cpp_Ymulticrit", kResponse, Ymulticrit},
    {"Cpp_SurfaceCalcTable", kResponse, SurfaceCalcTable},
    {"Cpp_RunGetOptimalDesign", kSensory, RunGetOptimalDesign},
    {"Cpp_GetBestRanking", kSensory, GetBestRanking},
    {"Cpp_RandomPerMuteRow", kSensory, RandomPerMuteRow},
    {"Cpp_TransResolve", kSensory, TransResolve},
    {"Cpp_FindClosestResolve", kSensory, FindClosestResolve},
    {"Cpp_FindResolvableMulti", kSensory, FindResolvableMulti},
    {"Cpp_ComputeQuality", kSensory, ComputeQuality},
    {"Cpp_PrepareANOVAtable", kSensory, PrepareANOVAtable},
    {"Cpp_DOEMixGetnCoef", kMixture, DOEMixGetnCoef},
    {"Cpp_DOEMixPredictorMatrix", kMixture, DOEMixPredictorMatrix},
    {"Cpp_DOEMixGetSizeoSimplex", kMixture, DOEMixGetSizeoSimplex},
    {"Cpp_DOEMixSimplex", kMixture, DOEMixSimplex},
    {"Cpp_DOEMixRealCoord", kMixture, DOEMixRealCoord},
    {"Cpp_AdaptMinMaxDOE", kMixture, AdaptMinMaxDOE},
};
const int kEntryPointCount = sizeof kEntryPoints / sizeof kEntryPoints[0];

}  // namespace vxfuzz
