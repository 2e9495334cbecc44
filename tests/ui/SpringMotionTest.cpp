#include <gtest/gtest.h>

#include <cmath>

#include "Tavix/ui/IOSSwitchStyle.h"
#include "Tavix/ui/SpringMotion.h"

namespace tavix::ui {
namespace {

SpringMotion switchSpring() {
    return SpringMotion(IOSSwitchStyle::kResponse, IOSSwitchStyle::kDampingFraction, 0);
}

// ω₀ = 2π / 0.25 s, ζ = 0.8: the overshoot is e^(−πζ/√(1−ζ²)) ≈ 1.52 %, at π/ω_d ≈ 0.208 s,
// and the motion stays within 1 % of its end from about 0.25 s on.
TEST(SpringMotion, SwitchSpringOvershootsByOnePointFivePercentAndSettlesWithinAQuarterSecond) {
    SpringMotion spring = switchSpring();
    spring.setTarget(1, 10.0);
    EXPECT_DOUBLE_EQ(spring.value(10.0), 0);
    EXPECT_DOUBLE_EQ(spring.velocity(10.0), 0);

    double peak = 0, peakAt = 0, lastOutsideOnePercent = 0;
    for (int ms = 0; ms <= 1000; ++ms) {
        const double t = ms / 1000.0;
        const double x = spring.value(10.0 + t);
        if (x > peak) peak = x, peakAt = t;
        if (std::abs(x - 1) > 0.01) lastOutsideOnePercent = t;
    }
    EXPECT_NEAR(peak - 1, 0.0152, 0.0005);
    EXPECT_NEAR(peakAt, 0.208, 0.002);
    EXPECT_GT(lastOutsideOnePercent, 0.24);
    EXPECT_LT(lastOutsideOnePercent, 0.26);
    EXPECT_FALSE(spring.isSettled(10.2));
    EXPECT_TRUE(spring.isSettled(10.6));
    EXPECT_NEAR(spring.value(11.0), 1, 1e-6);
}

TEST(SpringMotion, ANewTargetMidwayKeepsPositionAndVelocity) {
    SpringMotion spring = switchSpring();
    spring.setTarget(1, 0);
    const double position = spring.value(0.1);
    const double velocity = spring.velocity(0.1);
    ASSERT_GT(velocity, 1);

    spring.setTarget(0, 0.1);
    EXPECT_NEAR(spring.value(0.1), position, 1e-12);
    EXPECT_NEAR(spring.velocity(0.1), velocity, 1e-9);
    // Still carried toward 1 for a moment, then back to 0.
    EXPECT_GT(spring.value(0.11), position);
    EXPECT_NEAR(spring.value(1.5), 0, 1e-6);
}

TEST(SpringMotion, CriticalAndOverdampedSpringsNeverOvershoot) {
    for (double zeta : {1.0, 1.5}) {
        SpringMotion spring(0.25, zeta, 0);
        spring.setTarget(1, 0);
        double previous = 0;
        for (int ms = 1; ms <= 2000; ++ms) {
            const double x = spring.value(ms / 1000.0);
            ASSERT_LE(x, 1 + 1e-12) << "zeta " << zeta;
            ASSERT_GE(x, previous - 1e-12) << "zeta " << zeta;
            previous = x;
        }
        EXPECT_NEAR(previous, 1, 1e-3) << "zeta " << zeta;
    }
}

}  // namespace
}  // namespace tavix::ui
