#include "sensory/presentation_orders.h"

#include "sensory/order_balance.h"
#include "sensory/order_completion.h"
#include "services/scratch.h"
#include "sensory/swap_cache.h"
#include "services/clock.h"
#include "services/matrix_ops.h"
#include "services/numeric.h"
#include "services/random.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <utility>
#include <vector>

namespace {

constexpr double kNone = std::numeric_limits<double>::infinity();
// The search ends once it has done this much work, counted in swaps scored
// (and cells counted, and judges compared), as the work is really done: a
// thousand times the J R P candidate swaps the call's arrays describe (each
// judge's R positions against the P products), and never more than
// kMostScoredSwaps, some 0.1 to 0.4 s of a Release build whatever the shape.
// Twenty passes on the shapes of the benchmarks stay below both, while a
// small panel with a huge `iter` stops after about J R P passes. The count is
// checked after every step, not only between passes: one pass on a panel of
// many thousand judges would otherwise run for minutes. A cached step is
// charged what the swap cache reports, not a full scan: on a few products
// held by thousands of judges a single swap rescores nearly every judge.
constexpr double kWorkPerCandidateSwap = 1000.0;
constexpr double kMostScoredSwaps = 1e7;
// A pass costs at least its draw, its count and its bookkeeping, about the
// time of this many cached swaps, however small the panel: without the floor
// a panel of one position (no swaps at all) would run a pass per unit of work.
constexpr double kLeastPassCost = 1000.0;

// The work the search may still do, in the units of kMostScoredSwaps.
class WorkBudget {
public:
    WorkBudget(int P, int R, int J)
        : left_(std::min(kWorkPerCandidateSwap * static_cast<double>(J) * R * P, kMostScoredSwaps)) {}
    void spend(double work) { left_ -= work; }
    bool exhausted() const { return left_ < 0.0; }

private:
    double left_;
};

void swapCells(matrixInt* M, int j, int r1, int r2) {
    const int first = M->vbget(j, r1);
    M->vbset(j, r1, M->vbget(j, r2));
    M->vbset(j, r2, first);
}

double criterionOf(int P, int R, int J, double lambda, const matrixInt* order) {
    Scratch<matrixInt> positions, carryOver;
    return orders::criterion(orders::countOrder(P, R, J, order, positions.p, carryOver.p), lambda);
}

// Each judge's tasted products in increasing order, from position 1 on;
// positions past R are dropped, positions past a judge's products kept.
void fillFromIncidence(int P, int J, const matrixInt* JPMat, matrixInt* JRMat) {
    for (int j = 1; j <= std::min(J, JPMat->rows()); ++j)
        for (int p = 1, r = 1; p <= P && r <= JRMat->cols(); ++p)
            if (JPMat->vbget(j, p) == 1) JRMat->vbset(j, r++, p);
}

// The seed a search draws its restarts from: a working copy of the host's
// seed that continues the stream through oSeed.
struct WorkingSeed {
    int seed;
    short init = -1;
    int* oSeed;
    WorkingSeed(int* ioSeed, int* out) : seed(*ioSeed), oSeed(out) { *oSeed = seed; }
    // Runs one draw on the working seed, then continues from where it left off.
    template <class Draw>
    void use(Draw draw) {
        draw(&seed, &init, oSeed);
        seed = *oSeed;
    }
};

using orders::Swap;

// The steepest descent of one pass over the swaps within one judge's order.
class Descent {
public:
    Descent(int P, int R, int J, double lambda, matrixInt* JRMat, WorkingSeed& seed, WorkBudget& budget)
        : P_(P), R_(R), J_(J), lambda_(lambda), JRMat_(JRMat), seed_(seed), budget_(budget) {}

