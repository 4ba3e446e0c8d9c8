// Copies of an array spread over a larger one: OA(N, ...) with a column R of
// r levels, taken once for each level of a lambda-level column h of
// OA(lambda r, lambda B'), is expansive replacement (Hedayat, Sloane and
// Stufken, Orthogonal Arrays, 1999, section 9.3) of the lambda r-level
// column (copy, R) of the product by B; the copy, which B's column h now
// carries, joins one more column of the first array into a single column.
#pragma once

#include "tools/oagen/constructions.h"

namespace oagen {

// OA(lambda N, A'' B' (lambda s)^1): run t N + x is copy t of run x of a.
// a's column `rowColumn` (r levels) gives way to B' read at the row of b
// whose column `copyColumn` is t and which is the R(x)-th such row; a's
// column `joinColumn` (s levels) and the copy make the last column,
// t s + value. Within one copy every pair of a's columns is balanced, and a
// column of B' is a function of (copy, R) with R balanced against every
// other column of a, so every pair stays balanced. An array of no runs when
// b's runs or its column's levels do not fit.
Array joinedCopies(const Array& a, int rowColumn, int joinColumn, const Array& b, int copyColumn);

}  // namespace oagen
