// Cpp_RunGetOptimalDesign through the host's flat arrays: reproducible
// seeds and hostile scalars.
#include "boundary/VORNEXDO1M.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <tuple>
#include <vector>

namespace {

// One host call on arrays sized to the contract and filled with `fill`, the
// scalars holding markers, to see what the call writes.
struct HostCall {
    int J, P, R;
    std::vector<int32_t> jp, jr;
    double maxcrit = 3, ocrit2 = 3;
    VARIANT_BOOL found = 3, seedInit;
    int32_t seed, oSeed = 3, result = 0;
    static std::size_t cells(long long rows, long long cols) {
        return rows > 0 && cols > 0 ? static_cast<std::size_t>(rows * cols) : 1;
    }
    HostCall(int iJ, int iP, int iR, int32_t s = 77, VARIANT_BOOL init = 0, int32_t fill = 7)
        : J(iJ), P(iP), R(iR), jp(cells(J, P), fill), jr(cells(J, R), fill), seedInit(init), seed(s) {}
    // missing names the scalar (0: maxcrit, ..., 5: oSeed) passed as null.
    HostCall& run(int crit, VARIANT_BOOL cyclic, VARIANT_BOOL timeStop = -1, double seconds = 1e9, int missing = -1) {
        auto given = [missing](auto* p, int i) { return i == missing ? nullptr : p; };
        result = Cpp_RunGetOptimalDesign(J, P, R, crit, cyclic, timeStop, seconds, jp.data(), jr.data(),
                                         given(&maxcrit, 0), given(&ocrit2, 1), given(&found, 2), given(&seed, 3),
                                         given(&seedInit, 4), given(&oSeed, 5));
        return *this;
    }
    // Nothing written; both criteria left at crit too when one is given.
    bool arraysUntouched(double crit = std::nan("")) const {
        return std::all_of(jp.begin(), jp.end(), [](int32_t v) { return v == 7; }) &&
               std::all_of(jr.begin(), jr.end(), [](int32_t v) { return v == 7; }) && found == 3 && seed == 77 &&
               seedInit == 0 && oSeed == 3 && (std::isnan(crit) || (maxcrit == crit && ocrit2 == crit));
    }
};

TEST(SensoryEntry, SeedReproducesTheDesign) {
    for (const auto& [J, P, R] : {std::tuple{12, 9, 3}, std::tuple{20, 25, 5}, std::tuple{30, 25, 5}}) {
        const HostCall fresh = HostCall(J, P, R, 0).run(1, 0, 0, 0);
        EXPECT_EQ(fresh.seedInit, -1);
        const HostCall again = HostCall(J, P, R, fresh.seed, -1).run(1, 0, 0, 0);
        EXPECT_EQ(std::tie(again.jp, again.maxcrit, again.seed, again.oSeed),
                  std::tie(fresh.jp, fresh.maxcrit, fresh.seed, fresh.oSeed));
    }
}

// Three judges, four products, two each: the disjoint pairs {1, 2} and
// {3, 4}, then a pair that meets both. Every such design is a relabelling of
// every other and scores the same but for its last bits, so no stage after
// the fill may swap the fill's design for one of them, whatever the seed.
TEST(SensoryEntry, LaterStagesKeepTheFillsDesignOnATie) {
    for (int crit : {1, 2})
        for (int32_t seed = 1; seed <= 24; ++seed) {
            const HostCall c = HostCall(3, 4, 2, seed, -1, 0).run(crit, 0, 0, 0);
            auto row = [&c](int j) {
                std::vector<int> products;
                for (int p = 0; p < 4; ++p)
                    if (c.jp[static_cast<std::size_t>(p * 3 + j)] == 1) products.push_back(p + 1);
                return products;
            };
            EXPECT_EQ(row(0), (std::vector<int>{1, 2})) << "criterion " << crit << ", seed " << seed;
            EXPECT_EQ(row(1), (std::vector<int>{3, 4})) << "criterion " << crit << ", seed " << seed;
            const std::vector<int> third = row(2);
            ASSERT_EQ(third.size(), 2u);
            EXPECT_TRUE(third[0] <= 2 && third[1] >= 3) << "the last pair meets both";
        }
}

TEST(SensoryEntry, ShapesWithoutADesignReturnAtOnceWithNoValueCriteria) {
    const int shapes[][3] = {{0, 4, 2},          {-3, 4, 2},          {4, 0, 2},          {4, 3, 5},
                             {4, 3, 0},          {0, 2147483647, 0},  {-1000000000, 2147480844, 0},
                             {-6, 1000000000, 8}, {5, 8, 46341}};
    for (const auto& s : shapes)
        for (VARIANT_BOOL cyclic : {0, -1}) {
            const HostCall c = HostCall(s[0], s[1], s[2]).run(2, cyclic);
            EXPECT_EQ(c.result, 0) << s[0] << " " << s[1] << " " << s[2];
            EXPECT_TRUE(c.arraysUntouched(VX_NO_VALUE));
        }
    for (int missing = 0; missing < 6; ++missing) {  // a shape with a design, but somewhere to write it missing
        const HostCall c = HostCall(6, 4, 2).run(1, 0, -1, 1e9, missing);
        EXPECT_TRUE(c.arraysUntouched(3) && c.result == 0) << missing;
    }
}

TEST(SensoryEntry, MoreProductsThanTheCriteriaAffordAreRefusedUntouched) {
    const int shapes[][4] = {{8, 46341, 5, -1}, {1, 4194304, 8, 0}, {17, 65536, 21, 0}, {2, 201, 1, 0}};
    for (const auto& s : shapes) {
        const HostCall c = HostCall(s[0], s[1], s[2]).run(s[3] == -1 ? 1 : -1, static_cast<VARIANT_BOOL>(s[3]));
        EXPECT_EQ(c.result, VX_E_TOO_MANY_PRODUCTS) << s[1];
        EXPECT_TRUE(c.arraysUntouched(3));
    }
    // The largest accepted: one judge tasting one product leaves the rest unserved.
    const HostCall largest = HostCall(1, VX_SENSORY_MOST_PRODUCTS, 1).run(1, 0);
    EXPECT_EQ(std::tuple(largest.result, std::count(largest.jp.begin(), largest.jp.end(), 1), largest.maxcrit),
              std::tuple(0, 1L, VX_NO_VALUE));
    const HostCall complete = HostCall(3, 4, 4).run(1, 0);  // R = P: every judge tastes everything
    EXPECT_EQ(std::count(complete.jp.begin(), complete.jp.end(), 1), 12);
}

TEST(SensoryEntry, HostileTimesAndFlagsStillGiveEveryJudgeRProducts) {
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    for (double seconds : {nan, inf, -inf, -1.0})
        for (VARIANT_BOOL timeStop : {-1, 5}) {
            const HostCall c = HostCall(6, 4, 2, INT32_MIN, 0, 0).run(1, 0, timeStop, seconds);
            EXPECT_EQ(c.result, 0);
            for (int j = 0; j < 6; ++j) {
                int n = 0;
                for (int p = 0; p < 4; ++p) n += c.jp[static_cast<std::size_t>(p * 6 + j)];
                EXPECT_EQ(n, 2) << seconds << " " << timeStop;
            }
        }
    // An unknown criterion runs no search but still reports the D-type one.
    const HostCall none = HostCall(6, 4, 2, INT32_MAX, -1, 0).run(7, 0, -1, inf);
    EXPECT_EQ(std::pair(none.result, none.found), std::pair(0, VARIANT_BOOL{3}));  // nothing searched, flag as it came
}

// The search keeps the cells the host passed in; values at the ends of the
// 32-bit range must not overflow the overlap counts it takes of them, nor
// the moves of the refinement.
TEST(SensoryEntry, CellsLeftAtTheIntegerEdgesNeverOverflow) {
    for (int32_t edge : {INT32_MIN, INT32_MAX}) EXPECT_EQ(HostCall(6, 4, 2, 5, -1, edge).run(1, 0, 0, 0).result, 0);
    // The refinement moves a row's changes onto a partner row, cell values
    // and all: edge values beside 1s must wrap there, not overflow.
    for (int32_t seed : {1, 2, 3}) {
        HostCall c(56, 17, 8, seed, -1, -1);
        c.jp[0] = 1, c.jp[1] = INT32_MAX, c.jp[2] = INT32_MIN + 12336;
        EXPECT_EQ(c.run(1, 0, -1, 0.0001).result, 0);
    }
}

}  // namespace
