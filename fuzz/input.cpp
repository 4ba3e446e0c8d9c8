#include "fuzz/input.h"

#include <array>
#include <bit>
#include <cfloat>
#include <cmath>
#include <limits>

namespace vxfuzz {

namespace {

template <class T, std::size_t N>
T pick(FuzzedDataProvider& p, const std::array<T, N>& palette) {
    return palette[p.ConsumeIntegralInRange<std::size_t>(0, N - 1)];
}

constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

constexpr std::array<int32_t, 20> kHostileCounts{0,      -1,       kMin,     kMax,        kMax - 1,    kMin + 1, 65536,
                                                 100000, 1 << 20,  46341,    -100,        2047,        65535,    200,
                                                 46340,  1 << 22,  500,      501,         1000000000,  -1000000000};
// The edges every count is tried at on a route of its own: the ends of the
// 32-bit range, the values beside zero, and the two sides of the square
// root of INT32_MAX, where a product of two counts starts to overflow.
constexpr std::array<int32_t, 7> kEdgeCounts{0, 1, -1, kMax, kMin, 46340, 46341};
constexpr std::array<int32_t, 12> kHostileSeeds{0, 1, -1, kMax, kMin, kMin + 1, kMax - 1, 2147483646, 16807, 42, -42,
                                                127773};
constexpr std::array<int16_t, 8> kFlags{0, -1, 0, -1, 1, 2, 32767, -32768};

const std::array<std::u16string, 12> kTexts{u"",  u"A",     u"B",     u"C",         u"Std", std::u16string(u"A\0B", 3),
                                            u"a", u"StdOrd", u"Run", std::u16string(1, u'\0'), u"D", u"\xD800"};

}  // namespace

int32_t Input::integer(IntKind kind) {
    const uint8_t route = p_.ConsumeIntegral<uint8_t>();
    switch (kind) {
        case IntKind::count:
            if (route < 64) return pick(p_, kEdgeCounts);  // a quarter of all counts
            if (route < 175) return p_.ConsumeIntegralInRange<int32_t>(0, 8);
            if (route < 215) return p_.ConsumeIntegralInRange<int32_t>(0, 64);
            if (route < 245) return pick(p_, kHostileCounts);
            return p_.ConsumeIntegral<int32_t>();
        case IntKind::level:
            if (route < 200) return p_.ConsumeIntegralInRange<int32_t>(-1, 9);
            if (route < 235) return pick(p_, kHostileCounts);
            return p_.ConsumeIntegral<int32_t>();
        case IntKind::seed:
            if (route < 160) return pick(p_, kHostileSeeds);
            return p_.ConsumeIntegral<int32_t>();
        case IntKind::any:
            break;
    }
    return p_.ConsumeIntegral<int32_t>();
}

double Input::real() {
    static const std::array<double, 20> palette{0.0,
                                                -0.0,
                                                1.0,
                                                -1.0,
                                                0.5,
                                                2.0,
                                                std::numeric_limits<double>::quiet_NaN(),
                                                std::numeric_limits<double>::infinity(),
                                                -std::numeric_limits<double>::infinity(),
                                                DBL_MAX,
                                                -DBL_MAX,
                                                -1.79769313486231e308,
                                                1.79769313486231e308,
                                                std::numeric_limits<double>::denorm_min(),
                                                DBL_MIN,
                                                1e300,
                                                -1e-300,
                                                2147483648.0,
                                                -2147483649.0,
                                                10.0};
    const uint8_t route = p_.ConsumeIntegral<uint8_t>();
    if (route < 110) return static_cast<double>(p_.ConsumeIntegralInRange<int32_t>(-10, 10));
    if (route < 200) return pick(p_, palette);
    if (route < 230) return p_.ConsumeFloatingPointInRange<double>(-100.0, 100.0);
    return std::bit_cast<double>(p_.ConsumeIntegral<uint64_t>());
}

int16_t Input::flag() {
    const uint8_t route = p_.ConsumeIntegral<uint8_t>();
    if (route < 230) return pick(p_, kFlags);
    return p_.ConsumeIntegral<int16_t>();
}

double Input::seconds() {
    static const std::array<double, 8> palette{0.0,  1e-4, 1e-3, 1e-3, -1.0, std::numeric_limits<double>::quiet_NaN(),
                                               -std::numeric_limits<double>::infinity(), 2e-3};
    return pick(p_, palette);
}

std::u16string Input::text(bool& isNull) {
    const uint8_t route = p_.ConsumeIntegral<uint8_t>();
    isNull = route < 20;
    if (isNull) return {};
    if (route < 230) return pick(p_, kTexts);
    std::u16string s(p_.ConsumeIntegralInRange<std::size_t>(0, 12), u'\0');
    for (auto& c : s) c = p_.ConsumeIntegral<char16_t>();
    return s;
}

}  // namespace vxfuzz
