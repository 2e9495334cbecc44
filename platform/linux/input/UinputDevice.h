#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/linux/input/InputSink.h"

struct libevdev_uinput;

namespace tavix::platform::input {

// What a virtual device declares: exactly the codes it will emit, nothing more.
struct DeviceCapabilities {
    struct Code {
        uint16_t type = 0;
        uint16_t code = 0;
    };
    std::string name;
    uint16_t bustype = 0x06;  // BUS_VIRTUAL
    uint16_t vendor = 0;
    uint16_t product = 0;
    std::vector<Code> codes;  // EV_KEY and EV_REL codes; EV_SYN is implied
};

// A uinput device (libevdev-uinput); it disappears when the object, or the process, ends.
class UinputDevice final : public InputSink {
  public:
    // Nothing when /dev/uinput cannot be opened or the device is refused; `error` says why.
    static std::unique_ptr<UinputDevice> create(const DeviceCapabilities& capabilities,
                                                std::string* error = nullptr);
    ~UinputDevice() override;
    UinputDevice(const UinputDevice&) = delete;
    UinputDevice& operator=(const UinputDevice&) = delete;

    bool writeFrame(std::span<const InputEvent> events) override;
    // The /dev/input/eventN node the kernel made for it, when known.
    std::string devnode() const;

  private:
    explicit UinputDevice(libevdev_uinput* device) : device_(device) {}
    libevdev_uinput* device_;
};

}  // namespace tavix::platform::input
