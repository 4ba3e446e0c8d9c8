#include "sensory/table_fills.h"

#include "sensory/cooccurrence.h"
#include "sensory/running_moments.h"
#include "services/combination.h"
#include "services/matrix_ops.h"
#include "services/numeric.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace sensory {

namespace {

constexpr double kTie = 1e-12;
// A row's random trials end after this many fail in a row.
constexpr int kFailuresToStop = 100;
// Work a fill may spend comparing rows (products of earlier rows read, and
// concurrence cells): a few seconds. Past it every row left takes its first
// candidate, so that a fill over thousands of judges still ends.
constexpr double kMostFillWork = 1e9;

// The 1-based products of the block comb holds.
void productsOf(const matrixInt* comb, int iR, std::vector<int>& products) {
    products.clear();
    for (int i = 1; i <= iR; ++i) products.push_back(comb->vbget(i) + 1);
}

// Products whose remaining marginal is the largest (must) or one below it
// (may), in product order.
struct MarginalLists {
    std::vector<int> must;
    std::vector<int> may;

    void read(const matrix* remaining, int iP) {
        must.clear();
        may.clear();
        const double top = V_Max2(remaining, iP);
        for (int p = 1; p <= iP; ++p) {
            const double r = remaining->vbget(p);
            if (r == top) must.push_back(p);
            if (r == top - 1) may.push_back(p);
        }
    }
    // The products every block of the row holds, and how many more it
    // takes from pool(): all must products when they are not more than iR.
    bool mustIsPool(int iR) const { return static_cast<int>(must.size()) > iR; }
    const std::vector<int>& pool(int iR) const { return mustIsPool(iR) ? must : may; }
    int needed(int iR) const {
        const int n = mustIsPool(iR) ? iR : iR - static_cast<int>(must.size());
        const int room = static_cast<int>(pool(iR).size());
        return n < room ? n : room;
    }
    void fixedInto(int iR, std::vector<int>& row) const {
        row.clear();
        if (!mustIsPool(iR)) row = must;
    }
};

void lowerRemaining(matrix* remaining, const std::vector<int>& products) {
    for (int p : products) remaining->vbset(p, remaining->vbget(p) - 1.0);
}

void setCells(matrixInt* M, int row, const std::vector<int>& products, int value) {
    for (int p : products) M->vbset(row, p, value);
}

// A trial of the marginal fill, scored by how it overlaps earlier rows and
// how evenly the pairs meet once it is added.
struct TrialScore {
    double mean;
    double variance;
    double coVariance;

    // Better: no worse in mean overlap and concurrence variance, and
    // strictly better in one of the three.
    bool improves(const TrialScore& best) const {
        return mean < best.mean + kTie && coVariance < best.coVariance + kTie &&
               (variance < best.variance - kTie || mean < best.mean - kTie || coVariance < best.coVariance - kTie);
    }
};

TrialScore scoreTrial(matrixInt* rest, int row, int iP, const std::vector<int>& trial, matrix* cooc) {
    setCells(rest, row, trial, 1);
    const RunningMoments overlaps = overlapMoments(rest, trial.data(), static_cast<int>(trial.size()), 1, row - 1);
    GetCooccurrenceMat(rest, iP, row, row, cooc);
    TrialScore score{overlaps.mean, overlaps.variance(), 0.0};
    GetVarCoMat(cooc, iP, &score.coVariance);
    ResetCooccurrenceMat(rest, iP, row, cooc);
    setCells(rest, row, trial, 0);
    return score;
}

}  // namespace

void writeRow(matrixInt* M, int row, int iP, const std::vector<int>& products) {
    for (int p = 1; p <= iP; ++p) M->vbset(row, p, 0);
    setCells(M, row, products, 1);
}

