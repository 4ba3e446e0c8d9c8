// Block copies, reshaping copies and products, including the bounded-access
// behaviour at the edges and outputs that are also inputs.
#include "matrix_test_support.h"
#include "services/matrix_ops.h"

#include <vector>

using namespace mtest;

TEST(CopyBlock, CopiesTheRangeReadsMinusOneOutsideAndWritesOverItsSource) {
    Owned A = fromRows({{1, 2, 3}, {4, 5, 6}});
    Out B;
    M_CopyBlock(A.get(), 1, 2, 2, 3, B);
    EXPECT_TRUE(closeTo(*B, *fromRows({{2, 3}, {5, 6}}), 0.0));
    // A block reaching past the last row takes -1 there, not the next column.
    M_CopyBlock(A.get(), 2, 3, 1, 1, B);
    EXPECT_TRUE(closeTo(*B, *fromRows({{4}, {-1}}), 0.0));
    M_CopyBlock(A.get(), 2, 1, 1, 3, B);
    EXPECT_EQ(B->count(), 0);
    // Into its own source.
    Out S(fromRows({{1, 2, 3}, {4, 5, 6}}).release());
    M_CopyBlock(S, 2, 2, 1, 3, S);
    EXPECT_TRUE(closeTo(*S, *fromRows({{4, 5, 6}}), 0.0));
}

TEST(PasteBlock, ClipsAtTheTargetsEdgesAndSelfPasteReadsTheOriginal) {
    Owned A(new matrix(3, 3, 0.0));
    M_PasteBlock(fromRows({{1, 2}, {3, 4}}).get(), 2, 2, A.get(), 2, 3);
    EXPECT_TRUE(closeTo(*A, *fromRows({{0, 0, 0}, {0, 0, 1}, {0, 0, 3}}), 0.0));
    // A huge stated block from a far-off origin visits only A's cells; they lie
    // past the end of the 1 x 1 source, so they receive its bounded read, -1.
    M_PasteBlock(fromRows({{9}}).get(), 2000000000, 1, A.get(), -1000000000, 1);
    M_PasteBlock(nullptr, 1, 1, A.get(), 1, 2);  // no block: nothing is pasted
    EXPECT_TRUE(closeTo(*A, *fromRows({{-1, 0, 0}, {-1, 0, 1}, {-1, 0, 3}}), 0.0));
    // An overlapping paste into its own source reads the original.
    Owned C = fromRows({{1}, {2}, {3}});
    M_PasteBlock(C.get(), 3, 1, C.get(), 2, 1);
    EXPECT_TRUE(closeTo(*C, *fromRows({{1}, {1}, {2}}), 0.0));
}

TEST(Copies, DuplicateRemoveRowTranspose) {
    Owned A = fromRows({{1, 2}, {3, 4}, {5, 6}});
    Owned dup(M_Duplicate(A.get()));
    EXPECT_TRUE(closeTo(*dup, *A, 0.0));
    EXPECT_NE(dup->data(), A->data());
    Owned v(V_Duplicate(A.get(), 4));
    EXPECT_TRUE(closeTo(*v, *fromRows({{1}, {3}, {5}, {2}}), 0.0));
    const Owned kept[] = {fromRows({{3, 4}, {5, 6}}), fromRows({{1, 2}, {5, 6}}), fromRows({{1, 2}, {3, 4}})};
    for (int r = 1; r <= 3; ++r) EXPECT_TRUE(closeTo(*Owned(M_RemoveRow(A.get(), r)), *kept[r - 1], 0.0)) << r;
    for (int r : {0, 4}) EXPECT_TRUE(closeTo(*Owned(M_RemoveRow(A.get(), r)), *A, 0.0)) << r;

    int cells[] = {1, 2, 3, 4, 5, 6};  // 2 x 3, column-major
    matrixInt Ai(2, 3, cells, false);
    EXPECT_TRUE(closeTo(*Owned(M_Transpose(&Ai, 2, 3)), *fromRows({{1, 2}, {3, 4}, {5, 6}}), 0.0));
    EXPECT_TRUE(closeTo(*Owned(M_Transpose(nullptr, 1, 2)), *fromRows({{-1}, {-1}}), 0.0));
    // Between existing containers, B(br0 + i, bc0 + c) := A(ar0 + i, ac0 + c) from i, c = 0: only B's
    // cells are written, offsets below and above 1 in each direction, reads past A give -1.
    matrixInt B(3, 3, 0);
    const auto cellsOfB = [&B] { return std::vector<int>(B.data(), B.data() + 9); };  // column-major
    M_Duplicate(&Ai, 5, 2, &B, -1, 2, -1, 1);
    EXPECT_EQ(cellsOfB(), (std::vector<int>{3, 4, -1, 5, 6, -1, 0, 0, 0}));
    M_Duplicate(&Ai, 2, 5, &B, 0, -1, 1, -1);
    M_Duplicate(nullptr, 3, 3, &B, 1, 1, 1, 1);
    M_Duplicate(&Ai, 3, 3, nullptr, 1, 1, 1, 1);
    EXPECT_EQ(cellsOfB(), (std::vector<int>{-1, 1, -1, -1, 3, -1, -1, 5, 0}));
}