    // Descends until a step no longer improves, ten steps have tied, the
    // deadline has passed or the work budget is spent (both checked before
    // the first step and after every step); then undoes the last swap.
    template <class Deadline>
    void run(Deadline passed) {
        if (passed() || budget_.exhausted()) return;
        const bool cached = orders::SwapCache::serves(P_, R_, J_, lambda_, JRMat_);
        // A step the cache cannot serve counts the order, then scores every swap.
        const double recountedStep = static_cast<double>(J_) * R_ + static_cast<double>(J_) * R_ * (R_ - 1) / 2;
        cache_.invalidate();
        int stalls = 0;
        double current = kNone;
        Swap last;
        for (;;) {
            // Every step starts afresh: the best swap of this step may tie
            // with or lose to the last one, which is what lets the order move
            // sideways and the stall counter reach its perturbation.
            const double previous = current;
            current = kNone;
            last = cached ? cache_.steepest(JRMat_, &current) : steepestSwap(&current);
            if (last.found()) {
                swapCells(JRMat_, last.judge, last.r1, last.r2);
                if (cached) cache_.swapped(last.judge, last.r1, last.r2);
            }
            if (previous == current || std::abs(previous - current) < 1e-12) ++stalls;
            if (stalls == 9 && last.found()) {
                const int judge = last.judge;
                seed_.use([&](int* s, short* init, int* o) { RandomPerturbRow(R_, JRMat_, judge, s, init, o); });
                cache_.invalidate();
            }
            budget_.spend(cached ? cache_.takeWork() : recountedStep);
            if (current > previous || stalls == 10 || passed() || budget_.exhausted()) break;
        }
        if (last.found()) swapCells(JRMat_, last.judge, last.r1, last.r2);
    }

private:
    // Recounts the order, then scores every swap from the counts; the first
    // of equally good swaps wins. *best is left at kNone when none scores.
    Swap steepestSwap(double* best) {
        const orders::Sums sums = orders::countOrder(P_, R_, J_, JRMat_, positions_.p, carryOver_.p);
        // An order of product numbers 1..P only puts every one of its J R
        // cells into the position counts; its count cells can be read directly.
        const int* counted = positions_->data();
        const bool carryOverHeld = carryOver_->count() == static_cast<long long>(P_) * (P_ + 1LL);
        if (carryOverHeld &&
            std::accumulate(counted, counted + positions_->count(), 0LL) == static_cast<long long>(J_) * R_)
            return scanSwaps(sums, orders::DirectCounts{counted, carryOver_->data(), P_}, best);
        return scanSwaps(sums, orders::BoundedCounts{positions_, carryOver_}, best);
    }

    template <class Counts>
    Swap scanSwaps(const orders::Sums& sums, const Counts& counts, double* best) {
        Swap chosen;
        std::vector<int> row(static_cast<std::size_t>(R_) + 1);
        auto at = [&row](int r) { return row[static_cast<std::size_t>(r)]; };
        for (int j = 1; j <= J_; ++j) {
            for (int r = 1; r <= R_; ++r) row[static_cast<std::size_t>(r)] = JRMat_->vbget(j, r);
            for (int r1 = 1; r1 < R_; ++r1)
                for (int r2 = r1 + 1; r2 <= R_; ++r2) {
                    const orders::Sums d = orders::swapChange(R_, counts, at, r1, r2);
                    const double c =
                        orders::criterion({sums.position + d.position, sums.carryOver + d.carryOver}, lambda_);
                    if (c < *best) {
                        *best = c;
                        chosen = {j, r1, r2};
                    }
                }
        }
        return chosen;
    }