void writeMostAskedFor(const matrix* remaining, int row, int iP, int iR, matrixInt* M) {
    std::vector<int> products(static_cast<std::size_t>(iP));
    std::iota(products.begin(), products.end(), 1);
    std::stable_sort(products.begin(), products.end(),
                     [&](int a, int b) { return remaining->vbget(a) > remaining->vbget(b); });
    products.resize(static_cast<std::size_t>(std::min(iR, iP)));
    writeRow(M, row, iP, products);
}

double fillDistinctBlocks(int row, int nRest, int iP, int iR, double C, int iCritType, int& firstFree,
                          matrixInt* rest, matrix* blockTable, SeedStream& seeds, DesignScorer& scorer) {
    matrixInt comb(iR, 1, 0);
    std::vector<int> candidate, best;
    double work = 0.0;
    for (; row <= nRest; ++row) {
        double bestMean = iP, bestVariance = static_cast<double>(iP) * iP;
        int bestBlock = 0;
        setBlock(iP, iR, firstFree, &comb);
        for (int c = firstFree; c <= C; ++c, cKurtzberg(iP, iR, &comb)) {
            if (blockTable->vbget(c) != 0) continue;
            if (bestBlock != 0 && work > kMostFillWork) break;
            work += static_cast<double>(row) * iR;
            productsOf(&comb, iR, candidate);
            const RunningMoments overlaps = overlapMoments(rest, candidate.data(), iR, 1, row - 1);
            const double m = overlaps.mean, v = overlaps.variance();
            if (!(m < bestMean + kTie)) continue;
            const double u = seeds.uniform();
            if (v < bestVariance - kTie || m < bestMean - kTie || (v < bestVariance + kTie && u > 0.5)) {
                best = candidate;
                bestBlock = c;
                bestMean = m;
                bestVariance = v;
            }
        }
        if (bestBlock == 0) continue;  // no free block: the row stays as it is
        writeRow(rest, row, iP, best);
        if (row == nRest) break;
        blockTable->vbset(bestBlock, row);
        if (bestBlock == firstFree)
            while (firstFree <= C && blockTable->vbget(firstFree) != 0) ++firstFree;
    }
    return scorer.score(iCritType, rest, nRest, iP, iR);
}

double fillByMarginalTrials(int first, int last, int iP, int iR, int iCritType, matrixInt* rest, matrix* remaining,
                            SeedStream& seeds, DesignScorer& scorer, const std::function<bool()>& outOfTime) {
    matrix cooc(iP, iP, 0.0);
    GetCooccurrenceMat(rest, iP, 1, first - 1, &cooc);
    matrixInt permutation(iP > 0 ? iP : 1, 1, 0);
    MarginalLists lists;
    std::vector<int> trial, best;
    double work = 0.0;
    for (int row = first; row <= last; ++row) {
        lists.read(remaining, iP);
        const std::vector<int>& pool = lists.pool(iR);
        const int needed = lists.needed(iR);
        TrialScore bestScore{static_cast<double>(iP), static_cast<double>(iP) * iP, static_cast<double>(last)};
        best.clear();
        const bool hurried = work > kMostFillWork || (outOfTime && outOfTime());
        const int failuresToStop = hurried ? 1 : kFailuresToStop;
        for (int failures = 0; failures < failuresToStop;) {
            work += static_cast<double>(row) * iR + static_cast<double>(iP) * iP;
            seeds.permutation(static_cast<int>(pool.size()), &permutation);
            lists.fixedInto(iR, trial);
            for (int k = 1; k <= needed; ++k) trial.push_back(pool[static_cast<std::size_t>(permutation.vbget(k) - 1)]);
            const TrialScore score = scoreTrial(rest, row, iP, trial, &cooc);
            // Should no trial ever qualify, the row still gets the first one.
            if (best.empty()) best = trial;
            if (score.improves(bestScore)) {
                best = trial;
                bestScore = score;
                failures = 0;
            } else {
                ++failures;
            }
        }
        setCells(rest, row, best, 1);
        GetCooccurrenceMat(rest, iP, row, row, &cooc);
        lowerRemaining(remaining, best);
    }
    return scorer.score(iCritType, rest, last, iP, iR);
}

}  // namespace sensory

