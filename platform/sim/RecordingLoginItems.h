#pragma once

#include <mutex>
#include <optional>
#include <string>

#include "platform/LoginItems.h"

namespace tavix::platform {

// A login item held in memory; a test can make the next changes fail.
class RecordingLoginItems final : public LoginItems {
  public:
    // While set, register and unregister fail with this text and change nothing.
    void setFailure(std::optional<std::string> error) {
        std::lock_guard guard(mutex_);
        failure_ = std::move(error);
    }

    std::optional<std::string> registerItem() override { return change(LoginItemStatus::enabled); }
    std::optional<std::string> unregisterItem() override {
        return change(LoginItemStatus::notRegistered);
    }
    LoginItemStatus status() override {
        std::lock_guard guard(mutex_);
        return status_;
    }

  private:
    std::optional<std::string> change(LoginItemStatus to) {
        std::lock_guard guard(mutex_);
        if (failure_) return failure_;
        status_ = to;
        return std::nullopt;
    }

    std::mutex mutex_;
    std::optional<std::string> failure_;
    LoginItemStatus status_ = LoginItemStatus::notRegistered;
};

}  // namespace tavix::platform