    int P_, R_, J_;
    double lambda_;
    matrixInt* JRMat_;
    WorkingSeed& seed_;
    WorkBudget& budget_;
    Scratch<matrixInt> positions_, carryOver_;
    orders::SwapCache cache_{P_, R_, J_, lambda_};
};

// The best order of the passes so far, with its criterion.
struct BestOrder {
    Scratch<matrixInt> order;
    double criterion = kNone;
    bool stored = false;
    void store(const matrixInt* JRMat, int J, int R, double c) {
        matCheck(order.p, J, R, 0);
        M_Duplicate(JRMat, J, R, order, 1, 1, 1, 1);
        criterion = c;
        stored = true;
    }
};

bool searchable(int P, int R, int J, const matrixInt* JPMat, const matrixInt* JRMat) {
    return orders::describeOrders(P, R, J) && JPMat != nullptr && JRMat != nullptr && JRMat->rows() >= J &&
           JRMat->cols() >= R;
}

bool allGiven(std::initializer_list<const void*> pointers) {
    return std::all_of(pointers.begin(), pointers.end(), [](const void* p) { return p != nullptr; });
}

template <class Source>
void permuteRows(const Source* source, int n, int m, const matrix* perm, matrix*& destination) {
    matCheck(destination, n, m, 0.0);
    for (int c = 1; c <= m; ++c)
        for (int i = 1; i <= n; ++i) destination->vbset(i, c, source->vbget(static_cast<int>(perm->vbget(i)), c));
}

// Complete blocks (every judge tastes all P products, R = P) over a whole
// number of carry-over balanced squares: P judges for even P, 2P for odd P.
// There the best order is known outright, so no search is needed.
bool admitsWilliamsSquares(int P, int R, int J, const matrixInt* JPMat) {
    if (R != P || P < 2 || J % (P % 2 == 0 ? P : 2 * P) != 0 || JPMat->rows() < J || JPMat->cols() < P) return false;
    for (int j = 1; j <= J; ++j)
        for (int p = 1; p <= P; ++p)
            if (JPMat->vbget(j, p) != 1) return false;
    return true;
}

// Williams squares, repeated down the judges: the first row runs 0, 1, P-1,
// 2, P-2, ..., row i adds i modulo P, so every product takes every position
// once and, for even P, follows every other product once per square. For odd
// P the mirrored square completes the carry-over balance. Products are 1-based.
void writeWilliamsSquares(int P, int J, matrixInt* JRMat) {
    std::vector<int> first(static_cast<std::size_t>(P));
    for (int r = 0; r < P; ++r) first[static_cast<std::size_t>(r)] = r % 2 == 1 ? (r + 1) / 2 : (P - r / 2) % P;
    const int square = P % 2 == 0 ? P : 2 * P;
    for (int j = 0; j < J; ++j) {
        const int row = j % square;
        const bool mirrored = row >= P;
        for (int r = 0; r < P; ++r) {
            const int at = mirrored ? P - 1 - r : r;
            JRMat->vbset(j + 1, r + 1, (first[static_cast<std::size_t>(at)] + row % P) % P + 1);
        }
    }
}

// A best order the passes left above a bound goes through the completion
// stage, which replaces it only by a better one, unless the time limit has
// passed. Its draws continue the working seed.
template <class Deadline>
void completeIfShort(int P, int R, int J, double lambda, BestOrder& best, WorkingSeed& seed, Deadline deadlinePassed) {
    if (deadlinePassed()) return;  // like a pass, the stage does not start after the limit
    Scratch<matrixInt> positions, carryOver;
    orders::countOrder(P, R, J, best.order, positions.p, carryOver.p);
    if (orders::balanceOf(P, R, J, positions, carryOver).reachesBounds()) return;
    auto uniform = [&seed] {
        double u = 0;
        seed.use([&u](int* s, short* init, int* o) { u = Cpp_Random01(s, *init, o); });
        return u;
    };
    orders::completeOrder(P, R, J, lambda, best.order, {uniform, deadlinePassed});
}

double now() {
    double day = 0.0;
    return *COleDateTimeGetCurrentTime(&day);
}

}  // namespace

void PermuteRows(const matrix* source, int n, int m, const matrix* perm, matrix*& destination) {
    permuteRows(source, n, m, perm, destination);
}

void PermuteRows(const matrixInt* source, int n, int m, const matrix* perm, matrix*& destination) {
    permuteRows(source, n, m, perm, destination);
}