void StoreAllCombinesJPMat(matrixInt* JPMat, int iP, int iR, int nRep) {
    if (JPMat == nullptr || nRep < 1 || iR < 1 || iR > iP) return;
    const double C = num::Cnk(iP, iR);
    matrixInt comb(iR, 1, 0);
    std::vector<int> products;
    sensory::setBlock(iP, iR, 1, &comb);
    // Rows past the matrix would be skipped anyway: stop at its last row.
    for (int c = 1; c <= C && c <= JPMat->rows(); ++c, cKurtzberg(iP, iR, &comb)) {
        products.clear();
        for (int i = 1; i <= iR; ++i) products.push_back(comb.vbget(i) + 1);
        for (int k = 1; k <= nRep; ++k) {
            const double row = (k - 1) * C + c;
            if (row > JPMat->rows()) break;
            for (int p : products) JPMat->vbset(static_cast<int>(row), p, 1);
        }
    }
}

void GetLastRowJPMat(matrix* remaining, int row, int iP, matrixInt* JPMat) {
    if (remaining == nullptr || JPMat == nullptr) return;
    for (int p = 1; p <= iP; ++p)
        if (remaining->vbget(p) > 0) JPMat->vbset(row, p, 1);
}

void RercursiveTableFill22(int /*first*/, int row, int& nRest, int& iP, int& iR, double& C, int iCritType,
                           double /*start*/, short /*iTimeStop*/, double /*iMaxSeconds*/, int& firstFree,
                           matrixInt* rest, matrix* blockTable, int /*counter*/, double* crit, int* ioSeed,
                           short* ioSeedInit, int* oSeed) {
    if (rest == nullptr || blockTable == nullptr || crit == nullptr || iR < 1 || iR > iP) return;
    sensory::SeedStream seeds(ioSeed, ioSeedInit, oSeed);
    sensory::DesignScorer scorer;
    *crit = sensory::fillDistinctBlocks(row, nRest, iP, iR, C, iCritType, firstFree, rest, blockTable, seeds, scorer);
}

void RercursiveTableFill24(int first, int last, int iP, int iR, int iCritType, matrixInt* rest, matrix* remaining,
                           double* crit, int* ioSeed, short* ioSeedInit, int* oSeed) {
    if (rest == nullptr || remaining == nullptr || crit == nullptr) return;
    sensory::SeedStream seeds(ioSeed, ioSeedInit, oSeed);
    sensory::DesignScorer scorer;
    *crit = sensory::fillByMarginalTrials(first, last, iP, iR, iCritType, rest, remaining, seeds, scorer);
}

void RercursiveTableFill23(int /*first*/, int row, int& nRows, int& iP, int& iR, double /*C*/, int iCritType,
                           double /*start*/, matrixInt* rest, matrix* remaining, double* crit, int* ioSeed,
                           short* ioSeedInit, int* oSeed) {
    if (rest == nullptr || remaining == nullptr || crit == nullptr) return;
    sensory::SeedStream seeds(ioSeed, ioSeedInit, oSeed);
    sensory::MarginalLists lists;
    std::vector<int> chosen;
    for (; row <= nRows; ++row) {
        lists.read(remaining, iP);
        const std::vector<int>& pool = lists.pool(iR);
        const int needed = lists.needed(iR);
        matrixInt comb(needed > 0 ? needed : 1, 1, 0);
        const double choices = num::Cnk(static_cast<double>(pool.size()), needed);
        sensory::setBlock(static_cast<int>(pool.size()), needed, std::floor(seeds.uniform() * choices) + 1, &comb);
        lists.fixedInto(iR, chosen);
        for (int k = 1; k <= needed; ++k) chosen.push_back(pool[static_cast<std::size_t>(comb.vbget(k))]);
        sensory::setCells(rest, row, chosen, 1);
        sensory::lowerRemaining(remaining, chosen);
    }
    *crit = sensory::DesignScorer().score(iCritType, rest, nRows, iP, iR);
}
