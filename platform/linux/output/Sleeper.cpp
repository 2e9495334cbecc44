#include "platform/linux/output/Sleeper.h"

#include <time.h>

#include <cerrno>
#include <cmath>

namespace tavix::platform::output {

void SystemSleeper::sleepUntil(double uptime) {
    if (!(uptime > 0)) return;
    double whole = 0;
    const double fraction = std::modf(uptime, &whole);
    timespec until{};
    until.tv_sec = static_cast<time_t>(whole);
    until.tv_nsec = static_cast<long>(fraction * 1e9);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
    }
}

}  // namespace tavix::platform::output
