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

    // Whether any tap is on the main queue changed. A desktop backend takes the user's devices
    // over only while a tap may drop their events. Called outside the event system's lock.
    virtual void tapsInstalled(bool) {}
    // False while the user's input can be watched but not dropped (the devices could not be
    // taken over): a filtering tap then does not count as enabled.
    virtual bool canDropPhysical() { return true; }

    // Every posted event, in posting order, before any tap sees it. Any thread.
    virtual void posted(EventTapLocation, const Event&) {}
    // An event has passed the tap chain; `delivered` is false when a tap dropped it.
    virtual void leftTaps(const Event&, EventOrigin, bool delivered) = 0;
};

}  // namespace tavix::platform
