#include "mixture/counts.h"

namespace mixture {

int32_t truncatedCount(double value) {
    // Written so that NaN fails the test too.
    if (!(value > -2147483649.0 && value < 2147483648.0)) return kCountOverflow;
    return static_cast<int32_t>(value);
}

}  // namespace mixture
