#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

#include "Tavix/gestures/GestureEngine.h"
#include "Tavix/touch/MultitouchManager.h"
#include "platform/events/EventSystem.h"
#include "platform/linux/input/MagicMouseTap.h"
#include "platform/linux/input/RecordedEvdev.h"
#include "platform/multitouch/EvdevBackend.h"
#include "platform/multitouch/Framework.h"
#include "platform/sim/ManualMainQueue.h"
#include "platform/sim/VirtualClock.h"
#include "tests/input/EvdevStreams.h"
#include "tests/support/MultitouchManagerTestAccess.h"

namespace tavix::platform::input::testing {

// Clones that keep what they are asked to emit.
struct Clones {
    std::mutex mutex;
    std::vector<std::vector<InputEvent>> frames;
    int made = 0;
    int alive = 0;
    bool refuse = false;

    std::vector<std::vector<InputEvent>> written() {
        std::lock_guard guard(mutex);
        return frames;
    }
    int aliveNow() {
        std::lock_guard guard(mutex);
        return alive;
    }
    MagicMouseTap::MakeClone maker(const std::shared_ptr<Clones>& self);
};

class CloneSink final : public InputSink {
  public:
    explicit CloneSink(std::shared_ptr<Clones> clones) : clones_(std::move(clones)) {}
    ~CloneSink() override {
        std::lock_guard guard(clones_->mutex);
        --clones_->alive;
    }
    bool writeFrame(std::span<const InputEvent> events) override {
        std::lock_guard guard(clones_->mutex);
        clones_->frames.emplace_back(events.begin(), events.end());
        return true;
    }

  private:
    std::shared_ptr<Clones> clones_;
};

inline MagicMouseTap::MakeClone Clones::maker(const std::shared_ptr<Clones>& self) {
    return [self](const MagicMouseDevice&) -> std::unique_ptr<InputSink> {
        std::lock_guard guard(self->mutex);
        if (self->refuse) return nullptr;
        ++self->made;
        ++self->alive;
        return std::make_unique<CloneSink>(self);
    };
}

// The desktop's event backend as far as the physical side goes: the tap's hooks, a fixed
// pointer, and every posted event and verdict kept.
class TapBackend final : public EventBackend {
  public:
    struct Verdict {
        EventType type;
        bool delivered;
    };

    std::optional<Point> pointerLocation() override { return Point{500, 400}; }
    void tapsInstalled(bool installed) override {
        if (tap) tap->tapsInstalled(installed);
    }
    bool canDropPhysical() override { return !tap || tap->canDropPhysical(); }
    void posted(EventTapLocation, const Event& event) override {
        std::lock_guard guard(mutex_);
        posted_.push_back(event.type());
    }
    void leftTaps(const Event& event, EventOrigin origin, bool delivered) override {
        if (origin == EventOrigin::physical) {
            std::lock_guard guard(mutex_);
            verdicts_.push_back({event.type(), delivered});
        }
        if (tap) tap->leftTaps(event, origin, delivered);
    }

    std::vector<EventType> posted() {
        std::lock_guard guard(mutex_);
        return posted_;
    }
    std::vector<Verdict> verdicts() {
        std::lock_guard guard(mutex_);
        return verdicts_;
    }

    MagicMouseTap* tap = nullptr;

  private:
    std::mutex mutex_;
    std::vector<EventType> posted_;
    std::vector<Verdict> verdicts_;
};

// The real device path over recorded mice: reader → evdev backend → framework → mtCallback →
// the shared engine, with the uptime following the frames' time stamps; and, once tapping,
// reader → tap → event system → input monitor, the main queue drained by hand.
class EvdevApplication {
  public:
    EvdevApplication()
        : devicesOwned_(std::make_unique<RecordedDevices>()),
          devices(*devicesOwned_),
          reader(std::move(devicesOwned_)),
          evdev(reader,
                [this](uint64_t key, MTContact* records, int32_t count, double t, int32_t frame) {
                    framework.deliver(key, records, count, t, frame);
                }),
          framework(evdev) {
        static int instances = 0;
        base_ = 100 + 1000.0 * instances++;  // the shared engine remembers earlier tests
        clock->set(base_);
        previousClock_ = installClock(clock);
        previousQueue_ = installMainQueue(queue);
        previousEvents_ = installEventSystem(events);
        current() = this;
        MultitouchManager::shared().onFrame = [](const MTDeviceInfo&,
                                                 std::span<const Touch> touches) {
            GestureEngine::shared().process(touches);
        };
    }

    ~EvdevApplication() {
        for (auto* handle : started_) handle->stop();
        MultitouchManager::shared().onFrame = nullptr;
        MultitouchManagerTestAccess::setActive({});
        tap.reset();
        backend->tap = nullptr;
        current() = nullptr;
        installClock(previousClock_);
        installMainQueue(previousQueue_);
        installEventSystem(previousEvents_);
    }

    // Lists the mice, registers the application's callback with each and starts it, as a
    // rescan does.
    void startMice() {
        lists_.push_back(framework.createList());
        std::vector<MTDeviceInfo> active;
        for (const auto& handle : lists_.back()->entries) {
            handle->registerCallback(&clocked);
            handle->start();
            started_.push_back(handle.get());
            active.push_back(MultitouchManagerTestAccess::infoOf(*handle));
        }
        MultitouchManagerTestAccess::setActive(active);
    }

    void startTap() {
        tap = std::make_unique<MagicMouseTap>(reader, clones->maker(clones));
        backend->tap = tap.get();
    }

    // Once this returns, everything pushed before has been read.
    void settle() {
        reader.call([] {});
    }

    int framesDelivered() const { return frames_.load(); }

    std::shared_ptr<platform::VirtualClock> clock = std::make_shared<platform::VirtualClock>();
    std::shared_ptr<platform::ManualMainQueue> queue =
        std::make_shared<platform::ManualMainQueue>();
    std::shared_ptr<TapBackend> backend = std::make_shared<TapBackend>();
    std::shared_ptr<EventSystem> events = std::make_shared<EventSystem>(backend);
    std::shared_ptr<Clones> clones = std::make_shared<Clones>();

  private:
    std::unique_ptr<RecordedDevices> devicesOwned_;

  public:
    RecordedDevices& devices;
    MagicMouseReader reader;
    mt::EvdevBackend evdev;
    mt::Framework framework;
    std::unique_ptr<MagicMouseTap> tap;

  private:
    static EvdevApplication*& current() {
        static EvdevApplication* app = nullptr;
        return app;
    }
    // The application's callback, with the uptime moved to the frame's time first.
    static int32_t clocked(MTDeviceRef device, MTContact* contacts, int32_t count, double timestamp,
                           int32_t frame) {
        EvdevApplication* app = current();
        app->clock->set(app->base_ + timestamp);
        mtCallback(device, reinterpret_cast<MTTouch*>(contacts), count, timestamp, frame);
        ++app->frames_;
        return 0;
    }

    double base_ = 0;
    std::atomic<int> frames_{0};
    std::vector<std::unique_ptr<MTArray>> lists_;
    std::vector<mt::DeviceHandle*> started_;
    std::shared_ptr<Clock> previousClock_;
    std::shared_ptr<MainQueue> previousQueue_;
    std::shared_ptr<EventSystem> previousEvents_;
};

}  // namespace tavix::platform::input::testing
