#pragma once

#include <deque>
#include <mutex>

#include "platform/MainQueue.h"

namespace tavix::platform {

// A main queue that runs its blocks only when drained, on the draining thread.
class ManualMainQueue final : public MainQueue {
  public:
    void async(std::function<void()> block) override {
        std::lock_guard guard(mutex_);
        blocks_.push_back(std::move(block));
    }

    // Runs blocks until none is left, including those scheduled while draining; returns how many.
    std::size_t drain() {
        std::size_t ran = 0;
        while (auto block = next()) {
            block();
            ++ran;
        }
        return ran;
    }

    std::size_t pending() const {
        std::lock_guard guard(mutex_);
        return blocks_.size();
    }

  private:
    std::function<void()> next() {
        std::lock_guard guard(mutex_);
        if (blocks_.empty()) return {};
        auto block = std::move(blocks_.front());
        blocks_.pop_front();
        return block;
    }

    mutable std::mutex mutex_;
    std::deque<std::function<void()>> blocks_;
};

}  // namespace tavix::platform
