// The incremental companions of the information matrix against full
// recomputation after long random sequences of runs entering and leaving.
#include "optimal/candidate_scan.h"
#include "optimal/candidates.h"
#include "optimal/information_updates.h"
#include "optimal_host.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using Owned = std::unique_ptr<matrix>;
using opttest::Fresh;

const std::vector<int> kLevels{3, 4, 2, 2};  // p = 1 + 2 + 3 + 1 + 1 = 8
constexpr int kP = 8, kCandidates = 48;
const std::vector<int> kBase{0, 5, 9, 13, 18, 22, 27, 31, 36, 40, 44, 47};  // a regular plan

matrixInt* levelCounts() {
    static matrixInt m(4, 1, 0);
    for (int j = 0; j < 4; ++j) m.vbset(j + 1, 1, kLevels[j]);
    return &m;
}

// The model rows of codes, as EnumToExp writes them.
Owned rows(const std::vector<int>& cs) {
    const int n = static_cast<int>(cs.size());
    Owned m(new matrix(n, kP, 0.0)), lv(new matrix(4, 1, 0.0)), disp(new matrix(n, 8, 0.0));
    for (int r = 1; r <= n; ++r) EnumToExp(4, levelCounts(), 1, cs[r - 1], m.get(), lv.get(), disp.get(), r, kP);
    return m;
}

double maxDifference(const matrix* a, const matrix* b) {
    double d = 0.0;
    for (int i = 1; i <= a->count(); ++i) d = std::max(d, std::fabs(a->vbget(i) - b->vbget(i)));
    return d;
}

TEST(IncrementalUpdates, InverseAndFactorFollowLongSequencesOfAddsAndRemoves) {
    std::mt19937 rng(11);
    // A regular base that stays, and runs that come and go around it.
    std::vector<int> codes = kBase;
    const std::size_t base = codes.size();
    Owned X = rows(codes);
    const Fresh kept(X.get(), X->rows(), kP);
    matrix *V = kept.V.get(), *L = kept.L.get();
    for (int step = 1; step <= 400; ++step) {
        const bool add = codes.size() == base || (codes.size() < 30 && rng() % 2 == 0);
        const int pick = add ? static_cast<int>(rng() % kCandidates)
                             : static_cast<int>(base + rng() % (codes.size() - base));
        const int code = add ? pick : codes[pick];
        Owned row = rows({code});
        UpdateV(row.get(), 1, kP, V, V, -1, 0, add ? -1 : 0, -1, L);
        if (add)
            codes.push_back(code);
        else
            codes.erase(codes.begin() + pick);
        if (step % 50) continue;
        X = rows(codes);
        const Fresh fresh(X.get(), X->rows(), kP);
        EXPECT_LT(maxDifference(V, fresh.V.get()), 1e-9) << "step " << step;
        EXPECT_LT(maxDifference(L, fresh.L.get()), 1e-9) << "step " << step;
    }
}

