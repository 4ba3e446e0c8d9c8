#include "sensory/design_search.h"

#include "sensory/balancing_search.h"
#include "sensory/block_criteria.h"
#include "sensory/concurrence_targeting.h"
#include "sensory/metropolis_hastings.h"
#include "sensory/search_clock.h"
#include "sensory/seed_stream.h"
#include "sensory/table_fills.h"
#include "services/matrix_ops.h"
#include "services/numeric.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>

namespace {

constexpr double kTolerance = 1e-12;
// Blocks are enumerated only below this many, and refined only below the next.
constexpr double kEnumerableBlocks = 1000;
constexpr double kRefinableBlocks = 100000;

class DesignSearch {
public:
    DesignSearch(int iJ, int iP, int iR, int iCritType, short iTimeStop, double iMaxSeconds, matrixInt* JPMat,
                 sensory::SeedStream& seeds)
        : iJ_(iJ), iP_(iP), iR_(iR), iCritType_(iCritType), timeStop_(iTimeStop), budget_(sensory::halfBudget(iMaxSeconds)),
          JPMat_(JPMat), seeds_(seeds), C_(num::Cnk(iP, iR)),
          bound_((iR - 1.0) * iP / ((iP - 1.0) * iR)) {
        nRep_ = C_ >= 1.0 ? static_cast<int>(std::floor(iJ / C_ + kTolerance)) : 0;
        nFull_ = static_cast<int>(nRep_ * C_);
        nRest_ = iJ - nFull_;
    }

    void run(const matrix* marginals, double* maxcrit, short* FoundExact) {
        remaining_.reset(V_Duplicate(marginals, iP_));
        const int filled = fixRows(maxcrit);
        if (filled >= iJ_ - 1 && static_cast<double>(nRest_) * iR_ <= iP_) return;  // every row fixed
        startSearch(filled);
        found_ = FoundExact;
        *found_ = 0;
        bestCrit_ = fillRest(filled - nFull_ + 1);
        if (provedOptimal(bestCrit_)) *found_ = stop_ = -1;
        keepBest();
        // A timed search tries the balancing before its exchanges: where a
        // balanced design exists the exchange stalls short of it and would
        // only wait out the budget.
        if (timeStop_ == -1) {
            balance();
            targetConcurrences();
        }
        if (stop_ == 0 && C_ < kRefinableBlocks && timeStop_ == -1) refine();
        balance();
        targetConcurrences();
        for (int r = 1; r <= nRest_; ++r)
            for (int p = 1; p <= iP_; ++p) JPMat_->vbset(nFull_ + r, p, best_->vbget(r, p));
        // The host reads the criterion of the design it gets, replicates included.
        *maxcrit = scorer_.score(iCritType_, JPMat_, iJ_, iP_, iR_);
    }

private:
    // Rows that need no search: whole replicates, disjoint groups and a
    // last row from the remaining marginals. Returns the rows filled.
    int fixRows(double* maxcrit) {
        if (C_ <= iJ_) {
            StoreAllCombinesJPMat(JPMat_, iP_, iR_, nRep_);
            const double perProduct = nRep_ * num::Cnk(iP_ - 1, iR_ - 1);
            for (int p = 1; p <= iP_; ++p) remaining_->vbset(p, remaining_->vbget(p) - perProduct);
        }
        completeLastRow(nFull_, maxcrit);
        // A last row just taken from the marginals gets no group on top of it:
        // the two differ whenever the marginals do not favour the first products.
        const int groups = nFull_ >= iJ_ - 1 ? 0 : std::min(iP_ / iR_, nRest_);
        for (int t = 1; t <= groups; ++t)
            for (int p = (t - 1) * iR_ + 1; p <= t * iR_; ++p) {
                JPMat_->vbset(nFull_ + t, p, 1);
                remaining_->vbset(p, remaining_->vbget(p) - 1.0);
            }
        completeLastRow(nFull_ + groups, maxcrit);
        return nFull_ + groups;
    }

