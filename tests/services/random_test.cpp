#include "services/random.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <numeric>
#include <vector>

namespace {

std::vector<int> values(const matrixInt& p) {
    std::vector<int> v;
    for (int i = 1; i <= p.count(); ++i) v.push_back(p.vbget(i));
    return v;
}

// Random1toN with the seed given; *next receives the state to continue from.
std::vector<int> permutation(int n, int seed, int* next) {
    matrixInt p(n, 1, 0);
    Random1toN(n, &p, &seed, -1, next);
    return values(p);
}

TEST(Random, MinimalStandardGeneratorStreamInTheHalfOpenUnitInterval) {
    // The 10000th state from seed 1 of the multiplier-48271 Lehmer generator
    // is a published check value; it pins the stream on every platform.
    int seed = 1;
    int state = 0;
    for (int i = 0; i < 10000; ++i) {
        Cpp_Random01(&seed, -1, &state);
        seed = state;
    }
    EXPECT_EQ(state, 399268537);
    // Draws stay in [0, 1) from any seed.
    for (int s : {12345, 0, -1, 2147483647, -2147483647 - 1, 42}) {
        int seed = s, next = 0;
        for (int i = 0; i < 20000; ++i) {
            const double u = Cpp_Random01(&seed, 1, &next);
            ASSERT_GE(u, 0.0) << "seed " << s;
            ASSERT_LT(u, 1.0) << "seed " << s;
            ASSERT_GE(next, 1) << "seed " << s;
            seed = next;
        }
    }
}

TEST(Random, FalseFlagStartsANewStreamAndReportsItsSeed) {
    int seed = 0, next = 0;
    const double first = Cpp_Random01(&seed, 0, &next);
    EXPECT_GE(seed, 1);
    int replay = seed, replayNext = 0;
    EXPECT_EQ(Cpp_Random01(&replay, -1, &replayNext), first);
    EXPECT_EQ(replayNext, next);
    EXPECT_EQ(replay, seed) << "a true flag leaves the seed as it was";
}

TEST(Random, PermutationIsReproducibleAndComplete) {
    int nextA = 0, nextB = 0, nextC = 0;
    const std::vector<int> a = permutation(20, 777, &nextA);
    EXPECT_EQ(permutation(20, 777, &nextB), a);
    EXPECT_EQ(nextA, nextB);
    std::vector<int> sorted = a, all(20);
    std::sort(sorted.begin(), sorted.end());
    std::iota(all.begin(), all.end(), 1);
    EXPECT_EQ(sorted, all);
    EXPECT_NE(permutation(20, nextA, &nextC), a) << "continuing from oSeed is not replaying";
}

TEST(Random, EveryOrderOfThreeEquallyOften) {
    // 6000 permutations of 1..3 drawn one after another from one stream:
    // each of the 6 orders about 1000 times (binomial sd 29; the bounds
    // are 5 sd). A shuffle that skips a swap or favours a position misses
    // some orders or doubles others.
    std::map<std::vector<int>, int> seen;
    int seed = 2024, next = 0;
    for (int i = 0; i < 6000; ++i, seed = next) ++seen[permutation(3, seed, &next)];
    EXPECT_EQ(seen.size(), 6u);
    for (const auto& [order, count] : seen) {
        EXPECT_GT(count, 855) << order[0] << order[1] << order[2];
        EXPECT_LT(count, 1145) << order[0] << order[1] << order[2];
    }
}

TEST(Random, UniformFillFollowsTheSameSeedRule) {
    matrix m(3, 4, 0.0);
    int seed = 5, next = 0;
    M_GenerateRandom01(&m, 3, 4, &seed, 1, &next);
    int s2 = 5, n2 = 0;
    EXPECT_EQ(m.vbget(1, 1), Cpp_Random01(&s2, 1, &n2));
    s2 = n2;
    EXPECT_EQ(m.vbget(2, 1), Cpp_Random01(&s2, 1, &n2)) << "filled in storage order";
}

// The working-seed form over Cpp_Random01: after the first draw of a call
// with a false flag the host's flag is true and ioSeed replays the call.
TEST(SeedConvention, WorkingSeedWithUniformDraws) {
    int ioSeed = 0, oSeed = 0;
    short init = 0;
    WorkingRandom01 draws(&ioSeed, &init, &oSeed);
    const double u1 = draws.next();
    EXPECT_EQ(init, -1);
    const double u2 = draws.next();
    const int reproducing = ioSeed, continueFrom = oSeed;

    short again = -1;
    int replaySeed = reproducing, replayOut = 0;
    WorkingRandom01 replay(&replaySeed, &again, &replayOut);
    EXPECT_EQ(replay.next(), u1);
    EXPECT_EQ(replay.next(), u2);
    EXPECT_EQ(replaySeed, reproducing);
    EXPECT_EQ(replayOut, continueFrom);
    ioSeed = 99;
    init = 1;  // non-zero counts as "seed given" and is not rewritten
    WorkingRandom01(&ioSeed, &init, &oSeed).next();
    EXPECT_EQ(init, 1);
    EXPECT_EQ(ioSeed, 99);
}

TEST(SeedConvention, WorkingSeedWithPermutations) {
    int ioSeed = 31, oSeed = 0;
    short init = -1;
    matrixInt p1(5, 1, 0), p2(5, 1, 0);
    {
        WorkingPermutations perms(&ioSeed, &init, &oSeed);
        EXPECT_EQ(oSeed, 31) << "oSeed starts as ioSeed";
        perms.next(5, &p1);
        perms.next(5, &p2);
    }
    EXPECT_EQ(ioSeed, 31);
    EXPECT_EQ(init, -1);
    // The second permutation continues the stream of the first.
    int o1 = 0, o2 = 0;
    EXPECT_EQ(values(p1), permutation(5, 31, &o1));
    EXPECT_EQ(values(p2), permutation(5, o1, &o2));
    EXPECT_EQ(oSeed, o2);

    int fresh = 0, freshOut = 0;
    short freshInit = 0;
    WorkingPermutations newStream(&fresh, &freshInit, &freshOut);
    newStream.next(5, &p1);
    EXPECT_EQ(freshInit, -1) << "true after the first draw";
    EXPECT_GE(fresh, 1) << "the new stream's seed is reported";
    // The direct form on the host variables.
    int direct = 0, directOut = 0, replayOut = 0;
    short directInit = 0;
    matrixInt p(4, 1, 0);
    Random1toNDirect(4, &p, &direct, &directInit, &directOut);
    EXPECT_EQ(directInit, -1);
    EXPECT_EQ(values(p), permutation(4, direct, &replayOut));
    EXPECT_EQ(replayOut, directOut);
}

}  // namespace
