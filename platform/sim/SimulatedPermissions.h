#pragma once

#include <atomic>

#include "platform/Permissions.h"

namespace tavix::platform {

// Grants that a test switches by hand; requests are counted, never granted by themselves.
class SimulatedPermissions final : public Permissions {
  public:
    // A mouse is present; `granted` gives both grants.
    explicit SimulatedPermissions(bool granted = false) : post_(granted) { setTrusted(granted); }

    void setTrusted(bool granted) {
        access_ = granted ? MouseAccess::granted : MouseAccess::refused;
    }
    void setMouseAccess(MouseAccess access) { access_ = access; }
    void setCanPostEvents(bool granted) { post_ = granted; }
    // What requestGrants answers: whether the system could ask the user.
    void setCanAsk(bool can) { canAsk_ = can; }
    int postRequests() const { return postRequests_; }
    int grantRequests() const { return grantRequests_; }

    MouseAccess mouseAccess() override { return access_; }
    bool canPostEvents() override { return post_; }
    void requestPostEventAccess() override { ++postRequests_; }
    void requestGrants(Completion completion) override {
        ++grantRequests_;
        if (completion) completion(canAsk_);
    }
    std::string helpPage() const override { return "file:///simulated/help/permissions.html"; }

  private:
    std::atomic<MouseAccess> access_{MouseAccess::refused};
    std::atomic<bool> post_;
    std::atomic<bool> canAsk_{true};
    std::atomic<int> postRequests_{0};
    std::atomic<int> grantRequests_{0};
};

}  // namespace tavix::platform
