// Screening run sheets through the host's entry point.
#include "boundary/VORNEXDO1M.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <set>
#include <vector>

namespace {

constexpr double kCanary = -4242.25;
constexpr int kCanaries = 32;

struct Screening {
    std::vector<int32_t> levels;
    int nRes = 1, nRep = 1, nplan = 0 /* the full factorial times nRep */, planID = 1, mode = 1;
    VARIANT_BOOL isRand = 0;
    int32_t seed = 0;
    VARIANT_BOOL seedInit = 0;
};

struct Sheet {
    int nplan = 0, pplan = 0, nblock = 0;
    int32_t seed = 0, oSeed = 0;
    std::vector<double> cells;
    double at(int r, int c) const { return cells[static_cast<std::size_t>(c - 1) * nplan + (r - 1)]; }
};

Sheet Lay(const Screening& q, double fill = 0.0) {
    Sheet s;
    s.nblock = 1;
    for (int l : q.levels) s.nblock *= l;
    s.nplan = q.nplan ? q.nplan : s.nblock * q.nRep;
    s.pplan = static_cast<int>(q.levels.size()) + q.nRes + 4;
    s.cells.assign(static_cast<std::size_t>(s.nplan) * s.pplan, fill);
    s.cells.insert(s.cells.end(), kCanaries, kCanary);
    std::vector<int32_t> levels = q.levels;
    s.seed = q.seed;
    EXPECT_EQ(Cpp_ScreeningPlanGenerate(q.mode, q.planID, static_cast<int>(levels.size()), q.nRes, 0, q.nRep,
                                        q.isRand, s.nplan, s.pplan, s.nblock, levels.data(), s.cells.data(), &s.seed,
                                        q.seedInit, &s.oSeed),
              0);
    EXPECT_TRUE(std::all_of(s.cells.end() - kCanaries, s.cells.end(), [](double v) { return v == kCanary; }));
    return s;
}

TEST(Screening, FullFactorialWithFactorOneFastestRepeatedCyclicallyAndTheBookkeeping) {
    const Sheet s = Lay({.levels = {2, 3}, .nRes = 2, .nplan = 8});
    const double expected[8][2] = {{1, 1}, {2, 1}, {1, 2}, {2, 2}, {1, 3}, {2, 3}, {1, 1}, {2, 1}};
    for (int r = 1; r <= 8; ++r) {
        EXPECT_EQ(s.at(r, 5), expected[r - 1][0]);
        EXPECT_EQ(s.at(r, 6), expected[r - 1][1]);
        if (r > 6) continue;  // past the first replicate's rows
        // Run and standard order, replicate 1; column 4 is not written.
        EXPECT_EQ(std::vector<double>({s.at(r, 1), s.at(r, 2), s.at(r, 3), s.at(r, 4)}),
                  std::vector<double>({1.0 * r, 1.0 * r, 1, 0}));
        for (int c = 7; c <= 8; ++c) EXPECT_EQ(std::bit_cast<uint64_t>(s.at(r, c)), 0xFFEFFFFFFFFFFFE2ULL);
    }
    EXPECT_EQ(s.at(7, 7), 0) << "responses are marked on the first replicate only";
}

TEST(Screening, OtherDesignsKeepTheCallersFactorsAndOtherModesTouchNothing) {
    const Sheet kept = Lay({.levels = {2, 2}, .planID = 2}, 9.0);
    EXPECT_EQ(kept.at(3, 5), 9.0);
    EXPECT_EQ(kept.at(3, 2), 3);
    EXPECT_EQ(kept.at(3, 4), 9.0);

    const Sheet untouched = Lay({.levels = {2, 2}, .mode = 2, .isRand = -1, .seed = 8, .seedInit = -1}, 9.0);
    EXPECT_TRUE(std::all_of(untouched.cells.begin(), untouched.cells.end() - kCanaries,
                            [](double v) { return v == 9.0; }));
    EXPECT_EQ(untouched.seed, 8);
}

// The run sheet's order and replicates are finished by the code the
// response-surface sheets share, whose seeds and flags those tests check:
// here, that the screening sheet hands them on.
TEST(Screening, RandomOrderCarriesTheLevelsAndReplicatesRepeatIt) {
    const Sheet plain = Lay({.levels = {2, 3, 2}, .isRand = 1, .seed = 5, .seedInit = -1});
    const Sheet s = Lay({.levels = {2, 3, 2}, .nRep = 2, .isRand = -1, .seed = 1234, .seedInit = -1});
    std::set<double> standard;
    for (int r = 1; r <= 24; ++r) {
        const int first = (r - 1) % 12 + 1;
        EXPECT_EQ(std::pair(s.at(r, 1), s.at(r, 3)), std::pair(1.0 * first, (r - 1) / 12 + 1.0)) << r;
        standard.insert(s.at(r, 2));
        for (int c = 5; c <= 7; ++c) EXPECT_EQ(s.at(r, c), plain.at(static_cast<int>(s.at(r, 2)), c)) << r;
    }
    EXPECT_EQ(standard.size(), 12u);
    EXPECT_NE(s.cells, Lay({.levels = {2, 3, 2}, .nRep = 2}).cells);
}

TEST(Screening, LevelCountsBelowOneDoNotDivideByZero) {
    const Sheet s = Lay({.levels = {2, 0, 3}, .nplan = 6});
    for (int r = 1; r <= 6; ++r) EXPECT_EQ(s.at(r, 6), 1) << "a factor without levels stays at level 1";
    EXPECT_EQ(s.at(3, 7), 2);
    const Sheet negative = Lay({.levels = {-2, 2}, .nplan = 4});
    EXPECT_EQ(negative.at(4, 6), 2);
}

}  // namespace
