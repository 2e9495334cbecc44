#include "platform/linux/mouse/MouseSettingMappings.h"

#include <algorithm>
#include <cmath>

namespace tavix::platform::mouse {
namespace {

constexpr double kTrackingMax = 3.0;
constexpr double kTrackingNeutral = 1.0;
constexpr double kSlowestMotion = 0.25;
constexpr double kScrollNeutral = 0.3125;
constexpr double kSlowestWheel = 0.1;
constexpr double kFastestWheel = 5.0;
constexpr double kLongestClickMs = 60000.0;

// NaN compares false everywhere; it becomes the low end rather than travelling on.
double clamp(double value, double low, double high) {
    if (!(value >= low)) return low;
    return std::min(value, high);
}

// The straight line through (x0, y0) and (x1, y1), at x.
double line(double x, double x0, double y0, double x1, double y1) {
    return y0 + (x - x0) * (y1 - y0) / (x1 - x0);
}

}  // namespace

double libinputSpeedFromTracking(double tracking) {
    const double t = clamp(tracking, 0.0, kTrackingMax);
    if (t <= kTrackingNeutral) return line(t, 0.0, -1.0, kTrackingNeutral, 0.0);
    return line(t, kTrackingNeutral, 0.0, kTrackingMax, 1.0);
}

double trackingFromLibinputSpeed(double speed) {
    const double s = clamp(speed, -1.0, 1.0);
    if (s <= 0.0) return line(s, -1.0, 0.0, 0.0, kTrackingNeutral);
    return line(s, 0.0, kTrackingNeutral, 1.0, kTrackingMax);
}

double motionFactorFromTracking(double tracking) {
    const double t = clamp(tracking, 0.0, kTrackingMax);
    if (t <= kTrackingNeutral) return line(t, 0.0, kSlowestMotion, kTrackingNeutral, 1.0);
    return t;
}

double wheelFactorFromScrollSpeed(double scrollSpeed) {
    const double c = clamp(scrollSpeed, 0.0, 1.0);
    if (c <= kScrollNeutral) return line(c, 0.0, kSlowestWheel, kScrollNeutral, 1.0);
    return line(c, kScrollNeutral, 1.0, 1.0, kFastestWheel);
}

double scrollSpeedFromWheelFactor(double factor) {
    const double k = clamp(factor, kSlowestWheel, kFastestWheel);
    if (k <= 1.0) return line(k, kSlowestWheel, 0.0, 1.0, kScrollNeutral);
    return line(k, 1.0, kScrollNeutral, kFastestWheel, 1.0);
}

std::int32_t millisecondsFromSeconds(double seconds) {
    return static_cast<std::int32_t>(std::lround(clamp(seconds * 1000.0, 1.0, kLongestClickMs)));
}

double secondsFromMilliseconds(std::int64_t milliseconds) {
    return static_cast<double>(std::clamp<std::int64_t>(milliseconds, 1, 60000)) / 1000.0;
}

}  // namespace tavix::platform::mouse
