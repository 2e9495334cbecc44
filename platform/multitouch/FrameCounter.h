#pragma once

#include <cstdint>

namespace tavix::platform::mt {

// Numbers a source's frames. Looping playback may run past 2^31 frames, so the count is 64-bit;
// the callback's 32-bit frame number is its low half and wraps.
class FrameCounter {
  public:
    FrameCounter() = default;
    explicit FrameCounter(int64_t delivered) : delivered_(delivered) {}

    int32_t next() { return static_cast<int32_t>(static_cast<uint32_t>(++delivered_)); }
    int64_t delivered() const { return delivered_; }

  private:
    int64_t delivered_ = 0;
};

}  // namespace tavix::platform::mt
