#include "optimal/candidates.h"

#include "services/matrix_ops.h"
#include "services/numeric.h"
#include "services/random.h"
#include "services/scratch.h"

#include <algorithm>
#include <string>
#include <unordered_set>

namespace {

// The non-zero entries of the factor's columns c .. c + L - 2 for level l
// under the coding icode, into a row already zero. Columns past X's edge
// hold nothing: stop there, whatever L the host named.
void writeFactorColumns(matrix* X, int row, int c, int L, int l, int icode) {
    const int own = std::min(L - 1, X->cols() - c + 1);
    optimal::ForEachCodedEntry(L, l, icode, own, [&](int k, double v) { X->vbset(row, c + k, v); });
}

std::u16string levelLabel(short UseCategories, const Smatrix* Cats, int j, int l) {
    if (UseCategories == -1) return Cats->vbget(j, l);
    const std::string digits = std::to_string(l);
    return std::u16string(digits.begin(), digits.end());
}

// The first level 1..L whose label is `label`, or 0. Found without trying
// every level, since the host's level count may be anything: a label is a
// category name (all names past the last column of Cats are empty) or the
// level's number written in decimal.
int levelOfLabel(short UseCategories, const Smatrix* Cats, int j, int L, const std::u16string& label) {
    if (UseCategories == -1) {
        const int named = std::min(L, Cats->cols());
        for (int l = 1; l <= named; ++l)
            if (label == levelLabel(UseCategories, Cats, j, l)) return l;
        return label.empty() && L > named ? named + 1 : 0;
    }
    if (label.empty() || label.size() > 10 || label[0] == u'0') return 0;
    long long l = 0;
    for (char16_t c : label) {
        if (c < u'0' || c > u'9') return 0;
        l = 10 * l + (c - u'0');
    }
    return l <= L ? static_cast<int>(l) : 0;
}

}  // namespace

void EnumToExp(int nbFact, matrixInt* FactMod, int icode, int code, matrix* X, matrix* levels, matrix* PlanDisp,
               int row, int p) {
    X->vbset(row, 1, 1.0);
    for (int c = 2; c <= p; ++c) X->vbset(row, c, 0.0);
    int c = 2;
    optimal::ForEachLevelOf(nbFact, FactMod, code, [&](int j, int L, int l) {
        writeFactorColumns(X, row, c, L, l, icode);
        levels->vbset(j, 1, l);
        PlanDisp->vbset(row, j + 4, l);
        c = static_cast<int>(std::min<long long>(c + (L - 1LL), INT32_MAX));
    });
}

void optimal::DecodeLevels(int nbFact, const matrixInt* FactMod, int code, matrix* PlanDisp, int row) {
    ForEachLevelOf(nbFact, FactMod, code, [&](int j, int, int l) { PlanDisp->vbset(row, j + 4, l); });
}

void PlanToComb(int nbFact, matrixInt* FactMod, short UseCategories, Smatrix* Cats, int nRows, Smatrix* Q,
                matrixInt* codes) {
    for (int r = 1; r <= nRows; ++r) {
        int idx = 0;
        for (int j = nbFact; j >= 1; --j) {
            const int L = FactMod->vbget(j, 1);
            const int l = levelOfLabel(UseCategories, Cats, j, L, Q->vbget(r, j));
            // Wraps, as the host's integers would, for level counts whose
            // factorial no int can number.
            if (l > 0) idx = static_cast<int>(static_cast<unsigned>(L) * static_cast<unsigned>(idx) + (l - 1u));
        }
        codes->vbset(r, 1, idx);
    }
}

short ValidPlan(int nbFact, matrixInt* FactMod, matrix* plan, int nRows) {
    Scratch<matrix> column;
    short valid = -1;
    for (int j = nbFact; j >= 1 && valid; --j) {
        M_CopyBlock(plan, 1, nRows, j + 4, j + 4, column.p);
        if (V_NbDistinct(column, nRows) < FactMod->vbget(j, 1)) valid = 0;
    }
    return valid;
}

void Randomkfrom1toN(int N, matrix* out, int k, int* ioSeed, short iSeedInit, int* oSeed) {
    M_GenerateRandom01(out, k, 1, ioSeed, iSeedInit, oSeed);
    if (N < 1) return;
    std::unordered_set<int> taken;
    for (int i = 1; i <= k; ++i) {
        int v = std::min(N, 1 + static_cast<int>(out->vbget(i, 1) * N));
        // Probing visits every value once at most; with all N taken it stops.
        for (int probes = 0; taken.count(v) && probes < N; ++probes) v = v < N ? v + 1 : 1;
        taken.insert(v);
        out->vbset(i, 1, v);
    }
}

short IsUnusedComb(int code, matrixInt* list, int n) {
    for (int i = 1; i <= n; ++i)
        if (list->vbget(i, 1) == code) return 0;
    return -1;
}

short IsUnusedCombWithouti(int code, matrixInt* list, int n) { return IsUnusedComb(code, list, n); }
