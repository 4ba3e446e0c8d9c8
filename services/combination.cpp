#include "services/combination.h"

#include "services/numeric.h"

#include <cmath>

namespace {

// Walks the subsets that share a prefix: with r elements still to place
// above value v, C(n-1-v, r) subsets begin with v at this place. Stepping v
// up uses C(m-1, r) = C(m, r) (m - r) / m, exact in doubles while the
// counts stay below 2^53.
class Completions {
public:
    Completions(int n, int r, int v) : n_(n), r_(r), v_(v), count_(num::Cnk(n - 1 - v, r)) {}
    int value() const { return v_; }
    double count() const { return count_; }
    void step() {
        const double m = n_ - 1 - v_;
        count_ = m > 0 ? std::round(count_ * (m - r_) / m) : 0.0;
        ++v_;
    }

private:
    int n_;
    int r_;
    int v_;
    double count_;
};

bool hasSubsets(int n, int k) { return k >= 1 && n >= k; }

// True when comb holds k strictly ascending values of 0..n-1.
bool holdsSubset(int n, int k, const matrixInt* comb) {
    if (comb == nullptr || comb->count() < k) return false;
    int previous = -1;
    for (int i = 1; i <= k; ++i) {
        const int v = comb->vbget(i);
        if (v <= previous || v >= n) return false;
        previous = v;
    }
    return true;
}

// Writes the subset at position pos (1..C(n, k)) into comb.
void writeSubsetAt(int n, int k, double pos, matrixInt* comb) {
    double rank = pos - 1;
    int next = 0;
    for (int i = 1; i <= k; ++i) {
        Completions c(n, k - i, next);
        while (rank >= c.count() && c.value() < n - 1) {
            rank -= c.count();
            c.step();
        }
        comb->vbset(i, c.value());
        next = c.value() + 1;
    }
}

}  // namespace

double cKurtzbergGetPosition(int n, int k, const matrixInt* comb) {
    if (!hasSubsets(n, k) || !holdsSubset(n, k, comb)) return 0;
    double rank = 0;
    int next = 0;
    for (int i = 1; i <= k; ++i) {
        const int v = comb->vbget(i);
        for (Completions c(n, k - i, next); c.value() < v; c.step()) rank += c.count();
        next = v + 1;
    }
    return rank + 1;
}

void cKurtzbergJump(int n, int k, double count, matrixInt* comb) {
    if (!hasSubsets(n, k) || comb == nullptr || count == 0) return;
    const double total = num::Cnk(n, k);
    // Anything that is not a subset (the all-zero comb for k >= 2) stands
    // before the first one, at position 0.
    const double from = cKurtzbergGetPosition(n, k, comb);
    double to = std::fmod(from + count - 1, total);
    if (to < 0) to += total;
    writeSubsetAt(n, k, to + 1, comb);
}

void cKurtzberg(int n, int k, matrixInt* comb) { cKurtzbergJump(n, k, 1, comb); }
