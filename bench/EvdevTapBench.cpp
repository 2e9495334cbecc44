#include <benchmark/benchmark.h>

#include <linux/input-event-codes.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <thread>

#include "Tavix/events/InputMonitor.h"
#include "platform/MainQueue.h"
#include "platform/events/EventSystem.h"
#include "platform/linux/input/MagicMouseTap.h"
#include "platform/linux/input/MultitouchDecoder.h"
#include "platform/linux/input/RecordedEvdev.h"
#include "platform/sim/VirtualClock.h"

namespace tavix {
namespace {

using namespace platform;
using namespace platform::input;
using Clock = std::chrono::steady_clock;

// A main thread of its own that sleeps until a block arrives, like an idle event loop.
class ThreadMainQueue final : public MainQueue {
  public:
    ThreadMainQueue() : thread_([this] { run(); }) {}
    ~ThreadMainQueue() override {
        {
            std::lock_guard guard(mutex_);
            stopping_ = true;
        }
        wake_.notify_one();
        thread_.join();
    }
    void async(std::function<void()> block) override {
        {
            std::lock_guard guard(mutex_);
            blocks_.push_back(std::move(block));
        }
        wake_.notify_one();
    }

  private:
    void run() {
        std::unique_lock guard(mutex_);
        for (;;) {
            wake_.wait(guard, [this] { return stopping_ || !blocks_.empty(); });
            if (stopping_) return;
            auto block = std::move(blocks_.front());
            blocks_.pop_front();
            guard.unlock();
            block();
            guard.lock();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> blocks_;
    bool stopping_ = false;
    std::thread thread_;
};

class CountingClone final : public InputSink {
  public:
    explicit CountingClone(std::atomic<int64_t>& frames) : frames_(frames) {}
    bool writeFrame(std::span<const InputEvent>) override {
        frames_.fetch_add(1, std::memory_order_release);
        return true;
    }

  private:
    std::atomic<int64_t>& frames_;
};

class ForwardingBackend final : public EventBackend {
  public:
    MagicMouseTap* tap = nullptr;
    std::optional<Point> pointerLocation() override { return Point{}; }
    void tapsInstalled(bool installed) override { tap->tapsInstalled(installed); }
    bool canDropPhysical() override { return tap->canDropPhysical(); }
    void leftTaps(const Event& event, EventOrigin origin, bool delivered) override {
        tap->leftTaps(event, origin, delivered);
    }
};

std::vector<TimedEvent> frameOf(std::initializer_list<InputEvent> events) {
    std::vector<TimedEvent> out;
    for (const auto& e : events) out.push_back({0, e});
    out.push_back({0, {EV_SYN, SYN_REPORT, 0}});
    return out;
}

// A recorded mouse, grabbed by the tap while the input monitor runs, its clone counting frames;
// each measured step pushes one report into the node and waits until the clone has written it.
void tappedMouse(benchmark::State& state, bool press) {
    installClock(std::make_shared<VirtualClock>(100.0));
    installMainQueue(std::make_shared<ThreadMainQueue>());
    auto backend = std::make_shared<ForwardingBackend>();
    installEventSystem(std::make_shared<EventSystem>(backend));
    auto owned = std::make_unique<RecordedDevices>();
    auto stream = owned->attach(recordedMagicMouse(3));
    MagicMouseReader reader(std::move(owned));
    reader.devices();
    std::atomic<int64_t> written{0};
    MagicMouseTap tap(reader, [&](const MagicMouseDevice&) -> std::unique_ptr<InputSink> {
        return std::make_unique<CountingClone>(written);
    });
    backend->tap = &tap;
    if (!InputMonitor::shared().start() || !stream->grabbed()) {
        state.SkipWithError("the mouse was not taken over");
        return;
    }
    const auto motion = frameOf({{EV_REL, REL_X, 1}, {EV_REL, REL_Y, -1}});
    const auto down = frameOf({{EV_KEY, BTN_LEFT, 1}});
    const auto up = frameOf({{EV_KEY, BTN_LEFT, 0}});
    auto through = [&](const std::vector<TimedEvent>& frame) {
        const int64_t before = written.load(std::memory_order_acquire);
        const auto start = Clock::now();
        stream->push(frame);
        while (written.load(std::memory_order_acquire) == before) {
        }
        return std::chrono::duration<double>(Clock::now() - start).count();
    };
    for (auto _ : state) {
        state.SetIterationTime(through(press ? down : motion));
        if (press) through(up);
    }
    InputMonitor::shared().stop();
    installEventSystem(nullptr);
    installMainQueue(nullptr);
}

// Grab → re-emit of relative motion: never through the main thread.
void tapMotion(benchmark::State& state) {
    tappedMouse(state, false);
}
// A pressed button: through the tap chain on an idle main thread, then re-emitted.
void tapButtonPress(benchmark::State& state) {
    tappedMouse(state, true);
}

// Decoding one SYN_REPORT of a node with `fingers` contacts all moving, as the reader does for
// every report before the framework's callback sees it.
void decodeFrame(benchmark::State& state) {
    const auto fingers = static_cast<int32_t>(state.range(0));
    std::vector<TimedEvent> report;
    for (int32_t slot = 0; slot < fingers; ++slot) {
        report.push_back({0, {EV_ABS, ABS_MT_SLOT, slot}});
        report.push_back({0, {EV_ABS, ABS_MT_TRACKING_ID, 100 + slot}});
        report.push_back({0, {EV_ABS, ABS_MT_POSITION_X, 100 * slot}});
        report.push_back({0, {EV_ABS, ABS_MT_POSITION_Y, 200 + 50 * slot}});
        report.push_back({0, {EV_ABS, ABS_MT_TOUCH_MAJOR, 40}});
    }
    report.push_back({0, {EV_SYN, SYN_REPORT, 0}});
    MultitouchDecoder decoder(kMagicMouseSurface, {-1100, 1258}, {-1589, 2047});
    for (const auto& event : report) decoder.feed(event);
    int32_t step = 0;
    for (auto _ : state) {
        step = (step + 1) % 64;
        for (int32_t slot = 0; slot < fingers; ++slot) {
            decoder.feed({0, {EV_ABS, ABS_MT_SLOT, slot}});
            decoder.feed({0, {EV_ABS, ABS_MT_POSITION_X, 100 * slot + step}});
            decoder.feed({0, {EV_ABS, ABS_MT_POSITION_Y, 200 + 50 * slot - step}});
        }
        benchmark::DoNotOptimize(decoder.feed({0, {EV_SYN, SYN_REPORT, 0}}));
        benchmark::DoNotOptimize(decoder.frame().contacts.data());
    }
}

BENCHMARK(decodeFrame)->Arg(1)->Arg(2)->Arg(5);
BENCHMARK(tapMotion)->UseManualTime()->Unit(benchmark::kMicrosecond)->Repetitions(5);
BENCHMARK(tapButtonPress)->UseManualTime()->Unit(benchmark::kMicrosecond)->Repetitions(5);

}  // namespace
}  // namespace tavix

BENCHMARK_MAIN();
