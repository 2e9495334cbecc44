#include <gtest/gtest.h>

#include <linux/input-event-codes.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/linux/SystemClock.h"
#include "platform/linux/output/OutputScheduler.h"

namespace tavix::platform::output {
namespace {

// Keeps every frame and notes when two writes overlap.
class CheckingSink final : public input::InputSink {
  public:
    bool writeFrame(std::span<const input::InputEvent> events) override {
        if (inFlight_.fetch_add(1) != 0) overlapped = true;
        std::this_thread::yield();  // widens the window in which a second writer would show
        {
            std::lock_guard guard(mutex_);
            values_.push_back(events.front().value);
        }
        inFlight_.fetch_sub(1);
        return true;
    }
    std::vector<int32_t> values() {
        std::lock_guard guard(mutex_);
        return values_;
    }
    std::atomic<bool> overlapped{false};

  private:
    std::atomic<int> inFlight_{0};
    std::mutex mutex_;
    std::vector<int32_t> values_;
};

struct NoSleep final : Sleeper {
    void sleepUntil(double) override {}
};

// Frames due at once are written by whichever thread queues them while nothing is ahead, the
// others by the writer thread: never two at a time, and each thread's frames in its order.
TEST(OutputScheduler, FramesWrittenOnQueuingThreadsNeverOverlapOrReorder) {
    auto sink = std::make_shared<CheckingSink>();
    constexpr int kPerThread = 2000;
    {
        OutputScheduler scheduler(sink, nullptr, std::make_shared<SystemClock>(),
                                  std::make_shared<NoSleep>(), {0, 0, 0, 0});
        auto queue = [&](int32_t base) {
            for (int32_t i = 0; i < kPerThread; ++i) {
                // Two frames at a time, as a click's press and release come.
                scheduler.enqueue({{OutputDevice::pointer, {{EV_REL, REL_X, base + 2 * i}}},
                                   {OutputDevice::pointer, {{EV_REL, REL_X, base + 2 * i + 1}}}});
            }
        };
        std::thread first(queue, 0);
        std::thread second(queue, 1'000'000);
        first.join();
        second.join();
        scheduler.waitIdle();
    }
    EXPECT_FALSE(sink->overlapped.load());
    const auto values = sink->values();
    ASSERT_EQ(values.size(), 4u * kPerThread);
    int32_t lastFirst = -1;
    int32_t lastSecond = -1;
    for (const int32_t v : values) {
        int32_t& last = v < 1'000'000 ? lastFirst : lastSecond;
        EXPECT_GT(v, last);
        last = v;
    }
}

}  // namespace
}  // namespace tavix::platform::output
