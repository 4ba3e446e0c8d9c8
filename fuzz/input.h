// Decoding a fuzz input into adversarial arguments.
//
// Each picker reads a few bytes: mostly a value from a palette of the
// arguments that break code (zero, negative, huge, NaN, infinities, the
// ends of the 32-bit range, flags other than 0 and -1), otherwise raw bits.
// An exhausted input reads as zeros, so every input decodes to a call.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

namespace vxfuzz {

enum class IntKind {
    count,  // a dimension or count: a quarter at the edges (0, +-1, the ends of the range, near its
            // square root), small mostly otherwise, now and then negative or huge
    level,  // an array element: small level codes, sometimes out of range
    seed,   // a seed: the ends of the 32-bit range and the special values
    any,    // anything
};

class Input {
public:
    Input(const uint8_t* data, std::size_t size) : p_(data, size) {}

    int32_t integer(IntKind kind);
    // A count no larger than `cap` in magnitude most of the time: huge
    // values stay possible, the budget then skips the call.
    int32_t count() { return integer(IntKind::count); }
    // A small count in 0..limit, for sizes the decoder keeps cheap.
    int32_t small(int32_t limit) { return p_.ConsumeIntegralInRange<int32_t>(0, limit); }
    double real();
    int16_t flag();
    // A time budget in the host's units: tiny, zero, negative or not a number.
    double seconds();
    // A string from a shared palette (so headers and names meet), with
    // embedded zeros, or null (reported through isNull).
    std::u16string text(bool& isNull);
    uint8_t byte() { return p_.ConsumeIntegral<uint8_t>(); }

private:
    FuzzedDataProvider p_;
};

}  // namespace vxfuzz
