#pragma once

#include <memory>
#include <optional>
#include <string>

namespace tavix::platform {

// Whether the application starts with the user's session; raw values as the system reports them.
enum class LoginItemStatus : int { notRegistered = 0, enabled = 1, requiresApproval = 2, notFound = 3 };

class LoginItems {
  public:
    virtual ~LoginItems() = default;
    // Each returns the failure in words, or nothing when it worked.
    virtual std::optional<std::string> registerItem() = 0;
    virtual std::optional<std::string> unregisterItem() = 0;
    virtual LoginItemStatus status() = 0;
};

// The process-wide LoginItems; the simulated one until another is installed.
LoginItems& loginItems();
std::shared_ptr<LoginItems> installLoginItems(std::shared_ptr<LoginItems> service);

}  // namespace tavix::platform
