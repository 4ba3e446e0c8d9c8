#include "sensory/concurrence_targeting.h"

#include "sensory/concurrence_searches.h"
#include "sensory/even_counts.h"
#include "services/numeric.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <vector>

namespace sensory {

namespace {

// Rounds of both searches from the given design: each round's draws take
// it to another design of least concurrences, and the walks share the work.
constexpr int kRounds = 6;
// Cyclic candidates are enumerated only up to this many.
constexpr double kCyclicCandidates = 500000;
// Efficiency factors at or below this mean a disconnected design.
constexpr double kZeroPivot = 1e-12;

std::size_t at(long long i) { return static_cast<std::size_t>(i); }
long long sqr(long long x) { return x * x; }

// Cyclic designs as candidates: initial blocks developed mod P, each into
// P rows (a full orbit) or, for even P and R, a block fixed by adding P/2
// into P/2 rows (a half orbit), as many of each as fill the J rows. Every
// product is served equally often, pair concurrences depend only on the
// difference of the two products, and the concurrence matrix is
// circulant: its eigenvalues are the cosine sums of its first row, so a
// candidate is scored in O(P^2). Among the candidates of least sum of
// squared concurrences the best criterion is kept.
class CyclicFamily {
public:
    CyclicFamily(int J, int P, int R) : J_(J), P_(P), R_(R) {
        if (R < 2 || R >= P || num::Cnk(P - 1, R - 1) > kCyclicCandidates) return;
        fullBlocks_ = subsetsWithZero(P - 1, R - 1);
        full_ = differenceCounts(fullBlocks_, 1);
        if (P % 2 == 0 && R % 2 == 0 && num::Cnk(P / 2 - 1, R / 2 - 1) <= kCyclicCandidates) {
            for (std::vector<int> b : subsetsWithZero(P / 2 - 1, R / 2 - 1)) {
                const std::size_t n = b.size();
                for (std::size_t i = 0; i < n; ++i) b.push_back(b[i] + P / 2);
                halfBlocks_.push_back(b);
            }
            half_ = differenceCounts(halfBlocks_, 2);
        }
        cosines_.resize(at(static_cast<long long>(P) * P));
        for (int j = 0; j < P; ++j)
            for (int d = 0; d < P; ++d) cosines_[at(static_cast<long long>(j) * P + d)] = std::cos(2.0 * kPi * j * d / P);
    }

    // The best candidate's rows into blocks (J x R); false when the shape
    // has no cyclic candidates within reach or none is connected.
    bool best(int iCritType, std::vector<int>& blocks) {
        if (full_.empty()) return false;
        for (int fullOrbits = J_ / P_; fullOrbits >= 0; --fullOrbits) {
            const int rest = J_ - fullOrbits * P_;
            if (rest == 0) {
                search(iCritType, fullOrbits, 0);
            } else if (!half_.empty() && rest % (P_ / 2) == 0) {
                search(iCritType, fullOrbits, rest / (P_ / 2));
            }
        }
        if (!(bestCrit_ > -std::numeric_limits<double>::infinity())) return false;
        blocks.clear();
        for (std::size_t k = 0; k < chosen_.size(); ++k)
            develop(k < chosenFull_ ? fullBlocks_[chosen_[k]] : halfBlocks_[chosen_[k]], k < chosenFull_ ? P_ : P_ / 2,
                    blocks);
        return true;
    }

private:
    // Every pick of fullOrbits full-orbit and halfOrbits half-orbit blocks,
    // each kind in non-decreasing order (the order of orbits does not
    // matter), when there are few enough.
    void search(int iCritType, int fullOrbits, int halfOrbits) {
        const double count = std::pow(static_cast<double>(full_.size()), fullOrbits) *
                             std::pow(static_cast<double>(half_.size()), halfOrbits);
        if (fullOrbits + halfOrbits == 0 || count > kCyclicCandidates) return;
        std::vector<std::size_t> pick(at(fullOrbits + halfOrbits), 0);
        std::vector<int> lambda(at(P_));
        const double r = (fullOrbits * R_ + halfOrbits * (R_ / 2)) * 1.0;
        do {
            std::fill(lambda.begin(), lambda.end(), 0);
            for (std::size_t k = 0; k < pick.size(); ++k) {
                const std::vector<int>& c = k < at(fullOrbits) ? full_[pick[k]] : half_[pick[k]];
                for (int d = 0; d < P_; ++d) lambda[at(d)] += c[at(d)];
            }
            long long ss = 0;
            for (int d = 1; d < P_; ++d) ss += sqr(lambda[at(d)]);
            if (ss > least_) continue;
            if (ss < least_) bestCrit_ = -std::numeric_limits<double>::infinity();
            least_ = ss;
            const double c = criterion(iCritType, lambda, r);
            if (c > bestCrit_) {
                bestCrit_ = c;
                chosen_ = pick;
                chosenFull_ = at(fullOrbits);
            }
        } while (advance(pick, at(fullOrbits)));
    }

