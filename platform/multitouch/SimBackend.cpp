#include "platform/multitouch/SimBackend.h"

#include <algorithm>
#include <array>
#include <utility>

#include "platform/multitouch/Framework.h"

namespace tavix::platform::mt {
namespace {

MTContact record(const MTSimContact& contact, int32_t frame, double timestamp) {
    MTContact r{};
    r.frame = frame;
    r.timestamp = timestamp;
    r.identifier = contact.identifier;
    r.state = contact.state;
    r.fingerId = contact.identifier;
    r.normalized.position = {contact.x, contact.y};
    return r;
}

// Frames rarely carry more than a handful of contacts: those are built on the stack.
constexpr int32_t kInlineContacts = 16;

}  // namespace

SimBackend& SimBackend::shared() {
    // Never destroyed, like the Framework that uses it.
    static auto* backend = new SimBackend;
    return *backend;
}

std::optional<Backend::Listing> SimBackend::devices() {
    std::lock_guard guard(mutex_);
    if (listFailure_) return std::nullopt;
    Listing listing;
    for (const auto& entry : entries_) {
        if (entry.handle == MT_SIM_NULL_DEVICE) {
            listing.emplace_back();
        } else if (entry.attached) {
            listing.emplace_back(entry.description);
        }
    }
    return listing;
}

bool SimBackend::declare(const MTSimDevice& device) {
    if (device.handle < 1) return false;
    std::lock_guard guard(mutex_);
    if (std::ranges::any_of(entries_, [&](const Entry& e) { return e.handle == device.handle; })) {
        return false;
    }
    entries_.push_back(Entry{
        .handle = device.handle,
        .description = {.key = static_cast<uint64_t>(device.handle),
                        .family = device.family,
                        .deviceID = device.deviceID,
                        .width = device.width,
                        .height = device.height,
                        .builtIn = device.builtIn},
        .attached = device.attached,
    });
    return true;
}

bool SimBackend::setAttached(int64_t handle, bool attached) {
    if (handle == MT_SIM_NULL_DEVICE) return false;
    std::optional<std::pair<int32_t, double>> lift;
    {
        std::lock_guard guard(mutex_);
        auto found = std::ranges::find(entries_, handle, &Entry::handle);
        if (found == entries_.end()) return false;
        // A mouse that goes with fingers on it lifts them, as a real one does when its node
        // closes; the callbacks would otherwise wait for a lift that never comes.
        if (found->attached && !attached && found->touching) {
            lift = std::pair(found->frames.next(), found->lastTimestamp);
            found->touching = false;
        }
        found->attached = attached;
    }
    if (lift) {
        MTContact none{};
        Framework::shared().deliver(static_cast<uint64_t>(handle), &none, 0, lift->second,
                                    lift->first);
    }
    return true;
}

void SimBackend::addNullEntry() {
    std::lock_guard guard(mutex_);
    entries_.push_back(Entry{});
}

void SimBackend::setListFailure(bool fail) {
    std::lock_guard guard(mutex_);
    listFailure_ = fail;
}

std::optional<int32_t> SimBackend::nextFrame(int64_t device, bool touching, double timestamp,
                                             bool& declared) {
    std::lock_guard guard(mutex_);
    declared = true;
    if (device == MT_SIM_NULL_DEVICE) return unattributedFrames_.next();
    auto found = std::ranges::find(entries_, device, &Entry::handle);
    if (found == entries_.end()) {
        declared = false;
        return std::nullopt;
    }
    // A detached device sends nothing, whatever its handles were told.
    if (!found->attached) return std::nullopt;
    found->touching = touching;
    found->lastTimestamp = timestamp;
    return found->frames.next();
}

int SimBackend::deliver(int64_t device, const MTSimContact* contacts, int32_t count,
                        double timestamp) {
    if (count < 0 || (count > 0 && !contacts)) return -1;
    bool declared = false;
    const auto frame = nextFrame(device, count > 0, timestamp, declared);
    if (!declared) return -1;
    if (!frame) return 0;

    std::array<MTContact, kInlineContacts> inlineRecords;
    std::vector<MTContact> manyRecords;
    MTContact* records = inlineRecords.data();
    if (count > kInlineContacts) {
        manyRecords.resize(static_cast<std::size_t>(count));
        records = manyRecords.data();
    }
    for (int32_t i = 0; i < count; ++i) records[i] = record(contacts[i], *frame, timestamp);

    auto& framework = Framework::shared();
    if (device == MT_SIM_NULL_DEVICE) {
        return framework.deliverUnattributed(records, count, timestamp, *frame);
    }
    return framework.deliver(static_cast<uint64_t>(device), records, count, timestamp, *frame);
}

bool SimBackend::play(std::vector<ScriptFrame> frames, double period) {
    {
        std::lock_guard guard(playbackMutex_);
        if (playback_ && playback_->onOwnThread()) return false;
    }
    stopPlayback();
    auto playback = std::make_unique<Playback>(
        std::move(frames), period, [this](const ScriptFrame& frame, double timestamp) {
            deliver(frame.device, frame.contacts.data(),
                    static_cast<int32_t>(frame.contacts.size()), timestamp);
        });
    std::unique_ptr<Playback> previous;
    {
        std::lock_guard guard(playbackMutex_);
        previous = std::exchange(playback_, std::move(playback));
    }
    return true;
}

void SimBackend::stopPlayback() {
    std::unique_ptr<Playback> ending;
    {
        std::lock_guard guard(playbackMutex_);
        if (!playback_) return;
        if (playback_->onOwnThread()) {
            // Called from one of its own frames: it cannot wait for itself.
            playback_->requestStop();
            return;
        }
        ending = std::move(playback_);
    }
    // Joined outside the lock: its last frame may still be in a callback.
}

void SimBackend::reset() {
    stopPlayback();
    {
        std::lock_guard guard(mutex_);
        entries_.clear();
        listFailure_ = false;
        unattributedFrames_ = FrameCounter();
    }
    Framework::shared().forgetHandles();
}

}  // namespace tavix::platform::mt
