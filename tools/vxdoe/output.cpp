#include "tools/vxdoe/output.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <set>

namespace vxdoe {

namespace {
// The largest denominator of a simple fraction.
constexpr int kMostDenominator = 64;
}  // namespace

Value number(double v) {
    if (v == VX_NO_VALUE || !std::isfinite(v)) return {};
    return v;
}

std::string shortest(double v) {
    if (v == 0.0) return "0";  // -0 as well: no spreadsheet wants "-0"
    char buf[32];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
    return ec == std::errc() ? std::string(buf, end) : std::string();
}

double snapped(double v, double scale) {
    if (!std::isfinite(v) || !std::isfinite(scale) || !(scale > 0.0)) return v;
    const double tolerance = 4.0 * (std::nextafter(scale, HUGE_VAL) - scale);
    // Lattice proportions, centroids and thirds of a range: n/d, correctly rounded.
    for (int d = 1; d <= kMostDenominator; ++d) {
        const double n = std::round(v * d);
        if (std::fabs(v * d - n) <= tolerance * d) return n / d + 0.0;
    }
    // Decimals of the user's units: the nearest decimal of twelve significant
    // digits of the scale, read back from its text.
    const int decimals = std::max(0, 11 - static_cast<int>(std::floor(std::log10(scale))));
    char buf[400];
    const auto printed = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
    if (printed.ec != std::errc()) return v;
    double grid = v;
    if (std::from_chars(buf, printed.ptr, grid).ec != std::errc()) return v;
    return std::fabs(grid - v) <= tolerance ? grid + 0.0 : v;
}

Table columnMajor(std::vector<std::string> columns, const double* cells, int rows, int cols, bool exact) {
    Table t{std::move(columns), std::vector<std::vector<Value>>(static_cast<std::size_t>(rows))};
    for (int c = 0; c < cols; ++c) {
        const double* column = cells + static_cast<std::size_t>(c) * rows;
        double scale = 0.0;
        for (int r = 0; r < rows; ++r)
            if (std::isfinite(column[r]) && column[r] != VX_NO_VALUE) scale = std::max(scale, std::fabs(column[r]));
        for (int r = 0; r < rows; ++r)
            t.rows[static_cast<std::size_t>(r)].push_back(number(exact ? snapped(column[r], scale) : column[r]));
    }
    return t;
}

// ----- options and names --------------------------------------------------------

std::vector<Option> outputOptions() {
    return {choice("format", "table format: CSV, tab-separated, or one JSON object with the summary",
                   {"csv", "tsv", "json"})
                .byDefault("csv"),
            text("output", "write the table to FILE instead of stdout").shownAs("FILE"),
            text("report", "also write the figures, `name: value` a line, to FILE").shownAs("FILE")};
}

Format formatOf(const Args& args) {
    const std::string f = args.text("format", "csv");
    return f == "json" ? Format::Json : f == "tsv" ? Format::Tsv : Format::Csv;
}

Option namesOption() {
    return text("names", "the factors' column names, one per factor [default: X1,X2,...]").shownAs("N1,N2,...");
}

std::vector<std::string> numberedColumns(const std::string& first, const std::string& prefix, int n) {
    std::vector<std::string> names;
    if (!first.empty()) names.push_back(first);
    for (int i = 1; i <= n; ++i) names.push_back(prefix + std::to_string(i));
    return names;
}

std::vector<std::string> factorNames(const Args& args, int factors) {
    if (!args.has("names")) return numberedColumns("", "X", factors);
    std::vector<std::string> names;
    const std::string all = args.text("names", "");
    for (std::size_t from = 0;;) {
        const std::size_t comma = all.find(',', from);
        names.push_back(all.substr(from, comma - from));
        if (comma == std::string::npos) break;
        from = comma + 1;
    }
    if (names.size() != static_cast<std::size_t>(factors))
        throw UsageError("--names needs " + std::to_string(factors) + " names, one per factor");
    std::set<std::string> seen;
    for (const std::string& n : names) {
        if (n.empty()) throw UsageError("--names: a name cannot be empty");
        if (n.find_first_of("\"\t\r\n") != std::string::npos)
            throw UsageError("--names: '" + n + "' holds a quote, tab or line break");
        if (!seen.insert(n).second) throw UsageError("--names: '" + n + "' is given twice");
    }
    return names;
}

// ----- writing ----------------------------------------------------------------------

Output::Output(std::string job, Format format, std::ostream& out, std::ostream& err)
    : job_(std::move(job)), format_(format), out_(out), err_(err) {}

void Output::seed(long long seed) { seed_ = seed; }
void Output::figure(const std::string& key, Value value) { figures_.push_back({key, std::move(value), true}); }
void Output::note(const std::string& key, Value value) { figures_.push_back({key, std::move(value), false}); }
void Output::table(Table t) { table_ = std::move(t); }

namespace {

// A cell as CSV and TSV read it: numbers bare, text quoted only when it holds
// the separator, a quote or a line break, a missing value empty.
std::string cellText(const Value& v, char separator) {
    if (const double* d = std::get_if<double>(&v)) return shortest(*d);
    if (const bool* b = std::get_if<bool>(&v)) return *b ? "yes" : "no";
    const std::string* s = std::get_if<std::string>(&v);
    if (s == nullptr) return {};
    if (s->find_first_of(std::string("\"\r\n") + separator) == std::string::npos) return *s;
    std::string quoted = "\"";
    for (char c : *s) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

// A figure's value in its `name: value` line; NA, as R and pandas read it, when missing.
std::string figureText(const Value& v) {
    if (std::holds_alternative<std::monostate>(v)) return "NA";
    if (const std::string* s = std::get_if<std::string>(&v)) return *s;
    return cellText(v, ',');
}

nlohmann::ordered_json toJson(const Value& v) {
    if (const double* d = std::get_if<double>(&v)) {
        // Whole numbers as JSON integers, as a reader expects level numbers and counts.
        if (std::fabs(*d) < 9007199254740992.0 && *d == std::floor(*d)) return static_cast<long long>(*d);
        return *d;
    }
    if (const bool* b = std::get_if<bool>(&v)) return *b;
    if (const std::string* s = std::get_if<std::string>(&v)) return *s;
    return nullptr;
}

void writeRow(std::ostream& to, const std::vector<Value>& cells, char separator) {
    for (std::size_t i = 0; i < cells.size(); ++i)
        to << (i ? std::string(1, separator) : "") << cellText(cells[i], separator);
    to << '\n';
}

}  // namespace

void Output::writeTable(std::ostream& to) const {
    const Table empty;
    const Table& t = table_ ? *table_ : empty;
    if (format_ == Format::Json) {
        nlohmann::ordered_json doc;
        doc["job"] = job_;
        doc["seed"] = seed_ ? nlohmann::ordered_json(*seed_) : nlohmann::ordered_json(nullptr);
        doc["columns"] = t.columns;
        doc["rows"] = nlohmann::ordered_json::array();
        for (const auto& row : t.rows) {
            nlohmann::ordered_json cells = nlohmann::ordered_json::array();
            for (const Value& v : row) cells.push_back(toJson(v));
            doc["rows"].push_back(std::move(cells));
        }
        doc["summary"] = nlohmann::ordered_json::object();
        for (const Figure& f : figures_)
            if (f.inSummary) doc["summary"][f.key] = toJson(f.value);
        to << doc.dump() << '\n';
        return;
    }
    const char separator = format_ == Format::Tsv ? '\t' : ',';
    std::vector<Value> header(t.columns.begin(), t.columns.end());
    writeRow(to, header, separator);
    for (const auto& row : t.rows) writeRow(to, row, separator);
}

void Output::writeFigures(std::ostream& to) const {
    if (seed_) to << "seed: " << *seed_ << '\n';
    for (const Figure& f : figures_) to << f.key << ": " << figureText(f.value) << '\n';
}

void Output::write(const std::string& outputPath, const std::string& reportPath) const {
    // A job that ends without a table (it could not start) leaves no file behind.
    if (table_ && outputPath.empty()) {
        writeTable(out_);
    } else if (table_) {
        std::ofstream file(outputPath, std::ios::binary);
        writeTable(file);
        if (!file.flush()) throw UsageError("cannot write " + outputPath);
    }
    writeFigures(err_);
    if (!reportPath.empty()) {
        std::ofstream file(reportPath, std::ios::binary);
        writeFigures(file);
        if (!file.flush()) throw UsageError("cannot write " + reportPath);
    }
}

}  // namespace vxdoe
