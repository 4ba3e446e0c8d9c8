// The samples of README.md and the examples of the manual page are what
// vxdoe prints today. A README sample is a fenced block whose first line is
// `$ vxdoe JOB [options]` and whose other lines are that command's stdout
// (figures on stderr carry times, which differ from run to run), or whose
// first line is `$ cat PATH` and whose other lines are that file of the
// sources. Both run from the sources' root. With VX_UPDATE_README=1 the test
// rewrites every sample from the program and the files instead:
//
//   VX_UPDATE_README=1 build/tests/test_tools --gtest_filter='ReadmeSamples.*'
//
// The manual page's examples (the `.B vxdoe ...` lines of the [EXAMPLES]
// section of tools/vxdoe/vxdoe.h2m) must each run and succeed.
#include "tests/tools/vxdoe_run.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>

namespace {

namespace fs = std::filesystem;
using vxdoe_test::linesOf;
using vxdoe_test::Outcome;
using vxdoe_test::vxdoeRun;

const std::string kPrompt = "$ ";

struct Sample {
    std::string command;     // after "$ "
    std::size_t first, end;  // the output's lines in the file: [first, end)
};

bool isFence(const std::string& line) { return line.rfind("```", 0) == 0; }

std::vector<Sample> samplesIn(const std::vector<std::string>& lines) {
    std::vector<Sample> samples;
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
        if (!isFence(lines[i])) continue;
        std::size_t end = i + 1;
        while (end < lines.size() && !isFence(lines[end])) ++end;
        const std::string& opening = lines[i + 1];
        if (opening.rfind("$ vxdoe ", 0) == 0 || opening.rfind("$ cat ", 0) == 0)
            samples.push_back({opening.substr(kPrompt.size()), i + 2, end});
        i = end;  // the closing fence opens nothing
    }
    return samples;
}

std::string joined(const std::vector<std::string>& lines, std::size_t first, std::size_t end) {
    std::string text;
    for (std::size_t i = first; i < std::min(end, lines.size()); ++i) text += lines[i] + "\n";
    return text;
}

// Runs command with dir as the working folder, as a reader would from there.
Outcome runIn(const fs::path& dir, const std::string& command) {
    const fs::path before = fs::current_path();
    fs::current_path(dir);
    Outcome outcome = vxdoeRun(command);
    fs::current_path(before);
    return outcome;
}

// What the sample's command prints: vxdoe's stdout (status 0) or the file.
std::string shownBy(const std::string& command) {
    if (command.rfind("cat ", 0) == 0) return joined(linesOf(VX_SOURCE_DIR "/" + command.substr(4)), 0, SIZE_MAX);
    const Outcome r = runIn(VX_SOURCE_DIR, command.substr(std::string("vxdoe ").size()));
    EXPECT_EQ(r.status, 0) << command << "\n" << r.err;
    return r.out;
}

void rewrite(const std::string& path, std::vector<std::string> lines, const std::vector<Sample>& samples,
             const std::vector<std::string>& outputs) {
    // From the last sample back, so that earlier line numbers stay valid.
    for (std::size_t k = samples.size(); k-- > 0;) {
        std::vector<std::string> printed;
        std::istringstream in(outputs[k]);
        for (std::string line; std::getline(in, line);) printed.push_back(line);
        lines.erase(lines.begin() + static_cast<long>(samples[k].first), lines.begin() + static_cast<long>(samples[k].end));
        lines.insert(lines.begin() + static_cast<long>(samples[k].first), printed.begin(), printed.end());
    }
    std::ofstream out(path);
    for (const std::string& line : lines) out << line << '\n';
}

TEST(ReadmeSamples, EverySampleIsWhatTheProgramPrints) {
    const std::string path = VX_SOURCE_DIR "/README.md";
    const std::vector<std::string> lines = linesOf(path);
    const std::vector<Sample> samples = samplesIn(lines);
    ASSERT_GE(samples.size(), 5u) << "the README's samples are no longer found";
    std::vector<std::string> outputs;
    for (const Sample& s : samples) outputs.push_back(shownBy(s.command));
    if (std::getenv("VX_UPDATE_README") != nullptr) return rewrite(path, lines, samples, outputs);
    for (std::size_t k = 0; k < samples.size(); ++k)
        EXPECT_EQ(joined(lines, samples[k].first, samples[k].end), outputs[k])
            << "README.md line " << samples[k].first << ": " << samples[k].command
            << "\n(VX_UPDATE_README=1 rewrites the samples)";
}

// The examples of the manual page, each in a fresh folder beside a copy of
// the example file they name.
TEST(ManPageExamples, EveryCommandRuns) {
    std::vector<std::string> commands;
    bool inExamples = false;
    for (std::string line : linesOf(VX_SOURCE_DIR "/tools/vxdoe/vxdoe.h2m")) {
        if (line.rfind("[", 0) == 0) inExamples = line == "[EXAMPLES]";
        if (!inExamples || line.rfind(".B vxdoe ", 0) != 0) continue;
        for (std::size_t at; (at = line.find("\\-")) != std::string::npos;) line.erase(at, 1);
        commands.push_back(line.substr(std::string(".B vxdoe ").size()));
    }
    ASSERT_GE(commands.size(), 10u);
    const fs::path dir = fs::path(testing::TempDir()) / "vxdoe-man-examples";
    fs::create_directories(dir);
    fs::copy_file(VX_SOURCE_DIR "/tools/vxdoe/examples/desirability.csv", dir / "desirability.csv",
                  fs::copy_options::overwrite_existing);
    for (const std::string& command : commands) {
        const Outcome r = runIn(dir, command);
        EXPECT_EQ(r.status, 0) << command << "\n" << r.err;
    }
}

}  // namespace