// Model rows of every code under both codings (and none) against a plain
// decoding of the mixed radix.
TEST(IncrementalUpdates, ModelRowsFollowTheCoding) {
    matrix X(1, kP, 0.0), levels(4, 1, 0.0), disp(1, 8, 0.0);
    for (int icode : {1, 2, 0})
        for (int code = 0; code <= kCandidates; ++code) {
            EnumToExp(4, levelCounts(), icode, code, &X, &levels, &disp, 1, kP);
            const std::vector<int> expected = exact::modelRow(kLevels, icode == 0 ? 1 : icode, code);
            const std::vector<int> digits = exact::levelsOf(kLevels, code);
            for (int c = 1; c <= kP; ++c)
                EXPECT_EQ(X.vbget(1, c), c == 1 || icode != 0 ? expected[c - 1] : 0) << icode << " " << code;
            for (int j = 1; j <= 4; ++j)
                EXPECT_EQ(std::pair(levels.vbget(j, 1), disp.vbget(1, j + 4)),
                          std::pair(digits[j - 1] + 1.0, digits[j - 1] + 1.0));
        }
    // Columns past p are not the row's: a wider X keeps them.
    matrix wider(1, kP + 2, 7.0);
    EnumToExp(4, levelCounts(), 1, 47, &wider, &levels, &disp, 1, kP);
    EXPECT_EQ(std::vector<double>({wider.vbget(1, kP), wider.vbget(1, kP + 1), wider.vbget(1, kP + 2)}),
              std::vector<double>({-1.0, 7.0, 7.0}));
    // A level count of 0 decodes as one level: no column, level 1, and the
    // next factor reads the whole code (5 mod 3 = 2: its third level).
    matrixInt single(2, 1, 0);
    single.vbset(2, 1, 3);
    EnumToExp(2, &single, 1, 5, &X, &levels, &disp, 1, 3);
    EXPECT_EQ(std::vector<double>({X.vbget(1, 1), X.vbget(1, 2), X.vbget(1, 3), levels.vbget(1, 1), levels.vbget(2, 1)}),
              std::vector<double>({1, -1, -1, 1, 3}));
    // Found by fuzzing: a factor of INT32_MAX levels at its reference level
    // codes -1 in the two columns a row of three holds, and no further: the
    // coding stops at the columns held rather than walking 2^31 of them.
    matrixInt huge(1, 1, INT32_MAX);
    for (int icode : {1, 2}) {
        const int reference = icode == 1 ? INT32_MAX - 1 : 0;
        EnumToExp(1, &huge, icode, reference, &X, &levels, &disp, 1, 3);
        EXPECT_EQ(std::vector<double>({X.vbget(1, 1), X.vbget(1, 2), X.vbget(1, 3)}), std::vector<double>({1, -1, -1}));
    }
}

