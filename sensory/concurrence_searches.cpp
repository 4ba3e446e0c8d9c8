#include "sensory/concurrence_searches.h"

#include "sensory/block_criteria.h"
#include "sensory/search_clock.h"

#include <algorithm>
#include <cmath>

namespace sensory {

TargetingClock::TargetingClock(const TargetingBudget& time) : time_(time), started_(clockNow()) {}

bool TargetingClock::outOfTime(long long step) const {
    return time_.iTimeStop == -1 && step % kClockPeriod == 0 && scaledElapsedSince(started_) > time_.budget;
}

int drawBelow(SeedStream& seeds, int n) { return std::min(n - 1, static_cast<int>(seeds.uniform() * n)); }

bool drawExchange(ExchangeDesign& d, int J, SeedStream& seeds, RandomExchange& e) {
    e.i = drawBelow(seeds, J);
    e.j = (e.i + 1 + drawBelow(seeds, J - 1)) % J;
    d.listOutside(e.i, e.j);
    const int m = static_cast<int>(d.outside());
    if (m == 0) return false;
    e.s = static_cast<std::size_t>(drawBelow(seeds, m));
    e.t = static_cast<std::size_t>(drawBelow(seeds, m));
    return true;
}

ConcurrenceTabuSearch::ConcurrenceTabuSearch(int J, int P, int R)
    : J_(J), P_(P), R_(R), tabuUntil_(static_cast<std::size_t>(static_cast<long long>(J) * P)) {}

std::vector<int> ConcurrenceTabuSearch::run(ExchangeDesign& d, long long target, const TargetingClock& clock,
                                            SeedStream& seeds) {
    std::fill(tabuUntil_.begin(), tabuUntil_.end(), 0);
    scored_ = 0;
    long long least = d.sumOfSquares(), lastGain = 0;
    std::vector<int> leastBlocks = d.blocks();
    for (long long move = 1;
         least > target && scored_ < kScoredWork && move - lastGain <= kStallMoves && !clock.outOfTime(move); ++move) {
        const Exchange e = bestExchange(d, move, least, seeds);
        if (e.i < 0) continue;  // every exchange tabu: wait for one to expire
        d.exchange(e.i, e.j, e.a, e.b);
        tabuUntil(e.i, e.a) = move + kTenure + static_cast<long long>(seeds.uniform() * kTenureSpread);
        tabuUntil(e.j, e.b) = move + kTenure + static_cast<long long>(seeds.uniform() * kTenureSpread);
        if (d.sumOfSquares() < least) {
            least = d.sumOfSquares();
            leastBlocks = d.blocks();
            lastGain = move;
        }
    }
    return leastBlocks;
}

// Whether row i may not take b back, or row j a, at this move.
bool ConcurrenceTabuSearch::tabu(long long move, int i, int j, int a, int b) const {
    return tabuUntil(i, b) > move || tabuUntil(j, a) > move;
}

ConcurrenceTabuSearch::Exchange ConcurrenceTabuSearch::bestExchange(ExchangeDesign& d, long long move, long long least,
                                                                    SeedStream& seeds) {
    Exchange best;
    int ties = 0;
    for (int i = 0; i < J_ && scored_ < kScoredWork; ++i)
        for (int j = i + 1; j < J_; ++j) {
            d.prepareRows(i, j);
            const std::size_t m = d.outside();
            scored_ += R_ + static_cast<long long>(m * m);
            for (std::size_t s = 0; s < m; ++s)
                for (std::size_t t = 0; t < m; ++t) {
                    const long long change = d.change(s, t);
                    if (change > best.change) continue;
                    const int a = d.outsideI(s), b = d.outsideJ(t);
                    if (tabu(move, i, j, a, b) && d.sumOfSquares() + change >= least) continue;
                    if (change < best.change) ties = 0;
                    if (++ties > 1 && seeds.uniform() * ties >= 1.0) continue;
                    best = Exchange{i, j, a, b, change};
                }
        }
    return best;
}

CriterionWalk::CriterionWalk(int J, int P, int R, int iCritType)
    : J_(J), P_(P), R_(R), iCritType_(iCritType), tracker_(P, R, iCritType) {}

long long CriterionWalk::stepsOfWork() const {
    const double perStep = 4.0 * P_ * P_ + 16.0 * R_ * R_;
    return std::max(1LL, static_cast<long long>(kCriterionWork / perStep));
}

void CriterionWalk::run(ExchangeDesign& d, long long steps, bool keepDistinct, const TargetingClock& clock,
                        SeedStream& seeds, BestDesign& best) {
    if (!tracker_.reset(d)) return;
    double current = tracker_.value();
    if (!keepDistinct || d.distinctBlocks()) best.keepIfBetter(current, d);
    double temperature = iCritType_ == kDType ? kFirstTemperatureD : kFirstTemperatureA;
    const double cooling = std::pow(kLastTemperature / temperature, 1.0 / static_cast<double>(steps));
    long long attempts = 0;
    for (long long n = 0; n < steps && attempts < 8 * steps && !clock.outOfTime(attempts); ++attempts) {
        RandomExchange e{};
        if (!drawExchange(d, J_, seeds, e) || d.changeOf(e.s, e.t) > 0) continue;
        const int a = d.outsideI(e.s), b = d.outsideJ(e.t);
        const double next = tracker_.tryExchange(d, a, b);
        ++n;
        temperature *= cooling;
        if (next >= current || seeds.uniform() < std::exp((next - current) / temperature)) {
            d.exchange(e.i, e.j, a, b);
            tracker_.accept(d);
            current = next;
            if (next > best.value && (!keepDistinct || d.distinctBlocks())) best.keepIfBetter(next, d);
        }
    }
}

}  // namespace sensory
