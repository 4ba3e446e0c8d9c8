// Presentation orders on the host side: the options of the order search and
// the printing of its result, shared by `vxdoe orders` and any job that
// builds a design first and then orders its presentations.
#pragma once

#include "tools/vxdoe/sheet_job.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vxdoe::orders {

// --lambda (weight of the position balance, default 0.5), --passes (default
// 20) and --seconds (the time limit of the search, default 10: descents
// stop and no pass starts after it, so a large request ends in seconds).
struct Options {
    static constexpr double kDefaultSeconds = 10.0;
    double lambda = 0.5;
    int passes = 20;
    double seconds = kDefaultSeconds;
    explicit Options(const Args& args);
};

// While it lives, and only when stderr is a terminal, shows on stderr what
// is running and for how long, once a second; the line is cleared at the end.
class Progress {
public:
    explicit Progress(std::string what);
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

private:
    struct Ticker;
    std::unique_ptr<Ticker> ticker_;
};
// The lines of the options Options reads, for a job's option table.
std::vector<Option> optionTable();

// A J x P incidence, column-major: judge j (from 0) tastes products j, j+1,
// ..., j+R-1 (mod P), numbered from 1.
std::vector<int32_t> cyclicIncidence(int J, int P, int R);

// Refuses sizes the host would not lay out: P, J >= 1, 1 <= R <= P, and
// tables of at most a few million cells.
void checkSizes(int J, int P, int R);

// A judge's rows of a J x cols column-major int table, each led by the judge's number.
Table judgeRows(std::vector<std::string> columns, const std::vector<int32_t>& cells, int J, int cols);

// The J x P incidence (column-major, 1: judge j sees product p) that J x R
// presentation orders (column-major, products numbered from 1) imply.
std::vector<int32_t> incidenceOf(const std::vector<int32_t>& orders, int J, int P, int R);

// The balance of a J x P incidence: concurrence_min and concurrence_max
// (over the pairs of products, how many judges see both; missing for a
// single product), replication_min and replication_max (how many judges
// see each product).
void reportBalance(Output& out, const std::vector<int32_t>& jp, int J, int P);

// Orders the presentations of the J x P incidence jp (column-major int32)
// through Cpp_GetBestRanking, seeded by seeds (a new seed is drawn when none
// is set), and gives out the orders (judge, then the product at each
// position), the position and carry-over EAMs with their bounds (missing:
// the EAM lies below the bound) and the orders' balance. Returns 0.
int orderPresentations(const Library& lib, const std::vector<int32_t>& jp, int J, int P, int R,
                       const Options& options, sheet::Seeds& seeds, Output& out);

}  // namespace vxdoe::orders
