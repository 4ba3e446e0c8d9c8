// vxdoe orders: presentation orders of a cyclic incomplete-block design,
// balanced for position and carry-over.
#include "tools/vxdoe/job_orders.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <iostream>
#include <mutex>
#include <random>
#include <thread>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace vxdoe::orders {

namespace {

// The host lays out no table larger than this.
constexpr long long kMaxCells = 5'000'000;

bool stderrIsTerminal() {
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(fileno(stderr)) != 0;
#endif
}

}  // namespace

Options::Options(const Args& args)
    : lambda(args.number("lambda", 0.5)), passes(args.integer("passes", 20)),
      seconds(args.number("seconds", kDefaultSeconds)) {
    if (passes < 1) throw UsageError("--passes needs a count of at least 1");
    if (!(seconds >= 0)) throw UsageError("--seconds needs a time of at least 0");
}

struct Progress::Ticker {
    std::string what;
    std::mutex lock;
    std::condition_variable wake;
    bool done = false;
    std::thread thread;

    void run() {
        const auto start = std::chrono::steady_clock::now();
        std::unique_lock<std::mutex> held(lock);
        while (!wake.wait_for(held, std::chrono::seconds(1), [this] { return done; })) {
            const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start);
            std::cerr << '\r' << what << ": " << seconds.count() << " s" << std::flush;
        }
        std::cerr << "\r\033[K" << std::flush;
    }
};

Progress::Progress(std::string what) {
    if (!stderrIsTerminal()) return;
    ticker_ = std::make_unique<Ticker>();
    ticker_->what = std::move(what);
    ticker_->thread = std::thread([t = ticker_.get()] { t->run(); });
}

Progress::~Progress() {
    if (!ticker_) return;
    {
        std::lock_guard<std::mutex> held(ticker_->lock);
        ticker_->done = true;
    }
    ticker_->wake.notify_one();
    ticker_->thread.join();
}

std::vector<Option> optionTable() {
    return {number("lambda", "weight of the position balance against the carry-over balance")
                .within(0, 1)
                .byDefault("0.5"),
            integer("passes", "restarts of the order search at most").atLeast(1).byDefault("20"),
            number("seconds", "time limit of the search, in seconds").atLeast(0).byDefault("10")};
}

std::vector<int32_t> cyclicIncidence(int J, int P, int R) {
    std::vector<int32_t> jp(static_cast<std::size_t>(J) * P, 0);
    for (int j = 0; j < J; ++j)
        for (int k = 0; k < R; ++k) jp[static_cast<std::size_t>((j + k) % P) * J + j] = 1;
    return jp;
}

void checkSizes(int J, int P, int R) {
    if (P < 1 || J < 1) throw UsageError("--products and --judges need counts of at least 1");
    if (R < 1 || R > P) throw UsageError("--per-judge needs a count from 1 to the number of products");
    if (static_cast<long long>(J) * P > kMaxCells || static_cast<long long>(P) * (P + 1) > kMaxCells)
        throw UsageError("the design would be too large");
}

Table judgeRows(std::vector<std::string> columns, const std::vector<int32_t>& cells, int J, int cols) {
    std::vector<double> table(static_cast<std::size_t>(J), 0.0);
    for (int j = 0; j < J; ++j) table[static_cast<std::size_t>(j)] = j + 1;
    table.insert(table.end(), cells.begin(), cells.begin() + static_cast<long>(J) * cols);
    return columnMajor(std::move(columns), table.data(), J, cols + 1);
}

std::vector<int32_t> incidenceOf(const std::vector<int32_t>& orders, int J, int P, int R) {
    std::vector<int32_t> jp(static_cast<std::size_t>(J) * P, 0);
    for (int j = 0; j < J; ++j)
        for (int k = 0; k < R; ++k)
            if (const int32_t p = orders[static_cast<std::size_t>(k) * J + j]; p >= 1 && p <= P)
                jp[static_cast<std::size_t>(p - 1) * J + j] = 1;
    return jp;
}

