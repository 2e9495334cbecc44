#include <benchmark/benchmark.h>

#include "Tavix/events/EventMarker.h"
#include "Tavix/events/InputMonitor.h"
#include "bench/DiscardingBackend.h"
#include "platform/sim/VirtualClock.h"

namespace tavix {
namespace {

using platform::EventType;

// One physical (or marked) event through the tap chain: the event system hands it to the main
// queue, the monitor's callback judges it, the verdict goes to the backend.
void inputMonitorEvent(benchmark::State& state) {
    const auto type = static_cast<EventType>(state.range(0));
    const bool marked = state.range(1) != 0;
    platform::installClock(std::make_shared<platform::VirtualClock>(100.0));
    auto events = bench::installDiscardingEvents();
    if (!InputMonitor::shared().start()) {
        state.SkipWithError("no tap");
        return;
    }
    platform::Event event;
    event.setType(type);
    if (marked) event.setIntegerValue(platform::EventField::eventSourceUserData, kTavixEventMarker);
    for (auto _ : state) events->injectPhysical(event);
    InputMonitor::shared().stop();
}

BENCHMARK(inputMonitorEvent)
    ->Args({static_cast<int64_t>(EventType::leftMouseDown), 0})
    ->Args({static_cast<int64_t>(EventType::scrollWheel), 0})
    ->Args({static_cast<int64_t>(EventType::scrollWheel), 1})
    ->Args({static_cast<int64_t>(EventType::magnify), 0})
    ->ArgNames({"type", "marked"})
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace
}  // namespace tavix

BENCHMARK_MAIN();
