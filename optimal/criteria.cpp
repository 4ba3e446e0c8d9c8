#include "optimal/criteria.h"

#include "services/matrix_ops.h"

#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

namespace optimal {

Route routeOf(short accelerate, short DoChol, int n, short flag) {
    if (n > 1 && accelerate == kFalse && DoChol == kTrue) return Route::ThroughL;
    if (n > 1 && accelerate == kTrue && flag == kFalse) return Route::ThroughV;
    return Route::Full;
}

void GramOfRows(const matrix* X, int n, int p, matrix*& M) {
    if (n < 1) return matCheck(M, p, p, 0.0);
    matrix* rows = nullptr;
    M_CopyBlock(X, 1, n, 1, p, rows);
    M_ProductTrAA(rows, M);
    delete rows;
}

double CriterionOf(const matrix* M, int icrit, bool* singular) {
    if (icrit == 1) return M_Determinant(M, singular);
    const double lnDet = M_LogDeterminant(M, singular);
    return *singular ? kSingular : lnDet / std::numbers::ln10;
}

double RegularisedCriterion(matrix* M, int icrit, short& flag) {
    double c = kSingular;
    bool singular = true;
    if (flag == kFalse) {
        c = CriterionOf(M, icrit, &singular);
        singular = singular || c < kSingularBelow;
    }
    if (c == 0.0 || c == kSingular || singular) {
        M_AddDelta2(M, M->rows(), kRidge);
        flag = kTrue;
        c = CriterionOf(M, icrit, &singular);
    }
    return c;
}

double ExchangeRatio(double dAdd, double dRem) {
    if (dAdd == kSingular || dAdd == kSingularTwin || dRem == kSingular || dRem >= 1.0) return 1.0;
    return 1.0 + ((1.0 - dRem) * (1.0 + dAdd) - 1.0);
}

double VarianceThroughL(const matrix* L, const matrix* x, int p) {
    auto z = std::make_unique<matrix>(p, 1, 0.0);
    M_ResubstiTr(const_cast<matrix*>(L), const_cast<matrix*>(x), p, z.get());
    return V_ProductTrV1V2(z.get(), z.get(), p);
}

void InverseFromFactor(const matrix* L, int p, matrix* W) {
    std::vector<double> z(static_cast<std::size_t>(p));
    for (int k = 1; k <= p; ++k) {
        for (int i = 1; i <= p; ++i) {
            double s = i == k ? 1.0 : 0.0;
            for (int j = 1; j < i; ++j) s -= L->vbget(i, j) * z[j - 1];
            z[i - 1] = s / L->vbget(i, i);
        }
        for (int i = p; i >= 1; --i) {
            double s = z[i - 1];
            for (int j = i + 1; j <= p; ++j) s -= L->vbget(j, i) * W->vbget(j, k);
            W->vbset(i, k, s / L->vbget(i, i));
        }
    }
}

}  // namespace optimal

using namespace optimal;

namespace {

// Row r of X as a p x 1 vector.
std::unique_ptr<matrix> rowOf(const matrix* X, int r, int p) {
    auto x = std::make_unique<matrix>(p, 1, 0.0);
    for (int c = 1; c <= p; ++c) x->vbset(c, 1, X->vbget(r, c));
    return x;
}

void fullEvaluation(const matrix* X, int n, int p, int icrit, double* out, short* flag) {
    matrix* M = nullptr;
    GramOfRows(X, n, p, M);
    *out = RegularisedCriterion(M, icrit, *flag);
    delete M;
}

}  // namespace

double VerifyCritval(matrix* X, int n, int p, int icrit) {
    matrix* M = nullptr;
    GramOfRows(X, n, p, M);
    bool singular = false;
    const double c = CriterionOf(M, icrit == 1 ? 1 : 2, &singular);
    delete M;
    return c;
}

void CalcCrit(int icrit, short accelerate, short DoChol, matrix* X, int p, int n, matrix* V, matrix* critvalopt,
              double* crit, short* flag, matrix* L) {
    if (icrit != 1 && icrit != 2) return;
    const Route route = routeOf(accelerate, DoChol, n, *flag);
    if (route == Route::Full) return fullEvaluation(X, n, p, icrit, crit, flag);
    const auto x = rowOf(X, n, p);
    if (route == Route::ThroughL) {
        const double d = VarianceThroughL(L, x.get(), p);
        *crit = icrit == 1 ? d : num::Log10(d);
        return;
    }
    const double q = M_ProductTrVBV(x.get(), V);
    const double previous = critvalopt->vbget(n - 1, 1);
    if (!(q > 0.0))
        *crit -= 1.0;
    else
        *crit = icrit == 1 ? (q + 1.0) * previous : num::Log10(q + 1.0) + previous;
}

void CalcCritDelta(int icrit, short accelerate, short DoChol, matrix* X, int p, int n, matrix* V, double* out,
                   short* flag, matrix* L, short useCand, matrix* cand) {
    if (icrit != 1 && icrit != 2) return;
    const Route route = routeOf(accelerate, DoChol, n, *flag);
    if (route == Route::Full) return fullEvaluation(X, n, p, icrit, out, flag);
    const auto x = useCand == kTrue ? rowOf(cand, 1, p) : rowOf(X, n, p);
    if (route == Route::ThroughL) {
        *out = VarianceThroughL(L, x.get(), p);
        return;
    }
    const double q = M_ProductTrVBV(x.get(), V);
    *out = q > 0.0 ? q : *out - 1.0;
}

double CalcCritShort(int icrit, double dAdd, double dRem, double crit) {
    const double r = ExchangeRatio(dAdd, dRem);
    return icrit == 1 ? r * crit : num::Log10(r) + crit;
}

void M_AddDelta2(matrix* M, int n, double d) {
    for (int i = 1; i <= n; ++i) M->vbset(i, i, M->vbget(i, i) + d);
}

void M_ResubstiTr(matrix* L, matrix* b, int n, matrix* z) {
    for (int i = 1; i <= n; ++i) {
        double s = b->vbget(i, 1);
        for (int k = 1; k < i; ++k) s -= L->vbget(i, k) * z->vbget(k, 1);
        z->vbset(i, 1, s / L->vbget(i, i));
    }
}

double NormedDet(double Deter, int n, int p) {
    if (Deter == kSingular) return kSingular;
    return (Deter - std::log10(num::pow(n, p))) / p;
}
