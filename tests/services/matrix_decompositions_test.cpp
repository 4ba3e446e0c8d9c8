// The decompositions, checked by rebuilding their input from the factors and
// against matrices whose determinants, inverses and spectra are known; the
// eigenvalues-only path against the full decomposition.
#include "matrix_test_support.h"
#include "services/matrix_ops.h"
#include "services/symmetric_eigen.h"

#include <cmath>
#include <limits>
#include <numbers>
#include <random>

using namespace mtest;

namespace {

double det(const matrix& A, bool* singular) { return M_Determinant(&A, singular); }

// det(A) within tol of want, and the singular flag set as stated (it starts out the other way).
void expectDet(const matrix& A, double want, bool singular, double tol = 0.0) {
    bool flag = !singular;
    EXPECT_NEAR(det(A, &flag), want, tol);
    EXPECT_EQ(flag, singular);
}

// A rank-deficient information matrix X'X: X has a column that is the sum of two others.
Owned rankDeficientGram(int runs, int cols, std::uint64_t seed) {
    Owned X = randomMatrix(runs, cols, seed);
    for (int r = 1; r <= runs; ++r) X->vbset(r, cols, X->vbget(r, 1) + X->vbget(r, 2));
    matrix* M = nullptr;
    M_ProductTrAA(X.get(), M);
    return Owned(M);
}

}  // namespace

TEST(Determinant, KnownValuesAndPivotSign) {
    expectDet(*fromRows({{4, 3}, {6, 3}}), -6.0, false, 1e-14);
    // A zero leading entry forces a row swap, which must flip the sign.
    expectDet(*fromRows({{0, 1, 0}, {1, 0, 0}, {0, 0, 5}}), -5.0, false, 1e-14);
    expectDet(*fromRows({{2, -1, 0}, {-1, 2, -1}, {0, -1, 2}}), 4.0, false, 1e-13);
    bool singular = true;
    Owned A = randomMatrix(12, 12, 3);
    const double d = det(*A, &singular);
    EXPECT_NEAR(det(*transpose(*A), &singular), d, 1e-12 * std::fabs(d));
}

