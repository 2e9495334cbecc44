#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <vector>

#include "platform/events/EventBackend.h"

namespace tavix::platform {

// Keeps every posted event and every event that left the tap chain, in order. The pointer and
// the permissions are whatever the test sets.
class RecordingEventBackend final : public EventBackend {
  public:
    struct Posted {
        EventTapLocation location;
        Event event;
    };
    struct Passed {
        Event event;
        EventOrigin origin;
        bool delivered;
    };
    struct Listener {
        std::function<void(const Posted&)> posted;
        std::function<void(const Passed&)> leftTaps;
    };

    void setPointer(std::optional<Point> location);
    void setCanCreateEvents(bool allowed) { canCreateEvents_ = allowed; }
    void setCanCreateSource(bool allowed) { canCreateSource_ = allowed; }
    void setCanCreateTap(bool allowed) { canCreateTap_ = allowed; }
    void setListener(Listener listener);

    std::vector<Posted> posted() const;
    std::vector<Passed> passed() const;
    void clear();

    std::optional<Point> pointerLocation() override;
    bool canCreateEvents() override { return canCreateEvents_; }
    bool canCreateSource() override { return canCreateSource_; }
    bool canCreateTap() override { return canCreateTap_; }
    void posted(EventTapLocation location, const Event& event) override;
    void leftTaps(const Event& event, EventOrigin origin, bool delivered) override;

  private:
    mutable std::mutex mutex_;
    std::optional<Point> pointer_ = Point{};
    std::atomic<bool> canCreateEvents_{true};
    std::atomic<bool> canCreateSource_{true};
    std::atomic<bool> canCreateTap_{true};
    std::vector<Posted> posted_;
    std::vector<Passed> passed_;
    Listener listener_;
};

}  // namespace tavix::platform
