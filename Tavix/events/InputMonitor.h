#pragma once

#include <memory>

#include "platform/events/EventTap.h"

namespace tavix {

// Watches the user's own clicks and scrolls through an event tap: they cancel taps in progress,
// and scrolling is held back while a zoom runs, and from a system swipe until its fingers lift.
// Our own marked events pass untouched. Used on the main thread; the tap's callback runs there
// too.
class InputMonitor {
  public:
    // Button presses (1, 3, 25), scroll wheel (22), gesture (29) and magnify (30) events.
    static constexpr platform::EventMask kEventMask =
        platform::eventMaskBit(platform::EventType::leftMouseDown) |
        platform::eventMaskBit(platform::EventType::rightMouseDown) |
        platform::eventMaskBit(platform::EventType::otherMouseDown) |
        platform::eventMaskBit(platform::EventType::scrollWheel) | 0x60000000;
    static_assert(kEventMask == 0x6240000A);

    static InputMonitor& shared();

    // True when a tap exists afterwards; false when the system refused one (no access granted).
    bool start();
    void stop();
    bool isRunning() const;

  private:
    InputMonitor() = default;

    static platform::Event* callback(platform::EventTapProxy* proxy, platform::EventType type,
                                     platform::Event* event, void* userInfo);

    std::shared_ptr<platform::EventTap> tap;
    std::shared_ptr<platform::RunLoopSource> source;
};

}  // namespace tavix
