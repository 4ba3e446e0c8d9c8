#include "sensory/balancing_search.h"

#include "sensory/row_exchange.h"
#include "sensory/search_clock.h"

#include <algorithm>
#include <cstddef>
#include <set>
#include <unordered_map>
#include <limits>
#include <vector>

namespace sensory {

namespace {

// The search ends after this much work (products compared while scoring
// exchanges), which keeps an untimed call short and makes it reproducible
// from its seed.
constexpr long long kScoredWork = 8'000'000;
// Moves between two readings of the clock in a timed search.
constexpr long long kClockPeriod = 16;
// A product that leaves a row stays out of it for kTenure moves plus a
// random part of up to kTenureSpread.
constexpr int kTenure = 2;
constexpr int kTenureSpread = 8;

// Row i gives product a to row j and takes b from it; delta is the change
// in the sum of squared concurrence deviations, halved.
struct Exchange {
    int i = -1, j = -1, a = -1, b = -1;
    long long delta = std::numeric_limits<long long>::max();
};

class BalancingSearch {
public:
    BalancingSearch(int nRows, int iP, int iR)
        : J_(nRows), P_(iP), R_(iR), r_(static_cast<int>(static_cast<long long>(nRows) * iR / iP)),
          lambda_(static_cast<int>(static_cast<long long>(r_) * (iR - 1) / (iP - 1))),
          blocks_(cells(nRows, iR)), member_(cells(nRows, iP), 0), conc_(cells(iP, iP), 0),
          tabuUntil_(cells(nRows, iP), 0) {
        outsideI_.reserve(static_cast<std::size_t>(iR));
        outsideJ_.reserve(static_cast<std::size_t>(iR));
        gainA_.reserve(static_cast<std::size_t>(iR));
        gainB_.reserve(static_cast<std::size_t>(iR));
    }

    // Loads `design` when every row holds R products and every product r
    // rows, otherwise the cyclic design: row j takes the R products after
    // the last one row j-1 took, mod P. A design whose rows hold R products
    // each, no two the same, is kept distinct: its replications are evened
    // out by replacing products one at a time, never repeating a block, and
    // no exchange may repeat one either. False when that evening out fails.
    bool start(const matrixInt* design) {
        distinct_ = hasDistinctBlocksOfR(design);
        const bool usable = distinct_ || hasEqualReplications(design);
        for (int j = 0; j < J_; ++j) {
            int k = 0;
            for (int p = 0; p < P_ && usable; ++p)
                if (design->vbget(j + 1, p + 1) == 1) block(j, k++) = p;
            for (; k < R_; ++k) block(j, k) = static_cast<int>((static_cast<long long>(j) * R_ + k) % P_);
            for (k = 0; k < R_; ++k) member(j, block(j, k)) = 1;
        }
        if (distinct_) {
            for (int j = 0; j < J_; ++j) {
                rowHash_.push_back(0);
                for (int k = 0; k < R_; ++k) rowHash_.back() ^= productKey(block(j, k));
                ++heldBlocks_[rowHash_.back()];
            }
            if (!evenReplications()) return false;
        }
        for (int j = 0; j < J_; ++j)
            for (int k = 0; k < R_; ++k)
                for (int l = 0; l < k; ++l) addConcurrence(block(j, k), block(j, l), 1);
        deviation_ = 0;
        for (int p = 0; p < P_; ++p)
            for (int q = 0; q < p; ++q) deviation_ += sqr(conc(p, q) - lambda_);
        return true;
    }

    // Tabu search until the deviation is zero or the budget is spent.
    bool run(const BalancingBudget& time, SeedStream& seeds) {
        const double started = clockNow();
        long long scored = 0;
        bestDeviation_ = deviation_;
        for (long long move = 1; deviation_ > 0 && scored < kScoredWork; ++move) {
            if (time.iTimeStop == -1 && move % kClockPeriod == 0 && scaledElapsedSince(started) > time.budget)
                break;
            Exchange best;
            if (!findBestExchange(move, seeds, scored, best)) break;
            if (best.i < 0) continue;  // every exchange tabu: wait for one to expire
            apply(best);
            if (deviation_ < bestDeviation_) bestDeviation_ = deviation_;
            tabuUntil(best.i, best.a) = move + kTenure + static_cast<long long>(seeds.uniform() * kTenureSpread);
            tabuUntil(best.j, best.b) = move + kTenure + static_cast<long long>(seeds.uniform() * kTenureSpread);
        }
        return deviation_ == 0;
    }

    void writeTo(matrixInt* design) const {
        for (int j = 0; j < J_; ++j)
            for (int p = 0; p < P_; ++p) design->vbset(j + 1, p + 1, member(j, p));
    }

private:
    static std::size_t cells(int rows, int cols) { return static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols); }
    static long long sqr(long long x) { return x * x; }