void PermuteRowsInPlace(matrixInt* M, int n, int m, const matrixInt* perm) {
    // Rows and columns past M's edge cannot be written: leave them out.
    n = std::min(n, M->rows());
    m = std::min(m, M->cols());
    Scratch<matrix> order(new matrix(n, 1, 0.0)), permuted;
    perm->copyMatTo(order.p);
    PermuteRows(M, n, m, order, permuted.p);
    for (int c = 1; c <= m; ++c)
        for (int i = 1; i <= n; ++i) M->vbset(i, c, static_cast<int>(permuted->vbget(i, c)));
}

void RandomPerturb(int iR, int iJ, matrixInt* JRMat, int* ioSeed, short* ioSeedInit, int* oSeed) {
    Scratch<matrix> perm(new matrix(iR, 1, 0.0)), byPosition, permuted;
    Random1toN(iR, perm, ioSeed, *ioSeedInit, oSeed);
    *ioSeedInit = -1;
    M_Transpose(JRMat, iJ, iR, byPosition.p);
    PermuteRows(byPosition.p, iR, iJ, perm, permuted.p);
    for (int r = 1; r <= iR; ++r)
        for (int j = 1; j <= iJ; ++j) JRMat->vbset(j, r, static_cast<int>(permuted->vbget(r, j)));
}

void RandomPerturbRow(int iR, matrixInt* JRMat, int j, int* ioSeed, short* ioSeedInit, int* oSeed) {
    Scratch<matrix> perm(new matrix(iR, 1, 0.0));
    Random1toN(iR, perm, ioSeed, *ioSeedInit, oSeed);
    *ioSeedInit = -1;
    for (int i = 1; i <= iR; ++i) swapCells(JRMat, j, i, static_cast<int>(perm->vbget(i)));
}

void InitializeRankMat(int iP, int iR, int iJ, double iLambda, matrixInt* JRMat, int* ioSeed, short* ioSeedInit,
                       int* oSeed) {
    if (JRMat == nullptr || iR < 1 || iJ < 1) return;
    Scratch<matrixInt> work(new matrixInt(iJ, iR, 0));
    // Every even-numbered judge reversed.
    for (int j = 1; j <= iJ; ++j) {
        const bool even = num::IsLong(j * 0.5) != 0;
        for (int r = 1; r <= iR; ++r) work->vbset(j, r, JRMat->vbget(j, even ? iR - r + 1 : r));
    }
    M_Duplicate(work, iJ, iR, JRMat, 1, 1, 1, 1);
    double best = criterionOf(iP, iR, iJ, iLambda, JRMat);
    // Judge j rotated left by (j - 1) mod R places.
    for (int j = 1, shift = 0; j <= iJ; ++j, shift = (shift + 1) % iR)
        for (int c = 1; c <= iR; ++c) work->vbset(j, c, JRMat->vbget(j, (c - 1 + shift) % iR + 1));
    const double rotated = criterionOf(iP, iR, iJ, iLambda, work);
    if (rotated < best) {
        M_Duplicate(work, iJ, iR, JRMat, 1, 1, 1, 1);
        best = rotated;
    }
    RandomPerturb(iR, iJ, work, ioSeed, ioSeedInit, oSeed);
    if (criterionOf(iP, iR, iJ, iLambda, work) < best) M_Duplicate(work, iJ, iR, JRMat, 1, 1, 1, 1);
}

