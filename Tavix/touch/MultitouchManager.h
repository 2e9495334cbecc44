#pragma once

#include <cstddef>
#include <functional>
#include <mutex>
#include <span>
#include <unordered_map>

#include "Tavix/touch/MTDeviceInfo.h"
#include "Tavix/touch/MTTouch.h"
#include "Tavix/touch/Touch.h"

extern "C" int32_t mtCallback(void* device, tavix::MTTouch* touches, int32_t count,
                              double timestamp, int32_t frame);

namespace tavix {

// The application's contact with the multitouch framework: which devices are started and where
// their frames go.
class MultitouchManager {
  public:
    // Called on the framework's thread with the frame's device and its contacts in record order.
    using FrameHandler = std::function<void(const MTDeviceInfo&, std::span<const Touch>)>;

    static MultitouchManager& shared();

    // Installed once before the first device starts; read without the lock.
    FrameHandler onFrame;

  private:
    friend int32_t(::mtCallback)(void*, tavix::MTTouch*, int32_t, double, int32_t);
    friend struct MultitouchManagerTestAccess;

    MultitouchManager() = default;

    void dispatch(void* device, const MTTouch* touches, std::ptrdiff_t count);

    std::mutex lock;
    std::unordered_map<uintptr_t, MTDeviceInfo> active;
};

}  // namespace tavix
