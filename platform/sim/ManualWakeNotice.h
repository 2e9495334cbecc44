#pragma once

#include <functional>
#include <mutex>
#include <vector>

#include "platform/MainQueue.h"
#include "platform/WakeNotice.h"

namespace tavix::platform {

// The machine wakes when a test says so.
class ManualWakeNotice final : public WakeNotice {
  public:
    void observe(std::function<void()> onWake) override {
        std::lock_guard guard(mutex_);
        observers_.push_back(std::move(onWake));
    }

    void wake() {
        std::vector<std::function<void()>> observers;
        {
            std::lock_guard guard(mutex_);
            observers = observers_;
        }
        for (auto& observer : observers) mainQueue().async(observer);
    }

  private:
    std::mutex mutex_;
    std::vector<std::function<void()>> observers_;
};

}  // namespace tavix::platform
