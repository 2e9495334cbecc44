#include "platform/multitouch/DeviceHandle.h"

#include <algorithm>

namespace tavix::platform::mt {

template <class Change>
void DeviceHandle::change(Change&& apply) {
    if (delivering_.load() == std::this_thread::get_id()) {
        apply();
        return;
    }
    std::lock_guard guard(mutex_);
    apply();
}

void DeviceHandle::registerCallback(MTFrameCallback callback) {
    change([&] {
        if (std::ranges::find(callbacks_, callback) == callbacks_.end()) {
            callbacks_.push_back(callback);
        }
    });
}

void DeviceHandle::unregisterCallback(MTFrameCallback callback) {
    change([&] { std::erase(callbacks_, callback); });
}

void DeviceHandle::start() {
    change([&] { started_ = true; });
}

void DeviceHandle::stop() {
    change([&] { started_ = false; });
}

int DeviceHandle::deliver(MTDeviceRef device, MTContact* records, int32_t count, double timestamp,
                          int32_t frame, std::vector<MTFrameCallback>* called) {
    // A frame delivered from inside one of this device's callbacks is dropped, not deadlocked.
    if (delivering_.load() == std::this_thread::get_id()) return 0;
    std::lock_guard guard(mutex_);
    delivering_.store(std::this_thread::get_id());
    struct Done {
        std::atomic<std::thread::id>& delivering;
        ~Done() { delivering.store(std::thread::id{}); }
    } done{delivering_};
    int calls = 0;
    // By index and re-checked: a callback may unregister or stop its own device.
    for (std::size_t i = 0; started_ && i < callbacks_.size(); ++i) {
        const MTFrameCallback callback = callbacks_[i];
        if (called) {
            if (std::ranges::find(*called, callback) != called->end()) continue;
            called->push_back(callback);
        }
        callback(device, records, count, timestamp, frame);
        ++calls;
    }
    return calls;
}

}  // namespace tavix::platform::mt
