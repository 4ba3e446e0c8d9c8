// The mixture entry points as the host calls them: flat column-major arrays
// worked on in place, BSTR labels copied back.
#include "boundary/VORNEXDO1M.h"
#include "services/bstr.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

TEST(MixtureEntry, SizeThenFillTheHostsArrayInPlace) {
    int32_t rows = 0, cols = 0;
    Cpp_DOEMixGetSizeoSimplex(3, 0, 3, &rows, &cols);
    ASSERT_EQ(rows, 10);
    ASSERT_EQ(cols, 3);
    std::vector<double> design(static_cast<std::size_t>(rows) * cols, -1.0);
    Cpp_DOEMixSimplex(3, 0, 3, design.data(), rows, cols);
    EXPECT_EQ(design[9], 1.0 / 6);       // row 10, column 1
    EXPECT_EQ(design[29], 4 * 0.5 / 3);  // row 10, column 3
    Cpp_DOEMixSimplex(3, 2, 1, nullptr, 0, 0);
    Cpp_DOEMixSimplex(3, 2, 1, design.data(), -5, 3);
    EXPECT_EQ(design[9], 1.0 / 6);
}

TEST(MixtureEntry, ModelMatrixAndLabels) {
    ASSERT_EQ(Cpp_DOEMixGetnCoef(3, 999, 3, 1), 7);
    std::vector<double> x{1, 0, .2, 0, 1, .3, 0, 0, .5};  // runs (1,0,0), (0,1,0), (.2,.3,.5)
    std::vector<BSTR> names{SysAllocString(u"Water"), SysAllocString(u"Oil"), SysAllocString(u"Salt")};
    std::vector<double> model(21, -1.0);
    std::vector<BSTR> labels(7, nullptr);
    Cpp_DOEMixPredictorMatrix(x.data(), 3, 3, 7, names.data(), 3, 1, model.data(), labels.data());
    EXPECT_EQ(model[2], .2);
    EXPECT_EQ(model[20], .2 * .3 * .5);
    EXPECT_EQ(model[18], 0.0);
    EXPECT_EQ(bstrToString(labels[4]), u"Water*Salt");
    EXPECT_EQ(bstrToString(labels[6]), u"Water*Oil*Salt");
    for (BSTR b : names) SysFreeString(b);
    for (BSTR b : labels) SysFreeString(b);
}

TEST(MixtureEntry, RealCoordinatesInPlace) {
    std::vector<double> plan{1, 0, 0, 1, 0, 0};  // runs (1,0,0) and (0,1,0)
    std::vector<double> lower{.1, .2, 0};
    EXPECT_EQ(Cpp_DOEMixRealCoord(plan.data(), 2, 3, lower.data(), .7, 100), 0);
    EXPECT_DOUBLE_EQ(plan[0], 80);
    EXPECT_DOUBLE_EQ(plan[2], 20);
    EXPECT_DOUBLE_EQ(plan[3], 90);
    EXPECT_EQ(plan[4], 0);
    std::vector<double> same{.5, .25, .5, .75};
    std::vector<double> zeros(2, 0.0);
    Cpp_DOEMixRealCoord(same.data(), 2, 2, zeros.data(), 1, 1);
    EXPECT_EQ(same, (std::vector<double>{.5, .25, .5, .75}));
}

TEST(MixtureEntry, RangeWidening) {
    auto widen = [](double lo, double hi) {
        Cpp_AdaptMinMaxDOE(&lo, &hi, 0.1);
        return std::vector<double>{lo, hi};
    };
    const std::vector<double> narrow = widen(-2, 5);
    EXPECT_DOUBLE_EQ(narrow[0], -2.2);
    EXPECT_DOUBLE_EQ(narrow[1], 5.5);
    EXPECT_EQ(widen(3, 20), (std::vector<double>{2, 23}));
    EXPECT_EQ(widen(-20, -3), (std::vector<double>{-22, -1}));  // toward zero
    EXPECT_EQ(widen(0, 1)[0], 0.0);
    EXPECT_FALSE(std::signbit(widen(-0.5, 12)[0]));
    EXPECT_EQ(widen(-1e10, 1e10), (std::vector<double>{-1.1e10, 1.1e10 + 1}));  // beyond 32 bits
}
