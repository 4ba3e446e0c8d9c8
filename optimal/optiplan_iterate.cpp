#include "optimal/optiplan_iterate.h"

#include "optimal/criteria.h"
#include "optimal/information_updates.h"
#include "optimal/search_state.h"
#include "services/matrix_ops.h"
#include "services/scratch.h"

#include <algorithm>
#include <cmath>
#include <optional>

using namespace optimal;

namespace {

static_assert(kTieTolerance < 1e-10, "the pruning slack of the exhaustive scan must exceed a tie");

// A candidate chosen to enter, with its variance.
struct Entering {
    int code = 0;
    double variance = kSingular;
    std::vector<int> digits;
};
// A run chosen to leave, with its variance (1 when none qualified).
struct Leaving {
    int run = 0;
    double variance = 1.0;
};

struct Exchange {
    std::vector<std::pair<Entering, Leaving>> pairs;  // each candidate with the run it replaces
    TrialInverse trial;                                // holds every change but the last leaving run
    int lastLeaving;
    double gain;
};

// ----- nalgo 12 -------------------------------------------------------------------------

class FedorovPass {
public:
    FedorovPass(SearchPlan& plan, bool throughL, bool explicitInverse)
        : plan_(plan), a_(plan.arrays()), throughL_(throughL), explicitInverse_(explicitInverse) {}

    std::optional<Exchange> run(double convergence) {
        TrialInverse trial(a_.Vopt, a_.DoChol == kTrue ? a_.Chol : nullptr, a_.p, !throughL_);
        if (explicitInverse_ && !invertPlan(trial.W())) return std::nullopt;
        ExcludedCodes excluded(a_.iopt, a_.N, a_.nfullplan);

        const Entering a1 = bestCandidate(trial, excluded, nullptr);
        if (a1.code == 0) return std::nullopt;
        trial.enter(plan_, a1.code);
        const Leaving r1 = smallestRun(trial, {});
        const double g1 = federovDelta(a1.variance, r1.variance);
        if (r1.run && g1 >= convergence) return Exchange{{{a1, r1}}, trial, r1.run, g1};

        excluded.add(a1.code);
        LevelCoverage coverage(plan_.coding(), a_.FactMod);
        for (int r = 1; r <= a_.N; ++r) coverage.addDisplayRow(a_.PlanDisp, r);
        coverage.addDigits(a1.digits);
        const Entering a2 = bestCandidate(trial, excluded, &coverage);
        if (a2.code == 0) return std::nullopt;
        trial.enter(plan_, a2.code);
        const TrialInverse withTwo = trial;
        std::vector<Leaving> out = removeInTurn(trial, 2);
        if (out.size() == 2) {
            const double g2 = doubleGain(a1.variance, a2.variance, out[0].variance, out[1].variance);
            if (g2 >= convergence) return Exchange{{{a1, out[1]}, {a2, out[0]}}, trial, out[1].run, g2};
        }

        trial = withTwo;
        excluded.add(a2.code);
        coverage.addDigits(a2.digits);
        const Entering a3 = bestCandidate(trial, excluded, &coverage);
        if (a3.code == 0) return std::nullopt;
        trial.enter(plan_, a3.code);
        out = removeInTurn(trial, 3);
        if (out.size() < 3) return std::nullopt;
        const double g3 = federovDelta3(a1.variance, out[2].variance, a2.variance, out[1].variance, a3.variance,
                                        out[0].variance);
        if (!(g3 >= convergence)) return std::nullopt;
        return Exchange{{{a1, out[2]}, {a2, out[1]}, {a3, out[0]}}, trial, out[2].run, g3};
    }

private:
    // With neither V nor L maintained, the variances come from the inverse
    // of the plan's information matrix, computed afresh for the pass.
    bool invertPlan(matrix* W) const {
        Scratch<matrix> M, inverse;
        GramOfRows(a_.PlanOpt, a_.N, a_.p, M.p);
        short failed = kFalse;
        inverse1(M, inverse.p, 1e-6, &failed);
        if (failed == kFalse) inverse->copyMatTo(W);
        return failed == kFalse;
    }

    // The incremental routes rank a non-positive variance one below the
    // previous score, so it cannot win against it.
    double score(double q, double previous) const { return throughL_ || q > 0.0 ? q : previous - 1.0; }

    Entering bestCandidate(const TrialInverse& trial, ExcludedCodes& excluded, LevelCoverage* coverage) {
        Entering best;
        if (coverage && !coverage->prepare()) return best;
        const auto variance = trial.candidates(plan_.coding(), throughL_);
        double previous = kSingular;
        ScanFreeCandidates(plan_.coding(), a_.nfullplan, excluded, {variance.get()}, [&](const CandidateWalk& walk) {
            if (coverage && !coverage->completedBy(walk.digits())) return;
            previous = score(variance->value(walk.digits()), previous);
            // Compared on the determinant factor 1 + d: ties to the first met.
            if (best.code == 0 ? previous > best.variance : Exceeds(1.0 + previous, 1.0 + best.variance))
                best = {walk.code(), previous, walk.digits()};
        });
        return best;
    }

