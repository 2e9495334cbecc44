#pragma once

#include <cstdint>

namespace tavix {

// A multitouch device as the framework lists it.
struct MTDeviceInfo {
    static constexpr int32_t kMagicMouseFamily = 112;
    static constexpr int32_t kMagicMouse2Family = 113;

    uintptr_t id = 0;       // the handle's address: key of the started-device table
    void* ref = nullptr;    // the framework's handle, passed back on every call
    uint64_t deviceID = 0;  // stable for one physical device across enumerations
    int32_t family = 0;
    double widthMM = 0;
    double heightMM = 0;
    bool builtIn = false;

    bool isMagicMouse() const {
        if (family == kMagicMouseFamily || family == kMagicMouse2Family) return true;
        if (builtIn) return false;
        // An unknown external device counts when its surface is longer than it is wide.
        return widthMM < heightMM;
    }
};

}  // namespace tavix
