// Row fills of the design search: whole replicates of every block, the last
// row from the remaining marginals, and the three greedy fills of the rows
// left to search (over distinct blocks, by marginals with random trials,
// and by marginals with one random draw per row).
#pragma once

#include "services/export.h"
#include "sensory/block_criteria.h"
#include "sensory/block_enumeration.h"
#include "sensory/seed_stream.h"
#include "services/matrix.h"

#include <functional>
#include <vector>

// Rows 1..nRep*C of JPMat (C = Cnk(iP, iR)): block c of the enumeration in
// row (k-1)*C + c for every replicate k. Cells are only set to 1.
VX_CORE void StoreAllCombinesJPMat(matrixInt* JPMat, int iP, int iR, int nRep);
// JPMat(row, p) := 1 for every p whose remaining marginal is above 0.
VX_CORE void GetLastRowJPMat(matrix* remaining, int row, int iP, matrixInt* JPMat);
// Greedy fill of rest rows row..nRest with distinct free blocks of
// blockTable (C x 1: the rest row using each block, 0 when free), each row
// the block of least mean overlap, then least overlap variance, with earlier
// rows (a coin flip between equals). *crit receives the criterion of the
// nRest rows. first, start, iTimeStop, iMaxSeconds and counter are not read.
VX_CORE void RercursiveTableFill22(int first, int row, int& nRest, int& iP, int& iR, double& C, int iCritType,
                                   double start, short iTimeStop, double iMaxSeconds, int& firstFree, matrixInt* rest,
                                   matrix* blockTable, int counter, double* crit, int* ioSeed, short* ioSeedInit,
                                   int* oSeed);
// Fill of rows row..nRows from the remaining marginals, one randomly drawn
// block per row among those the largest marginals allow. first, C and start
// are not read.
VX_CORE void RercursiveTableFill23(int first, int row, int& nRows, int& iP, int& iR, double C, int iCritType,
                                   double start, matrixInt* rest, matrix* remaining, double* crit, int* ioSeed,
                                   short* ioSeedInit, int* oSeed);
// Fill of rows first..last from the remaining marginals, each row the best
// of random trials by mean overlap, overlap variance and concurrence
// variance, until 100 trials in a row fail to improve.
VX_CORE void RercursiveTableFill24(int first, int last, int iP, int iR, int iCritType, matrixInt* rest,
                                   matrix* remaining, double* crit, int* ioSeed, short* ioSeedInit, int* oSeed);

namespace sensory {

// Clears row `row` of M over iP columns and sets the given products to 1.
void writeRow(matrixInt* M, int row, int iP, const std::vector<int>& products);
// Row `row` of M receives the iR products whose remaining marginals are
// largest, ties to the lower product number, and nothing else. The last row
// of a design takes what is still owed this way: where fewer places than
// products leave every marginal at 1, it still gets iR products.
void writeMostAskedFor(const matrix* remaining, int row, int iP, int iR, matrixInt* M);

double fillDistinctBlocks(int row, int nRest, int iP, int iR, double C, int iCritType, int& firstFree,
                          matrixInt* rest, matrix* blockTable, SeedStream& seeds, DesignScorer& scorer);
// Once outOfTime() holds, or the fill has compared about 10^9 cells, every
// row left takes its first trial, so that a timed search ends near its
// budget and an untimed one within seconds, with every row served. The fill
// over distinct blocks likewise takes each row's first free block past that
// work.
double fillByMarginalTrials(int first, int last, int iP, int iR, int iCritType, matrixInt* rest, matrix* remaining,
                            SeedStream& seeds, DesignScorer& scorer, const std::function<bool()>& outOfTime = {});

}  // namespace sensory