    Leaving smallestRun(const TrialInverse& trial, const std::vector<int>& chosen) const {
        Leaving best;
        double previous = 1.0;
        for (int i = 1; i <= a_.N; ++i) {
            if (std::find(chosen.begin(), chosen.end(), i) != chosen.end()) continue;
            previous = score(trial.variance(plan_.runRow(i).data(), throughL_), previous);
            // Compared on the factor 1 - d left by the removal: ties to the first run.
            if (Exceeds(1.0 - previous, 1.0 - best.variance)) best = {i, previous};
        }
        return best;
    }

    // Up to `count` runs removed one after the other, each relative to the
    // trial plan less the runs before it; stops at the first scan that finds
    // none. Every removal but the last is carried into the trial.
    std::vector<Leaving> removeInTurn(TrialInverse& trial, int count) const {
        std::vector<Leaving> out;
        std::vector<int> chosen;
        for (int k = 0; k < count; ++k) {
            const Leaving r = smallestRun(trial, chosen);
            if (r.run == 0) break;
            out.push_back(r);
            chosen.push_back(r.run);
            if (k + 1 < count) trial.leave(plan_, r.run);
        }
        return out;
    }

    static double doubleGain(double a1, double a2, double rA, double rB) {
        if (rB == kSingular || rB >= 1.0 || a2 == kSingularTwin || rA == kSingular || rA >= 1.0) return 0.0;
        return (1.0 + a2) * (1.0 + a1) * (1.0 - rA) * (1.0 - rB) - 1.0;
    }

    SearchPlan& plan_;
    const PlanArrays& a_;
    bool throughL_, explicitInverse_;
};

// ----- nalgo 11 -------------------------------------------------------------------------

struct Single {
    int run = 0, code = 0;
    double criterion;
};

class ExhaustivePass {
public:
    ExhaustivePass(SearchPlan& plan, short flag)
        : plan_(plan), a_(plan.arrays()), flag_(flag), route_(routeOf(a_.accelerate, a_.DoChol, a_.N, flag)) {}

    // The best single exchange scoring above `current`, first met among
    // equals in the scan order (runs 1 up, candidates nfullplan down).
    std::optional<Single> run(double current) {
        ExcludedCodes excluded(a_.iopt, a_.N, a_.nfullplan);
        const LevelCounts counts(plan_.coding(), a_.PlanDisp, a_.N);
        std::vector<LevelCoverage> without;
        without.reserve(static_cast<std::size_t>(a_.N));
        for (int i = 1; i <= a_.N; ++i) without.emplace_back(plan_.coding(), a_.FactMod, counts, a_.PlanDisp, i);
        if (route_ == Route::Full) return scanFull(current, excluded, without);
        return scanIncremental(current, excluded, without);
    }

private:
    // Through V (or the inverse that L stands for), exchanging run i for
    // candidate x multiplies det M by the Fedorov ratio
    //   (1 - d_i)(1 + d(x)) + (x'V x_i)^2 = (1 - d_leave)(1 + d_enter),
    // d_enter taken relative to the plan without run i; the criterion of the
    // exchanged plan follows from it. Every run is scored by the whole ratio,
    // also one of variance 1 (in a saturated plan every run has it): only the
    // ratio decides, and one of 1 or less is never chosen.
    std::optional<Single> scanIncremental(double current, ExcludedCodes& excluded,
                                          std::vector<LevelCoverage>& without) {
        matrix W(a_.p, a_.p, 0.0);
        if (route_ == Route::ThroughL)
            InverseFromFactor(a_.Chol, a_.p, &W);
        else
            a_.Vopt->copyMatTo(&W);
        std::vector<int> runs;
        std::vector<double> leaving;
        std::vector<std::vector<double>> u;
        for (int i = 1; i <= a_.N; ++i) {
            const std::vector<double> x = plan_.runRow(i);
            std::vector<double> wx(static_cast<std::size_t>(a_.p), 0.0);
            for (int c = 0; c < a_.p; ++c)
                for (int r = 0; r < a_.p; ++r) wx[r] += W.data()[static_cast<std::size_t>(c) * a_.p + r] * x[c];
            double d = 0.0;
            for (int c = 0; c < a_.p; ++c) d += x[c] * wx[c];
            if (!without[i - 1].prepare()) continue;
            runs.push_back(i);
            leaving.push_back(d);
            u.push_back(std::move(wx));
        }
        // By Cauchy-Schwarz in the V metric (x'V x_i)^2 <= d(x) d_i, so no ratio
        // exceeds 1 + d(x) - min d_i: most candidates are dismissed on d(x)
        // alone. The others get every run's ratio in one sweep.
        const double leastLeaving = leaving.empty() ? 0.0 : *std::min_element(leaving.begin(), leaving.end());
        std::vector<double> keep(leaving.size()), ratio(leaving.size());
        for (std::size_t k = 0; k < keep.size(); ++k) keep[k] = 1.0 - leaving[k];
        const auto variance = CandidateVariance::throughInverse(plan_.coding(), &W);
        CandidateProducts cross(plan_.coding(), u);
        double bestRatio = 1.0;
        std::optional<Single> best;
        ScanFreeCandidates(plan_.coding(), a_.nfullplan, excluded, {variance.get(), &cross},
                           [&](const CandidateWalk& walk) {
                               const double q = variance->value(walk.digits());
                               // The slack, well above a tie, keeps rounding from hiding an equal ratio.
                               if (!(q > 0.0) || runs.empty() || 1.0 + q - leastLeaving < bestRatio * (1.0 - 1e-10))
                                   return;
                               const double* c = cross.values(walk.digits());
                               double most = -HUGE_VAL;
                               for (std::size_t k = 0; k < ratio.size(); ++k) {
                                   ratio[k] = keep[k] * (1.0 + q) + c[k] * c[k];
                                   most = std::max(most, ratio[k]);
                               }
                               if (Exceeds(bestRatio, most)) return;
                               for (std::size_t k = 0; k < ratio.size(); ++k) {
                                   // Among tied ratios the first met in run order wins, as when runs are scanned one by one.
                                   const bool earlierTie = best && runs[k] < best->run && Tied(ratio[k], bestRatio);
                                   if (!Exceeds(ratio[k], bestRatio) && !earlierTie) continue;
                                   if (!without[runs[k] - 1].completedBy(walk.digits())) continue;
                                   bestRatio = ratio[k];
                                   best = Single{runs[k], walk.code(), 0.0};
                               }
                           });
        if (!best) return best;
        best->criterion = a_.icrit == kDeterminant ? current * bestRatio : current + num::Log10(bestRatio);
        if (!(best->criterion > current)) best.reset();
        return best;
    }