    // With at most one row left after `filled`, that row takes the iR
    // products most owed and the whole design is scored.
    void completeLastRow(int filled, double* maxcrit) {
        if (filled < iJ_ - 1) return;
        if (filled == iJ_ - 1) sensory::writeMostAskedFor(remaining_.get(), iJ_, iP_, iR_, JPMat_);
        *maxcrit = scorer_.score(iCritType_, JPMat_, iJ_, iP_, iR_);
    }

    void startSearch(int filled) {
        rest_ = std::make_unique<matrixInt>(nRest_, iP_, 0);
        best_ = std::make_unique<matrixInt>(nRest_, iP_, 0);
        for (int r = 1; r <= filled - nFull_; ++r)
            for (int p = 1; p <= iP_; ++p) rest_->vbset(r, p, JPMat_->vbget(nFull_ + r, p));
        if (C_ < kEnumerableBlocks) {
            blockTable_ = std::make_unique<matrix>(static_cast<int>(C_), 1, 0.0);
            matrixInt comb(iR_, 1, 0);
            for (int r = 1; r <= filled - nFull_; ++r)
                blockTable_->vbset(static_cast<int>(sensory::blockRank(rest_.get(), r, iP_, iR_, &comb)), r);
            while (firstFree_ <= C_ && blockTable_->vbget(firstFree_) != 0) ++firstFree_;
        }
        start_ = sensory::clockNow();
    }

    double fillRest(int first) {
        if (C_ < kEnumerableBlocks)
            return sensory::fillDistinctBlocks(first, nRest_, iP_, iR_, C_, iCritType_, firstFree_, rest_.get(),
                                               blockTable_.get(), seeds_, scorer_);
        return repeatFills(first);
    }

    // Randomised fills from the same remaining marginals until the time
    // budget is spent (one fill when untimed); the best becomes the rest. A
    // fill that reaches the bound cannot be beaten, so filling ends there.
    double repeatFills(int first) {
        const std::unique_ptr<matrix> owed(V_Duplicate(remaining_.get(), iP_));
        // Even the first fill watches the budget of a timed search.
        std::function<bool()> outOfTime;
        if (timeStop_ == -1) outOfTime = [this] { return sensory::scaledElapsedSince(start_) > budget_; };
        for (bool firstFill = true;; firstFill = false) {
            const double crit = sensory::fillByMarginalTrials(first, nRest_, iP_, iR_, iCritType_, rest_.get(),
                                                              remaining_.get(), seeds_, scorer_, outOfTime);
            if (firstFill || crit > bestCrit_) {
                bestCrit_ = crit;
                keepBest();
            }
            if (timeStop_ == 0 || (firstFill && balance())) break;
            if (sensory::scaledElapsedSince(start_) > budget_ || provedOptimal(bestCrit_)) break;
            for (int r = first; r <= nRest_; ++r)
                for (int p = 1; p <= iP_; ++p) rest_->vbset(r, p, 0);
            owed->copyMatTo(remaining_.get());
        }
        best_->copyMatTo(rest_.get());
        return bestCrit_;
    }

    // Refinement calls from the best rest until the budget is spent or the
    // bound is reached; each call continues the random stream of the one
    // before.
    void refine() {
        const sensory::RefineBudget time{start_, timeStop_, budget_};
        double crit = bestCrit_;
        while (stop_ != -1) {
            sensory::metropolisHastings(nRest_, iP_, iR_, C_, iCritType_, time, rest_.get(), &crit, &stop_, false,
                                        seeds_, scorer_);
            if (crit <= bestCrit_) continue;
            bestCrit_ = crit;
            keepBest();
            if (provedOptimal(bestCrit_) || std::fabs(1.0 - bestCrit_) < kTolerance) *found_ = stop_ = -1;
        }
    }

