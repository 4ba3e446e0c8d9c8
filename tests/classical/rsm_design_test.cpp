// Response-surface designs through the host's entry points: sizes, the
// geometry each design's name promises, the run sheet's bookkeeping, scale
// conversion, random order, replicates, and inputs at the edge of the array
// contract.
#include "boundary/VORNEXDO1M.h"
#include "classical/design_dimensions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <set>
#include <tuple>
#include <vector>

namespace {

constexpr int kFactorial3 = 1, kCcd = 2, kBbd = 3, kDoehlert = 4;
constexpr double kCanary = 123456.5;
constexpr int kCanaries = 64;

struct Request {
    int planID = kFactorial3;
    int k = 2;
    int nRep = 1;
    VARIANT_BOOL isRand = 0, doRound = 0, doOrigScale = 0;
    std::vector<double> minF{}, maxF{};
    int32_t seed = 0;
    VARIANT_BOOL seedInit = 0;
};

// A run sheet as the host holds it (2 responses), with canaries past its end.
struct Sheet {
    int32_t nplan = 0, pplan = 0, nblock = 0, seed = 0, oSeed = 0;
    int k = 0;
    std::vector<double> cells;

    double at(int r, int c) const { return cells[static_cast<std::size_t>(c - 1) * nplan + (r - 1)]; }
    std::vector<double> point(int r) const {
        std::vector<double> x;
        for (int f = 1; f <= k; ++f) x.push_back(at(r, 4 + f));
        return x;
    }
    int nonZero(int r) const {
        const std::vector<double> x = point(r);
        return static_cast<int>(std::count_if(x.begin(), x.end(), [](double v) { return v != 0; }));
    }
};

bool CanariesIntact(const std::vector<double>& cells, std::size_t used) {
    return std::all_of(cells.begin() + static_cast<std::ptrdiff_t>(used), cells.end(),
                       [](double v) { return v == kCanary; });
}

// Sizes the plan, allocates it (factor cells 0), then fills it. Every sheet
// has the no-value bit pattern in its response cells, and each replicate
// repeats the first one's rows under its own number; one in standard order
// numbers its runs 1, 2, ... in both order columns.
Sheet Generate(const Request& q) {
    Sheet s;
    s.k = q.k;
    EXPECT_EQ(Cpp_PlanDimension(2, q.planID, q.k, 2, 0, q.nRep, 0, &s.nplan, &s.pplan, &s.nblock), 0);
    const std::size_t used = static_cast<std::size_t>(s.nplan) * s.pplan;
    s.cells.assign(used, 0.0);
    s.cells.insert(s.cells.end(), kCanaries, kCanary);
    std::vector<double> minF = q.minF, maxF = q.maxF;
    minF.resize(static_cast<std::size_t>(q.k), -1.0);
    maxF.resize(static_cast<std::size_t>(q.k), 1.0);
    s.seed = q.seed;
    EXPECT_EQ(Cpp_PlanGenerate(2, q.planID, q.k, 2, 0, q.nRep, q.isRand, q.doRound, q.doOrigScale, s.nplan, s.pplan,
                               s.nblock, minF.data(), maxF.data(), nullptr, s.cells.data(), &s.seed, q.seedInit,
                               &s.oSeed),
              0);
    EXPECT_TRUE(CanariesIntact(s.cells, used));
    for (int r = 1; r <= s.nplan; ++r) {
        for (int c = q.k + 5; c <= q.k + 6; ++c) {
            uint64_t bits;
            std::memcpy(&bits, &s.cells[static_cast<std::size_t>(c - 1) * s.nplan + r - 1], sizeof bits);
            EXPECT_EQ(bits, 0xFFEFFFFFFFFFFFE2ULL) << "row " << r << ", column " << c;
        }
        const int first = (r - 1) % s.nblock + 1;
        for (int c = 1; c <= 4 + q.k; ++c)
            EXPECT_EQ(s.at(r, c), c == 3 ? (r - 1) / s.nblock + 1 : s.at(first, c)) << "row " << r << ", column " << c;
        if (q.isRand == -1) continue;
        EXPECT_EQ(s.at(r, 1), first);
        EXPECT_EQ(s.at(r, 2), first);
    }
    return s;
}

// Fills a plan the host made: factors span -1..1, no rounding or conversion;
// only a random order initialises the seed.
void Fill(std::vector<double>& plan, int planID, int k, int nplan, int pplan, int nblock, int nRes = 2, int nRep = 1,
          VARIANT_BOOL isRand = 0, int32_t seed = 0) {
    std::vector<double> minF(40, -1), maxF(40, 1);
    int32_t oSeed = 0;
    Cpp_PlanGenerate(2, planID, k, nRes, 0, nRep, isRand, 0, 0, nplan, pplan, nblock, minF.data(), maxF.data(), nullptr,
                     plan.data(), &seed, isRand == -1 ? -1 : 0, &oSeed);
}

double Distance(const std::vector<double>& a, const std::vector<double>& b) {
    double d = 0;
    for (std::size_t i = 0; i < a.size(); ++i) d += (a[i] - b[i]) * (a[i] - b[i]);
    return std::sqrt(d);
}

TEST(RsmDimensions, RunCountsForTwoToSixFactors) {
    const int runs[4][5] = {{9, 27, 81, 243, 729}, {13, 20, 32, 53, 91}, {5, 13, 25, 41, 61}, {7, 13, 21, 31, 43}};
    const int centres[5] = {5, 6, 8, 11, 15};  // uniform precision
    for (int design = 1; design <= 4; ++design)
        for (int k = 2; k <= 6; ++k) {
            int32_t nplan = 0, pplan = 0, nblock = 0;
            EXPECT_EQ(Cpp_PlanDimension(2, design, k, 2, 0, 3, -1, &nplan, &pplan, &nblock), 0);
            EXPECT_EQ(nblock, runs[design - 1][k - 2]) << "design " << design << ", k = " << k;
            EXPECT_EQ(nplan, 3 * nblock);
            EXPECT_EQ(pplan, k + 2 + 4);
            int n = 0;
            EXPECT_EQ(GetnCenter(2, k, &n), centres[k - 2]);
        }
    int32_t nplan = 0, pplan = 0, nblock = 0, given = 4;
    Cpp_PlanDimension(2, kCcd, 3, 1, given, 1, 0, &nplan, &pplan, &nblock);
    EXPECT_EQ(nplan, 18) << "2^3 + 6 + 4 given centre runs";
    Cpp_PlanDimension(2, kCcd, 3, 1, 1, 1, 0, &nplan, &pplan, &nblock);
    EXPECT_EQ(nplan, 15) << "a single centre run asked for";
    EXPECT_EQ(GetnCenter(1, 3, &given), 0);
    EXPECT_EQ(given, 0);
}

TEST(RsmDimensions, OtherModesUnknownDesignsAndSaturation) {
    int32_t nplan = 77, pplan = 77, nblock = 77;
    EXPECT_EQ(Cpp_PlanDimension(1, kBbd, 3, 1, 0, 3, 0, &nplan, &pplan, &nblock), 0);
    EXPECT_EQ(nplan + pplan + nblock, 3 * 77) << "Mode 1 writes nothing";
    nplan = 5;
    Cpp_PlanDimension(2, 9, 3, 1, 0, 2, 0, &nplan, &pplan, &nblock);
    EXPECT_EQ(nblock, 5) << "an unknown design keeps the host's run count";
    EXPECT_EQ(nplan, 10);
    Cpp_PlanDimension(2, kFactorial3, 40, 1, 0, 1, 0, &nplan, &pplan, &nblock);
    EXPECT_EQ(nplan, INT32_MAX);
    Cpp_PlanDimension(2, kDoehlert, 10, 1, 0, INT32_MAX, 0, &nplan, &pplan, &nblock);
    EXPECT_EQ(nplan, INT32_MAX);
    // Nor does mode 1 generate anything.
    std::vector<double> plan(13 * 7, 7.0), minF(2, 0), maxF(2, 1);
    int32_t seed = 3, oSeed = 4;
    EXPECT_EQ(Cpp_PlanGenerate(1, kCcd, 2, 1, 0, 1, -1, -1, -1, 13, 7, 13, minF.data(), maxF.data(), nullptr,
                               plan.data(), &seed, -1, &oSeed),
              0);
    EXPECT_TRUE(std::all_of(plan.begin(), plan.end(), [](double v) { return v == 7.0; }));
}

TEST(RsmDesigns, ThreeLevelFactorialHasEveryLevelCombinationOnceAndFlagsItsCentre) {
    for (int k = 1; k <= 5; ++k)
        for (VARIANT_BOOL isRand : {0, -1}) {
            SCOPED_TRACE(::testing::Message() << "k = " << k << ", IsRand = " << isRand);
            const Sheet s = Generate({.planID = kFactorial3, .k = k, .isRand = isRand});
            std::set<std::vector<double>> points;
            for (int r = 1; r <= s.nblock; ++r) {
                for (double v : s.point(r)) EXPECT_TRUE(v == -1 || v == 0 || v == 1);
                points.insert(s.point(r));
                // The flag travels with the run at the centre, wherever the
                // random order puts it.
                EXPECT_EQ(s.at(r, 4), s.nonZero(r) == 0 ? 1 : 0) << "run " << r;
            }
            EXPECT_EQ(static_cast<int>(points.size()), s.nblock);
        }
    const Sheet s = Generate({.planID = kFactorial3, .k = 2});
    EXPECT_EQ(s.point(2), (std::vector<double>{0, -1})) << "factor 1 varies fastest";
    EXPECT_EQ(s.point(4), (std::vector<double>{-1, 0}));
}

TEST(RsmDesigns, CentralCompositeHasCornersAxialPairsCentresAndIsRotatable) {
    for (int k = 2; k <= 6; ++k) {
        SCOPED_TRACE(k);
        const Sheet s = Generate({.planID = kCcd, .k = k});
        const int F = 1 << k;
        const double alpha = std::pow(2.0, k / 4.0);
        std::set<std::vector<double>> corners;
        for (int r = 1; r <= F; ++r) corners.insert(s.point(r));
        EXPECT_EQ(static_cast<int>(corners.size()), F);
        for (int f = 1; f <= k; ++f) {
            EXPECT_EQ(s.nonZero(F + 2 * f - 1) + s.nonZero(F + 2 * f), 2);
            EXPECT_DOUBLE_EQ(s.point(F + 2 * f - 1)[f - 1], -alpha);
            EXPECT_DOUBLE_EQ(s.point(F + 2 * f)[f - 1], alpha);
        }
        for (int r = 1; r <= s.nblock; ++r) EXPECT_EQ(s.at(r, 4), r > F + 2 * k ? 1 : 0);
        // Rotatable: odd moments vanish, every pure fourth moment is three
        // times every mixed one, and the corners are all at +-1.
        for (int i = 0; i < k; ++i)
            for (int j = 0; j < k; ++j) {
                double m1 = 0, m3 = 0, m4 = 0, m11 = 0, m21 = 0, m22 = 0;
                for (int r = 1; r <= s.nblock; ++r) {
                    const double x = s.point(r)[i], y = s.point(r)[j];
                    m1 += x, m3 += x * x * x, m4 += x * x * x * x;
                    m11 += x * y, m21 += x * x * y, m22 += x * x * y * y;
                }
                EXPECT_NEAR(m1 + m3, 0, 1e-12);
                if (i == j) continue;
                EXPECT_NEAR(m11 + m21, 0, 1e-12);
                EXPECT_NEAR(m4, 3 * m22, 1e-9);
                EXPECT_NEAR(m22, F, 1e-12);
            }
    }
}

TEST(RsmDesigns, BoxBehnkenRunsAreTheEdgeMidpointsOfTheCube) {
    for (int k = 3; k <= 6; ++k) {
        const Sheet s = Generate({.planID = kBbd, .k = k});
        std::set<std::vector<double>> points;
        for (int r = 1; r < s.nblock; ++r) {
            EXPECT_EQ(s.nonZero(r), 2);
            for (double v : s.point(r)) EXPECT_TRUE(v == 0 || std::abs(v) == 1);
            points.insert(s.point(r));
        }
        EXPECT_EQ(static_cast<int>(points.size()), 2 * k * (k - 1)) << "all 4 corners of every pair";
        EXPECT_EQ(s.nonZero(s.nblock), 0);
        EXPECT_EQ(s.at(s.nblock, 4), 1);
    }
    const Sheet s = Generate({.planID = kBbd, .k = 3});
    EXPECT_EQ(s.point(2), (std::vector<double>{1, -1, 0}));
    EXPECT_EQ(s.point(3), (std::vector<double>{-1, 1, 0}));
    EXPECT_EQ(s.point(5), (std::vector<double>{-1, 0, -1}));
}

TEST(RsmDesigns, DoehlertPointsLieOnTheUnitSphereAndKeepUnitSpacing) {
    for (int k = 1; k <= 6; ++k) {  // one factor: the two points 1 and -1 about the centre
        const Sheet s = Generate({.planID = kDoehlert, .k = k});
        const std::vector<double> centre(static_cast<std::size_t>(k), 0.0);
        for (int r = 1; r < s.nblock; ++r) {
            EXPECT_NEAR(Distance(s.point(r), centre), 1.0, 1e-12) << "k = " << k << ", run " << r;
            for (int q = r + 1; q < s.nblock; ++q) EXPECT_GT(Distance(s.point(r), s.point(q)), 1.0 - 1e-12);
        }
        EXPECT_EQ(s.point(s.nblock), centre);
        EXPECT_EQ(s.at(s.nblock, 4), 1);
    }
    const Sheet s = Generate({.planID = kDoehlert, .k = 2});
    EXPECT_EQ(s.point(3), (std::vector<double>{0.5, std::sqrt(0.75)}));
    EXPECT_EQ(s.point(5), (std::vector<double>{0.5, -std::sqrt(0.75)}));
}

TEST(RsmRunSheet, OnlyMinusOneRandomisesAndTheSeedReproducesTheOrder) {
    const Sheet plain = Generate({.planID = kFactorial3, .k = 3, .isRand = 1, .seed = 17, .seedInit = -1});
    // Generate has checked that the runs kept their standard order.
    EXPECT_EQ(plain.seed, 17) << "no draw, no seed change";

    const Sheet fresh = Generate({.planID = kFactorial3, .k = 3, .isRand = -1});
    std::set<double> order;
    for (int r = 1; r <= fresh.nblock; ++r) {
        const int standard = static_cast<int>(fresh.at(r, 2));
        order.insert(standard);
        EXPECT_EQ(fresh.at(r, 1), r);
        EXPECT_EQ(fresh.point(r), plain.point(standard)) << "a run keeps its levels";
        EXPECT_EQ(fresh.at(r, 4), standard == 14 ? 1 : 0) << "and its centre flag, (0, 0, 0) in row 14 unrandomised";
    }
    EXPECT_EQ(order.size(), 27u);
    EXPECT_NE(fresh.cells, plain.cells);

    const Sheet again = Generate({.planID = kFactorial3, .k = 3, .isRand = -1, .seed = fresh.seed, .seedInit = -1});
    EXPECT_EQ(again.cells, fresh.cells);
    EXPECT_EQ(again.oSeed, fresh.oSeed);
}

TEST(RsmRunSheet, ReplicatesRepeatTheFirstReplicatesOrder) {
    // Generate checks rows 14-39 against rows 1-13.
    EXPECT_EQ(Generate({.planID = kCcd, .k = 2, .nRep = 3, .isRand = -1, .seed = 99, .seedInit = -1}).nplan, 39);
}

TEST(RsmRunSheet, ReplicatesFillTheirRowsAndNoOthers) {
    // Two replicates of a 13-run design in sheets with room for one run of
    // the second, one row short of both, and one row longer: the copy stops
    // at the sheet's end, and a row past the replicates keeps what it held.
    const Sheet one = Generate({.planID = kCcd, .k = 2});
    for (int nplan : {14, 25, 27}) {
        std::vector<double> plan(static_cast<std::size_t>(nplan) * one.pplan, kCanary);
        for (int c = 4; c <= 6; ++c)  // the flags and factors of the first replicate come in as 0
            for (int r = 1; r <= 13; ++r) plan[static_cast<std::size_t>(c - 1) * nplan + r - 1] = 0;
        Fill(plan, kCcd, 2, nplan, one.pplan, 13, 2, 2);
        for (int r = 1; r <= nplan; ++r)
            for (int c = 1; c <= one.pplan; ++c) {
                const double expected = r > 26 ? kCanary : c == 3 ? (r - 1) / 13 + 1 : one.at((r - 1) % 13 + 1, c);
                EXPECT_EQ(plan[static_cast<std::size_t>(c - 1) * nplan + r - 1], expected) << nplan << ": " << r << ", " << c;
            }
    }
}

TEST(RsmRunSheet, ConversionRoundingAndGivenCentresCellByCell) {
    // A central composite design of two factors with 2 centre runs asked
    // for, in a sheet sized for the default 5 and 3 rows longer still:
    // rows 1-10 are the design, 11-13 unset runs, 14-16 beyond the runs.
    // Factor 1 spans 10..20, factor 2 0..4; one response. Only -1 converts
    // or rounds; the coded runs are those of the default design.
    const Sheet coded = Generate({.planID = kCcd, .k = 2});
    const int nplan = 16, pplan = 7, nblock = 13;
    for (const auto& [doRound, doOrigScale] : {std::pair<VARIANT_BOOL, VARIANT_BOOL>{0, -1}, {-1, -1}, {-1, 1}}) {
        std::vector<double> plan(static_cast<std::size_t>(nplan) * pplan, 0.0), minF{10, 0}, maxF{20, 4};
        for (int c = 1; c <= pplan; ++c)
            for (int r = 14; r <= nplan; ++r) plan[static_cast<std::size_t>(c - 1) * nplan + r - 1] = kCanary;
        int32_t seed = 0, oSeed = 0;
        EXPECT_EQ(Cpp_PlanGenerate(2, kCcd, 2, 1, 2, 1, 0, doRound, doOrigScale, nplan, pplan, nblock, minF.data(),
                                   maxF.data(), nullptr, plan.data(), &seed, 0, &oSeed),
                  0);
        const auto at = [&](int r, int c) { return plan[static_cast<std::size_t>(c - 1) * nplan + r - 1]; };
        const auto scaled = [&](double centre, double half, double x) {
            const double v = doOrigScale == -1 ? centre + half * x : x;
            return doRound == -1 && doOrigScale == -1 ? std::round(v) : v;
        };
        for (int r = 1; r <= nblock; ++r) {
            SCOPED_TRACE(testing::Message() << "row " << r << ", DoRound " << doRound << ", DoOrigScale " << doOrigScale);
            EXPECT_EQ(std::tuple(at(r, 1), at(r, 2), at(r, 3)), std::tuple(r, r, 1)) << "standard order, replicate 1";
            EXPECT_EQ(at(r, 4), r == 9 || r == 10 ? 1 : 0) << "only the 2 centre runs asked for are flagged";
            EXPECT_DOUBLE_EQ(at(r, 5), scaled(15, 5, coded.point(r)[0]));
            EXPECT_DOUBLE_EQ(at(r, 6), scaled(2, 2, coded.point(r)[1]));
            EXPECT_EQ(at(r, 7), -1.79769313486231e308);
        }
        for (int r = 14; r <= nplan; ++r)
            for (int c = 1; c <= pplan; ++c) EXPECT_EQ(at(r, c), kCanary) << r << ", " << c;
    }
}

// Which factors a design's construction sets in run r (1-based): every
// other factor cell keeps the value the host passed in.
bool ConstructionSets(int planID, int k, int r, int f) {
    const int F = 1 << k;
    switch (planID) {
        case kFactorial3: return r <= std::pow(3, k);
        case kCcd: return r <= F || (r <= F + 2 * k && (r - F + 1) / 2 == f);
        case kBbd: {
            int row = 1;
            for (int i = 1; i < k; ++i)
                for (int j = i + 1; j <= k; ++j, row += 4)
                    if (r >= row && r < row + 4) return f == i || f == j;
            return false;
        }
        default:  // Doehlert: rows 1-2 set factor 1, dimension d adds rows (d-1)^2+d .. d^2+d in factors 1..d
            for (int d = 1; d <= k; ++d)
                if (r <= d * d + d) return f <= d;
            return false;
    }
}

TEST(RsmContract, CellsNoConstructionSetsKeepTheHostsValues) {
    // Every cell comes in holding a value of its own; the sheet has two
    // rows more than one replicate.
    for (int planID : {kFactorial3, kCcd, kBbd, kDoehlert})
        for (int k = 2; k <= 4; ++k) {
            SCOPED_TRACE(testing::Message() << "design " << planID << ", k = " << k);
            const Sheet zero = Generate({.planID = planID, .k = k});
            const int B = zero.nblock, nplan = B + 2, pplan = zero.pplan;
            std::vector<double> plan(static_cast<std::size_t>(nplan) * pplan);
            for (std::size_t i = 0; i < plan.size(); ++i) plan[i] = 1000.25 + static_cast<double>(i);
            const std::vector<double> incoming = plan;
            Fill(plan, planID, k, nplan, pplan, B);
            for (int r = 1; r <= nplan; ++r)
                for (int c = 1; c <= pplan; ++c) {
                    const std::size_t at = static_cast<std::size_t>(c - 1) * nplan + r - 1;
                    if (r > B) {
                        EXPECT_EQ(plan[at], incoming[at]) << "row " << r << " lies beyond the replicate";
                    } else if (c == 4) {
                        EXPECT_EQ(plan[at], zero.at(r, 4) == 1 ? 1 : incoming[at]) << "row " << r;
                    } else if (c > 4 && c <= 4 + k && !ConstructionSets(planID, k, r, c - 4)) {
                        EXPECT_EQ(plan[at], incoming[at]) << "row " << r << ", factor " << c - 4;
                    }
                }
        }
}

TEST(RsmContract, ASheetShorterThanTheDesignHoldsItsFirstRuns) {
    // Writes past the sheet's last row are skipped, so each row that fits
    // is the full design's row.
    for (int planID : {kFactorial3, kCcd, kBbd, kDoehlert}) {
        const Sheet full = Generate({.planID = planID, .k = 3});
        for (int nplan = 1; nplan < full.nblock; ++nplan) {
            std::vector<double> plan(static_cast<std::size_t>(nplan) * full.pplan, 0.0);
            Fill(plan, planID, 3, nplan, full.pplan, full.nblock);
            for (int r = 1; r <= nplan; ++r)
                for (int c = 1; c <= full.pplan; ++c)
                    ASSERT_EQ(plan[static_cast<std::size_t>(c - 1) * nplan + r - 1], full.at(r, c))
                        << "design " << planID << ", " << nplan << " rows: row " << r << ", column " << c;
        }
    }
}

TEST(RsmContract, FewFactorsAndPlansSmallerThanTheDesignStayInsideThePlan) {
    // Box-Behnken below two factors, no or negative factor counts, and a
    // 3-row plan for 30 factors with more runs and replicates than rows.
    for (int planID = 0; planID <= 5; ++planID)
        for (int k : {-3, 0, 1, 30}) {
            const int nplan = 3, pplan = std::max(k, 0) + 1 + 4;
            const std::size_t used = static_cast<std::size_t>(nplan) * pplan;
            std::vector<double> plan(used + kCanaries, kCanary), minF(31, 0), maxF(31, 1);
            std::fill(plan.begin(), plan.begin() + static_cast<std::ptrdiff_t>(used), 0.0);
            int32_t seed = 0, oSeed = 0;
            Cpp_PlanGenerate(2, planID, k, 1, 0, 1000000, -1, -1, -1, nplan, pplan, 1000000000, minF.data(),
                             maxF.data(), nullptr, plan.data(), &seed, 0, &oSeed);
            EXPECT_TRUE(CanariesIntact(plan, used)) << "design " << planID << ", k = " << k;
            EXPECT_EQ(std::set<double>(plan.begin(), plan.begin() + 3), (std::set<double>{1, 2, 3}));
        }
    // Found by fuzzing: the centre flag of run nblock = INT32_MIN overflowed
    // the container's bound check.
    std::vector<double> small(6 * 5, 0.0);
    Fill(small, kBbd, 1, 6, 5, INT32_MIN, 0);
    EXPECT_TRUE(std::all_of(small.begin(), small.end(), [](double v) { return v == 0; })) << "no run to flag";
    const Sheet one = Generate({.planID = kBbd, .k = 1, .nRep = 3});  // each replicate repeats the single run
    EXPECT_EQ(one.nplan, 3);
    EXPECT_EQ(one.at(1, 4), 1) << "the single run is the centre";
}

TEST(RsmContract, NoFactorsOrNoResponsesLeaveTheColumnsThatAreNotThere) {
    // No factors: column 5 is the first response, set on the one run of the
    // replicate only. No responses: column 6 of a one-factor sheet is no
    // response column and keeps its value.
    for (int planID = 1; planID <= 4; ++planID)
        for (const auto& [k, nRes] : {std::pair{0, 1}, {1, 0}}) {
            std::vector<double> plan(3 * 6, 5.0);
            Fill(plan, planID, k, 3, 6, 1, nRes);
            if (k == 0) {
                EXPECT_EQ(plan[4 * 3], -1.79769313486231e308) << planID;
                for (int r = 2; r <= 3; ++r) EXPECT_EQ(plan[4 * 3 + r - 1], 5.0) << planID << ", row " << r;
            }
            for (int r = 1; r <= 3; ++r) EXPECT_EQ(plan[5 * 3 + r - 1], 5.0) << planID << ", row " << r;
        }
}

TEST(RsmRunSheet, TwoRunsAreShuffledToo) {
    // A two-run replicate comes out in either order, depending on the seed.
    std::set<double> firstRuns;
    for (int32_t i = 1; i <= 40; ++i) {
        std::vector<double> plan(2 * 6, 0.0);
        Fill(plan, kFactorial3, 1, 2, 6, 2, 1, 1, -1, i * 50000017);  // seeds spread over the generator's range
        firstRuns.insert(plan[2]);  // the standard-order number of run 1
    }
    EXPECT_EQ(firstRuns, (std::set<double>{1, 2}));
}

TEST(RsmContract, ANarrowSheetGetsTheWideSheetsCellsThatFit) {
    // Every column is computed from itself: a sheet holding only the first
    // two factors of a 3-factor Box-Behnken design (no responses; its (1, 3)
    // block varies factor 1) or of a 7-factor Doehlert design gets exactly
    // the wide sheet's cells.
    for (const auto& [planID, k, nRes] : {std::tuple{kBbd, 3, 0}, {kDoehlert, 7, 2}}) {
        const Sheet wide = Generate({.planID = planID, .k = k});
        std::vector<double> narrow(static_cast<std::size_t>(wide.nplan) * 6, 0.0);
        Fill(narrow, planID, k, wide.nplan, 6, wide.nblock, nRes);
        for (int r = 1; r <= wide.nplan; ++r)
            for (int c = 1; c <= 6; ++c)
                EXPECT_EQ(narrow[static_cast<std::size_t>(c - 1) * wide.nplan + r - 1], wide.at(r, c))
                    << planID << ": " << r << ", " << c;
    }
}

}  // namespace
