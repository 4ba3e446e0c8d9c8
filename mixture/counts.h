// Design sizes and term counts travel to the host as 32-bit ints.
#pragma once

#include <cstdint>

namespace mixture {

// A count outside the 32-bit range: what a 64-bit Windows build's
// double-to-int conversion yields for such values, so the host sees an
// impossible (negative) size rather than a wrapped, plausible-looking one.
inline constexpr int32_t kCountOverflow = INT32_MIN;

// `value` truncated toward zero, or kCountOverflow when it is not a number
// or does not fit in 32 bits.
int32_t truncatedCount(double value);

}  // namespace mixture
