#pragma once

#include <cstddef>
#include <string>

#include "platform/Clock.h"

namespace tavix {

// The engine's live report: fingers on the surface and the last recognised gesture.
struct LiveStatus {
    // Earlier than any real time: 0001-01-01T00:00:00Z.
    static constexpr platform::WallTime kDistantPast{std::chrono::seconds{-62135596800}};

    std::ptrdiff_t fingers = 0;
    std::string lastGesture = "—";
    platform::WallTime lastGestureTime = kDistantPast;

    friend bool operator==(const LiveStatus&, const LiveStatus&) = default;
};

}  // namespace tavix