// Appending a run x to a plan multiplies det(M) by 1 + d(x), d(x) = x'M^-1 x,
// so exact determinants give every route's value: through V the criterion
// of the enlarged plan (a non-positive x'Vx ranks one below what was held),
// through L the variance d(x) (CalcCrit: its log10 under icrit 2), in full
// the criterion of all n rows. A single run's M = x x' is singular: the
// ridge makes it det = (|x|^2 + r) r^(p-1). No criterion leaves it as held.
TEST(IncrementalUpdates, EvaluationsOfEveryRouteAgainstExactDeterminants) {
    const std::vector<int>& codes = kBase;
    const int n = static_cast<int>(codes.size());
    exact::Plan whole{kLevels, 1, {codes.begin(), codes.end() - 1}};
    const double before = exact::toDouble(whole.det());
    whole.codes.push_back(2);
    const double d2 = exact::toDouble(whole.det()) / before - 1.0;  // the variance of code 2
    whole.codes.back() = 47;
    const double after = exact::toDouble(whole.det()), d = after / before - 1.0;
    Owned X = rows(codes), cand = rows({2});
    const Fresh held(X.get(), n - 1, kP);
    matrix *V = held.V.get(), *L = held.L.get();
    matrix history(n, 1, 0.0), negative(kP, kP, 0.0);
    M_AddDelta2(&negative, kP, -1.0);
    const double r = 1e-5, single = (5.0 + r) * std::pow(r, kP - 1);  // code 0: |x|^2 = 5
    struct Case {
        bool delta;  // CalcCritDelta (else CalcCrit)
        int icrit, rows;
        short accelerate, doChol, flag, useCand;
        matrix* inverse;
        double expected;
        bool log10;  // expected is compared as its base-10 logarithm
        short flagAfter;
    };
    const Case cases[] = {
        {false, 1, n, -1, 0, 0, 0, V, after, false, 0},     {false, 2, n, -1, 0, 0, 0, V, after, true, 0},
        {false, 1, n, 0, -1, -1, 0, V, d, false, -1},        {false, 2, n, 0, -1, 0, 0, V, d, true, 0},
        {false, 2, n, 0, 0, 0, 0, V, after, true, 0},        {false, 2, 1, -1, 0, 0, 0, V, single, true, -1},
        {false, 1, 1, 0, -1, 0, 0, V, single, false, -1},    {false, 2, n, -1, 0, 0, 0, &negative, 2.5, false, 0},
        {false, 3, n, -1, 0, 0, 0, V, 3.5, false, 0},        {true, 2, n, -1, 0, 0, 0, V, d, false, 0},
        {true, 1, n, -1, 0, 0, -1, V, d2, false, 0},         {true, 2, n, 0, -1, -1, -1, V, d2, false, -1},
        {true, 2, n, 0, 0, 0, 0, V, after, true, 0},         {true, 1, 1, -1, 0, 0, 0, V, single, false, -1},
        {true, 2, n, -1, 0, 0, 0, &negative, 2.5, false, 0}, {true, 0, n, -1, 0, 0, 0, V, 3.5, false, 0},
        {false, 1, 4, 0, 0, 0, 0, V, NAN, false, -1},  // four runs of eight columns: singular under det too
    };
    for (const Case& c : cases) {
        history.vbset(n - 1, 1, c.icrit == 1 ? before : std::log10(before));
        double out = 3.5;
        short flag = c.flag;
        if (c.delta)
            CalcCritDelta(c.icrit, c.accelerate, c.doChol, X.get(), kP, c.rows, c.inverse, &out, &flag, L, c.useCand,
                          cand.get());
        else
            CalcCrit(c.icrit, c.accelerate, c.doChol, X.get(), kP, c.rows, c.inverse, &history, &out, &flag, L);
        SCOPED_TRACE(testing::Message() << (c.delta ? "CalcCritDelta" : "CalcCrit") << " icrit " << c.icrit << ", rows "
                                        << c.rows << ", route " << c.accelerate << "/" << c.doChol << ", useCand "
                                        << c.useCand);
        const double want = c.log10 ? std::log10(c.expected) : c.expected;
        if (!std::isnan(want)) {
            EXPECT_NEAR(out, want, 1e-9 * std::max(1.0, std::fabs(want)));
        }
        EXPECT_EQ(flag, c.flagAfter);
    }
    // Forward substitution reads the lower triangle and what it has solved:
    // 2 z1 = 4, z1 + 4 z2 = 10.
    matrix L2(2, 2, 5.0), b(2, 1, 4.0), z(2, 1, 9.0);
    L2.vbset(1, 1, 2.0), L2.vbset(2, 1, 1.0), L2.vbset(2, 2, 4.0), b.vbset(2, 1, 10.0);
    M_ResubstiTr(&L2, &b, 2, &z);
    EXPECT_EQ(std::vector<double>({z.vbget(1, 1), z.vbget(2, 1)}), std::vector<double>({2.0, 2.0}));
    // Without regularisation: det under icrit 1, log10 det under any other.
    EXPECT_NEAR(VerifyCritval(X.get(), n, kP, 1), after, 1e-9 * after);
    EXPECT_NEAR(VerifyCritval(X.get(), n, kP, 0), std::log10(after), 1e-12);
    // The normed determinant divides by the columns, not the runs.
    EXPECT_DOUBLE_EQ(Cpp_NormedDet(7.0, 100, 3), 1.0 / 3.0);
    EXPECT_DOUBLE_EQ(Cpp_NormedDet(5.0, 10, 2), 1.5);
    EXPECT_EQ(Cpp_NormedDet(num::kNoValue, 10, 2), num::kNoValue);
}

