#pragma once

#include <array>
#include <map>
#include <memory>
#include <span>
#include <vector>

#include "platform/linux/input/CloneSettings.h"
#include "platform/linux/input/InputSink.h"

namespace tavix::platform::input {

// The stage between a Magic Mouse and its clone that applies the mouse settings: relative motion
// and both wheels scaled, the wheels inverted, the buttons mapped. One per mouse: it keeps the
// fractions that scaling leaves over, so slow movement is never lost, and which button each press
// went out as, so a release always matches its press even when the mapping changed in between.
class CloneFilter {
  public:
    explicit CloneFilter(std::shared_ptr<const CloneSettings> settings);

    // One frame without its SYN_REPORT in, the frame to emit out (possibly empty).
    std::vector<InputEvent> apply(std::span<const InputEvent> frame);

  private:
    struct Wheel {
        double remainder = 0.0;  // high-resolution units not emitted yet
        int notchUnits = 0;      // high-resolution units emitted since the last whole notch
    };

    void scaleMotion(int axis, int32_t value, double factor, std::vector<InputEvent>& out);
    void scaleWheel(int axis, int64_t hiRes, const CloneTransform& t, std::vector<InputEvent>& out);
    void mapButton(uint16_t code, int32_t value, CloneButtons buttons,
                   std::vector<InputEvent>& out);

    std::shared_ptr<const CloneSettings> settings_;
    std::array<double, 2> motionRemainder_{};
    std::array<Wheel, 2> wheels_{};           // vertical, horizontal
    std::map<uint16_t, uint16_t> pressedAs_;  // physical button → the button it went out as
    std::map<uint16_t, int> held_;            // emitted button → physical buttons holding it
};

// A clone with the filter in front of it: what the event tap passes goes through apply() and out
// to the uinput device.
class FilteredClone final : public InputSink {
  public:
    FilteredClone(std::unique_ptr<InputSink> clone, std::shared_ptr<const CloneSettings> settings)
        : clone_(std::move(clone)), filter_(std::move(settings)) {}

    bool writeFrame(std::span<const InputEvent> events) override;

  private:
    std::unique_ptr<InputSink> clone_;
    CloneFilter filter_;
};

// Wraps a maker of clones (a function from a device to its InputSink, nothing when the device
// cannot be made) so that every clone it makes filters through `settings`.
template <class MakeClone>
auto filteredClones(MakeClone makeClone, std::shared_ptr<const CloneSettings> settings) {
    return [makeClone = std::move(makeClone),
            settings = std::move(settings)](const auto& device) -> std::unique_ptr<InputSink> {
        std::unique_ptr<InputSink> clone = makeClone(device);
        if (!clone) return nullptr;
        return std::make_unique<FilteredClone>(std::move(clone), settings);
    };
}

}  // namespace tavix::platform::input
