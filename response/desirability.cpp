#include "response/desirability.h"
#include "services/counting.h"

#include "services/matrix_ops.h"
#include "services/numeric.h"

#include <cmath>

namespace {

// Goal codes, compared with the truncated double the host passes.
constexpr double kSmallerIsBetter = 0;
constexpr double kTargetRange = 1;
constexpr double kLargerIsBetter = 2;

// What one response asks for.
struct ResponseGoal {
    double code;  // the goal, truncated toward zero
    double lower, leftTarget, rightTarget, upper;
    bool shapeRising, shapeFalling;
    double s, t;

    // Climbs from 0 at Lower to 1 at LeftTarget.
    double rising(double y) const {
        const double d = (y - lower) / (leftTarget - lower);
        return shapeRising ? num::pow(d, s) : d;
    }
    // Falls from 1 at RightTarget to 0 at Upper.
    double falling(double y) const {
        const double d = (upper - y) / (upper - rightTarget);
        return shapeFalling ? num::pow(d, t) : d;
    }

    // A value outside every range of the goal (and NaN) is worth nothing.
    double desirability(double y) const {
        if (code == kSmallerIsBetter) {
            if (y < rightTarget) return 1.0;
            if (y >= rightTarget && y < upper) return falling(y);
        } else if (code == kLargerIsBetter) {
            // Lower is tested first: a value at Lower is worth nothing even
            // when LeftTarget coincides with it.
            if (y <= lower) return 0.0;
            if (y < leftTarget) return rising(y);
            if (y >= leftTarget) return 1.0;
        } else if (code == kTargetRange) {
            // As for larger-is-better, Lower is tested first: both goals
            // give 0 at y = Lower = LeftTarget.
            if (y <= lower) return 0.0;
            if (y < leftTarget) return rising(y);
            if (y >= leftTarget && y <= rightTarget) return 1.0;
            if (y > rightTarget && y < upper) return falling(y);
        }
        return 0.0;
    }
};

}  // namespace

void Ymulticrit(matrix* Y, int n, int nRes, matrix* Goal, matrix* Lower, matrix* LeftTarget, matrix* RightTarget,
                matrix* Upper, short IsSpara, short IstPara, short isweight, matrix* spara, matrix* tpara,
                matrix* weight, matrix* Yagg) {
    // The product starts at 1 in the caller's own container: replacing it
    // would leave the caller holding a freed one.
    // The runs Yagg holds bound the work: with none (a huge nRes beside no
    // run, say) there is nothing to write.
    const int runs = rowsHeld(Yagg, n);
    if (runs == 0) return;
    for (int i : oneTo(runs)) Yagg->vbset(i, 1, 1.0);
    const bool weighted = isweight == -1;
    for (int j : oneTo(nRes)) {
        const ResponseGoal goal{std::trunc(Goal->vbget(j)),
                                Lower->vbget(j),
                                LeftTarget->vbget(j),
                                RightTarget->vbget(j),
                                Upper->vbget(j),
                                IsSpara == -1,
                                IstPara == -1,
                                spara->vbget(j),
                                tpara->vbget(j)};
        for (int i : oneTo(runs)) {
            double d = goal.desirability(Y->vbget(i, j));
            if (weighted) d = num::pow(d, weight->vbget(j));
            Yagg->vbset(i, 1, Yagg->vbget(i, 1) * d);
        }
    }
    const double totalWeight = weighted ? V_Sum2(weight, nRes) : nRes;
    for (int i : oneTo(runs)) Yagg->vbset(i, 1, num::pow(Yagg->vbget(i, 1), 1.0 / totalWeight));
}
