#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "platform/Geometry.h"

namespace tavix::platform {

// Event type numbers of the desktop's event stream; values are part of the event log format.
enum class EventType : uint32_t {
    null = 0,
    leftMouseDown = 1,
    leftMouseUp = 2,
    rightMouseDown = 3,
    rightMouseUp = 4,
    mouseMoved = 5,
    leftMouseDragged = 6,
    rightMouseDragged = 7,
    keyDown = 10,
    keyUp = 11,
    flagsChanged = 12,
    scrollWheel = 22,
    otherMouseDown = 25,
    otherMouseUp = 26,
    otherMouseDragged = 27,
    gesture = 29,
    magnify = 30,
    tapDisabledByTimeout = 0xFFFFFFFE,
    tapDisabledByUserInput = 0xFFFFFFFF,
};

enum class EventField : uint32_t {
    // The system's number for a physical mouse event; it finds the event again once it has
    // passed the taps.
    mouseEventNumber = 0,
    mouseEventClickState = 1,
    mouseEventButtonNumber = 3,
    keyboardEventKeycode = 9,
    eventSourceUserData = 42,
    gestureHIDType = 110,
    gestureZoomValue = 113,
    gesturePhase = 132,
};

// Buttons 3 and 4 are the side buttons that browsers and file managers take as back and forward.
enum class MouseButton : uint32_t { left = 0, right = 1, center = 2, back = 3, forward = 4 };

// Where an event enters the stream; taps at a location see what enters there or earlier.
enum class EventTapLocation : uint32_t { hid = 0, session = 1, annotatedSession = 2 };

enum class EventSourceStateID : int32_t { privateState = -1, combinedSession = 0, hidSystem = 1 };

using EventFlags = uint64_t;
inline constexpr EventFlags kEventFlagMaskControl = 0x40000;
inline constexpr EventFlags kEventFlagMaskCommand = 0x100000;

using EventMask = uint64_t;
constexpr EventMask eventMaskBit(EventType type) {
    const auto n = static_cast<uint32_t>(type);
    return n < 64 ? EventMask{1} << n : 0;
}

constexpr bool isMouseEventType(EventType type) {
    const auto n = static_cast<uint32_t>(type);
    return (n >= 1 && n <= 7) || (n >= 25 && n <= 27);
}
constexpr bool isKeyEventType(EventType type) {
    return type == EventType::keyDown || type == EventType::keyUp;
}

// One input event: a plain value, no heap storage, cheap to copy.
class Event {
  public:
    EventType type() const { return type_; }
    void setType(EventType type) { type_ = type; }
    EventFlags flags() const { return flags_; }
    void setFlags(EventFlags flags) { flags_ = flags; }
    Point location() const { return location_; }
    void setLocation(Point location) { location_ = location; }
    std::optional<EventSourceStateID> sourceState() const { return sourceState_; }
    void setSourceState(std::optional<EventSourceStateID> state) { sourceState_ = state; }

    // A field never set reads as 0.
    int64_t integerValue(EventField field) const { return integers_.get(field); }
    void setIntegerValue(EventField field, int64_t value) { integers_.set(field, value); }
    double doubleValue(EventField field) const { return doubles_.get(field); }
    void setDoubleValue(EventField field, double value) { doubles_.set(field, value); }

  private:
    // A handful of fields per event; a field past capacity is not stored.
    template <class V, std::size_t N>
    class FieldTable {
      public:
        V get(EventField field) const {
            const std::size_t index = find(field);
            return index < size_ ? values_[index] : V{};
        }
        void set(EventField field, V value) {
            const std::size_t index = find(field);
            if (index == size_) {
                if (size_ == N) return;
                keys_[size_++] = field;
            }
            values_[index] = value;
        }

      private:
        std::size_t find(EventField field) const {
            std::size_t index = 0;
            while (index < size_ && keys_[index] != field) ++index;
            return index;
        }

        std::array<EventField, N> keys_{};
        std::array<V, N> values_{};
        std::size_t size_ = 0;
    };

    EventType type_ = EventType::null;
    EventFlags flags_ = 0;
    Point location_;
    std::optional<EventSourceStateID> sourceState_;
    FieldTable<int64_t, 8> integers_;
    FieldTable<double, 4> doubles_;
};

struct EventSource {
    EventSourceStateID state = EventSourceStateID::hidSystem;
};

}  // namespace tavix::platform
