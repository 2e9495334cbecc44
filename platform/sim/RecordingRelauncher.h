#pragma once

#include <atomic>

#include "platform/Relauncher.h"

namespace tavix::platform {

// Counts the relaunches asked for; starts nothing.
class RecordingRelauncher final : public Relauncher {
  public:
    void setCanStart(bool can) { canStart_ = can; }
    int count() const { return count_; }

    bool relaunch() override {
        ++count_;
        return canStart_;
    }

  private:
    std::atomic<bool> canStart_{true};
    std::atomic<int> count_{0};
};

}  // namespace tavix::platform
