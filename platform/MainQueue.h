#pragma once

#include <functional>
#include <memory>

namespace tavix::platform {

// The main thread's queue: blocks run there one at a time, in the order they were scheduled.
class MainQueue {
  public:
    virtual ~MainQueue() = default;
    // Callable from any thread; returns at once.
    virtual void async(std::function<void()> block) = 0;
};

// The process-wide MainQueue; the simulated one until another is installed.
MainQueue& mainQueue();
std::shared_ptr<MainQueue> installMainQueue(std::shared_ptr<MainQueue> service);

}  // namespace tavix::platform
