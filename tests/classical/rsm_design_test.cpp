// Response-surface designs through the host's entry points: sizes, the
// geometry each design's name promises, the run sheet's bookkeeping, scale
// conversion, random order, replicates, and inputs at the edge of the array
// contract.
#include "boundary/VORNEXDO1M.h"
#include "classical/design_dimensions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <set>
#include <vector>

namespace {

constexpr int kFactorial3 = 1, kCcd = 2, kBbd = 3, kDoehlert = 4;
constexpr double kCanary = 123456.5;
constexpr int kCanaries = 64;

struct Request {
    int planID = kFactorial3;
    int k = 2;
    int nCenter = 0;
    int nRep = 1;
    int nRes = 1;
    VARIANT_BOOL isRand = 0, doRound = 0, doOrigScale = 0;
    std::vector<double> minF{}, maxF{};
    int32_t seed = 0;
    VARIANT_BOOL seedInit = 0;
};

// A run sheet as the host holds it, with canaries past its last cell.
struct Sheet {
    int32_t nplan = 0, pplan = 0, nblock = 0;
    int k = 0;
    int32_t seed = 0, oSeed = 0;
    std::vector<double> cells;

    double at(int r, int c) const { return cells[static_cast<std::size_t>(c - 1) * nplan + (r - 1)]; }
    std::vector<double> point(int r) const {
        std::vector<double> x;
        for (int f = 1; f <= k; ++f) x.push_back(at(r, 4 + f));
        return x;
    }
    bool canariesIntact() const {
        return std::all_of(cells.end() - kCanaries, cells.end(), [](double v) { return v == kCanary; });
    }
};

// Sizes the plan, allocates it (factor cells 0), then fills it.
Sheet Generate(const Request& q) {
    Sheet s;
    s.k = q.k;
    EXPECT_EQ(Cpp_PlanDimension(2, q.planID, q.k, q.nRes, q.nCenter, q.nRep, 0, &s.nplan, &s.pplan, &s.nblock), 0);
    s.cells.assign(static_cast<std::size_t>(s.nplan) * s.pplan, 0.0);
    s.cells.insert(s.cells.end(), kCanaries, kCanary);
    std::vector<double> minF = q.minF, maxF = q.maxF, step(static_cast<std::size_t>(std::max(q.k, 1)), 0.0);
    minF.resize(step.size(), -1.0);
    maxF.resize(step.size(), 1.0);
    s.seed = q.seed;
    EXPECT_EQ(Cpp_PlanGenerate(2, q.planID, q.k, q.nRes, q.nCenter, q.nRep, q.isRand, q.doRound, q.doOrigScale,
                               s.nplan, s.pplan, s.nblock, minF.data(), maxF.data(), step.data(), s.cells.data(),
                               &s.seed, q.seedInit, &s.oSeed),
              0);
    EXPECT_TRUE(s.canariesIntact());
    return s;
}

double Distance(const std::vector<double>& a, const std::vector<double>& b) {
    double d = 0;
    for (std::size_t i = 0; i < a.size(); ++i) d += (a[i] - b[i]) * (a[i] - b[i]);
    return std::sqrt(d);
}

double Norm(const std::vector<double>& a) { return Distance(a, std::vector<double>(a.size(), 0.0)); }

int NonZero(const std::vector<double>& x) {
    return static_cast<int>(std::count_if(x.begin(), x.end(), [](double v) { return v != 0; }));
}

// ----- sizes -----------------------------------------------------------------------

TEST(RsmDimensions, RunCountsOfTheFourDesignsForTwoToSixFactors) {
    struct Case {
        int planID, k, runs;
    };
    const Case cases[] = {
        {kFactorial3, 2, 9},  {kFactorial3, 3, 27}, {kFactorial3, 4, 81}, {kFactorial3, 5, 243}, {kFactorial3, 6, 729},
        {kCcd, 2, 13},        {kCcd, 3, 20},        {kCcd, 4, 32},        {kCcd, 5, 53},         {kCcd, 6, 91},
        {kBbd, 2, 5},         {kBbd, 3, 13},        {kBbd, 4, 25},        {kBbd, 5, 41},         {kBbd, 6, 61},
        {kDoehlert, 2, 7},    {kDoehlert, 3, 13},   {kDoehlert, 4, 21},   {kDoehlert, 5, 31},    {kDoehlert, 6, 43},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "design " << c.planID << ", k = " << c.k);
        int32_t nplan = -7, pplan = -7, nblock = -7;
        EXPECT_EQ(Cpp_PlanDimension(2, c.planID, c.k, 2, 0, 1, -1, &nplan, &pplan, &nblock), 0);
        EXPECT_EQ(nplan, c.runs);
        EXPECT_EQ(nblock, c.runs);
        EXPECT_EQ(pplan, c.k + 2 + 4);
    }
}

