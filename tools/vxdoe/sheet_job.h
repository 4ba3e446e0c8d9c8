// What the run-sheet jobs (rsm, screening) share: the host-side sheet, its
// header, the seed triple, the replicates and the run order.
//
// The library repeats one replicate's order in every replicate and numbers
// the runs of each replicate from 1. By default the jobs ask it for one
// replicate in standard order and replicate and randomise here, over all
// runs, numbering them 1..N once; --randomise-within-replicates keeps the
// library's own order for hosts that want the sheet it makes.
#pragma once

#include "tools/vxdoe/output.h"

#include <cstdint>

namespace vxdoe::sheet {

inline constexpr int kResponses = 1;
// The sheet's first factor column, after the four of its header().
inline constexpr int kFactorColumn = 4;

// A zeroed rows x cols host array; refuses tables the host would not allocate.
std::vector<double> allocate(long long rows, long long cols);
// Refuses, before any call, a sheet of this size (exact, in double) that
// allocate would refuse.
void refuseTooLarge(double rows, double cols);

// Column names: the four bookkeeping columns, the factors, Y1..
std::vector<std::string> header(const std::vector<std::string>& factors);

// --replicates, at least 1, and its line of a job's option table.
int replicates(const Args& args);
Option replicatesOption();

// The seed triple: --seed reproduces a run, no seed starts a new stream
// whose seed is reported so the run can be repeated.
struct Seeds {
    int32_t io = 0, out = 0;
    VARIANT_BOOL init = 0;
    explicit Seeds(const Args& args);
    void report(Output& output, bool randomised) const;
};
// --seed's line of a job's option table.
Option seedOption();

// A run sheet as the library fills it, column-major: run, std, rep, centre,
// the factors, the responses.
struct RunSheet {
    enum Column { kRun = 0, kStd = 1, kRep = 2, kCentre = 3, kFirstFactor = 4 };
    long long rows = 0;
    int cols = 0;
    std::vector<double> cells;
    RunSheet(long long rows, int cols);
    double& at(long long row, int col) { return cells[static_cast<std::size_t>(col * rows + row)]; }
    double at(long long row, int col) const { return cells[static_cast<std::size_t>(col * rows + row)]; }
};

// How the runs are ordered: as designed, at random over every run, or in the
// library's order (one random order repeated in every replicate).
enum class Order { Standard, Random, LibraryWithinReplicates };
Order order(const Args& args);
// --random's and --randomise-within-replicates' lines of a job's option table.
Option randomOption();
Option withinReplicatesOption();

// One replicate in standard order, repeated nRep times with its rep column
// set, then put in order (a random one drawn from seeds) and numbered 1..N.
RunSheet arranged(const RunSheet& replicate, int nRep, Order order, Seeds& seeds);
// The library's sheet kept in its order, its runs numbered 1..N.
void numberRuns(RunSheet& sheet);

}  // namespace vxdoe::sheet
