// vxdoe's command line, run in-process: the help and the parser come from
// each job's option table, misuse is refused on one line before the library
// is loaded, every job reads only the options its table declares, and its
// output is one table that a plain reader takes as it is.
#include "tools/vxdoe/cli.h"
#include "tools/vxdoe/host.h"
#include "tools/vxdoe/output.h"
#include "tests/tools/vxdoe_run.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <tuple>

namespace {

using namespace vxdoe_test;

TEST(VxdoeHelp, ListsEveryJobOnOneLine) {
    const Outcome r = vxdoeRun("--help");
    EXPECT_EQ(r.status, 0);
    for (const vxdoe::Job& job : vxdoe::registeredJobs()) {
        EXPECT_NE(r.out.find("\n  " + job.name + " "), std::string::npos) << job.name;
        EXPECT_NE(r.out.find(job.summary + "\n"), std::string::npos) << job.name;
    }
    const Outcome bare = vxdoeRun("");  // no arguments at all: the same help
    EXPECT_EQ(bare.out, r.out);
    EXPECT_EQ(bare.status, 0);
}

TEST(VxdoeHelp, EachJobListsEveryOptionWithItsDefault) {
    for (const vxdoe::Job& job : vxdoe::registeredJobs()) {
        const Outcome r = vxdoeRun(job.name + " --help", kNoLibrary);
        EXPECT_EQ(r.status, 0) << job.name;
        for (const vxdoe::Option& o : job.options) {
            // The entry, its meaning wrapped onto the next line when the option is long.
            const std::string line = optionHelp(r.out, "--" + o.name);
            ASSERT_FALSE(line.empty()) << job.name << " --" << o.name;
            if (!o.fallback.empty()) {
                EXPECT_NE(line.find("[default: " + o.fallback + "]"), std::string::npos) << line;
            }
            if (o.required) {
                EXPECT_NE(line.find("REQUIRED"), std::string::npos) << line;
            }
        }
    }
}

// A JSON value against the text of its CSV cell or figure line.
void expectSameValue(const nlohmann::json& j, const std::string& text, const std::string& where) {
    if (j.is_null()) {
        EXPECT_TRUE(text.empty() || text == "NA") << where << ": " << text;
    } else if (j.is_number()) {
        const std::optional<double> v = readNumber(text);
        ASSERT_TRUE(v.has_value()) << where << ": " << text;
        EXPECT_EQ(*v, j.get<double>()) << where << ": " << text;  // the same double, not a close one
    } else if (j.is_boolean()) {
        EXPECT_EQ(text, j.get<bool>() ? "yes" : "no") << where;
    } else {
        EXPECT_EQ(text, j.get<std::string>()) << where;
    }
}

// Runs every job of the Windows comparison list in the three formats. A job
// that reads an option missing from its table throws, so the table and the
// job cannot drift apart; stdout holds one rectangular table under one
// header, the same in CSV, TSV and JSON, and stderr only `name: value` lines,
// which the JSON summary repeats (all but the time, which varies).
TEST(VxdoeJobs, PrintOneTableInEveryFormat) {
    std::set<std::string> jobsRun;
    for (std::string line : linesOf(VX_SOURCE_DIR "/tests/windows/vxdoe_jobs.txt")) {
        if (line.empty() || line[0] == '#' || line.rfind("--", 0) == 0) continue;
        const std::string placeholder = "@SOURCE_DIR@";
        if (const auto at = line.find(placeholder); at != std::string::npos)
            line.replace(at, placeholder.size(), VX_SOURCE_DIR);
        SCOPED_TRACE(line);
        if (line.find("--format") != std::string::npos) {  // the other formats come below
            EXPECT_EQ(vxdoeRun(line).status, 0);
            continue;
        }
        jobsRun.insert(line.substr(0, line.find(' ')));
        Outcome csv{}, tsv{}, json{};
        ASSERT_NO_THROW(csv = vxdoeRun(line));
        ASSERT_EQ(csv.status, 0) << csv.err;
        const auto table = splitTable(csv.out, ',');
        ASSERT_FALSE(table.empty());
        const std::set<std::string> names(table[0].begin(), table[0].end());
        EXPECT_EQ(names.size(), table[0].size()) << "a column name repeats";
        for (const auto& row : table) EXPECT_EQ(row.size(), table[0].size()) << csv.out;
        const auto figures = figureLines(csv.err);

        tsv = vxdoeRun(line + " --format tsv");
        EXPECT_EQ(splitTable(tsv.out, '\t'), table);

        json = vxdoeRun(line + " --format json");
        ASSERT_EQ(json.status, 0) << json.err;
        const nlohmann::json doc = nlohmann::json::parse(json.out);  // one object, nothing around it
        ASSERT_TRUE(doc.is_object());
        std::set<std::string> keys;
        for (const auto& item : doc.items()) keys.insert(item.key());
        EXPECT_EQ(keys, (std::set<std::string>{"job", "seed", "columns", "rows", "summary"}));
        EXPECT_EQ(doc["job"], line.substr(0, line.find(' ')));
        EXPECT_EQ(doc["columns"].get<std::vector<std::string>>(), table[0]);
        ASSERT_EQ(doc["rows"].size() + 1, table.size());
        for (std::size_t r = 0; r < doc["rows"].size(); ++r) {
            ASSERT_EQ(doc["rows"][r].size(), table[0].size());
            for (std::size_t c = 0; c < table[0].size(); ++c)
                expectSameValue(doc["rows"][r][c], table[r + 1][c], table[0][c] + " of row " + std::to_string(r + 1));
        }
        const auto jsonFigures = figureLines(json.err);
        if (doc["seed"].is_null()) {
            EXPECT_EQ(jsonFigures.count("seed"), 0u);
        } else {
            EXPECT_EQ(jsonFigures.at("seed"), std::to_string(doc["seed"].get<long long>()));
        }
        std::set<std::string> figureKeys;
        for (const auto& [key, value] : jsonFigures)
            if (key != "seed" && key != "seconds") figureKeys.insert(key);
        std::set<std::string> summaryKeys;
        for (const auto& item : doc["summary"].items()) {
            summaryKeys.insert(item.key());
            if (jsonFigures.count(item.key())) expectSameValue(item.value(), jsonFigures.at(item.key()), item.key());
        }
        EXPECT_EQ(summaryKeys, figureKeys);
        for (const auto& [key, value] : figures) EXPECT_TRUE(jsonFigures.count(key)) << key;
    }
    for (const vxdoe::Job& job : vxdoe::registeredJobs())
        EXPECT_TRUE(jobsRun.count(job.name)) << job.name << " needs a line in vxdoe_jobs.txt";

    const vxdoe::Args args({{"levels", "2,3"}}, {vxdoe::integers("levels", "")});
    EXPECT_EQ(args.integers("levels"), (std::vector<int>{2, 3}));
    EXPECT_THROW(args.has("runs"), vxdoe::UndeclaredOption);
}

// The summary keys a reader relies on, with the values they must have.
TEST(VxdoeJobs, SummaryKeysAreStable) {
    const Outcome optimal = vxdoeRun("optimal --levels 2,2,2 --runs 4 --seed 1 --format json");
    ASSERT_EQ(optimal.status, 0) << optimal.err;
    const nlohmann::json o = nlohmann::json::parse(optimal.out);
    EXPECT_EQ(o["seed"], 1);
    // Three two-level factors in four runs: an orthogonal array, D at its bound 1.
    EXPECT_EQ(o["summary"]["D"], 1.0);
    EXPECT_EQ(o["summary"]["bound"], 1.0);
    EXPECT_TRUE(o["summary"]["stage"].is_string());

    const Outcome sensory = vxdoeRun("sensory --products 4 --judges 4 --per-judge 4 --seed 2 --orders --format json");
    ASSERT_EQ(sensory.status, 0) << sensory.err;
    const nlohmann::json s = nlohmann::json::parse(sensory.out)["summary"];
    for (const char* key : {"criterion", "D", "A", "E*", "gap", "proved", "position_EAM", "position_bound",
                            "carry_over_EAM", "carry_over_bound"})
        EXPECT_TRUE(s.contains(key)) << key;
    EXPECT_EQ(s["E*"], 1.0);  // complete blocks
    // Incomplete blocks: E* = (R - 1) P / ((P - 1) R).
    const Outcome bibd = vxdoeRun("sensory --products 7 --judges 14 --per-judge 4 --seed 3 --format json");
    EXPECT_DOUBLE_EQ(nlohmann::json::parse(bibd.out)["summary"]["E*"].get<double>(), 3.0 * 7 / (6.0 * 4));
    EXPECT_EQ(s["criterion"], "D");
    // A Williams square of four: each product once at each position, each after each other once.
    EXPECT_EQ(s["position_EAM"], 0);
    EXPECT_EQ(s["carry_over_EAM"], 0);
}

// Each figure is the job's own: the carry-over EAM never lies under its
// bound, a lone start reports the seed it drew from, a stage says "repeated"
// only when the array's runs are, and a simplex centroid of q components
// has its 2^q - 1 blends (the augmented one q more).
TEST(VxdoeJobs, FiguresSayWhatTheJobDid) {
    const Outcome orders = vxdoeRun("orders --products 6 --judges 12 --per-judge 3 --seed 1 --format json");
    ASSERT_EQ(orders.status, 0) << orders.err;
    const nlohmann::json o = nlohmann::json::parse(orders.out)["summary"];
    ASSERT_TRUE(o["carry_over_bound"].is_number());
    EXPECT_GT(o["carry_over_bound"].get<double>(), 0.0);  // 6 products cannot be carry-over balanced in threes
    EXPECT_GE(o["carry_over_EAM"].get<double>(), o["carry_over_bound"].get<double>() - 1e-12);

    const Outcome lone = vxdoeRun("optimal --levels 3,2 --runs 6 --starts 1 --max-iter 1 --seed 7 --no-catalogue");
    ASSERT_EQ(lone.status, 0) << lone.err;
    EXPECT_EQ(figureLines(lone.err)["seed"], "7");
    // Seeded and untimed: a fixed amount of work, the same on every run.
    const Outcome first = vxdoeRun("optimal --levels 3^5 --runs 14 --seed 2");
    const Outcome again = vxdoeRun("optimal --levels 3^5 --runs 14 --seed 2");
    EXPECT_EQ(first.out, again.out);
    EXPECT_EQ(figureLines(first.err)["rounds"], figureLines(again.err)["rounds"]);
    // A budget of a whole day is the largest allowed; a look-up hit ends at once.
    EXPECT_EQ(vxdoeRun("optimal --levels 2^3 --runs 4 --seconds 86400").status, 0);
    EXPECT_EQ(vxdoeRun("optimal --levels 2^3 --runs 4 --seconds 86401").status, 2);

    auto stageOf = [](const std::string& line) {
        return nlohmann::json::parse(vxdoeRun(line + " --format json").out)["summary"]["stage"].get<std::string>();
    };
    EXPECT_EQ(stageOf("optimal --levels 2^3 --runs 4").find("repeated"), std::string::npos);
    EXPECT_NE(stageOf("optimal --levels 2^3 --runs 8").find("repeated 2 times"), std::string::npos);

    auto rowsOf = [](const std::string& design) {
        return splitTable(vxdoeRun("mixture --components 4 --design " + design).out, ',').size() - 1;
    };
    EXPECT_EQ(rowsOf("centroid"), 15u);
    EXPECT_EQ(rowsOf("augmented"), 19u);
}

// counts gives the full factorial's size exactly, past the library's 32-bit
// count, and says whether the library's own count is that size.
TEST(VxdoeJobs, CountsAreExact) {
    const auto repeated = [](const std::string& level, int times) {
        std::string list = level;
        for (int i = 1; i < times; ++i) list += "," + level;
        return list;
    };
    struct Case {
        std::string levels, runs, columns;
        bool libraryExact;
    };
    const std::vector<Case> cases{
        {"2,3,4", "24", "7", true},
        {repeated("2", 40), std::to_string(uint64_t{1} << 40), "41", false},
        {"100000,100000,100000", "1000000000000000", "299998", false},  // past 15 digits: text
        {repeated("3", 40), "12157665459056928801", "81", false},
        {repeated("2", 100), "1267650600228229401496703205376", "101", false},
    };
    for (const Case& c : cases) {
        const Outcome r = vxdoeRun("counts --levels " + c.levels);
        ASSERT_EQ(r.status, 0) << c.levels << r.err;
        EXPECT_EQ(r.out, "runs,columns\n" + c.runs + "," + c.columns + "\n") << c.levels;
        const auto figures = figureLines(r.err);
        EXPECT_EQ(figures.at("library_exact"), c.libraryExact ? "yes" : "no") << c.levels;
        EXPECT_EQ(figures.at("library_range_end"), "2147483647");
    }
    // JSON keeps a count a double cannot hold as its decimal text.
    const nlohmann::json j = nlohmann::json::parse(vxdoeRun("counts --levels 100000,100000,100000 --format json").out);
    EXPECT_EQ(j["rows"][0][0], "1000000000000000");
}

// s^k stands for k factors of s levels wherever a job takes level counts.
TEST(VxdoeJobs, LevelShorthand) {
    for (const auto& [shorthand, spelt] : std::vector<std::pair<std::string, std::string>>{
             {"counts --levels 2^3,3", "counts --levels 2,2,2,3"},
             {"screening --levels 3^2,2 --seed 1", "screening --levels 3,3,2 --seed 1"},
             {"optimal --levels 3^2,2^2 --runs 9 --seed 1", "optimal --levels 3,3,2,2 --runs 9 --seed 1"}}) {
        const Outcome a = vxdoeRun(shorthand), b = vxdoeRun(spelt);
        ASSERT_EQ(a.status, 0) << shorthand << a.err;
        EXPECT_EQ(a.out, b.out) << shorthand;
    }
}

// A design at E* = (R - 1) P / ((P - 1) R) is proved optimal although its
// criterion reads a few ulps below; one short of it is not.
TEST(VxdoeJobs, SensoryAtTheBoundIsProved) {
    struct Case {
        int P, J, R;
    };
    for (const Case c : {Case{4, 4, 4}, Case{5, 10, 3}, Case{4, 6, 2}})
        for (const std::string cyclic : {"", " --cyclic"}) {
            const std::string line = "sensory --products " + std::to_string(c.P) + " --judges " +
                                     std::to_string(c.J) + " --per-judge " + std::to_string(c.R) + cyclic + " --seed 1";
            const Outcome r = vxdoeRun(line);
            ASSERT_EQ(r.status, 0) << line << r.err;
            const auto figures = figureLines(r.err);
            const double bound = (c.R - 1.0) * c.P / ((c.P - 1.0) * c.R);
            EXPECT_NEAR(std::stod(figures.at("D")), bound, 1e-12) << line;
            EXPECT_EQ(figures.at("proved"), "yes") << line;
        }
    // Seven products in eight blocks of three cannot be replicated equally.
    const auto uneven = figureLines(vxdoeRun("sensory --products 7 --judges 8 --per-judge 3 --seed 1").err);
    EXPECT_EQ(uneven.at("proved"), "no");
    EXPECT_GT(2.0 * 7 / (6 * 3) - std::stod(uneven.at("D")), 1e-6);
}

// --output and --report put the table and the figures in files, exactly as
// stdout and stderr would hold them; --names names the factors.
TEST(VxdoeJobs, FilesAndNames) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "vxdoe_cli_test";
    std::filesystem::create_directories(dir);
    const std::string table = (dir / "table.csv").string(), report = (dir / "report.txt").string();
    const std::string line = "rsm --design factorial3 --factors 3 --random --seed 4 --names temp,time,press";
    const Outcome plain = vxdoeRun(line);
    ASSERT_EQ(plain.status, 0) << plain.err;
    EXPECT_EQ(splitTable(plain.out, ',').at(0),
              (std::vector<std::string>{"run", "std", "rep", "centre", "temp", "time", "press", "Y1"}));
    const Outcome filed = vxdoeRun(line + " --output " + table + " --report " + report);
    ASSERT_EQ(filed.status, 0) << filed.err;
    EXPECT_EQ(filed.out, "");
    auto contents = [](const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    EXPECT_EQ(contents(table), plain.out);
    EXPECT_EQ(contents(report), plain.err);
    EXPECT_EQ(plain.err.rfind("seed: 4\n", 0), 0u);  // the seed first, then the design's figures
    // A job that cannot start leaves no table file behind.
    const std::string none = (dir / "none.csv").string();
    EXPECT_EQ(vxdoeRun("optimal --levels 2,1 --runs 4 --output " + none).status, 1);
    EXPECT_FALSE(std::filesystem::exists(none));
    std::filesystem::remove_all(dir);

    const std::vector<std::pair<std::string, std::string>> refused{
        {"rsm --design ccd --factors 3 --names a,b", "--names needs 3 names, one per factor"},
        {"rsm --design ccd --factors 2 --names a,a", "--names: 'a' is given twice"},
        {"rsm --design ccd --factors 2 --names a,", "--names: a name cannot be empty"},
        {"counts --levels 2 --format xml", "--format: 'xml' is not one of csv, tsv, json"},
        {"counts --levels 2 --output /nonexistent/dir/t.csv", "cannot write /nonexistent/dir/t.csv"},
        {"counts --levels 2 --report /nonexistent/dir/r.txt", "cannot write /nonexistent/dir/r.txt"},
    };
    for (const auto& [args, message] : refused) expectRefusedSaying(args, "vxdoe: " + message + "\n");
    // mixture-model's term labels are built from the names.
    const auto model = splitTable(vxdoeRun("mixture-model --components 2 --names oil,water").out, ',');
    EXPECT_EQ(model.at(0).at(0), "oil");
    EXPECT_EQ(model.at(0).at(1), "water");
}

// sensory, orders and resolve name judges, products and positions alike;
// each table is checked against what the design must be.
TEST(VxdoeJobs, SensoryTablesNamedAlike) {
    const int J = 12, P = 4, R = 2;
    const std::vector<std::string> positions{"judge", "position_1", "position_2"};
    for (const std::string& line : {std::string("sensory --products 4 --judges 12 --per-judge 2 --cyclic --seed 1"),
                                    std::string("orders --products 4 --judges 12 --per-judge 2 --seed 1")}) {
        const auto orders = splitTable(vxdoeRun(line).out, ',');
        EXPECT_EQ(orders.at(0), positions) << line;
        ASSERT_EQ(orders.size(), J + 1u) << line;
        for (int j = 1; j <= J; ++j) {
            const std::set<std::string> served(orders[j].begin() + 1, orders[j].end());
            EXPECT_EQ(served.size(), static_cast<std::size_t>(R)) << line;
            for (const std::string& p : served) EXPECT_TRUE(p >= "1" && p <= "4" && p.size() == 1) << line;
        }
    }
    const Outcome resolve = vxdoeRun("resolve --judges 12 --products 4 --per-judge 2 --seed 3");
    EXPECT_EQ(figureLines(resolve.err), (std::map<std::string, std::string>{
                                            {"seed", "3"}, {"resolvable", "yes"}, {"group_size", "2"}}));
    const auto resolved = splitTable(resolve.out, ',');
    EXPECT_EQ(resolved.at(0), (std::vector<std::string>{"judge", "original_judge", "group", "product_1", "product_2",
                                                        "product_3", "product_4"}));
    ASSERT_EQ(resolved.size(), J + 1u);
    std::set<int> originals;
    std::map<std::string, std::vector<int>> timesInGroup;
    for (int j = 1; j <= J; ++j) {
        const int original = std::stoi(resolved[j][1]);
        originals.insert(original);
        // In the cyclic design judge o tastes products o, o+1 (mod 4), from 1.
        for (int p = 1; p <= P; ++p) {
            const bool tastes = (p - original + J * P) % P < R;
            EXPECT_EQ(resolved[j][2 + p], tastes ? "1" : "0") << "judge " << j << " (was " << original << ")";
            auto& counts = timesInGroup[resolved[j][2]];
            counts.resize(P);
            counts[static_cast<std::size_t>(p - 1)] += tastes;
        }
    }
    EXPECT_EQ(originals.size(), static_cast<std::size_t>(J));
    EXPECT_EQ(*originals.begin(), 1);
    EXPECT_EQ(*originals.rbegin(), J);
    // Groups of two judges, numbered 1..6 in the order of the rows, each a complete replicate.
    for (int j = 1; j <= J; ++j) EXPECT_EQ(resolved[j][2], std::to_string((j + 1) / 2));
    for (const auto& [group, counts] : timesInGroup)
        EXPECT_EQ(std::set<int>(counts.begin(), counts.end()), std::set<int>{1}) << "group " << group;

    // Five judges of two among four products hold ten servings, no whole
    // number of replicates of four: the answer "none" exits 1, as a list
    // with no match does, with the judges printed ungrouped.
    const Outcome none = vxdoeRun("resolve --judges 5 --products 4 --per-judge 2 --seed 3");
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(figureLines(none.err).at("resolvable"), "no");
    const auto ungrouped = splitTable(none.out, ',');
    ASSERT_EQ(ungrouped.size(), 6u);
    for (std::size_t j = 1; j < ungrouped.size(); ++j) EXPECT_EQ(ungrouped[j][2], "");
    EXPECT_EQ(vxdoeRun("ortho --list --levels 7^9 --runs 10").status, 1);
}

// Cells read back to the exact values of an exact construction, printed in
// their shortest form; computed figures are never snapped.
TEST(VxdoeJobs, CellsCarryNoRoundingNoise) {
    const auto units =
        splitTable(vxdoeRun("rsm --design factorial3 --factors 3 --min 100,0.1,-0.3 --max 300,0.7,0.6").out, ',');
    const std::vector<std::set<std::string>> levels{
        {"100", "200", "300"}, {"0.1", "0.4", "0.7"}, {"-0.3", "0.15", "0.6"}};
    ASSERT_EQ(units.size(), 28u);
    for (std::size_t r = 1; r < units.size(); ++r)
        for (std::size_t f = 0; f < 3; ++f) EXPECT_TRUE(levels[f].count(units[r][4 + f])) << units[r][4 + f];

    const auto blends =
        splitTable(vxdoeRun("mixture --components 4 --design augmented --lower 0.1,0.05,0,0.2 --total 500").out, ',');
    // Blend c is 500 (L_c + 0.65 f) with f a multiple of 1/24 (vertices, halves,
    // thirds, the centroid and the augmented points 1/8, 5/8): the double
    // nearest to the exact fraction (24 * 500 L_c + 325 k) / 24.
    const std::vector<double> offsets{50, 25, 0, 100};
    ASSERT_EQ(blends.size(), 20u);
    for (std::size_t r = 1; r < blends.size(); ++r)
        for (std::size_t c = 0; c < 4; ++c) {
            const double v = readNumber(blends[r][c]).value_or(-1);
            const double k = std::round((v - offsets[c]) * 24 / 325);
            EXPECT_EQ(v, (24 * offsets[c] + 325 * k) / 24) << blends[r][c];
        }

    // (value, the column's scale, the value snapped); without a scale (an
    // all-zero column) nothing is noise.
    const double pointThree = 0.30000000000000004;  // 0.1 + 0.2
    for (const auto& [value, scale, expected] :
         {std::tuple{299.99999999999994, 300.0, 300.0}, {0.4999999999999999, 1, 0.5}, {0.1 + 0.2, 1, 0.3},
          {1 - 2.0 / 3, 1, 1.0 / 3}, {0.123 * 3 / 3 + 1e-17, 1, 0.123}, {1.23456789e7 + 1.5e-9, 2e7, 1.23456789e7},
          {-1e-17, 1, 0}, {pointThree, 0, pointThree}, {pointThree, -1, pointThree}})
        EXPECT_EQ(vxdoe::snapped(value, scale), expected) << value << " on a scale of " << scale;
    EXPECT_FALSE(std::signbit(vxdoe::snapped(-1e-17, 1)));
    // Real digits and irrational levels stay as they are.
    for (double v : {std::sqrt(2.0), 0.30001, 1.0000001, 1 + 1e-14, 1e-17, 2.0 / 3 + 4e-15})
        EXPECT_EQ(vxdoe::snapped(v, v > 1e-3 ? v : 1e-17), v) << v;
    EXPECT_TRUE(std::isnan(vxdoe::snapped(std::nan(""), 1)));
    EXPECT_EQ(vxdoe::shortest(0.1), "0.1");
    EXPECT_EQ(vxdoe::shortest(-0.0), "0");
    EXPECT_EQ(vxdoe::shortest(1e21), "1e+21");
}

// Text cells that hold the separator or a quote are quoted as CSV readers
// expect; in JSON they are strings, whole numbers are integers, and a
// missing value is null.
TEST(VxdoeJobs, TextAndMissingCells) {
    for (const auto& [format, text] : std::vector<std::pair<vxdoe::Format, std::string>>{
             {vxdoe::Format::Csv, "label,value\n\"a,b\",2.5\n\"say \"\"hi\"\"\",\ntab\there,3\n"},
             {vxdoe::Format::Tsv, "label\tvalue\na,b\t2.5\n\"say \"\"hi\"\"\"\t\n\"tab\there\"\t3\n"},
             {vxdoe::Format::Json, ""}}) {
        std::ostringstream out, err;
        vxdoe::Output output("test", format, out, err);
        output.table({{"label", "value"},
                      {{std::string("a,b"), 2.5}, {std::string("say \"hi\""), vxdoe::number(VX_NO_VALUE)},
                       {std::string("tab\there"), 3.0}}});
        output.figure("gap", vxdoe::Value());
        output.figure("proved", true);
        output.write("", "");
        EXPECT_EQ(err.str(), "gap: NA\nproved: yes\n");
        if (format != vxdoe::Format::Json) {
            EXPECT_EQ(out.str(), text);
            continue;
        }
        const nlohmann::json doc = nlohmann::json::parse(out.str());
        EXPECT_EQ(doc["rows"][0][0], "a,b");
        EXPECT_TRUE(doc["rows"][1][1].is_null());
        EXPECT_TRUE(doc["rows"][2][1].is_number_integer());
        EXPECT_TRUE(doc["seed"].is_null());
        EXPECT_TRUE(doc["summary"]["gap"].is_null());
        EXPECT_EQ(doc["summary"]["proved"], true);
    }
}

// The README's examples keep their spellings: each parses and gets as far as
// loading the library.
TEST(VxdoeJobs, ReadmeExamplesParse) {
    int examples = 0;
    for (const std::string& line : linesOf(VX_SOURCE_DIR "/README.md")) {
        const std::string prefix = "build/vxdoe ";
        if (line.rfind(prefix, 0) != 0) continue;
        const Outcome r = vxdoeRun(line.substr(prefix.size(), line.find('#') - prefix.size()), kNoLibrary);
        EXPECT_EQ(r.status, 2) << line;
        EXPECT_EQ(r.err.rfind("vxdoe: cannot load " + kNoLibrary + " (", 0), 0u) << line << r.err;
        ++examples;
    }
    EXPECT_GE(examples, 8);
}

// Misuse: exit 2 and one line naming the option, with the one meant when
// the word is a near miss; values are refused before the library is loaded
// (kNoLibrary would otherwise be the complaint).
TEST(VxdoeMisuse, OneLineNamingTheOption) {
    const std::vector<std::pair<std::string, std::string>> cases{
        {"optimal --levle 2,3 --runs 8", "unknown option --levle (did you mean --levels?)"},
        {"optimal --levels 2,3 --runs 8 --colour red", "unknown option --colour"},
        {"--verison", "unknown option --verison (did you mean --version?)"},
        {"rsn --design ccd --factors 3", "unknown job 'rsn' (did you mean rsm?)"},
        {"rsm --design cdd --factors 3", "--design: 'cdd' is not one of factorial3, ccd, bbd, doehlert (did you mean ccd?)"},
        {"rsm --design ccd", "--factors is required"},
        {"optimal --levels 2,3 --runs", "--runs needs a value"},
        {"optimal --levels --runs 9", "--levels needs a value"},
        {"optimal --levels 2,3 --runs 0", "--runs: 0 is out of range (at least 1)"},
        {"counts --levels 2,0,3", "--levels: 0 is out of range (at least 1)"},
        {"rsm --design ccd --factors 2.5", "--factors: '2.5' is not a whole number"},
        {"ortho --entry 393", "--entry: 393 is out of range (1 to 392)"},
        {"orders --products 4 --judges 8 --per-judge 4 --lambda nan", "--lambda: 'nan' is not a number"},
        {"sensory --products 7 --judges 7 --per-judge 3 --seconds -1", "--seconds: -1 is out of range (at least 0)"},
        {"counts --levels 2,3 surplus", "unexpected argument 'surplus'"},
        {"counts --levels 2 --levels 3", "--levels is given more than once"},
        {"optimal --levels 2^-1 --runs 4", "--levels: in '2^-1' the repeat count is out of range (0 to 10000)"},
        {"counts --levels 2^x", "--levels: in '2^x' the repeat count is not a whole number"},
        {"counts --levels x^2", "--levels: 'x' is not a whole number"},
        {"screening --levels 2^6000,3^4001", "--levels: at most 10000 values"},
        {"rsm --design ccd --factors 3 --random --random", "--random is given more than once"},
    };
    for (const auto& [line, message] : cases) expectRefused(line, message, kNoLibrary);
}

// Bounds no blend can meet are refused with the reason, not mapped.
TEST(VxdoeMisuse, MixtureBoundsNoBlendMeets) {
    const std::string base = "mixture --components 3 --design lattice ";
    const std::vector<std::pair<std::string, std::string>> cases{
        {"--lower 0.5,0.4,0.3", "--lower: the bounds sum to 1.2, which leaves no room below 1"},
        {"--lower -0.2,0,0", "--lower: -0.2 is out of range (at least 0)"},
        {"--total -5", "--total: -5 is not a positive quantity"},
        {"--scale 2", "--scale: 2 must lie above 0 and at most at 1, the room 1 - sum of --lower leaves"},
        {"--lower 0.2,0.1,0.1 --scale 0.7", "--scale: 0.7 must lie above 0 and at most at 0.6, the room 1 - sum of --lower leaves"},
        {"--scale 0", "--scale: 0 must lie above 0 and at most at 1, the room 1 - sum of --lower leaves"},
    };
    for (const auto& [options, message] : cases) expectRefused(base + options, message);
    // The whole room, 1 - 0.4, is a scale: each blend sums to its total, X1 at least 0.2 of it.
    const auto rows = splitTable(vxdoeRun(base + "--lower 0.2,0.1,0.1 --scale 0.6 --total 10").out, ',');
    ASSERT_GT(rows.size(), 1u);
    for (std::size_t i = 1; i < rows.size(); ++i) {
        double sum = 0;
        for (const std::string& cell : rows[i]) sum += std::stod(cell);
        EXPECT_NEAR(sum, 10, 1e-12) << i;
        EXPECT_GE(std::stod(rows[i][0]), 0.2 * 10 - 1e-12) << i;
    }
}

// ortho --entry prints the entry as it is, so options that would choose or
// order its factors are refused rather than ignored.
TEST(VxdoeMisuse, OrthoEntryTakesNoSearchOptions) {
    for (const std::string other : {"--levels 2,2", "--min-runs 8", "--list", "--runs 8", "--max-score 3"})
        expectRefused("ortho --entry 5 " + other, "--entry prints one entry as the catalogue holds it; " +
                                                      other.substr(0, other.find(' ')) + " does not apply");
    EXPECT_EQ(vxdoeRun("ortho --entry 5 --names a,b").status, 0);
}

// A library that cannot be loaded is named with the loader's reason.
TEST(VxdoeMisuse, LoaderGivesItsReason) {
    const Outcome missing = vxdoeRun("counts --levels 2", kNoLibrary);
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.err, "vxdoe: cannot load " + kNoLibrary + " (" + kNoLibrary +
                               ": cannot open shared object file: No such file or directory)\n");
    expectRefusedSaying("counts --levels 2", "vxdoe: cannot load /etc/passwd (/etc/passwd: ", "/etc/passwd");
}

