// Resolvable arrangements through the host's entry points.
#include "boundary/VORNEXDO1M.h"
#include "sensory/resolvable.h"
#include "tests/sensory/orders_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <tuple>

namespace {

struct Design {
    int J, P, R;
    std::vector<int32_t> jp, jr;
    int32_t seed = 99, oSeed = 0, groupSize = -5;
    int16_t seedInit = -1, resolv = 7;
    // Judge j's order is its cyclic products, so rows of jp and jr identify each other.
    Design(int j, int p, int r) : J(j), P(p), R(r), jp(orders_test::cyclicIncidence(j, p, r)) {
        for (int k = 0; k < R; ++k)
            for (int i = 0; i < J; ++i) jr.push_back((i + k) % P + 1);
    }
    void transResolve(int tries) {
        Cpp_TransResolve(J, P, R, tries, jp.data(), jr.data(), &groupSize, &resolv, &seed, &seedInit, &oSeed);
    }
    void shuffle() { Cpp_RandomPerMuteRow(jp.data(), J, P, jr.data(), J, R, &seed, &seedInit, &oSeed); }
    // Each run of G consecutive judges tastes every product equally often.
    bool groupsBalanced(int G) const {
        for (int o = 0; o < J; o += G) {
            std::vector<int> counts(static_cast<std::size_t>(P), 0);
            for (int j = o; j < o + G; ++j)
                for (int p : orders_test::productsOf(jp, J, P, j)) ++counts[static_cast<std::size_t>(p - 1)];
            if (std::adjacent_find(counts.begin(), counts.end(), std::not_equal_to<>()) != counts.end()) return false;
        }
        return true;
    }
    std::multiset<std::vector<int32_t>> judges() const {
        std::multiset<std::vector<int32_t>> rows;
        for (int j = 0; j < J; ++j) rows.insert(orders_test::productsOf(jp, J, P, j));
        return rows;
    }
    bool rowsMovedTogether() const {
        for (int j = 0; j < J; ++j)
            if (orders_test::sortedRow(jr, J, R, j) != orders_test::productsOf(jp, J, P, j)) return false;
        return true;
    }
};

}  // namespace

TEST(Resolvable, ConsecutiveReplicatesResolveAtOnceWithoutDrawing) {
    Design d(12, 4, 2);  // judges 1-2, 3-4, ... each a replicate
    for (int j = 0; j < 12; ++j)  // judge j tastes 2(j mod 2)+1, +2: consecutive pairs cover 1..4
        for (int p = 0; p < 4; ++p) d.jp[static_cast<std::size_t>(p) * 12 + j] = (p / 2 == j % 2);
    const std::vector<int32_t> before = d.jp;
    d.seedInit = 0;
    d.transResolve(10);
    EXPECT_EQ(std::tie(d.resolv, d.groupSize, d.jp, d.seedInit, d.seed),
              std::tuple(int16_t{-1}, 2, before, int16_t{0}, 99));
}

TEST(Resolvable, ShuffledDesignFindsItsGroupingAndMovesOrdersAlong) {
    // J / P whole: orders move with the judges. 6 x 3: r = 4, g = 2, groups of 3 holding every product twice.
    // The closest arrangement of 12 x 6 groups judges sharing no product in threes. 8 x 4 by 3: r = 6 is no
    // multiple of 8, nor is 6/2, so g = 6/3 = 2 groups of 4, each tasting every product 3 times.
    for (auto [J, P, R, tries, closest] : {std::tuple{10, 5, 2, 500, false}, {6, 3, 2, 200, false}, {12, 6, 2, 200, true}, {8, 4, 3, 200, false}}) {
        Design d(J, P, R);
        d.shuffle();
        ASSERT_TRUE(d.rowsMovedTogether());
        if (closest)
            Cpp_FindClosestResolve(J, P, R, tries, d.jp.data(), d.jr.data(), &d.groupSize, &d.seed, &d.seedInit,
                                   &d.oSeed);
        else
            d.transResolve(tries);
        EXPECT_EQ(d.resolv, closest ? 7 : -1);
        const int G = closest ? P / 2 : P;
        ASSERT_EQ(d.groupSize, G);
        EXPECT_TRUE(d.groupsBalanced(G) && d.rowsMovedTogether());
    }
}

TEST(Resolvable, InputsThatWouldDivideByZeroChangeNothing) {
    Design d(6, 4, 2);
    const std::vector<int32_t> jp = d.jp, jr = d.jr;
    Cpp_TransResolve(6, 0, 2, 5, d.jp.data(), d.jr.data(), &d.groupSize, &d.resolv, &d.seed, &d.seedInit, &d.oSeed);
    EXPECT_EQ(d.resolv, 0);
    for (auto [P, R] : {std::pair{0, 2}, {1, 2}, {4, 0}})  // P = 1 < R: group size 0; R = 0: groups of P / 0
        Cpp_FindClosestResolve(6, P, R, 5, d.jp.data(), d.jr.data(), &d.groupSize, &d.seed, &d.seedInit, &d.oSeed);
    Cpp_FindResolvableMulti(3, 4, 2, 2, d.jr.data(), d.jp.data(), 0);
    EXPECT_EQ(std::tie(d.jp, d.jr, d.groupSize), std::tuple(jp, jr, -5));
    d.transResolve(0);  // not resolvable: one try, then an honest answer
    EXPECT_EQ(d.resolv, 0);
    EXPECT_EQ(d.judges(), Design(6, 4, 2).judges());  // the best try keeps every judge, placed or not
}