TEST(RsmDimensions, CentrePointsOfTheCentralComposite) {
    const int expected[] = {5, 6, 8, 11, 15};  // k = 2..6, uniform precision
    for (int k = 2; k <= 6; ++k) {
        int n = 0;
        EXPECT_EQ(GetnCenter(2, k, &n), expected[k - 2]);
        EXPECT_EQ(n, expected[k - 2]);
    }
    int given = 4;
    EXPECT_EQ(GetnCenter(2, 3, &given), 4);
    int other = 9;
    EXPECT_EQ(GetnCenter(1, 3, &other), 0);
    EXPECT_EQ(other, 0);

    int32_t nplan = 0, pplan = 0, nblock = 0;
    Cpp_PlanDimension(2, kCcd, 3, 1, 4, 1, 0, &nplan, &pplan, &nblock);
    EXPECT_EQ(nplan, 18) << "2^3 + 6 + 4 centre runs";
}

TEST(RsmDimensions, ReplicatesOtherModesAndUnknownDesigns) {
    int32_t nplan = 0, pplan = 0, nblock = 0;
    Cpp_PlanDimension(2, kBbd, 3, 1, 0, 3, 0, &nplan, &pplan, &nblock);
    EXPECT_EQ(nplan, 39);
    EXPECT_EQ(nblock, 13);

    nplan = pplan = nblock = 77;
    EXPECT_EQ(Cpp_PlanDimension(1, kBbd, 3, 1, 0, 3, 0, &nplan, &pplan, &nblock), 0);
    EXPECT_EQ(nplan + pplan + nblock, 3 * 77) << "Mode 1 writes nothing";

    nplan = 5;
    Cpp_PlanDimension(2, 9, 3, 1, 0, 2, 0, &nplan, &pplan, &nblock);
    EXPECT_EQ(nblock, 5) << "an unknown design keeps the host's run count";
    EXPECT_EQ(nplan, 10);
    EXPECT_EQ(pplan, 8);
}

TEST(RsmDimensions, CountsPastThirtyTwoBitsSaturate) {
    int32_t nplan = 0, pplan = 0, nblock = 0;
    Cpp_PlanDimension(2, kFactorial3, 40, 1, 0, 1, 0, &nplan, &pplan, &nblock);
    EXPECT_EQ(nplan, INT32_MAX);
    Cpp_PlanDimension(2, kDoehlert, 10, 1, 0, INT32_MAX, 0, &nplan, &pplan, &nblock);
    EXPECT_EQ(nblock, 111);
    EXPECT_EQ(nplan, INT32_MAX);
    for (int k = -3; k <= 0; ++k) {
        int n = 0;
        GetnCenter(2, k, &n);  // a negative root or a zero divisor: defined, whatever it is
        Cpp_PlanDimension(2, kCcd, k, 1, 0, 1, 0, &nplan, &pplan, &nblock);
    }
}

// ----- the designs -------------------------------------------------------------------

TEST(RsmDesigns, ThreeLevelFactorialHasEveryLevelCombinationOnce) {
    for (int k = 2; k <= 5; ++k) {
        SCOPED_TRACE(k);
        const Sheet s = Generate({.planID = kFactorial3, .k = k});
        std::set<std::vector<double>> points;
        for (int r = 1; r <= s.nblock; ++r) {
            for (double v : s.point(r)) EXPECT_TRUE(v == -1 || v == 0 || v == 1);
            points.insert(s.point(r));
            EXPECT_EQ(s.at(r, 4), r == s.nblock ? 1 : 0) << "only the last run is flagged";
        }
        EXPECT_EQ(static_cast<int>(points.size()), s.nblock);
        EXPECT_EQ(NonZero(s.point(s.nblock)), k) << "the last run is the (1, ..., 1) corner";
    }
    const Sheet s = Generate({.planID = kFactorial3, .k = 2});
    EXPECT_EQ(s.point(1), (std::vector<double>{-1, -1}));
    EXPECT_EQ(s.point(2), (std::vector<double>{0, -1}));
    EXPECT_EQ(s.point(4), (std::vector<double>{-1, 0}));
    EXPECT_EQ(s.point(9), (std::vector<double>{1, 1}));
}

