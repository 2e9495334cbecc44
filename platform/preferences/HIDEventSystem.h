#pragma once

#include <memory>

#include "platform/preferences/HIDEventSystemClient.h"

namespace tavix::platform {

// Hands out clients of the live input system.
class HIDEventSystem {
  public:
    virtual ~HIDEventSystem() = default;
    // Nothing when the input system refuses a client.
    virtual std::shared_ptr<HIDEventSystemClient> createSimpleClient() = 0;
};

// The process-wide HIDEventSystem; a recording one until another is installed.
HIDEventSystem& hidEventSystem();
std::shared_ptr<HIDEventSystem> installHIDEventSystem(std::shared_ptr<HIDEventSystem> service);

}  // namespace tavix::platform
