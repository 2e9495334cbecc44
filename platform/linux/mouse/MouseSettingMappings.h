#pragma once

#include <cstdint>

namespace tavix::platform::mouse {

// Conversions between the ranges the mouse settings are kept in and the ranges of their Linux
// homes (docs/mouse-settings-linux.md has the table). Each pair is monotone and, inside its
// range, one is the inverse of the other; inputs outside a range are clamped to it.

// Tracking speed 0…3 (1 is the system's neutral speed) ↔ libinput's pointer speed −1…1 (0 is
// neutral), as GNOME's `speed` and KWin's `pointerAcceleration` take it. Two straight pieces
// meeting at the neutral points.
double libinputSpeedFromTracking(double tracking);
double trackingFromLibinputSpeed(double speed);

// Tracking speed → the factor the clone multiplies relative motion by: 0.25 at 0, 1 at 1, 3 at 3.
double motionFactorFromTracking(double tracking);

// Scroll speed 0…1 (0.3125 is neutral) ↔ a wheel factor 0.1…5 (1 is neutral), as KWin's
// `scrollFactor` takes it and as the clone multiplies wheel movement by.
double wheelFactorFromScrollSpeed(double scrollSpeed);
double scrollSpeedFromWheelFactor(double factor);

// Double-click interval in seconds ↔ whole milliseconds (GNOME `double-click`, KDE
// `DoubleClickInterval`), 1 ms…60 s.
std::int32_t millisecondsFromSeconds(double seconds);
double secondsFromMilliseconds(std::int64_t milliseconds);

}  // namespace tavix::platform::mouse
