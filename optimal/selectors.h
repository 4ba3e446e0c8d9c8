// The host's selectors of the optimal designs, named once: the integers the
// entry points receive for the criterion, the coding and the algorithm.
#pragma once

namespace optimal {

// icrit: the criterion maximised, det(X'X) or its base-10 logarithm.
enum Criterion : int { kDeterminant = 1, kLog10Determinant = 2 };
inline bool IsCriterion(int icrit) { return icrit == kDeterminant || icrit == kLog10Determinant; }

// icode: the level of each factor coded -1 in all its columns.
enum Coding : int { kLastLevelNegative = 1, kFirstLevelNegative = 2 };
inline bool IsCoding(int icode) { return icode == kLastLevelNegative || icode == kFirstLevelNegative; }

// nalgo of OptiplanInit: how the starting plan is made.
enum Start : int { kRandomStart = 1, kSequentialStart = 2, kStartFromLabels = 3 };
// nalgo of OptiplanIterate: which exchange improves it.
enum Exchange : int { kExhaustiveExchange = 11, kFedorovExchange = 12 };

}  // namespace optimal
