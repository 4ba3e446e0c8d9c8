// vxdoe desirability: each response's desirability and the aggregated one of
// the observations in a CSV file (the format is kFileFormat below, which the
// help shows).
//
// The library takes four limits per response, Lower <= LeftTarget <=
// RightTarget <= Upper, but reads only those its goal uses: larger-is-better
// reads Lower and LeftTarget, smaller-is-better RightTarget and Upper, a
// target range all four. The file therefore asks for those alone, as
// `lower`, `target` and `upper`, and every limit is checked here with its
// line number: the library scores an unknown goal or crossed limits without
// complaint, and the scores would mean nothing.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <map>
#include <optional>
#include <utility>

#include "tools/vxdoe/output.h"

namespace {

const char* const kFileFormat =
    "CSV file of responses and observations. Every line is a key and one cell per response;\n"
    "blank lines (also ,,,) and lines starting with # are skipped. Rows by key:\n"
    "  response  the responses' names (first)\n"
    "  goal      maximize, minimize or target (or the library's codes 2, 0, 1)\n"
    "  lower     worth nothing at or below it (maximize, target)\n"
    "  target    fully desirable from it (maximize), up to it (minimize), at it or\n"
    "            in a range LOW..HIGH (target)\n"
    "  upper     worth nothing at or above it (minimize, target)\n"
    "  weight    optional: each response's weight in the geometric mean (> 0)\n"
    "  s, t      optional: exponents of the rising and falling sides (> 0)\n"
    "A cell a goal does not read stays empty; an empty weight, s or t is 1.\n"
    "Every other line is an observation, labelled by its key; an empty cell is a\n"
    "response not measured, whose desirability and the observation's D are missing.\n"
    "Example: tools/vxdoe/examples/desirability.csv in the sources";

// A refusal that points at the line of the file it is about.
vxdoe::UsageError atLine(int line, const std::string& why) {
    return vxdoe::UsageError("line " + std::to_string(line) + ": " + why);
}

struct Line {
    int number;
    std::string key;
    std::vector<std::string> cells;  // after the key, trimmed
};

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// Every comma separates two cells, so "a,b," holds three (the last empty).
std::vector<std::string> splitCells(const std::string& line) {
    std::vector<std::string> cells;
    std::size_t from = 0;
    for (std::size_t at; (at = line.find(',', from)) != std::string::npos; from = at + 1)
        cells.push_back(trimmed(line.substr(from, at - from)));
    cells.push_back(trimmed(line.substr(from)));
    return cells;
}

// Blank, as a spreadsheet writes an empty row too: ",,,".
bool isBlank(const std::vector<std::string>& cells) {
    return std::all_of(cells.begin(), cells.end(), [](const std::string& c) { return c.empty(); });
}

std::vector<Line> readLines(const std::string& path) {
    std::ifstream file(path);
    if (!file) throw vxdoe::UsageError("cannot be read");
    std::vector<Line> lines;
    int number = 0;
    for (std::string text; std::getline(file, text);) {
        ++number;
        std::vector<std::string> cells = splitCells(text);
        if (isBlank(cells) || cells[0].rfind('#', 0) == 0) continue;
        const std::string key = cells[0];
        cells.erase(cells.begin());
        lines.push_back({number, key, std::move(cells)});
    }
    return lines;
}

// The finite number a whole cell spells, else nothing.
std::optional<double> numberIn(const std::string& cell) {
    double v = 0;
    const auto [end, failed] = std::from_chars(cell.data(), cell.data() + cell.size(), v);
    if (failed != std::errc() || end != cell.data() + cell.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

double numberAt(int line, const std::string& cell) {
    const std::optional<double> v = numberIn(cell);
    if (!v) throw atLine(line, "'" + cell + "' is not a number");
    return *v;
}

// The library's goal codes.
enum class Goal { Minimize = 0, Target = 1, Maximize = 2 };

Goal goalAt(int line, const std::string& cell) {
    const std::map<std::string, Goal> names{{"minimize", Goal::Minimize}, {"min", Goal::Minimize},
                                            {"0", Goal::Minimize},        {"target", Goal::Target},
                                            {"1", Goal::Target},          {"maximize", Goal::Maximize},
                                            {"max", Goal::Maximize},      {"2", Goal::Maximize}};
    const auto found = names.find(cell);
    if (found == names.end())
        throw atLine(line, "goal '" + cell + "' is not maximize, minimize, target, 2, 0 or 1");
    return found->second;
}

std::string goalName(Goal goal) {
    switch (goal) {
        case Goal::Minimize: return "minimize";
        case Goal::Target: return "target";
        case Goal::Maximize: return "maximize";
    }
    return {};
}

// The side below the target (lower, s) and the side above it (upper, t).
bool risesToTarget(Goal goal) { return goal != Goal::Minimize; }
bool fallsFromTarget(Goal goal) { return goal != Goal::Maximize; }

// One limit of a response, with the line it came from.
struct Bound {
    const char* name;
    double value;
    int line;
};

// One response as the library reads it.
struct Response {
    std::string name;
    Goal goal = Goal::Target;
    double lower = 0, left = 0, right = 0, upper = 0;
    double s = 1, t = 1, weight = 1;
};

// The description rows by key; observations keep their file order.
class DesirabilityFile {
public:
    explicit DesirabilityFile(const std::string& path) {
        try {
            for (Line& line : readLines(path)) sort(std::move(line));
            if (!rows_.count("response")) throw vxdoe::UsageError("no 'response' row naming the responses");
            if (!rows_.count("goal")) throw vxdoe::UsageError("no 'goal' row");
            for (const auto& [key, line] : rows_) checkWidth(line);
            for (const Line& line : observations_) checkWidth(line);
            for (std::size_t j = 0; j < width(); ++j) responses_.push_back(response(j));
            for (const Line& line : observations_) values_.push_back(measured(line));
        } catch (const vxdoe::UsageError& e) {
            throw vxdoe::UsageError(path + ": " + e.what());
        }
    }

    const std::vector<Response>& responses() const { return responses_; }
    bool has(const std::string& key) const { return rows_.count(key) > 0; }
    const std::vector<Line>& observations() const { return observations_; }

    // Observation i's value of response j, or the library's no-value
    // constant for a response not measured.
    double value(std::size_t i, std::size_t j) const { return values_[i][j]; }

private:
    static bool describes(const std::string& key) {
        for (const char* k : {"response", "goal", "lower", "target", "upper", "weight", "s", "t"})
            if (key == k) return true;
        return false;
    }

    void sort(Line line) {
        if (!describes(line.key)) return observations_.push_back(std::move(line));
        const auto [at, added] = rows_.emplace(line.key, line);
        if (!added)
            throw atLine(line.number, "a second '" + line.key + "' row (the first is line " +
                                          std::to_string(at->second.number) + ")");
    }

    static std::vector<double> measured(const Line& line) {
        std::vector<double> values;
        for (const std::string& cell : line.cells)
            values.push_back(cell.empty() ? VX_NO_VALUE : numberAt(line.number, cell));
        return values;
    }

    std::size_t width() const { return rows_.at("response").cells.size(); }

    void checkWidth(const Line& line) const {
        if (line.cells.size() != width())
            throw atLine(line.number, "'" + line.key + "' has " + std::to_string(line.cells.size()) +
                                          " cell(s) after its key, not one per response (" +
                                          std::to_string(width()) + ")");
    }

    // The cell of row key for response j: empty when the row or the cell is.
    std::string cell(const std::string& key, std::size_t j) const {
        return rows_.count(key) ? rows_.at(key).cells[j] : std::string();
    }
    int lineOf(const std::string& key) const { return rows_.count(key) ? rows_.at(key).number : 0; }

    // A limit the goal reads: present and a number.
    Bound needed(const Response& r, const char* key, const std::string& text) const {
        if (text.empty())
            throw rows_.count(key) ? atLine(lineOf(key), r.name + " (" + goalName(r.goal) + ") needs a " + key)
                                   : vxdoe::UsageError("no '" + std::string(key) + "' row, which " + r.name +
                                                       " (" + goalName(r.goal) + ") needs");
        return {key, numberAt(lineOf(key), text), lineOf(key)};
    }

    // A limit the goal does not read: a value there would be taken for one that counts.
    void unread(const Response& r, const char* key, std::size_t j) const {
        if (!cell(key, j).empty())
            throw atLine(lineOf(key), r.name + " (" + goalName(r.goal) + ") reads no " + key + ": leave it empty");
    }

    // An optional positive factor (weight, s, t): 1 when empty.
    double positive(const Response& r, const char* key, std::size_t j) const {
        const std::string text = cell(key, j);
        if (text.empty()) return 1.0;
        const double v = numberAt(lineOf(key), text);
        if (!(v > 0)) throw atLine(lineOf(key), r.name + "'s " + key + " must be above 0");
        return v;
    }

    // The target's two ends: one point, or LOW..HIGH for a target goal.
    std::pair<Bound, Bound> targetEnds(const Response& r, std::size_t j) const {
        const std::string target = cell("target", j);
        const std::size_t range = target.find("..");
        if (range == std::string::npos) {
            const Bound point = needed(r, "target", target);
            return {point, point};
        }
        if (r.goal != Goal::Target)
            throw atLine(lineOf("target"), r.name + " (" + goalName(r.goal) + ") takes one target, not a range");
        return {needed(r, "target", target.substr(0, range)), needed(r, "target", target.substr(range + 2))};
    }

    // The limits a goal reads must not cross: lower <= left <= right <= upper.
    static void checkOrder(const Response& r, const std::vector<Bound>& chain) {
        for (std::size_t k = 1; k < chain.size(); ++k)
            if (chain[k].value < chain[k - 1].value)
                throw atLine(chain[k].line, r.name + "'s " + chain[k].name + " " + vxdoe::shortest(chain[k].value) +
                                                " lies below its " + chain[k - 1].name + " " +
                                                vxdoe::shortest(chain[k - 1].value) + " (line " +
                                                std::to_string(chain[k - 1].line) + ")");
    }

    // A side's exponent (s or t) where the goal has that side.
    double exponent(const Response& r, const char* key, bool hasSide, std::size_t j) const {
        if (hasSide) return positive(r, key, j);
        unread(r, key, j);
        return 1.0;
    }

    Response response(std::size_t j) const {
        Response r;
        r.name = rows_.at("response").cells[j];
        if (r.name.empty()) throw atLine(lineOf("response"), "response " + std::to_string(j + 1) + " has no name");
        r.goal = goalAt(lineOf("goal"), cell("goal", j));
        const auto [left, right] = targetEnds(r, j);
        std::vector<Bound> chain{left, right};
        if (risesToTarget(r.goal)) chain.insert(chain.begin(), needed(r, "lower", cell("lower", j)));
        else unread(r, "lower", j);
        if (fallsFromTarget(r.goal)) chain.push_back(needed(r, "upper", cell("upper", j)));
        else unread(r, "upper", j);
        checkOrder(r, chain);
        // A limit the goal does not read takes the target's end beside it:
        // the library never looks at it.
        r.lower = chain.front().value, r.left = left.value, r.right = right.value, r.upper = chain.back().value;
        r.s = exponent(r, "s", risesToTarget(r.goal), j);
        r.t = exponent(r, "t", fallsFromTarget(r.goal), j);
        r.weight = positive(r, "weight", j);
        return r;
    }

    std::map<std::string, Line> rows_;
    std::vector<Line> observations_;
    std::vector<Response> responses_;
    std::vector<std::vector<double>> values_;  // by observation, then response
};

// The library's view of some responses: one entry per response, the
// observations column-major.
struct LibraryCall {
    std::vector<double> Y, goal, lower, left, right, upper, s, t, weight;

    void add(const Response& r, const std::vector<double>& values) {
        Y.insert(Y.end(), values.begin(), values.end());
        goal.push_back(static_cast<double>(r.goal));
        lower.push_back(r.lower), left.push_back(r.left), right.push_back(r.right), upper.push_back(r.upper);
        s.push_back(r.s), t.push_back(r.t), weight.push_back(r.weight);
    }

    std::vector<double> run(const vxdoe::Library& lib, int n, bool shaped, bool weighted) {
        const VARIANT_BOOL shapes = shaped ? -1 : 0, weights = weighted ? -1 : 0;
        std::vector<double> aggregated(static_cast<std::size_t>(n), 0.0);
        lib.entry<decltype(Cpp_Ymulticrit)>("Cpp_Ymulticrit")(
            Y.data(), n, static_cast<int32_t>(goal.size()), goal.data(), lower.data(), left.data(), right.data(),
            upper.data(), shapes, shapes, weights, s.data(), t.data(), weight.data(), aggregated.data());
        return aggregated;
    }
};

// Each response's own desirability (a response alone, unweighted, is its
// own), then D of them all; a cell not measured leaves its d and its D out.
vxdoe::Table scores(const vxdoe::Library& lib, const DesirabilityFile& file) {
    const std::vector<Response>& responses = file.responses();
    const int n = static_cast<int>(file.observations().size());
    const bool shaped = file.has("s") || file.has("t");
    vxdoe::Table table{{"observation"}, std::vector<std::vector<vxdoe::Value>>(static_cast<std::size_t>(n))};
    for (int i = 0; i < n; ++i) table.rows[i].push_back(file.observations()[i].key);
    std::vector<bool> measured(static_cast<std::size_t>(n), true);
    LibraryCall all;
    for (std::size_t j = 0; j < responses.size(); ++j) {
        std::vector<double> values;
        for (int i = 0; i < n; ++i) values.push_back(file.value(i, j));
        LibraryCall one;
        one.add(responses[j], values);
        const std::vector<double> d = one.run(lib, n, shaped, false);
        table.columns.push_back("d_" + responses[j].name);
        for (int i = 0; i < n; ++i) {
            measured[i] = measured[i] && values[i] != VX_NO_VALUE;
            table.rows[i].push_back(values[i] == VX_NO_VALUE ? vxdoe::Value() : vxdoe::number(d[i]));
        }
        all.add(responses[j], values);
    }
    const std::vector<double> D = all.run(lib, n, shaped, file.has("weight"));
    table.columns.push_back("D");
    for (int i = 0; i < n; ++i) table.rows[i].push_back(measured[i] ? vxdoe::number(D[i]) : vxdoe::Value());
    return table;
}

int runDesirability(const vxdoe::Library& lib, const vxdoe::Args& args, vxdoe::Output& out) {
    out.table(scores(lib, DesirabilityFile(args.text("file", ""))));
    return 0;
}

const vxdoe::JobRegistration kDesirability{
    {"desirability",
     "each response's desirability d_<response> and the overall D (their weighted geometric mean) of the "
     "observations in a CSV file",
     {vxdoe::text("file", kFileFormat).mandatory().shownAs("PATH")},
     runDesirability}};

}  // namespace
