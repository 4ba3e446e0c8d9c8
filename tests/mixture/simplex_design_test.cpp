#include "mixture/counts.h"
#include "mixture/simplex_design.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
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

}  // namespace

TEST(SimplexSize, CountsEveryPointExactlyAndFlagsOverflow) {
    EXPECT_EQ(rowsOf(3, 2, kSimplexLattice), 6);
    EXPECT_EQ(rowsOf(4, 0, kSimplexCentroid), 15);
    EXPECT_EQ(rowsOf(4, 0, kAugmentedSimplexCentroid), 19);
    EXPECT_EQ(rowsOf(31, 0, kSimplexCentroid), INT32_MAX);
    // A quotient of factorials in double would lose the last point of these.
    EXPECT_EQ(rowsOf(2, 23, kSimplexLattice), 24);
    EXPECT_EQ(rowsOf(3, 26, kSimplexLattice), 378);
    EXPECT_EQ(rowsOf(2, 500, kSimplexLattice), 501);
    EXPECT_EQ(rowsOf(100, 100, kSimplexLattice), mixture::kCountOverflow);
    EXPECT_EQ(rowsOf(31, 0, kAugmentedSimplexCentroid), mixture::kCountOverflow);
    EXPECT_EQ(rowsOf(INT32_MAX, INT32_MAX, kSimplexLattice), mixture::kCountOverflow);
    // Degenerate arguments keep the value of (q+m-1)!/(q-1)!/m! with n! = 1 for n <= 1.
    EXPECT_EQ(rowsOf(3, 0, kSimplexLattice), 1);
    EXPECT_EQ(rowsOf(0, 1, kSimplexLattice), 1);
    EXPECT_EQ(rowsOf(0, 2, kSimplexLattice), 0);
    EXPECT_EQ(rowsOf(2, -3, kSimplexLattice), 1);
    EXPECT_EQ(rowsOf(3, -1, kSimplexLattice), 0);
    int32_t rows = 42;
    DOEMixGetSizeoSimplex(3, 2, 7, &rows, nullptr);
    EXPECT_EQ(rows, 42);
}

TEST(SimplexLattice, RowsInTheirCustomaryOrder) {
    EXPECT_EQ(generate(3, 2, kSimplexLattice),
              (Rows{{1, 0, 0}, {.5, .5, 0}, {.5, 0, .5}, {0, 1, 0}, {0, .5, .5}, {0, 0, 1}}));
    EXPECT_EQ(generate(2, 3, kSimplexLattice), (Rows{{1, 0}, {0, 1}, {1.0 / 3, 2.0 / 3}, {2.0 / 3, 1.0 / 3}}));
    EXPECT_EQ(generate(2, 4, kSimplexLattice), (Rows{{1, 0}, {0, 1}, {.25, .75}, {.75, .25}, {.5, .5}}));
    EXPECT_EQ(generate(2, 5, kSimplexLattice), (Rows{{1, 0}, {.8, .2}, {.6, .4}, {.4, .6}, {.2, .8}, {0, 1}}));
    EXPECT_EQ(generate(1, 3, kSimplexLattice), (Rows{{1}}));
}

TEST(SimplexLattice, HoldsEveryLatticePointOnceForAnySize) {
    for (int q = 1; q <= 8; ++q) {
        for (int m = 1; m <= (q <= 4 ? 7 : 4); ++m) {
            const Rows rows = generate(q, m, kSimplexLattice);
            std::set<std::vector<int>> points;
            for (const auto& row : rows) {
                std::vector<int> a;
                int sum = 0;
                for (double x : row) {
                    a.push_back(static_cast<int>(std::lround(x * m)));
                    EXPECT_DOUBLE_EQ(x, static_cast<double>(a.back()) / m);
                    sum += a.back();
                }
                EXPECT_EQ(sum, m) << "q=" << q << " m=" << m;
                if (q != 2 || m > 4) {
                    EXPECT_TRUE(points.empty() || a < *points.begin()) << "decreasing order";
                }
                points.insert(a);
            }
            EXPECT_EQ(points.size(), rows.size()) << "q=" << q << " m=" << m;  // distinct, so complete
        }
    }
}

TEST(SimplexCentroid, PureBlendsThenCentroidThenHalfwayPoints) {
    const double t = 1.0 / 3, s = 1.0 / 6;
    const Rows centroid{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {.5, .5, 0}, {.5, 0, .5}, {0, .5, .5}, {t, t, t}};
    EXPECT_EQ(generate(3, 0, kSimplexCentroid), centroid);
    Rows augmented = centroid;
    augmented.insert(augmented.end(), {{2 * t, s, s}, {s, 2 * t, s}, {s, s, 2 * t}});
    EXPECT_EQ(generate(3, 0, kAugmentedSimplexCentroid), augmented);
    EXPECT_EQ(generate(2, 0, kAugmentedSimplexCentroid), (Rows{{1, 0}, {0, 1}, {.5, .5}, {.75, .25}, {.25, .75}}));
    EXPECT_EQ(generate(1, 0, kAugmentedSimplexCentroid), (Rows{{1}, {1}}));
}

TEST(SimplexCentroid, HoldsEveryBlendOnceBySizeThenLexicographically) {
    for (int q = 1; q <= 9; ++q) {
        const Rows rows = generate(q, 0, kSimplexCentroid);
        std::map<std::vector<int>, int> seen;  // blend support -> row
        std::vector<int> previous;
        for (const auto& row : rows) {
            std::vector<int> support;
            for (int c = 0; c < q; ++c)
                if (row[c] != 0) support.push_back(c);
            for (int c : support) EXPECT_EQ(row[c], 1.0 / support.size());
            EXPECT_TRUE(previous.size() < support.size() || previous < support) << "q=" << q;
            previous = support;
            seen[support]++;
        }
        EXPECT_EQ(seen.size(), rows.size()) << "q=" << q;
        EXPECT_EQ(rows.size(), (1u << q) - 1);
    }
}

TEST(SimplexDesign, WritesOnlyWhatFitsAndNothingForUnusableArguments) {
    const Rows untouched(3, std::vector<double>(4, kUntouched));
    for (int m : {0, -2}) EXPECT_EQ(generate(3, m, kSimplexLattice, 3, 4), untouched);
    EXPECT_EQ(generate(3, 2, 0, 3, 4), untouched);
    EXPECT_EQ(generate(0, 2, kSimplexLattice, 3, 4), untouched);
    // Two rows of a 3-column array: the design's first rows, the fourth column kept.
    EXPECT_EQ(generate(3, 2, kSimplexLattice, 2, 4), (Rows{{1, 0, 0, kUntouched}, {.5, .5, 0, kUntouched}}));
    EXPECT_EQ(generate(5, 0, kAugmentedSimplexCentroid, 2, 2), (Rows{{1, 0}, {0, 1}}));
    // Sizes no array could hold cost only the rows the array has.
    const double m = INT32_MAX;
    EXPECT_EQ(generate(INT32_MAX, INT32_MAX, kSimplexLattice, 3, 2), (Rows{{1, 0}, {(m - 1) / m, 1 / m}, {(m - 1) / m, 0}}));
    EXPECT_EQ(generate(INT32_MAX, 0, kAugmentedSimplexCentroid, 2, 2), (Rows{{1, 0}, {0, 1}}));
}
