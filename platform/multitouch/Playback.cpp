#include "platform/multitouch/Playback.h"

#include <chrono>

namespace tavix::platform::mt {

Playback::Playback(std::vector<ScriptFrame> frames, double period, Deliver deliver)
    : frames_(std::move(frames)),
      period_(period),
      deliver_(std::move(deliver)),
      thread_([this] { run(); }) {}

Playback::~Playback() {
    requestStop();
    thread_.join();
}

void Playback::requestStop() {
    {
        std::lock_guard guard(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
}

void Playback::run() {
    using Clock = std::chrono::steady_clock;
    const auto origin = Clock::now();
    double base = 0;  // script time at which the current round started
    std::unique_lock guard(mutex_);
    for (;;) {
        for (const auto& frame : frames_) {
            const auto due = origin + std::chrono::duration_cast<Clock::duration>(
                                          std::chrono::duration<double>(base + frame.t));
            if (wake_.wait_until(guard, due, [this] { return stopping_; })) return;
            guard.unlock();
            deliver_(frame, base + frame.t);
            guard.lock();
            if (stopping_) return;
        }
        if (period_ <= 0) return;
        base += period_;
    }
}

}  // namespace tavix::platform::mt