// UpdateDelta recomputes the criterion and V only when the flag asks for it
// (and icrit names a criterion), leaves V alone for a singular plan, and
// with DoChol factors M, repairing a vanishing pivot with the ridge. Checked
// by what the results multiply back to: V M = I, L L' = M (+ ridge).
TEST(IncrementalUpdates, UpdateDeltaRecomputesWhatTheFlagAsksFor) {
    const std::vector<int>& codes = kBase;
    Owned X = rows(codes);
    const double det = exact::toDouble(exact::Plan{kLevels, 1, {codes.begin(), codes.end()}}.det());
    struct Case {
        int icrit, rows;
        short doChol, flag;
        double crit;  // expected; 9.5 is the value held before
        bool inverse, factor;
        short flagAfter;
    };
    const int n = static_cast<int>(codes.size());
    const Case cases[] = {{1, n, 0, -1, det, true, false, 0},          {2, n, -1, -1, std::log10(det), true, true, 0},
                          {2, n, -1, 0, 9.5, false, true, 0},          {2, n, 0, 0, 9.5, false, false, 0},
                          {3, n, 0, -1, 9.5, false, false, -1},        {1, 1, 0, -1, NAN, false, false, -1},
                          {2, 1, -1, -1, num::kNoValue, false, true, -1}, {1, 4, 0, -1, NAN, false, false, -1},
                          {3, n, -1, -1, 9.5, false, true, -1}};
    for (const Case& c : cases) {
        matrix *M = nullptr, *LL = nullptr;
        optimal::GramOfRows(X.get(), c.rows, kP, M);
        matrix V(kP, kP, 7.0), L(kP, kP, 7.0);
        double crit = 9.5;
        short flag = c.flag;
        UpdateDelta(c.icrit, c.doChol, X.get(), kP, c.rows, &V, &crit, &flag, &L);
        SCOPED_TRACE(testing::Message() << "icrit " << c.icrit << ", rows " << c.rows << ", DoChol " << c.doChol
                                        << ", flag " << c.flag);
        if (!std::isnan(c.crit)) {
            EXPECT_NEAR(crit, c.crit, 1e-9 * std::fabs(c.crit));
        }
        EXPECT_EQ(flag, c.flagAfter);
        M_ProductATrA(&L, LL);
        for (int i = 1; i <= kP; ++i)
            for (int j = 1; j <= kP; ++j) {
                double vm = 0.0;
                for (int k = 1; k <= kP; ++k) vm += V.vbget(i, k) * M->vbget(k, j);
                EXPECT_NEAR(c.inverse ? vm : V.vbget(i, j), c.inverse ? i == j : 7.0, 1e-9);
                const double ridge = c.rows == 1 && i == j ? 1e-5 : 0.0;
                EXPECT_NEAR(c.factor ? LL->vbget(i, j) : L.vbget(i, j), c.factor ? M->vbget(i, j) + ridge : 7.0, 1e-9);
            }
        delete M;
        delete LL;
    }
    // A regular plan whose determinant lies below the doubles' range reads
    // as det 0: under det it counts as singular (V kept, ridge flagged).
    matrix tiny(n, kP, 0.0), V(kP, kP, 7.0), history(n, 1, 0.0);
    for (int i = 1; i <= tiny.count(); ++i) tiny.vbset(i, X->vbget(i) * 1e-60);
    double crit = 9.5, full = 0.0;
    short flag = -1, fullFlag = 0;
    UpdateDelta(1, 0, &tiny, kP, n, &V, &crit, &flag, nullptr);
    CalcCrit(1, 0, 0, &tiny, kP, n, &V, &history, &full, &fullFlag, nullptr);
    EXPECT_EQ(std::vector<double>({crit, V.vbget(1, 1), 1.0 * flag, 1.0 * fullFlag}), std::vector<double>({0, 7, -1, -1}));
    // A factor fails on a pivot of exactly 0 among the first n only (NaN is not 0).
    matrix D(3, 3, 0.0);
    D.vbset(1, 1, 1.0), D.vbset(2, 2, 2.0);
    const short zeroLast = M_DiagNotNull(&D, 3), firstTwo = M_DiagNotNull(&D, 2), none = M_DiagNotNull(&D, 0);
    D.vbset(3, 3, NAN);
    EXPECT_EQ(std::vector<short>({zeroLast, firstTwo, none, M_DiagNotNull(&D, 3)}), std::vector<short>({0, -1, -1, -1}));
    // A plan whose log10 determinant evaluates to exactly 1.0 is regular: V
    // is computed and the flag cleared like for any other.
    matrix one(2, 1, 0.0), V1(1, 1, -7.0), L1(1, 1, 0.0);
    one.vbset(1, 1, 3.0), one.vbset(2, 1, 1.0 + std::ldexp(1.0, -50));  // X'X = 10 + 2^-49
    crit = 0.0, flag = -1;
    UpdateDelta(2, 0, &one, 1, 2, &V1, &crit, &flag, &L1);
    EXPECT_EQ(std::vector<double>({crit, 1.0 * flag}), std::vector<double>({1.0, 0.0}));
    EXPECT_NEAR(V1.vbget(1, 1), 0.1, 1e-15);
}

