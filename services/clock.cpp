#include "services/clock.h"

#include <chrono>
#include <ctime>

namespace {
// Days between the OLE Automation epoch (30 December 1899) and the Unix
// epoch (1 January 1970).
constexpr double kUnixEpochInOleDays = 25569.0;
constexpr double kSecondsPerDay = 86400.0;

// Seconds east of UTC at the given instant, from the C library's local time.
long localOffsetSeconds(std::time_t t) {
    std::tm local{};
    std::tm utc{};
#ifdef _WIN32
    localtime_s(&local, &t);
    gmtime_s(&utc, &t);
#else
    localtime_r(&t, &local);
    gmtime_r(&t, &utc);
#endif
    // Reading the UTC breakdown as if it were local time gives the instant
    // shifted by the offset; the difference is the offset itself.
    utc.tm_isdst = local.tm_isdst;
    return static_cast<long>(std::difftime(std::mktime(&local), std::mktime(&utc)));
}
}  // namespace

double* COleDateTimeGetCurrentTime(double* buffer) {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const double unixSeconds = duration<double>(now.time_since_epoch()).count();
    const double localSeconds = unixSeconds + static_cast<double>(localOffsetSeconds(system_clock::to_time_t(now)));
    *buffer = kUnixEpochInOleDays + localSeconds / kSecondsPerDay;
    return buffer;
}
