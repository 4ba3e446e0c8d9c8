// The host's recipe for a D-optimal plan of qualitative factors, within a
// budget: an orthogonal array when the catalogue or the host's table holds
// one; else the column-wise construction; else searches from random starts
// (the library's exhaustive exchange with perturbation rounds, or the host's
// coordinate exchange when the candidate set is too large for the library's
// scans); the best plan handed to the library as level labels for its
// criterion and its polish.
#pragma once

#include "host/optimal/library.h"

#include <chrono>
#include <functional>
#include <string>

namespace vxhost {

// Either a deadline (seconds) or a fixed number of search rounds, so that a
// seeded run without a deadline does the same work, and finds the same plan,
// everywhere.
class Budget {
public:
    static Budget seconds(double s);
    static Budget rounds(long long n);
    bool spent() const;
    void charge() { ++used_; }
    double elapsed() const;
    long long used() const { return used_; }

private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    double seconds_ = 0.0;
    long long rounds_ = -1;  // -1: the deadline rules
    long long used_ = 0;
};

struct RecipeSettings {
    ModelSettings model;  // nalgoIterate is the exhaustive exchange (11)
    double seconds = 2.0;
    bool fixedWork = false;  // rounds instead of seconds (a seeded run without --seconds)
    uint32_t seed = 0;
    // Called now and then with the stage at work and the best D so far.
    std::function<void(const std::string& stage, double bestD, double elapsed)> progress;
};

struct RecipeResult {
    std::string stage;  // which stage produced the plan
    LevelPlan plan;
    double D = 0.0;
    double bound = 0.0;                // D of an orthogonal plan
    bool scoredByLibrary = false;      // else the host computed the criterion
    std::vector<double> history;       // criterion after the start and each exchange of the final polish
    long long rounds = 0;              // search rounds made
};

// Rounds of work for a seeded run without a deadline, about what two seconds
// allow on one core.
long long fixedRounds(const std::vector<int>& levels, int runs);

// Whether the library's exchanges can scan this candidate set in time.
bool libraryScansCandidates(const std::vector<int>& levels);

// Throws std::invalid_argument when no plan of these runs can be estimable
// (fewer runs than model columns, a factor of fewer than 2 levels).
RecipeResult runRecipe(const LibraryEntries& lib, const RecipeSettings& settings);

}  // namespace vxhost
