#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "platform/linux/mouse/MouseSettingMappings.h"

namespace tavix::platform::mouse {
namespace {

struct Mapping {
    const char* name;
    std::function<double(double)> forward;
    std::function<double(double)> back;
    double low, middle, high;           // the setting's ends and neutral point
    double lowOut, middleOut, highOut;  // where they land
    double precision;                   // of the home's own storage
};

// Every mapping: the ends and the neutral point land where the table says, every point of the
// range comes back to the slider's precision, and larger settings never map lower.
TEST(MouseSettingMappings, EachRoundTripsAndIsMonotone) {
    const std::vector<Mapping> mappings{
        {"tracking ↔ libinput speed", libinputSpeedFromTracking, trackingFromLibinputSpeed, 0.0,
         1.0, 3.0, -1.0, 0.0, 1.0, 0.0},
        {"tracking ↔ libinput speed, as KWin stores it (3 decimals)", libinputSpeedFromTracking,
         [](double s) { return trackingFromLibinputSpeed(std::round(s * 1000) / 1000); }, 0.0, 1.0,
         3.0, -1.0, 0.0, 1.0, 0.002},
        {"scroll speed ↔ wheel factor", wheelFactorFromScrollSpeed, scrollSpeedFromWheelFactor, 0.0,
         0.3125, 1.0, 0.1, 1.0, 5.0, 0.0},
        {"double click ↔ ms", [](double s) { return double(millisecondsFromSeconds(s)); },
         [](double ms) { return secondsFromMilliseconds(std::int64_t(ms)); }, 0.15, 0.5, 2.0, 150,
         500, 2000, 0.0005},
    };
    for (const auto& m : mappings) {
        SCOPED_TRACE(m.name);
        EXPECT_DOUBLE_EQ(m.forward(m.low), m.lowOut);
        EXPECT_DOUBLE_EQ(m.forward(m.middle), m.middleOut);
        EXPECT_DOUBLE_EQ(m.forward(m.high), m.highOut);
        double previous = m.forward(m.low);
        for (int i = 0; i <= 1000; ++i) {
            const double value = m.low + (m.high - m.low) * i / 1000.0;
            const double mapped = m.forward(value);
            EXPECT_GE(mapped, previous) << value;
            previous = mapped;
            EXPECT_NEAR(m.back(mapped), value, m.precision + 1e-12) << value;
        }
    }
}

TEST(MouseSettingMappings, OutOfRangeValuesAreClampedNotPassedOn) {
    EXPECT_EQ(libinputSpeedFromTracking(7.0), 1.0);
    EXPECT_EQ(libinputSpeedFromTracking(-2.0), -1.0);
    EXPECT_EQ(libinputSpeedFromTracking(std::nan("")), -1.0);
    EXPECT_EQ(trackingFromLibinputSpeed(4.0), 3.0);
    EXPECT_EQ(scrollSpeedFromWheelFactor(100.0), 1.0);
    EXPECT_EQ(scrollSpeedFromWheelFactor(0.0), 0.0);
    EXPECT_EQ(millisecondsFromSeconds(1e300), 60000);
    EXPECT_EQ(millisecondsFromSeconds(-1.0), 1);
    EXPECT_EQ(secondsFromMilliseconds(0), 0.001);
    // The clone's motion factor: slower below the neutral speed, the speed itself above it.
    EXPECT_EQ(motionFactorFromTracking(0.0), 0.25);
    EXPECT_EQ(motionFactorFromTracking(1.0), 1.0);
    EXPECT_EQ(motionFactorFromTracking(3.0), 3.0);
}

}  // namespace
}  // namespace tavix::platform::mouse
