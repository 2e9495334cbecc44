#pragma once

#include <memory>

#include "platform/Clock.h"

namespace tavix::ui {

// The time that drives the interface's animations: the real monotonic clock unless a test
// installs one it moves itself. Kept apart from platform::clock(), which a replay may drive.
platform::Clock& animationClock();
std::shared_ptr<platform::Clock> installAnimationClock(std::shared_ptr<platform::Clock> clock);

// Seconds of animationClock().uptime().
inline double animationNow() {
    return animationClock().uptime();
}

}  // namespace tavix::ui
