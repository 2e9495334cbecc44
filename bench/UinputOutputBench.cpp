#include <benchmark/benchmark.h>

#include "Tavix/events/Actions.h"
#include "platform/events/EventSystem.h"
#include "platform/linux/LinuxEventBackend.h"
#include "platform/linux/SystemClock.h"

namespace tavix {
namespace {

struct Discard final : platform::input::InputSink {
    bool writeFrame(std::span<const platform::input::InputEvent>) override { return true; }
};
struct NoSleep final : platform::output::Sleeper {
    void sleepUntil(double) override {}
};

// What the frame thread pays for a synthetic event on Linux: through the event system into the
// backend, translated and queued for the writer thread (which never holds the caller up).
void postThroughLinuxOutput(benchmark::State& state) {
    auto output = std::make_shared<platform::output::UinputOutput>([] {
        return std::make_unique<platform::output::OutputScheduler>(
            std::make_shared<Discard>(), std::make_shared<Discard>(),
            std::make_shared<platform::SystemClock>(), std::make_shared<NoSleep>(),
            platform::output::OutputScheduler::Timing{0, 0, 0, 0});
    });
    auto events =
        std::make_shared<platform::EventSystem>(std::make_shared<platform::LinuxEventBackend>(
            platform::LinuxEventBackend::Parts{.output = output,
                                               .pointer = nullptr,
                                               .runAction = {},
                                               .physical = {},
                                               .input = nullptr}));
    auto previous = platform::installEventSystem(events);
    const bool click = state.range(0) == 0;
    for (auto _ : state) {
        if (click) {
            Actions::leftClick({0, 0}, 1);
        } else {
            Actions::magnify(0.1, GesturePhase::changed);
        }
    }
    output->waitIdle();
    platform::installEventSystem(previous);
}

BENCHMARK(postThroughLinuxOutput)
    ->Arg(0)
    ->Arg(1)
    ->ArgNames({"magnify"})
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace
}  // namespace tavix

BENCHMARK_MAIN();
