#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "platform/multitouch/Backend.h"
#include "platform/multitouch/DeviceArray.h"
#include "platform/multitouch/DeviceHandle.h"

namespace tavix::platform::mt {

// The framework's state: listings of the backend's devices and the way from a device's frame to
// the callbacks of its started handles.
class Framework {
  public:
    static Framework& shared();

    explicit Framework(Backend& backend) : backend_(backend) {}

    // Owned by the caller until releaseList; null when the backend cannot list.
    std::unique_ptr<MTArray> createList();
    void releaseList(std::unique_ptr<MTArray> list);
    int liveLists() const { return liveLists_.load(); }

    // A frame of the device the backend calls `key`, to every started handle made for it.
    int deliver(uint64_t key, MTContact* records, int32_t count, double timestamp, int32_t frame);
    // A frame with a null device handle, once to each callback of any started handle.
    int deliverUnattributed(MTContact* records, int32_t count, double timestamp, int32_t frame);

    // Handles made so far stay valid but no longer receive frames.
    void forgetHandles();

  private:
    std::vector<std::shared_ptr<DeviceHandle>> liveHandles(const uint64_t* key);

    Backend& backend_;
    std::mutex mutex_;  // guards handles_
    std::unordered_map<uint64_t, std::vector<std::weak_ptr<DeviceHandle>>> handles_;
    std::atomic<int> liveLists_{0};
};

}  // namespace tavix::platform::mt
