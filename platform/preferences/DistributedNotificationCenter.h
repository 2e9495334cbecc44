#pragma once

#include <memory>
#include <string>

namespace tavix::platform {

// Announcements to every other process of the user's session. Notifications carry a name only:
// no object and no user information.
class DistributedNotificationCenter {
  public:
    virtual ~DistributedNotificationCenter() = default;
    virtual void postNotification(const std::string& name, bool deliverImmediately) = 0;
};

// The process-wide DistributedNotificationCenter; a recording one until another is installed.
DistributedNotificationCenter& distributedNotificationCenter();
std::shared_ptr<DistributedNotificationCenter> installDistributedNotificationCenter(
    std::shared_ptr<DistributedNotificationCenter> service);

}  // namespace tavix::platform
