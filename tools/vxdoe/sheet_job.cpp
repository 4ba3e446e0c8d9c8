#include "tools/vxdoe/sheet_job.h"

#include <algorithm>
#include <limits>
#include <random>

namespace vxdoe::sheet {

namespace {
// The host allocates no table larger than this.
constexpr long long kMaxCells = 50'000'000;
}  // namespace

void refuseTooLarge(double rows, double cols) {
    if (!(rows >= 0 && cols >= 0 && rows * cols <= kMaxCells)) throw UsageError("the run sheet would be too large");
}

std::vector<double> allocate(long long rows, long long cols) {
    refuseTooLarge(static_cast<double>(rows), static_cast<double>(cols));
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

RunSheet::RunSheet(long long rows_, int cols_) : rows(rows_), cols(cols_), cells(allocate(rows_, cols_)) {}

Order order(const Args& args) {
    if (args.has("randomise-within-replicates")) {
        if (args.has("random")) throw UsageError("--random and --randomise-within-replicates exclude each other");
        return Order::LibraryWithinReplicates;
    }
    return args.has("random") ? Order::Random : Order::Standard;
}

Option randomOption() { return flag("random", "put the runs in random order, over all replicates"); }

Option withinReplicatesOption() {
    return flag("randomise-within-replicates",
                "the library's order instead: one random order, repeated in every replicate");
}

namespace {

// A seed for the host's shuffle: --seed's, or a new one that is reported.
std::uint32_t shuffleSeed(Seeds& seeds) {
    if (seeds.init == 0) {
        seeds.io = newSeed();
        seeds.init = -1;
    }
    return static_cast<std::uint32_t>(seeds.io);
}

// A random permutation of 0..n-1 by Fisher-Yates. Each draw is made here
// from the engine's raw output (whose sequence the standard fixes), not by a
// library distribution, so a seed gives the same order on every platform.
std::vector<long long> randomPermutation(long long n, std::uint32_t seed) {
    std::vector<long long> p(static_cast<std::size_t>(n));
    for (long long i = 0; i < n; ++i) p[static_cast<std::size_t>(i)] = i;
    std::mt19937_64 engine(seed);
    for (long long i = n - 1; i > 0; --i) {
        const std::uint64_t bound = static_cast<std::uint64_t>(i) + 1;
        const std::uint64_t unbiased = std::numeric_limits<std::uint64_t>::max() -
                                       std::numeric_limits<std::uint64_t>::max() % bound;
        std::uint64_t draw = engine();
        while (draw >= unbiased) draw = engine();
        std::swap(p[static_cast<std::size_t>(i)], p[static_cast<std::size_t>(draw % bound)]);
    }
    return p;
}

}  // namespace

void numberRuns(RunSheet& sheet) {
    for (long long r = 0; r < sheet.rows; ++r) sheet.at(r, RunSheet::kRun) = static_cast<double>(r + 1);
}

RunSheet arranged(const RunSheet& replicate, int nRep, Order order, Seeds& seeds) {
    const long long b = replicate.rows;
    RunSheet sheet(b * nRep, replicate.cols);
    std::vector<long long> source(static_cast<std::size_t>(sheet.rows));
    for (long long r = 0; r < sheet.rows; ++r) source[static_cast<std::size_t>(r)] = r;
    if (order == Order::Random) source = randomPermutation(sheet.rows, shuffleSeed(seeds));
    for (long long r = 0; r < sheet.rows; ++r) {
        const long long from = source[static_cast<std::size_t>(r)];
        for (int c = 0; c < sheet.cols; ++c) sheet.at(r, c) = replicate.at(from % b, c);
        sheet.at(r, RunSheet::kRep) = static_cast<double>(from / b + 1);
    }
    numberRuns(sheet);
    return sheet;
}

}  // namespace vxdoe::sheet
