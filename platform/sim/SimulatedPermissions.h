#pragma once

#include <atomic>

#include "platform/Permissions.h"

namespace tavix::platform {

// Grants that a test switches by hand; requests are counted, never granted by themselves.
class SimulatedPermissions final : public Permissions {
  public:
    explicit SimulatedPermissions(bool granted = false) : trusted_(granted), post_(granted) {}

    void setTrusted(bool granted) { trusted_ = granted; }
    void setCanPostEvents(bool granted) { post_ = granted; }
    // What requestGrants answers: whether the system could ask the user.
    void setCanAsk(bool can) { canAsk_ = can; }
    int postRequests() const { return postRequests_; }
    int grantRequests() const { return grantRequests_; }

    bool isTrusted() override { return trusted_; }
    bool canPostEvents() override { return post_; }
    void requestPostEventAccess() override { ++postRequests_; }
    void requestGrants(Completion completion) override {
        ++grantRequests_;
        if (completion) completion(canAsk_);
    }
    std::string helpPage() const override { return "file:///simulated/help/permissions.html"; }

  private:
    std::atomic<bool> trusted_;
    std::atomic<bool> post_;
    std::atomic<bool> canAsk_{true};
    std::atomic<int> postRequests_{0};
    std::atomic<int> grantRequests_{0};
};

}  // namespace tavix::platform
