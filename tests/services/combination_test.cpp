#include "services/combination.h"

#include "services/numeric.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

std::vector<int> read(const matrixInt& comb, int k) {
    std::vector<int> v;
    for (int i = 1; i <= k; ++i) v.push_back(comb.vbget(i));
    return v;
}

TEST(Combinations, JumpAndPositionRoundTripUpToThirty) {
    for (int n = 1; n <= 30; ++n) {
        for (int k = 1; k <= n; k += (n > 12 ? 3 : 1)) {
            const double total = num::Cnk(n, k);
            for (double pos : {1.0, 2.0, std::floor(total / 3), std::floor(total / 2), total - 1, total}) {
                if (pos < 1 || pos > total) continue;
                matrixInt comb(k, 1, 0);
                if (k == 1) {
                    cKurtzbergJump(n, k, pos - 1, &comb);  // the zero comb is {0} itself
                } else {
                    cKurtzbergJump(n, k, pos, &comb);
                }
                ASSERT_EQ(cKurtzbergGetPosition(n, k, &comb), pos) << "n=" << n << " k=" << k;
                for (int i = 2; i <= k; ++i) ASSERT_LT(comb.vbget(i - 1), comb.vbget(i));
            }
        }
    }
}

TEST(Combinations, StepsAndPositionsMatchAPlainLexicographicListingAndWrap) {
    // All k-subsets of 0..n-1 listed by counting through bit masks and
    // sorting, position p being the p-th of that list.
    for (int n = 1; n <= 9; ++n)
        for (int k = 1; k <= n; ++k) {
            std::vector<std::vector<int>> listing;
            for (unsigned mask = 0; mask < (1u << n); ++mask) {
                std::vector<int> subset;
                for (int e = 0; e < n; ++e)
                    if (mask >> e & 1u) subset.push_back(e);
                if (static_cast<int>(subset.size()) == k) listing.push_back(subset);
            }
            std::sort(listing.begin(), listing.end());
            ASSERT_EQ(num::Cnk(n, k), static_cast<double>(listing.size()));
            matrixInt stepped(k, 1, 0);
            if (k == 1) stepped.vbset(1, -1);  // {0} is itself the first subset
            for (std::size_t p = 1; p <= listing.size(); ++p) {
                matrixInt jumped(k, 1, 0);
                if (k == 1) jumped.vbset(1, -1);
                cKurtzbergJump(n, k, static_cast<double>(p), &jumped);
                ASSERT_EQ(read(jumped, k), listing[p - 1]) << "n=" << n << " k=" << k << " p=" << p;
                cKurtzberg(n, k, &stepped);
                ASSERT_EQ(read(stepped, k), listing[p - 1]) << "n=" << n << " k=" << k << " p=" << p;
                ASSERT_EQ(cKurtzbergGetPosition(n, k, &jumped), static_cast<double>(p));
            }
            cKurtzberg(n, k, &stepped);  // past the last subset the walk wraps to the first
            ASSERT_EQ(read(stepped, k), listing[0]) << "n=" << n << " k=" << k;
            ASSERT_EQ(cKurtzbergGetPosition(n, k, &stepped), 1.0);
        }
}

TEST(Combinations, JumpsWrapAndDegenerateSizes) {
    matrixInt jumped(3, 1, 0);
    cKurtzbergJump(7, 3, 10, &jumped);
    cKurtzbergJump(7, 3, 30, &jumped);  // 40 wraps to 5
    EXPECT_EQ(cKurtzbergGetPosition(7, 3, &jumped), 5);
    cKurtzbergJump(7, 3, -6, &jumped);  // back past the first to 34
    EXPECT_EQ(cKurtzbergGetPosition(7, 3, &jumped), 34);
    // The zero comb and degenerate sizes.
    matrixInt comb(3, 1, 0);
    EXPECT_EQ(cKurtzbergGetPosition(6, 3, &comb), 0) << "the zero comb stands before the first subset";
    matrixInt shortComb(2, 1, 0);
    shortComb.vbset(2, 1);
    EXPECT_EQ(cKurtzbergGetPosition(6, 3, &shortComb), 0) << "two elements hold no 3-subset";
    EXPECT_EQ(cKurtzbergGetPosition(6, 3, nullptr), 0);
    cKurtzbergJump(6, 3, 2, nullptr);
    cKurtzbergJump(4, 5, 1, &comb);  // no 5-subsets of 4
    EXPECT_EQ(read(comb, 3), (std::vector<int>{0, 0, 0}));
    matrixInt big(2, 1, 0);
    cKurtzbergJump(30000, 2, 1e5, &big);
    EXPECT_EQ(cKurtzbergGetPosition(30000, 2, &big), 1e5);
}

}  // namespace
