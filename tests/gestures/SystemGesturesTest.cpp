#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Tavix/events/Actions.h"
#include "Tavix/gestures/SystemGestures.h"
#include "tests/support/Scenario.h"

namespace tavix::testing {
namespace {

using platform::EventField;
using platform::EventType;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr SystemGestureSwitches kAllOn{
    .pageSwipe = true, .fullscreenSwipe = true, .missionControlTap = true, .smartZoom = true};

// The engine's scenario with the recogniser beside it, fed the same frames.
class SystemScenario : public Scenario {
  public:
    explicit SystemScenario(SystemGestureSwitches on = kAllOn) {
        gestures.setSwitches(on);
        gestures.setConfig(GestureConfig{});
        gestures.onGesture = [this](const SystemGestureReport& r) {
            std::string line(systemGestureName(r.gesture));
            if (r.direction != SystemDirection::none) {
                line += ' ';
                line += systemDirectionName(r.direction);
            }
            fired.push_back(line);
            texts.emplace_back(r.text);
        };
        MultitouchManager::shared().onFrame = [this](const MTDeviceInfo&,
                                                     std::span<const Touch> touches) {
            engine.process(touches);
            gestures.process(touches);
        };
    }

    void setConfig(const GestureConfig& config) {
        Scenario::setConfig(config);
        gestures.setConfig(config);
    }

    // One finger from x0 to x1 (mm) in `steps` frames over `seconds`, drifting `dy` in y.
    void swipe1(double t, double x0, double x1, double seconds, double dy = 0, int steps = 8) {
        for (int i = 0; i <= steps; ++i) {
            const double f = static_cast<double>(i) / steps;
            frame(t + f * seconds, {{1, x0 + f * (x1 - x0), 45 + f * dy}});
        }
        frame(t + seconds + 0.2, {});
    }

    // Two fingers 20 mm apart, their middle moving by (dx, dy), drawing apart by `spread`.
    void swipe2(double t, double dx, double dy, double seconds, double spread = 0) {
        for (int i = 0; i <= 8; ++i) {
            const double f = i / 8.0;
            const double half = 10 + f * spread / 2;
            frame(t + f * seconds,
                  {{1, 25 - half + f * dx, 45 + f * dy}, {2, 25 + half + f * dx, 45 + f * dy}});
        }
        frame(t + seconds + 0.2, {});
    }

    void tap2(double down, double up, int32_t firstId = 1) {
        frame(down, pair(20, firstId));
        frame(up, {});
    }

    std::vector<std::pair<EventType, int64_t>> buttonsAndKeys() const {
        std::vector<std::pair<EventType, int64_t>> out;
        for (const auto& p : posted()) {
            const auto type = p.event.type();
            if (type == EventType::otherMouseDown || type == EventType::otherMouseUp) {
                EXPECT_TRUE(isMarked(p.event));
                out.emplace_back(type, p.event.integerValue(EventField::mouseEventButtonNumber));
            } else if (type == EventType::keyDown || type == EventType::keyUp) {
                EXPECT_EQ(p.event.flags(), platform::kEventFlagMaskControl);
                out.emplace_back(type, p.event.integerValue(EventField::keyboardEventKeycode));
            }
        }
        return out;
    }

    std::vector<double> zoomAmounts() const {
        std::vector<double> out;
        for (const auto& p : posted()) {
            if (p.event.type() == EventType::gesture &&
                p.event.integerValue(EventField::gesturePhase) == 2) {
                out.push_back(p.event.doubleValue(EventField::gestureZoomValue));
            }
        }
        return out;
    }

