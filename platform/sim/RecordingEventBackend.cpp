#include "platform/sim/RecordingEventBackend.h"

namespace tavix::platform {

void RecordingEventBackend::setPointer(std::optional<Point> location) {
    std::lock_guard guard(mutex_);
    pointer_ = location;
}

void RecordingEventBackend::setListener(Listener listener) {
    std::lock_guard guard(mutex_);
    listener_ = std::move(listener);
}

std::vector<RecordingEventBackend::Posted> RecordingEventBackend::posted() const {
    std::lock_guard guard(mutex_);
    return posted_;
}

std::vector<RecordingEventBackend::Passed> RecordingEventBackend::passed() const {
    std::lock_guard guard(mutex_);
    return passed_;
}

void RecordingEventBackend::clear() {
    std::lock_guard guard(mutex_);
    posted_.clear();
    passed_.clear();
}

std::optional<Point> RecordingEventBackend::pointerLocation() {
    std::lock_guard guard(mutex_);
    return pointer_;
}

// The listener runs under the lock so that records from two threads are reported in the order
// they were kept.
void RecordingEventBackend::posted(EventTapLocation location, const Event& event) {
    std::lock_guard guard(mutex_);
    posted_.push_back({location, event});
    if (listener_.posted) listener_.posted(posted_.back());
}

void RecordingEventBackend::leftTaps(const Event& event, EventOrigin origin, bool delivered) {
    std::lock_guard guard(mutex_);
    passed_.push_back({event, origin, delivered});
    if (listener_.leftTaps) listener_.leftTaps(passed_.back());
}

}  // namespace tavix::platform
