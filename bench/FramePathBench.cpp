#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

#include "Tavix/gestures/GestureEngine.h"
#include "Tavix/gestures/SystemGestures.h"
#include "Tavix/touch/MultitouchManager.h"
#include "bench/AllocationCounter.h"
#include "bench/DiscardingBackend.h"
#include "platform/sim/VirtualClock.h"
#include "tests/support/MultitouchManagerTestAccess.h"

namespace tavix {

namespace {

// The whole frame path: mtCallback → dispatch → onFrame → GestureEngine::process, fingers staying
// down (resting, or moving by a fraction of a millimetre each frame).
void framePath(benchmark::State& state) {
    const auto contacts = static_cast<int>(state.range(0));
    const bool moving = state.range(1) != 0;

    auto clock = std::make_shared<platform::VirtualClock>(100.0);
    platform::installClock(clock);
    bench::installDiscardingEvents();

    static int handle = 0;
    const MTDeviceInfo mouse{.id = reinterpret_cast<uintptr_t>(&handle),
                             .ref = &handle,
                             .family = MTDeviceInfo::kMagicMouseFamily,
                             .widthMM = 50,
                             .heightMM = 90};
    MultitouchManagerTestAccess::setActive({mouse});
    auto engine = std::make_unique<GestureEngine>();
    MultitouchManager::shared().onFrame = [&engine](const MTDeviceInfo&,
                                                    std::span<const Touch> touches) {
        engine->process(touches);
    };

    std::vector<MTTouch> records(static_cast<std::size_t>(contacts));
    for (int i = 0; i < contacts; ++i) {
        records[i].identifier = i + 1;
        records[i].state = 4;
        records[i].normalized.position = {0.2f + 0.12f * static_cast<float>(i), 0.5f};
    }
    auto deliver = [&](int frame) {
        if (moving) {
            const float wobble = 0.004f * std::sin(static_cast<float>(frame) * 0.3f);
            for (auto& r : records) r.normalized.position.y = 0.5f + wobble;
        }
        clock->set(100.0 + frame * 0.011);
        mtCallback(&handle, records.data(), contacts, 0, frame);
    };
    for (int frame = 0; frame < 10; ++frame) deliver(frame);  // fingers are down: steady state

    int frame = 10;
    const std::size_t allocationsBefore = bench::allocationCount();
    for (auto _ : state) deliver(frame++);
    state.counters["allocs/frame"] =
        static_cast<double>(bench::allocationCount() - allocationsBefore) /
        static_cast<double>(state.iterations());

    MultitouchManager::shared().onFrame = nullptr;
}

BENCHMARK(framePath)
    ->ArgsProduct({{1, 2, 3, 5}, {0, 1}})
    ->ArgNames({"contacts", "moving"})
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// What the system gestures add to each frame of the path above, all four switches on, the
// fingers sliding sideways too slowly to swipe (scrolling). `early`: every frame inside the first
// 0.4 s of the touch, where swipes and taps are still measured; otherwise fingers that have been
// down for a while. The clock is virtual: the real one adds its read to early frames.
void systemGestures(benchmark::State& state) {
    const auto contacts = static_cast<int32_t>(state.range(0));
    const bool early = state.range(1) != 0;

    auto clock = std::make_shared<platform::VirtualClock>(100.0);
    platform::installClock(clock);
    bench::installDiscardingEvents();
    GestureEngine engine;
    SystemGestures gestures(engine);
    gestures.setSwitches(
        {.pageSwipe = true, .fullscreenSwipe = true, .missionControlTap = true, .smartZoom = true});

    std::vector<Touch> touches(static_cast<std::size_t>(contacts));
    for (int32_t i = 0; i < contacts; ++i) {
        const double x = 0.2 + 0.12 * i;
        touches[static_cast<std::size_t>(i)] = {
            .id = i + 1, .state = 5, .nx = x, .ny = 0.5, .pt = {x * 50, 45}};
    }
    int frame = 0;
    auto deliver = [&] {
        for (auto& touch : touches) {
            touch.nx += 1e-6;
            touch.pt.x += 5e-5;
        }
        if (!early) clock->set(100.0 + ++frame * 0.011);
        gestures.process(touches);
    };
    for (int i = 0; i < 50; ++i) deliver();
    const std::size_t allocationsBefore = bench::allocationCount();
    for (auto _ : state) deliver();
    state.counters["allocs/frame"] =
        static_cast<double>(bench::allocationCount() - allocationsBefore) /
        static_cast<double>(state.iterations());
}

BENCHMARK(systemGestures)
    ->ArgsProduct({{1, 2, 3}, {1, 0}})
    ->ArgNames({"contacts", "early"})
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// One frame far beyond any real surface, straight into GestureEngine::process: the same
// contacts resting, or every frame a new set (all tracks end, as many begin).
void crowdedFrame(benchmark::State& state) {
    const auto contacts = static_cast<int32_t>(state.range(0));
    const bool changing = state.range(1) != 0;

    auto clock = std::make_shared<platform::VirtualClock>(100.0);
    platform::installClock(clock);
    bench::installDiscardingEvents();
    GestureEngine engine;

    std::vector<Touch> touches(static_cast<std::size_t>(contacts));
    for (int32_t i = 0; i < contacts; ++i) {
        touches[static_cast<std::size_t>(i)] = {.id = i, .state = 4, .pt = {25, 45}};
    }
    int frame = 0;
    auto deliver = [&] {
        if (changing) {
            for (auto& touch : touches) touch.id ^= 1 << 30;
        }
        clock->set(100.0 + ++frame * 0.011);
        engine.process(touches);
    };
    deliver();  // the contacts are down: steady state
    for (auto _ : state) deliver();
}

BENCHMARK(crowdedFrame)
    ->ArgsProduct({{160'000}, {0, 1}})
    ->ArgNames({"contacts", "changing"})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tavix

BENCHMARK_MAIN();
