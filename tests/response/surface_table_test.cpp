// The response-surface table through the host's entry point.
#include "boundary/VORNEXDO1M.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

struct Table {
    int n;
    std::vector<double> cells;
    double minY = 0, maxY = 0;
    double at(int r, int c) const { return cells[static_cast<std::size_t>(c - 1) * n + (r - 1)]; }
};

Table Tabulate(int indMax, std::vector<double> coeff, std::vector<double> minF = {0, 100},
               std::vector<double> maxF = {20, 300}) {
    Table t{indMax, std::vector<double>(static_cast<std::size_t>(indMax > 0 ? indMax * indMax : 1), 0.0)};
    Cpp_SurfaceCalcTable(indMax, t.cells.data(), 2, minF.data(), maxF.data(), static_cast<int>(coeff.size()),
                         coeff.data(), &t.minY, &t.maxY);
    return t;
}

uint64_t Bits(double v) {
    uint64_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

TEST(SurfaceTable, HeadersAndExtremesOnTheTwentiethGrid) {
    // y = x1 + 10 x2 + 3 x1 x2
    const Table t = Tabulate(22, {1, 10, 0, 0, 3, 0});
    EXPECT_EQ(Bits(t.at(1, 1)), 0xFFEFFFFFFFFFFFE2ULL);
    for (int u = 1; u <= 21; ++u) {
        EXPECT_DOUBLE_EQ(t.at(1, u + 1), u - 1.0) << "factor 1 from 0 to 20";
        EXPECT_DOUBLE_EQ(t.at(u + 1, 1), 100 + 10.0 * (u - 1)) << "factor 2 from 100 to 300";
    }
    // Every prediction is checked bit for bit below; here the extremes of this surface.
    EXPECT_NEAR(t.minY, (1 - 10 - 3) * 0.98, 1e-12);
    EXPECT_NEAR(t.maxY, (1 + 10 + 3) * 1.02, 1e-12);
}

TEST(SurfaceTable, SmallerTablesCoverTheLowerPartOfTheRange) {
    const Table t = Tabulate(12, {0, 0, 1, 1, 0, 0});  // x1^2 + x2^2
    EXPECT_DOUBLE_EQ(t.at(1, 12), 10);
    EXPECT_NEAR(t.at(12, 12), 0, 1e-12) << "coded (0, 0) is the last cell";
    EXPECT_NEAR(t.at(2, 2), 2, 1e-12);
}

TEST(SurfaceTable, ExtremesWidenOrStayAtTheStartValuesWithoutAGrid) {
    const Table c = Tabulate(5, {0, 0, 0, 0, 0, 5});
    EXPECT_DOUBLE_EQ(c.minY, 4.9);
    EXPECT_DOUBLE_EQ(c.maxY, 5.1);
    const Table n = Tabulate(5, {0, 0, 0, 0, 0, -10});
    EXPECT_DOUBLE_EQ(n.minY, -9.8);
    EXPECT_DOUBLE_EQ(n.maxY, -10.2);
    // No grid point leaves the start values.
    for (int indMax : {1, 0, -5}) {
        const Table t = Tabulate(indMax, {0, 0, 0, 0, 0, 5});
        EXPECT_EQ(Bits(t.minY), 0x7FEFFFFFFFFFFFE2ULL);
        EXPECT_EQ(Bits(t.maxY), 0xFFEFFFFFFFFFFFE2ULL) << "never minus infinity";
    }
}

TEST(SurfaceTable, SquaredTermsAreFormedBeforeTheirCoefficients) {
    // c * (x * x) and (c * x) * x differ in the last bit in about one cell in
    // seven with such coefficients.
    const std::vector<double> c{0.3, -0.7, 0.1, 1.0 / 3, 0.9, 0.2};
    const Table t = Tabulate(22, c);
    for (int u = 1; u <= 21; ++u)
        for (int v = 1; v <= 21; ++v) {
            const double x1 = 2.0 * (u - 1) / 20 - 1, x2 = 2.0 * (v - 1) / 20 - 1;
            const double y = c[4] * x1 * x2 + c[0] * x1 + c[5] + c[1] * x2 + c[2] * (x1 * x1) + c[3] * (x2 * x2);
            EXPECT_EQ(Bits(t.at(v + 1, u + 1)), Bits(y)) << u << ", " << v;
        }
}

}  // namespace
