#include "platform/linux/input/MultitouchDecoder.h"

#include <linux/input-event-codes.h>

namespace tavix::platform::input {
namespace {

// The driver's slot count; a node reporting a slot beyond it is ignored rather than trusted.
constexpr std::size_t kSlots = 16;

}  // namespace

MultitouchDecoder::MultitouchDecoder(SurfaceGeometry geometry, AxisRange x, AxisRange y)
    : geometry_(geometry), x_(x), y_(y), slots_(kSlots) {
    contacts_.reserve(kSlots);
}

bool MultitouchDecoder::feed(const TimedEvent& timed) {
    const InputEvent& e = timed.event;
    if (finished_) {
        // The previous frame has been handed out: this event starts the next one.
        finished_ = false;
        pointer_.clear();
    }
    switch (e.type) {
        case EV_SYN:
            if (e.code != SYN_REPORT) return false;
            finish(timed.time);
            return true;
        case EV_ABS:
            absolute(e.code, e.value);
            return false;
        case EV_KEY:
        case EV_REL:
            pointer_.push_back(e);
            return false;
        default:
            return false;
    }
}

void MultitouchDecoder::absolute(uint16_t code, int32_t value) {
    if (code == ABS_MT_SLOT) {
        current_ = value >= 0 ? static_cast<std::size_t>(value) : kSlots;
        return;
    }
    if (current_ >= slots_.size()) return;
    Slot& slot = slots_[current_];
    switch (code) {
        case ABS_MT_TRACKING_ID:
            slot.trackingId = value < 0 ? -1 : value;
            break;
        case ABS_MT_POSITION_X:
            slot.x = value;
            break;
        case ABS_MT_POSITION_Y:
            slot.y = value;
            break;
        case ABS_MT_TOUCH_MAJOR:
            slot.major = value;
            break;
        case ABS_MT_TOUCH_MINOR:
            slot.minor = value;
            break;
        case ABS_MT_ORIENTATION:
            slot.orientation = value;
            break;
        default:
            return;
    }
    changed_ = true;
}

float MultitouchDecoder::normalized(int32_t value, AxisRange range, bool flip) const {
    if (!range.valid()) return 0;
    // In double: the span of a hostile range does not fit in 32 bits.
    const double span = static_cast<double>(range.maximum) - range.minimum;
    const double n = (static_cast<double>(value) - range.minimum) / span;
    return static_cast<float>(flip ? 1 - n : n);
}

void MultitouchDecoder::finish(double time) {
    contacts_.clear();
    ++frames_;
    for (std::size_t s = 0; s < slots_.size(); ++s) {
        const Slot& slot = slots_[s];
        if (slot.trackingId < 0) continue;
        MTContact c{};
        c.frame = frames_;
        c.timestamp = time;
        c.identifier = slot.trackingId;
        c.state = kContactTouching;
        c.fingerId = static_cast<int32_t>(s);
        c.normalized.position = {normalized(slot.x, x_, geometry_.flipX),
                                 normalized(slot.y, y_, geometry_.flipY)};
        c.angle = static_cast<float>(slot.orientation);
        c.majorAxis = static_cast<float>(slot.major);
        c.minorAxis = static_cast<float>(slot.minor);
        c.absolute.position = {c.normalized.position.x * geometry_.width / 100.0f,
                               c.normalized.position.y * geometry_.height / 100.0f};
        contacts_.push_back(c);
    }
    frame_ = DecodedFrame{.time = time,
                          .number = frames_,
                          .touches = changed_ || !contacts_.empty(),
                          .contacts = contacts_,
                          .pointer = pointer_};
    changed_ = false;
    finished_ = true;
}

}  // namespace tavix::platform::input