    // The balanced-design bound, reachable only when the rest serves every
    // product equally often.
    bool provedOptimal(double crit) const {
        return std::fabs(bound_ - crit) < kTolerance && num::IsLong(static_cast<double>(nRest_) * iR_ / iP_) != 0;
    }

    void keepBest() { rest_->copyMatTo(best_.get()); }

    // A best rest left unproved that could be balanced gets one balancing
    // search, which proves its design optimal when it finds a balanced one
    // that beats the best rest by more than a tie. Returns whether the best
    // rest is proved optimal.
    bool balance() {
        if (*found_ != -1 && !balanceTried_) {
            balanceTried_ = true;
            matrixInt balanced(nRest_, iP_, 0);
            best_->copyMatTo(&balanced);
            if (sensory::balanceDesign(nRest_, iP_, iR_, {timeStop_, budget_}, &balanced, seeds_) &&
                keepIfBetter(balanced))
                *found_ = stop_ = -1;
        }
        return *found_ == -1;
    }

    // A best rest left unproved gets one concurrence-targeting search (the
    // most even concurrences, then the best criterion among them). A design
    // it finds that beats the best rest by more than a tie becomes the best
    // rest and where the exchange goes on.
    void targetConcurrences() {
        if (*found_ == -1 || targetTried_) return;
        targetTried_ = true;
        if (sensory::targetConcurrences(nRest_, iP_, iR_, iCritType_, {timeStop_, budget_}, best_.get(), &bestCrit_,
                                        seeds_, scorer_))
            best_->copyMatTo(rest_.get());
    }

    // A design a later stage found replaces the best rest only for a gain
    // beyond a tie: an isomorphic design scores the same but for its last
    // bits, and taking it would make the result depend on the seed alone.
    bool keepIfBetter(const matrixInt& design) {
        const double crit = scorer_.score(iCritType_, &design, nRest_, iP_, iR_);
        if (!num::ExceedsBeyondTie(crit, bestCrit_)) return false;
        design.copyMatTo(best_.get());
        bestCrit_ = crit;
        return true;
    }

    int iJ_, iP_, iR_, iCritType_;
    short timeStop_;
    double budget_;
    matrixInt* JPMat_;
    sensory::SeedStream& seeds_;
    double C_;
    double bound_;  // E*, the efficiency of a balanced incomplete block design
    int nRep_ = 0, nFull_ = 0, nRest_ = 0;
    int firstFree_ = 1;
    short stop_ = 0;
    short* found_ = nullptr;
    bool balanceTried_ = false;
    bool targetTried_ = false;
    double start_ = 0.0;
    double bestCrit_ = 0.0;  // criterion of the best rest, scored as a design of nRest_ rows
    sensory::DesignScorer scorer_;
    std::unique_ptr<matrix> remaining_, blockTable_;
    std::unique_ptr<matrixInt> rest_, best_;
};

}  // namespace

int GetJPMatForMarg(int iJ, int iP, int iR, int iCritType, short iTimeStop, double iMaxSeconds, matrix* marginals,
                    matrixInt* JPMat, double* maxcrit, short* FoundExact, int* ioSeed, short* ioSeedInit,
                    int* oSeed) {
    if (marginals == nullptr || JPMat == nullptr || maxcrit == nullptr || FoundExact == nullptr ||
        ioSeed == nullptr || ioSeedInit == nullptr || oSeed == nullptr)
        return 0;
    if (iJ < 1 || iP < 1 || iR < 1 || iR > iP) {
        *maxcrit = num::kNoValue;  // no judge, or blocks no product set can fill
        return 0;
    }
    // A flag other than -1 asks for no time budget: one untimed pass.
    const short timeStop = iTimeStop == -1 ? -1 : 0;
    sensory::SeedStream seeds(ioSeed, ioSeedInit, oSeed);
    DesignSearch(iJ, iP, iR, iCritType, timeStop, iMaxSeconds, JPMat, seeds).run(marginals, maxcrit, FoundExact);
    return 0;
}
