// Resolvable arrangements of a sensory design: the judges (rows of JPMat
// and, with them, of JRMat) reordered so that runs of consecutive judges
// form groups that are each a complete replicate, the nearest such
// arrangement when there is none, further occasions rotated from a resolvable
// arrangement, and a random shuffle of the judges. Only rows move: a judge's
// products and their order stay together.
#pragma once

#include "services/export.h"
#include "services/matrix.h"

// Moves rows i of Mat1 (nMat1 x pMat1) and Mat2 (nMat2 x pMat2) to the old
// rows perm(i) of one random permutation; Mat2 moves only when it has as many
// rows as Mat1 and is otherwise left as passed. Seeds in the direct form.
VX_CORE void RandomPerMuteRow(matrixInt* Mat1, int nMat1, int pMat1, matrixInt* Mat2, int nMat2, int pMat2,
                              int* ioSeed, short* ioSeedInit, int* oSeed);
// Reorders the J judges into g groups of G, each tasting every product the
// same number of times, in up to iNbIter tries (at least one). *oResolv is
// -1 and *oGroupeSize G when it succeeds (or the order already is one);
// otherwise *oResolv is 0 and JPMat holds the try that placed most judges.
// JRMat rows move with JPMat's only when J/P is whole.
VX_CORE void TransResolve(int iJ, int iP, int iR, int iNbIter, matrixInt* JPMat, matrixInt* JRMat, int* oGroupeSize,
                          short* oResolv, int* ioSeed, short* ioSeedInit, int* oSeed);
// Groups of G = floor(P/R) judges sharing no product, J/G of them, in up to
// iNbIter tries; *oGroupeSize receives G. P < 1 or R outside 1..P changes
// nothing.
VX_CORE void FindClosestResolve(int iJ, int iP, int iR, int iNbIter, matrixInt* JPMat, matrixInt* JRMat,
                                int* oGroupeSize, int* ioSeed, short* ioSeedInit, int* oSeed);
// Occasions s = 2..min(NBS, GroupSize) (JPMat J x (P NBS), JRMat
// J x (R NBS)) receive occasion 1 with the judges of every group of
// GroupSize consecutive judges (and of the shorter last group) rotated by
// s - 1 places. GroupSize < 1 changes nothing.
VX_CORE void FindResolvableMulti(int iJ, int iP, int iR, int NBS, matrixInt* JRMat, matrixInt* JPMat, int GroupSize);
