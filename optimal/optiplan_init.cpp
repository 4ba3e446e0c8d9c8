#include "optimal/optiplan_init.h"

#include "optimal/candidates.h"
#include "optimal/criteria.h"
#include "optimal/information_updates.h"
#include "optimal/search_state.h"
#include "services/matrix_ops.h"
#include "services/scratch.h"

#include <algorithm>
#include <cmath>
#include <utility>

using namespace optimal;

namespace {

// Repeated draws under one seed: the first takes the caller's flag, later
// ones continue the stream; at the end oSeed receives the seed that ioSeed
// held after the first draw.
class RepeatedDraws {
public:
    RepeatedDraws(int* ioSeed, short iSeedInit, int* oSeed)
        : ioSeed_(ioSeed ? ioSeed : &localIo_), oSeed_(oSeed ? oSeed : &localOut_), init_(iSeedInit) {}
    ~RepeatedDraws() {
        if (drawn_) *oSeed_ = remembered_;
    }
    std::vector<int> draw(int nfullplan, int k) {
        matrix out(k, 1, 0.0);
        Randomkfrom1toN(nfullplan, &out, k, ioSeed_, init_, oSeed_);
        if (!drawn_) {
            remembered_ = *ioSeed_;
            init_ = kTrue;
            drawn_ = true;
        }
        *ioSeed_ = *oSeed_;
        std::vector<int> codes(static_cast<std::size_t>(std::max(k, 0)));
        for (int i = 1; i <= k; ++i) codes[i - 1] = static_cast<int>(out.vbget(i, 1));
        return codes;
    }

private:
    int localIo_ = 0, localOut_ = 0;
    int* ioSeed_;
    int* oSeed_;
    short init_;
    bool drawn_ = false;
    int remembered_ = 0;
};

bool impossibleSizes(const PlanArrays& a) {
    if (!IsCriterion(a.icrit) || a.N < 1 || a.N > a.nfullplan || a.N < a.p || !a.shapesHold()) return true;
    long long product = 1;
    for (int j = 1; j <= a.nbFact; ++j) {
        const int L = a.FactMod->vbget(j, 1);
        if (L < 1) return true;
        product = std::min<long long>(product * L, 1LL << 40);
    }
    return a.nfullplan > product || !a.reachesEveryLevel();
}

// A plan too large for one exchange pass is refused before it is started,
// and the sequential start's own scans are bounded as well: through L every
// candidate of every added run costs a triangular solve.
bool scanTooLarge(const PlanArrays& a, int nalgo) {
    if (!ScanFits(a.N, a.nfullplan, PairCost::ThroughInverse, a.p, kMostExchangePairs)) return true;
    if (nalgo != kSequentialStart) return false;
    const bool throughL = routeOf(a.accelerate, a.DoChol, 2, kFalse) == Route::ThroughL;
    return !ScanFits(a.N, a.nfullplan, throughL ? PairCost::ThroughFactor : PairCost::ThroughInverse, a.p,
                     kMostSequentialPairs);
}

struct History {
    matrix* critvalopt;
    matrixInt* nbrOpt;
    matrix* delta;
};

// The greedy construction of nalgo 2, one run after the other.
class Sequential {
public:
    Sequential(SearchPlan& plan, const History& h) : plan_(plan), a_(plan.arrays()), h_(h) {}

    // Rows k0 + 1 .. N; false when a step found no free candidate.
    bool build(int k0) {
        flag_ = kTrue;
        if (a_.accelerate == kFalse && a_.DoChol == kTrue) {
            // The factor route ranks the first candidates through L: factor
            // the random start first.
            short startFlag = kFalse;
            double unused = 0.0;
            UpdateDelta(a_.icrit, kTrue, a_.PlanOpt, a_.p, k0, a_.Vopt, &unused, &startFlag, a_.Chol);
        }
        for (int r = k0 + 1; r <= a_.N; ++r)
            if (!step(r)) return false;
        return true;
    }

private:
    // How a candidate of step r is valued: its variance q through the
    // chosen route turned into the criterion (or, through L, a ranking).
    struct Valuation {
        std::unique_ptr<CandidateVariance> variance;
        Route route;
        double base = 0.0;  // criterion of the plan the candidate joins
        short flag;         // the flag every candidate's evaluation returns
        std::unique_ptr<matrix> inverse;
    };

