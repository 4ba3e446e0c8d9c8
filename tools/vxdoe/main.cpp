// vxdoe: a command-line host for the library. `vxdoe JOB [options]`, `vxdoe --help`.
#include "tools/vxdoe/cli.h"

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

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
    return (std::filesystem::path(dir) / VXDOE_LIBDIR / kLibraryFile).lexically_normal().string();
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return vxdoe::runCommandLine(std::vector<std::string>(argv + 1, argv + argc), defaultLibraryPath(argv[0]),
                                     std::cout, std::cerr);
    } catch (const std::exception& e) {
        std::cerr << "vxdoe: internal error: " << e.what() << '\n';
        return 70;
    }
}
