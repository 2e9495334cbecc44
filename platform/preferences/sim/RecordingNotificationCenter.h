#pragma once

#include <mutex>
#include <vector>

#include "platform/preferences/DistributedNotificationCenter.h"

namespace tavix::platform {

// Keeps every notification posted, in order.
class RecordingNotificationCenter final : public DistributedNotificationCenter {
  public:
    struct Posted {
        std::string name;
        bool deliverImmediately;
        bool operator==(const Posted&) const = default;
    };

    void postNotification(const std::string& name, bool deliverImmediately) override {
        std::lock_guard guard(mutex_);
        posted_.push_back({name, deliverImmediately});
    }

    std::vector<Posted> posted() const {
        std::lock_guard guard(mutex_);
        return posted_;
    }

  private:
    mutable std::mutex mutex_;
    std::vector<Posted> posted_;
};

}  // namespace tavix::platform
