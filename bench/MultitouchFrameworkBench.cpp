#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdlib>
#include <vector>

#include "Tavix/gestures/GestureEngine.h"
#include "Tavix/touch/MultitouchManager.h"
#include "bench/DiscardingBackend.h"
#include "platform/multitouch/SimControlLoader.h"
#include "platform/sim/VirtualClock.h"

namespace tavix {
namespace {

// One frame through the dlopen'd framework: its delivery → mtCallback → dispatch → onFrame →
// GestureEngine::process, fingers resting.
void frameworkFramePath(benchmark::State& state) {
    const auto contacts = static_cast<int32_t>(state.range(0));
    auto& manager = MultitouchManager::shared();
    auto control = platform::mt::SimControl::open(MultitouchManager::frameworkPath());
    if (!manager.isLoaded || !control) {
        state.SkipWithError("the multitouch framework is not built");
        return;
    }
    control->reset();
    const MTSimDevice mouse{.handle = 1,
                            .family = 112,
                            .deviceID = 7,
                            .width = 5000,
                            .height = 9000,
                            .builtIn = false,
                            .attached = true};
    control->declareDevice(&mouse);

    bench::installDiscardingEvents();
    auto clock = std::make_shared<platform::VirtualClock>(100.0);
    platform::installClock(clock);
    GestureEngine engine;
    int64_t seen = 0;
    manager.onFrame = [&seen, &engine](const MTDeviceInfo&, std::span<const Touch> touches) {
        seen += static_cast<int64_t>(touches.size());
        engine.process(touches);
    };
    manager.rescan();

    std::vector<MTSimContact> frame;
    frame.reserve(static_cast<std::size_t>(contacts));
    for (int32_t i = 0; i < contacts; ++i) {
        frame.push_back({.identifier = i + 1, .state = 4, .x = 0.2f + 0.12f * i, .y = 0.5f});
    }
    double t = 0;
    for (auto _ : state) {
        clock->set(100.0 + (t += 0.011));
        control->deliverFrame(1, frame.data(), contacts, t);
    }

    if (seen != static_cast<int64_t>(state.iterations()) * contacts) {
        state.SkipWithError("frames were lost");
    }
    manager.stopAll();
    manager.onFrame = nullptr;
}

BENCHMARK(frameworkFramePath)
    ->DenseRange(1, 5)
    ->ArgName("contacts")
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

}  // namespace
}  // namespace tavix

BENCHMARK_MAIN();