    // Otherwise every exchanged plan is scored by its full, regularised
    // criterion: that of M - x_i x_i' + x x'.
    std::optional<Single> scanFull(double current, ExcludedCodes& excluded, std::vector<LevelCoverage>& without) {
        double best = current;
        std::optional<Single> found;
        matrix rest(a_.p, a_.p, 0.0), M(a_.p, a_.p, 0.0);
        std::vector<double> x(static_cast<std::size_t>(a_.p));
        for (int i = 1; i <= a_.N; ++i) {
            if (!without[i - 1].prepare()) continue;
            rest.fill(0.0);
            for (int r = 1; r <= a_.N; ++r)
                if (r != i) addOuter(rest, plan_.runRow(r).data());
            ScanFreeCandidates(plan_.coding(), a_.nfullplan, excluded, {}, [&](const CandidateWalk& walk) {
                if (!without[i - 1].completedBy(walk.digits())) return;
                plan_.coding().row(walk.digits(), x.data());
                rest.copyMatTo(&M);
                addOuter(M, x.data());
                short f = flag_;
                const double score = RegularisedCriterion(&M, a_.icrit, f);
                if (Exceeds(score, best, ScaleOf(a_.icrit))) {
                    best = score;
                    found = Single{i, walk.code(), score};
                }
            });
        }
        return found;
    }

    void addOuter(matrix& M, const double* x) const {
        double* m = M.data();
        for (int c = 0; c < a_.p; ++c)
            for (int r = 0; r < a_.p; ++r) m[static_cast<std::size_t>(c) * a_.p + r] += x[r] * x[c];
    }

    SearchPlan& plan_;
    const PlanArrays& a_;
    short flag_;
    Route route_;
};

// ----- the outer loop ---------------------------------------------------------------------

class Iteration {
public:
    Iteration(const PlanArrays& a, short flag) : plan_(a), a_(plan_.arrays()), flag_(flag) {}

