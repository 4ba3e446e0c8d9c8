#include "sensory/resolvable.h"

#include "sensory/presentation_orders.h"
#include "services/scratch.h"
#include "services/matrix_ops.h"
#include "services/numeric.h"
#include "services/random.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

bool whole(double x) { return num::IsLong(x) != 0; }

// Rows a J x cols design must have for a search to run over them.
bool holdsJudges(const matrixInt* M, int J) { return M != nullptr && M->rows() >= J; }

// The products judge j tastes.
std::vector<int> tasted(const matrixInt* JPMat, int j, int P) {
    std::vector<int> products;
    for (int p = 1; p <= P; ++p)
        if (JPMat->vbget(j, p) == 1) products.push_back(p);
    return products;
}

// What makes a group in one search: whether a judge's products may join the
// group's counts, and when the counts close it.
template <class Admits, class Closes>
struct GroupRule {
    int groups;
    int target;  // judges a complete arrangement places
    Admits admits;
    Closes closes;
};
template <class Admits, class Closes>
GroupRule<Admits, Closes> groupRule(int groups, int target, Admits admits, Closes closes) {
    return {groups, target, admits, closes};
}

// The tries of a group search, over working copies of the design whose
// judges are reshuffled between tries. Keeps the arrangement of the try that
// placed most judges, placed judges first in placement order.
class GroupSearch {
public:
    GroupSearch(int J, int P, int R, matrixInt* JPMat, matrixInt* JRMat)
        : J_(J), P_(P), R_(R), ordersMove_(whole(static_cast<double>(J) / P)), JPMat_(JPMat), JRMat_(JRMat),
          workJP_(M_Duplicate(JPMat)), workJR_(M_Duplicate(JRMat)), bestJP_(M_Duplicate(JPMat)),
          bestJR_(M_Duplicate(JRMat)), counts_(new matrix(P, 1, 0.0)), used_(new matrix(J, 1, 0.0)),
          perm_(new matrixInt(J, 1, 0)) {}

    // Runs up to nbIter tries (at least one), stopping at the first that
    // places rule.target judges; hands the best arrangement to the design
    // (JRMat only when J/P is whole) and returns how many judges it placed.
    template <class Rule>
    int run(int nbIter, const Rule& rule, WorkingPermutations& draws) {
        const int tries = std::max(nbIter, 1);
        int best = 0;
        for (int t = 0;;) {
            const int placed = placeJudges(rule);
            if (placed > best) {
                best = placed;
                keepArrangement();
            }
            if (placed == rule.target) break;
            draws.next(J_, perm_);
            PermuteRowsInPlace(workJP_, J_, P_, perm_);
            if (ordersMove_) PermuteRowsInPlace(workJR_, J_, R_, perm_);
            if (++t == tries) break;
        }
        M_Duplicate(bestJP_, J_, P_, JPMat_, 1, 1, 1, 1);
        if (ordersMove_) M_Duplicate(bestJR_, J_, R_, JRMat_, 1, 1, 1, 1);
        return best;
    }

private:
    // One try: each group scans the judges not yet placed in row order and
    // takes those the rule admits until the rule closes it.
    template <class Rule>
    int placeJudges(const Rule& rule) {
        InitVectorToFalse(used_, J_);
        order_.clear();
        std::vector<std::vector<int>> products(static_cast<std::size_t>(J_));
        for (int j = 1; j <= J_; ++j) products[static_cast<std::size_t>(j - 1)] = tasted(workJP_, j, P_);
        for (int g = 1; g <= rule.groups; ++g) {
            matCheck(counts_.p, P_, 1, 0.0);
            for (int j = 1; j <= J_; ++j) {
                const std::vector<int>& mine = products[static_cast<std::size_t>(j - 1)];
                if (used_->vbget(j) == -1 || mine.empty() || !rule.admits(counts_.p, mine)) continue;
                for (int p : mine) counts_->vbset(p, counts_->vbget(p) + 1);
                order_.push_back(j);
                used_->vbset(j, -1);
                if (rule.closes(counts_.p)) break;
            }
        }
        return static_cast<int>(order_.size());
    }

