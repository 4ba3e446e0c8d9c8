// The mixture entry points as the host calls them: flat column-major arrays,
// BSTR labels copied back.
#include "boundary/VORNEXDO1M.h"
#include "mixture/coordinates.h"
#include "services/bstr.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

TEST(MixtureEntry, DesignAndModelMatrixInTheHostsArrays) {
    int32_t rows = 0, cols = 0;
    Cpp_DOEMixGetSizeoSimplex(3, 0, 3, &rows, &cols);
    ASSERT_EQ(rows * cols, 30);
    std::vector<double> design(30, -1.0);
    Cpp_DOEMixSimplex(3, 0, 3, design.data(), rows, cols);
    EXPECT_EQ(design[29], 4 * 0.5 / 3);  // row 10, column 3
    Cpp_DOEMixSimplex(3, 2, 1, nullptr, 0, 0);
    const int32_t nCoef = Cpp_DOEMixGetnCoef(3, 999, 3, 1);
    ASSERT_EQ(nCoef, 7);
    std::vector<BSTR> names{stringToBstr(u"Water"), stringToBstr(u"Oil"), stringToBstr(u"Salt")};
    std::vector<double> model(10 * 7, -1.0);
    std::vector<BSTR> labels(7, nullptr);
    Cpp_DOEMixPredictorMatrix(design.data(), rows, cols, nCoef, names.data(), 3, 1, model.data(), labels.data());
    EXPECT_EQ(model[69], design[9] * design[19] * design[29]);
    EXPECT_EQ(bstrToString(labels[6]), u"Water*Oil*Salt");
    for (BSTR b : names) SysFreeString(b);
    for (BSTR b : labels) SysFreeString(b);
}

// A host may have the model written over the design it is made from: the
// design's columns are the linear terms, and every later column is made
// from the design as it came.
TEST(MixtureEntry, ModelMatrixOverItsOwnDesign) {
    std::vector<double> sheet{0.25, 0.5, 0.75, 0.5, -1, -1, -1, -1};  // runs (0.25, 0.75), (0.5, 0.5)
    std::vector<BSTR> names{stringToBstr(u"A"), stringToBstr(u"B")};
    std::vector<BSTR> labels(4, nullptr);
    Cpp_DOEMixPredictorMatrix(sheet.data(), 2, 2, 4, names.data(), 3, 0, sheet.data(), labels.data());
    EXPECT_EQ(sheet, (std::vector<double>{0.25, 0.5, 0.75, 0.5, 0.1875, 0.25, -0.09375, 0}));  // A*B, A*B*(A-B)
    EXPECT_EQ(bstrToString(labels[3]), u"A*B*(A-B)");
    for (BSTR b : names) SysFreeString(b);
    for (BSTR b : labels) SysFreeString(b);
}

TEST(MixtureEntry, RealCoordinatesInPlace) {
    std::vector<double> plan{1, 0, 0, 1, 0, 0};  // runs (1,0,0) and (0,1,0)
    std::vector<double> lower{.1, .1, .1};  // with rab .7 every real run sums to the total
    EXPECT_EQ(Cpp_DOEMixRealCoord(plan.data(), 2, 3, lower.data(), .7, 100), 0);
    const std::vector<double> real{80, 10, 10, 80, 10, 10};  // (x * 0.7 + L) * 100
    for (std::size_t i = 0; i < real.size(); ++i) EXPECT_NEAR(plan[i], real[i], 1e-12) << i;
    // The core function without a plan or without bounds changes nothing.
    matrix kept(2, 3, plan.data(), true);
    EXPECT_EQ(DOEMixRealCoord(nullptr, 2, 3, &kept, .7, 100), 0);
    EXPECT_EQ(DOEMixRealCoord(&kept, 2, 3, nullptr, .7, 100), 0);
    for (std::size_t i = 0; i < real.size(); ++i) EXPECT_NEAR(plan[i], real[i], 1e-12) << i;
}

TEST(MixtureEntry, RangeWidening) {
    auto widen = [](double lo, double hi, double perc = 0.1) {
        Cpp_AdaptMinMaxDOE(&lo, &hi, perc);
        return std::vector<double>{lo, hi};
    };
    EXPECT_DOUBLE_EQ(widen(-2, 5)[1], 5.5);  // width 7.7: not rounded
    EXPECT_EQ(widen(3, 20), (std::vector<double>{2, 23}));
    EXPECT_EQ(widen(-20, -3), (std::vector<double>{-22, -1}));  // toward zero
    EXPECT_EQ(widen(0, 1)[0], 0.0);
    EXPECT_EQ(widen(0.5, 10.5, 0), (std::vector<double>{0.5, 10.5})) << "a width of exactly 10 is not rounded";
    EXPECT_EQ(widen(0.5, 10.75, 0), (std::vector<double>{0, 11}));
    EXPECT_FALSE(std::signbit(widen(-0.5, 12)[0]));
    EXPECT_EQ(widen(-1e10, 1e10), (std::vector<double>{-1.1e10, 1.1e10 + 1}));  // beyond 32 bits
    double lo = 3, hi = 20;
    Cpp_AdaptMinMaxDOE(nullptr, &hi, 0.1);
    Cpp_AdaptMinMaxDOE(&lo, nullptr, 0.1);
    EXPECT_EQ(lo + hi, 23) << "one end missing: the other stays";
}