    Valuation valuation(int r) const {
        Valuation v{nullptr, routeOf(a_.accelerate, a_.DoChol, r, flag_), 0.0, flag_, nullptr};
        if (v.route == Route::ThroughL) {
            v.variance = CandidateVariance::throughFactor(plan_.coding(), a_.Chol);
        } else if (v.route == Route::ThroughV) {
            v.base = h_.critvalopt->vbget(r - 1, 1);
            v.variance = CandidateVariance::throughInverse(plan_.coding(), a_.Vopt);
        } else {
            // det(A + x x') = det(A)(1 + x'A^-1 x): the full (regularised)
            // criterion of every candidate from one inverse of the plan so far.
            Scratch<matrix> A;
            GramOfRows(a_.PlanOpt, r - 1, a_.p, A.p);
            v.base = RegularisedCriterion(A, a_.icrit, v.flag);
            if (v.flag != kFalse) {
                v.inverse = std::make_unique<matrix>(a_.p, a_.p, 0.0);
                RidgeInverse(a_.PlanOpt, r - 1, a_.p, v.inverse.get());
            } else {
                Scratch<matrix> inverse;
                inverse1(A, inverse.p, 0.0, static_cast<short*>(nullptr));
                v.inverse.reset(std::exchange(inverse.p, nullptr));
            }
            if (!v.inverse || v.inverse->rows() != a_.p) v.inverse = std::make_unique<matrix>(a_.p, a_.p, 0.0);
            v.variance = CandidateVariance::throughInverse(plan_.coding(), v.inverse.get());
        }
        return v;
    }

    double value(const Valuation& v, double q) const {
        const bool log = a_.icrit == kLog10Determinant;
        if (v.route == Route::ThroughL) return log ? num::Log10(q) : q;
        return log ? v.base + num::Log10(1.0 + q) : v.base * (1.0 + q);
    }

    // Every route's value grows with the candidate's variance q, as does the
    // determinant factor 1 + q: candidates are compared on that factor, ties
    // to the first met (the highest code) and counted in nbrOpt. A variance
    // through V that is not positive can neither win nor tie.
    bool step(int r) {
        h_.critvalopt->vbset(r, 1, kSingular);
        const Valuation v = valuation(r);
        ExcludedCodes excluded(a_.iopt, r - 1, a_.nfullplan);
        int winner = 0, ties = 0;
        double bestQ = 0.0;
        ScanFreeCandidates(plan_.coding(), a_.nfullplan, excluded, {v.variance.get()}, [&](const CandidateWalk& walk) {
            const double q = v.variance->value(walk.digits());
            if (v.route == Route::ThroughV && !(q > 0.0)) return;
            if (winner == 0 || Exceeds(1.0 + q, 1.0 + bestQ)) {
                winner = walk.code();
                bestQ = q;
                ties = 1;
            } else if (Tied(1.0 + q, 1.0 + bestQ)) {
                ++ties;
            }
        });
        if (winner == 0) return false;
        h_.critvalopt->vbset(r, 1, value(v, bestQ));
        h_.nbrOpt->vbset(r, 1, ties);
        flag_ = v.flag;
        plan_.place(winner, r);
        adopt(r, v.route);
        h_.delta->vbset(r, 1, flag_);
        return true;
    }

    // V, L and the criterion follow the run just added.
    void adopt(int r, Route route) {
        double c = 0.0;
        if (flag_ != kFalse) {
            UpdateDelta(a_.icrit, a_.DoChol, a_.PlanOpt, a_.p, r, a_.Vopt, &c, &flag_, a_.Chol);
            h_.critvalopt->vbset(r, 1, c);
            return;
        }
        // Sherman-Morrison carries V; with DoChol L is refactored as well.
        if (a_.DoChol != kTrue || a_.accelerate == kTrue)
            UpdateV(a_.PlanOpt, r, a_.p, a_.Vopt, a_.Vopt, kTrue, flag_, kTrue, kFalse, a_.Chol);
        if (a_.DoChol == kTrue) UpdateDelta(a_.icrit, kTrue, a_.PlanOpt, a_.p, r, a_.Vopt, &c, &flag_, a_.Chol);
        if (route == Route::ThroughL) {
            // The factor route ranked by a variance; store the criterion.
            Scratch<matrix> M;
            GramOfRows(a_.PlanOpt, r, a_.p, M.p);
            short f = kFalse;
            h_.critvalopt->vbset(r, 1, RegularisedCriterion(M, a_.icrit, f));
        }
    }

