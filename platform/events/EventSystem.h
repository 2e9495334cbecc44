#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/events/Event.h"
#include "platform/events/EventBackend.h"
#include "platform/events/EventTap.h"

namespace tavix::platform {

// Event creation and posting, and the chain of taps that every posted and physical event passes
// before it reaches the backend. While no tap is on the main queue, events go straight to the
// backend on the posting thread; otherwise every event is handed to the main queue, in order,
// where the taps run.
class EventSystem : public std::enable_shared_from_this<EventSystem> {
  public:
    explicit EventSystem(std::shared_ptr<EventBackend> backend);

    EventBackend& backend() { return *backend_; }

    std::optional<EventSource> createSource(EventSourceStateID state);
    // An empty event (type null) at the pointer's current position.
    std::optional<Event> createEvent(const EventSource* source);
    std::optional<Event> createMouseEvent(const EventSource* source, EventType type, Point at,
                                          MouseButton button);
    std::optional<Event> createKeyboardEvent(const EventSource* source, uint16_t virtualKey,
                                             bool keyDown);
    void post(EventTapLocation location, const Event& event);
    // Input from the user's own devices; it enters at the HID level.
    void injectPhysical(const Event& event);

    // Nothing when the backend refuses (no access to the input stream).
    std::shared_ptr<EventTap> createTap(EventTapLocation location, EventTapPlacement placement,
                                        EventTapOptions options, EventMask mask,
                                        EventTapCallback callback, void* userInfo);
    std::shared_ptr<RunLoopSource> createRunLoopSource(const std::shared_ptr<EventTap>& tap);
    void addToMainRunLoop(const std::shared_ptr<RunLoopSource>& source);
    void removeFromMainRunLoop(const std::shared_ptr<RunLoopSource>& source);
    void setTapEnabled(EventTap& tap, bool enabled);
    bool isTapEnabled(const EventTap& tap) const;
    // The system turns the taps on the main queue off (a slow callback, or user input) and
    // tells each of them so with `notice`.
    void disableTaps(EventType notice);

  private:
    void route(const Event& event, EventTapLocation location, EventOrigin origin);
    void runTaps(Event event, EventTapLocation location, EventOrigin origin);

    std::shared_ptr<EventBackend> backend_;
    mutable std::mutex mutex_;
    std::vector<std::shared_ptr<EventTap>> installed_;  // in chain order
};

// The process-wide EventSystem; a recording one until another is installed.
EventSystem& eventSystem();
std::shared_ptr<EventSystem> installEventSystem(std::shared_ptr<EventSystem> service);

}  // namespace tavix::platform
