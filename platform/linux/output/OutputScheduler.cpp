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
    work_.notify_all();
    thread_.join();
}

void OutputScheduler::enqueue(std::vector<OutputFrame> frames) {
    if (frames.empty()) return;
    std::unique_lock lock(mutex_);
    auto next = frames.begin();
    // A frame that is due with nothing ahead of it goes out at once on this thread: waking the
    // writer would cost more than the write (a click's press is the part a user waits for).
    const bool now = queue_.empty() && !writing_ && earliest(*next) <= clock_->uptime();
    if (now) {
        writing_ = true;
        lock.unlock();
        write(*next++);
        lock.lock();
        writing_ = false;
    }
    for (; next != frames.end(); ++next) queue_.push_back(std::move(*next));
    const bool queued = !queue_.empty();
    lock.unlock();
    if (queued) {
        work_.notify_one();
    } else if (now) {
        idle_.notify_all();
    }
}

void OutputScheduler::write(const OutputFrame& frame) {
    const double at = earliest(frame);
    if (clock_->uptime() < at) sleeper_->sleepUntil(at);
    const auto& sink = frame.device == OutputDevice::pointer ? pointer_ : keyboard_;
    if (sink) sink->writeFrame(frame.events);
    noteWritten(frame, std::max(at, clock_->uptime()));
}

void OutputScheduler::waitIdle() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return queue_.empty() && !writing_; });
}

void OutputScheduler::discard() {
    {
        std::lock_guard guard(mutex_);
        queue_.clear();
    }
    idle_.notify_all();
}

void OutputScheduler::run() {
    std::unique_lock lock(mutex_);
    while (true) {
        // Never beside a write on the queuing thread: frames leave one at a time, in order.
        work_.wait(lock, [this] { return !writing_ && (stopping_ || !queue_.empty()); });
        if (queue_.empty()) return;
        OutputFrame frame = std::move(queue_.front());
        queue_.pop_front();
        writing_ = true;
        lock.unlock();

        write(frame);

        lock.lock();
        writing_ = false;
        if (queue_.empty()) idle_.notify_all();
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
