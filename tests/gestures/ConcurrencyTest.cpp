#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "tests/support/Scenario.h"

namespace tavix::testing {
namespace {

// The main thread's side (configuration, the input monitor's notes) runs against frames on the
// frame thread; ThreadSanitizer watches the shared state.
TEST(GestureEngineConcurrency, MainThreadCallsRaceFramesSafely) {
    Scenario s;
    std::atomic<bool> done{false};
    std::atomic<int> suppressed{0};

    std::thread frames([&] {
        double t = 10.0;
        for (int round = 0; round < 300; ++round) {
            s.frame(t += 0.01, pair(20));
            s.frame(t += 0.01, pair(26));
            s.frame(t += 0.01, triangle(10));
            s.frame(t += 0.01, triangle(6));
            s.frame(t += 0.01, {});
            s.frame(t += 0.01, {{1, 25, 45}});
            s.frame(t += 0.01, {});
        }
        done = true;
    });

    GestureConfig keyboard;
    keyboard.zoomMode = ZoomMode::keyboard;
    for (int i = 0; !done; ++i) {
        s.setConfig(i % 2 ? keyboard : GestureConfig{});
        (void)s.engine.config();
        s.engine.notePhysicalClick();
        s.engine.noteScroll();
        if (s.engine.shouldSuppressScroll()) ++suppressed;
        std::this_thread::yield();
    }
    frames.join();
    EXPECT_FALSE(s.posted().empty());
}

}  // namespace
}  // namespace tavix::testing
