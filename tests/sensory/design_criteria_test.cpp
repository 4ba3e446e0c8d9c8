// Block-design criteria against closed forms.
#include "design_support.h"
#include "sensory/block_criteria.h"
#include "services/numeric.h"

#include <bit>
#include <cstdint>

namespace {

double bothCriteria(matrixInt* M, int iJ, int iP, int iR, double* other) {
    double d = 0, a = 0;
    GetCritFromOJPMatBase(1, M, iJ, iP, iR, &d);
    GetCritFromOJPMatBase(2, M, iJ, iP, iR, &a);
    *other = a;
    return d;
}

TEST(BlockCriteria, CompleteAndBalancedDesignsMeetTheirClosedForms) {
    const auto expectBoth = [](matrixInt* M, int J, int P, int R, double value, double aValue = -1) {
        double a = 0;
        EXPECT_NEAR(bothCriteria(M, J, P, R, &a), value, 1e-12) << P << " " << R;
        EXPECT_NEAR(a, aValue < 0 ? value : aValue, 1e-12);
    };
    expectBoth(stest::fromBlocks(4, {{1, 2, 3, 4}, {1, 2, 3, 4}, {1, 2, 3, 4}}).get(), 3, 4, 4, 1.0);
    expectBoth(stest::fromBlocks(4, {{1, 2}, {1, 3}, {1, 4}, {2, 3}, {2, 4}, {3, 4}}).get(), 6, 4, 2, 2.0 / 3);
    auto fano = stest::fromBlocks(7, {{1, 2, 3}, {1, 4, 5}, {1, 6, 7}, {2, 4, 6}, {2, 5, 7}, {3, 4, 7}, {3, 5, 6}});
    const double bound = 2.0 * 7 / (6.0 * 3);
    expectBoth(fano.get(), 7, 7, 3, bound);
    expectBoth(stest::fromBlocks(2, {{1, 2}, {1, 2}}).get(), 2, 2, 2, 1.0);
    // Unequal replication (iRep 0) scales each product by its own.
    EXPECT_NEAR(TraceDesignLng(fano.get(), 7, 7, 3, 0), bound, 1e-12);
    // Blocks {1,2}, {1,3}, {2,3}, {2,3}: replications 2, 3, 3, so I - R^-1/2 N N' R^-1/2 / 2 has eigenvalues
    // 5/6 (on products 2 and 3 apart), 2/3 and 0.
    auto uneven = stest::fromBlocks(3, {{1, 2}, {1, 3}, {2, 3}, {2, 3}});
    expectBoth(uneven.get(), 4, 3, 2, std::sqrt(5.0) / 3, 20.0 / 27);
    EXPECT_NEAR(DetDesignLng(uneven.get(), 4, 3, 2, 0), std::sqrt(5.0) / 3, 1e-12);
}

TEST(BlockCriteria, UnscorableDesignsGiveTheWorstValueBitForBit) {
    double crit = 0;
    auto split = stest::fromBlocks(4, {{1, 2}, {3, 4}, {1, 2}, {3, 4}});
    GetCritFromOJPMatBase(1, split.get(), 4, 4, 2, &crit);
    EXPECT_EQ(std::bit_cast<uint64_t>(crit), 0xFFEFFFFFFFFFFFE2ull);
    auto unserved = stest::fromBlocks(4, {{1, 2}, {2, 3}, {1, 3}});
    GetCritFromOJPMatBase(2, unserved.get(), 3, 4, 2, &crit);
    EXPECT_EQ(crit, num::kNoValue);
    auto single = stest::fromBlocks(1, {{1}, {1}});
    EXPECT_EQ(std::pair(DetDesignLng(single.get(), 2, 1, 1, 0), TraceDesignLng(nullptr, 2, 3, 2, 0)),
              std::pair(num::kNoValue, num::kNoValue));  // one product; no design at all
}

TEST(BlockCriteria, MeanAndVarianceOfSharedProducts) {
    auto M = stest::fromBlocks(4, {{1, 2}, {3, 4}, {1, 3}, {1, 2}});
    double mean = 0, var = 0;
    GetMeanVarScalarProducts(M.get(), 4, 1, 4, &mean, &var);  // overlaps 2, 0, 1
    EXPECT_DOUBLE_EQ(mean, 1.0);
    EXPECT_DOUBLE_EQ(var, 2.0 / 3);
    GetMeanVarScalarProducts(M.get(), 4, 4, 4, &mean, &var);
    EXPECT_TRUE(mean == 0.0 && std::isnan(var));
}

}  // namespace
