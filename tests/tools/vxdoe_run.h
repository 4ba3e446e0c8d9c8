// Running vxdoe's command line in-process and reading what it printed as a
// plain reader would: the tests of every job share these.
#pragma once

#include "tools/vxdoe/cli.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace vxdoe_test {

inline const std::string kNoLibrary = "/nonexistent/libVORNEXDO1M.so.1";

struct Outcome {
    int status;
    std::string out, err;
};

inline Outcome vxdoeRun(const std::string& line, const std::string& library = VX_LIBRARY_PATH) {
    std::vector<std::string> words;
    std::istringstream in(line);
    for (std::string w; in >> w;) words.push_back(w);
    std::ostringstream out, err;
    const int status = vxdoe::runCommandLine(words, library, out, err);
    return {status, out.str(), err.str()};
}

// Misuse: exit 2, nothing on stdout and the one line "vxdoe: <message>".
inline void expectRefused(const std::string& line, const std::string& message,
                          const std::string& library = VX_LIBRARY_PATH) {
    const Outcome r = vxdoeRun(line, library);
    EXPECT_EQ(r.status, 2) << line;
    EXPECT_EQ(r.err, "vxdoe: " + message + "\n") << line;
    EXPECT_EQ(r.out, "") << line;
}

// Refused (exit 2) with a message that says why; the outcome, for further checks.
inline Outcome expectRefusedSaying(const std::string& line, const std::string& why,
                                   const std::string& library = VX_LIBRARY_PATH) {
    const Outcome r = vxdoeRun(line, library);
    EXPECT_EQ(r.status, 2) << line;
    EXPECT_NE(r.err.find(why), std::string::npos) << line << "\n" << r.err;
    return r;
}

// A file of that text in the temporary folder, by a name no other test uses; its path.
inline std::string scratchFile(const std::string& name, const std::string& text) {
    const std::filesystem::path path = std::filesystem::temp_directory_path() / ("vxdoe_" + name);
    std::ofstream(path) << text;
    return path.string();
}

// The help's text for one option: its line and the indented lines under it.
inline std::string optionHelp(const std::string& help, const std::string& option) {
    const std::size_t at = help.find("  " + option + " ");
    if (at == std::string::npos) return {};
    const std::size_t next = help.find("\n  -", at + 1);
    return help.substr(at, next == std::string::npos ? std::string::npos : next - at);
}

inline std::vector<std::string> linesOf(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// A table read back by plain splitting, as a reader that knows nothing of
// vxdoe's code would: rows of cells, the header first.
inline std::vector<std::vector<std::string>> splitTable(const std::string& text, char separator) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> cells;
        std::size_t from = 0;
        for (std::size_t at; (at = line.find(separator, from)) != std::string::npos; from = at + 1)
            cells.push_back(line.substr(from, at - from));
        cells.push_back(line.substr(from));
        rows.push_back(cells);
    }
    return rows;
}

// The `name: value` lines of stderr, by name; fails on any other line.
inline std::map<std::string, std::string> figureLines(const std::string& err) {
    std::map<std::string, std::string> figures;
    std::istringstream in(err);
    const std::regex figure("([A-Za-z][A-Za-z0-9_*]*): (.+)");
    for (std::string line; std::getline(in, line);) {
        std::smatch m;
        EXPECT_TRUE(std::regex_match(line, m, figure)) << "not a figure line: " << line;
        if (!m.empty()) {
            EXPECT_TRUE(figures.emplace(m[1], m[2]).second) << "given twice: " << line;
        }
    }
    return figures;
}

// The double a cell's text reads back to, by strtod; nothing when it is not a number.
inline std::optional<double> readNumber(const std::string& text) {
    if (text.empty()) return std::nullopt;
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    return end == text.c_str() + text.size() ? std::optional<double>(v) : std::nullopt;
}

}  // namespace vxdoe_test
