#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "Tavix/events/EventMarker.h"
#include "Tavix/events/InputMonitor.h"
#include "Tavix/gestures/GestureEngine.h"
#include "Tavix/gestures/SystemGestures.h"
#include "platform/sim/SimulatedPlatform.h"

namespace tavix::testing {
namespace {

using platform::Event;
using platform::EventType;
using ::testing::ElementsAre;

// The monitor and the engine are process-wide; each test starts later on the clock than the last,
// and leaves the surface empty and the monitor stopped.
class InputMonitorTest : public ::testing::Test {
  protected:
    InputMonitorTest() {
        static double nextBase = 1000;
        base = nextBase += 100;
        at(0);
    }
    ~InputMonitorTest() override {
        frame(90, {});
        InputMonitor::shared().stop();
    }

    void at(double t) { platform.clock->set(base + t); }

    void frame(double t, std::vector<Touch> touches) {
        at(t);
        GestureEngine::shared().process(touches);
        platform.queue->drain();
    }

    void zoom(double t) {
        frame(t, {{1, 4, 0, 0, {10, 45}}, {2, 4, 0, 0, {30, 45}}});
        frame(t + 0.01, {{1, 4, 0, 0, {5, 45}}, {2, 4, 0, 0, {35, 45}}});
    }

    // Each injected event's verdict, in order.
    std::vector<std::string> verdicts(std::initializer_list<std::pair<EventType, bool>> inputs) {
        platform.backend->clear();
        for (const auto& [type, marked] : inputs) {
            Event e;
            e.setType(type);
            if (marked)
                e.setIntegerValue(platform::EventField::eventSourceUserData, kTavixEventMarker);
            platform.events->injectPhysical(e);
        }
        platform.queue->drain();
        std::vector<std::string> out;
        for (const auto& p : platform.backend->passed()) {
            out.push_back(p.delivered ? "passed" : "dropped");
        }
        return out;
    }

    std::size_t clicks() const {
        std::size_t n = 0;
        for (const auto& p : platform.backend->posted()) {
            n += p.event.type() == EventType::leftMouseDown;
        }
        return n;
    }

