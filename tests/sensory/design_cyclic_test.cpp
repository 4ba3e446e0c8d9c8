// Cyclic designs: carry-over balanced squares, developed initial blocks,
// partial squares, difference counts and the three-way container.
#include "design_support.h"
#include "sensory/cyclic_designs.h"
#include "services/numeric.h"

namespace {

struct Cyclic {
    std::vector<int32_t> jp, jr;
    double maxcrit = 0;
    Cyclic(int J, int P, int R, int seed = 5) : jp(static_cast<std::size_t>(J * P), 9), jr(static_cast<std::size_t>(J * R), 9) {
        matrixInt JPMat(J, P, jp.data(), true), JRMat(J, R, jr.data(), true);
        short init = -1;
        int oSeed = 0;
        GenerateBasicCyclicDesigns(1, J, P, R, &JPMat, &JRMat, &maxcrit, &seed, &init, &oSeed);
    }
    int rank(int J, int j, int c) const { return jr[static_cast<std::size_t>((c - 1) * J + j - 1)]; }
};

TEST(CyclicDesigns, CarryOverBalancedSquares) {
    Cyclic four(4, 4, 4);
    const int expected[4][4] = {{1, 2, 4, 3}, {2, 3, 1, 4}, {3, 4, 2, 1}, {4, 1, 3, 2}};
    for (int j = 1; j <= 4; ++j)
        for (int c = 1; c <= 4; ++c) EXPECT_EQ(four.rank(4, j, c), expected[j - 1][c - 1]);
    EXPECT_NEAR(four.maxcrit, 1.0, 1e-12);
    Cyclic mirrored(6, 3, 3);
    EXPECT_EQ(mirrored.rank(6, 4, 2), 3);  // second square from 0, 2, 1
    EXPECT_EQ(mirrored.rank(6, 4, 3), 2);
}

// Every judge gets a valid block whose presentation order lists its products.
void expectConsistentRows(const Cyclic& d, int J, int P, int R) {
    matrixInt JPMat(J, P, const_cast<int32_t*>(d.jp.data()), true);
    stest::expectBlocksOfSize(JPMat, J, P, R);
    for (int j = 1; j <= J; ++j)
        for (int c = 1; c <= R; ++c) EXPECT_EQ(JPMat.vbget(j, d.rank(J, j, c)), 1) << j;
    if (J >= P) {
        EXPECT_GT(d.maxcrit, 0.0);  // fewer judges may leave a product unserved
    }
}

TEST(CyclicDesigns, JudgesAfterTheLastWholeSquareGetValidBlocks) {
    const int cases[][3] = {{10, 7, 3}, {4, 7, 3}, {5, 4, 4}, {11, 4, 4}, {14, 7, 3}};
    for (const auto& c : cases) expectConsistentRows(Cyclic(c[0], c[1], c[2]), c[0], c[1], c[2]);
}

TEST(CyclicDesigns, OneSquareIsTakenInSequenceWhateverTheSeed) {
    EXPECT_EQ(Cyclic(7, 7, 3, 1).jr, Cyclic(7, 7, 3, 999).jr);
}

TEST(CyclicDesigns, DifferenceCountsAndSharedSlices) {
    matrix3D<matrixInt> blocks(2, 3, 1, 0);
    blocks.vbset(1, 2, 1);  // {0, 1, 3} and {0, 2, 3} mod 7
    blocks.vbset(1, 3, 3);
    blocks.vbset(2, 2, 2);
    blocks.vbset(2, 3, 3);
    blocks.vbset(3, 1, 5);  // no such slice: ignored
    double ssq = 0;
    ComputeSumSqrLambdas(&blocks, 2, 3, 7, &ssq);
    EXPECT_EQ(ssq, 24.0);  // each difference 1..6 arises twice
    matrix3D<matrixInt> shared(1, 1, 1, 0);
    shared = blocks;  // shares, and only the last holder frees
    EXPECT_EQ(shared.slices, blocks.slices);
    EXPECT_EQ(shared.count, 2);
}

}  // namespace
