#pragma once

#include <optional>

#include "platform/events/Event.h"

namespace tavix::platform {

enum class EventOrigin { posted, physical };

// What differs between the desktop and a simulation: the pointer, the permission to create
// events and taps, and where events go once they have passed the tap chain.
class EventBackend {
  public:
    virtual ~EventBackend() = default;

    // Global screen points; nothing when the position cannot be read.
    virtual std::optional<Point> pointerLocation() = 0;
    virtual bool canCreateEvents() { return true; }
    virtual bool canCreateSource() { return true; }
    // False while the user has not granted access to the input stream.
    virtual bool canCreateTap() { return true; }

    // Every posted event, in posting order, before any tap sees it. Any thread.
    virtual void posted(EventTapLocation, const Event&) {}
    // An event has passed the tap chain; `delivered` is false when a tap dropped it.
    virtual void leftTaps(const Event&, EventOrigin, bool delivered) = 0;
};

}  // namespace tavix::platform
