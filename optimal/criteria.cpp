#include "optimal/criteria.h"

#include "services/scratch.h"
#include "services/matrix_ops.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <numeric>
#include <vector>

namespace optimal {

Route routeOf(short accelerate, short DoChol, int n, short flag) {
    if (n > 1 && accelerate == kFalse && DoChol == kTrue) return Route::ThroughL;
    if (n > 1 && accelerate == kTrue && flag == kFalse) return Route::ThroughV;
    return Route::Full;
}

void GramOfRows(const matrix* X, int n, int p, matrix*& M) {
    if (n < 1) return matCheck(M, p, p, 0.0);
    Scratch<matrix> rows;
    M_CopyBlock(X, 1, n, 1, p, rows.p);
    M_ProductTrAA(rows, M);
}

double CriterionOf(const matrix* M, int icrit, bool* singular) {
    if (icrit == kDeterminant) return M_Determinant(M, singular);
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

namespace {
double magnitude(double a, double b, Scale s) {
    const double m = std::max(std::fabs(a), std::fabs(b));
    return s == Scale::Log10 ? std::max(1.0, m) : m;
}
}  // namespace

bool Tied(double a, double b, Scale s) { return std::fabs(a - b) <= kTieTolerance * magnitude(a, b, s); }

bool Exceeds(double a, double b, Scale s) {
    return s == Scale::Relative ? num::ExceedsBeyondTie(a, b) : a - b > kTieTolerance * magnitude(a, b, s);
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

void RidgeInverse(const matrix* X, int n, int p, matrix* W) {
    // An orthonormal basis Q of the rows' span (Gram-Schmidt, each row
    // orthogonalised twice; a row left with almost nothing lies in the span).
    std::vector<std::vector<double>> Q;
    for (int i = 1; i <= n; ++i) {
        std::vector<double> v(static_cast<std::size_t>(p));
        for (int c = 1; c <= p; ++c) v[c - 1] = X->vbget(i, c);
        const double before = std::sqrt(std::inner_product(v.begin(), v.end(), v.begin(), 0.0));
        for (int twice = 0; twice < 2; ++twice)
            for (const auto& q : Q) {
                const double t = std::inner_product(q.begin(), q.end(), v.begin(), 0.0);
                for (int c = 0; c < p; ++c) v[c] -= t * q[c];
            }
        const double after = std::sqrt(std::inner_product(v.begin(), v.end(), v.begin(), 0.0));
        if (!(after > 1e-8 * before)) continue;
        for (double& e : v) e /= after;
        Q.push_back(std::move(v));
    }
    // X'X = Q S Q' with S = (XQ)'(XQ), so the inverse splits into
    // Q (S + ridge)^-1 Q' on the span and (I - QQ') / ridge off it.
    const int k = static_cast<int>(Q.size());
    std::vector<double> Y(static_cast<std::size_t>(n) * k, 0.0);
    for (int i = 1; i <= n; ++i)
        for (int a = 0; a < k; ++a) {
            double s = 0.0;
            for (int c = 1; c <= p; ++c) s += X->vbget(i, c) * Q[a][c - 1];
            Y[static_cast<std::size_t>(i - 1) * k + a] = s;
        }
    matrix S(std::max(k, 1), std::max(k, 1), 0.0);
    for (int a = 0; a < k; ++a)
        for (int b = 0; b < k; ++b) {
            double s = a == b ? kRidge : 0.0;
            for (int i = 0; i < n; ++i) s += Y[static_cast<std::size_t>(i) * k + a] * Y[static_cast<std::size_t>(i) * k + b];
            S.vbset(a + 1, b + 1, s);
        }
    Scratch<matrix> Si;
    if (k > 0) inverse1(&S, Si.p, 0.0, static_cast<short*>(nullptr));
    std::vector<double> QSi(static_cast<std::size_t>(p) * k, 0.0);  // Q (S + ridge)^-1, row r at r * k
    for (int r = 0; r < p; ++r)
        for (int b = 0; b < k; ++b)
            for (int a = 0; a < k; ++a) QSi[static_cast<std::size_t>(r) * k + b] += Q[a][r] * Si->vbget(a + 1, b + 1);
    for (int r = 0; r < p; ++r)
        for (int c = 0; c < p; ++c) {
            double on = 0.0, projector = 0.0;
            for (int a = 0; a < k; ++a) {
                projector += Q[a][r] * Q[a][c];
                on += QSi[static_cast<std::size_t>(r) * k + a] * Q[a][c];
            }
            W->vbset(r + 1, c + 1, on + ((r == c ? 1.0 : 0.0) - projector) / kRidge);
        }
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
    Scratch<matrix> M;
    GramOfRows(X, n, p, M.p);
    *out = RegularisedCriterion(M, icrit, *flag);
}

}  // namespace

double VerifyCritval(matrix* X, int n, int p, int icrit) {
    Scratch<matrix> M;
    GramOfRows(X, n, p, M.p);
    bool singular = false;
    return CriterionOf(M, icrit == kDeterminant ? kDeterminant : kLog10Determinant, &singular);
}

void CalcCrit(int icrit, short accelerate, short DoChol, matrix* X, int p, int n, matrix* V, matrix* critvalopt,
              double* crit, short* flag, matrix* L) {
    if (!IsCriterion(icrit)) return;
    const Route route = routeOf(accelerate, DoChol, n, *flag);
    if (route == Route::Full) return fullEvaluation(X, n, p, icrit, crit, flag);
    const auto x = rowOf(X, n, p);
    if (route == Route::ThroughL) {
        const double d = VarianceThroughL(L, x.get(), p);
        *crit = icrit == kDeterminant ? d : num::Log10(d);
        return;
    }
    const double q = M_ProductTrVBV(x.get(), V);
    const double previous = critvalopt->vbget(n - 1, 1);
    if (!(q > 0.0))
        *crit -= 1.0;
    else
        *crit = icrit == kDeterminant ? (q + 1.0) * previous : num::Log10(q + 1.0) + previous;
}

void CalcCritDelta(int icrit, short accelerate, short DoChol, matrix* X, int p, int n, matrix* V, double* out,
                   short* flag, matrix* L, short useCand, matrix* cand) {
    if (!IsCriterion(icrit)) return;
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
    return icrit == kDeterminant ? r * crit : num::Log10(r) + crit;
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
