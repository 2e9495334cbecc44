#include "platform/linux/output/OutputScheduler.h"

#include <linux/input-event-codes.h>

#include <algorithm>

namespace tavix::platform::output {
namespace {

bool isButton(const input::InputEvent& event) {
    return event.type == EV_KEY && event.code >= BTN_MISC && event.code < KEY_OK;
}

}  // namespace

OutputScheduler::OutputScheduler(std::shared_ptr<input::InputSink> pointer,
                                 std::shared_ptr<input::InputSink> keyboard,
                                 std::shared_ptr<const Clock> clock,
                                 std::shared_ptr<Sleeper> sleeper, Timing timing)
    : pointer_(std::move(pointer)),
      keyboard_(std::move(keyboard)),
      clock_(std::move(clock)),
      sleeper_(std::move(sleeper)),
      timing_(timing),
      readyAt_(clock_->uptime() + timing.settle),
      thread_([this] { run(); }) {}

OutputScheduler::~OutputScheduler() {
    {
        std::lock_guard guard(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void OutputScheduler::enqueue(std::vector<OutputFrame> frames) {
    if (frames.empty()) return;
    {
        std::lock_guard guard(mutex_);
        for (auto& frame : frames) queue_.push_back(std::move(frame));
    }
    changed_.notify_all();
}

void OutputScheduler::waitIdle() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return queue_.empty() && !writing_; });
}

void OutputScheduler::discard() {
    {
        std::lock_guard guard(mutex_);
        queue_.clear();
    }
    changed_.notify_all();
}

void OutputScheduler::run() {
    std::unique_lock lock(mutex_);
    while (true) {
        changed_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (queue_.empty()) return;
        OutputFrame frame = std::move(queue_.front());
        queue_.pop_front();
        writing_ = true;
        lock.unlock();

        const double at = earliest(frame);
        if (clock_->uptime() < at) sleeper_->sleepUntil(at);
        auto& sink = frame.device == OutputDevice::pointer ? pointer_ : keyboard_;
        if (sink) sink->writeFrame(frame.events);
        noteWritten(frame, std::max(at, clock_->uptime()));

        lock.lock();
        writing_ = false;
        changed_.notify_all();
    }
}

double OutputScheduler::earliest(const OutputFrame& frame) const {
    double at = readyAt_;
    if (lastWrite_) {
        at = std::max(at, *lastWrite_ + (frame.device != lastDevice_ ? timing_.deviceSwitch : 0));
    }
    for (const auto& event : frame.events) {
        if (!isButton(event)) continue;
        if (event.value == 1 && lastRelease_) {
            at = std::max(at, *lastRelease_ + timing_.releaseToPress);
        } else if (event.value == 0) {
            if (const auto pressed = pressedAt_.find(event.code); pressed != pressedAt_.end()) {
                at = std::max(at, pressed->second + timing_.pressHold);
            }
        }
    }
    return at;
}

void OutputScheduler::noteWritten(const OutputFrame& frame, double at) {
    lastWrite_ = at;
    lastDevice_ = frame.device;
    for (const auto& event : frame.events) {
        if (!isButton(event)) continue;
        if (event.value == 1) {
            pressedAt_[event.code] = at;
        } else if (event.value == 0) {
            pressedAt_.erase(event.code);
            lastRelease_ = at;
        }
    }
}

}  // namespace tavix::platform::output
