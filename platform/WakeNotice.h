#pragma once

#include <functional>
#include <memory>

namespace tavix::platform {

// Tells when the machine has woken from sleep.
class WakeNotice {
  public:
    virtual ~WakeNotice() = default;
    // Every wake from now on calls `onWake` on the main queue; there is no way to stop it.
    virtual void observe(std::function<void()> onWake) = 0;
};

// The process-wide WakeNotice; the simulated one until another is installed.
WakeNotice& wakeNotice();
std::shared_ptr<WakeNotice> installWakeNotice(std::shared_ptr<WakeNotice> service);

}  // namespace tavix::platform
