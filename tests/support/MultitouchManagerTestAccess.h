#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "Tavix/touch/MultitouchManager.h"
#include "platform/multitouch/DeviceHandle.h"

namespace tavix {

// Fills the started-device table of the shared manager directly, standing in for a rescan.
struct MultitouchManagerTestAccess {
    static void setActive(const std::vector<MTDeviceInfo>& devices) {
        auto& manager = MultitouchManager::shared();
        std::lock_guard guard(manager.lock);
        manager.active.clear();
        for (const auto& device : devices) manager.active[device.id] = device;
    }

    // A started framework device as a rescan would record it.
    static MTDeviceInfo infoOf(platform::mt::DeviceHandle& handle) {
        return {.id = reinterpret_cast<uintptr_t>(&handle),
                .ref = &handle,
                .deviceID = handle.description.deviceID,
                .family = handle.description.family,
                .widthMM = handle.description.width / 100.0,
                .heightMM = handle.description.height / 100.0};
    }
};

}  // namespace tavix
