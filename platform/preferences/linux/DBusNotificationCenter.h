#pragma once

#include "platform/preferences/DistributedNotificationCenter.h"

namespace tavix::platform {

// Each notification is a D-Bus signal on the session bus whose member is the notification's
// name, sent from kObjectPath with interface kInterface and no arguments. Without a reachable
// session bus, or for a name that cannot be a member name, nothing is sent. D-Bus delivers
// signals as they come, so every post is immediate.
class DBusNotificationCenter final : public DistributedNotificationCenter {
  public:
    static constexpr const char* kObjectPath = "/io/tavix/DistributedNotificationCenter";
    static constexpr const char* kInterface = "io.tavix.DistributedNotificationCenter";

    void postNotification(const std::string& name, bool deliverImmediately) override;
};

}  // namespace tavix::platform
