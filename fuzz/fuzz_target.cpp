// libFuzzer target over the exported entry points of one family (or all of
// them when VX_FUZZ_FAMILY is 0). The library is the sanitized shared
// object the target links; every call goes through the symbol the library
// exports, looked up by name, so an entry point that is not exported yet is
// left out and joins once it is.
//
// Set VX_FUZZ_STATS to a file name to get the calls made and skipped per
// entry point, in <name>.<pid> per process (rewritten every few thousand
// inputs and at exit), so that the processes of -fork mode add up
// (fuzz/sum_stats.sh).
//
// Set VX_FUZZ_ONLY to a comma-separated list of entry point names to fuzz
// those alone: libFuzzer spends its time where the coverage grows, so a
// small entry point beside large ones gets few calls unless singled out.
#include "fuzz/entry_points.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#ifndef VX_FUZZ_FAMILY
#define VX_FUZZ_FAMILY 0
#endif

namespace vxfuzz {

void* LookUp(const char* name) {
    static void* library = dlopen(VX_LIBRARY_PATH, RTLD_NOW | RTLD_NOLOAD);
    return library != nullptr ? dlsym(library, name) : nullptr;
}

namespace {

struct Target {
    const EntryPoint* entry;
    void* fn;
    unsigned long long calls = 0;
    unsigned long long skipped = 0;
};

std::vector<Target>& targets() {
    static std::vector<Target> list;
    return list;
}
std::vector<const char*>& absent() {
    static std::vector<const char*> list;
    return list;
}
unsigned long long inputs = 0;

bool selected(const char* name) {
    const char* only = std::getenv("VX_FUZZ_ONLY");
    if (only == nullptr) return true;
    const std::string list = std::string(",") + only + ",";
    return list.find(std::string(",") + name + ",") != std::string::npos;
}

void writeStats() {
    const char* path = std::getenv("VX_FUZZ_STATS");
    if (path == nullptr) return;
    char name[4096];
    std::snprintf(name, sizeof name, "%s.%ld", path, static_cast<long>(getpid()));
    FILE* out = std::fopen(name, "w");
    if (out == nullptr) return;
    for (const Target& t : targets()) std::fprintf(out, "%s %llu %llu\n", t.entry->name, t.calls, t.skipped);
    for (const char* name : absent()) std::fprintf(out, "%s absent\n", name);
    std::fclose(out);
}

}  // namespace
}  // namespace vxfuzz

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    using namespace vxfuzz;
    for (int i = 0; i < kEntryPointCount; ++i) {
        const EntryPoint& e = kEntryPoints[i];
        if ((VX_FUZZ_FAMILY != 0 && e.family != VX_FUZZ_FAMILY) || !selected(e.name)) continue;
        if (void* fn = LookUp(e.name))
            targets().push_back(Target{&e, fn});
        else
            absent().push_back(e.name);
    }
    if (LookUp("Cpp_PlanDimension") == nullptr) {
        std::fprintf(stderr, "vxfuzz: the library at %s is not loaded\n", VX_LIBRARY_PATH);
        std::abort();
    }
    for (const char* name : absent()) std::fprintf(stderr, "vxfuzz: %s not exported, skipped\n", name);
    std::atexit(writeStats);
    if (targets().empty()) {
        std::fprintf(stderr, "vxfuzz: no entry point of this family is exported (or named in VX_FUZZ_ONLY)\n");
        std::exit(0);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    using namespace vxfuzz;
    if (targets().empty() || size == 0) return 0;
    Target& t = targets()[data[0] % targets().size()];
    Input in(data + 1, size - 1);
    if (t.entry->run(in, t.fn) == Outcome::called)
        ++t.calls;
    else
        ++t.skipped;
    if (++inputs % 4096 == 0) writeStats();
    return 0;
}
