#include "sensory/exchange_design.h"

#include "sensory/row_exchange.h"

#include <algorithm>

namespace sensory {

namespace {

std::size_t at(long long i) { return static_cast<std::size_t>(i); }
long long sqr(long long x) { return x * x; }

}  // namespace

ExchangeDesign::ExchangeDesign(int J, int P, int R)
    : J_(J), P_(P), R_(R), blocks_(at(static_cast<long long>(J) * R)), member_(at(static_cast<long long>(J) * P)),
      conc_(at(static_cast<long long>(P) * P)) {}

bool ExchangeDesign::load(const matrixInt* design) {
    const bool usable = evenlyReplicated(design);
    for (int j = 0; j < J_; ++j) {
        int k = 0;
        for (int p = 0; p < P_ && usable; ++p)
            if (design->vbget(j + 1, p + 1) == 1) block(j, k++) = p;
        for (; k < R_; ++k) block(j, k) = static_cast<int>((static_cast<long long>(j) * R_ + k) % P_);
    }
    recount();
    return usable;
}

void ExchangeDesign::writeTo(matrixInt* design) const {
    for (int j = 0; j < J_; ++j)
        for (int p = 0; p < P_; ++p) design->vbset(j + 1, p + 1, isMember(j, p) ? 1 : 0);
}

void ExchangeDesign::restore(const std::vector<int>& blocks) {
    blocks_ = blocks;
    recount();
}

void ExchangeDesign::listOutside(int i, int j) {
    outsideI_.clear();
    outsideJ_.clear();
    for (int k = 0; k < R_; ++k) {
        if (!isMember(j, block(i, k))) outsideI_.push_back(block(i, k));
        if (!isMember(i, block(j, k))) outsideJ_.push_back(block(j, k));
    }
}

void ExchangeDesign::prepareRows(int i, int j) {
    listOutside(i, j);
    gainI_.clear();
    gainJ_.clear();
    for (int a : outsideI_) gainI_.push_back(sumOver(outsideJ_, a) - sumOver(outsideI_, a));
    for (int b : outsideJ_) gainJ_.push_back(sumOver(outsideI_, b) - sumOver(outsideJ_, b));
}

long long ExchangeDesign::change(std::size_t s, std::size_t t) const {
    return exchangeChange(gainI_[s], gainJ_[t], outsideI_[s], outsideJ_[t]);
}

long long ExchangeDesign::changeOf(std::size_t s, std::size_t t) const {
    const int a = outsideI_[s], b = outsideJ_[t];
    return exchangeChange(sumOver(outsideJ_, a) - sumOver(outsideI_, a), sumOver(outsideI_, b) - sumOver(outsideJ_, b),
                          a, b);
}

// With m products outside on each side, a gives up its m - 1 pairs with
// the rest of its row's outside products and gains m - 1 with row j's
// (b apart), and b likewise: each rise or fall of a concurrence c by one
// changes its square by 2c + 1 or -2c + 1.
long long ExchangeDesign::exchangeChange(long long gainA, long long gainB, int a, int b) const {
    const long long m = static_cast<long long>(outside());
    return 2 * (gainA + gainB - 2LL * conc(a, b) + 2 * (m - 1));
}

void ExchangeDesign::exchange(int i, int j, int a, int b) {
    moveProduct(i, a, b);
    moveProduct(j, b, a);
}

bool ExchangeDesign::distinctBlocks() const {
    std::vector<std::vector<int>> sorted;
    for (int j = 0; j < J_; ++j) {
        std::vector<int> row(blocks_.begin() + static_cast<long>(j) * R_, blocks_.begin() + static_cast<long>(j + 1) * R_);
        std::sort(row.begin(), row.end());
        sorted.push_back(std::move(row));
    }
    std::sort(sorted.begin(), sorted.end());
    return std::adjacent_find(sorted.begin(), sorted.end()) == sorted.end();
}

bool ExchangeDesign::evenlyReplicated(const matrixInt* design) const {
    const auto replication = replicationsOfBlocksOfR(design, J_, P_, R_);
    if (!replication) return false;
    const auto [least, most] = std::minmax_element(replication->begin(), replication->end());
    return *most - *least <= 1;
}

void ExchangeDesign::recount() {
    std::fill(member_.begin(), member_.end(), 0);
    std::fill(conc_.begin(), conc_.end(), 0);
    for (int j = 0; j < J_; ++j)
        for (int k = 0; k < R_; ++k) {
            member(j, block(j, k)) = 1;
            for (int l = 0; l <= k; ++l) addConcurrence(block(j, k), block(j, l), 1);
        }
    sumOfSquares_ = 0;
    for (int p = 0; p < P_; ++p)
        for (int q = 0; q < p; ++q) sumOfSquares_ += sqr(conc(p, q));
}

// Concurrences of p with the products of `set` other than p.
long long ExchangeDesign::sumOver(const std::vector<int>& set, int p) const {
    long long s = 0;
    for (int x : set)
        if (x != p) s += conc(p, x);
    return s;
}

void ExchangeDesign::addConcurrence(int p, int q, int by) {
    if (p != q) sumOfSquares_ += 2LL * conc(p, q) * by + 1;
    conc_[cellOf(p, q)] += by;
    if (p != q) conc_[cellOf(q, p)] += by;
}

// Row j gives up `out` and takes `in`; the replications on the diagonal follow.
void ExchangeDesign::moveProduct(int j, int out, int in) {
    moveProductInRow(*this, j, out, in, R_);
    addConcurrence(out, out, -1);
    addConcurrence(in, in, 1);
}

}  // namespace sensory
