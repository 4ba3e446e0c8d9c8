#include "services/bstr.h"
#include "services/counting.h"
#include "services/matrix.h"
#include "services/matrix3d.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <tuple>
#include <memory>
#include <vector>

namespace {

// OLECHAR is char16_t here and wchar_t (also 16 bits) on Windows.
const OLECHAR* ole(const char16_t* s) { return reinterpret_cast<const OLECHAR*>(s); }

TEST(Containers, ColumnMajorOneBasedStorageCopiedOrInPlace) {
    double host[6] = {1, 2, 3, 4, 5, 6};  // 3 x 2
    matrix m(3, 2, host, false);
    EXPECT_EQ(m.vbget(3, 1), 3);
    EXPECT_EQ(m.vbget(1, 2), 4);
    EXPECT_EQ(m.vbget(5), 5);  // flat access in storage order
    m.vbset(2, 2, 50);
    EXPECT_EQ(host[4], 5) << "a copy must not touch the host";
    // In place, writes reach the host and the host's memory survives the container.
    double shared[4] = {1, 2, 3, 4};
    {
        auto inPlace = std::make_unique<matrix>(2, 2, shared, true);
        inPlace->vbset(2, 2, 40);
        inPlace->vbset(3, 1, 99);  // outside: skipped
    }
    EXPECT_EQ(shared[3], 40);
    EXPECT_EQ(shared[2], 3);
}

TEST(Containers, TwoIndexAccessIsBoundedByRowsAndColumnsSeparately) {
    matrix m(3, 2, 7.0);
    // Row 4 of column 1 would be element 4 (row 1 of column 2) if only the
    // element count bounded the access.
    EXPECT_EQ(m.vbget(4, 1), -1.0);
    m.vbset(4, 1, 99);
    EXPECT_EQ(m.vbget(1, 2), 7.0);
    EXPECT_EQ(m.vbget(0, 1), -1.0);
    EXPECT_EQ(m.vbget(1, 3), -1.0);
    EXPECT_EQ(m.vbget(1, 0), -1.0);
    matrixInt mi(2, 2, 5);
    EXPECT_EQ(mi.vbget(3, 1), -1);
    mi.vbset(-1, 1, 9);
    mi.vbset(1, -1, 9);
    // Every int is an index to test: INT32_MIN once overflowed the check.
    for (int bad : {INT32_MIN, INT32_MAX}) {
        mi.vbset(bad, 1, 9);
        mi.vbset(bad, 9);
        EXPECT_EQ(m.vbget(1, bad), -1.0);
        EXPECT_EQ(m.vbget(bad), -1.0);
        Smatrix sm(1, 1);
        sm.vbset(bad, 1, u"x");
        sm.vbset(bad, u"x");
        EXPECT_EQ(sm.vbget(1, bad), u"");
        EXPECT_EQ(sm.vbget(bad), u"");
    }
    for (int i = 1; i <= 4; ++i) EXPECT_EQ(mi.vbget(i), 5);
    // Flat access is bounded by the element count.
    matrixInt f(2, 3, 1);
    EXPECT_EQ(f.vbget(6), 1);
    EXPECT_EQ(f.vbget(7), -1);
    EXPECT_EQ(f.vbget(0), -1);
    f.vbset(7, 4);
    f.vbset(0, 4);
    for (int i = 1; i <= 6; ++i) EXPECT_EQ(f.vbget(i), 1);
}

TEST(Containers, EmptyForZeroOrNegativeSizes) {
    for (auto [r, c] : {std::pair{0, 3}, {3, 0}, {-2, 4}, {4, -2}, {-1, -1}}) {
        matrix m(r, c, 1.0);
        EXPECT_EQ(m.count(), 0);
        EXPECT_EQ(m.rows(), 0);
        EXPECT_EQ(m.vbget(1, 1), -1.0);
        m.vbset(1, 1, 3);
        Smatrix s(r, c);
        EXPECT_TRUE(s.rows() == 0 && s.cols() == 0);
    }
    matrix inPlaceOnNull(3, 3, static_cast<double*>(nullptr), true);
    EXPECT_EQ(inPlaceOnNull.count(), 0);
}

TEST(Containers, IndexRangeRunsOneToNAndEndsAfterInt32Max) {
    std::vector<int> seen;
    for (int i : oneTo(3)) seen.push_back(i);
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3}));
    for (int n : {0, -1, INT32_MIN}) EXPECT_FALSE(oneTo(n).begin() != oneTo(n).end()) << n;
    // The step after index INT32_MAX is the end, not INT32_MIN.
    const oneTo all(INT32_MAX);
    oneTo::iterator last(INT32_MAX);
    EXPECT_EQ(*last, INT32_MAX);
    EXPECT_TRUE(last != all.end());
    EXPECT_FALSE(++last != all.end());
}

