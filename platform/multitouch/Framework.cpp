#include "platform/multitouch/Framework.h"

namespace tavix::platform::mt {

Framework& Framework::shared() {
    // Never destroyed: a playback thread may still deliver while the process exits.
    static auto* framework = new Framework(selectedBackend());
    return *framework;
}

std::unique_ptr<MTArray> Framework::createList() {
    auto listing = backend_.devices();
    if (!listing) return nullptr;

    auto list = std::make_unique<MTArray>();
    list->entries.reserve(listing->size());
    std::lock_guard guard(mutex_);
    for (const auto& description : *listing) {
        if (!description) {
            list->entries.push_back(nullptr);
            continue;
        }
        auto handle = std::make_shared<DeviceHandle>(*description);
        auto& known = handles_[description->key];
        std::erase_if(known, [](const auto& weak) { return weak.expired(); });
        known.push_back(handle);
        list->entries.push_back(std::move(handle));
    }
    ++liveLists_;
    return list;
}

void Framework::releaseList(std::unique_ptr<MTArray> list) {
    if (!list) return;
    list.reset();
    --liveLists_;
}

std::vector<std::shared_ptr<DeviceHandle>> Framework::liveHandles(const uint64_t* key) {
    std::vector<std::shared_ptr<DeviceHandle>> live;
    std::lock_guard guard(mutex_);
    auto collect = [&](const std::vector<std::weak_ptr<DeviceHandle>>& weaks) {
        for (const auto& weak : weaks) {
            if (auto handle = weak.lock()) live.push_back(std::move(handle));
        }
    };
    if (key) {
        if (auto found = handles_.find(*key); found != handles_.end()) collect(found->second);
    } else {
        for (const auto& entry : handles_) collect(entry.second);
    }
    return live;
}

int Framework::deliver(uint64_t key, MTContact* records, int32_t count, double timestamp,
                       int32_t frame) {
    // Delivered outside mutex_, so that a callback may list devices.
    int calls = 0;
    for (const auto& handle : liveHandles(&key)) {
        calls += handle->deliver(handle.get(), records, count, timestamp, frame);
    }
    return calls;
}

int Framework::deliverUnattributed(MTContact* records, int32_t count, double timestamp,
                                   int32_t frame) {
    std::vector<MTFrameCallback> called;
    int calls = 0;
    for (const auto& handle : liveHandles(nullptr)) {
        calls += handle->deliver(nullptr, records, count, timestamp, frame, &called);
    }
    return calls;
}

void Framework::forgetHandles() {
    std::lock_guard guard(mutex_);
    handles_.clear();
}

}  // namespace tavix::platform::mt
