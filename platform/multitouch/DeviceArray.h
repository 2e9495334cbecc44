#pragma once

#include <memory>
#include <vector>

#include "platform/multitouch/DeviceHandle.h"

// What an MTArrayRef points to: one listing, holding its handles alive.
struct MTArray {
    std::vector<std::shared_ptr<tavix::platform::mt::DeviceHandle>> entries;  // null entries kept
};