void reportBalance(Output& out, const std::vector<int32_t>& jp, int J, int P) {
    auto seen = [&](int j, int p) { return jp[static_cast<std::size_t>(p) * J + j] != 0; };
    std::vector<int> replication(static_cast<std::size_t>(P), 0);
    for (int p = 0; p < P; ++p)
        for (int j = 0; j < J; ++j) replication[static_cast<std::size_t>(p)] += seen(j, p);
    std::vector<int> concurrence;
    for (int a = 0; a < P; ++a)
        for (int b = a + 1; b < P; ++b) {
            int both = 0;
            for (int j = 0; j < J; ++j) both += seen(j, a) && seen(j, b);
            concurrence.push_back(both);
        }
    auto range = [&out](const std::string& name, const std::vector<int>& counts) {
        const auto [lo, hi] = std::minmax_element(counts.begin(), counts.end());
        out.figure(name + "_min", counts.empty() ? Value() : Value(static_cast<double>(*lo)));
        out.figure(name + "_max", counts.empty() ? Value() : Value(static_cast<double>(*hi)));
    };
    range("concurrence", concurrence);
    range("replication", replication);
}

int orderPresentations(const Library& lib, const std::vector<int32_t>& jp, int J, int P, int R,
                       const Options& options, sheet::Seeds& seeds, Output& out) {
    std::vector<int32_t> jpMat = jp, jr(static_cast<std::size_t>(J) * R, 0), rmat(static_cast<std::size_t>(P) * R, 0),
                         smat(static_cast<std::size_t>(P) * (P + 1), 0);
    std::vector<double> md(4, 0.0), conc(static_cast<std::size_t>(P) * P, 0.0);
    // A seed of our own when none is given, so that the call can be replayed.
    if (seeds.init == 0) seeds.io = newSeed(), seeds.init = -1;
    out.seed(seeds.io);
    {
        const Progress progress("ordering presentations");
        lib.entry<decltype(Cpp_GetBestRanking)>("Cpp_GetBestRanking")(
            P, R, J, jpMat.data(), options.lambda, options.passes, 0, -1, options.seconds, jr.data(), rmat.data(),
            smat.data(), md.data(), conc.data(), &seeds.io, &seeds.init, &seeds.out);
    }
    out.table(judgeRows(numberedColumns("judge", "position_", R), jr, J, R));
    out.figure("position_EAM", number(md[0]));
    out.figure("position_bound", number(md[2]));
    out.figure("carry_over_EAM", number(md[1]));
    out.figure("carry_over_bound", number(md[3]));
    reportBalance(out, incidenceOf(jr, J, P, R), J, P);
    return 0;
}

}  // namespace vxdoe::orders

namespace {

int runOrders(const vxdoe::Library& lib, const vxdoe::Args& args, vxdoe::Output& out) {
    const int P = args.integer("products", 0), J = args.integer("judges", 0), R = args.integer("per-judge", 0);
    vxdoe::orders::checkSizes(J, P, R);
    const vxdoe::orders::Options options(args);
    vxdoe::sheet::Seeds seeds(args);
    const std::vector<int32_t> jp = vxdoe::orders::cyclicIncidence(J, P, R);
    return vxdoe::orders::orderPresentations(lib, jp, J, P, R, options, seeds, out);
}

// The sizes of a cyclic design: judge j tastes products j..j+R-1 (mod P).
std::vector<vxdoe::Option> orderJobOptions() {
    std::vector<vxdoe::Option> options{
        vxdoe::integer("products", "number of products P").atLeast(1).mandatory().shownAs("P"),
        vxdoe::integer("judges", "number of judges J").atLeast(1).mandatory().shownAs("J"),
        vxdoe::integer("per-judge", "products each judge tastes R").atLeast(1).mandatory().shownAs("R"),
        vxdoe::sheet::seedOption()};
    for (vxdoe::Option& o : vxdoe::orders::optionTable()) options.push_back(std::move(o));
    return options;
}

const vxdoe::JobRegistration kOrders{
    {"orders", "presentation orders balanced for position and carry-over, on a cyclic design", orderJobOptions(),
     runOrders}};

}  // namespace
