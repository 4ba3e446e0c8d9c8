// What the run-sheet jobs (rsm, screening) share: the host-side sheet, its
// header, the seed triple and the replicate option.
#pragma once

#include "tools/vxdoe/output.h"

namespace vxdoe::sheet {

inline constexpr int kResponses = 1;
// The sheet's first factor column, after the four of its header().
inline constexpr int kFactorColumn = 4;

// A zeroed rows x cols host array; refuses tables the host would not allocate.
std::vector<double> allocate(long long rows, long long cols);

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

}  // namespace vxdoe::sheet
