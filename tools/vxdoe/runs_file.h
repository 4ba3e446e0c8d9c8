// A plan given as a CSV file (vxdoe optimal --evaluate, --augment): a header
// row naming the factors, then one run a line. Other columns (a run number,
// responses) are passed over, so a run sheet reads back as it was written.
#pragma once

#include <string>
#include <vector>

namespace vxdoe {

struct RunsFile {
    // The cells of the named columns, one run a row, in the order of the names.
    std::vector<std::vector<std::string>> runs;
    // "--augment FILE: line N, column X: " for the cell of run r, factor j.
    std::string where(std::size_t r, std::size_t j) const;

    std::string prefix;
    std::vector<int> lines;
    std::vector<std::string> names;
};

// UsageError, naming the file and line, when it cannot be read, lacks a
// named column or holds one twice, has a row of the wrong width, or no runs.
RunsFile readRuns(const std::string& option, const std::string& path, const std::vector<std::string>& names);

}  // namespace vxdoe
