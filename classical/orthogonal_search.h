// The three operations on the orthogonal-array catalogue: fetch by number,
// the single search for a factor pattern and the scored candidate list.
//
// A search vector Cats is a 9 x 1 matrixInt: elements 2..7 hold the wanted
// numbers of columns with 2..7 levels, element 8 a run count (a lower bound
// for the single search, a target for the list); elements 1 and 9 are not
// read. Cells go out as doubles, levels coded 1..s.
#pragma once

#include "services/export.h"
#include "services/matrix.h"

namespace ortho {
inline constexpr int kSearchVectorRows = 9;  // the shape of Cats: 9 x 1
inline constexpr int kListRowColumns = 11;   // the width of a candidate list
}  // namespace ortho

// Copies entry TabNbr run by run into plan(1..runs, 1..columns), its name
// into TabName(1, 1) when it has one, and its table identifier into
// *oTabID. Returns 0; -1 when TabNbr is outside 1..392; -2 when the entry
// has more runs than `lines` or does not fit the plan. Nothing is written on
// failure.
VX_CORE int PlanGetOrtho(int lines, int TabNbr, matrix* plan, Smatrix* TabName, int* oTabID);

// Finds the array for the pattern in Cats among the entries of nFac columns
// (2..35), copies it into plan, its run count into *iomaxLines and its name
// (empty too) into TabName(1, 1). Returns 0; -1 when no entry carries the
// pattern; -2 when the entry found has more runs than *iomaxLines, in which
// case nothing is written.
VX_CORE int PlanSearchOrtho(matrixInt* Cats, int nFac, int* iomaxLines, matrix* plan, Smatrix* TabName);

// Lists the entries of nFac columns whose score against Cats is below
// maxScore, up to maxList rows of planList (maxList x 11: score, the 2..7
// level counts, runs, variant, number, table identifier), best score first.
// *oNbrList receives 1 when the best row is an exact match (score 0), the
// number of rows listed otherwise. Rows past those listed keep their
// values. Returns 0, or -1 when nothing was listed.
VX_CORE int PlanSearchOrthoList(matrixInt* Cats, int nFac, int maxList, int maxScore, matrix* planList,
                                Smatrix* TabName, int* oNbrList);
