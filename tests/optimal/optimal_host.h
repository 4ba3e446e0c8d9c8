// A host's arrays for the optimal-design entry points, sized the way a host
// sizes them, and the calls a host makes with them.
#pragma once

#include "boundary/VORNEXDO1M.h"
#include "exact_reference.h"
#include "optimal/criteria.h"
#include "services/matrix_ops.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

namespace opttest {

struct Shape {
    std::vector<int32_t> levels;
    int32_t runs;
};

// X'X of the first n rows of X, its inverse and its Cholesky factor, computed afresh.
struct Fresh {
    std::unique_ptr<matrix> M, V, L;
    Fresh(const matrix* X, int n, int p) {
        matrix *m = nullptr, *v = nullptr, *l = nullptr;
        optimal::GramOfRows(X, n, p, m);
        inverse1(m, v, 1e-12, static_cast<short*>(nullptr));
        M_CholDecomp(m, l);
        M.reset(m), V.reset(v), L.reset(l);
    }
};

struct HostPlan {
    std::vector<int32_t> levels;
    int32_t N, nfullplan, p, icode = 1, icrit = 2;
    VARIANT_BOOL accelerate = -1, doChol = 0;
    int32_t ioSeed = 7, oSeed = 0;
    std::vector<BSTR> cats, q;
    std::vector<double> planOpt, planDisp, critvalopt, vopt, chol;
    std::vector<int32_t> iopt, nbrOpt;
    std::vector<VARIANT_BOOL> delta;
    int32_t startIter;
    int32_t nbRes = 0;  // response columns of PlanDisp past the factors

    HostPlan(std::vector<int32_t> lv, int32_t runs, int32_t seed = 7, VARIANT_BOOL accel = -1, VARIANT_BOOL factor = 0)
        : levels(std::move(lv)), N(runs), accelerate(accel), doChol(factor), ioSeed(seed), startIter(runs) {
        const int32_t k = static_cast<int32_t>(levels.size());
        nfullplan = Cpp_GetFullPlanLines(k, levels.data());
        p = Cpp_GetnColPlan(k, levels.data());
        cats.assign(k, nullptr);
        q.assign(static_cast<std::size_t>(N) * k, nullptr);
        planOpt.assign(static_cast<std::size_t>(N) * p, 0.0);
        planDisp.assign(static_cast<std::size_t>(N) * (k + 4), 0.0);
        critvalopt.assign(N, 0.0);
        vopt.assign(static_cast<std::size_t>(p) * p, 0.0);
        chol = vopt;
        iopt.assign(N, 0);
        nbrOpt.assign(N, 0);
        delta.assign(N, 0);
    }
    int32_t factors() const { return static_cast<int32_t>(levels.size()); }
    // PlanDisp grows by n response columns, each cell `value`: the host's.
    void addResponses(int32_t n, double value) {
        nbRes += n;
        planDisp.resize(planDisp.size() + static_cast<std::size_t>(N) * n, value);
    }

    int32_t init(int32_t nalgo, VARIANT_BOOL seedInit = -1) {
        return Cpp_OptiplanInit(factors(), levels.data(), nbRes, cats.data(), nullptr, 0, 1, icode, icrit, accelerate,
                                doChol, nalgo, N, nfullplan, p, &ioSeed, seedInit, &oSeed, q.data(),
                                planOpt.data(), planDisp.data(), iopt.data(), critvalopt.data(), nbrOpt.data(),
                                delta.data(), vopt.data(), chol.data());
    }
    // One call with critvalopt grown to StartIter + maxIter; StartIter advanced.
    int32_t iterate(int32_t nalgo, int32_t maxIter, double convergence = 1e-9) {
        critvalopt.resize(static_cast<std::size_t>(startIter) + maxIter, 0.0);
        int32_t accepted = -1;
        Cpp_OptiplanIterate(factors(), levels.data(), nbRes, icode, icrit, accelerate, doChol, nalgo, N, nfullplan, p,
                            nullptr, 0, nullptr, maxIter, startIter, convergence, &accepted, planOpt.data(),
                            planDisp.data(), iopt.data(), critvalopt.data(), nbrOpt.data(), delta.data(),
                            vopt.data(), chol.data());
        startIter += accepted;
        return accepted;
    }
    // Calls until one accepts nothing; false when 10000 exchanges did not get
    // there (a plan's criterion cannot rise that often here: a fault).
    [[nodiscard]] bool iterateToEnd(int32_t nalgo) {
        for (int calls = 0; calls < 200; ++calls)
            if (iterate(nalgo, 50) == 0) return true;
        return false;
    }
    double criterion() const { return critvalopt[startIter - 1]; }
    // The criterion of the first `rows` runs of the plan, computed afresh.
    double criterionOf(int rows) {
        matrix X(N, p, planOpt.data(), false);
        return VerifyCritval(&X, rows, p, icrit == 1 ? 1 : 2);
    }
    exact::Plan exact() const {
        return {std::vector<int>(levels.begin(), levels.end()), icode, {iopt.begin(), iopt.end()}};
    }
    // Largest discrepancy between the reported criterion (relative), V and L
    // where asked, and what the plan left in the arrays gives afresh.
    double companionError(bool checkV, bool checkL) {
        matrix X(N, p, planOpt.data(), false);
        const Fresh f(&X, N, p);
        double e = std::fabs(criterion() - criterionOf(N)) / std::max(1.0, std::fabs(criterion()));
        for (int i = 0; i < p * p; ++i) {
            e = std::max(e, checkV ? std::fabs(vopt[i] - f.V->vbget(i + 1)) : 0.0);
            e = std::max(e, checkL ? std::fabs(chol[i] - f.L->vbget(i + 1)) : 0.0);
        }
        return e;
    }
};

}  // namespace opttest
