// The host's search for a model of numeric and categorical factors
// (host/optimal/model_exchange.h) on the cases the README reports: one
// coordinate-exchange start, and a fixed number of starts on one and on two
// threads for the speed-up per thread. Counters: D and the loss the search
// minimises.
#include "host/model/constraint.h"
#include "host/model/model.h"
#include "host/model/region.h"
#include "host/optimal/model_exchange.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

namespace model = vxhost::model;
namespace search = vxhost::optimal;

struct Case {
    std::vector<const char*> factors;
    const char* terms;
    int runs;
    std::vector<const char*> constraints = {};
};

const std::vector<Case> kCases{
    {{"x1=-1:1", "x2=-1:1", "x3=-1:1"}, "quadratic", 15},
    {{"x1=-1:1", "x2=-1:1", "x3=-1:1", "x4=-1:1"}, "quadratic", 20},
    {{"x1=-1:1", "x2=-1:1", "x3=-1:1", "x4=-1:1", "x5=-1:1"}, "quadratic", 30},
    {{"a=-1:1/2", "b=-1:1/2", "c=-1:1/2", "d=-1:1/2", "e=-1:1/2", "f=-1:1/2"}, "interactions", 24},
    {{"c3=a|b|c", "c2=p|q", "x1=-1:1", "x2=-1:1"}, "c3+c2+x1+x2+x1*x2+x1^2+x2^2", 18},
    {{"x1=-1:1", "x2=-1:1", "x3=-1:1"}, "quadratic", 12, {"x1 + x2 <= 0.5"}},
};

struct Problem {
    model::Model model;
    model::Region region;
    int runs;
};

Problem problemOf(const Case& c) {
    std::vector<model::Factor> f;
    for (const char* text : c.factors) f.push_back(model::parseFactor(text));
    std::vector<model::LinearConstraint> limits;
    for (const char* text : c.constraints) limits.push_back(model::parseConstraint(f, text));
    model::Model m = model::Model::parse(f, c.terms);
    return {m, model::Region(m.factors(), limits), c.runs};
}

void OneStart(benchmark::State& state) {
    const Problem p = problemOf(kCases.at(static_cast<std::size_t>(state.range(0))));
    const auto objective = static_cast<search::Objective>(state.range(1));
    std::mt19937 rng(1);
    double loss = 0.0;
    for (auto _ : state) loss = search::coordinateExchange({p.model, p.region, p.runs, {}, {}}, objective, rng).loss;
    state.counters["loss"] = loss;
}
BENCHMARK(OneStart)
    ->ArgsProduct({benchmark::CreateDenseRange(0, 5, 1), {0, 1, 2}})
    ->ArgNames({"case", "objective"})
    ->Unit(benchmark::kMillisecond);

// 64 starts, the best kept: the same plan on any thread count, so the
// wall-time ratio is the speed-up.
void SixtyFourStarts(benchmark::State& state) {
    const Problem p = problemOf(kCases.at(static_cast<std::size_t>(state.range(0))));
    search::SearchSettings s;
    s.starts = 64;
    s.threads = static_cast<int>(state.range(1));
    double loss = 0.0;
    for (auto _ : state) loss = search::searchPlan({p.model, p.region, p.runs, {}, {}}, search::Objective::D, s).loss;
    state.counters["D"] = std::exp(-loss / p.model.columns()) / p.runs;
}
BENCHMARK(SixtyFourStarts)
    ->ArgsProduct({benchmark::CreateDenseRange(0, 5, 1), {1, 2}})
    ->ArgNames({"case", "threads"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
