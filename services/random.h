// Uniform random numbers with the host's seed convention.
//
// The generator is the Park-Miller "minimal standard" Lehmer generator with
// multiplier 48271 (MINSTD): x' = 48271 x mod (2^31 - 1). Its whole state is
// one value in 1..2^31-2, so it fits the host's 32-bit seed, and integer
// arithmetic makes the same seed give the same stream on every platform.
// Any int seed is first mapped into the state range (see normaliseSeed).
#pragma once

#include "services/matrix.h"

// The state a seed value starts from: seed mod (2^31 - 1), with 0 mapped to 1
// and negative values to their magnitude.
int normaliseSeed(int seed);
// A fresh seed from std::random_device (or the clock when that fails).
int newStreamSeed();

// One uniform draw in [0, 1). When init is 0 a new stream starts and its
// seed is stored at *seed; otherwise the stream continues from *seed. The
// state to continue from is written to *oSeed.
double Cpp_Random01(int* seed, short init, int* oSeed);

// A random permutation of 1..n into the first n elements of out (Fisher-
// Yates), same seed rule as Cpp_Random01.
void Random1toN(int n, matrix* out, int* ioSeed, short init, int* oSeed);
void Random1toN(int n, matrixInt* out, int* ioSeed, short init, int* oSeed);
// rows x cols uniform draws in [0, 1) into out, same seed rule.
void M_GenerateRandom01(matrix* out, int rows, int cols, int* ioSeed, short init, int* oSeed);

// The seed conventions of the entry points that take their flag by pointer.
// Each leaves in *ioSeed the seed that reproduces the call, in *oSeed the
// state to continue from, and *ioSeedInit true.

// Uniform draws through Cpp_Random01 on a working seed.
class WorkingRandom01 {
public:
    WorkingRandom01(int* ioSeed, short* ioSeedInit, int* oSeed);
    double next();

private:
    int* ioSeed_;
    short* ioSeedInit_;
    int* oSeed_;
    int working_;
    short workingInit_;
};

// Permutations through Random1toN on a working seed.
class WorkingPermutations {
public:
    WorkingPermutations(int* ioSeed, short* ioSeedInit, int* oSeed);
    void next(int n, matrixInt* out);

private:
    int* ioSeed_;
    short* ioSeedInit_;
    int* oSeed_;
    int working_;
    bool first_ = true;
};

// One permutation straight on the host's variables, then the flag set true.
void Random1toNDirect(int n, matrixInt* out, int* ioSeed, short* ioSeedInit, int* oSeed);
