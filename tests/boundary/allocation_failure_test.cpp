// Memory running out inside a call, at every allocation the call makes: the
// n-th allocation fails on the n-th run, for n = 1, 2, ... until a run
// completes. Each run must free what it allocated, keep its exception inside
// the library, return VX_E_INTERNAL from an INT entry point and, from a void
// one, leave the host's arrays as they were.
//
// This program replaces the global operator new and delete, which changes
// them for the whole executable: it is a test program of its own. The
// replacement fails only while a run has armed it, so GoogleTest allocates
// normally, and it counts live blocks, so a leak shows in any build, not only
// under LeakSanitizer.
#include "boundary/VORNEXDO1M.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <string>
#include <tuple>
#include <vector>

namespace {

// ----- the failing allocator --------------------------------------------------------

std::atomic<long long> untilFailure{0};  // > 0: armed; the allocation taking it to 0 fails
std::atomic<bool> failureMade{false};
std::atomic<long long> liveBlocks{0};

bool failThisAllocation() {
    long long left = untilFailure.load();
    while (left > 0) {
        if (untilFailure.compare_exchange_weak(left, left - 1)) {
            if (left > 1) return false;
            failureMade = true;
            return true;
        }
    }
    return false;
}

void* allocate(std::size_t size) {
    if (failThisAllocation()) throw std::bad_alloc();
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr) throw std::bad_alloc();
    ++liveBlocks;
    return p;
}

