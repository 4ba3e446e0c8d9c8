// Presentation orders of a sensory design: the order in which each judge
// receives the products the incidence matrix gives them, balanced for
// position and for first-order carry-over. A local search runs passes of a
// random restart followed by a steepest descent over swaps of two positions
// within one judge's order.
#pragma once

#include "services/export.h"
#include "services/matrix.h"

namespace orders {
// Whether P products, R positions and J judges describe orders at all.
inline bool describeOrders(int P, int R, int J) { return P >= 1 && R >= 1 && J >= 1 && R <= P; }
}  // namespace orders

// Orders the presentations of the J x P incidence JPMat into JRMat (J x R).
// With iCheckJRMat zero the start is each judge's products in increasing
// order, otherwise the JRMat passed in. Complete blocks over a whole number
// of carry-over balanced squares get Williams squares outright. Otherwise
// runs up to `iter` passes (at least one), ending early once both balances
// reach their bounds; with iTimeStop exactly -1 every descent stops after
// iMaxSeconds and no pass starts after them. A best order the passes leave
// above a bound then goes through a completion stage (an equitable
// arrangement of positions and a tabu search for the carry-over), which
// replaces it only by a better one; its draws continue the stream, so the
// seed still reproduces the call. Returns the best order
// in JRMat, its counts in Rmat (P x R) and Smat (P x (P+1)), the EAMs and
// bounds in MDMat (2 x 2; a bound undercut by more than 1e-6 reads as the
// no-value constant) and adds the concurrences of JPMat into ConcMat
// (P x P, no-value constant above the diagonal). Nothing happens when the
// shape describes no orders or JRMat cannot hold J x R. Without a time
// limit the passes still end on a bound of their work.
VX_CORE void GetBestRanking(int iP, int iR, int iJ, matrixInt* JPMat, double iLambda, int iter, short iCheckJRMat,
                            short iTimeStop, double iMaxSeconds, matrixInt* JRMat, matrixInt* Rmat, matrixInt* Smat,
                            matrix* MDMat, matrix* ConcMat, int* ioSeed, short* ioSeedInit, int* oSeed);
namespace orders {
// GetBestRanking's passes alone, without the completion stage that follows
// them when they leave an order above a bound.
void rankByPassesOnly(int iP, int iR, int iJ, matrixInt* JPMat, double iLambda, int iter, short iCheckJRMat,
                      short iTimeStop, double iMaxSeconds, matrixInt* JRMat, matrixInt* Rmat, matrixInt* Smat,
                      matrix* MDMat, matrix* ConcMat, int* ioSeed, short* ioSeedInit, int* oSeed);
}  // namespace orders

// Replaces JRMat by the best of three constructed orders: every other judge
// reversed, then each judge rotated one place further than the one before,
// then that rotation under one random permutation of positions.
VX_CORE void InitializeRankMat(int iP, int iR, int iJ, double iLambda, matrixInt* JRMat, int* ioSeed,
                               short* ioSeedInit, int* oSeed);
// Moves every judge's positions by one random permutation: new position r
// holds what was at perm(r). Sets *ioSeedInit true.
VX_CORE void RandomPerturb(int iR, int iJ, matrixInt* JRMat, int* ioSeed, short* ioSeedInit, int* oSeed);
// Reshuffles judge j's order: for i = 1..R, swaps positions i and perm(i).
VX_CORE void RandomPerturbRow(int iR, matrixInt* JRMat, int j, int* ioSeed, short* ioSeedInit, int* oSeed);

// destination(i, c) := source(perm(i), c) for i = 1..n, c = 1..m;
// destination is resized to n x m.
void PermuteRows(const matrix* source, int n, int m, const matrix* perm, matrix*& destination);
void PermuteRows(const matrixInt* source, int n, int m, const matrix* perm, matrix*& destination);
// The rows of M (n x m) permuted in place by perm (n x 1), through PermuteRows.
void PermuteRowsInPlace(matrixInt* M, int n, int m, const matrixInt* perm);
