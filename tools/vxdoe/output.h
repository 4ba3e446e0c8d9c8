// What every job prints, and how: one rectangular table (the design, run by
// run) on stdout or in --output FILE, as CSV, TSV or one JSON object; the
// figures (criteria, bounds, seed, ...) as `name: value` lines on stderr and
// in --report FILE, and under "summary" in the JSON object. Jobs fill an
// Output and the command line writes it once the job has succeeded, so that
// no job prints for itself and every format reads the same everywhere.
#pragma once

#include "tools/vxdoe/host.h"

#include <optional>
#include <ostream>
#include <string>
#include <variant>
#include <vector>

namespace vxdoe {

enum class Format { Csv, Tsv, Json };

// A cell or a figure: missing, a number, text, or yes/no.
using Value = std::variant<std::monostate, double, std::string, bool>;

// A number; the library's no-value constant and non-finite values are missing.
Value number(double v);

struct Table {
    std::vector<std::string> columns;
    std::vector<std::vector<Value>> rows;
};

// A rows x cols column-major array under its column names. With exact (the
// construction's values are exact fractions of the design's own scale), each
// cell is snapped to its column's grid (see snapped).
Table columnMajor(std::vector<std::string> columns, const double* cells, int rows, int cols, bool exact = false);

// v, or the value it stands for when v lies within four ulps of scale of a
// simple fraction n/d (d up to 64) or else of a decimal of twelve significant
// digits of scale: arithmetic noise such as 299.99999999999994,
// 0.30000000000000004 or 158.33333333333331 (475/3) goes, no real digit does.
double snapped(double v, double scale);

// The shortest decimal that reads back to the same double; "0" for -0.
std::string shortest(double v);

// The options every job takes: --format, --output, --report.
std::vector<Option> outputOptions();

// --names N1,N2,...: the factors' column names; without it X1..Xk.
Option namesOption();
std::vector<std::string> factorNames(const Args& args, int factors);

// Judges, products and positions are named alike by every sensory job: a
// judge x product incidence is `judge,product_1..product_P` (1: tastes it),
// presentation orders are `judge,position_1..position_R` (the product served).
std::vector<std::string> numberedColumns(const std::string& first, const std::string& prefix, int n);

class Output {
public:
    Output(std::string job, Format format, std::ostream& out, std::ostream& err);

    // The seed that reproduces the run.
    void seed(long long seed);
    // A figure of the summary, also on stderr and in the report.
    void figure(const std::string& key, Value value);
    // A figure that differs from run to run (a time): stderr and the report
    // only, so that the JSON of a seeded run is the same everywhere.
    void note(const std::string& key, Value value);
    void table(Table t);

    // Messages that are not figures (why a job cannot start).
    std::ostream& messages() { return err_; }

    // Writes the table to outputPath (stdout when empty) and the figures to
    // stderr and reportPath (none when empty); UsageError when a file cannot
    // be written.
    void write(const std::string& outputPath, const std::string& reportPath) const;

private:
    void writeTable(std::ostream& to) const;
    void writeFigures(std::ostream& to) const;

    std::string job_;
    Format format_;
    std::ostream& out_;
    std::ostream& err_;
    struct Figure {
        std::string key;
        Value value;
        bool inSummary;
    };
    std::optional<long long> seed_;
    std::vector<Figure> figures_;  // in the order the job gave them
    std::optional<Table> table_;
};

// The format named by --format (csv when absent).
Format formatOf(const Args& args);

}  // namespace vxdoe