    int& block(int j, int k) { return blocks_[cells(j, R_) + static_cast<std::size_t>(k)]; }
    int block(int j, int k) const { return blocks_[cells(j, R_) + static_cast<std::size_t>(k)]; }
    char& member(int j, int p) { return member_[cells(j, P_) + static_cast<std::size_t>(p)]; }
    char member(int j, int p) const { return member_[cells(j, P_) + static_cast<std::size_t>(p)]; }
    int conc(int p, int q) const { return conc_[cells(p, P_) + static_cast<std::size_t>(q)]; }
    long long& tabuUntil(int j, int p) { return tabuUntil_[cells(j, P_) + static_cast<std::size_t>(p)]; }

    void addConcurrence(int p, int q, int by) {
        conc_[cells(p, P_) + static_cast<std::size_t>(q)] += by;
        conc_[cells(q, P_) + static_cast<std::size_t>(p)] += by;
    }

    // A fixed random key per product; a block's hash is the XOR of its
    // products' keys, so equal blocks hash equal and a move updates a hash
    // in two steps. Unequal blocks that collide only forbid a move.
    static unsigned long long productKey(int p) {
        unsigned long long z = 0x9E3779B97F4A7C15ULL * static_cast<unsigned long long>(p + 1);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }

    bool hasDistinctBlocksOfR(const matrixInt* design) const {
        std::set<std::vector<char>> blocks;
        for (int j = 1; j <= J_; ++j) {
            std::vector<char> row(static_cast<std::size_t>(P_));
            int size = 0;
            for (int p = 1; p <= P_; ++p) {
                const int v = design->vbget(j, p);
                if (v != 0 && v != 1) return false;
                size += v;
                row[static_cast<std::size_t>(p - 1)] = static_cast<char>(v);
            }
            if (size != R_ || !blocks.insert(std::move(row)).second) return false;
        }
        return true;
    }

    // Whether another row than i and j already holds the block with hash h.
    bool heldElsewhere(unsigned long long h, int i, int j) const {
        const auto it = heldBlocks_.find(h);
        const int held = it == heldBlocks_.end() ? 0 : it->second;
        return held - (rowHash_[static_cast<std::size_t>(i)] == h) - (rowHash_[static_cast<std::size_t>(j)] == h) > 0;
    }

    // Row i trades a for b and row j b for a: no block may then repeat.
    bool keepsBlocksDistinct(int i, int j, int a, int b) const {
        const unsigned long long swap = productKey(a) ^ productKey(b);
        const unsigned long long newI = rowHash_[static_cast<std::size_t>(i)] ^ swap;
        const unsigned long long newJ = rowHash_[static_cast<std::size_t>(j)] ^ swap;
        return newI != newJ && !heldElsewhere(newI, i, j) && !heldElsewhere(newJ, i, j);
    }

    void rehash(int j, int out, int in) {
        unsigned long long& h = rowHash_[static_cast<std::size_t>(j)];
        if (--heldBlocks_[h] == 0) heldBlocks_.erase(h);
        h ^= productKey(out) ^ productKey(in);
        ++heldBlocks_[h];
    }

    // Replaces a product served more than r times by one served fewer, in a
    // row holding the first and not the second whose new block no other
    // row holds, until every product is served r times.
    bool evenReplications() {
        std::vector<int> served(static_cast<std::size_t>(P_), 0);
        for (int j = 0; j < J_; ++j)
            for (int k = 0; k < R_; ++k) ++served[static_cast<std::size_t>(block(j, k))];
        for (int over = 0; over < P_; ++over)
            while (served[static_cast<std::size_t>(over)] > r_) {
                bool moved = false;
                for (int under = 0; under < P_ && !moved; ++under) {
                    if (served[static_cast<std::size_t>(under)] >= r_) continue;
                    for (int j = 0; j < J_ && !moved; ++j) {
                        if (member(j, over) == 0 || member(j, under) == 1) continue;
                        const unsigned long long h = rowHash_[static_cast<std::size_t>(j)] ^ productKey(over) ^ productKey(under);
                        if (heldBlocks_.count(h) != 0) continue;
                        for (int k = 0; k < R_; ++k)
                            if (block(j, k) == over) block(j, k) = under;
                        member(j, over) = 0;
                        member(j, under) = 1;
                        rehash(j, over, under);
                        --served[static_cast<std::size_t>(over)];
                        ++served[static_cast<std::size_t>(under)];
                        moved = true;
                    }
                }
                if (!moved) return false;
            }
        return true;
    }

    bool hasEqualReplications(const matrixInt* design) const {
        const auto replication = replicationsOfBlocksOfR(design, J_, P_, R_);
        return replication && std::all_of(replication->begin(), replication->end(), [this](int n) { return n == r_; });
    }

