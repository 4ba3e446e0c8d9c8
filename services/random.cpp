#include "services/random.h"

#include <chrono>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

namespace {

constexpr int64_t kModulus = 2147483647;  // 2^31 - 1, a prime
constexpr int64_t kMultiplier = 48271;

int advance(int state) { return static_cast<int>(kMultiplier * state % kModulus); }

// Maps a state in 1..2^31-2 onto [0, 1).
double toUnit(int state) { return static_cast<double>(state - 1) / static_cast<double>(kModulus - 1); }

// One stream under the seed rule shared by every drawing function: a zero
// flag starts a new stream and reports its seed, and *oSeed always ends
// holding the state the next draw continues from.
class Stream {
public:
    Stream(int* ioSeed, short init, int* oSeed) : oSeed_(oSeed) {
        if (init == 0 && ioSeed != nullptr) *ioSeed = newStreamSeed();
        state_ = normaliseSeed(ioSeed != nullptr ? *ioSeed : 0);
        publish();
    }
    double draw() {
        state_ = advance(state_);
        publish();
        return toUnit(state_);
    }
    // A uniform index in 1..n.
    int index(int n) {
        const int i = 1 + static_cast<int>(draw() * n);
        return i > n ? n : i;
    }

private:
    void publish() {
        if (oSeed_ != nullptr) *oSeed_ = state_;
    }
    int* oSeed_;
    int state_;
};

template <class Container>
void permuteInto(int n, Container* out, int* ioSeed, short init, int* oSeed) {
    Stream stream(ioSeed, init, oSeed);
    if (n <= 0) return;
    std::vector<int> perm(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) perm[static_cast<std::size_t>(i)] = i + 1;
    // Fisher-Yates from the back: position i swaps with a uniform position 1..i.
    for (int i = n; i >= 2; --i) std::swap(perm[static_cast<std::size_t>(i - 1)], perm[static_cast<std::size_t>(stream.index(i) - 1)]);
    if (out == nullptr) return;
    for (int i = 1; i <= n; ++i) out->vbset(i, perm[static_cast<std::size_t>(i - 1)]);
}

}  // namespace

int normaliseSeed(int seed) {
    int64_t s = seed;
    if (s < 0) s = -s;
    s %= kModulus;
    return s == 0 ? 1 : static_cast<int>(s);
}

int newStreamSeed() {
    uint64_t entropy;
    try {
        std::random_device device;
        entropy = (static_cast<uint64_t>(device()) << 32) ^ device();
    } catch (...) {
        entropy = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    }
    return static_cast<int>(1 + entropy % static_cast<uint64_t>(kModulus - 1));
}

double Cpp_Random01(int* seed, short init, int* oSeed) { return Stream(seed, init, oSeed).draw(); }

void Random1toN(int n, matrix* out, int* ioSeed, short init, int* oSeed) { permuteInto(n, out, ioSeed, init, oSeed); }

void Random1toN(int n, matrixInt* out, int* ioSeed, short init, int* oSeed) { permuteInto(n, out, ioSeed, init, oSeed); }

void M_GenerateRandom01(matrix* out, int rows, int cols, int* ioSeed, short init, int* oSeed) {
    Stream stream(ioSeed, init, oSeed);
    for (int c = 1; c <= cols; ++c)
        for (int r = 1; r <= rows; ++r) {
            const double u = stream.draw();
            if (out != nullptr) out->vbset(r, c, u);
        }
}

WorkingRandom01::WorkingRandom01(int* ioSeed, short* ioSeedInit, int* oSeed)
    : ioSeed_(ioSeed), ioSeedInit_(ioSeedInit), oSeed_(oSeed), working_(*ioSeed), workingInit_(*ioSeedInit) {}

double WorkingRandom01::next() {
    const double u = Cpp_Random01(&working_, workingInit_, oSeed_);
    if (workingInit_ == 0) {
        *ioSeed_ = working_;
        workingInit_ = -1;
        *ioSeedInit_ = -1;
    }
    working_ = *oSeed_;
    return u;
}

WorkingPermutations::WorkingPermutations(int* ioSeed, short* ioSeedInit, int* oSeed)
    : ioSeed_(ioSeed), ioSeedInit_(ioSeedInit), oSeed_(oSeed), working_(*ioSeed) {
    *oSeed_ = *ioSeed_;
}

void WorkingPermutations::next(int n, matrixInt* out) {
    Random1toN(n, out, &working_, *ioSeedInit_, oSeed_);
    if (first_) {
        *ioSeed_ = working_;
        first_ = false;
    }
    *ioSeedInit_ = -1;
    working_ = *oSeed_;
}

void Random1toNDirect(int n, matrixInt* out, int* ioSeed, short* ioSeedInit, int* oSeed) {
    Random1toN(n, out, ioSeed, *ioSeedInit, oSeed);
    *ioSeedInit = -1;
}
