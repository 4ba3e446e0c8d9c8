#include "optimal/information_updates.h"

#include "optimal/criteria.h"
#include "services/matrix_ops.h"
#include "services/numeric.h"
#include "services/scratch.h"

#include <memory>

using namespace optimal;

namespace {

constexpr double kInversionTolerance = 1e-6;
constexpr double kLog10DetFloor = -700.0;

// Results are computed into scratch containers and copied into the
// caller's, which keep their identity (the host's arrays stand behind them).
void storeInto(const Scratch<matrix>& scratch, matrix* target) { scratch->copyMatTo(target); }

bool tooSingularToInvert(int icrit, double crit, bool singular) {
    return icrit == kDeterminant ? (crit == 0.0 || singular) : crit <= kLog10DetFloor;
}

void invertInto(const matrix* M, int p, matrix* V, short* flag) {
    Scratch<matrix> inverse;
    short failed = kFalse;
    *flag = kFalse;
    inverse1(M, inverse.p, kInversionTolerance, &failed);
    if (failed == kTrue) {
        M_InvGeneralized(M, p, inverse.p, kInversionTolerance);
        *flag = kTrue;
    }
    storeInto(inverse, V);
}

void factorInto(matrix* M, int p, matrix* L, short* flag) {
    Scratch<matrix> factor;
    M_CholDecomp(M, factor.p);
    if (!M_DiagNotNull(factor, p)) {
        M_AddDelta2(M, p, kRidge);
        M_CholDecomp(M, factor.p);
        *flag = kTrue;
    }
    storeInto(factor, L);
}

bool guarded(double a, double r) { return a == kSingular || a == kSingularTwin || r == kSingular || r >= 1.0; }

}  // namespace

void UpdateDelta(int icrit, short DoChol, matrix* X, int p, int n, matrix* V, double* crit, short* flag, matrix* L) {
    Scratch<matrix> M;
    if (IsCriterion(icrit) && *flag != kFalse) {
        GramOfRows(X, n, p, M.p);
        bool singular = false;
        *crit = CriterionOf(M, icrit, &singular);
        if (*crit < kSingularBelow) {
            singular = true;
            *crit = kSingular;
        }
        if (!tooSingularToInvert(icrit, *crit, singular)) invertInto(M, p, V, flag);
    }
    if (DoChol == kTrue) {
        if (*flag == kFalse || M.p == nullptr) GramOfRows(X, n, p, M.p);
        factorInto(M, p, L, flag);
    }
}

void UpdateV(matrix* X, int n, int p, matrix* V, matrix* W, short accelerate, short /*flag*/, short add, short DoChol,
             matrix* L) {
    if (n < 1) return;
    auto x = std::make_unique<matrix>(p, 1, 0.0);
    for (int c = 1; c <= p; ++c) x->vbset(c, 1, X->vbget(n, c));
    if (accelerate == kTrue) {
        const double q = M_ProductTrVBV(x.get(), V);
        const double s = add == kTrue ? -1.0 / (1.0 + q) : 1.0 / (1.0 - q);
        Scratch<matrix> u, uu, sum;
        M_ProductBV(V, x.get(), u.p);
        M_ProductATrA(u, uu.p);
        M_Sums1As2B(1.0, V, s, uu, sum.p);
        storeInto(sum, W);
    }
    if (DoChol == kTrue) M_CholDecompUpdate(L, p, x.get(), add);
}

void M_CholDecompUpdate(matrix* L, int p, matrix* x, short add) {
    const double sigma = add == kTrue ? 1.0 : -1.0;
    auto N = std::make_unique<matrix>(p, p, 0.0);
    auto sq = [](double v) { return num::pow(v, 2); };
    for (int j = 1; j <= p; ++j) {
        double d = sq(L->vbget(j, j)) + sigma * sq(x->vbget(j, 1));
        for (int k = 1; k < j; ++k) d += sq(L->vbget(j, k)) - sq(N->vbget(j, k));
        const double njj = num::sqr(d);
        N->vbset(j, j, njj);
        for (int i = j + 1; i <= p; ++i) {
            double a = L->vbget(j, j) * L->vbget(i, j), b = 0.0;
            for (int k = 1; k < j; ++k) a += L->vbget(i, k) * L->vbget(j, k);
            for (int k = 1; k < j; ++k) b += N->vbget(i, k) * N->vbget(j, k);
            N->vbset(i, j, (a + sigma * x->vbget(i, 1) * x->vbget(j, 1) - b) / njj);
        }
    }
    N->copyMatTo(L);
}

short M_DiagNotNull(matrix* M, int n) {
    for (int i = 1; i <= n; ++i)
        if (M->vbget(i, i) == 0.0) return kFalse;
    return kTrue;
}

double federovDelta(double dAdd, double dRem) {
    if (guarded(dAdd, dRem)) return 0.0;
    return (1.0 - dRem) * (1.0 + dAdd) - 1.0;
}

double federovDelta2(double dAdd1, double dRem1, double dAdd2, double dRem2) {
    if (dRem1 == kSingular || dRem1 >= 1.0 || guarded(dAdd2, dRem2)) return 0.0;
    return (1.0 - dRem1) * ((1.0 + dAdd1) * (1.0 + dAdd2) * (1.0 - dRem2)) - 1.0;
}

double federovDelta3(double dAdd1, double dRem1, double dAdd2, double dRem2, double dAdd3, double dRem3) {
    if (dRem1 == kSingular || dRem1 >= 1.0 || guarded(dAdd2, dRem2) || guarded(dAdd3, dRem3)) return 0.0;
    return (1.0 + dAdd1) * (1.0 + dAdd2) * (1.0 + dAdd3) * (1.0 - dRem3) * (1.0 - dRem2) * (1.0 - dRem1) - 1.0;
}
