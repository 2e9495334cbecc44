#include <gtest/gtest.h>

#include <algorithm>
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
    // Once more after the frames end: their last zoom still holds scrolling back.
    bool last = false;
    for (int i = 0; !last; ++i) {
        last = done;
        s.setConfig(i % 2 ? keyboard : GestureConfig{});
        EXPECT_EQ(s.engine.config().zoomMode, i % 2 ? ZoomMode::keyboard : ZoomMode::native);
        s.engine.notePhysicalClick();
        s.engine.noteScroll();
        if (s.engine.shouldSuppressScroll()) ++suppressed;
        std::this_thread::yield();
    }
    frames.join();
    EXPECT_GT(suppressed.load(), 0);
    // Whatever the mode and the notes, every round zooms and pinches exactly once.
    const auto reports = s.reports();
    EXPECT_EQ(std::count(reports.begin(), reports.end(), "双指张开 → 放大"), 300);
    EXPECT_EQ(std::count(reports.begin(), reports.end(), "三指捏合 → 应用程序索引"), 300);
}

}  // namespace
}  // namespace tavix::testing
