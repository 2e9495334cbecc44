#include "Tavix/ui/SpringMotion.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tavix::ui {
namespace {

// Close enough to rest that a further frame would not move anything visibly.
constexpr double kRestDisplacement = 1e-4;
constexpr double kRestVelocity = 1e-3;

}  // namespace

SpringMotion::SpringMotion(double response, double dampingFraction, double value)
    : omega_(2 * std::numbers::pi / response), zeta_(dampingFraction), target_(value) {}

void SpringMotion::setTarget(double target, double now) {
    const double position = value(now);
    startVelocity_ = velocity(now);
    startDisplacement_ = position - target;
    startTime_ = now;
    target_ = target;
}

void SpringMotion::reset(double value) {
    target_ = value;
    startDisplacement_ = 0;
    startVelocity_ = 0;
}

double SpringMotion::value(double now) const {
    return target_ + displacement(std::max(0.0, now - startTime_));
}

double SpringMotion::velocity(double now) const {
    return displacementRate(std::max(0.0, now - startTime_));
}

bool SpringMotion::isSettled(double now) const {
    return std::abs(value(now) - target_) < kRestDisplacement &&
           std::abs(velocity(now)) < kRestVelocity;
}

double SpringMotion::displacement(double t) const {
    const double d0 = startDisplacement_;
    const double v0 = startVelocity_;
    if (zeta_ < 1) {
        const double beta = zeta_ * omega_;
        const double wd = omega_ * std::sqrt(1 - zeta_ * zeta_);
        const double b = (v0 + beta * d0) / wd;
        return std::exp(-beta * t) * (d0 * std::cos(wd * t) + b * std::sin(wd * t));
    }
    if (zeta_ == 1) return (d0 + (v0 + omega_ * d0) * t) * std::exp(-omega_ * t);
    const double root = omega_ * std::sqrt(zeta_ * zeta_ - 1);
    const double r1 = -zeta_ * omega_ + root;
    const double r2 = -zeta_ * omega_ - root;
    const double c2 = (v0 - r1 * d0) / (r2 - r1);
    return (d0 - c2) * std::exp(r1 * t) + c2 * std::exp(r2 * t);
}

double SpringMotion::displacementRate(double t) const {
    const double d0 = startDisplacement_;
    const double v0 = startVelocity_;
    if (zeta_ < 1) {
        const double beta = zeta_ * omega_;
        const double wd = omega_ * std::sqrt(1 - zeta_ * zeta_);
        const double b = (v0 + beta * d0) / wd;
        return std::exp(-beta * t) *
               ((b * wd - beta * d0) * std::cos(wd * t) - (d0 * wd + beta * b) * std::sin(wd * t));
    }
    if (zeta_ == 1) {
        const double a = v0 + omega_ * d0;
        return std::exp(-omega_ * t) * (a - omega_ * (d0 + a * t));
    }
    const double root = omega_ * std::sqrt(zeta_ * zeta_ - 1);
    const double r1 = -zeta_ * omega_ + root;
    const double r2 = -zeta_ * omega_ - root;
    const double c2 = (v0 - r1 * d0) / (r2 - r1);
    return (d0 - c2) * r1 * std::exp(r1 * t) + c2 * r2 * std::exp(r2 * t);
}

}  // namespace tavix::ui
