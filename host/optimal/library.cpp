#include "host/optimal/library.h"

#include <cmath>
#include <stdexcept>

namespace vxhost {

namespace {

constexpr int32_t kCatalogueEntries = 392;
constexpr int32_t kCatalogueMaxRuns = 36;
constexpr int32_t kCatalogueMaxColumns = 35;

}  // namespace

std::vector<Sheet> catalogueSheets(const LibraryEntries& lib) {
    std::vector<Sheet> sheets;
    std::vector<double> plan(static_cast<std::size_t>(kCatalogueMaxRuns) * kCatalogueMaxColumns);
    for (int32_t number = 1; number <= kCatalogueEntries; ++number) {
        std::fill(plan.begin(), plan.end(), 0.0);
        BSTR name = lib.allocString(u"");
        int32_t tableId = 0;
        const int32_t rc =
            lib.planGetOrtho(kCatalogueMaxRuns, kCatalogueMaxColumns, number, plan.data(), &name, &tableId);
        lib.freeString(name);
        if (rc != 0) continue;
        // A fetched entry's extent shows in the cells left non-zero.
        Sheet s{"catalogue entry " + std::to_string(number), 0, {}, {}};
        while (s.runs < kCatalogueMaxRuns && plan[static_cast<std::size_t>(s.runs)] != 0) ++s.runs;
        for (int c = 0; c < kCatalogueMaxColumns && plan[static_cast<std::size_t>(c) * kCatalogueMaxRuns] != 0; ++c) {
            int top = 0;
            for (int r = 0; r < s.runs; ++r) {
                const int v = static_cast<int>(plan[static_cast<std::size_t>(c) * kCatalogueMaxRuns + r]);
                top = std::max(top, v);
                s.cells.push_back(v - 1);
            }
            s.levels.push_back(top);
        }
        sheets.push_back(std::move(s));
    }
    return sheets;
}

LevelPlan LibraryPlan::levels() const { return LevelPlan(planDisp.begin() + 4LL * N, planDisp.end()); }

double candidateCount(const std::vector<int>& levels) {
    double n = 1.0;
    for (int s : levels) n *= s;
    return n;
}

bool libraryTakesCandidates(const std::vector<int>& levels) { return candidateCount(levels) <= 2147483647.0; }

LibraryPlan allocatePlan(const LibraryEntries& lib, const ModelSettings& settings) {
    LibraryPlan pl;
    pl.nbFact = static_cast<int32_t>(settings.levels.size());
    std::vector<int32_t> levels(settings.levels.begin(), settings.levels.end());
    pl.nfullplan = lib.getFullPlanLines(pl.nbFact, levels.data());
    pl.p = lib.getnColPlan(pl.nbFact, levels.data());
    pl.N = settings.runs;
    const long long n = std::max(pl.N, 0), p = std::max(pl.p, 1);
    if (static_cast<double>(n * p) > kMaxModelCells || static_cast<double>(p * p) > kMaxModelCells)
        throw std::length_error("the plan would be too large");
    pl.cats.assign(static_cast<std::size_t>(pl.nbFact), nullptr);
    pl.q.assign(static_cast<std::size_t>(n * pl.nbFact), nullptr);
    pl.planOpt.assign(static_cast<std::size_t>(n * p), 0.0);
    pl.planDisp.assign(static_cast<std::size_t>(n * (pl.nbFact + 4)), 0.0);
    pl.critvalopt.assign(static_cast<std::size_t>(n), 0.0);
    pl.iopt.assign(static_cast<std::size_t>(n), 0);
    pl.nbrOpt.assign(static_cast<std::size_t>(n), 0);
    pl.delta.assign(static_cast<std::size_t>(n), 0);
    pl.vopt.assign(static_cast<std::size_t>(p * p), 0.0);
    pl.chol.assign(static_cast<std::size_t>(p * p), 0.0);
    return pl;
}

int32_t librarySearch(const LibraryEntries& lib, const ModelSettings& settings, int32_t nalgoStart, LibraryPlan& pl,
                      int32_t* ioSeed, VARIANT_BOOL& seedInit, int32_t* oSeed, bool iterate) {
    std::vector<int32_t> levels(settings.levels.begin(), settings.levels.end());
    const int32_t rc = lib.optiplanInit(pl.nbFact, levels.data(), 0, pl.cats.data(), nullptr, 0, 1, settings.icode,
                                        settings.icrit, -1, 0, nalgoStart, pl.N, pl.nfullplan, pl.p, ioSeed, seedInit,
                                        oSeed, pl.q.data(), pl.planOpt.data(), pl.planDisp.data(), pl.iopt.data(),
                                        pl.critvalopt.data(), pl.nbrOpt.data(), pl.delta.data(), pl.vopt.data(),
                                        pl.chol.data());
    seedInit = -1;  // later starts continue the stream from *ioSeed
    if (rc != 0) return rc;
    std::vector<double> history(pl.critvalopt);
    pl.startIter = pl.N;
    while (iterate) {
        history.resize(static_cast<std::size_t>(pl.startIter) + settings.maxIter, 0.0);
        int32_t accepted = 0;
        lib.optiplanIterate(pl.nbFact, levels.data(), 0, settings.icode, settings.icrit, -1, 0, settings.nalgoIterate,
                            pl.N, pl.nfullplan, pl.p, nullptr, 0, nullptr, settings.maxIter, pl.startIter,
                            settings.convergence, &accepted, pl.planOpt.data(), pl.planDisp.data(), pl.iopt.data(),
                            history.data(), pl.nbrOpt.data(), pl.delta.data(), pl.vopt.data(), pl.chol.data());
        pl.startIter += accepted;
        if (accepted == 0) break;
    }
    pl.history.assign(history.begin() + (pl.N - 1), history.begin() + pl.startIter);
    return 0;
}

std::optional<LibraryPlan> fromLevels(const LibraryEntries& lib, const ModelSettings& settings,
                                      const LevelPlan& plan, bool iterate) {
    LibraryPlan pl = allocatePlan(lib, settings);
    for (std::size_t i = 0; i < plan.size() && i < pl.q.size(); ++i) {
        const std::string label = std::to_string(plan[i]);
        pl.q[i] = lib.allocString(std::u16string(label.begin(), label.end()));
    }
    int32_t unusedSeed = 0, unusedOut = 0;
    VARIANT_BOOL init = -1;
    const int32_t rc = librarySearch(lib, settings, 3, pl, &unusedSeed, init, &unusedOut, iterate);
    for (BSTR b : pl.q) lib.freeString(b);
    pl.q.assign(pl.q.size(), nullptr);
    if (rc != 0) return std::nullopt;
    return pl;
}

double libraryD(const LibraryEntries& lib, const ModelSettings& settings, const LibraryPlan& pl) {
    const double crit = pl.history.back();
    const double log10Det = settings.icrit == 1 ? (crit > 0 ? std::log10(crit) : VX_NO_VALUE) : crit;
    const double normed = lib.normedDet(log10Det, pl.N, pl.p);
    return normed == VX_NO_VALUE ? 0.0 : std::pow(10.0, normed);
}

LevelPlan withRunsRedrawn(const LevelPlan& plan, int runs, const std::vector<int>& levels, int count,
                          std::mt19937& rng) {
    LevelPlan out = plan;
    for (int k = 0; k < count; ++k) {
        const int r = static_cast<int>(rng() % static_cast<unsigned>(runs));
        for (std::size_t j = 0; j < levels.size(); ++j)
            out[j * runs + r] = 1 + static_cast<int>(rng() % static_cast<unsigned>(levels[j]));
    }
    return out;
}

}  // namespace vxhost
