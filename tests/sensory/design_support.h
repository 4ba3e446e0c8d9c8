// Helpers shared by the sensory design tests: designs written as lists of
// blocks, and the properties every returned design must have.
#pragma once

#include "sensory/block_criteria.h"
#include "sensory/optimal_design.h"
#include "sensory/seed_stream.h"
#include "services/matrix.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <algorithm>
#include <bit>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <random>
#include <set>
#include <vector>

namespace stest {

// A judge x product incidence from 1-based blocks, one per judge.
inline std::unique_ptr<matrixInt> fromBlocks(int iP, std::initializer_list<std::initializer_list<int>> blocks) {
    auto M = std::make_unique<matrixInt>(static_cast<int>(blocks.size()), iP, 0);
    int j = 1;
    for (const auto& block : blocks) {
        for (int p : block) M->vbset(j, p, 1);
        ++j;
    }
    return M;
}

inline std::unique_ptr<matrixInt> copyOf(const matrixInt& M) {
    auto C = std::make_unique<matrixInt>(M.rows(), M.cols(), 0);
    M.copyMatTo(C.get());
    return C;
}

// iJ random blocks of iR distinct products.
inline std::unique_ptr<matrixInt> randomDesign(int iJ, int iP, int iR, std::mt19937& gen) {
    auto M = std::make_unique<matrixInt>(iJ, iP, 0);
    std::vector<int> products(static_cast<std::size_t>(iP));
    for (int p = 0; p < iP; ++p) products[static_cast<std::size_t>(p)] = p + 1;
    for (int j = 1; j <= iJ; ++j) {
        std::shuffle(products.begin(), products.end(), gen);
        for (int k = 0; k < iR; ++k) M->vbset(j, products[static_cast<std::size_t>(k)], 1);
    }
    return M;
}

inline std::vector<int> columnSums(const matrixInt& M, int iJ, int iP) {
    std::vector<int> sums(static_cast<std::size_t>(iP), 0);
    for (int p = 1; p <= iP; ++p)
        for (int j = 1; j <= iJ; ++j) sums[static_cast<std::size_t>(p - 1)] += M.vbget(j, p);
    return sums;
}

// Every judge tastes exactly iR products, each cell 0 or 1.
inline void expectBlocksOfSize(const matrixInt& M, int iJ, int iP, int iR) {
    for (int j = 1; j <= iJ; ++j) {
        int n = 0;
        for (int p = 1; p <= iP; ++p) {
            EXPECT_TRUE(M.vbget(j, p) == 0 || M.vbget(j, p) == 1) << "cell " << j << "," << p;
            n += M.vbget(j, p);
        }
        EXPECT_EQ(n, iR) << "judge " << j;
    }
}

// Pair concurrences of the first J rows: (p, q) for p < q.
inline std::vector<int> pairConcurrences(const matrixInt& M, int J, int P) {
    std::vector<int> c;
    for (int p = 1; p <= P; ++p)
        for (int q = p + 1; q <= P; ++q) {
            int n = 0;
            for (int j = 1; j <= J; ++j) n += M.vbget(j, p) * M.vbget(j, q);
            c.push_back(n);
        }
    return c;
}

inline int spread(const std::vector<int>& v) { return *std::max_element(v.begin(), v.end()) - *std::min_element(v.begin(), v.end()); }

// The products (1-based) of row j.
inline std::vector<int> rowOf(const matrixInt& M, int j, int P) {
    std::vector<int> r;
    for (int p = 1; p <= P; ++p)
        if (M.vbget(j, p) == 1) r.push_back(p);
    return r;
}

// The distinct blocks of rows from..to.
inline std::set<std::vector<int>> blocksOf(const matrixInt& M, int from, int to, int P) {
    std::set<std::vector<int>> blocks;
    for (int j = from; j <= to; ++j) blocks.insert(rowOf(M, j, P));
    return blocks;
}

// The k-subsets of 1..n, ascending within, in lexicographic order.
inline std::vector<std::vector<int>> subsets(int n, int k) {
    std::vector<std::vector<int>> out;
    for (unsigned mask = 0; mask < (1u << n); ++mask) {
        if (std::popcount(mask) != k) continue;
        std::vector<int> s;
        for (int p = 0; p < n; ++p)
            if (mask >> p & 1u) s.push_back(p + 1);
        out.push_back(s);
    }
    std::sort(out.begin(), out.end());
    return out;
}

// The library's random stream from a given seed, its outputs kept here.
struct Stream {
    int seed, out = 0;
    short init = -1;
    sensory::SeedStream draws{&seed, &init, &out};
    explicit Stream(int s) : seed(s) {}
};

// One run of the whole design route.
struct Search {
    int iJ, iP, iR;
    std::unique_ptr<matrixInt> JPMat;
    double maxcrit = 0, ocrit2 = 0;
    short found = 7, seedInit = -1;
    int seed = 12345, oSeed = 0;

    Search(int J, int P, int R, short timeStop, double seconds = 0, int critType = 1, int seedValue = 12345)
        : iJ(J), iP(P), iR(R), JPMat(new matrixInt(J, P, 0)), seed(seedValue) {
        matrixInt JRMat(J, R, 0);
        RunGetOptimalDesign(J, P, R, critType, 0, timeStop, seconds, JPMat.get(), &JRMat, &maxcrit, &ocrit2, &found,
                            &seed, &seedInit, &oSeed);
    }
    double score(int critType) const { return sensory::DesignScorer().score(critType, JPMat.get(), iJ, iP, iR); }
};

inline bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace stest
