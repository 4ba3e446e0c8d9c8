// The incremental companions of the information matrix against full
// recomputation after long random sequences of runs entering and leaving.
#include "boundary/VORNEXDO1M.h"
#include "exact_reference.h"
#include "optimal/candidate_scan.h"
#include "optimal/candidates.h"
#include "optimal/criteria.h"
#include "optimal/information_updates.h"
#include "services/matrix_ops.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

namespace {

using Owned = std::unique_ptr<matrix>;

const std::vector<int> kLevels{3, 4, 2, 2};  // p = 1 + 2 + 3 + 1 + 1 = 8
constexpr int kP = 8, kCandidates = 48;

struct Plan {
    matrixInt levels{4, 1, 0};
    Owned X;
    std::vector<int> codes;
    Plan() {
        for (int j = 0; j < 4; ++j) levels.vbset(j + 1, 1, kLevels[j]);
    }
    // The model rows of codes, as EnumToExp writes them.
    Owned rows(const std::vector<int>& cs) {
        const int n = static_cast<int>(cs.size());
        Owned m(new matrix(n, kP, 0.0)), lv(new matrix(4, 1, 0.0)), disp(new matrix(n, 8, 0.0));
        for (int r = 1; r <= n; ++r) EnumToExp(4, &levels, 1, cs[r - 1], m.get(), lv.get(), disp.get(), r, kP);
        return m;
    }
};

double maxDifference(const matrix* a, const matrix* b) {
    double d = 0.0;
    for (int i = 1; i <= a->count(); ++i) d = std::max(d, std::fabs(a->vbget(i) - b->vbget(i)));
    return d;
}

TEST(IncrementalUpdates, InverseAndFactorFollowLongSequencesOfAddsAndRemoves) {
    std::mt19937 rng(11);
    Plan plan;
    // A regular base that stays, and runs that come and go around it.
    std::vector<int> codes{0, 5, 9, 13, 18, 22, 27, 31, 36, 40, 44, 47};
    const std::size_t base = codes.size();
    Owned X = plan.rows(codes);
    matrix *M = nullptr, *V = nullptr, *L = nullptr;
    optimal::GramOfRows(X.get(), X->rows(), kP, M);
    inverse1(M, V, 1e-12, static_cast<short*>(nullptr));
    M_CholDecomp(M, L);
    for (int step = 1; step <= 400; ++step) {
        const bool add = codes.size() == base || (codes.size() < 30 && rng() % 2 == 0);
        const int pick = add ? static_cast<int>(rng() % kCandidates)
                             : static_cast<int>(base + rng() % (codes.size() - base));
        const int code = add ? pick : codes[pick];
        Owned row = plan.rows({code});
        UpdateV(row.get(), 1, kP, V, V, -1, 0, add ? -1 : 0, -1, L);
        if (add)
            codes.push_back(code);
        else
            codes.erase(codes.begin() + pick);
        if (step % 50) continue;
        X = plan.rows(codes);
        matrix *fresh = nullptr, *freshInverse = nullptr, *freshFactor = nullptr;
        optimal::GramOfRows(X.get(), X->rows(), kP, fresh);
        inverse1(fresh, freshInverse, 1e-12, static_cast<short*>(nullptr));
        M_CholDecomp(fresh, freshFactor);
        EXPECT_LT(maxDifference(V, freshInverse), 1e-9) << "step " << step;
        EXPECT_LT(maxDifference(L, freshFactor), 1e-9) << "step " << step;
        delete fresh;
        delete freshInverse;
        delete freshFactor;
    }
    delete M;
    delete V;
    delete L;
}

// Three candidates enter and three runs leave one after the other; the
// variances taken along the way give the determinant ratio of the exchange.
TEST(IncrementalUpdates, ExchangeDeltasAreDeterminantRatios) {
    Plan plan;
    std::vector<int> codes{0, 5, 9, 13, 18, 22, 27, 31, 36, 40, 44, 47};
    Owned X = plan.rows(codes);
    matrix *M = nullptr, *V = nullptr;
    optimal::GramOfRows(X.get(), X->rows(), kP, M);
    const double before = M_Determinant(M, nullptr);
    inverse1(M, V, 1e-12, static_cast<short*>(nullptr));
    auto variance = [&](const Owned& row) {
        Owned x(new matrix(kP, 1, 0.0));
        for (int c = 1; c <= kP; ++c) x->vbset(c, 1, row->vbget(1, c));
        return M_ProductTrVBV(x.get(), V);
    };
    std::vector<double> a, r;
    for (int c : {2, 7, 11}) {
        Owned row = plan.rows({c});
        a.push_back(variance(row));
        UpdateV(row.get(), 1, kP, V, V, -1, 0, -1, 0, nullptr);
        codes.push_back(c);
    }
    for (int i : {0, 3, 6}) {
        Owned row = plan.rows({codes[i]});
        r.push_back(variance(row));
        UpdateV(row.get(), 1, kP, V, V, -1, 0, 0, 0, nullptr);
    }
    for (int i : {6, 3, 0}) codes.erase(codes.begin() + i);
    X = plan.rows(codes);
    optimal::GramOfRows(X.get(), X->rows(), kP, M);
    const double ratio = M_Determinant(M, nullptr) / before;
    EXPECT_NEAR(federovDelta3(a[0], r[2], a[1], r[1], a[2], r[0]), ratio - 1.0, 1e-10);
    // Two of the pairs alone: (1 - r1)(1 + a1)(1 + a2)(1 - r2) - 1.
    EXPECT_DOUBLE_EQ(federovDelta2(0.5, 0.5, 0.5, 0.5), 0.5 * 1.5 * 1.5 * 0.5 - 1.0);
    EXPECT_EQ(federovDelta2(0.5, 1.0, 0.5, 0.5), 0.0);
    delete M;
    delete V;
}

// Model rows of every code under both codings (and none) against a plain
// decoding of the mixed radix.
TEST(IncrementalUpdates, ModelRowsFollowTheCoding) {
    Plan plan;
    matrix X(1, kP, 0.0), levels(4, 1, 0.0), disp(1, 8, 0.0);
    for (int icode : {1, 2, 0})
        for (int code = 0; code <= kCandidates; ++code) {
            EnumToExp(4, &plan.levels, icode, code, &X, &levels, &disp, 1, kP);
            const std::vector<int> expected = exact::modelRow(kLevels, icode == 0 ? 1 : icode, code);
            const std::vector<int> digits = exact::levelsOf(kLevels, code);
            for (int c = 1; c <= kP; ++c)
                EXPECT_EQ(X.vbget(1, c), c == 1 || icode != 0 ? expected[c - 1] : 0) << icode << " " << code;
            for (int j = 1; j <= 4; ++j) {
                EXPECT_EQ(levels.vbget(j, 1), digits[j - 1] + 1);
                EXPECT_EQ(disp.vbget(1, j + 4), digits[j - 1] + 1);
            }
        }
    // A level count of 0 decodes as one level: no column, level 1, and the
    // next factor reads the whole code (5 mod 3 = 2: its third level).
    matrixInt single(2, 1, 0);
    single.vbset(2, 1, 3);
    EnumToExp(2, &single, 1, 5, &X, &levels, &disp, 1, 3);
    EXPECT_EQ(std::vector<double>({X.vbget(1, 1), X.vbget(1, 2), X.vbget(1, 3), levels.vbget(1, 1), levels.vbget(2, 1)}),
              std::vector<double>({1, -1, -1, 1, 3}));
}

// Through V, appending a run multiplies det(M) by 1 + x'Vx: CalcCrit gives
// the criterion of the enlarged plan from that of the plan before it, and a
// non-positive x'Vx ranks one below what it held. The normed determinant
// divides by the columns, not the runs.
TEST(IncrementalUpdates, CriterionThroughTheInverseAndTheNormedDeterminant) {
    Plan plan;
    std::vector<int> codes{0, 5, 9, 13, 18, 22, 27, 31, 36, 40, 44};
    exact::Plan whole{kLevels, 1, {codes.begin(), codes.end()}};
    const double before = exact::toDouble(whole.det());
    whole.codes.push_back(47);
    const double after = exact::toDouble(whole.det());
    codes.push_back(47);
    Owned X = plan.rows(codes);
    const int n = static_cast<int>(codes.size());
    matrix *M = nullptr, *V = nullptr;
    optimal::GramOfRows(X.get(), n - 1, kP, M);
    inverse1(M, V, 1e-12, static_cast<short*>(nullptr));
    matrix history(n, 1, 0.0);
    for (int icrit : {1, 2}) {
        history.vbset(n - 1, 1, icrit == 1 ? before : std::log10(before));
        double crit = 0.0;
        short flag = 0;
        CalcCrit(icrit, -1, 0, X.get(), kP, n, V, &history, &crit, &flag, nullptr);
        EXPECT_NEAR(crit, icrit == 1 ? after : std::log10(after), 1e-9 * (icrit == 1 ? after : 1.0));
        EXPECT_EQ(flag, 0);
    }
    matrix negative(kP, kP, 0.0);
    M_AddDelta2(&negative, kP, -1.0);
    double crit = 3.5;
    short flag = 0;
    CalcCrit(2, -1, 0, X.get(), kP, n, &negative, &history, &crit, &flag, nullptr);
    EXPECT_EQ(crit, 2.5);
    EXPECT_DOUBLE_EQ(Cpp_NormedDet(7.0, 100, 3), 1.0 / 3.0);
    EXPECT_DOUBLE_EQ(Cpp_NormedDet(5.0, 10, 2), 1.5);
    EXPECT_EQ(Cpp_NormedDet(num::kNoValue, 10, 2), num::kNoValue);
    delete M;
    delete V;
}

// The tabulated variance of every candidate equals the quadratic form of its
// model row, whichever coding.
TEST(IncrementalUpdates, TabulatedVariancesEqualTheQuadraticForms) {
    Plan plan;
    std::mt19937 rng(5);
    std::vector<int> codes;
    for (int i = 0; i < 20; ++i) codes.push_back(static_cast<int>(rng() % kCandidates));
    for (int icode : {1, 2}) {
        optimal::CandidateCoding coding(4, &plan.levels, icode, kP);
        Owned X = plan.rows(codes);
        matrix *M = nullptr, *W = nullptr;
        optimal::GramOfRows(X.get(), X->rows(), kP, M);
        inverse1(M, W, 1e-12, static_cast<short*>(nullptr));
        auto table = optimal::CandidateVariance::throughInverse(coding, W);
        optimal::ExcludedCodes none(nullptr, 0, kCandidates);
        std::vector<double> x(kP);
        int visited = 0;
        optimal::ScanFreeCandidates(coding, kCandidates, none, {table.get()}, [&](const optimal::CandidateWalk& w) {
            coding.row(w.digits(), x.data());
            EXPECT_NEAR(table->value(w.digits()), optimal::QuadraticForm(W, x.data(), kP), 1e-12) << w.code();
            ++visited;
        });
        EXPECT_EQ(visited, kCandidates);
        delete M;
        delete W;
    }
}

}  // namespace

namespace {

// A plan whose log10 determinant evaluates to exactly 1.0 is regular: V is
// computed and the flag cleared like for any other.
TEST(IncrementalUpdates, UpdateDeltaInvertsAPlanWhoseLog10DeterminantIsOne) {
    matrix X(2, 1, 0.0), V(1, 1, -7.0), L(1, 1, 0.0);
    X.vbset(1, 1, 3.0);
    X.vbset(2, 1, 1.0 + std::ldexp(1.0, -50));  // X'X = 10 + 2^-49
    double crit = 0.0;
    short flag = -1;
    UpdateDelta(2, 0, &X, 1, 2, &V, &crit, &flag, &L);
    ASSERT_EQ(crit, 1.0);
    EXPECT_EQ(flag, 0);
    EXPECT_NEAR(V.vbget(1, 1), 0.1, 1e-15);
}

}  // namespace
