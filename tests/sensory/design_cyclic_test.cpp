// Cyclic designs: carry-over balanced squares, developed initial blocks,
// partial squares and difference counts.
#include "design_support.h"
#include "sensory/cyclic_designs.h"
#include "services/matrix_ops.h"
#include "services/numeric.h"
#include "services/random.h"

#include <cmath>
#include <tuple>

namespace {

struct Cyclic {
    int J;
    std::vector<int32_t> jp, jr;
    double maxcrit = 0;
    Cyclic(int iJ, int P, int R, int seed = 5)
        : J(iJ), jp(static_cast<std::size_t>(J * P), 9), jr(static_cast<std::size_t>(J * R), 9) {
        matrixInt JPMat(J, P, jp.data(), true), JRMat(J, R, jr.data(), true);
        short init = -1;
        int oSeed = 0;
        GenerateBasicCyclicDesigns(1, J, P, R, &JPMat, &JRMat, &maxcrit, &seed, &init, &oSeed);
    }
    int rank(int j, int c) const { return jr[static_cast<std::size_t>((c - 1) * J + j - 1)]; }
};

TEST(CyclicDesigns, CarryOverBalancedSquares) {
    Cyclic four(4, 4, 4);
    // Judges 1..4 tasting 1 2 4 3, 2 3 1 4, 3 4 2 1 and 4 1 3 2; stored by presentation.
    EXPECT_EQ(four.jr, (std::vector<int32_t>{1, 2, 3, 4, 2, 3, 4, 1, 4, 1, 2, 3, 3, 4, 1, 2}));
    EXPECT_NEAR(four.maxcrit, 1.0, 1e-12);
    Cyclic mirrored(6, 3, 3);
    EXPECT_EQ(std::pair(mirrored.rank(4, 2), mirrored.rank(4, 3)), std::pair(3, 2));  // second square from 0, 2, 1
    // One square is taken in sequence whatever the seed.
    EXPECT_EQ(Cyclic(7, 7, 3, 1).jr, Cyclic(7, 7, 3, 999).jr);
}

TEST(CyclicDesigns, JudgesAfterTheLastWholeSquareGetValidBlocks) {
    // Every judge gets a valid block whose presentation order lists its products.
    const int cases[][3] = {{10, 7, 3}, {4, 7, 3}, {5, 4, 4}, {11, 4, 4}, {14, 7, 3}, {2, 3, 1}};
    for (const auto& [J, P, R] : cases) {
        Cyclic d(J, P, R);
        const matrixInt JPMat(J, P, d.jp.data(), true);
        stest::expectBlocksOfSize(JPMat, J, P, R);
        for (int j = 1; j <= J; ++j)
            for (int c = 1; c <= R; ++c) EXPECT_EQ(JPMat.vbget(j, d.rank(j, c)), 1) << j;
        EXPECT_TRUE(J < P || d.maxcrit > 0.0);  // fewer judges may leave a product unserved
    }
}

TEST(CyclicDesigns, PairsStartFromTheFirstDifferenceAndJumpFromIt) {
    // One square of pairs takes the first block {0, 1}: judge j gets j, j+1.
    Cyclic one(5, 5, 2);
    for (int j = 1; j <= 5; ++j) EXPECT_TRUE(one.rank(j, 1) == j && one.rank(j, 2) == j % 5 + 1) << j;
    // Two squares of pairs from P = 7: both blocks are drawn, in increasing
    // order; block t is {0, d_t} with d_t the running sum of the jumps, and
    // a pass keeps its blocks when their differences are more even.
    int seed = 11, oSeed = 0;
    std::vector<int> best;
    double bestSsq = 2147483647.0;
    for (int pass = 1; pass <= 6 && bestSsq >= 1e-12; ++pass) {
        std::vector<int> d;
        double drawn = 0;
        for (int b = 1; b <= 2; ++b) {
            drawn += std::trunc(Cpp_Random01(&seed, -1, &oSeed) * (6 - drawn - (2 - b))) + 1;
            seed = oSeed;
            d.push_back(static_cast<int>(drawn));
        }
        std::vector<int> counts(7, 0);
        for (int x : d) ++counts[x], ++counts[7 - x];
        double ssq = 0;
        for (int k = 1; k < 7; ++k) ssq += counts[k] * counts[k];
        if (ssq < bestSsq) bestSsq = ssq, best = d;
    }
    Cyclic two(14, 7, 2, 11);
    for (int t = 0; t < 2; ++t)
        for (int j = 1; j <= 7; ++j)
            EXPECT_TRUE(two.rank(t * 7 + j, 1) == j && two.rank(t * 7 + j, 2) == (j - 1 + best[t]) % 7 + 1) << t << " " << j;
}

TEST(CyclicDesigns, DifferenceCountsOfInitialBlocks) {
    matrix3D<matrixInt> blocks(2, 3, 1, 0);
    blocks.vbset(1, 2, 1), blocks.vbset(1, 3, 3);  // {0, 1, 3} and {0, 2, 3} mod 7
    blocks.vbset(2, 2, 2), blocks.vbset(2, 3, 3);
    double ssq = 0, first = 0, one = -1;
    ComputeSumSqrLambdas(&blocks, 2, 3, 7, &ssq);
    ComputeSumSqrLambdas(&blocks, 1, 3, 7, &first);
    ComputeSumSqrLambdas(&blocks, 2, 3, 1, &one);  // one product: no difference to count
    EXPECT_EQ(std::tuple(ssq, first, one), std::tuple(24.0, 6.0, 0.0));  // each difference 1..6 twice, then once
}

TEST(CyclicDesigns, FixedSequencesAreCarryOverBalancedAndDevelopByAddingOne) {
    // Consecutive differences of one sequence run through 1..P-1 once for
    // even P; for odd P the sequence and its mirror meet each twice.
    for (int P : {4, 5, 6, 7, 8}) {
        std::vector<int> counts(static_cast<std::size_t>(P), 0);
        for (int type : {1, 2}) {
            matrix seq(P + 1, 1, -1.0);
            GetInitialSeqTrivial(P, P, &seq, type);
            EXPECT_EQ(seq.vbget(P + 1), -1.0);  // P entries, no more
            EXPECT_EQ(seq.vbget(1), 0.0);
            EXPECT_EQ(seq.vbget(2), type == 1 ? 1.0 : P - 1.0);
            for (int c = 1; c < P; ++c)
                ++counts[static_cast<std::size_t>((static_cast<int>(seq.vbget(c + 1) - seq.vbget(c)) + P) % P)];
        }
        EXPECT_EQ(counts[0], 0);
        for (int d = 1; d < P; ++d) EXPECT_EQ(counts[static_cast<std::size_t>(d)], 2) << "P " << P << " d " << d;
    }
    matrix seq(3, 1, 0.0), square(5, 3, 0.0);
    seq.vbset(2, 3.0), seq.vbset(3, 1.0);
    CompleteJRMatFromSeq(&seq, 5, 3, &square);
    const double expected[5][3] = {{1, 4, 2}, {2, 5, 3}, {3, 1, 4}, {4, 2, 5}, {5, 3, 1}};
    for (int i = 1; i <= 5; ++i)
        for (int c = 1; c <= 3; ++c) EXPECT_EQ(square.vbget(i, c), expected[i - 1][c - 1]);
}

TEST(CyclicDesigns, InitialSequencesReportTheSeedTheirDrawsCanBeReplayedFrom) {
    const auto sequences = [](int m, int* seed, short* init, int* oSeed) {
        matrix** seqs = iniSuperMat(m, 3, 1, -1.0);
        GetInitialSeqComplex(7, 3, m, seqs, seed, init, oSeed);
        std::vector<double> v;
        for (int t = 0; t < m; ++t)
            for (int c = 1; c <= 3; ++c) v.push_back(seqs[t]->vbget(c));
        deletecascade(seqs, m);
        return v;
    };
    // One square takes the first block, drawing nothing: the seed goes back as it came.
    int seed = 42, oSeed = 0;
    short init = 0;
    EXPECT_EQ(sequences(1, &seed, &init, &oSeed), (std::vector<double>{0, 1, 2}));
    EXPECT_TRUE(seed == 42 && oSeed == 42 && init == -1);
    // Two squares draw; a fresh stream reports the seed that replays them.
    init = 0;
    const std::vector<double> fresh = sequences(2, &seed, &init, &oSeed);
    EXPECT_EQ(init, -1);
    stest::Stream again(seed);
    EXPECT_EQ(sequences(2, &again.seed, &again.init, &again.out), fresh);
    EXPECT_EQ(again.out, oSeed);
    // Nowhere to report the stream, or no criterion to write: nothing done.
    EXPECT_EQ(sequences(2, &seed, &init, nullptr), std::vector<double>(6, -1.0));
    EXPECT_EQ(sequences(2, &seed, nullptr, &oSeed), std::vector<double>(6, -1.0));
    matrixInt JP(2, 3, 9), JR(2, 2, 9);
    GenerateBasicCyclicDesigns(1, 2, 3, 2, &JP, &JR, nullptr, &seed, &init, &oSeed);
    EXPECT_EQ(std::pair(JP.vbget(1, 1), JR.vbget(1, 1)), std::pair(9, 9));
}

}  // namespace