TEST(RsmDesigns, CentralCompositeHasCornersAxialPairsCentresAndIsRotatable) {
    for (int k = 2; k <= 6; ++k) {
        SCOPED_TRACE(k);
        const Sheet s = Generate({.planID = kCcd, .k = k});
        const int F = 1 << k;
        const double alpha = std::pow(2.0, k / 4.0);
        std::set<std::vector<double>> corners;
        for (int r = 1; r <= F; ++r) {
            for (double v : s.point(r)) EXPECT_EQ(std::abs(v), 1.0);
            corners.insert(s.point(r));
        }
        EXPECT_EQ(static_cast<int>(corners.size()), F);
        for (int f = 1; f <= k; ++f) {
            const std::vector<double> low = s.point(F + 2 * f - 1), high = s.point(F + 2 * f);
            EXPECT_EQ(NonZero(low), 1);
            EXPECT_DOUBLE_EQ(low[f - 1], -alpha);
            EXPECT_DOUBLE_EQ(high[f - 1], alpha);
            EXPECT_EQ(NonZero(high), 1);
        }
        for (int r = 1; r <= s.nblock; ++r) {
            const bool centre = r > F + 2 * k;
            EXPECT_EQ(s.at(r, 4), centre ? 1 : 0);
            if (centre) {
                EXPECT_EQ(NonZero(s.point(r)), 0);
            }
        }
        // Rotatability: odd moments vanish and every pure fourth moment is
        // three times every mixed one.
        for (int i = 0; i < k; ++i) {
            double m1 = 0, m3 = 0, m4 = 0;
            for (int r = 1; r <= s.nblock; ++r) {
                const double x = s.point(r)[i];
                m1 += x, m3 += x * x * x, m4 += x * x * x * x;
            }
            EXPECT_NEAR(m1, 0, 1e-12);
            EXPECT_NEAR(m3, 0, 1e-12);
            for (int j = 0; j < k; ++j) {
                if (j == i) continue;
                double m11 = 0, m22 = 0, m21 = 0;
                for (int r = 1; r <= s.nblock; ++r) {
                    const double x = s.point(r)[i], y = s.point(r)[j];
                    m11 += x * y, m22 += x * x * y * y, m21 += x * x * y;
                }
                EXPECT_NEAR(m11, 0, 1e-12);
                EXPECT_NEAR(m21, 0, 1e-12);
                EXPECT_NEAR(m4, 3 * m22, 1e-9);
            }
        }
    }
    const Sheet s = Generate({.planID = kCcd, .k = 2});
    EXPECT_EQ(s.nblock, 13);
    EXPECT_EQ(s.point(2), (std::vector<double>{1, -1}));
    EXPECT_EQ(s.point(3), (std::vector<double>{-1, 1}));
    EXPECT_NEAR(s.point(5)[0], -1.41421356, 1e-8);
    EXPECT_NEAR(s.point(8)[1], 1.41421356, 1e-8);
}

TEST(RsmDesigns, BoxBehnkenRunsAreTheEdgeMidpointsOfTheCube) {
    for (int k = 3; k <= 6; ++k) {
        SCOPED_TRACE(k);
        const Sheet s = Generate({.planID = kBbd, .k = k});
        std::set<std::vector<double>> points;
        for (int r = 1; r < s.nblock; ++r) {
            const std::vector<double> x = s.point(r);
            EXPECT_EQ(NonZero(x), 2);
            for (double v : x) EXPECT_TRUE(v == 0 || std::abs(v) == 1);
            points.insert(x);
            EXPECT_EQ(s.at(r, 4), 0);
        }
        // Every edge of the cube has its midpoint: k(k-1)/2 pairs x 4 sign patterns.
        EXPECT_EQ(static_cast<int>(points.size()), 2 * k * (k - 1));
        EXPECT_EQ(NonZero(s.point(s.nblock)), 0);
        EXPECT_EQ(s.at(s.nblock, 4), 1);
    }
    const Sheet s = Generate({.planID = kBbd, .k = 3});
    EXPECT_EQ(s.point(1), (std::vector<double>{-1, -1, 0}));
    EXPECT_EQ(s.point(2), (std::vector<double>{1, -1, 0}));
    EXPECT_EQ(s.point(3), (std::vector<double>{-1, 1, 0}));
    EXPECT_EQ(s.point(4), (std::vector<double>{1, 1, 0}));
    EXPECT_EQ(s.point(5), (std::vector<double>{-1, 0, -1}));
}

