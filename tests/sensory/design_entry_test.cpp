// Cpp_RunGetOptimalDesign through the host's flat arrays: reproducible
// seeds and hostile scalars.
#include "boundary/VORNEXDO1M.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

struct HostCall {
    std::vector<int32_t> jp, jr;
    double maxcrit = 0, ocrit2 = 0;
    VARIANT_BOOL found = 0, seedInit;
    int32_t seed, oSeed = 0, result;
    HostCall(int J, int P, int R, int crit, VARIANT_BOOL cyclic, VARIANT_BOOL timeStop, double seconds, int32_t s,
             VARIANT_BOOL init)
        : jp(static_cast<std::size_t>(std::max(J * P, 0))), jr(static_cast<std::size_t>(std::max(J * R, 0))),
          seedInit(init), seed(s) {
        result = Cpp_RunGetOptimalDesign(J, P, R, crit, cyclic, timeStop, seconds, jp.data(), jr.data(), &maxcrit,
                                         &ocrit2, &found, &seed, &seedInit, &oSeed);
    }
};

TEST(SensoryEntry, SeedReproducesTheDesign) {
    for (const auto& [J, P, R] : {std::tuple{12, 9, 3}, std::tuple{20, 25, 5}, std::tuple{30, 25, 5}}) {
        const HostCall fresh(J, P, R, 1, 0, 0, 0, 0, 0);
        EXPECT_EQ(fresh.seedInit, -1);
        const HostCall again(J, P, R, 1, 0, 0, 0, fresh.seed, -1);
        EXPECT_EQ(again.jp, fresh.jp);
        EXPECT_EQ(again.maxcrit, fresh.maxcrit);
        EXPECT_EQ(again.seed, fresh.seed);
        EXPECT_EQ(again.oSeed, fresh.oSeed);
    }
}

TEST(SensoryEntry, HostileScalarsReturnQuietly) {
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    const int shapes[][3] = {{0, 4, 2}, {-3, 4, 2}, {4, 0, 2}, {4, 3, 5}, {4, 3, 0}, {1, 1, 1}, {3, 1, 1}, {2, 5, 5}};
    for (const auto& s : shapes)
        for (VARIANT_BOOL cyclic : {0, -1}) {
            const HostCall c(s[0], s[1], s[2], 2, cyclic, -1, nan, INT32_MIN, 0);
            EXPECT_EQ(c.result, 0);
        }
    EXPECT_EQ(HostCall(6, 4, 2, 7, 0, -1, inf, INT32_MAX, -1).result, 0);  // no search, ocrit2 still written
    EXPECT_EQ(HostCall(6, 4, 2, 1, 1, 5, -inf, 0, 3).result, 0);
}

// The search keeps the cells the host passed in; values at the ends of the
// 32-bit range must not overflow the overlap counts it takes of them, nor
// the moves of the refinement.
TEST(SensoryEntry, CellsLeftAtTheIntegerEdgesNeverOverflow) {
    for (int32_t edge : {INT32_MIN, INT32_MAX}) {
        std::vector<int32_t> jp(6 * 4, edge), jr(6 * 2, 0);
        double maxcrit = 0, ocrit2 = 0;
        VARIANT_BOOL found = 0, seedInit = -1;
        int32_t seed = 5, oSeed = 0;
        EXPECT_EQ(Cpp_RunGetOptimalDesign(6, 4, 2, 1, 0, 0, 0.0, jp.data(), jr.data(), &maxcrit, &ocrit2, &found,
                                          &seed, &seedInit, &oSeed),
                  0);
    }
    // The refinement moves a row's changes onto a partner row, cell values
    // and all: edge values beside 1s must wrap there, not overflow.
    for (int32_t seed : {1, 2, 3}) {
        std::vector<int32_t> jp(56 * 17, -1), jr(56 * 8, -1);
        jp[0] = 1, jp[1] = INT32_MAX, jp[2] = INT32_MIN + 12336;
        double maxcrit = 0, ocrit2 = 0;
        VARIANT_BOOL found = 0, seedInit = -1;
        int32_t ioSeed = seed, oSeed = 0;
        EXPECT_EQ(Cpp_RunGetOptimalDesign(56, 17, 8, 1, 0, -1, 0.0001, jp.data(), jr.data(), &maxcrit, &ocrit2,
                                          &found, &ioSeed, &seedInit, &oSeed),
                  0);
    }
}

}  // namespace
