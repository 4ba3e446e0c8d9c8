// Balance of presentation orders: how often each product comes at each
// position (position counts Rmat, P x R) and how often each product directly
// follows each other one (carry-over counts Smat, P x (P+1), column 1 holding
// the last-position counts), the sums of squares a search minimises, their
// mean absolute deviations from the ideal (EAM) and the smallest EAMs whole
// counts allow.
#pragma once

#include "boundary/export.h"
#include "services/matrix.h"

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

double criterion(Sums s, double lambda);
// Columns of the carry-over counts, P + 1, saturating rather than overflowing.
inline int carryColumns(int P) { return P < 2147483647 ? P + 1 : P; }
// The change of both sums when positions r1 < r2 of judge j are swapped.
Sums swapChange(int R, const matrixInt* JRMat, const matrixInt* Rmat, const matrixInt* Smat, int j, int r1, int r2);
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
    bool reachesBounds() const { return positionEAM <= positionBound && carryOverEAM <= carryOverBound; }
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
