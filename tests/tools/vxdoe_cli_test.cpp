// vxdoe's command line, run in-process: the help and the parser come from
// each job's option table, misuse is refused on one line before the library
// is loaded, and every job reads only the options its table declares.
#include "tools/vxdoe/cli.h"
#include "tools/vxdoe/host.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace {

const std::string kNoLibrary = "/nonexistent/libVORNEXDO1M.so.1";

struct Outcome {
    int status;
    std::string out, err;
};

Outcome vxdoeRun(const std::string& line, const std::string& library = VX_LIBRARY_PATH) {
    std::vector<std::string> words;
    std::istringstream in(line);
    for (std::string w; in >> w;) words.push_back(w);
    std::ostringstream out, err;
    const int status = vxdoe::runCommandLine(words, library, out, err);
    return {status, out.str(), err.str()};
}

std::vector<std::string> linesOf(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST(VxdoeHelp, ListsEveryJobOnOneLine) {
    const Outcome r = vxdoeRun("--help");
    EXPECT_EQ(r.status, 0);
    for (const vxdoe::Job& job : vxdoe::registeredJobs()) {
        EXPECT_NE(r.out.find("\n  " + job.name + " "), std::string::npos) << job.name;
        EXPECT_NE(r.out.find(job.summary + "\n"), std::string::npos) << job.name;
    }
    EXPECT_EQ(vxdoeRun("").out, r.out);  // no arguments at all: the same help
}

TEST(VxdoeHelp, EachJobListsEveryOptionWithItsDefault) {
    for (const vxdoe::Job& job : vxdoe::registeredJobs()) {
        const Outcome r = vxdoeRun(job.name + " --help", kNoLibrary);
        EXPECT_EQ(r.status, 0) << job.name;
        for (const vxdoe::Option& o : job.options) {
            const auto at = r.out.find("  --" + o.name + " ");
            ASSERT_NE(at, std::string::npos) << job.name << " --" << o.name;
            // The entry, its meaning wrapped onto the next line when the option is long.
            const std::string line = r.out.substr(at, r.out.find("\n  -", at + 1) - at);
            if (!o.fallback.empty()) {
                EXPECT_NE(line.find("[default: " + o.fallback + "]"), std::string::npos) << line;
            }
            if (o.required) {
                EXPECT_NE(line.find("REQUIRED"), std::string::npos) << line;
            }
        }
    }
}

// Runs every job of the Windows comparison list: a job that reads an option
// missing from its table throws, so the table and the job cannot drift apart.
TEST(VxdoeJobs, ReadOnlyTheOptionsTheyDeclare) {
    std::set<std::string> jobsRun;
    for (std::string line : linesOf(VX_SOURCE_DIR "/tests/windows/vxdoe_jobs.txt")) {
        if (line.empty() || line[0] == '#') continue;
        const std::string placeholder = "@SOURCE_DIR@";
        if (const auto at = line.find(placeholder); at != std::string::npos)
            line.replace(at, placeholder.size(), VX_SOURCE_DIR);
        Outcome r{};
        EXPECT_NO_THROW(r = vxdoeRun(line)) << line;
        EXPECT_EQ(r.status, 0) << line << "\n" << r.err;
        jobsRun.insert(line.substr(0, line.find(' ')));
    }
    for (const vxdoe::Job& job : vxdoe::registeredJobs())
        EXPECT_TRUE(jobsRun.count(job.name)) << job.name << " needs a line in vxdoe_jobs.txt";

    const vxdoe::Args args({{"levels", "2,3"}}, {vxdoe::integers("levels", "")});
    EXPECT_EQ(args.integers("levels"), (std::vector<int>{2, 3}));
    EXPECT_THROW(args.has("runs"), vxdoe::UndeclaredOption);
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
        EXPECT_EQ(r.err, "vxdoe: cannot load " + kNoLibrary + "\n") << line;
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
        {"optimal --levels 2,3 --runs 8 --no-catalog", "unknown option --no-catalog (did you mean --no-catalogue?)"},
        {"optimal --levels 2,3 --runs 8 --colour red", "unknown option --colour"},
        {"rsn --design ccd --factors 3", "unknown job 'rsn' (did you mean rsm?)"},
        {"rsm --design cdd --factors 3", "--design: 'cdd' is not one of factorial3, ccd, bbd, doehlert (did you mean ccd?)"},
        {"rsm --design ccd", "--factors is required"},
        {"optimal --levels 2,3 --runs", "--runs needs a value"},
        {"optimal --levels 2,3 --runs 0", "--runs: 0 is out of range (at least 1)"},
        {"counts --levels 2,0,3", "--levels: 0 is out of range (at least 1)"},
        {"rsm --design ccd --factors 2.5", "--factors: '2.5' is not a whole number"},
        {"ortho --entry 393", "--entry: 393 is out of range (1 to 392)"},
        {"mixture-model --components 3 --degree 5", "--degree: 5 is out of range (1 to 4)"},
        {"orders --products 4 --judges 8 --per-judge 4 --lambda nan", "--lambda: 'nan' is not a number"},
        {"sensory --products 7 --judges 7 --per-judge 3 --seconds -1", "--seconds: -1 is out of range (at least 0)"},
        {"counts --levels 2,3 surplus", "unexpected argument 'surplus'"},
    };
    for (const auto& [line, message] : cases) {
        const Outcome r = vxdoeRun(line, kNoLibrary);
        EXPECT_EQ(r.status, 2) << line;
        EXPECT_EQ(r.err, "vxdoe: " + message + "\n") << line;
        EXPECT_EQ(r.out, "") << line;
    }
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
