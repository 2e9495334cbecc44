#pragma once

#include <algorithm>
#include <atomic>
#include <cmath>

#include "platform/Clock.h"

namespace tavix::platform {

// Time that moves only when told to. The wall clock reads a fixed epoch plus the uptime.
class VirtualClock final : public Clock {
  public:
    static constexpr std::chrono::seconds kEpoch{1735689600};  // 2025-01-01T00:00:00Z

    explicit VirtualClock(double uptime = 0) : uptime_(uptime) {}

    void set(double uptime) { uptime_.store(uptime); }
    void advance(double seconds) { set(uptime() + seconds); }

    double uptime() const override { return uptime_.load(); }
    WallTime wallNow() const override {
        // Held where the microsecond count would overflow (about 285 000 years either way).
        constexpr double kLimit = 9e12;
        const double t = uptime();
        const double held = std::isnan(t) ? 0 : std::clamp(t, -kLimit, kLimit);
        return WallTime{kEpoch} +
               std::chrono::round<std::chrono::microseconds>(std::chrono::duration<double>(held));
    }

  private:
    std::atomic<double> uptime_;
};

}  // namespace tavix::platform