    SearchPlan& plan_;
    const PlanArrays& a_;
    History h_;
    short flag_ = kTrue;
};

int randomPlan(SearchPlan& plan, RepeatedDraws& draws, const History& h) {
    const PlanArrays& a = plan.arrays();
    const double levelWork = static_cast<double>(a.N) * std::max(a.nbFact, 1);
    const double criterionWork = static_cast<double>(a.N) * a.p * a.p + static_cast<double>(a.p) * a.p * a.p;
    double work = 0.0;
    std::vector<int> codes;
    for (int attempt = 0, singular = 0;
         attempt < kMaxRandomDraws && singular < kMaxSingularDraws && work <= kMaxRandomDrawWork; ++attempt) {
        codes = draws.draw(a.nfullplan, a.N);
        for (int r = 1; r <= a.N; ++r) plan.placeLevels(codes[r - 1], r);
        work += levelWork;
        if (!ValidPlan(a.nbFact, a.FactMod, a.PlanDisp, a.N - 1)) continue;
        for (int r = 1; r <= a.N; ++r) plan.place(codes[r - 1], r);
        short f = kTrue;
        double crit = 0.0;
        work += criterionWork;
        UpdateDelta(a.icrit, a.DoChol, a.PlanOpt, a.p, a.N, a.Vopt, &crit, &f, a.Chol);
        if (crit == kSingular) {
            ++singular;
            continue;
        }
        h.delta->vbset(a.N, 1, f);
        h.critvalopt->vbset(a.N, 1, crit);
        return 0;
    }
    // The arrays hold the last try, its model rows too.
    for (int r = 1; r <= static_cast<int>(codes.size()); ++r) plan.place(codes[r - 1], r);
    return kNoPlanFound;
}

int sequentialPlan(SearchPlan& plan, RepeatedDraws& draws, const History& h) {
    const PlanArrays& a = plan.arrays();
    const int k0 = std::min(5, a.N / 2);
    for (int start = 0; start < kMaxSequentialStarts; ++start) {
        const std::vector<int> codes = draws.draw(a.nfullplan, k0);
        for (int r = 1; r <= k0; ++r) plan.place(codes[r - 1], r);
        Sequential sequential(plan, h);
        if (sequential.build(k0) && h.critvalopt->vbget(a.N, 1) != kSingular) return 0;
    }
    return kNoPlanFound;
}

void labelledPlan(SearchPlan& plan, short UseCategories, Smatrix* Cats, Smatrix* Q, const History& h) {
    const PlanArrays& a = plan.arrays();
    matrixInt codes(a.N, 1, 0);
    PlanToComb(a.nbFact, a.FactMod, UseCategories, Cats, a.N, Q, &codes);
    for (int r = 1; r <= a.N; ++r) plan.place(codes.vbget(r, 1), r);
    short f = kTrue;
    double crit = 0.0;
    UpdateDelta(a.icrit, a.DoChol, a.PlanOpt, a.p, a.N, a.Vopt, &crit, &f, a.Chol);
    h.delta->vbset(a.N, 1, f);
    h.critvalopt->vbset(a.N, 1, crit);
}

}  // namespace

int OptiplanInit(int nbFact, matrixInt* FactMod, Smatrix* Cats, short UseCategories, int icode, int icrit,
                 short accelerate, short DoChol, int nalgo, int nthres, int nfullplan, int nPlanLine, int* ioSeed,
                 short iSeedInit, int* oSeed, Smatrix* Q, matrix* PlanOpt, matrix* PlanDisp, matrixInt* iopt,
                 matrix* critvalopt, matrixInt* nbrOpt, matrix* delta, matrix* Vopt, matrix* Chol) {
    const PlanArrays a{nbFact, FactMod, icode, icrit, accelerate, DoChol, nthres, nfullplan, nPlanLine,
                       PlanOpt, PlanDisp, iopt, Vopt, Chol};
    const History h{critvalopt, nbrOpt, delta};
    if (nalgo == kStartFromLabels) {
        SearchPlan plan(a);
        labelledPlan(plan, UseCategories, Cats, Q, h);
        return 0;
    }
    if (nalgo != kRandomStart && nalgo != kSequentialStart) return 0;
    if (impossibleSizes(a) || scanTooLarge(a, nalgo)) return kImpossibleSizes;
    SearchPlan plan(a);
    RepeatedDraws draws(ioSeed, iSeedInit, oSeed);
    return nalgo == kRandomStart ? randomPlan(plan, draws, h) : sequentialPlan(plan, draws, h);
}