TEST(VxdoeVersion, NamesTheLoadedLibrary) {
    const Outcome r = vxdoeRun("--version");
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string prefix = "vxdoe 1.", library = "\nlibrary ";
    ASSERT_EQ(r.out.rfind(prefix, 0), 0u) << r.out;
    const auto at = r.out.find(library);
    ASSERT_NE(at, std::string::npos) << r.out;
    const std::string path = r.out.substr(at + library.size(), r.out.size() - at - library.size() - 1);
    EXPECT_TRUE(std::filesystem::equivalent(path, VX_LIBRARY_PATH)) << path;
}

}  // namespace

// The seed an unseeded run reports must be one --seed takes back, or the run
// cannot be repeated; the model search once drew seeds past 2^31 - 1.
TEST(VxdoeCli, TheSeedAnUnseededRunReportsRepeatsIt) {
    const std::vector<std::string> lines = {
        "optimal --factor a=0:1 --factor b=0:1 --runs 6 --starts 2",
        "optimal --levels 3,2 --runs 6 --no-catalogue --seconds 0.01",
        "rsm --design ccd --factors 2 --random",
        "orders --products 4 --judges 4 --per-judge 4 --seconds 0.01"};
    for (const std::string& line : lines)
        for (int draw = 0; draw < 6; ++draw) {
            SCOPED_TRACE(line);
            const Outcome fresh = vxdoeRun(line);
            ASSERT_EQ(fresh.status, 0) << line << '\n' << fresh.err;
            const std::size_t at = fresh.err.find("seed: ");
            ASSERT_NE(at, std::string::npos) << line;
            const long long seed = std::stoll(fresh.err.substr(at + 6));
            EXPECT_GE(seed, 1) << line;
            EXPECT_LE(seed, 2147483647LL) << line;
            const Outcome repeated = vxdoeRun(line + " --seed " + std::to_string(seed));
            EXPECT_EQ(repeated.status, 0) << line << '\n' << repeated.err;
            if (line.rfind("rsm", 0) == 0) {
                EXPECT_EQ(repeated.out, fresh.out);
            }
        }
}
