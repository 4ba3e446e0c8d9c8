// vxdoe: a command-line host for the library. `vxdoe JOB [options]`.
#include "tools/vxdoe/host.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

#ifdef _WIN32
const char* const kLibraryFile = "VORNEXDO1M.dll";
#else
const char* const kLibraryFile = "libVORNEXDO1M.so.1";
#endif

// The folder of the running program, wherever it was started from.
std::string programDirectory(const char* argv0) {
#ifdef _WIN32
    char buf[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, buf, MAX_PATH);
    std::filesystem::path self = n > 0 && n < MAX_PATH ? std::filesystem::path(std::string(buf, n)) : argv0;
#else
    std::error_code failed;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", failed);
    if (failed) self = argv0;
#endif
    const std::filesystem::path dir = self.parent_path();
    return dir.empty() ? std::string(".") : dir.string();
}

// The library sits next to the program in the build tree (and on Windows),
// and in the library folder of an installed tree, VXDOE_LIBDIR relative to
// the program's folder; --library or VXDOE_LIBRARY say otherwise.
std::string defaultLibraryPath(const char* argv0) {
    if (const char* env = std::getenv("VXDOE_LIBRARY")) return env;
    const std::string dir = programDirectory(argv0);
    const std::string beside = dir + "/" + kLibraryFile;
    std::error_code failed;
    if (std::filesystem::exists(beside, failed)) return beside;
    return dir + "/" VXDOE_LIBDIR "/" + kLibraryFile;
}

void printUsage(std::ostream& out) {
    out << "usage: vxdoe JOB [options] [--library PATH]\njobs:\n";
    std::vector<vxdoe::Job> jobs = vxdoe::registeredJobs();
    std::sort(jobs.begin(), jobs.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    for (const auto& job : jobs) out << "  " << job.name << ' ' << job.usage << '\n';
}

const vxdoe::Job* findJob(const std::string& name) {
    for (const auto& job : vxdoe::registeredJobs())
        if (job.name == name) return &job;
    return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        printUsage(std::cout);
        return 0;
    }
    try {
        const vxdoe::Job* job = findJob(argv[1]);
        if (job == nullptr) throw vxdoe::UsageError(std::string("unknown job '") + argv[1] + "'");
        std::vector<std::string> tokens(argv + 2, argv + argc);
        std::string libraryPath = defaultLibraryPath(argv[0]);
        const auto lib = std::find(tokens.begin(), tokens.end(), "--library");
        if (lib != tokens.end()) {
            if (lib + 1 == tokens.end()) throw vxdoe::UsageError("--library needs a value");
            libraryPath = *(lib + 1);
            tokens.erase(lib, lib + 2);
        }
        const vxdoe::Args args(tokens, job->options);
        const vxdoe::Library library(libraryPath);
        return job->run(library, args, std::cout);
    } catch (const vxdoe::UsageError& e) {
        std::cerr << "vxdoe: " << e.what() << '\n';
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "vxdoe: " << e.what() << '\n';
        return 2;
    }
}
