// The two exchange searches of the concurrence targeting: a tabu search
// that brings the sum of squared pair concurrences to its least value,
// and an annealed walk that maximises the criterion among the designs it
// reaches. Both draw from the call's stream, and both are bounded by a
// fixed amount of work and, when the host asks for it, by the clock.
#pragma once

#include "sensory/concurrence_targeting.h"
#include "sensory/criterion_tracker.h"
#include "sensory/exchange_design.h"
#include "sensory/seed_stream.h"

#include <cstddef>
#include <limits>
#include <vector>

namespace sensory {

// The clock of one targeting call: with iTimeStop -1 a search ends once
// the budget has passed since the call began. Reading the clock costs more
// than a step, so it is read every kClockPeriod steps.
class TargetingClock {
public:
    explicit TargetingClock(const TargetingBudget& time);
    bool outOfTime(long long step) const;
    static constexpr long long kClockPeriod = 16;

private:
    TargetingBudget time_;
    double started_;
};

// A uniform draw of 0..n-1.
int drawBelow(SeedStream& seeds, int n);

// Row i gives up its product outsideI(s) to row j for outsideJ(t).
struct RandomExchange {
    int i, j;
    std::size_t s, t;
};

// Two different rows drawn at random, listed in d, and one exchange between
// them; false (after the row draws) when the rows hold the same products.
bool drawExchange(ExchangeDesign& d, int J, SeedStream& seeds, RandomExchange& e);

// Tabu search over exchanges towards the least sum of squared
// concurrences. Each move takes the exchange of least change that is not
// tabu, or that is tabu but would go below the least sum so far, among
// equals each with the same chance; the products it moves may not return
// to the rows they left for kTenure moves plus a random part of up to
// kTenureSpread.
class ConcurrenceTabuSearch {
public:
    ConcurrenceTabuSearch(int J, int P, int R);

    // From d's design until the sum reaches `target` (the least that whole
    // counts allow), or kStallMoves moves go by without a lower sum, or
    // kScoredWork products have been compared while scoring exchanges, or
    // the clock runs out. Returns the blocks of the least sum found.
    std::vector<int> run(ExchangeDesign& d, long long target, const TargetingClock& clock, SeedStream& seeds);

    static constexpr long long kScoredWork = 3'000'000;
    static constexpr long long kStallMoves = 200;
    static constexpr int kTenure = 2;
    static constexpr int kTenureSpread = 8;

private:
    struct Exchange {
        int i = -1, j = -1, a = -1, b = -1;
        long long change = std::numeric_limits<long long>::max();
    };
    Exchange bestExchange(ExchangeDesign& d, long long move, long long least, SeedStream& seeds);
    bool tabu(long long move, int i, int j, int a, int b) const;
    long long& tabuUntil(int j, int p) { return tabuUntil_[static_cast<std::size_t>(static_cast<long long>(j) * P_ + p)]; }
    long long tabuUntil(int j, int p) const { return tabuUntil_[static_cast<std::size_t>(static_cast<long long>(j) * P_ + p)]; }

    int J_, P_, R_;
    std::vector<long long> tabuUntil_;
    long long scored_ = 0;
};

// The best design seen so far and its criterion.
struct BestDesign {
    double value = -std::numeric_limits<double>::infinity();
    std::vector<int> blocks;
    void keepIfBetter(double c, const ExchangeDesign& d) {
        if (!(c > value)) return;
        value = c;
        blocks = d.blocks();
    }
};

// An annealed walk over exchanges that keep the sum of squared
// concurrences where it is (or lower it), scored by the criterion
// iCritType (1: D-type, otherwise A-type). A worse design is accepted with
// probability exp(loss / temperature), the temperature falling
// geometrically over the walk's steps from the first value to kLastTemperature.
class CriterionWalk {
public:
    CriterionWalk(int J, int P, int R, int iCritType);

    // `steps` scored exchanges from d's design, at most 8 draws per step,
    // until the clock runs out. Every design that scores above `best`, with
    // distinct blocks when keepDistinct, replaces it. A disconnected design
    // has no criterion to walk on: then nothing is done.
    void run(ExchangeDesign& d, long long steps, bool keepDistinct, const TargetingClock& clock, SeedStream& seeds,
             BestDesign& best);

    // The steps that cost a fixed amount of work (the multiply-adds of the
    // tracker), which keeps an untimed call well under a tenth of a second.
    long long stepsOfWork() const;

    // The A-criterion, a harmonic mean, moves further than the D-criterion
    // for the same exchange when an eigenvalue is small, so its walk starts
    // hotter: colder, either walk settles in the first good basin on some
    // seeds (12 products, 18 judges, 4 each); the D walk started as hot as
    // the A walk no longer settles in the best one.
    static constexpr double kFirstTemperatureD = 7e-5;
    static constexpr double kFirstTemperatureA = 2e-4;
    static constexpr double kLastTemperature = 1e-7;
    static constexpr double kCriterionWork = 30e6;

private:
    int J_, P_, R_, iCritType_;
    CriterionTracker tracker_;
};

}  // namespace sensory
