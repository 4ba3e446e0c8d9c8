// The eigenvalues-only path agrees with the full decomposition and reuses
// its storage.
#include "matrix_test_support.h"
#include "services/matrix_ops.h"
#include "services/symmetric_eigen.h"

#include <random>

TEST(SymmetricEigenvalues, AgreeWithTheFullDecomposition) {
    std::mt19937 gen(5);
    std::uniform_real_distribution<double> cell(-1.0, 1.0);
    linalg::Tridiagonal work;
    for (int n : {1, 2, 7, 40, 7}) {
        matrix A(n, n, 0.0);
        for (int r = 1; r <= n; ++r)
            for (int c = 1; c <= r; ++c) A.vbset(r, c, cell(gen));
        mtest::Out values, vectors;
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
