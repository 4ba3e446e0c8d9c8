// Taking an edited plan back: matching every run with its rows of the edited
// table by standard-order number, reversed here so every run moves.
#include "response/plan_update.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

void ComparePlanReversedRows(benchmark::State& state) {
    const int nplan = static_cast<int>(state.range(0));
    const int nFac = 3, pplan = 4 + nFac, pxbis = 1 + nFac;
    matrix X(nplan, pplan, 0.0), Xbis(nplan, pxbis, 0.0);
    Smatrix headers(pxbis, 1), names(nFac, 1), ref(1, 1);
    ref.vbset(1, 1, u"Std");
    headers.vbset(1, 1, u"Std");
    for (int f = 1; f <= nFac; ++f) {
        names.vbset(f, 1, std::u16string(1, static_cast<char16_t>(u'A' + f - 1)));
        headers.vbset(f + 1, 1, names.vbget(f, 1));
    }
    for (int i = 1; i <= nplan; ++i) {
        X.vbset(i, 2, i);
        Xbis.vbset(nplan + 1 - i, 1, i);
        for (int f = 1; f <= nFac; ++f) Xbis.vbset(nplan + 1 - i, f + 1, i % 7 + f);
    }
    for (auto _ : state) {
        auto plan = std::make_unique<matrix>(nplan, pplan, 0.0);
        X.copyMatTo(plan.get());
        matrix changes(nplan, nFac + 4, 0.0);
        int code = 0;
        ComparePlan(nplan, nFac, plan.get(), &Xbis, pxbis, &headers, &names, &ref, &code, &changes);
        benchmark::DoNotOptimize(code);
    }
    state.SetItemsProcessed(state.iterations() * nplan);
}
BENCHMARK(ComparePlanReversedRows)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
