#pragma once

#include <functional>
#include <map>
#include <mutex>

#include "platform/preferences/HIDEventSystem.h"

namespace tavix::platform {

// Linux has no single live input system to hand properties to; the clients keep the latest value
// of each property for the diagnostics and hand every property to the Linux device layer, which
// applies those it has an equivalent for.
class LinuxHIDEventSystem final : public HIDEventSystem {
  public:
    // Called on the setting thread after each property is kept; it must not set properties.
    using Apply = std::function<void(const std::string& key, const HIDPropertyValue& value)>;

    explicit LinuxHIDEventSystem(Apply apply = {});

    std::shared_ptr<HIDEventSystemClient> createSimpleClient() override;

    // The last value set for each key through any client.
    std::map<std::string, HIDPropertyValue> properties() const;

  private:
    struct Properties {
        mutable std::mutex mutex;
        std::map<std::string, HIDPropertyValue> values;
        Apply apply;
    };
    class Client;

    std::shared_ptr<Properties> properties_;
};

}  // namespace tavix::platform
