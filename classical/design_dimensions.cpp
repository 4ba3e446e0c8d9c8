#include "classical/design_dimensions.h"

#include "services/numeric.h"

#include <climits>
#include <cmath>

namespace rsm {

int SaturatedInt(double x) {
    if (std::isnan(x)) return 0;
    if (x >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (x <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(x);
}

int TwoToThe(int k) { return SaturatedInt(num::IntPower(2.0, k)); }
int ThreeToThe(int k) { return SaturatedInt(num::IntPower(3.0, k)); }

namespace {

// k squared through pow, truncated, as the run counts are defined.
double Squared(int k) { return SaturatedInt(num::pow(k, 2)); }

// Centre points that make the variance of a prediction at distance 1 from
// the centre equal to its variance at the centre (uniform precision) for a
// rotatable design with a full 2^k factorial part.
int UniformPrecisionCentres(int k) {
    const double kk = k;
    const double lambda = (kk + 3 + num::sqr(9 * kk * kk + 14 * kk - 7)) / (4 * kk + 8);
    const double v = lambda * num::pow(num::pow(2, 0.5 * kk) + 2, 2) - num::IntPower(2.0, k) - 2 * kk;
    return SaturatedInt(std::floor(v) + 1);
}

}  // namespace

std::optional<int> BaseRunCount(int PlanID, int k, int nCenter) {
    switch (PlanID) {
        case kFactorial3:
            return ThreeToThe(k);
        case kCentralComposite:
            return SaturatedInt(TwoToThe(k) + 2.0 * k + 1 + (nCenter - 1.0));
        case kBoxBehnken:
            return SaturatedInt(2 * (Squared(k) - k) + 1);
        case kDoehlert:
            return SaturatedInt(Squared(k) + k + 1);
        default:
            return std::nullopt;
    }
}

}  // namespace rsm

int PlanDimension(int Mode, int PlanID, int nFac, int nRes, int nCenter, int nRep, int* onplan, int* opplan,
                  int* onblock) {
    if (Mode != rsm::kResponseSurfaceMode) return 0;
    if (PlanID == rsm::kCentralComposite) GetnCenter(Mode, nFac, &nCenter);
    if (const auto runs = rsm::BaseRunCount(PlanID, nFac, nCenter)) *onplan = *runs;
    *onblock = *onplan;
    if (nRep > 1) *onplan = rsm::SaturatedInt(static_cast<double>(*onplan) * nRep);
    *opplan = rsm::SaturatedInt(static_cast<double>(nFac) + nRes + 4);
    return 0;
}

int GetnCenter(int Mode, int nFac, int* nCenter) {
    if (Mode != rsm::kResponseSurfaceMode) {
        *nCenter = 0;
        return 0;
    }
    if (*nCenter != 0) return *nCenter;
    *nCenter = rsm::UniformPrecisionCentres(nFac);
    return *nCenter;
}
