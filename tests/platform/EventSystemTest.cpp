#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/sim/SimulatedPlatform.h"

namespace tavix::platform {
namespace {

using ::testing::ElementsAre;

// Taps that note who saw what, and drop what they are told to.
struct Probe {
    Probe(std::string n, std::vector<std::string>* s, bool d = false,
          std::optional<int64_t> st = {})
        : name(std::move(n)), seen(s), drop(d), stamp(st) {}

    std::string name;
    std::vector<std::string>* seen;
    bool drop;
    std::optional<int64_t> stamp;  // written into the event's user-data field
};

Event* probeCallback(EventTapProxy*, EventType type, Event* event, void* userInfo) {
    auto* probe = static_cast<Probe*>(userInfo);
    probe->seen->push_back(probe->name + ":" + std::to_string(static_cast<uint32_t>(type)));
    if (probe->stamp) event->setIntegerValue(EventField::eventSourceUserData, *probe->stamp);
    return probe->drop ? nullptr : event;
}

class EventSystemTest : public ::testing::Test {
  protected:
    std::shared_ptr<RunLoopSource> install(Probe& probe, EventTapLocation location,
                                           EventTapPlacement placement, EventMask mask,
                                           EventTapOptions options = EventTapOptions::defaultTap) {
        auto tap =
            sim.events->createTap(location, placement, options, mask, &probeCallback, &probe);
        auto source = sim.events->createRunLoopSource(tap);
        sim.events->addToMainRunLoop(source);
        sim.events->setTapEnabled(*tap, true);
        return source;
    }

    Event ofType(EventType type) {
        Event e;
        e.setType(type);
        return e;
    }