TEST(Resolvable, GroupCountsOfOneAndMorePositionsThanProductsAreNoArrangement) {
    Design one(2, 4, 2), wide(4, 2, 4), single(4, 2, 1);  // r = 1: g = 1; R > P; R = 1
    one.jp = {1, 0, 1, 0, 0, 1, 0, 1};                       // judges {1, 2} and {3, 4}: one replicate in all
    for (Design* d : {&one, &wide}) {
        const std::vector<int32_t> jp = d->jp;
        d->transResolve(5);
        EXPECT_EQ(std::tie(d->resolv, d->jp, d->groupSize), std::tuple(int16_t{0}, jp, -5)) << d->J;
    }
    single.jp = {1, 1, 0, 0, 0, 0, 1, 1};  // judges 1, 1, 2, 2: no replicate runs yet, the search pairs them
    single.jr = {1, 1, 2, 2};
    single.transResolve(5);
    EXPECT_EQ(std::tie(single.resolv, single.groupSize), std::tuple(int16_t{-1}, 2));
    EXPECT_TRUE(single.groupsBalanced(2) && single.rowsMovedTogether());
    single.groupSize = -5;
    Cpp_FindClosestResolve(0, 4, 4, 5, single.jp.data(), single.jr.data(), &single.groupSize, &single.seed,
                           &single.seedInit, &single.oSeed);  // no judges and R = P, yet the group size is told
    EXPECT_EQ(single.groupSize, 1);
}

TEST(Resolvable, RowShuffleMovesSecondMatrixOnlyWithTheSameRows) {
    Design d(6, 3, 2);
    matrixInt JP(6, 3, d.jp.data(), true);
    for (bool noSecond : {true, false})  // no second matrix, or no seed out: refused, nothing moves
        RandomPerMuteRow(&JP, 6, 3, noSecond ? nullptr : &JP, 6, 3, &d.seed, &d.seedInit, noSecond ? &d.oSeed : nullptr);
    ASSERT_TRUE(d.rowsMovedTogether());
    Cpp_RandomPerMuteRow(d.jp.data(), 6, 3, d.jr.data(), 4, 3, &d.seed, &d.seedInit, &d.oSeed);  // 4 x 3 of jr's 12
    EXPECT_EQ(d.jr, Design(6, 3, 2).jr);
    EXPECT_FALSE(d.rowsMovedTogether());
}

TEST(Resolvable, FurtherOccasionsRotateEachGroupByOccasionMinusOne) {
    const int J = 7, NBS = 5;  // groups of 3, then a last group of 1
    std::vector<int32_t> jr(static_cast<std::size_t>(J) * NBS, 0), jp(static_cast<std::size_t>(J) * NBS, -1);
    for (int j = 0; j < J; ++j) jr[static_cast<std::size_t>(j)] = jp[static_cast<std::size_t>(j)] = j + 1;
    Cpp_FindResolvableMulti(J, 1, 1, NBS, jr.data(), jp.data(), 3);
    auto occasion = [&](int s) { return std::vector<int32_t>(jr.begin() + (s - 1) * J, jr.begin() + s * J); };
    EXPECT_EQ(occasion(2), (std::vector<int32_t>{3, 1, 2, 6, 4, 5, 7}));
    EXPECT_EQ(occasion(3), (std::vector<int32_t>{2, 3, 1, 5, 6, 4, 7}));
    EXPECT_EQ(occasion(4), std::vector<int32_t>(J, 0));  // beyond the group size
    EXPECT_EQ(std::vector<int32_t>(jp.begin() + J, jp.begin() + 2 * J), occasion(2));
    // Orders holding more occasions than the incidence, or the incidence more
    // than the orders, still receive theirs; a missing matrix leaves the other alone.
    for (int ordersWider : {1, 0}) {
        std::vector<int32_t> occasions[2] = {{1, 2, 3, 0, 0, 0, 0, 0, 0}, {1, 2, 3, 0, 0, 0}};
        matrixInt wide(3, 3, occasions[0].data(), true), narrow(3, 2, occasions[1].data(), true);
        FindResolvableMulti(3, 1, 1, 3, ordersWider ? &wide : &narrow, ordersWider ? &narrow : &wide, 3);
        FindResolvableMulti(3, 1, 1, 3, nullptr, &wide, 3);
        FindResolvableMulti(3, 1, 1, 3, &wide, nullptr, 3);
        EXPECT_EQ(occasions[0], (std::vector<int32_t>{1, 2, 3, 3, 1, 2, 2, 3, 1})) << ordersWider;
    }
}
