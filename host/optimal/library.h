// The library as a host reaches it: its exported entry points, and the
// optimal-design calls strung together the way a host drives them (the
// counts, the initial plan, exchange iterations until none is accepted).
#pragma once

#include "boundary/VORNEXDO1M.h"
#include "host/optimal/model.h"
#include "host/optimal/orthogonal_lookup.h"

#include <functional>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace vxhost {

// The host gives up on a plan of more model cells than this (runs x model
// columns, or model columns squared).
inline constexpr double kMaxModelCells = 50'000'000;

// The entry points the optimal recipe calls, and the host's BSTR allocator.
struct LibraryEntries {
    decltype(Cpp_GetFullPlanLines)* getFullPlanLines = nullptr;
    decltype(Cpp_GetnColPlan)* getnColPlan = nullptr;
    decltype(Cpp_OptiplanInit)* optiplanInit = nullptr;
    decltype(Cpp_OptiplanIterate)* optiplanIterate = nullptr;
    decltype(Cpp_NormedDet)* normedDet = nullptr;
    decltype(Cpp_PlanGetOrtho)* planGetOrtho = nullptr;
    std::function<BSTR(const std::u16string&)> allocString;
    std::function<void(BSTR)> freeString;
};

// The library's catalogue entries 1..392 as sheets, named "catalogue entry E".
std::vector<Sheet> catalogueSheets(const LibraryEntries& lib);

// The model settings of every call.
struct ModelSettings {
    std::vector<int> levels;
    int runs = 0;
    int icrit = 2;  // 1 det, 2 log10 det
    int icode = 1;
    int nalgoIterate = 11;
    int maxIter = 100;
    double convergence = 1e-9;
};

// One plan in the host's arrays, as the library leaves it.
struct LibraryPlan {
    int32_t nbFact = 0, nfullplan = 0, p = 0, N = 0;
    std::vector<BSTR> cats, q;
    std::vector<double> planOpt, planDisp, critvalopt, vopt, chol;
    std::vector<int32_t> iopt, nbrOpt;
    std::vector<VARIANT_BOOL> delta;
    std::vector<double> history;  // criterion after init and after each exchange
    int32_t startIter = 0;

    LevelPlan levels() const;  // the plan's level columns
};

// The full factorial's size, exactly (a double: it may pass any integer type).
double candidateCount(const std::vector<int>& levels);
// Whether the library can take this candidate set at all: the count must
// stay in its 32-bit signed range.
bool libraryTakesCandidates(const std::vector<int>& levels);

// The arrays of a plan of `settings` runs; throws std::length_error past
// kMaxModelCells.
LibraryPlan allocatePlan(const LibraryEntries& lib, const ModelSettings& settings);

// One start with `nalgoStart` (1 random, 2 sequential, 3 from pl.q), then
// iterations until none is accepted (none at all with iterate false). The
// library's result code: 0, or why it could not start.
int32_t librarySearch(const LibraryEntries& lib, const ModelSettings& settings, int32_t nalgoStart, LibraryPlan& pl,
                      int32_t* ioSeed, VARIANT_BOOL& seedInit, int32_t* oSeed, bool iterate = true);

// The plan handed to the library as level labels and, with iterate, improved
// by its exchange. Nothing when the library cannot start from it.
std::optional<LibraryPlan> fromLevels(const LibraryEntries& lib, const ModelSettings& settings,
                                      const LevelPlan& plan, bool iterate = true);

// det(X'X/N)^(1/p) of the library's final plan, through Cpp_NormedDet; 0
// when singular.
double libraryD(const LibraryEntries& lib, const ModelSettings& settings, const LibraryPlan& pl);

// `count` runs of the plan, drawn at random, replaced by random level
// combinations: the perturbation of an iterated local search.
LevelPlan withRunsRedrawn(const LevelPlan& plan, int runs, const std::vector<int>& levels, int count,
                          std::mt19937& rng);

}  // namespace vxhost