// An exchange multiplies det(M) by (1 - r)(1 + a) per (entering, leaving)
// pair; a leaving variance of 1 or more, or a sentinel, makes no gain. (That
// the variances along an escalation give its exact determinant ratio, the
// Fedorov exchange tests check end to end.)
TEST(IncrementalUpdates, ExchangeRatiosAndTheirGuards) {
    using namespace optimal;
    const double S = num::kNoValue, T = num::kNoValuePositive;
    const double pair = 0.5 * 1.5 - 1.0, three = 1.5 * 1.5 * 1.5 * 0.5 * 0.5 * 0.5 - 1.0;
    const double got[] = {federovDelta(0.5, 0.5), federovDelta(1.0, 0.0), federovDelta(3.0, 1.0),
                          federovDelta(S, 0.2), federovDelta(T, 0.2), federovDelta(0.2, S), federovDelta(0.2, 1.5),
                          federovDelta2(0.5, 0.5, 0.5, 0.5), federovDelta2(0.5, 1.0, 0.5, 0.5),
                          federovDelta2(0.5, S, 0.5, 0.5), federovDelta2(0.5, 0.5, S, 0.5),
                          federovDelta2(0.5, 0.5, T, 0.5), federovDelta2(0.5, 0.5, 0.5, S),
                          federovDelta2(0.5, 0.5, 0.5, 1.0), federovDelta3(0.5, 0.5, 0.5, 0.5, 0.5, 0.5),
                          federovDelta3(0.5, S, 0.5, 0.5, 0.5, 0.5), federovDelta3(0.5, 1.0, 0.5, 0.5, 0.5, 0.5),
                          federovDelta3(0.5, 0.5, T, 0.5, 0.5, 0.5), federovDelta3(0.5, 0.5, 0.5, 1.0, 0.5, 0.5),
                          federovDelta3(0.5, 0.5, 0.5, 0.5, S, 0.5), federovDelta3(0.5, 0.5, 0.5, 0.5, 0.5, S),
                          federovDelta3(0.5, 0.5, 0.5, 0.5, 0.5, 2.0),
                          CalcCritShort(1, 0.5, 0.5, 4.0), CalcCritShort(2, 1.0, 0.0, 2.0),
                          CalcCritShort(0, 1.0, 0.0, 2.0), CalcCritShort(1, 0.7, 1.0, 4.0),
                          CalcCritShort(2, S, 0.2, 2.0), CalcCritShort(2, T, 0.2, 2.0), CalcCritShort(1, 0.3, S, 4.0),
                          // Ties: 5e-15 apart is beyond 1e-12 of 1e-3, within 1e-12 of 1, the floor of log10 values.
                          1.0 * Tied(1e-3, 1e-3 + 5e-15), 1.0 * Exceeds(1e-3 + 5e-15, 1e-3),
                          1.0 * Tied(-1e-3, -1e-3 + 5e-15, Scale::Log10), 1.0 * Exceeds(5e-15, 0.0, Scale::Log10)};
    const double want[] = {-0.25, 1.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.5 * 1.5 * 1.5 * 0.5 - 1.0, 0.0, 0.0, 0.0, 0.0, 0.0,
                           0.0, three, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 4.0 * (pair + 1.0), 2.0 + std::log10(2.0),
                           2.0 + std::log10(2.0), 4.0, 2.0, 2.0, 4.0, 0, 1, 1, 0};
    static_assert(std::size(got) == std::size(want));
    for (std::size_t i = 0; i < std::size(got); ++i) EXPECT_NEAR(got[i], want[i], 1e-15) << "case " << i;
}

