// The run sheets of rsm and screening: how many centre runs, and in what
// order the runs come, read back from the printed CSV.
#include "tests/tools/vxdoe_run.h"

#include <algorithm>
#include <set>
#include <utility>

namespace {

using namespace vxdoe_test;

// The sheet's data rows, the header dropped.
std::vector<std::vector<std::string>> rowsOf(const std::string& line) {
    const Outcome r = vxdoeRun(line);
    EXPECT_EQ(r.status, 0) << line << ": " << r.err;
    std::vector<std::vector<std::string>> rows = splitTable(r.out, ',');
    if (!rows.empty()) rows.erase(rows.begin());
    return rows;
}

enum { kRun, kStd, kRep, kCentre, kFirstFactor };

std::vector<std::string> factorsOf(const std::vector<std::string>& row, int k) {
    return {row.begin() + kFirstFactor, row.begin() + kFirstFactor + k};
}

int centreRuns(const std::vector<std::vector<std::string>>& rows, int k) {
    int n = 0;
    for (const auto& row : rows) {
        const bool atCentre = std::all_of(row.begin() + kFirstFactor, row.begin() + kFirstFactor + k,
                                          [](const std::string& x) { return x == "0"; });
        EXPECT_EQ(row[kCentre] == "1", atCentre) << "the centre flag marks exactly the all-zero runs";
        n += atCentre;
    }
    return n;
}

TEST(VxdoeSheet, CentreRunsAsAsked) {
    // A design without its centre keeps every other run of the design.
    struct Case {
        std::string design;
        int k, runsWithoutCentre;  // 2^k + 2k, 2k(k-1), k^2 + k, 3^k - 1
    } cases[] = {{"ccd", 3, 14}, {"bbd", 3, 12}, {"doehlert", 2, 6}, {"factorial3", 2, 8}};
    for (const Case& c : cases) {
        for (int n : {0, 1, 4}) {
            const std::string line =
                "rsm --design " + c.design + " --factors " + std::to_string(c.k) + " --centers " + std::to_string(n);
            const auto rows = rowsOf(line);
            EXPECT_EQ(rows.size(), static_cast<std::size_t>(c.runsWithoutCentre + n)) << line;
            EXPECT_EQ(centreRuns(rows, c.k), n) << line;
            for (std::size_t r = 0; r < rows.size(); ++r) EXPECT_EQ(rows[r][kStd], std::to_string(r + 1)) << line;
        }
    }
    // A rotatable CCD is made orthogonal by n0 = 4 sqrt(2^k) + 4 - 2k centre
    // runs, rounded: 8, 9, 12, 17 for k = 2..5 in the published tables; the
    // uniform-precision counts are the library's.
    const int orthogonal[] = {8, 9, 12, 17}, uniform[] = {5, 6, 8, 11};
    for (int k = 2; k <= 5; ++k) {
        const std::string ccd = "rsm --design ccd --factors " + std::to_string(k);
        EXPECT_EQ(centreRuns(rowsOf(ccd + " --centers orthogonal"), k), orthogonal[k - 2]) << k;
        EXPECT_EQ(centreRuns(rowsOf(ccd + " --centers uniform"), k), uniform[k - 2]) << k;
        EXPECT_EQ(centreRuns(rowsOf(ccd), k), uniform[k - 2]) << k;
    }
    EXPECT_EQ(centreRuns(rowsOf("rsm --design bbd --factors 4"), 4), 1);
}

// Every (std, rep) pair once, each row carrying its standard run's factors,
// the runs numbered 1..N in the order printed.
void expectReplicatesOf(const std::vector<std::vector<std::string>>& rows,
                        const std::vector<std::vector<std::string>>& standard, int replicates, int k) {
    ASSERT_EQ(rows.size(), standard.size() * replicates);
    std::set<std::pair<std::string, std::string>> seen;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        EXPECT_EQ(rows[r][kRun], std::to_string(r + 1));
        EXPECT_TRUE(seen.emplace(rows[r][kStd], rows[r][kRep]).second) << "run " << r + 1 << " twice";
        const std::size_t std = std::stoul(rows[r][kStd]);
        ASSERT_TRUE(std >= 1 && std <= standard.size());
        EXPECT_EQ(factorsOf(rows[r], k), factorsOf(standard[std - 1], k));
        EXPECT_EQ(rows[r][kCentre], standard[std - 1][kCentre]);
        const int rep = std::stoi(rows[r][kRep]);
        EXPECT_TRUE(rep >= 1 && rep <= replicates);
    }
}

std::vector<std::string> stdColumn(const std::vector<std::vector<std::string>>& rows) {
    std::vector<std::string> s;
    for (const auto& row : rows) s.push_back(row[kStd]);
    return s;
}

