#include "boundary/frame.h"

#include <gtest/gtest.h>

#include <new>

namespace {

// Flags travel as 16-bit values; in-place containers write at once.
TEST(Frame, CopiesBackWhateverTheCoreReturnedAndOnlyMarkedContainers) {
    double kept[2] = {1, 2}, returned[2] = {1, 2}, host[2] = {0, 0};
    int32_t keptInts[2] = {1, 2};
    VARIANT_BOOL flags[2] = {0, -1};
    const int32_t r = boundary::enter<int32_t>(VX_E_INTERNAL, [&](boundary::Frame& f) {
        f.copy(2, 1, kept)->vbset(1, 10);
        f.copy(2, 1, keptInts)->vbset(2, 20);
        f.back(2, 1, returned)->vbset(1, 10);
        matrix* m = f.backFlags(2, 1, flags);
        m->vbset(1, m->vbget(2));
        m->vbset(2, 0.0);
        f.inPlace(2, 1, host)->vbset(2, 5);
        EXPECT_EQ(host[1], 5);
        return -2;
    });
    EXPECT_EQ(r, -2);
    EXPECT_EQ(kept[0], 1) << "a container that is not copied back leaves the host untouched";
    EXPECT_EQ(keptInts[1], 2);
    EXPECT_EQ(returned[0], 10);
    EXPECT_EQ(flags[0], -1);
    EXPECT_EQ(flags[1], 0);
}

TEST(Frame, ExceptionsStopAtTheBoundaryAndLeaveHostArraysAsTheyWere) {
    double plan[3] = {1, 2, 3};
    BSTR names[1] = {nullptr};
    const int32_t r = boundary::enter<int32_t>(VX_E_INTERNAL, [&](boundary::Frame& f) -> int32_t {
        f.back(3, 1, plan)->vbset(2, 20);
        f.back(1, 1, names)->vbset(1, u"x");
        throw std::bad_alloc();
    });
    EXPECT_EQ(r, VX_E_INTERNAL);
    EXPECT_EQ(plan[1], 2);
    EXPECT_EQ(names[0], nullptr);

    boundary::enter([&](boundary::Frame& f) {
        f.back(3, 1, plan)->vbset(3, 30);
        throw 42;
    });
    EXPECT_EQ(plan[2], 3);
}

}  // namespace
