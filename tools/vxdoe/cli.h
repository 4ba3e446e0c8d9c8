// vxdoe's command line, parsed with CLI11 from the jobs' option tables:
//
//   vxdoe [--library PATH] JOB [options]      runs a job
//   vxdoe --help | JOB --help | --help-all    the jobs, one job's options, everything
//   vxdoe --version                           the version and the library it loads
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace vxdoe {

// Parses args (the words after the program's name) and runs the job they
// name on the library at --library, else at defaultLibrary. Returns the exit
// status: the job's own, 0 after help or version, 2 on misuse (one line on
// err naming the option, and the option meant when it is a near miss).
// Every value is checked before the library is loaded.
int runCommandLine(const std::vector<std::string>& args, const std::string& defaultLibrary, std::ostream& out,
                   std::ostream& err);

}  // namespace vxdoe
