#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <QCoreApplication>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "Tavix/AppState.h"
#include "Tavix/gestures/GestureEngine.h"
#include "Tavix/touch/MultitouchManager.h"
#include "bench/AllocationCounter.h"
#include "bench/DiscardingBackend.h"
#include "platform/sim/VirtualClock.h"
#include "tests/support/MultitouchManagerTestAccess.h"

namespace tavix {
namespace {

// Three fingers resting on a started mouse; each iteration is one frame through mtCallback.
// `handler`: 0 = the engine alone, as the frame handler's baseline; 1 = AppState's frame handler
// with every frame inside the preview interval (all throttled); 2 = AppState's handler at the
// mouse's 90 Hz, so every third frame publishes its points to the main queue.
void frameHandler(benchmark::State& state) {
    const auto handler = state.range(0);
    auto clock = std::make_shared<platform::VirtualClock>(100.0);
    platform::installClock(clock);
    bench::installDiscardingEvents();

    if (handler == 0) {
        MultitouchManager::shared().onFrame = [](const MTDeviceInfo&, std::span<const Touch> t) {
            GestureEngine::shared().process(t);
        };
    } else {
        AppState::shared().boot();
    }
    static int handle = 0;
    const MTDeviceInfo mouse{.id = reinterpret_cast<uintptr_t>(&handle),
                             .ref = &handle,
                             .family = MTDeviceInfo::kMagicMouseFamily,
                             .widthMM = 50,
                             .heightMM = 90};
    MultitouchManagerTestAccess::setActive({mouse});

    std::vector<MTTouch> records(3);
    for (int i = 0; i < 3; ++i) {
        records[i].identifier = i + 1;
        records[i].state = 4;
        records[i].normalized.position = {0.3f + 0.2f * static_cast<float>(i), 0.5f};
    }
    int frame = 0;
    auto deliver = [&] {
        if (handler != 1) clock->set(100.0 + frame * 0.011);
        mtCallback(&handle, records.data(), 3, 0, frame++);
    };
    for (int i = 0; i < 10; ++i) deliver();

    const std::size_t allocationsBefore = bench::allocationCount();
    for (auto _ : state) deliver();
    state.counters["allocs/frame"] =
        static_cast<double>(bench::allocationCount() - allocationsBefore) /
        static_cast<double>(state.iterations());
    MultitouchManager::shared().onFrame = nullptr;
    // The handle is no framework's: it must not be stopped by the next boot's rescan.
    MultitouchManagerTestAccess::setActive({});
}

BENCHMARK(frameHandler)
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->ArgName("handler")
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace
}  // namespace tavix

int main(int argc, char** argv) {
    // The state's settings and diagnostics go to a folder of the benchmark's own.
    std::string folder = (std::filesystem::temp_directory_path() / "tavix-bench-XXXXXX").string();
    if (!mkdtemp(folder.data())) return 1;
    setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
    setenv("XDG_DATA_HOME", folder.c_str(), 1);
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(folder);
    return 0;
}
