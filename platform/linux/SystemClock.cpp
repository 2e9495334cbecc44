#include "platform/linux/SystemClock.h"

#include <time.h>

namespace tavix::platform {

double SystemClock::uptime() const {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

WallTime SystemClock::wallNow() const {
    return std::chrono::time_point_cast<std::chrono::microseconds>(
        std::chrono::system_clock::now());
}

}  // namespace tavix::platform
