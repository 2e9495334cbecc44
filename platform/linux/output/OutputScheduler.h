#pragma once

#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "platform/Clock.h"
#include "platform/linux/output/OutputFrame.h"
#include "platform/linux/output/Sleeper.h"

namespace tavix::platform::output {

// Writes frames to the virtual devices in the order they were queued, on a thread of its own,
// spaced so that libinput takes every click as one: its button debounce (up to 1.29 also for
// virtual devices) merges a press and release closer than 25 ms, and holds back a press that
// comes 12–25 ms after a release. Queuing never waits: a frame already due with nothing ahead of
// it is written on the queuing thread, the others on the writer thread.
class OutputScheduler {
  public:
    struct Timing {
        double pressHold = 0.035;       // from a button press to its release
        double releaseToPress = 0.035;  // from a button release to the next press
        // Between frames of the two devices, so that the compositor, which reads each device
        // on its own, sees a modifier before the wheel it goes with.
        double deviceSwitch = 0.008;
        double settle = 0.2;  // after the devices appear, before the first event
    };

    // A missing sink (the device could not be created) swallows its frames.
    OutputScheduler(std::shared_ptr<input::InputSink> pointer,
                    std::shared_ptr<input::InputSink> keyboard, std::shared_ptr<const Clock> clock,
                    std::shared_ptr<Sleeper> sleeper, Timing timing);
    OutputScheduler() = delete;
    // Writes what is still queued, then ends the thread.
    ~OutputScheduler();
    OutputScheduler(const OutputScheduler&) = delete;
    OutputScheduler& operator=(const OutputScheduler&) = delete;

    // Any thread; the frames stay together and in order.
    void enqueue(std::vector<OutputFrame> frames);
    // Returns once everything queued so far has been written.
    void waitIdle();
    bool hasKeyboard() const { return keyboard_ != nullptr; }
    // Forgets what is queued and not yet written.
    void discard();

  private:
    void run();
    // Only while holding `writing_`.
    void write(const OutputFrame& frame);
    double earliest(const OutputFrame& frame) const;
    void noteWritten(const OutputFrame& frame, double at);

    std::shared_ptr<input::InputSink> pointer_;
    std::shared_ptr<input::InputSink> keyboard_;
    std::shared_ptr<const Clock> clock_;
    std::shared_ptr<Sleeper> sleeper_;
    const Timing timing_;

    std::mutex mutex_;
    std::condition_variable work_;  // frames queued, or stopping
    std::condition_variable idle_;  // nothing queued or being written
    std::deque<OutputFrame> queue_;
    bool writing_ = false;
    bool stopping_ = false;

    // Whoever set `writing_` (or anyone under the mutex while it is clear).
    double readyAt_;
    std::optional<double> lastWrite_;
    OutputDevice lastDevice_ = OutputDevice::pointer;
    std::map<uint16_t, double> pressedAt_;
    std::optional<double> lastRelease_;

    std::thread thread_;
};

}  // namespace tavix::platform::output
