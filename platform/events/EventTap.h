#pragma once

#include <atomic>
#include <memory>

#include "platform/events/Event.h"

namespace tavix::platform {

enum class EventTapPlacement : uint32_t { headInsert = 0, tailAppend = 1 };
enum class EventTapOptions : uint32_t { defaultTap = 0, listenOnly = 1 };

struct EventTapProxy;

// Returns the event to pass on (usually the one given), or nullptr to drop it. Runs on the main
// queue; must not throw.
using EventTapCallback = Event* (*)(EventTapProxy* proxy, EventType type, Event* event,
                                    void* userInfo);

// A filter in the event stream. Created disabled by EventSystem::createTap; it sees events once
// its run-loop source is on the main queue and it is enabled.
class EventTap {
  public:
    EventTap(EventTapLocation location, EventTapPlacement placement, EventTapOptions options,
             EventMask mask, EventTapCallback callback, void* userInfo)
        : location_(location),
          placement_(placement),
          options_(options),
          mask_(mask),
          callback_(callback),
          userInfo_(userInfo) {}

    EventTapLocation location() const { return location_; }
    EventTapPlacement placement() const { return placement_; }
    EventTapOptions options() const { return options_; }
    EventMask mask() const { return mask_; }

  private:
    friend class EventSystem;

    const EventTapLocation location_;
    const EventTapPlacement placement_;
    const EventTapOptions options_;
    const EventMask mask_;
    const EventTapCallback callback_;
    void* const userInfo_;
    std::atomic<bool> enabled_{false};
};

// What puts a tap on the main queue.
struct RunLoopSource {
    std::shared_ptr<EventTap> tap;
};

}  // namespace tavix::platform
