#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/Scenario.h"

namespace tavix::testing {
namespace {

using platform::EventField;
using platform::EventTapLocation;
using platform::EventType;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::vector<int64_t> clickStates(const Scenario& s) {
    std::vector<int64_t> states;
    for (const auto& p : s.posted()) {
        if (p.event.type() == EventType::leftMouseDown) {
            states.push_back(p.event.integerValue(EventField::mouseEventClickState));
        }
    }
    return states;
}

TEST(OneFingerTap, ClicksAtThePointerWithMarkedDownUpPair) {
    Scenario s;
    s.frame(10.0, {{1, 25, 45}});
    s.frame(10.05, {{1, 25.5, 45.5}});
    s.frame(10.1, {});

    const auto posted = s.posted();
    ASSERT_EQ(posted.size(), 2u);
    const EventType types[] = {EventType::leftMouseDown, EventType::leftMouseUp};
    for (std::size_t i = 0; i < 2; ++i) {
        const auto& e = posted[i].event;
        EXPECT_EQ(posted[i].location, EventTapLocation::hid);
        EXPECT_EQ(e.type(), types[i]);
        EXPECT_EQ(e.location(), (Point{500, 400}));
        EXPECT_EQ(e.integerValue(EventField::mouseEventButtonNumber), 0);
        EXPECT_EQ(e.integerValue(EventField::mouseEventClickState), 1);
        EXPECT_TRUE(isMarked(e));
        EXPECT_EQ(e.sourceState(), platform::EventSourceStateID::hidSystem);
    }
    EXPECT_THAT(s.reports(), ElementsAre("单指轻点 → 点按"));
    EXPECT_EQ(s.engine.shouldSuppressScroll(), false);
}

TEST(OneFingerTap, RepeatedTapsCountUpToThree) {
    Scenario s;
    s.tap(10.0, 10.1);
    s.tap(10.3, 10.4);  // touches down 0.3 s after the first, within the interval of the click
    s.tap(10.6, 10.7);
    s.tap(10.9, 11.0);
    EXPECT_THAT(clickStates(s), ElementsAre(1, 2, 3, 3));
    EXPECT_THAT(s.reports(), ElementsAre("单指轻点 → 点按", "单指轻点两下 → 连按",
                                         "单指轻点两下 → 连按", "单指轻点两下 → 连按"));

    s.tap(11.5, 11.6);  // lifted 0.6 s after the previous click
    EXPECT_EQ(clickStates(s).back(), 1);
}

TEST(OneFingerTap, CountRestartsWhenThePointerMovedBetweenClicks) {
    Scenario s;
    s.tap(10.0, 10.1);
    s.pointer({506, 400});
    s.tap(10.3, 10.4);
    EXPECT_THAT(clickStates(s), ElementsAre(1, 1));
}

TEST(OneFingerTap, RefusedWhenHeldTooLongOrMoved) {
    Scenario s;
    s.tap(10.0, 10.21);
    s.frame(11.0, {{1, 25, 45}});
    s.frame(11.05, {{1, 26.6, 45}});
    s.frame(11.1, {});
    EXPECT_THAT(s.posted(), IsEmpty());

    GestureConfig lenient;
    lenient.oneTapEnabled = false;
    s.setConfig(lenient);
    s.tap(12.0, 12.1);
    EXPECT_THAT(s.posted(), IsEmpty());
}

TEST(OneFingerTap, AnotherFingersRecentTouchDownRefusesUnlessItIsTheSameIdentifier) {
    {
        Scenario s;
        s.frame(10.0, {{1, 25, 45}});
        s.frame(10.05, {});  // tap one
        s.frame(10.1, {{2, 25, 45}});
        s.frame(10.15, {});  // tap two, a different id, 0.1 s after the first touch-down
        EXPECT_EQ(clickStates(s).size(), 1u);
    }
    {
        Scenario s;
        s.frame(10.0, {{1, 25, 45}});
        s.frame(10.05, {});
        s.frame(10.1, {{1, 25, 45}});  // the framework reuses the identifier
        s.frame(10.15, {});
        EXPECT_THAT(clickStates(s), ElementsAre(1, 2));
    }
}

TEST(OneFingerTap, TwoFingersNeverMakeAOneFingerTap) {
    Scenario s;
    s.frame(10.0, {{1, 20, 45}});
    s.frame(10.1, {{1, 20, 45}, {2, 30, 45}});
    s.frame(10.15, {});  // both lift together
    s.frame(11.0, {{3, 20, 45}});
    s.frame(11.1, {{3, 20, 45}, {4, 30, 45}});
    s.frame(11.15, {{4, 30, 45}});  // lift one by one
    s.frame(11.2, {});
    EXPECT_THAT(s.posted(), IsEmpty());
}

// Two resting fingers and the tapping one make three on the surface, but the first came down too
// long ago for a three-finger group to form: the tap is a lone one.
TEST(OneFingerTap, RestingFingersDownEarlierDoNotPreventIt) {
    Scenario s;
    s.frame(10.0, {{1, 10, 80}});
    s.frame(10.5, {{1, 10, 80}, {2, 25, 45}});
    s.frame(10.6, {{1, 10, 80}});
    s.frame(11.0, {{1, 10, 80}, {2, 40, 80}});
    s.frame(11.5, {{1, 10, 80}, {2, 40, 80}, {3, 25, 45}});
    s.frame(11.6, {{1, 10, 80}, {2, 40, 80}});
    s.frame(12.0, {});
    // Three held too long for a tap, one left resting: the stale group must not claim a tap that
    // reuses a lifted finger's identifier.
    s.frame(20.0, {{4, 10, 80}, {5, 40, 80}, {6, 25, 45}});
    s.frame(20.5, {{4, 10, 80}});
    s.frame(21.0, {{4, 10, 80}, {5, 25, 45}});
    s.frame(21.1, {{4, 10, 80}});
    std::vector<EventType> types;
    for (const auto& p : s.posted()) types.push_back(p.event.type());
    EXPECT_THAT(types, ElementsAre(EventType::leftMouseDown, EventType::leftMouseUp,
                                   EventType::leftMouseDown, EventType::leftMouseUp,
                                   EventType::leftMouseDown, EventType::leftMouseUp));
}

TEST(OneFingerTap, PhysicalClicksScrollsAndPointerMotionCancelIt) {
    {
        Scenario s;  // a press 30 ms before the touch-down belongs to the same click
        s.platform.clock->set(9.97);
        s.engine.notePhysicalClick();
        s.tap(10.0, 10.1);
        EXPECT_THAT(s.posted(), IsEmpty());
    }
    {
        Scenario s;  // 60 ms before: an unrelated click
        s.platform.clock->set(9.94);
        s.engine.notePhysicalClick();
        s.tap(10.0, 10.1);
        EXPECT_THAT(clickStates(s), ElementsAre(1));
    }
    for (const double scrolled : {10.05, 10.0}) {  // during the touch, or at its very instant
        Scenario s;
        s.frame(10.0, {{1, 25, 45}});
        s.platform.clock->set(scrolled);
        s.engine.noteScroll();
        s.frame(10.1, {});
        EXPECT_THAT(s.posted(), IsEmpty()) << scrolled;
    }
    {
        Scenario s;
        s.frame(10.0, {{1, 25, 45}});
        s.pointer({507, 400});
        s.frame(10.1, {});
        EXPECT_THAT(s.posted(), IsEmpty());
    }
}

TEST(ThreeFingerTap, GivesOneSecondaryClickAtThePointer) {
    Scenario s;
    s.frame(10.0, {{1, 15, 45}});
    s.frame(10.05, {{1, 15, 45}, {2, 25, 45}, {3, 35, 45}});
    s.pointer({300, 200});
    s.frame(10.2, {{1, 15, 45}, {2, 25, 46}, {3, 35, 45}});
    s.frame(10.25, {{2, 25, 46}});
    s.frame(10.28, {});

    const auto posted = s.posted();
    ASSERT_EQ(posted.size(), 2u);
    EXPECT_EQ(posted[0].event.type(), EventType::rightMouseDown);
    EXPECT_EQ(posted[1].event.type(), EventType::rightMouseUp);
    for (const auto& p : posted) {
        EXPECT_EQ(p.location, EventTapLocation::hid);
        EXPECT_EQ(p.event.location(), (Point{300, 200}));
        EXPECT_EQ(p.event.integerValue(EventField::mouseEventButtonNumber), 1);
        EXPECT_TRUE(isMarked(p.event));
    }
    EXPECT_THAT(s.reports(), ElementsAre("三指轻触 → 右键"));
}

TEST(ThreeFingerTap, CancelledByAFourthFingerALateLiftMovementOrAPhysicalClick) {
    auto threeDown = [](Scenario& s, double t) {
        s.frame(t, {{1, 15, 45}, {2, 25, 45}, {3, 35, 45}});
    };
    {
        Scenario s;
        threeDown(s, 10.0);
        s.frame(10.1, {{1, 15, 45}, {2, 25, 45}, {3, 35, 45}, {4, 25, 60}});
        s.frame(10.15, {{1, 15, 45}, {2, 25, 45}, {3, 35, 45}});
        s.frame(10.2, {});
        EXPECT_THAT(s.posted(), IsEmpty());
    }
    {
        Scenario s;
        threeDown(s, 10.0);
        s.frame(10.31, {});
        EXPECT_THAT(s.posted(), IsEmpty());
    }
    {
        Scenario s;
        threeDown(s, 10.0);
        s.frame(10.1, {{1, 15, 45}, {2, 25, 47.6}, {3, 35, 45}});
        s.frame(10.2, {});
        EXPECT_THAT(s.posted(), IsEmpty());
    }
    {
        Scenario s;
        threeDown(s, 10.0);
        s.platform.clock->set(10.1);
        s.engine.notePhysicalClick();
        s.frame(10.2, {});
        EXPECT_THAT(s.posted(), IsEmpty());
    }
}

TEST(ThreeFingerTap, ItsFingersNeverMakeAOneFingerClick) {
    Scenario s;
    s.frame(10.0, {{1, 15, 45}, {2, 25, 45}});
    s.frame(10.2, {{1, 15, 45}, {2, 25, 45}, {3, 35, 45}});  // the group forms
    // The third finger alone would pass for a lone tap: the others came down 0.2 s earlier.
    s.frame(10.25, {{1, 15, 45}, {2, 25, 45}});
    s.frame(10.28, {});
    std::vector<EventType> types;
    for (const auto& p : s.posted()) types.push_back(p.event.type());
    EXPECT_THAT(types, ElementsAre(EventType::rightMouseDown, EventType::rightMouseUp));
}

TEST(GestureEngine, DisabledStillCountsFingersButDoesNothing) {
    Scenario s;
    GestureConfig off;
    off.enabled = false;
    s.setConfig(off);
    s.tap(10.0, 10.1);
    EXPECT_THAT(s.posted(), IsEmpty());
    ASSERT_EQ(s.statuses.size(), 2u);
    EXPECT_EQ(s.statuses[0].fingers, 1);
    EXPECT_EQ(s.statuses[1].fingers, 0);
    EXPECT_THAT(s.reports(), IsEmpty());
}

// Disabled while three fingers form a tap, re-enabled once one has lifted: the group is gone, so
// the last lifts are no secondary click.
TEST(GestureEngine, DisablingDropsAFormingTapGroup) {
    Scenario s;
    s.frame(10.0, {{1, 15, 45}, {2, 25, 45}, {3, 35, 45}});
    GestureConfig off;
    off.enabled = false;
    s.setConfig(off);
    s.frame(10.05, {{1, 15, 45}, {2, 25, 45}, {3, 35, 45}});
    s.frame(10.1, {{1, 15, 45}, {2, 25, 45}});
    s.setConfig(GestureConfig{});
    s.frame(10.15, {{1, 15, 45}, {2, 25, 45}});
    s.frame(10.2, {});
    EXPECT_THAT(s.posted(), IsEmpty());
}

TEST(GestureEngine, ReportsTheFingerCountOnlyWhenItChanges) {
    Scenario s;
    s.frame(10.0, {{1, 25, 45}});
    s.frame(10.01, {{1, 25, 45}});
    s.frame(10.02, {{1, 25, 45}, {2, 25, 60, 7}});  // state 7 is not a finger
    s.frame(10.03, {{1, 25, 45}, {2, 25, 60, kTouchStateTouching}});
    std::vector<std::ptrdiff_t> fingers;
    for (const auto& st : s.statuses) fingers.push_back(st.fingers);
    EXPECT_THAT(fingers, ElementsAre(1, 2));
}

TEST(GestureEngine, ReportStampsTheWallClock) {
    Scenario s;
    s.tap(10.0, 10.1);
    const auto expected =
        platform::WallTime{platform::VirtualClock::kEpoch} + std::chrono::milliseconds(10100);
    EXPECT_EQ(s.statuses.back().lastGestureTime, expected);
}

}  // namespace
}  // namespace tavix::testing