TEST(Products, AgreeWithTheDefinitionsOnFullEmptyAndShortInputs) {
    Owned X = randomMatrix(9, 4, 7);
    Out out;
    M_ProductTrAA(X.get(), out);
    EXPECT_TRUE(closeTo(*out, *product(*transpose(*X), *X), 1e-14));
    M_ProductATrA(X.get(), out);
    EXPECT_TRUE(closeTo(*out, *product(*X, *transpose(*X)), 1e-14));

    Owned B = randomMatrix(4, 4, 8), x = randomMatrix(4, 1, 9);
    M_ProductBV(B.get(), x.get(), out);
    EXPECT_TRUE(closeTo(*out, *product(*B, *x), 1e-14));
    M_ProductBV(fromRows({{1, 2, 3}}).get(), fromRows({{4}, {5}, {6}}).get(), out);
    EXPECT_EQ(out->vbget(1), 32.0) << "a one-row B";
    const double q = product(*transpose(*x), *product(*B, *x))->vbget(1, 1);
    EXPECT_NEAR(M_ProductTrVBV(x.get(), B.get()), q, 1e-14);
    EXPECT_NEAR(V_ProductTrV1V2(x.get(), x.get(), 4), product(*transpose(*x), *x)->vbget(1), 1e-14);

    M_Sums1As2B(2.0, fromRows({{1, 2}}).get(), -0.5, fromRows({{4, 8}}).get(), out);
    EXPECT_TRUE(closeTo(*out, *fromRows({{0, 0}}), 0.0));
    M_ProductTrAA(nullptr, out);
    EXPECT_EQ(out->count(), 0);
    // A vector shorter than B is read with the bounded access (-1 past its end).
    EXPECT_EQ(M_ProductTrVBV(fromRows({{2}}).get(), identity(2).get()), 5.0);
}

TEST(Products, ShermanMorrisonStepWithOutputsOnInputs) {
    // W = V - u u' / (1 + x'Vx), u = Vx, is the inverse of M + x x'. The
    // weighted sum writes over V itself.
    Owned M = spd(5, 12), x = randomMatrix(5, 1, 13);
    Out V;
    bool failed = true;
    inverse1(M.get(), V, 1e-9, &failed);
    Out u, uu;
    const double q = M_ProductTrVBV(x.get(), V);
    M_ProductBV(V, x.get(), u);
    M_ProductATrA(u, uu);
    M_Sums1As2B(1.0, V, -1.0 / (1.0 + q), uu, V);

    Owned updated = product(*x, *transpose(*x));
    for (int i = 0; i < 25; ++i) updated->data()[i] += M->data()[i];
    EXPECT_TRUE(closeTo(*product(*updated, *V), *identity(5), 1e-12));
    M_ProductTrAA(u, u);  // 1 x 1 result over its own 5 x 1 input
    EXPECT_EQ(u->rows(), 1);
}
