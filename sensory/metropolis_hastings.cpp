#include "sensory/metropolis_hastings.h"

#include "sensory/search_clock.h"
#include "sensory/table_fills.h"
#include "services/matrix_ops.h"
#include "services/numeric.h"

#include <memory>
#include <vector>

namespace sensory {

namespace {

// Below this many possible blocks the proposals are drawn by learned weights.
constexpr double kFewBlocks = 1000;
constexpr int kSweepsPerCall = 10;
// A row where no proposal can be scored (every block held by another row,
// or a row holding more than its block) is left after this many tries
// rather than holding the host; on a timed search also once the budget is
// spent, the clock being read every kAttemptsPerClockRead tries.
constexpr int kAttemptsPerRow = 10000;
constexpr int kAttemptsPerClockRead = 1000;

bool outOfTime(const RefineBudget& time) {
    return time.iTimeStop == -1 && scaledElapsedSince(time.start) > time.budget;
}

class Refinement {
public:
    Refinement(int nRows, int iP, int iR, double C, int iCritType, matrixInt* rest, double* crit, bool distinct,
               SeedStream& seeds, DesignScorer& scorer)
        : nRows_(nRows), iP_(iP), iR_(iR), C_(C), iCritType_(iCritType), rest_(rest), crit_(crit),
          distinct_(distinct), learning_(C < kFewBlocks), seeds_(seeds), scorer_(scorer),
          working_(M_Duplicate(rest)), current_(*crit), comb_(iR, 1, 0), permutation_(iP, 1, 0) {
        if (!learning_) return;
        const int blocks = static_cast<int>(C);
        availability_ = std::make_unique<matrix>(blocks, 1, 1.0);
        ranks_ = std::make_unique<matrix>(nRows, 1, 0.0);
        weights_ = iniSuperMat(nRows, blocks, 1, 1.0);
        SuperMatSetToValue(weights_, nRows, 1.0);
        cumulative_.resize(static_cast<std::size_t>(blocks));
        for (int r = 1; r <= nRows; ++r) {
            const double rank = blockRank(working_.get(), r, iP_, iR_, &comb_);
            ranks_->vbset(r, rank);
            availability_->vbset(static_cast<int>(rank), 0.0);
        }
    }
    ~Refinement() { deletecascade(weights_, nRows_); }
    Refinement(const Refinement&) = delete;
    Refinement& operator=(const Refinement&) = delete;

    void sweep(const RefineBudget& time) {
        for (int i = 1; i <= nRows_; ++i)
            for (int attempt = 1; attempt <= kAttemptsPerRow; ++attempt) {
                if (tryMove(i)) break;
                if (attempt % kAttemptsPerClockRead == 0 && outOfTime(time)) return;
            }
    }

private:
    // One proposal for row i; false when it could not be scored.
    bool tryMove(int i) {
        propose(i);
        saveRow(i, oldRow_);
        writeRow(working_.get(), i, iP_, proposal_);
        if (!sharesProduct()) {
            restoreRow(i, oldRow_);
            return false;
        }
        readDifference(i);
        const int j = findPartner(i);  // 0 when no other row can take the difference back
        if (nRows_ > 1 && j == 0) {
            restoreRow(i, oldRow_);
            return false;
        }
        const double candidate = scorer_.score(iCritType_, working_.get(), nRows_, iP_, iR_);
        if (accepted(candidate, i, j)) {
            recordBlocks(i, j);
            current_ = candidate;
        } else {
            restoreRow(i, oldRow_);
            if (j > 0) restoreRow(j, partnerRow_);
        }
        if (candidate > *crit_) {
            *crit_ = candidate;
            working_->copyMatTo(rest_);
        }
        return true;
    }

    void propose(int i) {
        proposal_.clear();
        if (!learning_) {
            seeds_.permutation(iP_, &permutation_);
            for (int k = 1; k <= iR_; ++k) proposal_.push_back(permutation_.vbget(k));
            return;
        }
        // Running sums of the row's weights (free blocks only when blocks
        // must stay distinct); a fresh draw per block until one falls under
        // its share.
        const int blocks = static_cast<int>(C_);
        double sum = 0.0;
        for (int c = 1; c <= blocks; ++c) {
            const double w = weights_[i - 1]->vbget(c) * (distinct_ ? availability_->vbget(c) : 1.0);
            cumulative_[static_cast<std::size_t>(c - 1)] = sum += w;
        }
        proposedBlock_ = blocks;
        for (int c = 1; c <= blocks; ++c)
            if (seeds_.uniform() <= cumulative_[static_cast<std::size_t>(c - 1)] / sum) {
                proposedBlock_ = c;
                break;
            }
        setBlock(iP_, iR_, proposedBlock_, &comb_);
        for (int k = 1; k <= iR_; ++k) proposal_.push_back(comb_.vbget(k) + 1);
    }

    bool sharesProduct() const {
        for (int p : proposal_)
            if (oldRow_[static_cast<std::size_t>(p - 1)] == 1) return true;
        return false;
    }

