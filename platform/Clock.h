#pragma once

#include <chrono>
#include <memory>

namespace tavix::platform {

// Wall-clock time stamps, microsecond resolution so that the far past fits without overflow.
using WallTime = std::chrono::sys_time<std::chrono::microseconds>;

class Clock {
  public:
    virtual ~Clock() = default;
    // Seconds since the machine started; never jumps with the wall clock.
    virtual double uptime() const = 0;
    virtual WallTime wallNow() const = 0;
};

// The process-wide Clock; the simulated one until another is installed.
Clock& clock();
std::shared_ptr<Clock> installClock(std::shared_ptr<Clock> service);

}  // namespace tavix::platform
