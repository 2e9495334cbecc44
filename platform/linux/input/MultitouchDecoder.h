#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "platform/linux/input/EvdevNode.h"
#include "platform/linux/input/MagicMouseModels.h"
#include "platform/multitouch/MultitouchFramework.h"

namespace tavix::platform::input {

// The framework's state code of a finger on the surface.
inline constexpr int32_t kContactTouching = 4;

// What one SYN_REPORT of a Magic Mouse node carried.
struct DecodedFrame {
    double time = 0;
    int32_t number = 0;
    // A contact frame is due: some slot changed, or fingers rest on the surface.
    bool touches = false;
    std::span<const MTContact> contacts;  // one per occupied slot, in slot order
    std::span<const InputEvent> pointer;  // buttons and relative axes, in arrival order
};

// Multitouch protocol B slots → contact records, one frame per SYN_REPORT. Only the tracking id
// makes a contact: axis values of an empty slot (libevdev sends them after a resync) are kept
// for a later contact but never shown on their own.
class TAVIX_EVDEV_API MultitouchDecoder {
  public:
    MultitouchDecoder(SurfaceGeometry geometry, AxisRange x, AxisRange y);

    // True when the event completed a frame; frame() holds it until the next feed.
    bool feed(const TimedEvent& event);
    const DecodedFrame& frame() const { return frame_; }

  private:
    struct Slot {
        int32_t trackingId = -1;
        int32_t x = 0;
        int32_t y = 0;
        int32_t major = 0;
        int32_t minor = 0;
        int32_t orientation = 0;
    };

    void absolute(uint16_t code, int32_t value);
    void finish(double time);
    float normalized(int32_t value, AxisRange range, bool flip) const;

    const SurfaceGeometry geometry_;
    const AxisRange x_;
    const AxisRange y_;
    std::vector<Slot> slots_;
    std::size_t current_ = 0;
    bool changed_ = false;
    bool finished_ = false;
    int32_t frames_ = 0;
    std::vector<MTContact> contacts_;
    std::vector<InputEvent> pointer_;
    DecodedFrame frame_;
};

}  // namespace tavix::platform::input
