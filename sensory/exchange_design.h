// A judges x products design held as rows of products for exchange
// searches: one exchange swaps a product of one row for a product of
// another, which keeps every replication, and the design keeps its pair
// concurrences and their sum of squares up to date as it goes.
#pragma once

#include "services/matrix.h"

#include <cstddef>
#include <vector>

namespace sensory {

template <class Design>
void moveProductInRow(Design&, int, int, int, int);

// J rows of R products out of P: each row's products (in the order the
// exchanges left them), the incidence and the concurrences (replications
// on the diagonal), with the sum over pairs of squared concurrences.
class ExchangeDesign {
public:
    ExchangeDesign(int J, int P, int R);

    // Loads `design` when every row holds R products and the replications
    // are within one of each other; otherwise row j takes the R products
    // after the ones row j-1 took, mod P. Returns whether `design` was taken.
    bool load(const matrixInt* design);
    void writeTo(matrixInt* design) const;

    // Row j's products are blocks()[j R .. j R + R - 1].
    const std::vector<int>& blocks() const { return blocks_; }
    void restore(const std::vector<int>& blocks);

    long long sumOfSquares() const { return sumOfSquares_; }
    int conc(int p, int q) const { return conc_[cellOf(p, q)]; }

    // Lists the products of row i not in row j (outsideI) and of row j not
    // in row i (outsideJ), as many of each, in row order.
    void listOutside(int i, int j);
    std::size_t outside() const { return outsideI_.size(); }
    int outsideI(std::size_t s) const { return outsideI_[s]; }
    int outsideJ(std::size_t t) const { return outsideJ_[t]; }
    // listOutside, with the part of each exchange's change that depends on
    // one product alone, for scoring every exchange with change().
    void prepareRows(int i, int j);

    // The change of the sum of squares when the listed rows exchange
    // outsideI(s) and outsideJ(t): the pairs of each with the other row's
    // products rise by one, those with its own row's fall by one. change()
    // needs prepareRows; changeOf scores a single exchange after listOutside.
    long long change(std::size_t s, std::size_t t) const;
    long long changeOf(std::size_t s, std::size_t t) const;

    // Row i gives a to row j and takes b from it, in a's place.
    void exchange(int i, int j, int a, int b);

    // Whether no two rows hold the same products.
    bool distinctBlocks() const;

private:
    std::size_t cellOf(int p, int q) const { return static_cast<std::size_t>(static_cast<long long>(p) * P_ + q); }
    int& block(int j, int k) { return blocks_[static_cast<std::size_t>(static_cast<long long>(j) * R_ + k)]; }
    char& member(int j, int p) { return member_[static_cast<std::size_t>(static_cast<long long>(j) * P_ + p)]; }
    bool isMember(int j, int p) const { return member_[static_cast<std::size_t>(static_cast<long long>(j) * P_ + p)] != 0; }

    bool evenlyReplicated(const matrixInt* design) const;
    void recount();
    long long sumOver(const std::vector<int>& set, int p) const;
    void addConcurrence(int p, int q, int by);
    void moveProduct(int j, int out, int in);
    long long exchangeChange(long long gainA, long long gainB, int a, int b) const;
    template <class Design>
    friend void sensory::moveProductInRow(Design&, int, int, int, int);

    int J_, P_, R_;
    std::vector<int> blocks_;
    std::vector<char> member_;
    std::vector<int> conc_;
    long long sumOfSquares_ = 0;
    std::vector<int> outsideI_, outsideJ_;
    std::vector<long long> gainI_, gainJ_;
};

}  // namespace sensory
