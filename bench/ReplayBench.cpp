#include <benchmark/benchmark.h>

#include <chrono>
#include <sstream>

#include "Tavix/touch/MultitouchManager.h"
#include "replay/Replay.h"

namespace tavix {
namespace {

// A script of 100 000 frames: taps, three-finger taps and zooms over and over.
std::string script(int frames) {
    std::ostringstream out;
    out << R"({"device": {"handle": 1, "family": 112, "deviceID": 7, "widthMM": 50, "heightMM": 90}})"
        << '\n';
    double t = 1.0;
    for (int i = 0; i < frames; ++i) {
        t += 0.011;
        out << R"({"t": )" << t << R"(, "frame": {"device": 1, "contacts": [)";
        switch (i % 20) {
            case 0:
            case 1:
                out << R"({"id": 1, "state": 4, "x": 0.5, "y": 0.5})";
                break;
            case 2:
            case 3:
            case 4:
                break;
            default: {
                const double d = 0.1 + 0.01 * (i % 20);
                out << R"({"id": 2, "state": 4, "x": )" << 0.5 - d << R"(, "y": 0.5}, )"
                    << R"({"id": 3, "state": 4, "x": )" << 0.5 + d << R"(, "y": 0.5})";
            }
        }
        out << "]}}\n";
    }
    return out.str();
}

// The whole tool on one big script; one run per process, as the tool itself.
void replayFrames(benchmark::State& state) {
    const int frames = static_cast<int>(state.range(0));
    const std::string text = script(frames);
    for (auto _ : state) {
        replay::LineReader in(text);
        std::ostringstream log, errors;
        replay::Replay replay(log, MultitouchManager::frameworkPath());
        if (replay.play(in, errors) != 0) state.SkipWithError(errors.str().c_str());
        const std::string lines = log.str();
        state.counters["logLines"] =
            static_cast<double>(std::count(lines.begin(), lines.end(), '\n'));
    }
    state.counters["frames/s"] = benchmark::Counter(frames, benchmark::Counter::kIsRate);
}

BENCHMARK(replayFrames)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tavix

BENCHMARK_MAIN();