TEST(RsmDesigns, DoehlertPointsLieOnTheUnitSphereAndKeepUnitSpacing) {
    for (int k = 2; k <= 6; ++k) {
        SCOPED_TRACE(k);
        const Sheet s = Generate({.planID = kDoehlert, .k = k});
        ASSERT_EQ(s.nblock, k * k + k + 1);
        for (int r = 1; r < s.nblock; ++r) {
            EXPECT_NEAR(Norm(s.point(r)), 1.0, 1e-12) << "run " << r;
            for (int q = r + 1; q < s.nblock; ++q) EXPECT_GT(Distance(s.point(r), s.point(q)), 1.0 - 1e-12);
        }
        EXPECT_EQ(NonZero(s.point(s.nblock)), 0);
        EXPECT_EQ(s.at(s.nblock, 4), 1);
    }
    const Sheet s = Generate({.planID = kDoehlert, .k = 2});
    const double h = std::sqrt(0.75);
    const double expected[6][2] = {{1, 0}, {-1, 0}, {0.5, h}, {-0.5, -h}, {0.5, -h}, {-0.5, h}};
    for (int r = 1; r <= 6; ++r) {
        EXPECT_DOUBLE_EQ(s.point(r)[0], expected[r - 1][0]);
        EXPECT_DOUBLE_EQ(s.point(r)[1], expected[r - 1][1]);
    }
    const Sheet s3 = Generate({.planID = kDoehlert, .k = 3});
    EXPECT_NEAR(s3.point(7)[1], 1 / std::sqrt(12.0), 1e-12);
    EXPECT_NEAR(s3.point(7)[2], std::sqrt(2 / 3.0), 1e-12);
}

// ----- the run sheet ------------------------------------------------------------------

TEST(RsmRunSheet, BookkeepingColumnsAndTheNoValueBitPattern) {
    const Sheet s = Generate({.planID = kBbd, .k = 3, .nRes = 2});
    for (int r = 1; r <= s.nblock; ++r) {
        EXPECT_EQ(s.at(r, 1), r);
        EXPECT_EQ(s.at(r, 2), r);
        EXPECT_EQ(s.at(r, 3), 1);
        for (int c = 8; c <= 9; ++c) {
            const double v = s.at(r, c);
            uint64_t bits;
            std::memcpy(&bits, &v, sizeof bits);
            EXPECT_EQ(bits, 0xFFEFFFFFFFFFFFE2ULL);
            EXPECT_NE(v, -DBL_MAX);
        }
    }
}

TEST(RsmRunSheet, OnlyMinusOneRandomisesAndTheSeedReproducesTheOrder) {
    const Sheet plain = Generate({.planID = kFactorial3, .k = 3, .isRand = 1, .seed = 17, .seedInit = -1});
    for (int r = 1; r <= plain.nblock; ++r) EXPECT_EQ(plain.at(r, 1), plain.at(r, 2));
    EXPECT_EQ(plain.seed, 17) << "no draw, no seed change";
    EXPECT_EQ(plain.oSeed, 0);

    const Sheet fresh = Generate({.planID = kFactorial3, .k = 3, .isRand = -1, .seedInit = 0});
    std::set<double> order;
    bool moved = false;
    for (int r = 1; r <= fresh.nblock; ++r) {
        EXPECT_EQ(fresh.at(r, 1), r);
        const int standard = static_cast<int>(fresh.at(r, 2));
        order.insert(standard);
        moved = moved || standard != r;
        EXPECT_EQ(fresh.point(r), plain.point(standard)) << "a run keeps its levels and standard number";
        EXPECT_EQ(fresh.at(r, 4), standard == 27 ? 1 : 0) << "the centre flag travels with its run";
    }
    EXPECT_EQ(static_cast<int>(order.size()), 27);
    EXPECT_TRUE(moved);

    const Sheet again = Generate({.planID = kFactorial3, .k = 3, .isRand = -1, .seed = fresh.seed, .seedInit = -1});
    EXPECT_EQ(again.cells, fresh.cells);
    EXPECT_EQ(again.oSeed, fresh.oSeed);
    EXPECT_EQ(again.seed, fresh.seed);
}

TEST(RsmRunSheet, ReplicatesRepeatTheFirstReplicatesOrder) {
    const Sheet s = Generate({.planID = kCcd, .k = 2, .nRep = 3, .isRand = -1, .seed = 99, .seedInit = -1});
    ASSERT_EQ(s.nplan, 39);
    for (int n = 2; n <= 3; ++n)
        for (int r = 1; r <= 13; ++r)
            for (int c = 1; c <= s.pplan; ++c) {
                const double expected = c == 3 ? n : s.at(r, c);
                EXPECT_EQ(s.at((n - 1) * 13 + r, c), expected);
            }
    for (int r = 1; r <= 13; ++r) EXPECT_EQ(s.at(r, 3), 1);
}

