#include "tools/oagen/williamson.h"

#include <string>

namespace oagen {

namespace {

// First rows of the circulants A, B, C, D, + for +1 and - for -1. Each is
// symmetric (a_j = a_(n-j)), so the circulants are symmetric and commute,
// and A^2 + B^2 + C^2 + D^2 = 4 n I.
struct Sequences {
    int n;
    const char* rows[4];
};

constexpr Sequences kSequences[] = {
    {23,
     {"++---+---+-++-+---+---+", "+-++-++--++++++--++-++-", "+++---++-+-++-+-++---++",
      "+++-+++-+------+-+++-++"}},
    {29,
     {"+++---++--+-+----+-+--++---++", "+-+---++--+-++++++-+--++---+-", "++++-++-+---++++++---+-++-+++",
      "++--+--+-+++-++++-+++-+--+--+"}},
};

}  // namespace

// W = [[A, B, C, D], [-B, A, -D, C], [-C, D, A, -B], [-D, -C, B, A]], the
// circulant of first row a holding a[(j - i) mod n] at (i, j).
std::vector<std::vector<int>> williamsonHadamard(int order) {
    // Block (row, column) of W: which circulant, and its sign.
    constexpr int kBlock[4][4] = {{0, 1, 2, 3}, {1, 0, 3, 2}, {2, 3, 0, 1}, {3, 2, 1, 0}};
    constexpr int kSign[4][4] = {{1, 1, 1, 1}, {-1, 1, -1, 1}, {-1, 1, 1, -1}, {-1, -1, 1, 1}};
    for (const Sequences& s : kSequences) {
        if (4 * s.n != order) continue;
        std::vector<std::vector<int>> w(static_cast<std::size_t>(order), std::vector<int>(static_cast<std::size_t>(order)));
        for (int bi = 0; bi < 4; ++bi)
            for (int bj = 0; bj < 4; ++bj)
                for (int i = 0; i < s.n; ++i)
                    for (int j = 0; j < s.n; ++j) {
                        const char c = s.rows[kBlock[bi][bj]][((j - i) % s.n + s.n) % s.n];
                        w[bi * s.n + i][bj * s.n + j] = kSign[bi][bj] * (c == '+' ? 1 : -1);
                    }
        return w;
    }
    return {};
}

}  // namespace oagen
