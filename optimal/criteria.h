// The determinant criteria of a plan's information matrix M = X'X, their
// ridge regularisation and the incremental evaluations through the inverse
// V or the Cholesky factor L.
//
// icrit 1 is det(M), icrit 2 log10 det(M); larger is better. A plan whose
// criterion cannot be computed carries the singular sentinel S (the no-value
// constant). Flags are 16-bit booleans, -1 true; accelerate and DoChol count
// only as exactly -1 (true) or 0 (false), anything else takes the full route.
#pragma once

#include "optimal/selectors.h"
#include "services/export.h"
#include "services/matrix.h"
#include "services/numeric.h"

namespace optimal {

inline constexpr double kSingular = num::kNoValue;        // S
inline constexpr double kSingularTwin = num::kNoValuePositive;
inline constexpr double kSingularBelow = -1e307;           // a criterion below counts as singular
inline constexpr double kRidge = 1e-5;
inline constexpr short kTrue = -1;
inline constexpr short kFalse = 0;

// Ties. One determinant reached along two summation orders differs in its
// last bits (a ratio summed from p-term forms by up to some p^2 ulps), so two
// values count as equal when they differ by no more than this share of the
// larger magnitude (of 1 at least for log10 values, whose rounding is
// absolute near 0). Every choice of the search that asks for a tie or for a
// strict gain asks through Tied and Exceeds.
inline constexpr double kTieTolerance = num::kTieTolerance;
enum class Scale { Relative, Log10 };
bool Tied(double a, double b, Scale s = Scale::Relative);
// a above b by more than a tie.
bool Exceeds(double a, double b, Scale s = Scale::Relative);
// The scale of a criterion under icrit.
inline Scale ScaleOf(int icrit) { return icrit == kDeterminant ? Scale::Relative : Scale::Log10; }

// The route the incremental evaluations take for a plan of n runs.
enum class Route { Full, ThroughV, ThroughL };
Route routeOf(short accelerate, short DoChol, int n, short flag);

// M := X'X over rows 1..n and columns 1..p of X.
void GramOfRows(const matrix* X, int n, int p, matrix*& M);
// det(M) (icrit 1) or log10 det(M) (otherwise); *singular reports a
// singular M, whose log10 determinant is S.
double CriterionOf(const matrix* M, int icrit, bool* singular);
// The criterion of M, regularised by the ridge when M is singular or the
// flag is already true; M may receive the ridge, the flag records it.
double RegularisedCriterion(matrix* M, int icrit, short& flag);
// The determinant ratio (1 - dRem)(1 + dAdd) of one exchange, 1 when a
// guard applies.
double ExchangeRatio(double dAdd, double dRem);
// W := (X'X + kRidge I)^-1 for rows 1..n of X whose X'X is singular. The
// inverse is split along the span of the rows, so neither part inverts a
// matrix as ill-conditioned as X'X + kRidge I: a plain inversion of that
// loses the digits that separate tied candidates.
void RidgeInverse(const matrix* X, int n, int p, matrix* W);
// W := (L L')^-1 by two triangular solves per column.
void InverseFromFactor(const matrix* L, int p, matrix* W);
// z'z with L z = x for the first p elements of x.
double VarianceThroughL(const matrix* L, const matrix* x, int p);

}  // namespace optimal

// Criterion of rows 1..n of X (p columns) without regularisation: det for
// icrit 1, log10 det for any other icrit.
VX_CORE double VerifyCritval(matrix* X, int n, int p, int icrit);

// Evaluates the plan of rows 1..n of X, row n a candidate appended to the
// others: through L (a ranking value), through V (from critvalopt(n - 1)) or
// in full. crit and flag are in/out.
VX_CORE void CalcCrit(int icrit, short accelerate, short DoChol, matrix* X, int p, int n, matrix* V,
                      matrix* critvalopt, double* crit, short* flag, matrix* L);

// The variance x'M^-1 x of row n of X (or of row 1 of cand when useCand is
// -1) through L or V, or the full criterion of rows 1..n when the
// incremental routes are closed. out and flag are in/out.
VX_CORE void CalcCritDelta(int icrit, short accelerate, short DoChol, matrix* X, int p, int n, matrix* V, double* out,
                           short* flag, matrix* L, short useCand, matrix* cand);

// The criterion after one exchange from the current one and the variances
// of the entering candidate and the leaving run.
VX_CORE double CalcCritShort(int icrit, double dAdd, double dRem, double crit);

// M(i, i) += d for i = 1..n.
VX_CORE void M_AddDelta2(matrix* M, int n, double d);

// Forward substitution L z = b with the lower triangle of L, first n rows.
VX_CORE void M_ResubstiTr(matrix* L, matrix* b, int n, matrix* z);

// (Deter - log10(n^p)) / p, or S when Deter is S.
double NormedDet(double Deter, int n, int p);
