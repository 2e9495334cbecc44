#pragma once

#include <mutex>

namespace tavix::platform::input {

// Which physical button clicks as which: `right` leaves them as they are, `left` swaps them,
// `off` makes the right button a second left button.
enum class CloneButtons { right, left, off };

// How a Magic Mouse clone changes what it re-emits. The defaults change nothing.
struct CloneTransform {
    double motionFactor = 1.0;
    double wheelFactor = 1.0;
    bool invertWheel = false;
    CloneButtons buttons = CloneButtons::right;
    friend bool operator==(const CloneTransform&, const CloneTransform&) = default;
};

// The transform every clone applies, replaced whole by the settings side (main thread) and read
// by the clones (reader thread) once per frame.
class CloneSettings {
  public:
    CloneTransform transform() const {
        std::lock_guard guard(mutex_);
        return transform_;
    }
    void setTransform(const CloneTransform& transform) {
        std::lock_guard guard(mutex_);
        transform_ = transform;
    }

  private:
    mutable std::mutex mutex_;
    CloneTransform transform_;
};

}  // namespace tavix::platform::input
