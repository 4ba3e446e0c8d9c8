#include "sensory/cyclic_designs.h"

#include "sensory/block_criteria.h"
#include "sensory/block_enumeration.h"
#include "services/matrix_ops.h"
#include "services/numeric.h"
#include "services/random.h"

#include <cmath>
#include <memory>
#include <vector>

namespace {

constexpr double kNoBestYet = 2147483647.0;
constexpr int kMostPasses = 100000;
// A pass costs about m iR iP steps (drawing and writing m blocks, counting
// their differences); large requests get fewer passes so that the search
// stays within this many steps, a few seconds.
constexpr double kMostSteps = 1e9;

int passesAffordable(int m, int iR, int iP) {
    const double perPass = static_cast<double>(m) * iR * iP;
    return static_cast<int>(std::fmax(1.0, std::fmin(kMostPasses, std::floor(kMostSteps / perPass))));
}

// A residue held as a double, as an int (0 when it is not one).
int residue(double v) { return std::isfinite(v) && std::fabs(v) < 2147483647.0 ? static_cast<int>(v) : 0; }

double sumSqrLambdas(const matrix3D<matrixInt>& blocks, int m, int iR, int iP, std::vector<int>& counts) {
    counts.assign(static_cast<std::size_t>(iP > 0 ? iP : 0), 0);
    for (int b = 1; b <= m && b <= blocks.count; ++b) {
        const matrixInt* block = blocks.slices[b - 1];
        for (int a = 1; a <= iR; ++a) {
            const int x = block->vbget(a);
            for (int c = 1; c <= iR; ++c) {
                const long long d = ((static_cast<long long>(block->vbget(c)) + iP - x) % iP + iP) % iP;
                ++counts[static_cast<std::size_t>(d)];
            }
        }
    }
    double ssq = 0.0;
    for (int d = 1; d < iP; ++d) ssq += static_cast<double>(counts[static_cast<std::size_t>(d)]) * counts[static_cast<std::size_t>(d)];
    return ssq;
}

// Writes the rows r0+1.. of the square that exist (up to iJ) into JRMat and
// JPMat.
void fillRowsFromSquare(const matrix& square, int r0, int iJ, int iP, int iR, matrixInt* JPMat, matrixInt* JRMat) {
    for (int row = r0 + 1; row <= r0 + iP && row <= iJ; ++row) {
        for (int p = 1; p <= iP; ++p) JPMat->vbset(row, p, 0);
        for (int c = 1; c <= iR; ++c) {
            JRMat->vbset(row, c, residue(square.vbget(row - r0, c)));
            JPMat->vbset(row, JRMat->vbget(row, c), 1);
        }
    }
}

}  // namespace

void ComputeSumSqrLambdas(matrix3D<matrixInt>* blocks, int m, int iR, int iP, double* ssq) {
    if (blocks == nullptr || ssq == nullptr || iP < 1) return;
    std::vector<int> counts;
    *ssq = sumSqrLambdas(*blocks, m, iR, iP, counts);
}

void GetInitialSeqTrivial(int iP, int iR, matrix* seq, int iType) {
    if (seq == nullptr) return;
    seq->vbset(1, 0.0);
    const bool evenP = iP % 2 == 0;
    const int lastEven = evenP ? iR : iR - 1, lastOdd = evenP ? iR - 1 : iR;
    for (int i = 2; i <= lastEven; i += 2) seq->vbset(i, iType == 1 ? i / 2 : iP - i / 2);
    for (int i = 3; i <= lastOdd; i += 2) seq->vbset(i, iType == 1 ? iP - (i - 1) / 2 : (i - 1) / 2);
}

void CompleteJRMatFromSeq(matrix* seq, int iP, int iR, matrix* square) {
    if (seq == nullptr || square == nullptr) return;
    for (int c = 1; c <= iR; ++c) {
        const int s = residue(seq->vbget(c));
        square->vbset(1, c, s + 1.0);
        for (int i = 2; i <= iP; ++i) square->vbset(i, c, static_cast<double>((i + static_cast<long long>(s) - 1) % iP) + 1.0);
    }
}