    SimulatedPlatform sim;
    std::vector<std::string> seen;
};

TEST_F(EventSystemTest, WithoutTapsEventsLeaveAtOnceOnThePostingThread) {
    sim.events->post(EventTapLocation::hid, ofType(EventType::keyDown));
    EXPECT_EQ(sim.queue->pending(), 0u);
    ASSERT_EQ(sim.backend->passed().size(), 1u);
    EXPECT_TRUE(sim.backend->passed()[0].delivered);
}

TEST_F(EventSystemTest, TapsRunOnTheMainQueueInChainOrderAndKeepPostingOrder) {
    Probe head{"head", &seen}, tail{"tail", &seen};
    const EventMask all = ~EventMask{0};
    auto a = install(tail, EventTapLocation::session, EventTapPlacement::tailAppend, all);
    auto b = install(head, EventTapLocation::session, EventTapPlacement::headInsert, all);

    sim.events->post(EventTapLocation::hid, ofType(EventType::leftMouseDown));
    sim.events->post(EventTapLocation::hid, ofType(EventType::leftMouseUp));
    EXPECT_TRUE(seen.empty());
    sim.queue->drain();
    EXPECT_THAT(seen, ElementsAre("head:1", "tail:1", "head:2", "tail:2"));
    const auto passed = sim.backend->passed();
    ASSERT_EQ(passed.size(), 2u);
    EXPECT_EQ(passed[0].event.type(), EventType::leftMouseDown);
    EXPECT_EQ(passed[1].event.type(), EventType::leftMouseUp);
}

TEST_F(EventSystemTest, ATapSeesOnlyItsMaskAndWhatEntersAtOrBeforeItsLocation) {
    Probe hid{"hid", &seen}, session{"session", &seen};
    auto a = install(hid, EventTapLocation::hid, EventTapPlacement::tailAppend,
                     eventMaskBit(EventType::gesture) | eventMaskBit(EventType::scrollWheel));
    auto b = install(session, EventTapLocation::session, EventTapPlacement::tailAppend,
                     eventMaskBit(EventType::gesture));

    sim.events->post(EventTapLocation::session, ofType(EventType::gesture));
    sim.events->injectPhysical(ofType(EventType::gesture));
    sim.events->injectPhysical(ofType(EventType::scrollWheel));
    sim.queue->drain();
    EXPECT_THAT(seen, ElementsAre("session:29", "hid:29", "session:29", "hid:22"));
}

TEST_F(EventSystemTest, DroppingStopsTheChainUnlessTheTapOnlyListens) {
    Probe listener{"listener", &seen, true}, dropper{"dropper", &seen, true}, after{"after", &seen};
    const EventMask all = ~EventMask{0};
    auto a = install(listener, EventTapLocation::session, EventTapPlacement::tailAppend, all,
                     EventTapOptions::listenOnly);
    auto b = install(dropper, EventTapLocation::session, EventTapPlacement::tailAppend, all);
    auto c = install(after, EventTapLocation::session, EventTapPlacement::tailAppend, all);

    sim.events->injectPhysical(ofType(EventType::scrollWheel));
    sim.queue->drain();
    EXPECT_THAT(seen, ElementsAre("listener:22", "dropper:22"));
    ASSERT_EQ(sim.backend->passed().size(), 1u);
    EXPECT_FALSE(sim.backend->passed()[0].delivered);
    EXPECT_EQ(sim.backend->passed()[0].origin, EventOrigin::physical);
}

TEST_F(EventSystemTest, WhatATapChangesIsWhatLeaves) {
    Probe stamper{"stamper", &seen, false, 99};
    auto a =
        install(stamper, EventTapLocation::session, EventTapPlacement::tailAppend, ~EventMask{0});
    sim.events->post(EventTapLocation::hid, ofType(EventType::keyUp));
    sim.queue->drain();
    EXPECT_EQ(sim.backend->posted()[0].event.integerValue(EventField::eventSourceUserData), 0);
    EXPECT_EQ(sim.backend->passed()[0].event.integerValue(EventField::eventSourceUserData), 99);
}

TEST_F(EventSystemTest, DisabledOrRemovedTapsSeeNothing) {
    Probe probe{"probe", &seen};
    auto source =
        install(probe, EventTapLocation::session, EventTapPlacement::tailAppend, ~EventMask{0});
    sim.events->setTapEnabled(*source->tap, false);
    sim.events->injectPhysical(ofType(EventType::scrollWheel));
    sim.queue->drain();
    sim.events->removeFromMainRunLoop(source);
    sim.events->injectPhysical(ofType(EventType::scrollWheel));
    EXPECT_EQ(sim.queue->pending(), 0u);
    EXPECT_TRUE(seen.empty());
    EXPECT_EQ(sim.backend->passed().size(), 2u);
}

TEST_F(EventSystemTest, RefusedCreationsGiveNothing) {
    sim.backend->setCanCreateTap(false);
    sim.backend->setCanCreateSource(false);
    sim.backend->setCanCreateEvents(false);
    EXPECT_EQ(sim.events->createTap(EventTapLocation::session, EventTapPlacement::headInsert,
                                    EventTapOptions::defaultTap, 0, &probeCallback, nullptr),
              nullptr);
    EXPECT_EQ(sim.events->createSource(EventSourceStateID::hidSystem), std::nullopt);
    EXPECT_EQ(sim.events->createEvent(nullptr), std::nullopt);
    EXPECT_EQ(sim.events->createKeyboardEvent(nullptr, 1, true), std::nullopt);
}

TEST(Event, FieldsReadBackAndUnsetOnesReadZero) {
    Event e;
    EXPECT_EQ(e.integerValue(EventField::mouseEventClickState), 0);
    e.setIntegerValue(EventField::mouseEventClickState, 3);
    e.setIntegerValue(EventField::mouseEventClickState, 2);
    e.setDoubleValue(EventField::gestureZoomValue, -0.5);
    EXPECT_EQ(e.integerValue(EventField::mouseEventClickState), 2);
    EXPECT_EQ(e.doubleValue(EventField::gestureZoomValue), -0.5);
    EXPECT_EQ(e.doubleValue(EventField::mouseEventClickState), 0.0);
    EXPECT_EQ(eventMaskBit(EventType::tapDisabledByTimeout), 0u);
}

}  // namespace
}  // namespace tavix::platform
