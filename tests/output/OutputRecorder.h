#pragma once

#include <linux/input-event-codes.h>

#include <memory>
#include <mutex>
#include <vector>

#include "platform/linux/output/OutputScheduler.h"
#include "platform/linux/output/UinputOutput.h"
#include "platform/sim/VirtualClock.h"

namespace tavix::testing {

using platform::output::OutputDevice;
using platform::output::OutputFrame;

// Sleeping moves the virtual clock, so the writer thread runs at once under virtual time.
class VirtualSleeper final : public platform::output::Sleeper {
  public:
    explicit VirtualSleeper(std::shared_ptr<platform::VirtualClock> clock)
        : clock_(std::move(clock)) {}
    void sleepUntil(double uptime) override {
        if (uptime > clock_->uptime()) clock_->set(uptime);
    }

  private:
    std::shared_ptr<platform::VirtualClock> clock_;
};

// Both virtual devices written into one time line.
class OutputRecorder {
  public:
    struct Written {
        double at;
        OutputFrame frame;
    };

    std::shared_ptr<platform::VirtualClock> clock = std::make_shared<platform::VirtualClock>(100);

    std::shared_ptr<platform::output::UinputOutput> makeOutput(
        platform::output::OutputScheduler::Timing timing = {},
        std::shared_ptr<platform::output::Sleeper> sleeper = nullptr) {
        if (!sleeper) sleeper = std::make_shared<VirtualSleeper>(clock);
        return std::make_shared<platform::output::UinputOutput>([this, timing, sleeper] {
            return std::make_unique<platform::output::OutputScheduler>(
                sink(OutputDevice::pointer), sink(OutputDevice::keyboard), clock, sleeper, timing);
        });
    }
    // Devices the output holds now (each opening makes two).
    long liveDevices() const { return log_.use_count() - 1; }

    std::vector<Written> written() const {
        std::lock_guard guard(log_->mutex);
        return log_->written;
    }
    std::vector<OutputFrame> frames() const {
        std::vector<OutputFrame> out;
        for (const auto& w : written()) out.push_back(w.frame);
        return out;
    }
    void clear() {
        std::lock_guard guard(log_->mutex);
        log_->written.clear();
    }

  private:
    struct Log {
        std::mutex mutex;
        std::vector<Written> written;
    };
    class Sink final : public platform::input::InputSink {
      public:
        Sink(OutputDevice device, std::shared_ptr<Log> log,
             std::shared_ptr<platform::VirtualClock> clock)
            : device_(device), log_(std::move(log)), clock_(std::move(clock)) {}
        bool writeFrame(std::span<const platform::input::InputEvent> events) override {
            std::lock_guard guard(log_->mutex);
            log_->written.push_back({clock_->uptime(), {device_, {events.begin(), events.end()}}});
            return true;
        }

      private:
        OutputDevice device_;
        std::shared_ptr<Log> log_;
        std::shared_ptr<platform::VirtualClock> clock_;
    };

    std::shared_ptr<platform::input::InputSink> sink(OutputDevice device) {
        return std::make_shared<Sink>(device, log_, clock);
    }

    std::shared_ptr<Log> log_ = std::make_shared<Log>();
};

inline OutputFrame key(uint16_t code, bool down) {
    return {OutputDevice::keyboard, {{EV_KEY, code, down ? 1 : 0}}};
}
inline OutputFrame button(uint16_t code, bool down) {
    return {OutputDevice::pointer, {{EV_KEY, code, down ? 1 : 0}}};
}
inline OutputFrame wheel(int notches) {
    return {OutputDevice::pointer,
            {{EV_REL, REL_WHEEL, notches}, {EV_REL, REL_WHEEL_HI_RES, notches * 120}}};
}

}  // namespace tavix::testing
