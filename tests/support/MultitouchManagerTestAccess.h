#pragma once

#include <mutex>
#include <vector>

#include "Tavix/touch/MultitouchManager.h"

namespace tavix {

// Fills the started-device table of the shared manager directly, standing in for a rescan.
struct MultitouchManagerTestAccess {
    static void setActive(const std::vector<MTDeviceInfo>& devices) {
        auto& manager = MultitouchManager::shared();
        std::lock_guard guard(manager.lock);
        manager.active.clear();
        for (const auto& device : devices) manager.active[device.id] = device;
    }
};

}  // namespace tavix
