#pragma once

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/multitouch/Backend.h"
#include "platform/multitouch/MultitouchFramework.h"

namespace tavix::platform::mt {

// What an MTDeviceRef points to. Each listing makes new handles, as the system framework does;
// device lists hold them, so a handle lives as long as the last list that holds it.
class DeviceHandle {
  public:
    explicit DeviceHandle(const DeviceDescription& described) : description(described) {}

    DeviceHandle(const DeviceHandle&) = delete;
    DeviceHandle& operator=(const DeviceHandle&) = delete;

    void registerCallback(MTFrameCallback callback);
    void unregisterCallback(MTFrameCallback callback);
    void start();
    void stop();

    // Calls the registered callbacks, passing `device` as the handle, when started. Callbacks
    // already in `called` are skipped and those called are added. Returns the calls made.
    int deliver(MTDeviceRef device, MTContact* records, int32_t count, double timestamp,
                int32_t frame, std::vector<MTFrameCallback>* called = nullptr);

    const DeviceDescription description;

  private:
    template <class Change>
    void change(Change&& apply);

    // Held for a whole delivery: stop and unregister wait here for a callback in flight.
    std::mutex mutex_;
    bool started_ = false;
    std::vector<MTFrameCallback> callbacks_;
    // The thread inside deliver, which already holds mutex_ if a callback calls back in.
    std::atomic<std::thread::id> delivering_;
};

}  // namespace tavix::platform::mt