    // The next pick: each kind's indices non-decreasing; false after the last.
    bool advance(std::vector<std::size_t>& pick, std::size_t fullOrbits) const {
        for (int i = static_cast<int>(pick.size()) - 1; i >= 0; --i) {
            const std::size_t n = at(i) < fullOrbits ? full_.size() : half_.size();
            if (pick[at(i)] + 1 >= n) continue;
            ++pick[at(i)];
            const std::size_t end = at(i) < fullOrbits ? fullOrbits : pick.size();
            for (std::size_t k = at(i) + 1; k < end; ++k) pick[k] = pick[at(i)];
            for (std::size_t k = std::max(end, at(i) + 1); k < pick.size(); ++k) pick[k] = 0;
            return true;
        }
        return false;
    }

    // Every set of 0 and `size` of 1..top, increasing.
    static std::vector<std::vector<int>> subsetsWithZero(int top, int size) {
        std::vector<std::vector<int>> out;
        std::vector<int> c(at(size));
        for (int i = 0; i < size; ++i) c[at(i)] = i + 1;
        for (;;) {
            std::vector<int> b{0};
            b.insert(b.end(), c.begin(), c.end());
            out.push_back(b);
            int i = size - 1;
            while (i >= 0 && c[at(i)] == top - size + 1 + i) --i;
            if (i < 0) break;
            ++c[at(i)];
            for (int k = i + 1; k < size; ++k) c[at(k)] = c[at(k - 1)] + 1;
        }
        return out;
    }

    // For each block, how many ordered pairs of its products differ by d
    // mod P, divided by `per` (a half-orbit block meets each pair twice).
    std::vector<std::vector<int>> differenceCounts(const std::vector<std::vector<int>>& blocks, int per) const {
        std::vector<std::vector<int>> counts;
        for (const auto& b : blocks) {
            std::vector<int> c(at(P_), 0);
            for (int x : b)
                for (int y : b)
                    if (x != y) ++c[at(((y - x) % P_ + P_) % P_)];
            for (int& v : c) v /= per;
            counts.push_back(c);
        }
        return counts;
    }

    // The efficiency factors 1 - mu_j / (R r), mu_j = r + sum_d lambda(d) cos(2 pi j d / P).
    double criterion(int iCritType, const std::vector<int>& lambda, double r) const {
        double sum = 0;
        for (int j = 1; j < P_; ++j) {
            double mu = r;
            for (int d = 1; d < P_; ++d) mu += lambda[at(d)] * cosines_[at(static_cast<long long>(j) * P_ + d)];
            const double e = 1.0 - mu / (R_ * r);
            if (!(e > kZeroPivot)) return -std::numeric_limits<double>::infinity();
            sum += iCritType == 1 ? std::log(e) : 1.0 / e;
        }
        return iCritType == 1 ? std::exp(sum / (P_ - 1)) : (P_ - 1) / sum;
    }

    // Rows i = 0..rows-1 holding block + i mod P.
    void develop(const std::vector<int>& block, int rows, std::vector<int>& blocks) const {
        for (int i = 0; i < rows; ++i)
            for (int x : block) blocks.push_back((x + i) % P_);
    }

