// Long searches show how they are going on stderr when it is a terminal:
// one line, rewritten in place at most five times a second, cleared at the
// end so that nothing of it stays in a log.
#pragma once

#include <chrono>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <string>

#ifdef _WIN32
#include <io.h>
#define VX_ISATTY(fd) _isatty(fd)
#define VX_FILENO(f) _fileno(f)
#else
#include <unistd.h>
#define VX_ISATTY(fd) isatty(fd)
#define VX_FILENO(f) fileno(f)
#endif

namespace vxdoe {

class Progress {
public:
    Progress() : shown_(VX_ISATTY(VX_FILENO(stderr)) != 0) {}
    ~Progress() {
        if (wrote_) std::cerr << "\r\033[K" << std::flush;
    }
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    void operator()(const std::string& line, double elapsed) {
        if (!shown_ || elapsed < last_ + 0.2) return;
        last_ = elapsed;
        wrote_ = true;
        std::cerr << "\r\033[K" << line << ", " << std::round(elapsed * 10) / 10 << " s" << std::flush;
    }

private:
    bool shown_;
    bool wrote_ = false;
    double last_ = -1.0;
};

// Seconds since t0, to the millisecond.
inline double secondsSince(std::chrono::steady_clock::time_point t0) {
    return std::round(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count() * 1000) / 1000;
}

}  // namespace vxdoe
