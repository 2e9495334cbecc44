#pragma once

#include <memory>

#include "platform/MainQueue.h"
#include "platform/events/EventSystem.h"

namespace tavix::bench {

// Events go nowhere; the pointer stands still.
class DiscardingBackend final : public platform::EventBackend {
  public:
    std::optional<Point> pointerLocation() override { return Point{500, 400}; }
    void leftTaps(const platform::Event&, platform::EventOrigin, bool) override {}
};

// Main-queue blocks run at once, on the scheduling thread.
class InlineMainQueue final : public platform::MainQueue {
  public:
    void async(std::function<void()> block) override { block(); }
};

inline std::shared_ptr<platform::EventSystem> installDiscardingEvents() {
    platform::installMainQueue(std::make_shared<InlineMainQueue>());
    auto events = std::make_shared<platform::EventSystem>(std::make_shared<DiscardingBackend>());
    platform::installEventSystem(events);
    return events;
}

}  // namespace tavix::bench