    // One pass; the new criterion when it accepted an exchange.
    std::optional<double> pass(int nalgo, double current, double convergence) {
        if (nalgo == kFedorovExchange) return fedorov(current, convergence);
        return exhaustive(current, convergence);
    }

private:
    std::optional<double> fedorov(double current, double convergence) {
        // With the flag true every evaluation comes back flagged, and those
        // are ignored: nothing can be accepted.
        if (flag_ != kFalse) return std::nullopt;
        const Route route = routeOf(a_.accelerate, a_.DoChol, a_.N + 1, flag_);
        FedorovPass pass(plan_, route == Route::ThroughL, route == Route::Full);
        std::optional<Exchange> ex = pass.run(convergence);
        if (!ex) return std::nullopt;
        ex->trial.leave(plan_, ex->lastLeaving);
        double crit = current;
        for (const auto& [in, out] : ex->pairs) {
            plan_.place(in.code, out.run);
            crit = CalcCritShort(a_.icrit, in.variance, out.variance, crit);
        }
        if (route != Route::ThroughL) ex->trial.W()->copyMatTo(a_.Vopt);
        if (ex->trial.L()) ex->trial.L()->copyMatTo(a_.Chol);
        return crit;
    }

    std::optional<double> exhaustive(double current, double convergence) {
        ExhaustivePass pass(plan_, flag_);
        const std::optional<Single> best = pass.run(current);
        if (!best || !(best->criterion - current > convergence)) return std::nullopt;
        // V and L follow the exchange. The entering row goes in first: the
        // plan without the leaving run may be singular, the enlarged one not.
        UpdateV(const_cast<matrix*>(plan_.candidateRow(best->code)), 1, a_.p, a_.Vopt, a_.Vopt, a_.accelerate,
                flag_, kTrue, a_.DoChol, a_.Chol);
        UpdateV(a_.PlanOpt, best->run, a_.p, a_.Vopt, a_.Vopt, a_.accelerate, flag_, kFalse, a_.DoChol, a_.Chol);
        plan_.place(best->code, best->run);
        return best->criterion;
    }

    SearchPlan plan_;
    const PlanArrays& a_;
    short flag_;
};

// Codes past the full factorial name its candidates again (decoding uses
// remainders only), so the scans stop at its size.
int candidatesOf(int nbFact, const matrixInt* FactMod, int nfullplan) {
    long long product = 1;
    for (int j = 1; j <= nbFact && product < nfullplan; ++j) product *= std::max(1, FactMod->vbget(j, 1));
    return static_cast<int>(std::min<long long>(nfullplan, product));
}

short flagOf(const matrix* delta, int N) {
    const double v = delta ? delta->vbget(N, 1) : -1.0;
    return std::isfinite(v) && std::fabs(v) < 32768.0 ? static_cast<short>(static_cast<int>(v)) : kTrue;
}

// What each scanned pair of a pass costs: the Fedorov exchange through L
// solves for every candidate, the exhaustive exchange on the full route
// takes a determinant for every pair.
PairCost pairCostOf(const PlanArrays& a, int nalgo, short flag) {
    if (nalgo == kFedorovExchange)
        return routeOf(a.accelerate, a.DoChol, a.N + 1, flag) == Route::ThroughL ? PairCost::ThroughFactor
                                                                                 : PairCost::ThroughInverse;
    return routeOf(a.accelerate, a.DoChol, a.N, flag) == Route::Full ? PairCost::FullDeterminant
                                                                     : PairCost::ThroughInverse;
}

}  // namespace

int OptiplanIterate(int nbFact, matrixInt* FactMod, int icode, int icrit, short accelerate, short DoChol, int nalgo,
                    int nthres, int nfullplan, int nPlanLine, int MaxIter, int StartIter, double Convergence,
                    int* onbrIter, matrix* PlanOpt, matrix* PlanDisp, matrixInt* iopt, matrix* critvalopt,
                    matrix* delta, matrix* Vopt, matrix* Chol) {
    const int candidates = FactMod ? candidatesOf(nbFact, FactMod, nfullplan) : 0;
    const PlanArrays a{nbFact, FactMod, icode, icrit, accelerate, DoChol, nthres, candidates, nPlanLine,
                       PlanOpt, PlanDisp, iopt, Vopt, Chol};
    int k = 0;
    const bool runs = (nalgo == kExhaustiveExchange || nalgo == kFedorovExchange) && IsCriterion(icrit) && a.shapesHold() && a.reachesEveryLevel();
    const short flag = flagOf(delta, nthres);
    if (runs && !ScanFits(a.N, a.nfullplan, pairCostOf(a, nalgo, flag), a.p, kMostExchangePairs)) {
        if (onbrIter) *onbrIter = 0;
        return kScanTooLarge;
    }
    if (runs) {
        Iteration iteration(a, flag);
        double current = critvalopt->vbget(StartIter, 1);
        while (const std::optional<double> next = iteration.pass(nalgo, current, Convergence)) {
            current = *next;
            ++k;
            critvalopt->vbset(static_cast<int>(std::min<long long>(1LL * StartIter + k, INT32_MAX)), 1, current);
            if (k >= MaxIter) break;
        }
    }
    if (onbrIter) *onbrIter = k;
    return 0;
}
