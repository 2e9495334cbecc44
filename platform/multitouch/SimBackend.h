#pragma once

#include <memory>
#include <mutex>
#include <vector>

#include "platform/multitouch/Backend.h"
#include "platform/multitouch/FrameCounter.h"
#include "platform/multitouch/Playback.h"
#include "platform/multitouch/SimControl.h"

namespace tavix::platform::mt {

// Scripted devices and frames, driven through the functions of SimControl.h.
class SimBackend final : public Backend {
  public:
    static SimBackend& shared();

    std::optional<Listing> devices() override;

    bool declare(const MTSimDevice& device);
    bool setAttached(int64_t handle, bool attached);
    void addNullEntry();
    void setListFailure(bool fail);

    // On the calling thread; -1 for an undeclared device.
    int deliver(int64_t device, const MTSimContact* contacts, int32_t count, double timestamp);

    // False when called from a playback frame.
    bool play(std::vector<ScriptFrame> frames, double period);
    void stopPlayback();
    void reset();

  private:
    struct Entry {
        int64_t handle = MT_SIM_NULL_DEVICE;  // a null entry keeps MT_SIM_NULL_DEVICE
        DeviceDescription description;
        bool attached = true;
        FrameCounter frames{};
        bool touching = false;  // its last frame had contacts
        double lastTimestamp = 0;
    };

    // The next frame number of an attached device, or nothing when it delivers no frames; notes
    // the frame as its last.
    std::optional<int32_t> nextFrame(int64_t device, bool touching, double timestamp,
                                     bool& declared);

    std::mutex mutex_;  // guards everything below but playback_
    std::vector<Entry> entries_;
    bool listFailure_ = false;
    FrameCounter unattributedFrames_;

    std::mutex playbackMutex_;
    std::unique_ptr<Playback> playback_;
};

}  // namespace tavix::platform::mt
