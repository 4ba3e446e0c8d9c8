// Vector reductions, row sorting and arrays of containers.
#include "matrix_test_support.h"
#include "services/matrix_ops.h"
#include "services/numeric.h"

#include <limits>

using namespace mtest;

TEST(VectorReductions, OverTheFirstNElements) {
    Owned v = fromRows({{3}, {-2}, {7}, {3}, {100}});
    EXPECT_EQ(V_Max2(v.get(), 4), 7.0);
    EXPECT_EQ(V_Sum2(v.get(), 4), 11.0);
    EXPECT_EQ(V_NbDistinct(v.get(), 4), 3);
    EXPECT_EQ(V_Max2(v.get(), 0), num::kNoValue);
    EXPECT_EQ(V_Sum2(v.get(), 0), 0.0);
    EXPECT_EQ(V_NbDistinct(v.get(), 0), 0);
    // Past the end every element reads -1, without walking n cells.
    EXPECT_EQ(V_Sum2(v.get(), 2000000000), 111.0 - (2000000000 - 5));
    EXPECT_EQ(V_NbDistinct(v.get(), 2000000000), 5);
    EXPECT_EQ(V_IsConstant(v.get(), 2000000000), 0);

    int cells[] = {4, 4, 1, 4};
    matrixInt vi(4, 1, cells, false);
    EXPECT_EQ(V_NbDistinct(&vi, 4), 2);
    EXPECT_EQ(V_IsConstant(&vi, 2), -1);
    EXPECT_EQ(V_IsConstant(&vi, 3), 0);
    // NaN is one value, and never equal.
    Owned n = fromRows({{1}, {std::numeric_limits<double>::quiet_NaN()}, {1}, {std::numeric_limits<double>::quiet_NaN()}});
    EXPECT_EQ(V_NbDistinct(n.get(), 4), 2);
    EXPECT_EQ(V_IsConstant(n.get(), 4), 0);
}

TEST(Flags, ConstancyAndReset) {
    Owned flags = fromRows({{-1}, {-1}, {-1}});
    EXPECT_EQ(V_IsConstantBool(flags.get(), 3), -1);
    flags->vbset(2, 0.0);
    EXPECT_EQ(V_IsConstantBool(flags.get(), 3), 0);
    // Only -1 is true: 1 is a false flag too.
    flags->vbset(2, 1.0);
    EXPECT_EQ(V_IsConstantBool(flags.get(), 3), 0);
    InitVectorToFalse(flags.get(), 2);
    EXPECT_TRUE(closeTo(*flags, *fromRows({{0}, {0}, {-1}}), 0.0));
    InitVectorToFalse(flags.get(), 99);
    EXPECT_EQ(V_IsConstantBool(flags.get(), 3), 0) << "all false is not all true";
}

TEST(SortRows, StableInBothDirectionsAndOnlyInRange) {
    // Key in column 1, an identity tag in column 2.
    Owned A = fromRows({{9, 0}, {2, 1}, {1, 2}, {2, 3}, {1, 4}, {0, 5}});
    SortQMatrixCol(A.get(), 6, 2, 1, 2, 5, 0);
    EXPECT_TRUE(closeTo(*A, *fromRows({{9, 0}, {1, 2}, {1, 4}, {2, 1}, {2, 3}, {0, 5}}), 0.0));
    SortQMatrixCol(A.get(), 6, 2, 1, 1, 6, 1);
    EXPECT_TRUE(closeTo(*A, *fromRows({{9, 0}, {2, 1}, {2, 3}, {1, 2}, {1, 4}, {0, 5}}), 0.0));
    Owned B = fromRows({{0, 3}, {1, 1}, {2, 2}});  // keyed on the last column; a range of one row stays
    SortQMatrixCol(B.get(), 3, 2, 2, 1, 3, 0);
    SortQMatrixCol(B.get(), 3, 2, 1, 2, 2, 1);
    EXPECT_TRUE(closeTo(*B, *fromRows({{1, 1}, {2, 2}, {0, 3}}), 0.0));
}

TEST(SortRows, HostileArgumentsAreHarmless) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    Owned A = fromRows({{nan, 1}, {2, 2}, {nan, 3}, {1, 4}});
    SortQMatrixCol(A.get(), 4, 2, 1, 1, 4, 0);
    const double tags[] = {4, 2, 1, 3};  // NaN keys last, in their original order
    for (int r = 1; r <= 4; ++r) EXPECT_EQ(A->vbget(r, 2), tags[r - 1]) << r;
    SortQMatrixCol(A.get(), 4, 2, 7, 1, 4, 0);           // key column outside
    EXPECT_EQ(A->vbget(1, 2), 4.0) << "nothing moves";
    SortQMatrixCol(A.get(), 4, 2, 1, -5, 2000000000, 1); // range clipped to the rows
    SortQMatrixCol(static_cast<matrix*>(nullptr), 4, 2, 1, 1, 4, 0);
    EXPECT_EQ(A->vbget(1, 1), 2.0);
}

TEST(SuperMatrices, CreateFillDelete) {
    matrix** S = nullptr;
    for (int n : {1, 3}) {
        S = iniSuperMat(n, 2, 1, 1.0);
        ASSERT_NE(S, nullptr);
        for (int i = 0; i < n; ++i) EXPECT_TRUE(closeTo(*S[i], *fromRows({{1}, {1}}), 0.0)) << i;
        SuperMatSetToValue(S, n, 0.25);
        for (int i = 0; i < n; ++i) EXPECT_EQ(V_Sum2(S[i], 2), 0.5) << i;
        deletecascade(S, n);
        EXPECT_EQ(S, nullptr);
    }
    deletecascade(S, 3);  // a second delete of the nulled array is a no-op
    EXPECT_EQ(iniSuperMat(0, 2, 2, 0.0), nullptr);
}
