// One random stream per call under the host's seed triple: the working
// seed starts from *ioSeed; the first draw, when *ioSeedInit is false,
// starts a new stream, reports its seed in *ioSeed and sets the flag true;
// after every draw the working seed continues from *oSeed. Uniform draws
// and permutations come from the same stream, and every routine a call
// runs draws from it, so the whole call is reproduced by *ioSeed.
#pragma once

#include "services/matrix.h"
#include "services/random.h"

namespace sensory {

class SeedStream {
public:
    SeedStream(int* ioSeed, short* ioSeedInit, int* oSeed)
        : ioSeed_(ioSeed), ioSeedInit_(ioSeedInit), oSeed_(oSeed), working_(*ioSeed), init_(*ioSeedInit) {
        // A call that draws nothing leaves the state it started from.
        *oSeed_ = working_;
    }
    double uniform() {
        const double u = Cpp_Random01(&working_, init_, oSeed_);
        continueStream();
        return u;
    }
    // A random permutation of 1..n into the first n elements of out.
    void permutation(int n, matrixInt* out) {
        Random1toN(n, out, &working_, init_, oSeed_);
        continueStream();
    }

private:
    void continueStream() {
        if (init_ == 0) {
            *ioSeed_ = working_;
            init_ = -1;
            *ioSeedInit_ = -1;
        }
        working_ = *oSeed_;
    }
    int* ioSeed_;
    short* ioSeedInit_;
    int* oSeed_;
    int working_;
    short init_;
};

}  // namespace sensory
