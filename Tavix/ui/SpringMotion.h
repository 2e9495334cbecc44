#pragma once

namespace tavix::ui {

// A damped harmonic oscillator moving one value toward a target, solved in closed form.
// `response` is the undamped period in seconds (ω₀ = 2π / response); `dampingFraction` is ζ.
// A new target keeps the current position and velocity, so an interrupted motion turns smoothly.
class SpringMotion {
  public:
    explicit SpringMotion(double response, double dampingFraction, double value = 0);

    void setTarget(double target, double now);
    // Puts the value at rest, without motion.
    void reset(double value);

    double target() const { return target_; }
    double value(double now) const;
    double velocity(double now) const;
    bool isSettled(double now) const;

  private:
    // Displacement from the target and its rate of change, dt seconds after the start.
    double displacement(double dt) const;
    double displacementRate(double dt) const;

    double omega_;
    double zeta_;
    double target_;
    double startDisplacement_ = 0;
    double startVelocity_ = 0;
    double startTime_ = 0;
};

}  // namespace tavix::ui