TEST(Containers, CopyBetweenContainersAndKindsWithSixteenBitFlagsRoundTripping) {
    short flags[3] = {-1, 0, 1};
    matrix m(3, 1, flags);
    EXPECT_EQ(m.vbget(1), -1.0);
    EXPECT_EQ(m.vbget(3), 1.0);
    m.vbset(2, -1.0);
    short back[3] = {};
    m.copyMatTo(back);
    EXPECT_EQ(std::vector<short>(back, back + 3), (std::vector<short>{-1, -1, 1}));
    matrixInt a(2, 2, 3);
    matrix b(2, 2, 0.0);
    a.copyMatTo(&b);
    EXPECT_EQ(b.vbget(2, 2), 3.0);
    int ints[4] = {};
    b.copyMatTo(ints);
    EXPECT_EQ(ints[3], 3);
    matrix* ref = nullptr;
    matCheck(ref, 2, 3, 1.5);
    ASSERT_NE(ref, nullptr);
    EXPECT_EQ(ref->vbget(2, 3), 1.5);
    matCheck(ref, 2, 3, 0.0);
    EXPECT_EQ(ref->vbget(2, 3), 0.0);
    for (auto [r, c] : {std::pair{3, 3}, {3, 4}}) {  // another shape, one dimension changed at a time
        matCheck(ref, r, c, 2.0);
        EXPECT_TRUE(ref->rows() == r && ref->cols() == c && ref->vbget(r, c) == 2.0) << r << " x " << c;
    }
    delete ref;
}

TEST(Containers, ThreeWayArraysTruncateGuardAndShareTheirSlices) {
    matrix3D<matrixInt> a(2, 2, 3, 7.9);
    ASSERT_EQ(a.count, 2);
    EXPECT_EQ(a.slices[1]->rows() * a.slices[1]->cols(), 6);
    a.vbset(1, 6, -3.7);
    EXPECT_EQ(a.slices[0]->vbget(6), -3) << "truncated toward zero";
    // No slice 0 or 3, no element 7, and values an int cannot hold: ignored.
    for (const auto& [slice, i, v] : {std::tuple{0, 1, 5.0}, {3, 1, 5.0}, {2, 7, 5.0}, {2, 1, NAN}, {2, 1, 2147483648.0}})
        a.vbset(slice, i, v);
    for (int i = 1; i <= 5; ++i) EXPECT_EQ(a.slices[1]->vbget(i), 7);
    a.vbset(2, 6, -2147483647.0);
    EXPECT_EQ(a.slices[1]->vbget(6), -2147483647) << "the last slice and the int range's edge";
    for (double v : {double(NAN), 2147483648.0}) EXPECT_EQ(matrix3D<matrixInt>(1, 1, 1, v).slices[0]->vbget(1), 0);
    EXPECT_EQ(matrix3D<matrixInt>(0, 2, 2, 1).slices, nullptr);
    {
        matrix3D<matrixInt> b(1, 1, 1, 0);
        b = a;
        b = b;
        EXPECT_EQ(b.slices, a.slices);
        EXPECT_EQ(b.count, 2);
    }
    EXPECT_EQ(a.slices[1]->vbget(2), 7) << "the slices outlive the array that shared them";
}

TEST(Strings, BstrLayoutNullRulesAndColumnMajorBoundedCellsWithCopyBack) {
    BSTR s = SysAllocString(ole(u"abc"));
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(SysStringLen(s), 3u);
    uint32_t bytes;
    std::memcpy(&bytes, reinterpret_cast<char*>(s) - 4, 4);
    EXPECT_EQ(bytes, 6u) << "a byte count precedes the characters";
    EXPECT_EQ(s[3], 0) << "a zero character follows the last";
    BSTR embedded = SysAllocStringLen(ole(u"a\0b"), 3);
    EXPECT_EQ(bstrToString(embedded), std::u16string(u"a\0b", 3));
    BSTR zeroed = SysAllocStringLen(nullptr, 2), empty = SysAllocString(ole(u""));
#ifndef _WIN32  // Windows leaves a string without a source uninitialised; ours starts zeroed
    EXPECT_EQ(bstrToString(zeroed), std::u16string(2, u'\0'));
#endif
    EXPECT_EQ(SysStringLen(empty), 0u);
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    // 2147483645 characters with the prefix and the terminator need 2^32 bytes.
    EXPECT_EQ(SysAllocStringLen(nullptr, 2147483645u), nullptr);
    EXPECT_EQ(bstrToString(nullptr), u"");
    SysFreeString(nullptr);
    SysFreeString(s);
    for (BSTR b : {embedded, zeroed, empty}) SysFreeString(b);
    // 2 x 3 from the host, column-major: a c e / b d f, with e a null BSTR.
    BSTR host[6] = {SysAllocString(ole(u"a")), SysAllocString(ole(u"b")), SysAllocString(ole(u"c")),
                    SysAllocString(ole(u"d")), nullptr, SysAllocString(ole(u"old"))};
    Smatrix m(2, 3, host);
    EXPECT_EQ(m.vbget(2, 1), u"b");
    EXPECT_EQ(m.vbget(2, 2), u"d");
    EXPECT_EQ(m.vbget(1, 3), u"") << "a null BSTR reads as empty";
    m.vbset(2, 3, u"new");
    EXPECT_EQ(m.vbget(6), u"new") << "the last cell by its flat index";
    m.vbset(3, 1, u"lost");
    m.vbset(7, u"lost");
    m.copyMatTo(host);
    EXPECT_EQ(bstrToString(host[0]) + bstrToString(host[5]), u"anew");
    ASSERT_NE(host[4], nullptr) << "the host owns a string in every cell afterwards";
    EXPECT_EQ(SysStringLen(host[4]), 0u);
    for (BSTR b : host) SysFreeString(b);
    Smatrix two(2, 1);  // into a smaller container, as far as it reaches
    m.copyMatTo(&two);
    EXPECT_EQ(two.vbget(1) + two.vbget(2), u"ab");
    Smatrix one(1, 1);
    one.vbset(1, u"r");
    EXPECT_EQ(one.vbget(1, 1), u"r") << "a single cell is a container too";
}

}  // namespace