void* allocateOrNull(std::size_t size) noexcept {
    try {
        return allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void release(void* p) noexcept {
    if (p == nullptr) return;
    --liveBlocks;
    std::free(p);
}

}  // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return allocateOrNull(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return allocateOrNull(size); }
void operator delete(void* p) noexcept { release(p); }
void operator delete[](void* p) noexcept { release(p); }
void operator delete(void* p, std::size_t) noexcept { release(p); }
void operator delete[](void* p, std::size_t) noexcept { release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { release(p); }

namespace {

// ----- one call, failing at each of its allocations ---------------------------------

constexpr long long kMostAllocations = 100000;

// A host's arrays for one call. `Host` provides call() (the entry point's
// result, 0 for a void one), kReturnsCode, and state(): the arrays a failed
// call must leave as they were (for an INT entry point, those the library
// copies back). An allocation that fails need not fail the call (a sort
// without its buffer sorts in place), so each run ends either as a failure,
// reported and with the arrays untouched, or exactly as an undisturbed call
// ends. What the undisturbed call writes is each family's own tests' concern;
// here it must succeed and write something, or an untouched failure would
// look like it.
template <class Host>
void FailEachAllocation() {
    Host reference;  // also makes, outside the count, what the library makes once on first use
    const auto untouched = reference.state();
    const int32_t completed = reference.call();
    EXPECT_GE(completed, 0);
    EXPECT_NE(reference.state(), untouched) << "the undisturbed call wrote nothing";
    for (long long n = 1; n <= kMostAllocations; ++n) {
        SCOPED_TRACE(::testing::Message() << "allocation " << n << " fails");
        Host host;
        const auto before = host.state();
        int32_t result = 0;
        bool escaped = false;
        const long long liveBefore = liveBlocks;
        failureMade = false;
        untilFailure = n;
        try {
            result = host.call();
        } catch (...) {
            escaped = true;
        }
        untilFailure = 0;
        EXPECT_FALSE(escaped) << "an exception crossed the boundary";
        EXPECT_EQ(liveBlocks - liveBefore, 0) << "blocks left allocated";
        if (!failureMade) {
            EXPECT_GT(n, 1) << "the call allocates nothing: the test proves nothing";
            return;
        }
        const bool failed = Host::kReturnsCode ? result == VX_E_INTERNAL : host.state() == before;
        if (failed) {
            EXPECT_EQ(host.state(), before) << "a failed call changed the host's arrays";
        } else {
            EXPECT_EQ(result, completed);
            EXPECT_EQ(host.state(), reference.state()) << "a call that went on after the failure differs";
        }
        if (::testing::Test::HasFailure()) return;
    }
    ADD_FAILURE() << "no run completed";
}

// OLECHAR is 16 bits on every target, char16_t here and wchar_t on Windows.
std::u16string Text(BSTR b) {
    return b == nullptr ? std::u16string() : std::u16string(reinterpret_cast<const char16_t*>(b), SysStringLen(b));
}
BSTR Bstr(const char16_t* s) { return SysAllocString(reinterpret_cast<const OLECHAR*>(s)); }

// ----- one call of each family --------------------------------------------------------

// A central composite design on 2 factors, coded, in random order.
struct CompositeDesign {
    static constexpr bool kReturnsCode = true;
    int32_t nplan = 0, pplan = 0, nblock = 0, seed = 5, oSeed = 0;
    std::vector<double> minF{-1, -1}, maxF{1, 1}, plan;
    CompositeDesign() {
        Cpp_PlanDimension(2, 2, 2, 1, 0, 1, 0, &nplan, &pplan, &nblock);
        plan.assign(static_cast<std::size_t>(nplan) * pplan, 0.0);  // factor cells a run leaves unset stay 0
    }
    int32_t call() {
        return Cpp_PlanGenerate(2, 2, 2, 1, 0, 1, -1, 0, 0, nplan, pplan, nblock, minF.data(), maxF.data(), nullptr,
                                plan.data(), &seed, -1, &oSeed);
    }
    auto state() const { return plan; }
};

TEST(AllocationFailure, ClassicalDesign) {
    FailEachAllocation<CompositeDesign>();
}

// The sequential start on the 2 x 3 factorial: 6 runs, 4 model columns.
struct OptimalStart {
    static constexpr bool kReturnsCode = true;
    static constexpr int32_t kRuns = 6, kColumns = 4;
    std::vector<int32_t> levels{2, 3};
    int32_t seed = 7, oSeed = 0;
    std::vector<BSTR> cats = std::vector<BSTR>(2, nullptr), q = std::vector<BSTR>(kRuns * 2, nullptr);
    std::vector<double> planOpt = std::vector<double>(kRuns * kColumns, 0.0),
                        planDisp = std::vector<double>(kRuns * 6, 0.0), critvalopt = std::vector<double>(kRuns, 0.0),
                        vopt = std::vector<double>(kColumns * kColumns, 0.0), chol = vopt;
    std::vector<int32_t> iopt = std::vector<int32_t>(kRuns, 0), nbrOpt = iopt;
    std::vector<VARIANT_BOOL> delta = std::vector<VARIANT_BOOL>(kRuns, 0);
    int32_t call() {
        return Cpp_OptiplanInit(2, levels.data(), 0, cats.data(), nullptr, 0, 1, 1, 2, -1, -1, 2, kRuns, 6,
                                kColumns, &seed, -1, &oSeed, q.data(), planOpt.data(), planDisp.data(), iopt.data(),
                                critvalopt.data(), nbrOpt.data(), delta.data(), vopt.data(), chol.data());
    }
    auto state() const { return std::tuple(planOpt, planDisp, critvalopt, vopt, chol, iopt, nbrOpt, delta); }
};

// Exchanges from a random start of 8 runs on the 3 x 3 x 2 factorial, made
// before the count: each exhaustive pass, then each Fedorov pass, of one call.
template <int32_t kAlgo>
struct OptimalExchanges {
    static constexpr bool kReturnsCode = true;
    static constexpr int32_t kRuns = 8, kColumns = 6, kMost = 4;
    std::vector<int32_t> levels{3, 3, 2};
    int32_t seed = 7, oSeed = 0;
    std::vector<BSTR> cats = std::vector<BSTR>(3, nullptr), q = std::vector<BSTR>(kRuns * 3, nullptr);
    std::vector<double> planOpt = std::vector<double>(kRuns * kColumns, 0.0),
                        planDisp = std::vector<double>(kRuns * 7, 0.0),
                        critvalopt = std::vector<double>(kRuns + kMost, 0.0),
                        vopt = std::vector<double>(kColumns * kColumns, 0.0), chol = vopt;
    std::vector<int32_t> iopt = std::vector<int32_t>(kRuns, 0), nbrOpt = iopt;
    std::vector<VARIANT_BOOL> delta = std::vector<VARIANT_BOOL>(kRuns, 0);
    OptimalExchanges() {
        Cpp_OptiplanInit(3, levels.data(), 0, cats.data(), nullptr, 0, 1, 1, 2, -1, 0, 1, kRuns, 18, kColumns, &seed,
                         -1, &oSeed, q.data(), planOpt.data(), planDisp.data(), iopt.data(), critvalopt.data(),
                         nbrOpt.data(), delta.data(), vopt.data(), chol.data());
    }
    int32_t call() {
        int32_t accepted = 0;
        const int32_t r = Cpp_OptiplanIterate(3, levels.data(), 0, 1, 2, -1, 0, kAlgo, kRuns, 18, kColumns, nullptr,
                                              0, nullptr, kMost, kRuns, 1e-9, &accepted, planOpt.data(),
                                              planDisp.data(), iopt.data(), critvalopt.data(), nbrOpt.data(),
                                              delta.data(), vopt.data(), chol.data());
        return r == 0 ? accepted : r;
    }
    auto state() const { return std::tuple(planOpt, planDisp, critvalopt, vopt, chol, iopt); }
};

TEST(AllocationFailure, OptimalDesign) {
    FailEachAllocation<OptimalStart>();
    FailEachAllocation<OptimalExchanges<11>>();
    FailEachAllocation<OptimalExchanges<12>>();
}

// A searched sensory design: 3 judges, 2 of 4 products each, untimed (the
// fill over distinct blocks and every stage after it).
struct SensoryDesign {
    static constexpr bool kReturnsCode = true;
    std::vector<int32_t> jp = std::vector<int32_t>(12, 0), jr = std::vector<int32_t>(6, 0);
    double maxcrit = 0, ocrit2 = 0;
    VARIANT_BOOL found = 0, seedInit = -1;
    int32_t seed = 3, oSeed = 0;
    int32_t call() {
        return Cpp_RunGetOptimalDesign(3, 4, 2, 1, 0, 0, 0.0, jp.data(), jr.data(), &maxcrit, &ocrit2, &found, &seed,
                                       &seedInit, &oSeed);
    }
    auto state() const { return std::tuple(jp, jr); }
};

// The screening sheet of the 2 x 3 factorial, in random order.
struct ScreeningSheet {
    static constexpr bool kReturnsCode = true;
    static constexpr int32_t kRuns = 6, kColumns = 7;  // 4 bookkeeping columns, 2 factors, 1 response
    std::vector<int32_t> levels{2, 3};
    int32_t seed = 11, oSeed = 0;
    std::vector<double> plan = std::vector<double>(kRuns * kColumns, 0.0);
    int32_t call() {
        return Cpp_ScreeningPlanGenerate(1, 1, 2, 1, 0, 1, -1, kRuns, kColumns, kRuns, levels.data(), plan.data(),
                                         &seed, -1, &oSeed);
    }
    auto state() const { return plan; }
};

TEST(AllocationFailure, ScreeningDesign) {
    FailEachAllocation<ScreeningSheet>();
}

// 2 runs, 1 factor on [10, 20], 2 responses.
struct PlanUpdate {
    static constexpr bool kReturnsCode = false;
    std::vector<double> X{1, 2, 1, 2, 1, 1, 0, 0, 17.5, 10, 0, 0, 0, 0}, Y{3, 4, 5, 6}, Xnorm{-7, -7}, minF{10},
        maxF{20};
    int32_t call() {
        Cpp_UpdatePlan(2, 7, 1, 2, Y.data(), X.data(), Xnorm.data(), minF.data(), maxF.data());
        return 0;
    }
    auto state() const { return std::tuple(X, Y, Xnorm, minF, maxF); }
};

TEST(AllocationFailure, ResponseTools) {
    FailEachAllocation<PlanUpdate>();
}

// Two judges: judge 1 tastes products 1 then 2, judge 2 products 2 then 3.
struct QualityReport {
    static constexpr bool kReturnsCode = false;
    std::vector<int32_t> jr{1, 2, 2, 3}, jp{1, 0, 1, 1, 0, 1}, rmat = std::vector<int32_t>(6, 0),
                         smat = std::vector<int32_t>(12, 0);
    std::vector<double> md = std::vector<double>(4, 0.0), conc = std::vector<double>(9, 0.0);
    int32_t call() {
        Cpp_ComputeQuality(2, 3, 2, jr.data(), jp.data(), rmat.data(), smat.data(), md.data(), conc.data());
        return 0;
    }
    auto state() const { return std::tuple(jr, jp, rmat, smat, md, conc); }
};

TEST(AllocationFailure, SensoryDesignAndReport) {
    FailEachAllocation<SensoryDesign>();
    FailEachAllocation<QualityReport>();
}

// ----- the mixture entry points, which write into the host's design arrays ----------

// The full cubic model over 3 components at the blends (0.2, 0.3, 0.5) and
// (1, 0, 0): 10 terms.
struct MixtureModel {
    static constexpr bool kReturnsCode = false;
    static constexpr int32_t kRuns = 2, kTerms = 10;
    std::vector<double> X{0.2, 1, 0.3, 0, 0.5, 0}, model = std::vector<double>(kRuns * kTerms, -7.0);
    std::vector<BSTR> names{Bstr(u"A"), Bstr(u"B"), Bstr(u"C")};
    std::vector<BSTR> terms = std::vector<BSTR>(kTerms, nullptr);
    MixtureModel() { terms[0] = Bstr(u"old"); }
    MixtureModel(const MixtureModel&) = delete;
    ~MixtureModel() {
        for (BSTR b : names) SysFreeString(b);
        for (BSTR b : terms) SysFreeString(b);
    }
    int32_t call() {
        Cpp_DOEMixPredictorMatrix(X.data(), kRuns, 3, kTerms, names.data(), 3, 0, model.data(), terms.data());
        return 0;
    }
    // The labels' text: a host string the call freed without storing its
    // successor is read after its release (and freed twice at the end).
    auto state() const {
        std::vector<std::u16string> text;
        for (BSTR b : terms) text.push_back(Text(b));
        return std::tuple(X, model, text);
    }
};

// The simplex centroid of 3 components: 7 blends.
struct Centroid {
    static constexpr bool kReturnsCode = false;
    std::vector<double> design = std::vector<double>(7 * 3, -7.0);
    int32_t call() {
        Cpp_DOEMixSimplex(3, 1, 2, design.data(), 7, 3);
        return 0;
    }
    auto state() const { return design; }
};

// An INT entry point of the mixture family that also writes into the
// host's array: a failure leaves it as it was.
struct RealQuantities {
    static constexpr bool kReturnsCode = true;
    std::vector<double> plan{0.5, 1, 0.5, 0}, lower{0.25, 0.5};
    int32_t call() { return Cpp_DOEMixRealCoord(plan.data(), 2, 2, lower.data(), 0.5, 4); }
    auto state() const { return std::tuple(plan, lower); }
};

TEST(AllocationFailure, Mixture) {
    FailEachAllocation<MixtureModel>();
    FailEachAllocation<Centroid>();
    FailEachAllocation<RealQuantities>();
}

}  // namespace
