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
    deliver_(device.deviceID, records_.data(), static_cast<int32_t>(records_.size()), frame.time,
             frame.number);
}

}  // namespace tavix::platform::mt
