#include <benchmark/benchmark.h>

#include <linux/input-event-codes.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "Tavix/gestures/GestureEngine.h"
#include "Tavix/touch/MultitouchManager.h"
#include "platform/events/EventSystem.h"
#include "platform/linux/LinuxEventBackend.h"
#include "platform/linux/input/RecordedEvdev.h"
#include "platform/multitouch/EvdevBackend.h"
#include "platform/multitouch/Framework.h"
#include "platform/sim/ManualMainQueue.h"
#include "platform/sim/VirtualClock.h"
#include "tests/support/MultitouchManagerTestAccess.h"

namespace tavix {
namespace {

using namespace platform;
using namespace platform::input;
using Steady = std::chrono::steady_clock;

// The virtual pointer: counts the left presses written to it.
class PressCounter final : public InputSink {
  public:
    bool writeFrame(std::span<const InputEvent> events) override {
        for (const auto& e : events) {
            if (e.type == EV_KEY && e.code == BTN_LEFT && e.value == 1) {
                presses.fetch_add(1, std::memory_order_release);
            }
        }
        return true;
    }
    std::atomic<int64_t> presses{0};
};

struct NoSleep final : output::Sleeper {
    void sleepUntil(double) override {}
};

struct FixedPointer final : PointerSource {
    std::optional<Point> pointerLocation() override { return Point{500, 400}; }
};

// The framework's records are the application's touches, as the dlopen'd framework hands them.
int32_t toApplication(MTDeviceRef device, MTContact* contacts, int32_t count, double timestamp,
                      int32_t frame) {
    return mtCallback(device, reinterpret_cast<MTTouch*>(contacts), count, timestamp, frame);
}

std::vector<TimedEvent> report(std::initializer_list<InputEvent> events) {
    std::vector<TimedEvent> out;
    for (const auto& e : events) out.push_back({0, e});
    out.push_back({0, {EV_SYN, SYN_REPORT, 0}});
    return out;
}

// One-finger taps on a recorded mouse through the application's whole in-process path: reader
// thread, decoder, evdev framework backend, mtCallback, the engine, Actions, the event system,
// the Linux output and its writer thread. Each measured step pushes the lift report into the
// node and waits until the press is written to the virtual pointer; the output holds nothing
// back (no debounce hold), so what is measured is the code, not the timing rules.
void liftToClick(benchmark::State& state) {
    // The shared engine remembers earlier runs: time and tracking ids only go forward.
    static double t = 100.0;
    static int32_t tracking = 1;
    auto clock = std::make_shared<VirtualClock>(t);
    auto previousClock = installClock(clock);
    auto previousQueue = installMainQueue(std::make_shared<ManualMainQueue>());
    auto pointer = std::make_shared<PressCounter>();
    auto output = std::make_shared<output::UinputOutput>([&] {
        return std::make_unique<output::OutputScheduler>(pointer, nullptr, clock,
                                                         std::make_shared<NoSleep>(),
                                                         output::OutputScheduler::Timing{0, 0, 0, 0});
    });
    auto previousEvents = installEventSystem(
        std::make_shared<EventSystem>(std::make_shared<LinuxEventBackend>(LinuxEventBackend::Parts{
            .output = output,
            .pointer = std::make_shared<FixedPointer>(),
            .runAction = {},
            .physical = {},
            .input = nullptr})));

    auto owned = std::make_unique<RecordedDevices>();
    auto stream = owned->attach(recordedMagicMouse(3));
    MagicMouseReader reader(std::move(owned));
    mt::Framework* framework = nullptr;
    mt::EvdevBackend evdev(reader, [&](uint64_t key, MTContact* records, int32_t count, double stamp,
                                       int32_t frame) {
        framework->deliver(key, records, count, stamp, frame);
    });
    mt::Framework own(evdev);
    framework = &own;
    auto list = own.createList();
    std::vector<MTDeviceInfo> active;
    for (const auto& handle : list->entries) {
        handle->registerCallback(&toApplication);
        handle->start();
        active.push_back(MultitouchManagerTestAccess::infoOf(*handle));
    }
    MultitouchManagerTestAccess::setActive(active);
    auto& engine = GestureEngine::shared();
    MultitouchManager::shared().onFrame = [&engine](const MTDeviceInfo&,
                                                    std::span<const Touch> touches) {
        engine.process(touches);
    };

    for (auto _ : state) {
        t += 2.0;  // far apart: never a double tap
        clock->set(t);
        stream->push(report({{EV_ABS, ABS_MT_SLOT, 0},
                             {EV_ABS, ABS_MT_TRACKING_ID, tracking++},
                             {EV_ABS, ABS_MT_POSITION_X, 100},
                             {EV_ABS, ABS_MT_POSITION_Y, 200},
                             {EV_ABS, ABS_MT_TOUCH_MAJOR, 200}}));
        reader.call([] {});
        clock->set(t + 0.08);
        const int64_t before = pointer->presses.load(std::memory_order_acquire);
        const auto start = Steady::now();
        stream->push(report({{EV_ABS, ABS_MT_TRACKING_ID, -1}}));
        const auto deadline = start + std::chrono::seconds(2);
        while (pointer->presses.load(std::memory_order_acquire) == before) {
            if (Steady::now() > deadline) {
                state.SkipWithError("the tap gave no click");
                break;
            }
            // Lets the reader run when it woke on this core: a bare spin would measure the
            // scheduler's patience instead of the path.
            std::this_thread::yield();
        }
        state.SetIterationTime(std::chrono::duration<double>(Steady::now() - start).count());
        output->waitIdle();
    }

    MultitouchManager::shared().onFrame = nullptr;
    MultitouchManagerTestAccess::setActive({});
    for (const auto& handle : list->entries) handle->stop();
    installEventSystem(previousEvents);
    installMainQueue(previousQueue);
    installClock(previousClock);
}

BENCHMARK(liftToClick)->UseManualTime()->Unit(benchmark::kMicrosecond)->Repetitions(5);

}  // namespace
}  // namespace tavix

BENCHMARK_MAIN();