TEST(RsmRunSheet, ConversionToTheFactorsScalesAndRounding) {
    const Sheet f = Generate({.planID = kFactorial3, .k = 1, .doOrigScale = -1, .minF = {10}, .maxF = {20}});
    EXPECT_EQ(f.point(1)[0], 10);
    EXPECT_EQ(f.point(2)[0], 15);
    EXPECT_EQ(f.point(3)[0], 20);

    const Request ccd{.planID = kCcd, .k = 2, .doOrigScale = -1, .minF = {10, 0}, .maxF = {20, 1}};
    const Sheet exact = Generate(ccd);
    EXPECT_NEAR(exact.point(6)[0], 15 + 5 * std::sqrt(2.0), 1e-12) << "axial runs leave [MinF, MaxF]";
    Request rounded = ccd;
    rounded.doRound = -1;
    const Sheet r = Generate(rounded);
    EXPECT_EQ(r.point(6)[0], 22);
    EXPECT_EQ(r.point(5)[0], 8);
    EXPECT_EQ(r.point(9)[0], 15);

    Request notMinusOne = ccd;
    notMinusOne.doOrigScale = 1;
    notMinusOne.doRound = -1;
    EXPECT_EQ(Generate(notMinusOne).point(1)[0], -1) << "only -1 converts";
}

TEST(RsmRunSheet, OtherModesLeaveThePlanAsItCame) {
    std::vector<double> plan(13 * 7, 7.0), minF(2, 0), maxF(2, 1);
    int32_t seed = 3, oSeed = 4;
    EXPECT_EQ(Cpp_PlanGenerate(1, kCcd, 2, 1, 0, 1, -1, -1, -1, 13, 7, 13, minF.data(), maxF.data(), nullptr,
                               plan.data(), &seed, -1, &oSeed),
              0);
    EXPECT_TRUE(std::all_of(plan.begin(), plan.end(), [](double v) { return v == 7.0; }));
    EXPECT_EQ(seed, 3);
}

// ----- the edge of the contract ---------------------------------------------------------

TEST(RsmContract, BoxBehnkenBelowTwoFactorsAndNoFactorsStayInsideThePlan) {
    for (int planID = 0; planID <= 5; ++planID)
        for (int k = -3; k <= 1; ++k) {
            SCOPED_TRACE(testing::Message() << "design " << planID << ", k = " << k);
            std::vector<double> plan(4 * 6 + kCanaries, kCanary), minF(4, 0), maxF(4, 1);
            std::fill(plan.begin(), plan.begin() + 24, 0.0);
            int32_t seed = 5, oSeed = 0;
            Cpp_PlanGenerate(2, planID, k, 2, 0, 2, -1, -1, -1, 4, 6, 2, minF.data(), maxF.data(), nullptr,
                             plan.data(), &seed, -1, &oSeed);
            EXPECT_TRUE(std::all_of(plan.begin() + 24, plan.end(), [](double v) { return v == kCanary; }));
        }
    const Sheet one = Generate({.planID = kBbd, .k = 1});
    EXPECT_EQ(one.nblock, 1);
    EXPECT_EQ(one.at(1, 4), 1) << "the single run is the centre";
    EXPECT_EQ(one.point(1)[0], 0);
}

TEST(RsmContract, PlansSmallerThanTheDesignOrItsBookkeeping) {
    // A host array of 3 rows for a 3^30 design with more blocks and
    // replicates than rows: only the rows present are written, quickly.
    for (int planID = 1; planID <= 4; ++planID) {
        SCOPED_TRACE(planID);
        const int k = 30, pplan = k + 1 + 4;
        std::vector<double> plan(3 * pplan + kCanaries, kCanary), minF(k, 0), maxF(k, 1);
        std::fill(plan.begin(), plan.begin() + 3 * pplan, 0.0);
        int32_t seed = 0, oSeed = 0;
        Cpp_PlanGenerate(2, planID, k, 1, 0, 1000000, -1, -1, -1, 3, pplan, 1000000000, minF.data(), maxF.data(),
                         nullptr, plan.data(), &seed, 0, &oSeed);
        EXPECT_TRUE(std::all_of(plan.begin() + 3 * pplan, plan.end(), [](double v) { return v == kCanary; }));
        std::set<double> order(plan.begin(), plan.begin() + 3);
        EXPECT_EQ(order, (std::set<double>{1, 2, 3}));
    }
}

}  // namespace