    static constexpr double kPi = 3.14159265358979323846;
    int J_, P_, R_;
    std::vector<std::vector<int>> fullBlocks_, halfBlocks_;  // initial blocks of each kind
    std::vector<std::vector<int>> full_, half_;              // their difference counts
    std::vector<double> cosines_;
    long long least_ = std::numeric_limits<long long>::max();
    double bestCrit_ = -std::numeric_limits<double>::infinity();
    std::vector<std::size_t> chosen_;
    std::size_t chosenFull_ = 0;
};

class ConcurrenceTargeting {
public:
    ConcurrenceTargeting(int J, int P, int R, int iCritType, const TargetingBudget& time, SeedStream& seeds)
        : J_(J), P_(P), R_(R), iCritType_(iCritType), clock_(time), seeds_(seeds), design_(J, P, R), tabu_(J, P, R),
          walk_(J, P, R, iCritType),
          least_(leastSumOfSquares(static_cast<long long>(P) * (P - 1) / 2,
                                   static_cast<long long>(J) * R * (R - 1) / 2)) {}

    // The best design found from `start`, into `start`; false when none could
    // be scored.
    bool run(matrixInt* start, bool keepDistinct) {
        const long long steps = walk_.stepsOfWork() / kRounds;
        for (int round = 0; round < kRounds; ++round) {
            design_.load(start);
            if (round > 0) kick();
            design_.restore(tabu_.run(design_, least_, clock_, seeds_));
            walk_.run(design_, steps, keepDistinct, clock_, seeds_, best_);
        }
        // The best cyclic candidate competes too, and the walk goes on from it.
        std::vector<int> cyclic;
        if (CyclicFamily(J_, P_, R_).best(iCritType_, cyclic)) {
            design_.restore(cyclic);
            walk_.run(design_, steps, keepDistinct, clock_, seeds_, best_);
        }
        if (!(best_.value > -std::numeric_limits<double>::infinity())) return false;
        design_.restore(best_.blocks);
        design_.writeTo(start);
        return true;
    }

private:
    // J random exchanges, so that each round sets out from elsewhere.
    void kick() {
        RandomExchange e{};
        for (int n = 0; n < J_; ++n)
            if (drawExchange(design_, J_, seeds_, e)) design_.exchange(e.i, e.j, design_.outsideI(e.s), design_.outsideJ(e.t));
    }

    int J_, P_, R_, iCritType_;
    TargetingClock clock_;
    SeedStream& seeds_;
    ExchangeDesign design_;
    ConcurrenceTabuSearch tabu_;
    CriterionWalk walk_;
    long long least_;  // the least sum of squared concurrences whole counts allow
    BestDesign best_;
};

// Whether the rows of `design` are distinct sets of products.
bool hasDistinctRows(int nRows, int iP, const matrixInt* design) {
    std::vector<std::vector<int>> rows(at(nRows), std::vector<int>(at(iP)));
    for (int j = 0; j < nRows; ++j)
        for (int p = 0; p < iP; ++p) rows[at(j)][at(p)] = design->vbget(j + 1, p + 1);
    std::sort(rows.begin(), rows.end());
    return std::adjacent_find(rows.begin(), rows.end()) == rows.end();
}

}  // namespace

bool targetConcurrences(int nRows, int iP, int iR, int iCritType, const TargetingBudget& time, matrixInt* design,
                        double* crit, SeedStream& seeds, DesignScorer& scorer) {
    if (design == nullptr || crit == nullptr || nRows < 2 || iP < 2 || iR < 2 || iR >= iP) return false;
    matrixInt candidate(nRows, iP, 0);
    design->copyMatTo(&candidate);
    ConcurrenceTargeting search(nRows, iP, iR, iCritType, time, seeds);
    if (!search.run(&candidate, hasDistinctRows(nRows, iP, design))) return false;
    const double reached = scorer.score(iCritType, &candidate, nRows, iP, iR);
    if (!(reached > *crit)) return false;
    candidate.copyMatTo(design);
    *crit = reached;
    return true;
}

}  // namespace sensory