    // Stores the working rows in placement order, the unplaced judges after
    // them in row order.
    void keepArrangement() {
        std::vector<int> rows = order_;
        for (int j = 1; j <= J_; ++j)
            if (used_->vbget(j) != -1) rows.push_back(j);
        for (int i = 1; i <= J_; ++i) {
            const int from = rows[static_cast<std::size_t>(i - 1)];
            M_Duplicate(workJP_, 1, P_, bestJP_, from, 1, i, 1);
            if (ordersMove_) M_Duplicate(workJR_, 1, R_, bestJR_, from, 1, i, 1);
        }
    }

    int J_, P_, R_;
    bool ordersMove_;
    matrixInt *JPMat_, *JRMat_;
    Scratch<matrixInt> workJP_, workJR_, bestJP_, bestJR_;
    Scratch<matrix> counts_, used_;
    Scratch<matrixInt> perm_;
    std::vector<int> order_;
};

// Groups for a replicate count r: g = r, then r/k for k = 2, 3, ... while
// J/g is not whole. 0 when a candidate exceeds J.
int replicateGroups(int J, int r) {
    int g = r;
    for (int k = 2; !whole(static_cast<double>(J) / g); ++k)
        if (whole(static_cast<double>(r) / k)) {
            g = r / k;
            if (g > J) return 0;
        }
    return g;
}

// Whether, scanning the judges in their order with one running count, the
// counts come out all equal after at least g judges.
bool alreadyResolved(const matrixInt* JPMat, int J, int P, int g) {
    Scratch<matrix> counts(new matrix(P, 1, 0.0));
    int balancedAfter = 0;
    for (int j = 1; j <= J && balancedAfter < g; ++j) {
        for (int p : tasted(JPMat, j, P)) counts->vbset(p, counts->vbget(p) + 1);
        if (V_IsConstant(counts.p, P) == -1) ++balancedAfter;
    }
    return balancedAfter >= g && J > 1;
}

}  // namespace

void RandomPerMuteRow(matrixInt* Mat1, int nMat1, int pMat1, matrixInt* Mat2, int nMat2, int pMat2, int* ioSeed,
                      short* ioSeedInit, int* oSeed) {
    if (Mat1 == nullptr || Mat2 == nullptr || ioSeed == nullptr || ioSeedInit == nullptr || oSeed == nullptr) return;
    // Rows neither container holds have nothing to move.
    if (nMat1 > std::max(Mat1->rows(), Mat2->rows())) return;
    Scratch<matrixInt> perm(new matrixInt(std::max(nMat1, 0), 1, 0));
    Random1toNDirect(nMat1, perm, ioSeed, ioSeedInit, oSeed);
    PermuteRowsInPlace(Mat1, nMat1, pMat1, perm);
    if (nMat2 == nMat1) PermuteRowsInPlace(Mat2, nMat2, pMat2, perm);
}

