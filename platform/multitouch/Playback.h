#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/multitouch/SimControl.h"

namespace tavix::platform::mt {

struct ScriptFrame {
    double t = 0;  // seconds after the start of playback
    int64_t device = MT_SIM_NULL_DEVICE;
    std::vector<MTSimContact> contacts;
};

// Plays frames in real time on a thread of its own, starting over every `period` seconds when
// that is positive. Destroying it stops the thread; nothing is delivered after that.
class Playback {
  public:
    using Deliver = std::function<void(const ScriptFrame&, double timestamp)>;

    Playback(std::vector<ScriptFrame> frames, double period, Deliver deliver);
    ~Playback();

    Playback(const Playback&) = delete;
    Playback& operator=(const Playback&) = delete;

    bool onOwnThread() const { return std::this_thread::get_id() == thread_.get_id(); }
    // Asks the thread to end without waiting for it.
    void requestStop();

  private:
    void run();

    const std::vector<ScriptFrame> frames_;
    const double period_;
    const Deliver deliver_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::thread thread_;  // last: starts once everything above is set
};

}  // namespace tavix::platform::mt
