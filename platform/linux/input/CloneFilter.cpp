#include "platform/linux/input/CloneFilter.h"

#include <linux/input-event-codes.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <optional>

namespace tavix::platform::input {
namespace {

constexpr int kUnitsPerNotch = 120;

struct WheelAxis {
    uint16_t notch;
    uint16_t hiRes;
};
constexpr std::array<WheelAxis, 2> kWheelAxes{
    {{REL_WHEEL, REL_WHEEL_HI_RES}, {REL_HWHEEL, REL_HWHEEL_HI_RES}}};

uint16_t mapped(uint16_t code, CloneButtons buttons) {
    if (code != BTN_LEFT && code != BTN_RIGHT) return code;
    switch (buttons) {
        case CloneButtons::right:
            return code;
        case CloneButtons::left:
            return code == BTN_LEFT ? BTN_RIGHT : BTN_LEFT;
        case CloneButtons::off:
            return BTN_LEFT;
    }
    return code;
}

// A hostile device may report any value; what does not fit an evdev value is clamped, never
// wrapped round to the other sign.
int32_t saturated(double whole) {
    return static_cast<int32_t>(std::clamp(whole, double{INT32_MIN}, double{INT32_MAX}));
}

}  // namespace

CloneFilter::CloneFilter(std::shared_ptr<const CloneSettings> settings)
    : settings_(std::move(settings)) {}

std::vector<InputEvent> CloneFilter::apply(std::span<const InputEvent> frame) {
    const CloneTransform t = settings_ ? settings_->transform() : CloneTransform{};
    // The high-resolution movement of each wheel in this frame; a wheel reported only in notches
    // counts as whole notches.
    std::array<std::optional<int64_t>, 2> hiRes;
    std::array<int64_t, 2> notches{};
    for (const auto& e : frame) {
        if (e.type != EV_REL) continue;
        for (int axis = 0; axis < 2; ++axis) {
            if (e.code == kWheelAxes[axis].hiRes) hiRes[axis] = hiRes[axis].value_or(0) + e.value;
            if (e.code == kWheelAxes[axis].notch) notches[axis] += e.value;
        }
    }

    std::vector<InputEvent> out;
    out.reserve(frame.size() + 2);
    std::array<bool, 2> wheelDone{};
    for (const auto& e : frame) {
        if (e.type == EV_REL && (e.code == REL_X || e.code == REL_Y)) {
            scaleMotion(e.code == REL_X ? 0 : 1, e.value, t.motionFactor, out);
            continue;
        }
        if (e.type == EV_REL) {
            bool wheel = false;
            for (int axis = 0; axis < 2; ++axis) {
                if (e.code != kWheelAxes[axis].hiRes && e.code != kWheelAxes[axis].notch) continue;
                wheel = true;
                if (wheelDone[axis]) break;
                wheelDone[axis] = true;
                scaleWheel(axis, hiRes[axis].value_or(notches[axis] * kUnitsPerNotch), t, out);
            }
            if (wheel) continue;
        }
        if (e.type == EV_KEY) {
            mapButton(e.code, e.value, t.buttons, out);
            continue;
        }
        out.push_back(e);
    }
    return out;
}

void CloneFilter::scaleMotion(int axis, int32_t value, double factor,
                              std::vector<InputEvent>& out) {
    const double scaled = value * factor + motionRemainder_[axis];
    const double whole = std::trunc(scaled);
    const int32_t emitted = saturated(whole);
    // What saturation cut off is dropped, not carried into later frames.
    motionRemainder_[axis] = whole == emitted ? scaled - whole : 0.0;
    if (emitted != 0) {
        out.push_back({EV_REL, static_cast<uint16_t>(axis == 0 ? REL_X : REL_Y), emitted});
    }
}

void CloneFilter::scaleWheel(int axis, int64_t hiRes, const CloneTransform& t,
                             std::vector<InputEvent>& out) {
    Wheel& wheel = wheels_[axis];
    const double scaled =
        static_cast<double>(hiRes) * t.wheelFactor * (t.invertWheel ? -1.0 : 1.0) + wheel.remainder;
    const double whole = std::trunc(scaled);
    const int32_t units = saturated(whole);
    wheel.remainder = whole == units ? scaled - whole : 0.0;
    // Notches follow the high-resolution units sent, so the two axes always agree.
    const int64_t pending = int64_t{wheel.notchUnits} + units;
    const auto notches = static_cast<int32_t>(pending / kUnitsPerNotch);
    wheel.notchUnits = static_cast<int>(pending - int64_t{notches} * kUnitsPerNotch);
    if (notches != 0) out.push_back({EV_REL, kWheelAxes[axis].notch, notches});
    if (units != 0) out.push_back({EV_REL, kWheelAxes[axis].hiRes, units});
}

void CloneFilter::mapButton(uint16_t code, int32_t value, CloneButtons buttons,
                            std::vector<InputEvent>& out) {
    if (value == 1) {
        if (pressedAs_.contains(code)) return;
        const uint16_t target = mapped(code, buttons);
        pressedAs_[code] = target;
        if (held_[target]++ == 0) out.push_back({EV_KEY, target, 1});
    } else if (value == 0) {
        // A release goes out as whatever its press went out as, whatever the mapping is now.
        const auto pressed = pressedAs_.find(code);
        if (pressed == pressedAs_.end()) return;
        const uint16_t target = pressed->second;
        pressedAs_.erase(pressed);
        if (--held_[target] == 0) out.push_back({EV_KEY, target, 0});
    }
}

bool FilteredClone::writeFrame(std::span<const InputEvent> events) {
    const auto filtered = filter_.apply(events);
    if (filtered.empty()) return true;
    return clone_->writeFrame(filtered);
}

}  // namespace tavix::platform::input