TEST(Determinant, SingularMatricesAreFlagged) {
    // Exact arithmetic gives 0 here, floating point only a rounding residue.
    expectDet(*fromRows({{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}), 0.0, true);
    for (std::uint64_t seed = 1; seed <= 20; ++seed) {
        Owned M = rankDeficientGram(30, 8, seed);
        expectDet(*M, 0.0, true);
        bool singular = false;
        EXPECT_EQ(M_LogDeterminant(M.get(), &singular), 0.0);
        EXPECT_TRUE(singular) << "seed " << seed;
    }
}

TEST(Determinant, ScalingDoesNotMakeARegularMatrixSingular) {
    bool singular = true;
    Owned small = spd(6, 4);
    for (int i = 0; i < small->count(); ++i) small->data()[i] *= 1e-30;
    det(*small, &singular);
    EXPECT_FALSE(singular);
    expectDet(*fromRows({{1e15, 0}, {0, 1}}), 1e15, false);
    expectDet(*fromRows({{3e-320, 0}, {0, 1e300}}), 3e-320 * 1e300, false);  // a subnormal row
    expectDet(*fromRows({{1e15, 1e15}, {1, 2}}), 1e15, false, 1.0);
    // A column far below the others is judged against its own largest entry.
    expectDet(*fromRows({{1e-20, 1}, {2e-20, 1}}), -1e-20, false, 1e-34);
}

TEST(Determinant, ShapesWithoutADeterminant) {
    bool singular = false;
    EXPECT_EQ(M_Determinant(nullptr, &singular), 0.0);
    EXPECT_TRUE(singular);
    expectDet(matrix(2, 3, 1.0), 0.0, true);
    expectDet(matrix(0, 0, 0.0), 1.0, false);  // empty product
    expectDet(*fromRows({{1, NAN}, {2, 3}}), 0.0, true);
    expectDet(*fromRows({{1, 2}, {0, 0}}), 0.0, true);  // a zero row
}

TEST(LogDeterminant, MatchesDeterminantAndSurvivesOverflow) {
    bool singular = true;
    Owned A = randomMatrix(10, 10, 11);
    const double d = det(*A, &singular);
    EXPECT_NEAR(M_LogDeterminant(A.get(), &singular), std::log(std::fabs(d)), 1e-12);
    // 40 x 40 with entries around 1e20: det overflows, its logarithm does not.
    Owned big = spd(40, 5);
    for (int i = 0; i < big->count(); ++i) big->data()[i] *= 1e20;
    const double logBig = M_LogDeterminant(big.get(), &singular);
    Owned unit = spd(40, 5);
    EXPECT_NEAR(logBig, M_LogDeterminant(unit.get(), &singular) + 40 * std::log(1e20), 1e-9);
    EXPECT_TRUE(std::isinf(det(*big, &singular)));
    EXPECT_FALSE(singular);
}

TEST(Inverse, ReconstructsIdentity) {
    for (int n : {1, 2, 7, 25}) {
        Owned A = randomMatrix(n, n, 100 + n);
        Out Ainv;
        bool failed = true;
        inverse1(A.get(), Ainv, 1e-6, &failed);
        ASSERT_FALSE(failed);
        EXPECT_TRUE(closeTo(*product(*A, *Ainv), *identity(n), 1e-11)) << "n = " << n;
    }
}

TEST(Inverse, ToleranceIsAnAbsolutePivotBoundAndOutputMayBeTheInput) {
    Owned A = fromRows({{2e-7, 0}, {0, 1}});
    Out Ainv;
    short flag = 0;  // the 16-bit form of the failure flag: -1 for failed, else 0
    inverse1(A.get(), Ainv, 1e-6, &flag);
    EXPECT_EQ(flag, -1);
    inverse1(A.get(), Ainv, 1e-8, &flag);
    EXPECT_EQ(flag, 0);
    EXPECT_NEAR(Ainv->vbget(1, 1), 5e6, 1e-6);
    inverse1(fromRows({{1, 2}, {2, 4}}).get(), Ainv, 1e-6, &flag);
    EXPECT_EQ(flag, -1);
    inverse1(nullptr, Ainv, 1e-6, &flag);
    EXPECT_EQ(flag, -1);
    Out B(fromRows({{4, 7}, {2, 6}}).release());  // the output may be the input
    inverse1(B, B, 1e-12, &flag);
    ASSERT_EQ(flag, 0);
    EXPECT_TRUE(closeTo(*B, *fromRows({{0.6, -0.7}, {-0.2, 0.4}}), 1e-15));
}

// The four Penrose conditions define the pseudo-inverse uniquely.
void expectPenrose(const matrix& A, const matrix& P) {
    ASSERT_EQ(P.rows(), A.cols());
    ASSERT_EQ(P.cols(), A.rows());
    Owned AP = product(A, P), PA = product(P, A);
    EXPECT_TRUE(closeTo(*product(*AP, A), A, 1e-12));
    EXPECT_TRUE(closeTo(*product(*PA, P), P, 1e-12));
    EXPECT_TRUE(closeTo(*AP, *transpose(*AP), 1e-12));
    EXPECT_TRUE(closeTo(*PA, *transpose(*PA), 1e-12));
}

TEST(GeneralisedInverse, PenroseConditionsAndTheToleranceOnSingularValues) {
    // 7 x 4 of rank 3 (last column = first + second), its transpose, and a
    // singular information matrix.
    Owned tall = randomMatrix(7, 4, 21);
    for (int r = 1; r <= 7; ++r) tall->vbset(r, 4, tall->vbget(r, 1) + tall->vbget(r, 2));
    for (const matrix* A : {tall.get(), transpose(*tall).release(), rankDeficientGram(12, 6, 2).release()}) {
        Out P;
        M_InvGeneralized(A, P, 1e-10);
        expectPenrose(*A, *P);
        if (A != tall.get()) delete A;
    }
    // The tolerance drops small singular values.
    Owned A = fromRows({{3, 0}, {0, 1e-9}, {0, 0}});
    Out P;
    M_InvGeneralized(A.get(), P, 1e-6);
    EXPECT_TRUE(closeTo(*P, *fromRows({{1.0 / 3, 0, 0}, {0, 0, 0}}), 1e-15));
    M_InvGeneralized(A.get(), P, 1e-12);
    EXPECT_NEAR(P->vbget(2, 2), 1e9, 1e-3);
    // The zero matrix's pseudo-inverse is its zero transpose, whatever the tolerance.
    M_InvGeneralized(std::make_unique<matrix>(2, 3, 0.0).get(), P, -1.0);
    EXPECT_TRUE(closeTo(*P, matrix(3, 2, 0.0), 0.0));
    // The form over a leading block returns its rank; rank one {{1, 2}, {2, 4}} = v v' has A+ = A / 25.
    Owned G = fromRows({{1, 2, 7}, {2, 4, 7}, {7, 7, 7}});
    EXPECT_EQ(M_InvGeneralized(G.get(), 2, P, 1e-10), 1);
    EXPECT_TRUE(closeTo(*P, *fromRows({{0.04, 0.08}, {0.08, 0.16}}), 1e-15));
}

TEST(Cholesky, FactorRebuildsMatrixIsLowerTriangularAndReadsOnlyTheLowerTriangle) {
    for (int n : {1, 3, 10, 40}) {
        Owned A = spd(n, 30 + n);
        Out L;
        ASSERT_TRUE(M_CholDecomp(A.get(), L));
        EXPECT_TRUE(closeTo(*product(*L, *transpose(*L)), *A, 1e-13)) << "n = " << n;
        for (int c = 2; c <= n; ++c)
            for (int r = 1; r < c; ++r) EXPECT_EQ(L->vbget(r, c), 0.0);
        for (int i = 1; i <= n; ++i) EXPECT_GT(L->vbget(i, i), 0.0);
    }
    Out L;  // only the lower triangle is read
    ASSERT_TRUE(M_CholDecomp(fromRows({{4, 999}, {2, 5}}).get(), L));
    EXPECT_TRUE(closeTo(*L, *fromRows({{2, 0}, {1, 2}}), 1e-15));
}

TEST(Cholesky, NotPositiveDefiniteLeavesAZeroOnTheDiagonal) {
    Out L;
    // Indefinite: fails at column 2, where 1 - 2^2 < 0.
    EXPECT_FALSE(M_CholDecomp(fromRows({{1, 2, 0}, {2, 1, 0}, {0, 0, 1}}).get(), L));
    ASSERT_EQ(L->rows(), 3);
    EXPECT_EQ(L->vbget(1, 1), 1.0);
    EXPECT_EQ(L->vbget(2, 2), 0.0);
    EXPECT_EQ(L->vbget(3, 3), 0.0);
    // An exactly zero pivot is not positive either.
    EXPECT_FALSE(M_CholDecomp(fromRows({{1, 0}, {0, 0}}).get(), L));
    // Positive semidefinite but singular: rounding must not pass it as definite.
    for (std::uint64_t seed = 1; seed <= 20; ++seed) {
        EXPECT_FALSE(M_CholDecomp(rankDeficientGram(30, 8, seed).get(), L)) << "seed " << seed;
        bool zeroOnDiagonal = false;
        for (int i = 1; i <= 8; ++i) zeroOnDiagonal |= L->vbget(i, i) == 0.0;
        EXPECT_TRUE(zeroOnDiagonal);
    }
    EXPECT_FALSE(M_CholDecomp(fromRows({{NAN}}).get(), L));
    EXPECT_FALSE(M_CholDecomp(nullptr, L));
}

void expectEigenDecomposition(const matrix& A, const matrix& values, const matrix& vectors, double tol) {
    const int n = A.rows();
    Owned QL(new matrix(n, n, 0.0));
    for (int c = 1; c <= n; ++c)
        for (int r = 1; r <= n; ++r) QL->vbset(r, c, vectors.vbget(r, c) * values.vbget(c));
    EXPECT_TRUE(closeTo(*product(*QL, *transpose(vectors)), A, tol));
    EXPECT_TRUE(closeTo(*product(*transpose(vectors), vectors), *identity(n), tol));
}

TEST(Eigen, DecomposesAndOrdersEigenvalues) {
    for (int n : {1, 2, 5, 10, 40}) {
        Owned A = randomMatrix(n, n, 50 + n);
        for (int c = 1; c <= n; ++c)
            for (int r = 1; r < c; ++r) A->vbset(r, c, A->vbget(c, r));
        Out values, vectors;
        ASSERT_TRUE(M_Eigen(A.get(), values, vectors, true));
        ASSERT_EQ(values->rows(), n);
        ASSERT_EQ(values->cols(), 1);
        expectEigenDecomposition(*A, *values, *vectors, 1e-12);
        for (int i = 2; i <= n; ++i) EXPECT_GE(values->vbget(i - 1), values->vbget(i));
        ASSERT_TRUE(M_Eigen(A.get(), values, vectors, false));
        expectEigenDecomposition(*A, *values, *vectors, 1e-12);
        for (int i = 2; i <= n; ++i) EXPECT_LE(values->vbget(i - 1), values->vbget(i));
    }
}

TEST(Eigen, KnownSpectra) {
    // The second-difference matrix tridiag(-1, 2, -1) has eigenvalues
    // 2 - 2 cos(k pi / (n + 1)), k = 1..n.
    const int n = 30;
    Owned T(new matrix(n, n, 0.0));
    for (int i = 1; i <= n; ++i) {
        T->vbset(i, i, 2.0);
        T->vbset(i, i + 1, -1.0);
        T->vbset(i + 1, i, -1.0);
    }
    Out values, vectors;
    ASSERT_TRUE(M_Eigen(T.get(), values, vectors, false));
    for (int k = 1; k <= n; ++k)
        EXPECT_NEAR(values->vbget(k), 2 - 2 * std::cos(k * std::numbers::pi / (n + 1)), 1e-13);
    // The all-ones matrix: n once and 0 with multiplicity n - 1.
    ASSERT_TRUE(M_Eigen(std::make_unique<matrix>(6, 6, 1.0).get(), values, vectors, true));
    EXPECT_NEAR(values->vbget(1), 6.0, 1e-13);
    for (int k = 2; k <= 6; ++k) EXPECT_NEAR(values->vbget(k), 0.0, 1e-13);
    expectEigenDecomposition(matrix(6, 6, 1.0), *values, *vectors, 1e-13);
    // The identity: every vector is an eigenvector; the basis must stay orthonormal.
    ASSERT_TRUE(M_Eigen(identity(5).get(), values, vectors, true));
    expectEigenDecomposition(*identity(5), *values, *vectors, 1e-15);
}

TEST(Eigen, FailureGivesZerosNotGarbage) {
    Out values, vectors;
    Owned bad = spd(4, 1);
    bad->vbset(3, 2, std::numeric_limits<double>::infinity());
    EXPECT_FALSE(M_Eigen(bad.get(), values, vectors, true));
    EXPECT_TRUE(closeTo(*values, matrix(4, 1, 0.0), 0.0));
    EXPECT_TRUE(closeTo(*vectors, matrix(4, 4, 0.0), 0.0));
    EXPECT_FALSE(M_Eigen(std::make_unique<matrix>(2, 3, 1.0).get(), values, vectors, true));
    EXPECT_FALSE(M_Eigen(nullptr, values, vectors, true));
}

// One workspace serves every size in turn.
TEST(SymmetricEigenvalues, AgreeWithTheFullDecomposition) {
    std::mt19937 gen(5);
    std::uniform_real_distribution<double> cell(-1.0, 1.0);
    linalg::Tridiagonal work;
    for (int n : {1, 2, 7, 40, 7}) {
        matrix A(n, n, 0.0);
        for (int r = 1; r <= n; ++r)
            for (int c = 1; c <= r; ++c) A.vbset(r, c, cell(gen));
        Out values, vectors;
        ASSERT_TRUE(M_Eigen(&A, values, vectors, true));
        linalg::Dense D = linalg::Dense::copyOf(&A);
        ASSERT_TRUE(linalg::symmetricEigenvalues(D, work, true));
        for (int i = 0; i < n; ++i) EXPECT_NEAR(work.d[static_cast<std::size_t>(i)], values->vbget(i + 1), 1e-12) << n;
    }
    linalg::Dense bad(2, 2, std::nan(""));
    EXPECT_FALSE(linalg::symmetricEigenvalues(bad, work, true));
    linalg::Dense wide(2, 3);
    EXPECT_FALSE(linalg::symmetricEigenvalues(wide, work, false));
}
