#include "sensory/order_balance.h"

#include "sensory/cooccurrence.h"
#include "services/numeric.h"

#include <algorithm>
#include <cmath>

namespace orders {

namespace {

// Number of judges or positions a loop need visit: cells past the container
// read as -1 and count nothing, so the loop stops at its edge.
int upTo(int stated, int held) { return std::min(stated, held); }

// Mean of |x - ideal| over `cells` counts, as a double.
template <class Counts>
double meanAbsoluteDeviation(Counts counts, double ideal, double cells) {
    double total = 0.0;
    counts([&](int c) { total += std::fabs(c - ideal); });
    return cells > 0 ? total / cells : 0.0;
}

// Smallest mean absolute deviation of N whole counts summing to T from
// their mean m = T / N: e cells at floor(m) + 1, the others at floor(m).
double attainableDeviation(long long N, long long T) {
    if (N <= 0) return 0.0;  // no cells, nothing to deviate
    const double m = static_cast<double>(T) / static_cast<double>(N);
    const double k = std::floor(m);
    const long long e = T - N * static_cast<long long>(k);
    return (static_cast<double>(N - e) * (m - k) + (k + 1 - m) * static_cast<double>(e)) / static_cast<double>(N);
}

}  // namespace

void addOrderCounts(int P, int R, int J, const matrixInt* JRMat, matrixInt* Rmat, matrixInt* Smat) {
    const int judges = upTo(J, JRMat->rows()), positions = upTo(R, JRMat->cols());
    for (int j = 1; j <= judges; ++j)
        for (int r = 1; r <= positions; ++r) {
            const int p = JRMat->vbget(j, r);
            Rmat->vbset(p, r, num::countedOnce(Rmat->vbget(p, r)));
        }
    for (int p = 1; p <= upTo(P, Smat->rows()); ++p) Smat->vbset(p, 1, Rmat->vbget(p, R));
    for (int j = 1; j <= judges; ++j)
        for (int r = 1; r < positions; ++r) {
            const int a = JRMat->vbget(j, r), b = JRMat->vbget(j, r + 1);
            // A cell that holds no product number (0, say) follows nothing:
            // counting it would land in column 1, the last-position counts.
            if (a != b && b >= 1 && b <= P) Smat->vbset(a, b + 1, num::countedOnce(Smat->vbget(a, b + 1)));
        }
}

Sums sumsOfSquares(int P, int R, const matrixInt* Rmat, const matrixInt* Smat) {
    Sums s;
    for (int r = 1; r <= upTo(R, Rmat->cols()); ++r)
        for (int p = 1; p <= upTo(P, Rmat->rows()); ++p)
            s.position += static_cast<long long>(Rmat->vbget(p, r)) * Rmat->vbget(p, r);
    for (int q = 1; q <= upTo(P, Smat->cols() - 1); ++q)
        for (int p = 1; p <= upTo(P, Smat->rows()); ++p)
            if (p != q) s.carryOver += static_cast<long long>(Smat->vbget(p, q + 1)) * Smat->vbget(p, q + 1);
    return s;
}

Sums countOrder(int P, int R, int J, const matrixInt* JRMat, matrixInt*& Rmat, matrixInt*& Smat) {
    matCheck(Rmat, P, R, 0);
    matCheck(Smat, P, carryColumns(P), 0);
    if (JRMat != nullptr) addOrderCounts(P, R, J, JRMat, Rmat, Smat);
    return sumsOfSquares(P, R, Rmat, Smat);
}

Balance balanceOf(int P, int R, int J, matrixInt* Rmat, matrixInt* Smat) {
    Balance b;
    ComputeEAM(P, R, J, Rmat, Smat, &b.positionEAM, &b.carryOverEAM);
    OptimalEAMCompute(P, R, J, &b.positionBound, &b.carryOverBound);
    return b;
}

void writeBalance(const Balance& b, bool markBeyondBound, matrix* MDMat) {
    auto bound = [&](double eam, double limit) {
        return markBeyondBound && eam < limit - 1e-6 ? num::kNoValue : limit;
    };
    MDMat->vbset(1, 1, b.positionEAM);
    MDMat->vbset(2, 1, b.carryOverEAM);
    MDMat->vbset(1, 2, bound(b.positionEAM, b.positionBound));
    MDMat->vbset(2, 2, bound(b.carryOverEAM, b.carryOverBound));
}

void addConcurrences(matrixInt* JPMat, int P, int J, matrix* ConcMat) {
    GetCooccurrenceMat(JPMat, P, 1, J, ConcMat);
    for (int q = 2; q <= upTo(P, ConcMat->cols()); ++q)
        for (int p = 1; p < q; ++p) ConcMat->vbset(p, q, num::kNoValue);
}

}  // namespace orders

void BestOrderCompute(int iP, int iR, int iJ, matrixInt* JRMat, matrixInt*& Rmat, matrixInt*& Smat, double iLambda,
                      int* oPosSS, int* oCarrySS, double* oCrit) {
    const orders::Sums s = orders::countOrder(iP, iR, iJ, JRMat, Rmat, Smat);
    if (oPosSS) *oPosSS = static_cast<int>(s.position);
    if (oCarrySS) *oCarrySS = static_cast<int>(s.carryOver);
    if (oCrit) *oCrit = orders::criterion(s, iLambda);
}

void UpdateCrit(int iR, matrixInt* JRMat, matrixInt* Rmat, matrixInt* Smat, int j, int r1, int r2, int iPosSS,
                int iCarrySS, double iLambda, double* oCrit) {
    if (JRMat == nullptr || Rmat == nullptr || Smat == nullptr || oCrit == nullptr) return;
    const orders::Sums change =
        orders::swapChange(iR, orders::BoundedCounts{Rmat, Smat}, [&](int r) { return JRMat->vbget(j, r); }, r1, r2);
    *oCrit = orders::criterion({iPosSS + change.position, iCarrySS + change.carryOver}, iLambda);
}

void ComputeEAM(int iP, int iR, int iJ, matrixInt* Rmat, matrixInt* Smat, double* oPosEAM, double* oCarryEAM) {
    if (Rmat == nullptr || Smat == nullptr) return;
    const double P = iP;
    if (oPosEAM)
        *oPosEAM = orders::meanAbsoluteDeviation(
            [&](auto visit) {
                for (int r = 1; r <= orders::upTo(iR, Rmat->cols()); ++r)
                    for (int p = 1; p <= orders::upTo(iP, Rmat->rows()); ++p) visit(Rmat->vbget(p, r));
            },
            iJ / P, P * iR);
    if (oCarryEAM)
        *oCarryEAM = iP < 2 ? 0.0
                            : orders::meanAbsoluteDeviation(
                                  [&](auto visit) {
                                      for (int q = 1; q <= orders::upTo(iP, Smat->cols() - 1); ++q)
                                          for (int p = 1; p <= orders::upTo(iP, Smat->rows()); ++p)
                                              if (p != q) visit(Smat->vbget(p, q + 1));
                                  },
                                  (iR - 1.0) * iJ / (P * (P - 1)), P * (P - 1));
}

void OptimalEAMCompute(int iP, int iR, int iJ, double* oPosBound, double* oCarryBound) {
    const long long P = iP, R = iR, J = iJ;
    if (oPosBound) *oPosBound = orders::attainableDeviation(P * R, R * J);
    if (oCarryBound) *oCarryBound = P < 2 ? 0.0 : orders::attainableDeviation(P * (P - 1), (R - 1) * J);
}
