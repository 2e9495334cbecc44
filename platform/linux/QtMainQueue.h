#pragma once

#include "platform/MainQueue.h"

namespace tavix::platform {

// The Qt event loop of the main thread: each block becomes a queued call on the application
// object, so blocks run in order, between the loop's other events. Blocks posted once the
// application object is gone are dropped.
class QtMainQueue final : public MainQueue {
  public:
    void async(std::function<void()> block) override;
};

}  // namespace tavix::platform
