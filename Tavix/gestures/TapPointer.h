#pragma once

#include "platform/Geometry.h"

namespace tavix::tapPointer {

// What the pointer may do around a tap, for the engine's clicks and the system double taps
// alike: a touch during which the pointer travelled is no tap, and a tap follows the one before
// only where that one landed.
constexpr double kDuringSlackPt = 6.0;
constexpr double kBetweenSlackPt = 5.0;

// Screen points, where the pointer was at touch-down and where it is at the lift.
inline bool stayed(Point atDown, Point atLift) {
    return distance(atDown, atLift) <= kDuringSlackPt;
}
inline bool landsWith(Point previousTap, Point atLift) {
    return distance(previousTap, atLift) <= kBetweenSlackPt;
}

}  // namespace tavix::tapPointer