void TransResolve(int iJ, int iP, int iR, int iNbIter, matrixInt* JPMat, matrixInt* JRMat, int* oGroupeSize,
                  short* oResolv, int* ioSeed, short* ioSeedInit, int* oSeed) {
    if (oGroupeSize == nullptr || oResolv == nullptr || ioSeed == nullptr || ioSeedInit == nullptr || oSeed == nullptr)
        return;
    WorkingPermutations draws(ioSeed, ioSeedInit, oSeed);
    *oResolv = 0;
    if (iP < 1 || iR < 1 || iR > iP || iJ < 1 || !holdsJudges(JPMat, iJ) || !holdsJudges(JRMat, iJ)) return;
    // J R as the host's 32-bit integer.
    const int tastings = static_cast<int32_t>(static_cast<long long>(iJ) * iR);
    if (!whole(static_cast<double>(tastings) / iP) || tastings < iP) return;
    const int r = tastings / iP;
    const int g = replicateGroups(iJ, r);
    if (g <= 1) return;
    const int G = iJ / g;
    if (alreadyResolved(JPMat, iJ, iP, g)) {
        *oGroupeSize = G;
        *oResolv = -1;
        return;
    }
    // Each product at most L times in a group; the group closes when every
    // product has come equally often.
    const double L = static_cast<double>(static_cast<long long>(G) * iR / iP);
    const auto rule = groupRule(
        g, iJ,
        [&](const matrix* counts, const std::vector<int>& products) {
            return std::none_of(products.begin(), products.end(), [&](int p) { return counts->vbget(p) >= L; });
        },
        [&](const matrix* counts) { return V_IsConstant(counts, iP) == -1; });
    if (GroupSearch(iJ, iP, iR, JPMat, JRMat).run(iNbIter, rule, draws) == iJ) {
        *oGroupeSize = G;
        *oResolv = -1;
    }
}

void FindClosestResolve(int iJ, int iP, int iR, int iNbIter, matrixInt* JPMat, matrixInt* JRMat, int* oGroupeSize,
                        int* ioSeed, short* ioSeedInit, int* oSeed) {
    if (oGroupeSize == nullptr || ioSeed == nullptr || ioSeedInit == nullptr || oSeed == nullptr) return;
    WorkingPermutations draws(ioSeed, ioSeedInit, oSeed);
    if (iP < 1 || iR < 1 || iR > iP || iJ < 0 || !holdsJudges(JPMat, iJ) || !holdsJudges(JRMat, iJ)) return;
    const int G = iP / iR, g = iJ / G;
    // Judges of a group share no product; G of them fill it.
    const double full = static_cast<double>(G) * iR;
    const auto rule = groupRule(
        g, G * g,
        [](const matrix* counts, const std::vector<int>& products) {
            return std::all_of(products.begin(), products.end(), [&](int p) { return counts->vbget(p) == 0; });
        },
        [&](const matrix* counts) { return V_Sum2(counts, iP) == full; });
    // No judge, no group to search: the search would still size its counts
    // by iP, which beside no judge may be anything up to INT32_MAX.
    if (iJ > 0) GroupSearch(iJ, iP, iR, JPMat, JRMat).run(iNbIter, rule, draws);
    *oGroupeSize = G;
}

void FindResolvableMulti(int iJ, int iP, int iR, int NBS, matrixInt* JRMat, matrixInt* JPMat, int GroupSize) {
    if (JRMat == nullptr || JPMat == nullptr || GroupSize < 1 || iJ < 1) return;
    const int judges = std::min(iJ, std::max(JRMat->rows(), JPMat->rows()));
    // Occasion s of a design with `width` columns per occasion: row `to`
    // receives occasion 1 of row `from`.
    auto copyOccasion = [](matrixInt* M, int width, long long s, int from, int to) {
        M_Duplicate(M, 1, width, M, from, 1, to, static_cast<int>((s - 1) * width + 1));
    };
    // 64-bit: one judge of INT32_MAX one-column occasions takes s to INT32_MAX.
    for (long long s = 2; s <= std::min(NBS, GroupSize); ++s) {
        if ((s - 1LL) * iP >= JPMat->cols() && (s - 1LL) * iR >= JRMat->cols()) break;
        for (long long o = 0; o < judges; o += GroupSize) {
            // The last group may be short; it rotates within its own size.
            const int size = static_cast<int>(std::min<long long>(GroupSize, iJ - o));
            for (int k = 1; k <= size; ++k) {
                const int from = static_cast<int>(o + ((k - s) % size + size) % size + 1);
                copyOccasion(JPMat, iP, s, from, static_cast<int>(o + k));
                copyOccasion(JRMat, iR, s, from, static_cast<int>(o + k));
            }
        }
    }
}