// The variance of every candidate, tabulated or (past a level count the
// table would not pay for: 90 more factors of one level) dense, equals the
// quadratic form of its model row, whichever coding.
TEST(IncrementalUpdates, TabulatedVariancesEqualTheQuadraticForms) {
    std::mt19937 rng(5);
    std::vector<int> codes;
    for (int i = 0; i < 20; ++i) codes.push_back(static_cast<int>(rng() % kCandidates));
    matrixInt wide(94, 1, 1);
    for (int j = 1; j <= 4; ++j) wide.vbset(j, 1, kLevels[j - 1]);
    for (int icode : {1, 2})
        for (int factors : {4, 94}) {
            optimal::CandidateCoding coding(factors, &wide, icode, kP);
            Owned X = rows(codes);
            const Fresh fresh(X.get(), X->rows(), kP);
            const matrix* W = fresh.V.get();
            auto table = optimal::CandidateVariance::throughInverse(coding, W);
            optimal::ExcludedCodes none(nullptr, 0, kCandidates);
            int visited = 0;
            optimal::ScanFreeCandidates(coding, kCandidates, none, {table.get()}, [&](const optimal::CandidateWalk& w) {
                const std::vector<int> x = exact::modelRow(kLevels, icode, w.code());
                double q = 0.0;
                for (int r = 1; r <= kP; ++r)
                    for (int c = 1; c <= kP; ++c) q += x[r - 1] * W->vbget(r, c) * x[c - 1];
                EXPECT_NEAR(table->value(w.digits()), q, 1e-12) << w.code();
                ++visited;
            });
            EXPECT_EQ(visited, kCandidates);
        }
}

// The ridge inverse inverts X'X + r I, r = 1e-5: on plans with fewer
// independent runs than columns (one repeated), and on rows nearly in each
// other's span (differences of 1e-6), where one pass of Gram-Schmidt leaves
// the basis off orthogonal by about 1e-10, which 1 / r magnifies past the
// tolerance; it stays exact because each row is orthogonalised twice.
TEST(IncrementalUpdates, RidgeInverseInvertsTheRidgedInformation) {
    std::vector<Owned> plans;
    for (const std::vector<int>& codes : {std::vector<int>{0}, {0, 5, 9, 13}, {0, 5, 5, 9, 13, 18, 22}})
        plans.push_back(rows(codes));
    plans.emplace_back(new matrix(4, 5, 1.0));
    for (int i = 2; i <= 4; ++i) plans.back()->vbset(i, i, 1.0 + 1e-6 * i);
    for (const Owned& X : plans) {
        const int n = X->rows(), p = X->cols();
        matrix W(p, p, 0.0);
        optimal::RidgeInverse(X.get(), n, p, &W);
        for (int i = 1; i <= p; ++i)
            for (int j = 1; j <= p; ++j) {
                long double s = 0.0L;
                for (int k = 1; k <= p; ++k) {
                    long double m = i == k ? 1e-5L : 0.0L;
                    for (int r = 1; r <= n; ++r) m += static_cast<long double>(X->vbget(r, i)) * X->vbget(r, k);
                    s += m * W.vbget(k, j);
                }
                EXPECT_NEAR(static_cast<double>(s), i == j, 1e-7) << n << " runs, (" << i << ", " << j << ")";
            }
    }
}