    // d(p) = new(p) - old(p) wherever it is not 0.
    void readDifference(int i) {
        difference_.clear();
        for (int p = 1; p <= iP_; ++p) {
            // Host cells other than 0 and 1 pass through the search: wrap, as the host would.
            const int d = num::wrappedDifference(working_->vbget(i, p), oldRow_[static_cast<std::size_t>(p - 1)]);
            if (d != 0) difference_.push_back({p, d});
        }
    }

    // The first other row holding every product row i gained and none it
    // dropped, changed by -d; 0 when there is none.
    int findPartner(int i) {
        for (int j = 1; j <= nRows_; ++j) {
            if (j == i || !absorbs(j)) continue;
            saveRow(j, partnerRow_);
            for (const auto& [p, d] : difference_)
                working_->vbset(j, p, num::wrappedDifference(working_->vbget(j, p), d));
            if (!distinct_ || !learning_ || availability_->vbget(static_cast<int>(rankOf(j))) == 1.0) return j;
            restoreRow(j, partnerRow_);
        }
        return 0;
    }

    bool absorbs(int j) const {
        for (const auto& [p, d] : difference_) {
            const bool holds = working_->vbget(j, p) == 1;
            if ((d == 1 && !holds) || (d == -1 && holds)) return false;
        }
        return true;
    }

    bool accepted(double candidate, int i, int j) {
        if (candidate >= current_) {
            if (learning_) {
                raiseWeight(i, proposedBlock_);
                if (j > 0) raiseWeight(j, rankOf(j));
            }
            return true;
        }
        double a = 0.85 * (*crit_ - current_) / ((*crit_ - candidate) + 1e-06);
        if (a > 1.0) a = 1.0;
        return !(seeds_.uniform() > a);
    }

    // The blocks rows i and j left become free, those they took held.
    void recordBlocks(int i, int j) {
        if (!learning_) return;
        const double newI = proposedBlock_, newJ = j > 0 ? rankOf(j) : 0.0;
        availability_->vbset(static_cast<int>(ranks_->vbget(i)), 1.0);
        if (j > 0) availability_->vbset(static_cast<int>(ranks_->vbget(j)), 1.0);
        availability_->vbset(static_cast<int>(newI), 0.0);
        ranks_->vbset(i, newI);
        if (j > 0) {
            availability_->vbset(static_cast<int>(newJ), 0.0);
            ranks_->vbset(j, newJ);
        }
    }

    void raiseWeight(int row, double block) {
        const int c = static_cast<int>(block);
        weights_[row - 1]->vbset(c, weights_[row - 1]->vbget(c) + 1.0);
    }

    double rankOf(int row) { return blockRank(working_.get(), row, iP_, iR_, &comb_); }

    void saveRow(int row, std::vector<int>& saved) const {
        saved.resize(static_cast<std::size_t>(iP_));
        for (int p = 1; p <= iP_; ++p) saved[static_cast<std::size_t>(p - 1)] = working_->vbget(row, p);
    }
    void restoreRow(int row, const std::vector<int>& saved) {
        for (int p = 1; p <= iP_; ++p) working_->vbset(row, p, saved[static_cast<std::size_t>(p - 1)]);
    }

    int nRows_, iP_, iR_;
    double C_;
    int iCritType_;
    matrixInt* rest_;
    double* crit_;
    bool distinct_, learning_;
    SeedStream& seeds_;
    DesignScorer& scorer_;
    std::unique_ptr<matrixInt> working_;
    double current_;
    matrixInt comb_, permutation_;
    std::unique_ptr<matrix> availability_, ranks_;
    matrix** weights_ = nullptr;
    std::vector<double> cumulative_;
    std::vector<int> proposal_, oldRow_, partnerRow_;
    std::vector<std::pair<int, int>> difference_;
    double proposedBlock_ = 0.0;
};

}  // namespace

int metropolisHastings(int nRows, int iP, int iR, double C, int iCritType, const RefineBudget& time, matrixInt* rest,
                       double* crit, short* stop, bool distinctBlocks, SeedStream& seeds, DesignScorer& scorer) {
    if (nRows < 1 || iR < 1 || iR > iP || !(C >= 1.0)) {
        *stop = -1;  // nothing to refine
        return 0;
    }
    Refinement refinement(nRows, iP, iR, C, iCritType, rest, crit, distinctBlocks, seeds, scorer);
    for (int sweep = 1;; ++sweep) {
        refinement.sweep(time);
        if (time.iTimeStop == 0 || outOfTime(time)) {
            *stop = -1;
            return 0;
        }
        if (sweep == kSweepsPerCall || *stop == -1) return 0;
    }
}

}  // namespace sensory

int MetropolisHastings(int nRows, int iP, int iR, double C, int iCritType, double start, short iTimeStop,
                       double budget, matrixInt* rest, double* crit, short* stop, short iDistinctBlocks, int* ioSeed,
                       short* ioSeedInit, int* oSeed) {
    if (rest == nullptr || crit == nullptr || stop == nullptr) return 0;
    sensory::SeedStream seeds(ioSeed, ioSeedInit, oSeed);
    sensory::DesignScorer scorer;
    return sensory::metropolisHastings(nRows, iP, iR, C, iCritType, {start, iTimeStop, budget}, rest, crit, stop,
                                       iDistinctBlocks != 0, seeds, scorer);
}