    // The best exchange between two rows that is not tabu, or that is but
    // would reach a deviation below the least so far; among equals each
    // has the same chance (one draw per tie). False when the work budget
    // ran out before every pair of rows was scored.
    bool findBestExchange(long long move, SeedStream& seeds, long long& scored, Exchange& best) {
        int ties = 0;
        for (int i = 0; i < J_; ++i) {
            if (scored >= kScoredWork) return false;
            for (int j = i + 1; j < J_; ++j) {
                prepareRows(i, j);
                const std::size_t m = outsideI_.size();
                scored += R_ + static_cast<long long>(m * m);
                for (std::size_t s = 0; s < m; ++s)
                    for (std::size_t t = 0; t < m; ++t) {
                        const int a = outsideI_[s], b = outsideJ_[t];
                        const long long delta =
                            gainA_[s] + gainB_[t] - 2LL * conc(a, b) + 2LL * (static_cast<long long>(m) - 1);
                        if (delta > best.delta) continue;
                        if (distinct_ && !keepsBlocksDistinct(i, j, a, b)) continue;
                        const bool tabu = tabuUntil(i, b) > move || tabuUntil(j, a) > move;
                        if (tabu && deviation_ + 2 * delta >= bestDeviation_) continue;
                        if (delta < best.delta) ties = 0;
                        if (++ties > 1 && seeds.uniform() * ties >= 1.0) continue;
                        best = Exchange{i, j, a, b, delta};
                    }
            }
        }
        return true;
    }

    // The products of row i not in row j and of row j not in row i, with
    // the parts of each exchange's delta that depend on one product alone:
    // for a leaving i, the concurrences it gains with j's other products
    // less those it loses with i's; for b leaving j, the reverse.
    void prepareRows(int i, int j) {
        outsideI_.clear();
        outsideJ_.clear();
        for (int k = 0; k < R_; ++k) {
            const int p = block(i, k), q = block(j, k);
            if (member(j, p) == 0) outsideI_.push_back(p);
            if (member(i, q) == 0) outsideJ_.push_back(q);
        }
        gainA_.clear();
        gainB_.clear();
        for (int a : outsideI_) gainA_.push_back(sumOver(outsideJ_, a) - sumOver(outsideI_, a));
        for (int b : outsideJ_) gainB_.push_back(sumOver(outsideI_, b) - sumOver(outsideJ_, b));
    }

    // Concurrences of p with the products of `set` other than p.
    long long sumOver(const std::vector<int>& set, int p) const {
        long long s = 0;
        for (int x : set)
            if (x != p) s += conc(p, x);
        return s;
    }

    void apply(const Exchange& e) {
        moveProduct(e.i, e.a, e.b);
        moveProduct(e.j, e.b, e.a);
        if (distinct_) {
            rehash(e.i, e.a, e.b);
            rehash(e.j, e.b, e.a);
        }
        deviation_ += 2 * e.delta;
    }

    // Row j gives up `out` and takes `in`.
    void moveProduct(int j, int out, int in) { moveProductInRow(*this, j, out, in, R_); }
    template <class Design>
    friend void sensory::moveProductInRow(Design&, int, int, int, int);

    int J_, P_, R_, r_, lambda_;
    long long deviation_ = 0;  // sum over pairs of (concurrence - λ)²
    long long bestDeviation_ = 0;
    std::vector<int> blocks_;  // J x R, the products of each row
    std::vector<char> member_;  // J x P incidence
    std::vector<int> conc_;     // P x P concurrences
    std::vector<long long> tabuUntil_;  // J x P, the move until which p may not re-enter row j
    bool distinct_ = false;
    std::vector<unsigned long long> rowHash_;               // per row, when distinct_
    std::unordered_map<unsigned long long, int> heldBlocks_;  // rows holding each hash
    std::vector<int> outsideI_, outsideJ_;
    std::vector<long long> gainA_, gainB_;
};

}  // namespace

bool balancedDesignPossible(int nRows, int iP, int iR) {
    if (iR < 2 || iR >= iP || nRows < iP) return false;
    const long long servings = static_cast<long long>(nRows) * iR;
    if (servings % iP != 0) return false;
    return servings / iP * (iR - 1) % (iP - 1) == 0;
}

bool balanceDesign(int nRows, int iP, int iR, const BalancingBudget& time, matrixInt* design, SeedStream& seeds) {
    if (design == nullptr || !balancedDesignPossible(nRows, iP, iR)) return false;
    BalancingSearch search(nRows, iP, iR);
    if (!search.start(design) || !search.run(time, seeds)) return false;
    search.writeTo(design);
    return true;
}

}  // namespace sensory
