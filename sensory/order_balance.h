// Balance of presentation orders: how often each product comes at each
// position (position counts Rmat, P x R) and how often each product directly
// follows each other one (carry-over counts Smat, P x (P+1), column 1 holding
// the last-position counts), the sums of squares a search minimises, their
// mean absolute deviations from the ideal (EAM) and the smallest EAMs whole
// counts allow.
#pragma once

#include "services/export.h"
#include "services/matrix.h"
#include "services/numeric.h"

// Resizes Rmat to P x R and Smat to P x (P+1), zero-filled, counts the J x R
// order JRMat into them and returns the position and carry-over sums of
// squares and the criterion (1 - lambda) * carry-over + lambda * position.
VX_CORE void BestOrderCompute(int iP, int iR, int iJ, matrixInt* JRMat, matrixInt*& Rmat, matrixInt*& Smat,
                              double iLambda, int* oPosSS, int* oCarrySS, double* oCrit);
// The criterion JRMat would have with positions r1 < r2 of judge j swapped,
// from the counts and sums of JRMat as it stands; changes nothing. Exact for
// orders whose rows hold distinct products.
VX_CORE void UpdateCrit(int iR, matrixInt* JRMat, matrixInt* Rmat, matrixInt* Smat, int j, int r1, int r2,
                        int iPosSS, int iCarrySS, double iLambda, double* oCrit);
// Mean absolute deviations of the counts from J/P (positions) and from
// (R-1)J / (P(P-1)) (carry-over; 0 when P < 2, there being no ordered pair).
VX_CORE void ComputeEAM(int iP, int iR, int iJ, matrixInt* Rmat, matrixInt* Smat, double* oPosEAM,
                        double* oCarryEAM);
// The smallest EAMs whole counts with the same totals can reach (the
// carry-over bound is 0 when P < 2).
VX_CORE void OptimalEAMCompute(int iP, int iR, int iJ, double* oPosBound, double* oCarryBound);

namespace orders {

// Sums of squares, held wide so that large panels cannot overflow them.
struct Sums {
    long long position = 0;
    long long carryOver = 0;
};

inline double criterion(Sums s, double lambda) {
    return (1 - lambda) * static_cast<double>(s.carryOver) + lambda * static_cast<double>(s.position);
}
// Columns of the carry-over counts, P + 1, saturating rather than overflowing.
inline int carryColumns(int P) { return P < 2147483647 ? P + 1 : P; }
// Count reads for the swap score. Bounded reads follow the containers'
// rule (-1 outside); direct reads serve orders known to hold product
// numbers 1..P only, whose cells all lie inside the counts.
struct BoundedCounts {
    const matrixInt* Rmat;
    const matrixInt* Smat;
    long long K(int x, int r) const { return Rmat->vbget(x, r); }
    // Column to + 1; a product number at the top of the int range wraps to
    // a column the bound check reads as outside (-1).
    long long S(int from, int to) const { return Smat->vbget(from, num::wrappedSum(to, 1)); }
};
struct DirectCounts {
    const int* Rmat;  // P x R
    const int* Smat;  // P x (P+1)
    long long P;
    long long K(int x, int r) const { return Rmat[(r - 1) * P + x - 1]; }
    long long S(int from, int to) const { return Smat[to * P + from - 1]; }
};

// The change of both sums when positions r1 < r2 of one judge's order are
// swapped; at(r) reads the product at position r of that order. Each term
// is the exact change of a sum of squares when one count rises by one and
// another falls by one, so the cost is constant.
template <class Counts, class Order>
Sums swapChange(int R, const Counts& counts, Order at, int r1, int r2) {
    auto K = [&](int x, int r) { return counts.K(x, r); };
    auto S = [&](int from, int to) { return counts.S(from, to); };
    // (up + 1)^2 - up^2 + (down - 1)^2 - down^2
    auto moveOne = [](long long up, long long down) { return 2 * (up - down + 1); };
    const int a = at(r1), b = at(r2);
    Sums change;
    // a moves from r1 to r2 and b the other way.
    change.position = moveOne(K(a, r2), K(a, r1)) + moveOne(K(b, r1), K(b, r2));
    if (r2 == r1 + 1) {
        // d a b c becomes d b a c.
        change.carryOver = moveOne(S(b, a), S(a, b));
        if (r2 < R) change.carryOver += moveOne(S(a, at(r2 + 1)), S(b, at(r2 + 1)));
        if (r1 >= 2) change.carryOver += moveOne(S(at(r1 - 1), b), S(at(r1 - 1), a));
    } else {
        // d a e ... f b c becomes d b e ... f a c.
        if (r1 < R) change.carryOver += moveOne(S(b, at(r1 + 1)), S(a, at(r1 + 1)));
        if (r1 > 1) change.carryOver += moveOne(S(at(r1 - 1), b), S(at(r1 - 1), a));
        if (r2 < R) change.carryOver += moveOne(S(a, at(r2 + 1)), S(b, at(r2 + 1)));
        if (r2 > 1) change.carryOver += moveOne(S(at(r2 - 1), a), S(at(r2 - 1), b));
    }
    return change;
}

// Adds the counts of JRMat to Rmat and Smat as they stand and sets Smat's
// first column to the last-position counts.
void addOrderCounts(int P, int R, int J, const matrixInt* JRMat, matrixInt* Rmat, matrixInt* Smat);
Sums sumsOfSquares(int P, int R, const matrixInt* Rmat, const matrixInt* Smat);
// Rmat and Smat reset to P x R and P x (P+1) zeros, filled from JRMat; returns their sums.
Sums countOrder(int P, int R, int J, const matrixInt* JRMat, matrixInt*& Rmat, matrixInt*& Smat);

// The four figures of a balance report.
struct Balance {
    double positionEAM = 0, carryOverEAM = 0;
    double positionBound = 0, carryOverBound = 0;
    // An EAM and its bound are different sums of the same terms, so an order
    // at its bound can land an ulp above it. EAMs are multiples of 1/N^2 for
    // N cells, so 1e-9 admits no order off the bound while N < 30000.
    static constexpr double kAtBound = 1e-9;
    bool reachesBounds() const {
        return positionEAM <= positionBound + kAtBound && carryOverEAM <= carryOverBound + kAtBound;
    }
};
Balance balanceOf(int P, int R, int J, matrixInt* Rmat, matrixInt* Smat);
// MDMat (2 x 2): achieved EAMs in column 1, bounds in column 2. With
// markBeyondBound, a bound the achieved EAM undercuts by more than 1e-6 is
// replaced by the no-value constant.
void writeBalance(const Balance& b, bool markBeyondBound, matrix* MDMat);
// Adds the concurrences of JPMat's J judges into the lower triangle of
// ConcMat (P x P) and puts the no-value constant above the diagonal.
void addConcurrences(matrixInt* JPMat, int P, int J, matrix* ConcMat);

}  // namespace orders
