// Cyclic designs: each square gives iP judges one initial block of iR
// residues mod iP developed by adding 1..iP-1, so the presentation orders
// come with the design. Complete blocks use the carry-over balanced
// alternating sequence and its mirror; incomplete ones the initial blocks
// whose developed design has the most even pair concurrences found.
#pragma once

#include "services/export.h"
#include "services/matrix.h"
#include "services/matrix3d.h"

// Fills rows 1..iJ of JPMat (iJ x iP) and JRMat (iJ x iR) from developed
// squares; rows after the last whole square come from the first rows of one
// more square. *maxcrit receives the criterion (1: D-type, otherwise A-type)
// of the design, the no-value constant when iR is not in 1..iP.
VX_CORE void GenerateBasicCyclicDesigns(int iCritType, int iJ, int iP, int iR, matrixInt* JPMat, matrixInt* JRMat,
                                        double* maxcrit, int* ioSeed, short* ioSeedInit, int* oSeed);
// The fixed initial sequence for iR = iP: type 1 is 0, 1, iP-1, 2, iP-2, ...,
// type 2 its mirror 0, iP-1, 1, iP-2, 2, ...
VX_CORE void GetInitialSeqTrivial(int iP, int iR, matrix* seq, int iType);
// The m initial sequences (iR x 1 each, made beforehand) whose developed
// squares give the smallest sum of squared pair concurrences found.
VX_CORE void GetInitialSeqComplex(int iP, int iR, int m, matrix** seqs, int* ioSeed, short* ioSeedInit, int* oSeed);
// Develops seq into the iP x iR square: row i holds ((seq + i - 1) mod iP) + 1.
VX_CORE void CompleteJRMatFromSeq(matrix* seq, int iP, int iR, matrix* square);
// Sum over the differences d = 1..iP-1 of the squared count of ordered
// position pairs of the m blocks whose residues differ by d.
VX_CORE_CXX void ComputeSumSqrLambdas(matrix3D<matrixInt>* blocks, int m, int iR, int iP, double* ssq);
