#pragma once

namespace tavix::platform::output {

// Waits until an uptime (seconds, the Clock's time base). Tests use one that only moves a
// virtual clock forward.
class Sleeper {
  public:
    virtual ~Sleeper() = default;
    virtual void sleepUntil(double uptime) = 0;
};

// CLOCK_MONOTONIC, the time base of SystemClock.
class SystemSleeper final : public Sleeper {
  public:
    void sleepUntil(double uptime) override;
};

}  // namespace tavix::platform::output