TEST(VxdoeSheet, RandomOrderSpansEveryReplicate) {
    const std::string ccd = "rsm --design ccd --factors 2 --centers 2";
    const auto standard = rowsOf(ccd);
    const auto replicatedInOrder = rowsOf(ccd + " --replicates 3");
    expectReplicatesOf(replicatedInOrder, standard, 3, 2);
    EXPECT_EQ(replicatedInOrder[standard.size()][kRep], "2");

    const auto random = rowsOf(ccd + " --replicates 3 --random --seed 11");
    expectReplicatesOf(random, standard, 3, 2);
    // Over all runs: the replicates interleave, and the first replicate's
    // runs do not fill the first block of the sheet.
    std::set<std::string> repsInFirstBlock;
    for (std::size_t r = 0; r < standard.size(); ++r) repsInFirstBlock.insert(random[r][kRep]);
    EXPECT_GT(repsInFirstBlock.size(), 1u);
    EXPECT_EQ(rowsOf(ccd + " --replicates 3 --random --seed 11"), random);
    EXPECT_NE(stdColumn(rowsOf(ccd + " --replicates 3 --random --seed 12")), stdColumn(random));

    // Without --seed the order drawn is reported, and its seed repeats it.
    const Outcome fresh = vxdoeRun(ccd + " --replicates 2 --random");
    const std::string seed = figureLines(fresh.err).at("seed");
    EXPECT_EQ(fresh.out, vxdoeRun(ccd + " --replicates 2 --random --seed " + seed).out);

    // Any run may stay in its place: over twenty seeds some order keeps one
    // (a shuffle that always moves every run would be biased).
    bool someFixed = false;
    for (int seed = 1; seed <= 20 && !someFixed; ++seed) {
        const auto shuffled = rowsOf(ccd + " --random --seed " + std::to_string(seed));
        for (std::size_t r = 0; r < shuffled.size(); ++r) someFixed = someFixed || shuffled[r][kStd] == std::to_string(r + 1);
    }
    EXPECT_TRUE(someFixed);

    const auto screening = rowsOf("screening --levels 3,2 --replicates 2 --random --seed 5");
    expectReplicatesOf(screening, rowsOf("screening --levels 3,2"), 2, 2);
}

TEST(VxdoeSheet, LibraryOrderRepeatsOneOrderPerReplicate) {
    for (const std::string line : {"rsm --design bbd --factors 3", "screening --levels 2,3,2"}) {
        const auto standard = rowsOf(line);
        const auto rows = rowsOf(line + " --replicates 2 --randomise-within-replicates --seed 9");
        expectReplicatesOf(rows, standard, 2, 3);
        const std::vector<std::string> order = stdColumn(rows);
        const std::size_t b = standard.size();
        EXPECT_TRUE(std::equal(order.begin(), order.begin() + b, order.begin() + b)) << line;
        EXPECT_NE(std::vector<std::string>(order.begin(), order.begin() + b), stdColumn(standard)) << line;
        for (std::size_t r = 0; r < b; ++r) EXPECT_EQ(rows[r][kRep], "1");
    }
    // The three-level factorial's centre is its middle run, in either order.
    const auto f = rowsOf("rsm --design factorial3 --factors 2 --randomise-within-replicates --seed 2");
    EXPECT_EQ(centreRuns(f, 2), 1);
}

TEST(VxdoeSheet, RefusesCentresAndOrdersThatCannotBe) {
    const std::pair<std::string, std::string> cases[] = {
        {"rsm --design bbd --factors 3 --centers uniform", "--centers uniform needs a central composite design"},
        {"rsm --design doehlert --factors 2 --centers orthogonal",
         "--centers orthogonal needs a central composite design"},
        {"rsm --design ccd --factors 2 --centers -1", "--centers takes a count from 0 to 1000000, uniform or orthogonal"},
        {"rsm --design ccd --factors 2 --centers 2x", "--centers takes a count from 0 to 1000000, uniform or orthogonal"},
        {"rsm --design ccd --factors 2 --centers 1000001",
         "--centers takes a count from 0 to 1000000, uniform or orthogonal"},
        {"rsm --design bbd --factors 3 --random --randomise-within-replicates",
         "--random and --randomise-within-replicates exclude each other"},
        {"rsm --design bbd --factors 3 --centers 3 --randomise-within-replicates",
         "--randomise-within-replicates keeps the library's sheet, with the design's own centre runs"},
        {"rsm --design ccd --factors 2 --replicates 0", "--replicates: 0 is out of range (at least 1)"},
        // 2^40 factorial runs pass the library's 32-bit count; 3^21 runs of
        // 26 columns pass the host's sheet; so do 10^8 screening runs.
        {"rsm --design ccd --factors 40", "the run sheet would be too large"},
        {"rsm --design ccd --factors 40 --centers 0", "the run sheet would be too large"},
        {"rsm --design factorial3 --factors 21", "the run sheet would be too large"},
        {"screening --levels 100^4", "the run sheet would be too large"},
    };
    for (const auto& [line, reason] : cases) expectRefused(line, reason);
    // The library's own counts stay allowed with its order.
    EXPECT_EQ(vxdoeRun("rsm --design ccd --factors 2 --centers 3 --randomise-within-replicates --seed 1").status, 0);
    EXPECT_EQ(vxdoeRun("rsm --design bbd --factors 3 --centers 1 --randomise-within-replicates --seed 1").status, 0);
}

}  // namespace
