#pragma once

#include "platform/Clock.h"

namespace tavix::platform {

// CLOCK_MONOTONIC for the uptime (it stops while the machine sleeps and never jumps), the
// system clock for wall time.
class SystemClock final : public Clock {
  public:
    double uptime() const override;
    WallTime wallNow() const override;
};

}  // namespace tavix::platform
