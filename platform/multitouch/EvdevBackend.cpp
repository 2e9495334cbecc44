#include "platform/multitouch/EvdevBackend.h"

namespace tavix::platform::mt {

EvdevBackend::EvdevBackend(input::MagicMouseReader& reader, Deliver deliver)
    : reader_(reader), deliver_(std::move(deliver)) {
    reader_.addListener(*this);
}

EvdevBackend::~EvdevBackend() {
    reader_.removeListener(*this);
}

std::optional<Backend::Listing> EvdevBackend::devices() {
    Listing listing;
    for (const auto& device : reader_.devices()) {
        const auto& geometry = device.node.model.geometry;
        // Keyed by the mouse, not by its opening: a mouse back on a new node between two looks
        // of the manager reaches the handles already started for it.
        listing.push_back(DeviceDescription{.key = device.deviceID,
                                            .family = device.node.model.family,
                                            .deviceID = device.deviceID,
                                            .width = geometry.width,
                                            .height = geometry.height,
                                            .builtIn = false});
    }
    return listing;
}

void EvdevBackend::frame(const input::MagicMouseDevice& device, const input::DecodedFrame& frame) {
    if (!frame.touches) return;
    // The callbacks receive writable records; they get a copy, never the decoder's state.
    records_.assign(frame.contacts.begin(), frame.contacts.end());
    if (records_.empty()) {
        touching_.erase(device.key);
    } else {
        touching_[device.key] = {frame.time, frame.number};
    }
    deliver_(device.deviceID, records_.data(), static_cast<int32_t>(records_.size()), frame.time,
             frame.number);
}

void EvdevBackend::closed(const input::MagicMouseDevice& device) {
    // Unplugged, asleep or given up to another user's session with fingers on it: they lift
    // here, or whoever follows the frames waits for a lift that never comes.
    const auto found = touching_.find(device.key);
    if (found == touching_.end()) return;
    const auto [time, number] = found->second;
    touching_.erase(found);
    MTContact none{};
    deliver_(device.deviceID, &none, 0, time,
             static_cast<int32_t>(static_cast<uint32_t>(number) + 1));
}

}  // namespace tavix::platform::mt
