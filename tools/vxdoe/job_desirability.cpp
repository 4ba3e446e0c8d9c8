// vxdoe desirability: the aggregated desirability of the observations in a
// CSV file.
//
// The file holds one column per response after a key column. Rows keyed
// `response` (names), `goal` (max, min, target, or the codes 2, 0, 1),
// `lower`, `left`, `right`, `upper` describe the responses; optional rows
// `s`, `t` and `weight` switch on the shape exponents and the weights. Every
// other row is an observation: its key is its label, its cells the response
// values. Blank lines and lines starting with # are skipped.
#include <fstream>
#include <map>
#include <sstream>

#include "tools/vxdoe/output.h"

namespace {

std::vector<std::string> splitCells(const std::string& line) {
    std::vector<std::string> cells;
    std::stringstream in(line);
    for (std::string cell; std::getline(in, cell, ',');) {
        const auto first = cell.find_first_not_of(" \t\r");
        const auto last = cell.find_last_not_of(" \t\r");
        cells.push_back(first == std::string::npos ? std::string() : cell.substr(first, last - first + 1));
    }
    return cells;
}

double goalCode(const std::string& goal) {
    if (goal == "max") return 2;
    if (goal == "min") return 0;
    if (goal == "target") return 1;
    return std::stod(goal);
}

double cellNumber(const std::string& key, const std::string& cell) {
    try {
        std::size_t used = 0;
        const double v = key == "goal" ? goalCode(cell) : std::stod(cell, &used);
        if (key != "goal" && used != cell.size()) throw std::invalid_argument(cell);
        return v;
    } catch (const std::exception&) {
        throw vxdoe::UsageError("row '" + key + "': '" + cell + "' is not a number");
    }
}

// The file, read into response rows by key and observations in file order.
struct Responses {
    std::vector<std::string> names;
    std::map<std::string, std::vector<double>> limits;
    std::vector<std::string> labels;
    std::vector<std::vector<double>> observations;

    explicit Responses(const std::string& path) {
        std::ifstream file(path);
        if (!file) throw vxdoe::UsageError("cannot read " + path);
        for (std::string line; std::getline(file, line);) {
            std::vector<std::string> cells = splitCells(line);
            if (cells.empty() || cells[0].empty() || cells[0][0] == '#') continue;
            const std::string key = cells[0];
            cells.erase(cells.begin());
            if (key == "response") {
                names = cells;
                continue;
            }
            std::vector<double> values;
            for (const std::string& cell : cells) values.push_back(cellNumber(key, cell));
            if (isLimit(key)) {
                limits[key] = values;
            } else {
                labels.push_back(key);
                observations.push_back(values);
            }
        }
        check();
    }

    static bool isLimit(const std::string& key) {
        for (const char* k : {"goal", "lower", "left", "right", "upper", "s", "t", "weight"})
            if (key == k) return true;
        return false;
    }

    std::size_t count() const { return limits.count("goal") ? limits.at("goal").size() : 0; }

    void check() const {
        if (count() == 0) throw vxdoe::UsageError("the file needs a goal row");
        for (const auto& [key, row] : limits)
            if (row.size() != count()) throw vxdoe::UsageError("row '" + key + "' needs one cell per response");
        for (const char* k : {"lower", "left", "right", "upper"})
            if (!limits.count(k)) throw vxdoe::UsageError(std::string("the file needs a '") + k + "' row");
        for (std::size_t i = 0; i < labels.size(); ++i)
            if (observations[i].size() != count())
                throw vxdoe::UsageError("observation '" + labels[i] + "' needs one value per response");
    }

    // The row of that key, or ones when the file has none.
    std::vector<double> row(const std::string& key) const {
        return limits.count(key) ? limits.at(key) : std::vector<double>(count(), 1.0);
    }
    VARIANT_BOOL has(const std::string& key) const { return limits.count(key) ? -1 : 0; }
};

int runDesirability(const vxdoe::Library& lib, const vxdoe::Args& args, vxdoe::Output& out) {
    if (!args.has("file")) throw vxdoe::UsageError("desirability needs --file PATH");
    const Responses r(args.text("file", ""));
    const int n = static_cast<int>(r.observations.size()), m = static_cast<int>(r.count());
    std::vector<double> Y(static_cast<std::size_t>(n) * m);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < m; ++j) Y[static_cast<std::size_t>(j) * n + i] = r.observations[i][j];
    std::vector<double> goal = r.row("goal"), lower = r.row("lower"), left = r.row("left"), right = r.row("right"),
                        upper = r.row("upper"), s = r.row("s"), t = r.row("t"), weight = r.row("weight");
    std::vector<double> aggregated(static_cast<std::size_t>(n), 0.0);
    lib.entry<decltype(Cpp_Ymulticrit)>("Cpp_Ymulticrit")(
        Y.data(), n, m, goal.data(), lower.data(), left.data(), right.data(), upper.data(), r.has("s"), r.has("t"),
        r.has("weight"), s.data(), t.data(), weight.data(), aggregated.data());
    vxdoe::Table table{{"observation", "desirability"}, {}};
    for (int i = 0; i < n; ++i) table.rows.push_back({r.labels[i], vxdoe::number(aggregated[i])});
    out.table(std::move(table));
    return 0;
}

const vxdoe::JobRegistration kDesirability{
    {"desirability",
     "aggregated desirability of the observations of a CSV file",
     {vxdoe::text("file", "CSV file: the responses' names, goals and limits, then the observations")
          .mandatory()
          .shownAs("PATH")},
     runDesirability}};

}  // namespace