namespace {

// The search of GetBestRanking; completeShort runs the completion stage on
// a best order the passes left above a bound.
void rankOrders(int iP, int iR, int iJ, matrixInt* JPMat, double iLambda, int iter, short iCheckJRMat, short iTimeStop,
                double iMaxSeconds, matrixInt* JRMat, matrixInt* Rmat, matrixInt* Smat, matrix* MDMat,
                matrix* ConcMat, int* ioSeed, short* ioSeedInit, int* oSeed, bool completeShort) {
    if (!searchable(iP, iR, iJ, JPMat, JRMat) || !allGiven({Rmat, Smat, MDMat, ConcMat, ioSeed, ioSeedInit, oSeed}))
        return;
    const int passes = std::max(iter, 1);
    WorkingSeed seed(ioSeed, oSeed);
    const double start = now();
    auto deadlinePassed = [&] { return iTimeStop == -1 && (now() - start) * 100000.0 > iMaxSeconds; };
    if (iCheckJRMat == 0) fillFromIncidence(iP, iJ, JPMat, JRMat);

    Scratch<matrixInt> positions, carryOver;
    BestOrder best;
    const bool constructed = admitsWilliamsSquares(iP, iR, iJ, JPMat);
    if (constructed) {
        writeWilliamsSquares(iP, iJ, JRMat);
        best.store(JRMat, iJ, iR, orders::criterion(orders::countOrder(iP, iR, iJ, JRMat, positions.p, carryOver.p), iLambda));
    }
    WorkBudget work(iP, iR, iJ);
    Descent descent(iP, iR, iJ, iLambda, JRMat, seed, work);
    const double countingPerPass = std::max(static_cast<double>(iJ) * iR + static_cast<double>(iP) * iP, kLeastPassCost);
    for (int pass = 0; !constructed;) {
        if (pass == 1) {
            InitializeRankMat(iP, iR, iJ, iLambda, JRMat, ioSeed, ioSeedInit, oSeed);
            *ioSeedInit = -1;
            seed.seed = *oSeed;
        } else {
            seed.use([&](int* s, short* init, int* o) { RandomPerturb(iR, iJ, JRMat, s, init, o); });
        }
        descent.run(deadlinePassed);
        work.spend(countingPerPass);
        const double c = orders::criterion(orders::countOrder(iP, iR, iJ, JRMat, positions.p, carryOver.p), iLambda);
        const bool balanced = orders::balanceOf(iP, iR, iJ, positions, carryOver).reachesBounds();
        // The first pass is always kept, whatever its criterion.
        if (!best.stored || c < best.criterion || balanced) best.store(JRMat, iJ, iR, c);
        if (balanced || ++pass == passes || deadlinePassed() || work.exhausted()) break;
    }

    if (completeShort && !constructed) completeIfShort(iP, iR, iJ, iLambda, best, seed, deadlinePassed);

    M_Duplicate(best.order, iJ, iR, JRMat, 1, 1, 1, 1);
    orders::countOrder(iP, iR, iJ, JRMat, positions.p, carryOver.p);
    M_Duplicate(positions, iP, iR, Rmat, 1, 1, 1, 1);
    M_Duplicate(carryOver, iP, orders::carryColumns(iP), Smat, 1, 1, 1, 1);
    orders::writeBalance(orders::balanceOf(iP, iR, iJ, positions, carryOver), true, MDMat);
    orders::addConcurrences(JPMat, iP, iJ, ConcMat);
}

}  // namespace

void GetBestRanking(int iP, int iR, int iJ, matrixInt* JPMat, double iLambda, int iter, short iCheckJRMat,
                    short iTimeStop, double iMaxSeconds, matrixInt* JRMat, matrixInt* Rmat, matrixInt* Smat,
                    matrix* MDMat, matrix* ConcMat, int* ioSeed, short* ioSeedInit, int* oSeed) {
    rankOrders(iP, iR, iJ, JPMat, iLambda, iter, iCheckJRMat, iTimeStop, iMaxSeconds, JRMat, Rmat, Smat, MDMat, ConcMat,
               ioSeed, ioSeedInit, oSeed, true);
}

namespace orders {

void rankByPassesOnly(int iP, int iR, int iJ, matrixInt* JPMat, double iLambda, int iter, short iCheckJRMat,
                      short iTimeStop, double iMaxSeconds, matrixInt* JRMat, matrixInt* Rmat, matrixInt* Smat,
                      matrix* MDMat, matrix* ConcMat, int* ioSeed, short* ioSeedInit, int* oSeed) {
    rankOrders(iP, iR, iJ, JPMat, iLambda, iter, iCheckJRMat, iTimeStop, iMaxSeconds, JRMat, Rmat, Smat, MDMat, ConcMat,
               ioSeed, ioSeedInit, oSeed, false);
}

}  // namespace orders