// A determinant past the doubles' negative end (no information matrix has
// one, but the host's arrays may) counts as singular: the ridge is added
// and the plan flagged, as for a zero determinant.
TEST(IncrementalUpdates, CriterionsPastTheNegativeEndCountAsSingular) {
    for (const double first : {-1e200, 0.0}) {
        matrix M(3, 3, 0.0);
        M.vbset(1, 1, first), M.vbset(2, 2, 1e200), M.vbset(3, 3, 1e200);
        short flag = 0;
        optimal::RegularisedCriterion(&M, optimal::kDeterminant, flag);
        EXPECT_EQ(flag, -1) << first;
        EXPECT_EQ(M.vbget(1, 1), first + optimal::kRidge) << first;
    }
}

// Level coverage: a candidate completes a set of runs that misses one level
// of a factor only by bringing that level; two missing levels of one factor
// no single candidate can bring.
TEST(IncrementalUpdates, LevelCoverageAsksForTheMissingLevelOnly) {
    matrixInt levels(2, 1, 3);
    levels.vbset(2, 1, 2);
    const optimal::CandidateCoding coding(2, &levels, 1, 4);
    matrix disp(2, 6, 0.0);  // runs at levels (3, 1) and (2, 2)
    disp.vbset(1, 5, 3.0), disp.vbset(1, 6, 1.0), disp.vbset(2, 5, 2.0), disp.vbset(2, 6, 2.0);
    optimal::LevelCoverage coverage(coding, &levels);
    for (int r = 1; r <= 2; ++r) coverage.addDisplayRow(&disp, r);
    ASSERT_TRUE(coverage.prepare());
    EXPECT_EQ(std::vector<bool>({coverage.completedBy({0, 1}), coverage.completedBy({1, 0}), coverage.completedBy({2, 0})}),
              std::vector<bool>({true, false, false}));
    coverage.addDigits({0, 1});  // the first level, as a 0-based digit
    ASSERT_TRUE(coverage.prepare());
    EXPECT_TRUE(coverage.completedBy({2, 0}));
    optimal::LevelCoverage one(coding, &levels);
    one.addDisplayRow(&disp, 1);
    EXPECT_FALSE(one.prepare());
}

// The coverage of every run but one, taken from the level counts, is the
// coverage of those runs added one by one: on plans that repeat levels, show
// values no level has and values that are not numbers.
TEST(IncrementalUpdates, CoverageWithoutOneRunFollowsFromTheCounts) {
    matrixInt levels(3, 1, 3);
    levels.vbset(3, 1, 2);
    const optimal::CandidateCoding coding(3, &levels, 1, 6);
    std::mt19937 gen(11);
    const double values[] = {1, 2, 3, 1, 2, 7, std::nan("")};
    for (int trial = 0; trial < 200; ++trial) {
        const int N = 1 + trial % 6;
        matrix disp(N, 7, 0.0);
        for (int r = 1; r <= N; ++r)
            for (int j = 5; j <= 7; ++j) disp.vbset(r, j, values[gen() % std::size(values)]);
        const optimal::LevelCounts counts(coding, &disp, N);
        for (int skipped = 1; skipped <= N; ++skipped) {
            optimal::LevelCoverage fromCounts(coding, &levels, counts, &disp, skipped), byRows(coding, &levels);
            for (int r = 1; r <= N; ++r)
                if (r != skipped) byRows.addDisplayRow(&disp, r);
            const bool open = byRows.prepare();
            ASSERT_EQ(fromCounts.prepare(), open) << "trial " << trial << ", run " << skipped;
            if (!open) continue;
            for (int a = 0; a < 3; ++a)
                for (int b = 0; b < 3; ++b)
                    for (int c = 0; c < 2; ++c)
                        ASSERT_EQ(fromCounts.completedBy({a, b, c}), byRows.completedBy({a, b, c}))
                            << "trial " << trial << ", run " << skipped;
        }
    }
}

}  // namespace
