// Sizes of the response-surface designs: runs of one replicate, runs with
// replicates and plan columns, and the centre-point count of a central
// composite design.
#pragma once

#include "services/export.h"

#include <optional>

namespace rsm {

// Design class of the response-surface designs.
inline constexpr int kResponseSurfaceMode = 2;

// Design types within that class.
enum PlanType : int { kFactorial3 = 1, kCentralComposite = 2, kBoxBehnken = 3, kDoehlert = 4 };

// Runs of one replicate of PlanID over k factors, centre runs included
// (nCenter as resolved by GetnCenter for a central composite design); none
// for an unknown type. Counts past the 32-bit range saturate.
std::optional<int> BaseRunCount(int PlanID, int k, int nCenter);

// 2^k and 3^k, by repeated squaring, truncated to int (saturated).
int TwoToThe(int k);
int ThreeToThe(int k);

// x truncated toward zero into the int range; NaN gives 0.
int SaturatedInt(double x);

}  // namespace rsm

// Writes the sheet size of a response-surface design (Mode 2): the runs with
// replicates in *onplan, the columns (nFac + nRes + 4) in *opplan and the runs
// of one replicate in *onblock. For an unknown PlanID *onplan keeps the host's
// value (and is still multiplied by nRep). Other modes write nothing.
// Returns 0.
VX_CORE int PlanDimension(int Mode, int PlanID, int nFac, int nRes, int nCenter, int nRep, int* onplan, int* opplan,
                          int* onblock);

// Centre points of a central composite design on nFac factors: the host's
// *nCenter when it is non-zero, otherwise the count that gives the design
// uniform precision. Stored in *nCenter and returned; 0 for Mode != 2.
VX_CORE int GetnCenter(int Mode, int nFac, int* nCenter);
