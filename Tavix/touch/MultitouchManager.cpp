#include "Tavix/touch/MultitouchManager.h"

#include <array>
#include <cstring>
#include <vector>

namespace tavix {
namespace {

template <class T>
T readAt(const std::byte* record, std::size_t offset) {
    T value;
    std::memcpy(&value, record + offset, sizeof value);
    return value;
}

Touch decode(const std::byte* record, const MTDeviceInfo& device) {
    const double nx = readAt<float>(record, offsetof(MTTouch, normalized.position.x));
    const double ny = readAt<float>(record, offsetof(MTTouch, normalized.position.y));
    return Touch{
        .id = readAt<int32_t>(record, offsetof(MTTouch, identifier)),
        .state = readAt<int32_t>(record, offsetof(MTTouch, state)),
        .nx = nx,
        .ny = ny,
        .pt = {nx * device.widthMM, ny * device.heightMM},
    };
}

// Frames rarely carry more than a handful of contacts: those stay on the stack.
constexpr std::ptrdiff_t kInlineContacts = 32;

}  // namespace

MultitouchManager& MultitouchManager::shared() {
    static MultitouchManager manager;
    return manager;
}

void MultitouchManager::dispatch(void* device, const MTTouch* touches, std::ptrdiff_t count) {
    MTDeviceInfo info;
    {
        std::lock_guard guard(lock);
        auto found = device ? active.find(reinterpret_cast<uintptr_t>(device)) : active.end();
        if (found != active.end()) {
            info = found->second;
        } else if (active.size() == 1) {
            // A frame with a missing or unknown handle belongs to the only started mouse.
            info = active.begin()->second;
        } else {
            return;
        }
    }

    std::array<Touch, kInlineContacts> inlineContacts;
    std::vector<Touch> manyContacts;
    std::span<Touch> contacts;
    if (touches && count > 0) {
        if (count <= kInlineContacts) {
            contacts = std::span(inlineContacts).first(static_cast<std::size_t>(count));
        } else {
            manyContacts.resize(static_cast<std::size_t>(count));
            contacts = manyContacts;
        }
        // Records are read in place, byte-wise: the framework owes us no alignment.
        const auto* bytes = reinterpret_cast<const std::byte*>(touches);
        for (std::size_t i = 0; i < contacts.size(); ++i) {
            contacts[i] = decode(bytes + i * sizeof(MTTouch), info);
        }
    }
    if (onFrame) onFrame(info, contacts);
}

}  // namespace tavix

extern "C" int32_t mtCallback(void* device, tavix::MTTouch* touches, int32_t count, double,
                              int32_t) {
    // Nothing may unwind into the framework's thread.
    try {
        tavix::MultitouchManager::shared().dispatch(device, touches, count);
    } catch (...) {
    }
    return 0;
}