void GetInitialSeqComplex(int iP, int iR, int m, matrix** seqs, int* ioSeed, short* ioSeedInit, int* oSeed) {
    if (seqs == nullptr || ioSeed == nullptr || ioSeedInit == nullptr || oSeed == nullptr || m < 1 || iR < 1 ||
        iR > iP)
        return;
    const double combinations = num::Cnk(iP - 1, iR - 1);  // C'
    const double wholeRuns = std::floor(m / combinations) * combinations;
    // Without random blocks every pass builds the same blocks: one is enough.
    const bool drawsBlocks = m >= 2 && m > wholeRuns;
    matrix3D<matrixInt> blocks(m, iR, 1, 0);
    matrixInt comb(iR - 1, 1, 0);
    std::vector<int> counts;
    double best = kNoBestYet;
    const int mostPasses = passesAffordable(m, iR, iP);
    int working = *ioSeed;
    // Blocks taken in sequence draw nothing: the state to continue from is
    // the seed itself until the first draw.
    *oSeed = *ioSeed;
    bool firstBlock = true;
    for (int pass = 1;; ++pass) {
        // The number of the combination the last block took, 0 before the first.
        double position = 0.0, drawn = 0.0;
        for (int b = 1; b <= m; ++b) {
            if (b <= wholeRuns || m < 2) {
                position += 1;
            } else {
                // Distinct combinations in increasing order, leaving room for
                // the blocks still to come.
                const double u = Cpp_Random01(&working, *ioSeedInit, oSeed);
                const double pos = std::trunc(u * (combinations - drawn - (m - b))) + 1;
                position += pos;
                drawn += pos;
            }
            sensory::setBlock(iP - 1, iR - 1, position, &comb);
            if (firstBlock && *ioSeedInit == 0) {
                *ioSeed = working;
                *ioSeedInit = -1;
            }
            firstBlock = false;
            working = *oSeed;
            for (int i = 1; i < iR; ++i) blocks.vbset(b, i + 1, comb.vbget(i) + 1);
            if (b == wholeRuns) position = 0.0;
        }
        const double ssq = sumSqrLambdas(blocks, m, iR, iP, counts);
        if (ssq < best) {
            best = ssq;
            for (int b = 1; b <= m; ++b) blocks.slices[b - 1]->copyMatTo(seqs[b - 1]);
        }
        if (!drawsBlocks || best < 1e-12 || pass == combinations || pass >= mostPasses) break;
    }
}

void GenerateBasicCyclicDesigns(int iCritType, int iJ, int iP, int iR, matrixInt* JPMat, matrixInt* JRMat,
                                double* maxcrit, int* ioSeed, short* ioSeedInit, int* oSeed) {
    if (JPMat == nullptr || JRMat == nullptr || maxcrit == nullptr) return;
    if (iJ < 1 || iP < 1 || iR < 1 || iR > iP) {
        *maxcrit = num::kNoValue;
        return;
    }
    const int whole = iJ / iP;
    // Rows after the last whole square come from one more square.
    const int squares = whole + (iJ > whole * iP ? 1 : 0);
    *maxcrit = 0.0;
    matrix square(iP, iR, 0.0);
    if (iP == iR && whole < 3) {
        // Complete blocks: the carry-over balanced squares, alternating.
        matrix seq(iR, 1, 0.0);
        for (int t = 0; t < squares; ++t) {
            GetInitialSeqTrivial(iP, iR, &seq, t % 2 == 0 ? 1 : 2);
            CompleteJRMatFromSeq(&seq, iP, iR, &square);
            fillRowsFromSquare(square, t * iP, iJ, iP, iR, JPMat, JRMat);
        }
    } else {
        matrix** seqs = iniSuperMat(squares, iR, 1, 0.0);
        GetInitialSeqComplex(iP, iR, squares, seqs, ioSeed, ioSeedInit, oSeed);
        for (int t = 0; t < squares; ++t) {
            CompleteJRMatFromSeq(seqs[t], iP, iR, &square);
            fillRowsFromSquare(square, t * iP, iJ, iP, iR, JPMat, JRMat);
        }
        deletecascade(seqs, squares);
    }
    *maxcrit = sensory::DesignScorer().score(iCritType, JPMat, iJ, iP, iR);
}
