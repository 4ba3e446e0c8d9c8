// Timing of the dense decompositions on symmetric positive definite matrices
// of the sizes the design searches work with.
#include "services/matrix_ops.h"

#include <benchmark/benchmark.h>

#include <cstdint>

namespace {

// A reproducible symmetric positive definite n x n matrix: G'G + n I for a
// pseudo-random G (a fixed linear congruential stream, no library generator).
matrix* spdMatrix(int n) {
    matrix G(n, n, 0.0);
    std::uint64_t state = 0x9E3779B97F4A7C15ull;
    for (int i = 0; i < G.count(); ++i) {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        G.data()[i] = static_cast<double>(state >> 11) / 9007199254740992.0 - 0.5;
    }
    matrix* A = nullptr;
    M_ProductTrAA(&G, A);
    for (int i = 1; i <= n; ++i) A->vbset(i, i, A->vbget(i, i) + n);
    return A;
}

void BM_Eigen(benchmark::State& state) {
    matrix* A = spdMatrix(static_cast<int>(state.range(0)));
    matrix *values = nullptr, *vectors = nullptr;
    for (auto _ : state) benchmark::DoNotOptimize(M_Eigen(A, values, vectors, true));
    delete A;
    delete values;
    delete vectors;
}

void BM_Cholesky(benchmark::State& state) {
    matrix* A = spdMatrix(static_cast<int>(state.range(0)));
    matrix* L = nullptr;
    for (auto _ : state) benchmark::DoNotOptimize(M_CholDecomp(A, L));
    delete A;
    delete L;
}

void BM_LuDeterminant(benchmark::State& state) {
    matrix* A = spdMatrix(static_cast<int>(state.range(0)));
    bool singular = false;
    for (auto _ : state) benchmark::DoNotOptimize(M_LogDeterminant(A, &singular));
    delete A;
}

void BM_Inverse(benchmark::State& state) {
    matrix* A = spdMatrix(static_cast<int>(state.range(0)));
    matrix* Ainv = nullptr;
    bool failed = false;
    for (auto _ : state) {
        inverse1(A, Ainv, 1e-6, &failed);
        benchmark::DoNotOptimize(Ainv->data());
    }
    delete A;
    delete Ainv;
}

void BM_GeneralisedInverse(benchmark::State& state) {
    matrix* A = spdMatrix(static_cast<int>(state.range(0)));
    matrix* Aplus = nullptr;
    for (auto _ : state) {
        M_InvGeneralized(A, Aplus, 1e-6);
        benchmark::DoNotOptimize(Aplus->data());
    }
    delete A;
    delete Aplus;
}

}  // namespace

BENCHMARK(BM_Eigen)->Arg(10)->Arg(40);
BENCHMARK(BM_Cholesky)->Arg(10)->Arg(40);
BENCHMARK(BM_LuDeterminant)->Arg(10)->Arg(40);
BENCHMARK(BM_Inverse)->Arg(10)->Arg(40);
BENCHMARK(BM_GeneralisedInverse)->Arg(10)->Arg(40);
