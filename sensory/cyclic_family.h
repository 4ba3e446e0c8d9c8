// Cyclic designs as candidates for the concurrence targeting: initial
// blocks developed mod P, each into P rows (a full orbit) or, for even P
// and R, a block fixed by adding P/2 into P/2 rows (a half orbit), as many
// of each as fill the J rows. Every product is served equally often, pair
// concurrences depend only on the difference of the two products, and the
// concurrence matrix is circulant: its eigenvalues are the cosine sums of
// its first row, so a candidate is scored in O(P^2). Among the candidates
// of least sum of squared concurrences the best criterion is kept.
#pragma once

#include <cstddef>
#include <limits>
#include <vector>

namespace sensory {

class CyclicFamily {
public:
    CyclicFamily(int J, int P, int R);

    // The best candidate's rows into blocks (J x R, row j's products at
    // j R .. j R + R - 1) by criterion iCritType (1: D-type, otherwise
    // A-type); false when the shape has no candidates within reach (more
    // than kCyclicCandidates initial blocks or picks) or none is connected.
    bool best(int iCritType, std::vector<int>& blocks);

    static constexpr double kCyclicCandidates = 500000;

private:
    void search(int iCritType, int fullOrbits, int halfOrbits);
    bool advance(std::vector<std::size_t>& pick, std::size_t fullOrbits) const;
    static std::vector<std::vector<int>> subsetsWithZero(int top, int size);
    std::vector<std::vector<int>> differenceCounts(const std::vector<std::vector<int>>& blocks, int per) const;
    double criterion(int iCritType, const std::vector<int>& lambda, double r) const;
    void develop(const std::vector<int>& block, int rows, std::vector<int>& blocks) const;

    int J_, P_, R_;
    std::vector<std::vector<int>> fullBlocks_, halfBlocks_;  // initial blocks of each kind
    std::vector<std::vector<int>> full_, half_;              // their difference counts
    std::vector<double> cosines_;
    long long least_ = std::numeric_limits<long long>::max();
    double bestCrit_ = -std::numeric_limits<double>::infinity();
    std::vector<std::size_t> chosen_;
    std::size_t chosenFull_ = 0;
};

}  // namespace sensory
