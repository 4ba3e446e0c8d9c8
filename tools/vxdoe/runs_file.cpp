#include "tools/vxdoe/runs_file.h"

#include "tools/vxdoe/host.h"

#include <algorithm>
#include <fstream>

namespace vxdoe {

namespace {

std::vector<std::string> cellsOf(std::string line) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::string> cells;
    std::size_t from = 0;
    for (std::size_t at; (at = line.find(',', from)) != std::string::npos; from = at + 1)
        cells.push_back(line.substr(from, at - from));
    cells.push_back(line.substr(from));
    return cells;
}

// Where each name's column lies in the header: every one exactly once.
std::vector<std::size_t> columnsOf(const std::vector<std::string>& header, const std::vector<std::string>& names,
                                   const std::string& where) {
    std::vector<std::size_t> at;
    for (const std::string& name : names) {
        const auto found = std::find(header.begin(), header.end(), name);
        if (found == header.end()) throw UsageError(where + "line 1: no column " + name);
        if (std::find(found + 1, header.end(), name) != header.end())
            throw UsageError(where + "line 1: column " + name + " given twice");
        at.push_back(static_cast<std::size_t>(found - header.begin()));
    }
    return at;
}

}  // namespace

std::string RunsFile::where(std::size_t r, std::size_t j) const {
    return prefix + "line " + std::to_string(lines[r]) + ", column " + names[j] + ": ";
}

RunsFile readRuns(const std::string& option, const std::string& path, const std::vector<std::string>& names) {
    std::ifstream in(path);
    if (!in) throw UsageError("--" + option + ": cannot read " + path);
    RunsFile file;
    file.prefix = "--" + option + " " + path + ": ";
    file.names = names;
    std::string line;
    if (!std::getline(in, line)) throw UsageError(file.prefix + "no header row");
    const std::vector<std::string> header = cellsOf(line);
    const std::vector<std::size_t> at = columnsOf(header, names, file.prefix);
    for (int number = 2; std::getline(in, line); ++number) {
        if (line.empty() || line == "\r") continue;
        const std::vector<std::string> cells = cellsOf(line);
        if (cells.size() != header.size())
            throw UsageError(file.prefix + "line " + std::to_string(number) + ": " + std::to_string(cells.size()) +
                             " cells under a header of " + std::to_string(header.size()));
        std::vector<std::string> run;
        for (std::size_t c : at) run.push_back(cells[c]);
        file.runs.push_back(std::move(run));
        file.lines.push_back(number);
    }
    if (file.runs.empty()) throw UsageError(file.prefix + "no runs under the header");
    return file;
}

}  // namespace vxdoe