    platform::SimulatedPlatform platform;
    double base = 0;
};

TEST_F(InputMonitorTest, StartsOnceAndReportsItsState) {
    auto& monitor = InputMonitor::shared();
    EXPECT_FALSE(monitor.isRunning());

    platform.backend->setCanCreateTap(false);
    EXPECT_FALSE(monitor.start());
    EXPECT_FALSE(monitor.isRunning());

    platform.backend->setCanCreateTap(true);
    EXPECT_TRUE(monitor.start());
    EXPECT_TRUE(monitor.isRunning());
    EXPECT_TRUE(monitor.start());

    // One stop removes everything a double start made: nothing filters scrolls any more.
    monitor.stop();
    EXPECT_FALSE(monitor.isRunning());
    zoom(0);
    EXPECT_THAT(verdicts({{EventType::scrollWheel, false}}), ElementsAre("passed"));
}

TEST_F(InputMonitorTest, ReenablesItselfAfterTheSystemTurnsItOff) {
    auto& monitor = InputMonitor::shared();
    ASSERT_TRUE(monitor.start());
    for (EventType notice : {EventType::tapDisabledByTimeout, EventType::tapDisabledByUserInput}) {
        platform.backend->clear();
        platform.events->disableTaps(notice);
        EXPECT_FALSE(monitor.isRunning());
        platform.queue->drain();
        EXPECT_TRUE(monitor.isRunning());
        const auto passed = platform.backend->passed();
        ASSERT_EQ(passed.size(), 1u);
        EXPECT_EQ(passed[0].event.type(), notice);
        EXPECT_TRUE(passed[0].delivered);
    }
}

TEST_F(InputMonitorTest, WhileZoomingUnmarkedScrollsAndMagnifiesAreDropped) {
    ASSERT_TRUE(InputMonitor::shared().start());
    zoom(0);
    ASSERT_TRUE(GestureEngine::shared().shouldSuppressScroll());
    EXPECT_THAT(verdicts({{EventType::scrollWheel, false},
                          {EventType::magnify, false},
                          {EventType::gesture, false},
                          {EventType::scrollWheel, true},
                          {EventType::magnify, true},
                          {EventType::leftMouseDown, false}}),
                ElementsAre("dropped", "dropped", "passed", "passed", "passed", "passed"));

    frame(1, {});  // the zoom ends: scrolling stays held back for 0.6 s
    at(1.59);
    EXPECT_THAT(verdicts({{EventType::scrollWheel, false}}), ElementsAre("dropped"));
    at(1.6);
    EXPECT_THAT(verdicts({{EventType::scrollWheel, false}}), ElementsAre("passed"));
}

// The driver's wheel from the swiping finger passes until the swipe is recognised, then is held
// back until the finger lifts.
TEST_F(InputMonitorTest, ASystemSwipeHoldsTheWheelBackFromRecognitionToLift) {
    ASSERT_TRUE(InputMonitor::shared().start());
    auto& system = SystemGestures::shared();
    system.setSwitches({.pageSwipe = true});
    auto swipeFrame = [&](double t, double x) {
        at(t);
        const std::vector<Touch> touches{{1, 4, x / 50, 0.5, {x, 45}}};
        GestureEngine::shared().process(touches);
        system.process(touches);
        platform.queue->drain();
    };
    swipeFrame(0, 10);
    swipeFrame(0.05, 18);
    EXPECT_THAT(verdicts({{EventType::scrollWheel, false}}), ElementsAre("passed"));
    swipeFrame(0.1, 26);  // recognised
    EXPECT_THAT(verdicts({{EventType::scrollWheel, false}, {EventType::scrollWheel, false}}),
                ElementsAre("dropped", "dropped"));
    swipeFrame(0.6, 40);  // still down, long after
    EXPECT_THAT(verdicts({{EventType::scrollWheel, false}}), ElementsAre("dropped"));
    at(0.7);
    system.process({});
    EXPECT_THAT(verdicts({{EventType::scrollWheel, false}}), ElementsAre("passed"));
    system.setSwitches({});
}

TEST_F(InputMonitorTest, PhysicalPressesAndScrollsCancelATapButOurOwnEventsDoNot) {
    ASSERT_TRUE(InputMonitor::shared().start());
    const Touch finger{7, 4, 0, 0, {25, 45}};
    auto tapWith = [&](double t, std::initializer_list<std::pair<EventType, bool>> inputs) {
        frame(t, {finger});
        at(t + 0.05);
        verdicts(inputs);
        const auto before = clicks();
        frame(t + 0.1, {});
        return clicks() - before;
    };
    EXPECT_EQ(tapWith(0, {{EventType::scrollWheel, true}, {EventType::leftMouseDown, true}}), 1u);
    EXPECT_EQ(tapWith(10, {{EventType::rightMouseDown, false}}), 0u);
    EXPECT_EQ(tapWith(20, {{EventType::otherMouseDown, false}}), 0u);
    EXPECT_EQ(tapWith(30, {{EventType::scrollWheel, false}}), 0u);
    // Releases are not watched.
    EXPECT_EQ(tapWith(40, {{EventType::leftMouseUp, false}, {EventType::rightMouseUp, false}}), 1u);
}

TEST_F(InputMonitorTest, OurOwnClicksPassThroughTheTap) {
    ASSERT_TRUE(InputMonitor::shared().start());
    frame(0, {{7, 4, 0, 0, {25, 45}}});
    platform.backend->clear();
    frame(0.1, {});
    const auto passed = platform.backend->passed();
    ASSERT_EQ(passed.size(), 2u);
    EXPECT_TRUE(passed[0].delivered && passed[1].delivered);
    EXPECT_EQ(passed[0].origin, platform::EventOrigin::posted);
}

}  // namespace
}  // namespace tavix::testing
