#include "mixture/counts.h"
#include "mixture/simplex_design.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <set>
#include <vector>

namespace {

using Rows = std::vector<std::vector<double>>;
constexpr double kUntouched = -7.0;

int rowsOf(int q, int m, int type) {
    int32_t rows = -99, cols = -99;
    DOEMixGetSizeoSimplex(q, m, type, &rows, &cols);
    EXPECT_EQ(cols, q);
    return rows;
}

// The design written into a rows x cols array that starts out kUntouched.
Rows generate(int q, int m, int type, int rows, int cols) {
    std::vector<double> host(static_cast<std::size_t>(rows) * cols, kUntouched);
    matrix design(rows, cols, host.data(), true);
    DOEMixSimplex(q, m, type, &design);
    Rows out(rows, std::vector<double>(cols));
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) out[r][c] = host[static_cast<std::size_t>(c) * rows + r];
    return out;
}

Rows generate(int q, int m, int type) { return generate(q, m, type, rowsOf(q, m, type), q); }

// Each row as the whole numbers a_i = x_i * den, checked to sum to den and
// to give back x_i exactly.
std::vector<std::vector<int>> asFractions(const Rows& rows, const std::vector<int>& dens) {
    std::vector<std::vector<int>> out;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        std::vector<int> a;
        for (double x : rows[r]) {
            a.push_back(static_cast<int>(std::lround(x * dens[r])));
            EXPECT_EQ(x, static_cast<double>(a.back()) / dens[r]);
            EXPECT_GE(a.back(), 0) << "row " << r;
        }
        EXPECT_EQ(std::accumulate(a.begin(), a.end(), 0), dens[r]) << "row " << r;
        out.push_back(a);
    }
    return out;
}

}  // namespace

TEST(SimplexSize, CountsEveryPointExactlyAndFlagsOverflow) {
    EXPECT_EQ(rowsOf(3, 2, kSimplexLattice), 6);
    EXPECT_EQ(rowsOf(4, 0, kSimplexCentroid), 15);
    EXPECT_EQ(rowsOf(4, 0, kAugmentedSimplexCentroid), 19);
    // A quotient of factorials in double would lose the last point of these.
    EXPECT_EQ(rowsOf(2, 23, kSimplexLattice), 24);
    EXPECT_EQ(rowsOf(100, 100, kSimplexLattice), mixture::kCountOverflow);
    EXPECT_EQ(rowsOf(31, 0, kAugmentedSimplexCentroid), mixture::kCountOverflow);
    EXPECT_EQ(rowsOf(2, INT32_MAX - 1, kSimplexLattice), INT32_MAX) << "the largest count that fits";
    // (q+m-1)!/(q-1)!/m! truncated, with n! = 1 for n <= 1, degenerate
    // arguments included; the factorials are exact doubles this small.
    const auto fact = [](int n) {
        double f = 1;
        for (int i = 2; i <= n; ++i) f *= i;
        return f;
    };
    for (int q = -3; q <= 7; ++q)
        for (int m = -3; m <= 7; ++m)
            EXPECT_EQ(rowsOf(q, m, kSimplexLattice), static_cast<int>(fact(q + m - 1) / fact(q - 1) / fact(m)))
                << "q = " << q << ", m = " << m;
    EXPECT_EQ(rowsOf(3, 2, 7), -99);  // left as passed
}

TEST(SimplexLattice, EveryPointOnceInDecreasingOrderButTheBinaryTable) {
    EXPECT_EQ(generate(2, 1, kSimplexLattice), (Rows{{1, 0}, {0, 1}}));
    EXPECT_EQ(generate(2, 2, kSimplexLattice), (Rows{{1, 0}, {0, 1}, {.5, .5}}));
    EXPECT_EQ(generate(2, 3, kSimplexLattice), (Rows{{1, 0}, {0, 1}, {1.0 / 3, 2.0 / 3}, {2.0 / 3, 1.0 / 3}}));
    EXPECT_EQ(generate(2, 4, kSimplexLattice), (Rows{{1, 0}, {0, 1}, {.25, .75}, {.75, .25}, {.5, .5}}));
    for (int q = 1; q <= 8; ++q) {
        for (int m = 1; m <= (q <= 4 ? 7 : 4); ++m) {
            const Rows rows = generate(q, m, kSimplexLattice);
            const auto points = asFractions(rows, std::vector<int>(rows.size(), m));
            EXPECT_EQ(std::set(points.begin(), points.end()).size(), rows.size()) << q << "," << m;  // so complete
            EXPECT_TRUE((q == 2 && m <= 4) || std::is_sorted(points.rbegin(), points.rend())) << q << "," << m;
        }
    }
}

TEST(SimplexCentroid, EveryBlendOnceBySizeThenLexicographicallyThenHalfwayPoints) {
    const double t = 1.0 / 3, s = 1.0 / 6;
    EXPECT_EQ(generate(3, 0, kAugmentedSimplexCentroid), (Rows{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {.5, .5, 0}, {.5, 0, .5},
                                                               {0, .5, .5}, {t, t, t}, {2 * t, s, s}, {s, 2 * t, s},
                                                               {s, s, 2 * t}}));
    EXPECT_EQ(generate(1, 0, kAugmentedSimplexCentroid), (Rows{{1}, {1}}));
    for (int q = 1; q <= 9; ++q) {
        const Rows rows = generate(q, 0, kSimplexCentroid);
        std::vector<std::vector<int>> supports;  // the components of each blend
        for (const auto& row : rows) {
            supports.emplace_back();
            for (int c = 0; c < q; ++c)
                if (row[c] != 0) supports.back().push_back(c);
        }
        std::vector<int> parts;
        for (const auto& blend : supports) parts.push_back(static_cast<int>(blend.size()));
        asFractions(rows, parts);  // blends in equal parts
        EXPECT_TRUE(std::is_sorted(supports.begin(), supports.end(), [](const auto& a, const auto& b) {
            return a.size() != b.size() ? a.size() < b.size() : a < b;
        }));
        EXPECT_EQ(std::set(supports.begin(), supports.end()).size(), (1u << q) - 1) << q;
    }
}

TEST(SimplexDesign, WritesOnlyWhatFitsAndNothingForUnusableArguments) {
    const Rows untouched(3, std::vector<double>(4, kUntouched));
    EXPECT_EQ(generate(3, 0, kSimplexLattice, 3, 4), untouched) << "degree 0";
    EXPECT_EQ(generate(3, 2, 0, 3, 4), untouched) << "unknown type";
    for (int type : {kSimplexLattice, kSimplexCentroid, kAugmentedSimplexCentroid}) {
        EXPECT_EQ(generate(0, 2, type, 3, 4), untouched) << "no components";
        EXPECT_EQ(generate(-1, 2, type, 3, 4), untouched);
    }
    EXPECT_EQ(generate(3, 2, kSimplexLattice, 2, 4), (Rows{{1, 0, 0, kUntouched}, {.5, .5, 0, kUntouched}}));
    // Sizes no array could hold cost only the rows the array has.
    const double m = INT32_MAX;
    EXPECT_EQ(generate(INT32_MAX, INT32_MAX, kSimplexLattice, 3, 2), (Rows{{1, 0}, {(m - 1) / m, 1 / m}, {(m - 1) / m, 0}}));
    EXPECT_EQ(generate(INT32_MAX, 0, kAugmentedSimplexCentroid, 2, 2), (Rows{{1, 0}, {0, 1}}));
}
