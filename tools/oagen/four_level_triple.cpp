#include "tools/oagen/four_level_triple.h"

#include <array>
#include <cstddef>

namespace oagen {

namespace {

// Multiplication by w in GF(4), w^2 = w + 1: x0 + x1 w -> x1 + (x0 + x1) w.
int timesW(int x) { return (x >> 1) | (((x & 1) ^ (x >> 1)) << 1); }

// The three nonzero linear forms of GF(4) over GF(2): x0, x1 and x0 + x1.
int form(int f, int x) { return parity(static_cast<unsigned>(x & (f + 1))); }

}  // namespace

// Why it is orthogonal, for a fixed row i as g runs over GF(4):
// - two columns of different forms f, f' are independent, as (f(g), f'(g))
//   runs over GF(2)^2; two of the same form differ by a column sum of K_f,
//   balanced over i because K_f's columns are orthogonal;
// - two 4-level columns differ by one of d, w d and w^2 d, each uniform over
//   i since u, v and u + v are balanced;
// - a 4-level column with offset e against (f, j): the pair is (e + g,
//   K_f[j] + f(g)), uniform iff K_f[j] + f(e) is balanced over i. f(e) is
//   one of K_f's columns 0, 1, 2, which no kept column equals. Multiplying
//   by w permutes the forms (f(w x) is the next form of x), so f takes
//   {0, d, w d} to 0 and two of u, v, u + v. Adding 0, v or u to every
//   column of H keeps its columns orthogonal and turns its columns 0, 1, 2
//   into exactly that set.
Array fourLevelTriple(int r) {
    const SignMatrix h = normalisedHadamard(r);
    if (h.empty() || r < 4) return {};
    const auto bit = [&](int i, int j) { return (1 - h[i][j]) / 2; };
    const auto d = [&](int i) { return bit(i, 1) | (bit(i, 2) << 1); };
    // f(d) and f(w d) for the forms x0, x1, x0 + x1 are {u, v}, {v, u + v}
    // and {u + v, u}: H + 0 (H's column 0 reads 0 throughout), H + v (v -> 0,
    // u -> u + v) and H + u.
    const std::array<int, 3> shiftColumn = {0, 2, 1};
    const int runs = 4 * r;
    Array a{runs, {}};
    for (int f = 0; f < 3; ++f)
        for (int j = 3; j < r; ++j)
            a.columns.push_back(columnOf(2, runs, [&, f, j](int run) {
                const int i = run / 4, g = run % 4;
                return bit(i, j) ^ bit(i, shiftColumn[f]) ^ form(f, g);
            }));
    for (int power = 0; power < 3; ++power)
        a.columns.push_back(columnOf(4, runs, [&, power](int run) {
            const int i = run / 4, g = run % 4;
            const std::array<int, 3> offsets = {0, d(i), timesW(d(i))};
            return offsets[static_cast<std::size_t>(power)] ^ g;
        }));
    a.columns.push_back(columnOf(r, runs, [](int run) { return run / 4; }));
    return a;
}

}  // namespace oagen
