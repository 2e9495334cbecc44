#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/Scenario.h"

namespace tavix::testing {
namespace {

using platform::EventField;
using platform::EventTapLocation;
using platform::EventType;
using ::testing::DoubleNear;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

struct Magnify {
    int64_t phase;
    double amount;
};

std::vector<Magnify> magnifications(const Scenario& s) {
    std::vector<Magnify> steps;
    for (const auto& p : s.posted()) {
        if (p.event.type() != EventType::gesture) continue;
        EXPECT_EQ(p.location, EventTapLocation::session);
        EXPECT_EQ(p.event.integerValue(EventField::gestureHIDType), 8);
        EXPECT_TRUE(isMarked(p.event));
        steps.push_back({p.event.integerValue(EventField::gesturePhase),
                         p.event.doubleValue(EventField::gestureZoomValue)});
    }
    return steps;
}

std::vector<int64_t> phases(const Scenario& s) {
    std::vector<int64_t> out;
    for (const auto& m : magnifications(s)) out.push_back(m.phase);
    return out;
}

std::vector<int64_t> keys(const Scenario& s) {
    std::vector<int64_t> out;
    for (const auto& p : s.posted()) {
        if (p.event.type() == EventType::keyDown) {
            out.push_back(p.event.integerValue(EventField::keyboardEventKeycode));
        }
    }
    return out;
}

// A pinch from a 10 mm spread: 8.5 mm holds, 8.3 mm fires; with a 5 mm base the fixed 1.5 mm
// minimum holds the ratio rule back until 3.5 mm (just under, as positions pass through floats).
TEST(ThreeFingerPinch, FiresOnceAtTheThresholds) {
    struct Case {
        double base, holds, fires;
    };
    for (const Case c : {Case{10, 8.5, 8.3}, Case{5, 3.6, 3.49}}) {
        SCOPED_TRACE(c.base);
        Scenario s;
        s.frame(10.0, triangle(c.base));
        s.frame(10.05, triangle(c.holds));
        EXPECT_THAT(s.reports(), IsEmpty());
        s.frame(10.1, triangle(c.fires));
        s.frame(10.15, triangle(c.fires - 1));
        s.frame(10.2, triangle(c.base));
        s.frame(10.25, triangle(c.fires - 2));
        s.platform.queue->drain();
        EXPECT_THAT(s.reports(), ElementsAre("三指捏合 → 应用程序索引"));
    }
}

// Once fired, the pinch holds back one-finger taps and further pinches until the surface is
// empty. Disabling the engine starts the pinch afresh from the spread of the fingers still down.
TEST(ThreeFingerPinch, FiredHoldsUntilTheSurfaceEmptiesOrTheEngineIsDisabled) {
    Scenario s;
    s.frame(10.0, triangle(10));
    s.frame(10.05, triangle(7));
    const Contact resting = triangle(7)[0];
    s.frame(10.4, {resting});
    s.frame(10.6, {resting, {4, 25, 45}});
    s.frame(10.7, {resting});  // a tap, but in the touch sequence of the pinch
    s.frame(10.8, {});
    s.tap(11.5, 11.6);
    s.frame(12.0, triangle(10));
    s.frame(12.05, triangle(7));

    GestureConfig off;
    off.enabled = false;
    s.setConfig(off);
    s.frame(12.1, triangle(7));
    s.setConfig(GestureConfig{});
    s.frame(12.15, triangle(7));  // the new base: against the old 10 mm this would fire
    EXPECT_EQ(s.reports().size(), 3u);
    s.frame(12.2, triangle(5));
    EXPECT_THAT(s.reports(), ElementsAre("三指捏合 → 应用程序索引", "单指轻点 → 点按",
                                         "三指捏合 → 应用程序索引", "三指捏合 → 应用程序索引"));
}

TEST(ThreeFingerPinch, NeverFiresOnASmallOrGrowingSpread) {
    Scenario s;
    s.frame(10.0, triangle(3.9));
    s.frame(10.1, triangle(1.0));
    s.frame(10.2, {});
    s.frame(11.0, triangle(5.0));
    s.frame(11.1, triangle(9.0));
    s.frame(11.2, triangle(14.0));
    EXPECT_THAT(s.reports(), IsEmpty());
}

TEST(ThreeFingerPinch, OpensTheConfiguredTargetAndCancelsTheThreeFingerTap) {
    Scenario s;
    GestureConfig cfg;
    cfg.pinch3Action = PinchAction::showDesktop;
    s.setConfig(cfg);
    s.frame(10.0, triangle(10));
    s.frame(10.05, triangle(7));
    s.frame(10.1, {});
    EXPECT_THAT(s.reports(), ElementsAre("三指捏合 → 显示桌面"));
    ASSERT_EQ(s.platform.workspace->opens().size(), 1u);
    EXPECT_EQ(s.platform.workspace->opens()[0].configuration.arguments,
              std::vector<std::string>{"1"});
    for (const auto& p : s.posted()) EXPECT_NE(p.event.type(), EventType::rightMouseDown);
}

// Fingers rolled in one by one after the pinch, the surface never empty: once the pinch's fingers
// have all lifted, three new ones form a tap group in time, but it belongs to the pinch's touch
// sequence and gives no secondary click.
TEST(ThreeFingerPinch, NoThreeFingerTapInTheTouchSequenceOfAFiredPinch) {
    Scenario s;
    s.frame(10.0, triangle(10));
    s.frame(10.05, triangle(7));
    const auto old = triangle(7);
    const auto rolled = triangle(7, 4);
    s.frame(10.35, {old[1], old[2], rolled[0]});
    s.frame(10.4, {old[2], rolled[0], rolled[1]});
    s.frame(10.45, {rolled[0], rolled[1]});  // the pinch's own group is gone
    s.frame(10.5, rolled);
    s.frame(10.55, {});
    EXPECT_THAT(s.reports(), ElementsAre("三指捏合 → 应用程序索引"));
    for (const auto& p : s.posted()) EXPECT_NE(p.event.type(), EventType::rightMouseDown);
}

TEST(ThreeFingerPinch, FourthFingerRestartsTheMeasurement) {
    Scenario s;
    s.frame(10.0, triangle(10));
    auto four = triangle(6);
    four.push_back({9, 25, 45});
    s.frame(10.05, four);  // new base: the four-finger spread, 4.5 mm
    four = triangle(5.6);
    four.push_back({9, 25, 45});
    s.frame(10.08, four);  // 4.2 mm: far below the three-finger base, not below the new one
    EXPECT_THAT(s.reports(), IsEmpty());
    four = triangle(3.9);
    four.push_back({9, 25, 45});
    s.frame(10.1, four);
    EXPECT_EQ(s.reports().size(), 1u);
}

TEST(ThreeFingerPinch, SurvivesAShortDipInFingerCount) {
    for (const auto& [dip, fires] : {std::pair{0.1, true}, std::pair{0.2, false}}) {
        SCOPED_TRACE(dip);
        Scenario s;
        s.frame(10.0, triangle(10));
        for (double t = 10.05; t <= 10.0 + dip + 1e-9; t += 0.05) s.frame(t, pair(2));
        s.frame(10.05 + dip, triangle(8.0));
        EXPECT_EQ(s.reports().size(), fires ? 1u : 0u);
    }
}

TEST(TwoFingerZoom, NativeBeginsPastTheThresholdThenStepsAndEnds) {
    Scenario s;
    s.frame(10.0, pair(20));
    s.frame(10.05, pair(23.5));
    EXPECT_THAT(s.posted(), IsEmpty());
    s.frame(10.1, pair(24.5));
    EXPECT_THAT(s.reports(), ElementsAre("双指张开 → 放大"));
    EXPECT_TRUE(s.engine.shouldSuppressScroll());
    s.frame(10.15, pair(25.5));
    // Steps too small to send are dropped, never saved up.
    for (int i = 1; i <= 5; ++i) s.frame(10.15 + i * 0.01, pair(25.5 + i * 0.004));
    s.frame(10.25, {});

    const auto steps = magnifications(s);
    ASSERT_EQ(steps.size(), 3u);
    EXPECT_EQ(steps[0].phase, 1);
    EXPECT_EQ(steps[0].amount, 0.0);
    EXPECT_EQ(steps[1].phase, 2);
    EXPECT_THAT(steps[1].amount, DoubleNear(1.6 * 1.0 / 20, 1e-5));
    EXPECT_EQ(steps[2].phase, 4);
    EXPECT_EQ(steps[2].amount, 0.0);
}

TEST(TwoFingerZoom, PinchingInZoomsOutWithANegativeAmount) {
    Scenario s;
    s.frame(10.0, pair(20));
    s.frame(10.05, pair(15.5));
    s.frame(10.1, pair(14.5));
    EXPECT_THAT(s.reports(), ElementsAre("双指捏合 → 缩小"));
    EXPECT_LT(magnifications(s).back().amount, 0);
}

TEST(TwoFingerZoom, FingersThatStartCloseNeverZoom) {
    Scenario s;
    s.frame(10.0, pair(2.5));
    s.frame(10.1, pair(12));
    s.frame(10.2, pair(30));
    EXPECT_THAT(s.posted(), IsEmpty());
}

TEST(TwoFingerZoom, SmallBaseIsFlooredAtEightMillimetres) {
    Scenario s;
    s.frame(10.0, pair(4));
    s.frame(10.05, pair(8.5));
    s.frame(10.1, pair(9.5));
    EXPECT_THAT(magnifications(s).back().amount, DoubleNear(1.6 * 1.0 / 8, 1e-5));
}

TEST(TwoFingerZoom, KeyboardModeSendsOneStrokePerAccumulatedStep) {
    Scenario s;
    GestureConfig cfg;
    cfg.zoomMode = ZoomMode::keyboard;
    s.setConfig(cfg);
    s.frame(10.0, pair(20));
    s.frame(10.01, pair(24.5));  // begins; no amount yet
    double t = 10.01;
    for (int i = 1; i <= 20; ++i) s.frame(t += 0.01, pair(24.5 + i));
    EXPECT_THAT(keys(s), ::testing::Each(24));
    EXPECT_EQ(keys(s).size(), 8u);
    for (const auto& p : s.posted()) {
        EXPECT_EQ(p.event.flags(), platform::kEventFlagMaskCommand);
        EXPECT_TRUE(isMarked(p.event));
    }
    EXPECT_THAT(magnifications(s), IsEmpty());

    for (int i = 1; i <= 5; ++i) s.frame(t += 0.01, pair(44.5 - 2 * i));
    EXPECT_THAT(keys(s).back(), 27);
    EXPECT_THAT(s.reports(), ElementsAre("双指张开 → 放大"));

    // A new pair starts with nothing saved up: 0.2 gives a stroke, whatever the old pair left.
    s.frame(t += 0.01, pair(20, 5));
    s.frame(t += 0.01, pair(24.5, 5));
    const auto before = keys(s).size();
    s.frame(t += 0.01, pair(27, 5));
    EXPECT_EQ(keys(s).size(), before + 1);
    EXPECT_EQ(keys(s).back(), 24);
}

TEST(TwoFingerZoom, AThirdFingerEndsItAndHoldsBackScrolling) {
    Scenario s;
    s.frame(10.0, pair(20));
    s.frame(10.1, pair(25));
    auto three = pair(26);
    three.push_back({3, 25, 70});
    s.frame(10.2, three);
    EXPECT_THAT(phases(s), ElementsAre(1, 4));

    s.platform.clock->set(10.79);
    EXPECT_TRUE(s.engine.shouldSuppressScroll());
    s.platform.clock->set(10.8);
    EXPECT_FALSE(s.engine.shouldSuppressScroll());

    s.frame(10.9, pair(26));  // third finger lifted: no new zoom until the surface is empty
    s.frame(11.0, pair(35));
    EXPECT_THAT(phases(s), ElementsAre(1, 4));
    s.frame(11.1, {});
    s.frame(11.2, pair(20));
    s.frame(11.3, pair(30));
    EXPECT_THAT(phases(s), ElementsAre(1, 4, 1));
}

TEST(TwoFingerZoom, AZoomsFingersNeverMakeAThreeFingerTap) {
    Scenario s;
    s.frame(10.0, pair(20));
    s.frame(10.05, pair(24.5));  // each finger moved 2.25 mm: still a tap's worth
    auto three = pair(24.5);
    three.push_back({3, 25, 70});
    s.frame(10.1, three);
    s.frame(10.2, {});
    for (const auto& p : s.posted()) EXPECT_NE(p.event.type(), EventType::rightMouseDown);
}

// The second finger came down long enough after the first to pass for a lone tap, and lifts
// quickly, unmoved, in the middle of the zoom: no click.
TEST(TwoFingerZoom, ItsSecondFingerLiftedQuicklyIsNoClick) {
    Scenario s;
    s.frame(10.0, {{1, 15, 45}});
    s.frame(10.2, {{1, 15, 45}, {2, 35, 45}});
    s.frame(10.25, {{1, 10, 45}, {2, 35, 45}});
    s.frame(10.3, {{1, 9, 45}, {2, 35, 45}});
    s.frame(10.35, {{1, 9, 45}});
    EXPECT_THAT(phases(s), ElementsAre(1, 2, 4));
    for (const auto& p : s.posted()) EXPECT_NE(p.event.type(), EventType::leftMouseDown);
}

TEST(TwoFingerZoom, DisablingMidZoomEndsItAtTheNextFrame) {
    Scenario s;
    s.frame(10.0, pair(20));
    s.frame(10.1, pair(25));
    GestureConfig off;
    off.enabled = false;
    s.setConfig(off);
    s.frame(10.2, pair(30));
    EXPECT_THAT(phases(s), ElementsAre(1, 4));

    s.setConfig(GestureConfig{});
    s.frame(10.3, pair(35));  // the pair was cleared: this frame only records it again
    EXPECT_THAT(phases(s), ElementsAre(1, 4));
}

TEST(TwoFingerZoom, EndingFollowsTheLiveModeNotTheFramesCopy) {
    Scenario s;
    s.frame(10.0, pair(20));
    s.frame(10.1, pair(25));
    GestureConfig keyboard;
    keyboard.zoomMode = ZoomMode::keyboard;
    s.setConfig(keyboard);
    s.frame(10.2, {});
    EXPECT_THAT(phases(s), ElementsAre(1));  // began, never ended
}

TEST(TwoFingerZoom, ANewPairEndsTheZoom) {
    Scenario s;
    s.frame(10.0, pair(20));
    s.frame(10.1, pair(25));
    s.frame(10.2, pair(25, 5));
    EXPECT_THAT(phases(s), ElementsAre(1, 4));
}

}  // namespace
}  // namespace tavix::testing
