#include "platform/linux/input/UinputDevice.h"

#include <libevdev/libevdev-uinput.h>
#include <libevdev/libevdev.h>

#include <cstring>
#include <memory>

namespace tavix::platform::input {
namespace {
struct LibevdevFree {
    void operator()(libevdev* dev) const { libevdev_free(dev); }
};
}  // namespace

std::unique_ptr<UinputDevice> UinputDevice::create(const DeviceCapabilities& capabilities,
                                                   std::string* error) {
    std::unique_ptr<libevdev, LibevdevFree> dev(libevdev_new());
    if (!dev) {
        if (error) *error = "out of memory";
        return nullptr;
    }
    libevdev_set_name(dev.get(), capabilities.name.c_str());
    libevdev_set_id_bustype(dev.get(), capabilities.bustype);
    libevdev_set_id_vendor(dev.get(), capabilities.vendor);
    libevdev_set_id_product(dev.get(), capabilities.product);
    for (const auto& c : capabilities.codes) {
        if (libevdev_enable_event_code(dev.get(), c.type, c.code, nullptr) != 0) {
            if (error) *error = "cannot declare event " + std::to_string(c.type) + "/" + std::to_string(c.code);
            return nullptr;
        }
    }
    libevdev_uinput* device = nullptr;
    const int rc = libevdev_uinput_create_from_device(dev.get(), LIBEVDEV_UINPUT_OPEN_MANAGED, &device);
    if (rc != 0) {
        if (error) *error = std::string("cannot create uinput device: ") + std::strerror(-rc);
        return nullptr;
    }
    return std::unique_ptr<UinputDevice>(new UinputDevice(device));
}

UinputDevice::~UinputDevice() {
    libevdev_uinput_destroy(device_);
}

bool UinputDevice::writeFrame(std::span<const InputEvent> events) {
    for (const auto& e : events) {
        if (libevdev_uinput_write_event(device_, e.type, e.code, e.value) != 0) return false;
    }
    return libevdev_uinput_write_event(device_, EV_SYN, SYN_REPORT, 0) == 0;
}

std::string UinputDevice::devnode() const {
    const char* node = libevdev_uinput_get_devnode(device_);
    return node ? node : "";
}

}  // namespace tavix::platform::input