    SystemGestures gestures{engine};
    std::vector<std::string> fired;
    std::vector<std::string> texts;
};

// A quarter of the 50 mm width (12.5 mm) within 0.4 s, mostly sideways: pages follow the finger.
TEST(PageSwipe, FiresOnceWithTheSideButtonOfItsDirection) {
    SystemScenario s;
    s.swipe1(10, 10, 30, 0.2);
    s.swipe1(20, 40, 20, 0.2);
    EXPECT_THAT(s.fired, ElementsAre("pageSwipe back", "pageSwipe forward"));
    EXPECT_THAT(s.texts, ElementsAre("单指轻扫 → 后退", "单指轻扫 → 前进"));
    EXPECT_THAT(s.buttonsAndKeys(), ElementsAre(std::pair(EventType::otherMouseDown, 3),
                                                std::pair(EventType::otherMouseUp, 3),
                                                std::pair(EventType::otherMouseDown, 4),
                                                std::pair(EventType::otherMouseUp, 4)));
}

TEST(PageSwipe, ScrollingDraggingAndShortStrokesAreNoSwipe) {
    SystemScenario s;
    s.swipe1(10, 10, 30, 0.8);      // slow: a horizontal scroll
    s.swipe1(20, 10, 30, 0.2, 12);  // more vertical than half the horizontal travel
    s.swipe1(30, 10, 21, 0.2);      // 11 mm: under a quarter of the width
    s.swipe1(40, 10, 30, 0.2);      // fires: the cases above are near misses
    EXPECT_THAT(s.fired, ElementsAre("pageSwipe back"));
}

// Two fingers: the pair's middle, measured from when both are down; toward growing x is the
// workspace on the left (Control-Left), the other way Control-Right.
TEST(FullscreenSwipe, FiresOnceForTheWorkspaceOnEitherSide) {
    SystemScenario s;
    s.swipe2(10, 20, 0, 0.25);
    s.swipe2(20, -20, 0, 0.25);
    EXPECT_THAT(s.fired, ElementsAre("fullscreenSwipe left", "fullscreenSwipe right"));
    EXPECT_THAT(s.texts, ElementsAre("双指轻扫 → 上一个桌面", "双指轻扫 → 下一个桌面"));
    EXPECT_THAT(s.buttonsAndKeys(),
                ElementsAre(std::pair(EventType::keyDown, Actions::kKeyLeftArrow),
                            std::pair(EventType::keyUp, Actions::kKeyLeftArrow),
                            std::pair(EventType::keyDown, Actions::kKeyRightArrow),
                            std::pair(EventType::keyUp, Actions::kKeyRightArrow)));
}

TEST(FullscreenSwipe, VerticalScrollZoomAndAThirdFingerAreNoSwipe) {
    SystemScenario s;
    s.swipe2(10, 3, 25, 0.25);      // scrolling up the mouse
    s.swipe2(20, 20, 0, 0.25, 8);   // spreading while moving: a zoom, and only a zoom
    s.swipe2(25, 20, 0, 0.25, -8);  // and drawing together
    EXPECT_THAT(s.reports(), ElementsAre("双指张开 → 放大", "双指捏合 → 缩小"));
    s.frame(30, {{3, 5, 10}});  // a third finger in the same touch, lifted as two swipe
    s.swipe2(30.01, 20, 0, 0.25);
    EXPECT_THAT(s.fired, IsEmpty());
    EXPECT_THAT(s.buttonsAndKeys(), IsEmpty());
}

// Two taps as short and still as a three-finger tap must be, the second starting within the
// double-click interval (0.5 s) of the first one's end.
TEST(MissionControlTap, TwoTwoFingerTapsToggleTheOverviewOnce) {
    SystemScenario s;
    s.tap2(10.0, 10.1);
    s.tap2(10.4, 10.5, 5);
    s.tap2(10.8, 10.9, 7);  // a third tap starts the next pair
    EXPECT_THAT(s.fired, ElementsAre("missionControlTap"));
    EXPECT_THAT(s.texts, ElementsAre("双指连按两下 → 调度中心"));
    const auto opened = s.platform.workspace->opens();
    ASSERT_EQ(opened.size(), 1U);
    EXPECT_EQ(opened[0].path, "/System/Applications/Mission Control.app");
    EXPECT_THAT(opened[0].configuration.arguments, IsEmpty());
}

TEST(MissionControlTap, TooSlowTooFarApartOrMovingIsNothing) {
    SystemScenario s;
    s.tap2(10.0, 10.4);  // each held 0.4 s
    s.tap2(10.6, 11.0);
    s.tap2(20.0, 20.1);  // 0.6 s between them
    s.tap2(20.7, 20.8);
    s.frame(30.0, pair(20));  // the first one slides 3 mm
    s.frame(30.05, {{1, 18, 45}, {2, 38, 45}});
    s.frame(30.1, {});
    s.tap2(30.3, 30.4);
    // The second tap must have as many fingers as the first, one between or not.
    s.tap(40.0, 40.08);
    s.tap2(40.2, 40.28);
    s.tap(40.4, 40.48);
    s.tap2(50.0, 50.08);
    s.tap(50.2, 50.28);
    s.tap2(50.4, 50.48);
    EXPECT_THAT(s.fired, IsEmpty());
}

// Alongside the engine's double click: in, and the next double tap back out.
TEST(SmartZoom, OneFingerDoubleTapZoomsInThenOut) {
    SystemScenario s;
    s.tap(10.0, 10.1);
    s.tap(10.3, 10.4);
    s.tap(20.0, 20.1);
    s.tap(20.3, 20.4);
    EXPECT_THAT(s.fired, ElementsAre("smartZoom in", "smartZoom out"));
    EXPECT_THAT(s.texts, ElementsAre("单指连按两下 → 智能缩放", "单指连按两下 → 智能缩放"));
    EXPECT_THAT(s.zoomAmounts(), ElementsAre(0.4, -0.4));
    EXPECT_THAT(s.reports(), ElementsAre("单指轻点 → 点按", "单指轻点两下 → 连按",
                                         "单指轻点 → 点按", "单指轻点两下 → 连按"));
}

TEST(SystemGestures, EachSwitchOffMeansItsGestureNeverFires) {
    auto play = [](SystemScenario& s) {
        s.swipe1(10, 10, 30, 0.2);
        s.swipe2(20, 20, 0, 0.25);
        s.tap2(30.0, 30.1);
        s.tap2(30.4, 30.5);
        s.tap(40.0, 40.1);
        s.tap(40.3, 40.4);
    };
    const std::pair<bool SystemGestureSwitches::*, const char*> switches[] = {
        {&SystemGestureSwitches::pageSwipe, "pageSwipe back"},
        {&SystemGestureSwitches::fullscreenSwipe, "fullscreenSwipe left"},
        {&SystemGestureSwitches::missionControlTap, "missionControlTap"},
        {&SystemGestureSwitches::smartZoom, "smartZoom in"},
    };
    for (const auto& [field, name] : switches) {
        SCOPED_TRACE(name);
        SystemGestureSwitches on = kAllOn;
        on.*field = false;
        SystemScenario s(on);
        play(s);
        EXPECT_EQ(s.fired.size(), 3U);
        EXPECT_THAT(s.fired, ::testing::Not(::testing::Contains(name)));
    }
    SystemScenario off(SystemGestureSwitches{});
    play(off);
    EXPECT_THAT(off.fired, IsEmpty());
}

TEST(SystemGestures, NothingWhileTheEngineIsOffOrAButtonIsPressed) {
    SystemScenario s;
    GestureConfig config;
    config.enabled = false;
    s.setConfig(config);
    s.swipe1(10, 10, 30, 0.2);
    s.tap2(20.0, 20.1);
    s.tap2(20.4, 20.5);
    s.setConfig(GestureConfig{});

    s.frame(30.0, {{1, 10, 45}});
    s.platform.clock->set(30.05);
    s.gestures.notePhysicalClick();
    s.swipe1(30.1, 10, 30, 0.2);
    EXPECT_THAT(s.fired, IsEmpty());

    // Switched on during a touch: from the next one.
    SystemScenario later(SystemGestureSwitches{});
    later.frame(10.0, {{1, 10, 45}});
    later.gestures.setSwitches(kAllOn);
    later.swipe1(10.01, 10, 30, 0.2);
    later.swipe1(20, 10, 30, 0.2);
    EXPECT_THAT(later.fired, ElementsAre("pageSwipe back"));
}

}  // namespace
}  // namespace tavix::testing
