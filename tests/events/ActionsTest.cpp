#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "Tavix/events/Actions.h"
#include "Tavix/events/EventMarker.h"
#include "platform/sim/SimulatedPlatform.h"

namespace tavix::testing {
namespace {

using platform::Event;
using platform::EventField;
using platform::EventTapLocation;
using platform::EventType;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

int64_t marker(const Event& e) {
    return e.integerValue(EventField::eventSourceUserData);
}

class ActionsTest : public ::testing::Test {
  protected:
    ~ActionsTest() override { Actions::dryRun = false; }

    std::vector<EventType> types() const {
        std::vector<EventType> out;
        for (const auto& p : platform.backend->posted()) out.push_back(p.event.type());
        return out;
    }

    platform::SimulatedPlatform platform;
};

TEST_F(ActionsTest, CursorLocationFallsBackToOrigin) {
    platform.backend->setPointer(Point{12.5, 80});
    EXPECT_EQ(Actions::cursorLocation(), (Point{12.5, 80}));
    platform.backend->setCanCreateEvents(false);
    EXPECT_EQ(Actions::cursorLocation(), (Point{}));
}

TEST_F(ActionsTest, LeftClickCarriesTheClickStateOnBothEvents) {
    Actions::leftClick({40, 50}, 2);
    const auto posted = platform.backend->posted();
    EXPECT_THAT(types(), ElementsAre(EventType::leftMouseDown, EventType::leftMouseUp));
    for (const auto& p : posted) {
        EXPECT_EQ(p.location, EventTapLocation::hid);
        EXPECT_EQ(p.event.location(), (Point{40, 50}));
        EXPECT_EQ(p.event.integerValue(EventField::mouseEventClickState), 2);
        EXPECT_EQ(marker(p.event), kTavixEventMarker);
    }
}

TEST_F(ActionsTest, RightClickGoesToThePointerOrToOriginWhenUnreadable) {
    platform.backend->setPointer(Point{7, 9});
    Actions::rightClick();
    platform.backend->setPointer(std::nullopt);
    Actions::rightClick();
    const auto posted = platform.backend->posted();
    ASSERT_EQ(posted.size(), 4u);
    EXPECT_THAT(types(), ElementsAre(EventType::rightMouseDown, EventType::rightMouseUp,
                                     EventType::rightMouseDown, EventType::rightMouseUp));
    EXPECT_EQ(posted[0].event.location(), (Point{7, 9}));
    EXPECT_EQ(posted[2].event.location(), (Point{}));
    EXPECT_EQ(posted[0].event.integerValue(EventField::mouseEventButtonNumber), 1);
}

TEST_F(ActionsTest, MagnifyPostsAGestureEventAtTheSessionTap) {
    Actions::magnify(-0.25, GesturePhase::changed);
    const auto posted = platform.backend->posted();
    ASSERT_EQ(posted.size(), 1u);
    const auto& e = posted[0].event;
    EXPECT_EQ(posted[0].location, EventTapLocation::session);
    EXPECT_EQ(e.type(), EventType::gesture);
    EXPECT_EQ(e.integerValue(EventField::gestureHIDType), 8);
    EXPECT_EQ(e.integerValue(EventField::gesturePhase), 2);
    EXPECT_EQ(e.doubleValue(EventField::gestureZoomValue), -0.25);
    EXPECT_EQ(e.sourceState(), std::nullopt);
    EXPECT_EQ(marker(e), kTavixEventMarker);
}

TEST_F(ActionsTest, ZoomKeysAreCommandPlusAndCommandMinus) {
    Actions::zoomKey(true);
    Actions::zoomKey(false);
    const auto posted = platform.backend->posted();
    EXPECT_THAT(types(), ElementsAre(EventType::keyDown, EventType::keyUp, EventType::keyDown,
                                     EventType::keyUp));
    const int64_t expectedKeys[] = {24, 24, 27, 27};
    for (std::size_t i = 0; i < posted.size(); ++i) {
        EXPECT_EQ(posted[i].event.integerValue(EventField::keyboardEventKeycode), expectedKeys[i]);
        EXPECT_EQ(posted[i].event.flags(), platform::kEventFlagMaskCommand);
        EXPECT_EQ(posted[i].location, EventTapLocation::hid);
        EXPECT_EQ(marker(posted[i].event), kTavixEventMarker);
    }
}

TEST_F(ActionsTest, AFailedCreationSkipsOnlyThatEvent) {
    platform.backend->setCanCreateEvents(false);
    Actions::leftClick({1, 1}, 1);
    Actions::magnify(0.1, GesturePhase::began);
    EXPECT_THAT(platform.backend->posted(), IsEmpty());
}

TEST_F(ActionsTest, DryRunPostsNothingAndPerformSchedulesNothing) {
    Actions::dryRun = true;
    Actions::leftClick({1, 1}, 1);
    Actions::rightClick();
    Actions::magnify(0.1, GesturePhase::began);
    Actions::zoomKey(true);
    for (PinchAction action : PinchAction::allCases()) Actions::perform(action);
    EXPECT_EQ(platform.queue->pending(), 0u);
    EXPECT_THAT(platform.backend->posted(), IsEmpty());
}

TEST_F(ActionsTest, PerformReturnsBeforeTheTargetOpensOnTheMainQueue) {
    platform.workspace->setExistingPaths({"/System/Applications/Mission Control.app"});
    Actions::perform(PinchAction::missionControl);
    EXPECT_THAT(platform.workspace->opens(), IsEmpty());
    EXPECT_EQ(platform.queue->drain(), 1u);
    const auto opens = platform.workspace->opens();
    ASSERT_EQ(opens.size(), 1u);
    EXPECT_EQ(opens[0].path, "/System/Applications/Mission Control.app");
    EXPECT_THAT(opens[0].configuration.arguments, IsEmpty());
    EXPECT_TRUE(opens[0].configuration.activates);
}

TEST_F(ActionsTest, AppsPrefersTheApplicationIndexThenLaunchpadThenNothing) {
    const std::string apps = "/System/Applications/Apps.app";
    const std::string launchpad = "/System/Applications/Launchpad.app";
    auto openedFor = [&](std::set<std::string> existing) {
        platform.workspace->setExistingPaths(std::move(existing));
        const auto before = platform.workspace->opens().size();
        Actions::perform(PinchAction::apps);
        platform.queue->drain();
        const auto opens = platform.workspace->opens();
        return opens.size() == before ? std::string("nothing") : opens.back().path;
    };
    EXPECT_EQ(openedFor({apps, launchpad}), apps);
    EXPECT_EQ(openedFor({launchpad}), launchpad);
    EXPECT_EQ(openedFor({}), "nothing");
}

TEST_F(ActionsTest, ShowDesktopPassesOneArgumentAndSpotlightPressesCommandSpace) {
    Actions::perform(PinchAction::showDesktop);
    Actions::perform(PinchAction::spotlight);
    EXPECT_THAT(platform.backend->posted(), IsEmpty());
    platform.queue->drain();

    const auto opens = platform.workspace->opens();
    ASSERT_EQ(opens.size(), 1u);
    EXPECT_EQ(opens[0].path, "/System/Applications/Mission Control.app");
    EXPECT_THAT(opens[0].configuration.arguments, ElementsAre("1"));

    const auto posted = platform.backend->posted();
    EXPECT_THAT(types(), ElementsAre(EventType::keyDown, EventType::keyUp));
    for (const auto& p : posted) {
        EXPECT_EQ(p.event.integerValue(EventField::keyboardEventKeycode), 49);
        EXPECT_EQ(p.event.flags(), platform::kEventFlagMaskCommand);
        EXPECT_EQ(marker(p.event), kTavixEventMarker);
    }
}

}  // namespace
}  // namespace tavix::testing
