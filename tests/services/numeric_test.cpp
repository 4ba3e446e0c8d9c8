#include "services/clock.h"
#include "services/numeric.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <ctime>

namespace {

TEST(Numeric, NoValueConstantHasItsExactBits) {
    EXPECT_EQ(std::bit_cast<uint64_t>(num::kNoValue), 0xFFEFFFFFFFFFFFE2ull);
    EXPECT_EQ(num::kNoValuePositive, -num::kNoValue);
}

TEST(Numeric, CountingFunctions) {
    // Cnk for 1 <= k <= n <= 9 is checked against a listing in the combination tests.
    EXPECT_EQ(num::Cnk(30, 15), 155117520);
    EXPECT_EQ(num::Cnk(4, 0), 1);
    EXPECT_EQ(num::Cnk(3, 4), 0);
    EXPECT_EQ(num::Cnk(4, -1), 0);
    EXPECT_EQ(num::Fact(0), 1);
    EXPECT_EQ(num::Fact(10), 3628800);
    EXPECT_EQ(num::Mod(-7, 3), -1);
    EXPECT_EQ(num::Mod(7, 0), 0);
    EXPECT_EQ(num::Mod(INT32_MIN, -1), 0);
}

TEST(Numeric, AGainCountsOnlyBeyondATieOfTheLargerMagnitude) {
    const double d = 0.572357121276666;  // a criterion and its value along another summation order
    EXPECT_FALSE(num::ExceedsBeyondTie(std::nextafter(d, 1.0), d));
    EXPECT_FALSE(num::ExceedsBeyondTie(d, d));
    EXPECT_TRUE(num::ExceedsBeyondTie(d + 1e-9, d));
    EXPECT_FALSE(num::ExceedsBeyondTie(d, d + 1e-9));
    // The share is of the larger magnitude: 1e-9 apart is a tie at 1e4, a gain at 1.
    EXPECT_FALSE(num::ExceedsBeyondTie(1e4 + 1e-9, 1e4));
    EXPECT_TRUE(num::ExceedsBeyondTie(-1.0 + 1e-9, -1.0));
    // Any design beats one that cannot be scored, and that one beats nothing.
    EXPECT_TRUE(num::ExceedsBeyondTie(1e-6, num::kNoValue));
    EXPECT_FALSE(num::ExceedsBeyondTie(num::kNoValue, num::kNoValue));
}

TEST(Numeric, WholeNumberTestsRoundingAndPowers) {
    EXPECT_EQ(num::IsEven(4), -1);
    EXPECT_EQ(num::IsEven(3), 0);
    EXPECT_EQ(num::IsLong(-3), -1);
    EXPECT_EQ(num::IsLong(0.1), 0);
    EXPECT_EQ(num::IsLong(HUGE_VAL), 0);
    EXPECT_EQ(num::Int05c(22.07, 0), 22);
    EXPECT_EQ(num::Int05c(2.5, 0), 3);
    EXPECT_EQ(num::Int05c(-2.5, 0), -3);
    EXPECT_EQ(num::IntPower(3, 4), 81);
    EXPECT_EQ(num::IntPower(2, 0), 1);
    EXPECT_EQ(num::IntPower(2, -2), 0.25);
    EXPECT_EQ(num::IntPower(2, 31), 2147483648.0);
}

TEST(Clock, ReadsLocalTimeAsAnAutomationDate) {
    // In a zone 5 h 30 min east of UTC without daylight saving the reading is the Unix time plus 19800 s,
    // in days from 30 December 1899 (1 January 1970 is day 25569). No other test here reads local time.
    static char zone[] = "TZ=VXT-05:30";
    putenv(zone);
    tzset();
    double buffer = 0;
    EXPECT_EQ(COleDateTimeGetCurrentTime(&buffer), &buffer);
    EXPECT_NEAR(buffer, 25569.0 + (static_cast<double>(std::time(nullptr)) + 19800.0) / 86400.0, 1 / 1440.0);
}

}  // namespace
