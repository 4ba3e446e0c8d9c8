#include "tools/vxdoe/sheet_job.h"

namespace vxdoe::sheet {

namespace {
// The host allocates no table larger than this.
constexpr long long kMaxCells = 50'000'000;
}  // namespace

std::vector<double> allocate(long long rows, long long cols) {
    if (rows < 0 || cols < 0 || rows * cols > kMaxCells) throw UsageError("the run sheet would be too large");
    return std::vector<double>(static_cast<std::size_t>(rows * cols), 0.0);
}

std::vector<std::string> header(const std::vector<std::string>& factors) {
    std::vector<std::string> names{"run", "std", "rep", "centre"};
    names.insert(names.end(), factors.begin(), factors.end());
    for (int r = 1; r <= kResponses; ++r) names.push_back(std::string("Y").append(std::to_string(r)));
    return names;
}

int replicates(const Args& args) {
    const int n = args.integer("replicates", 1);
    if (n < 1) throw UsageError("--replicates needs a count of at least 1");
    return n;
}

Option replicatesOption() {
    return integer("replicates", "replicates of the whole design").atLeast(1).byDefault("1");
}

Option seedOption() {
    return integer("seed", "seed reproducing a randomised run [default: a new stream, its seed reported]")
        .shownAs("S");
}

Seeds::Seeds(const Args& args) {
    if (args.has("seed")) io = args.integer("seed", 0), init = -1;
}

void Seeds::report(Output& output, bool randomised) const {
    if (randomised) output.seed(io);
}

}  // namespace vxdoe::sheet
