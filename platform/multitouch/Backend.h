#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace tavix::platform::mt {

// A device as its backend knows it.
struct DeviceDescription {
    uint64_t key = 0;  // the backend's name for the device; its frames are addressed by it
    int32_t family = 0;
    uint64_t deviceID = 0;
    int32_t width = 0;  // hundredths of a millimetre
    int32_t height = 0;
    bool builtIn = false;
};

// Where devices and their frames come from. Handles, callbacks, starting and stopping belong to
// the Framework, so a backend only lists devices and hands frames to Framework::deliver.
class Backend {
  public:
    // An empty entry lists as a null handle.
    using Listing = std::vector<std::optional<DeviceDescription>>;

    virtual ~Backend() = default;

    // The devices present now, in listing order; nothing when they cannot be listed.
    virtual std::optional<Listing> devices() = 0;
};

// The backend this framework file serves, fixed by whichever comes first: a control function of
// SimControl.h selects the simulated backend; anything else, the evdev backend over real mice.
Backend& selectedBackend();
// Selects the simulated backend; false when the evdev backend was selected before.
bool chooseSimulation();

}  // namespace tavix::platform::mt
