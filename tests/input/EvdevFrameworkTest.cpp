#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/multitouch/SimControl.h"
#include "tests/input/EvdevApplication.h"

namespace tavix::platform::input::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(EvdevFramework, ListsMagicMiceWithFamilyStableIDAndSurfaceSize) {
    EvdevApplication app;
    app.devices.attach(recordedMagicMouse(6, "00:11:22:33:44:55"));
    MagicMouseNode second = recordedMagicMouse(7);
    second.model = *magicMouseModel(0x004c, 0x0269);
    app.devices.attach(second);

    const auto listing = app.evdev.devices();
    ASSERT_TRUE(listing);
    ASSERT_EQ(listing->size(), 2u);
    const auto& first = *(*listing)[0];
    EXPECT_EQ(first.family, 112);
    EXPECT_EQ(first.deviceID, 0x001122334455u);
    EXPECT_EQ(first.width, 5152);
    EXPECT_EQ(first.height, 9056);
    EXPECT_FALSE(first.builtIn);
    EXPECT_EQ((*listing)[1]->family, 113);

    // Listing again names the same mice the same way, as the device manager's change check needs.
    const auto again = app.evdev.devices();
    EXPECT_EQ((*again)[0]->deviceID, first.deviceID);
    EXPECT_EQ((*again)[1]->deviceID, (*listing)[1]->deviceID);
}

// Also with the tracking ID the kernel gives the first touch after a device appears: 0.
TEST(EvdevFramework, TheFirstModelTapRecordingGivesExactlyOneLeftClick) {
    for (const int32_t trackingID : {40, 0}) {
        SCOPED_TRACE(trackingID);
        EvdevApplication app;
        auto stream = app.devices.attach(recordedMagicMouse(3));
        app.startMice();
        auto tap = events(fixture("first-model-tap.evemu"));
        for (auto& e : tap) {
            const bool starts = e.event.type == EV_ABS && e.event.code == ABS_MT_TRACKING_ID;
            if (starts && e.event.value >= 0) e.event.value = trackingID;
        }
        stream->push(tap);
        app.settle();
        app.queue->drain();

        EXPECT_EQ(app.framesDelivered(), 11);
        EXPECT_THAT(app.backend->posted(),
                    ElementsAre(EventType::leftMouseDown, EventType::leftMouseUp));
    }
}

TEST(EvdevFramework, FramesFlowOnlyBetweenStartAndStop) {
    EvdevApplication app;
    auto stream = app.devices.attach(recordedMagicMouse(3));
    auto list = app.framework.createList();
    ASSERT_EQ(list->entries.size(), 1u);
    auto& handle = *list->entries[0];

    static std::atomic<int> calls;
    calls = 0;
    auto count = [](MTDeviceRef, MTContact*, int32_t, double, int32_t) -> int32_t {
        ++calls;
        return 0;
    };
    handle.registerCallback(count);
    auto touch = [&](double t) {
        stream->push(report(t, {abs(ABS_MT_SLOT, 0), abs(ABS_MT_TRACKING_ID, 1),
                                abs(ABS_MT_POSITION_X, static_cast<int32_t>(t * 100))}));
        app.settle();
    };
    touch(0.01);
    EXPECT_EQ(calls, 0);
    handle.start();
    touch(0.02);
    EXPECT_EQ(calls, 1);
    handle.stop();
    touch(0.03);
    handle.start();
    handle.unregisterCallback(count);
    touch(0.04);
    EXPECT_EQ(calls, 1);
}

TEST(EvdevFramework, AMouseThatVanishesStopsDeliveringAndTheListingShowsTheChange) {
    EvdevApplication app;
    auto stream = app.devices.attach(recordedMagicMouse(3, "aa:aa:aa:aa:aa:aa"));
    app.startMice();
    const auto before = *app.evdev.devices();
    std::vector<std::size_t> contacts;
    MultitouchManager::shared().onFrame = [&contacts](const MTDeviceInfo&,
                                                      std::span<const Touch> touches) {
        contacts.push_back(touches.size());
    };

    stream->push(report(0.0, {abs(ABS_MT_SLOT, 0), abs(ABS_MT_TRACKING_ID, 1)}));
    stream->vanish();
    app.devices.detach("/dev/input/event3");
    app.settle();
    // The finger on it lifts as the node closes.
    EXPECT_THAT(contacts, ElementsAre(1u, 0u));
    MultitouchManager::shared().onFrame = nullptr;
    EXPECT_THAT(*app.evdev.devices(), IsEmpty());

    auto back = app.devices.attach(recordedMagicMouse(3, "aa:aa:aa:aa:aa:aa"));
    const auto after = *app.evdev.devices();
    ASSERT_EQ(after.size(), 1u);
    EXPECT_EQ(after[0]->deviceID, before[0]->deviceID);
    // Back before the manager looked again: the handles already started for the mouse get its
    // frames, so a quick reconnect loses no gesture.
    back->push(report(0.1, {abs(ABS_MT_SLOT, 0), abs(ABS_MT_TRACKING_ID, 2)}));
    app.settle();
    EXPECT_EQ(app.framesDelivered(), 3);
}

}  // namespace
}  // namespace tavix::platform::input::testing

namespace tavix::platform::mt {
namespace {

// The framework file serves real mice unless a control function came first; once it does, the
// control functions refuse rather than mix scripted devices into a real listing.
TEST(FrameworkBackendChoice, AfterRealMiceWereSelectedControlFunctionsRefuse) {
    EXPECT_NE(dynamic_cast<EvdevBackend*>(&selectedBackend()), nullptr);
    EXPECT_FALSE(chooseSimulation());
    const MTSimDevice device{.handle = 1,
                             .family = 112,
                             .deviceID = 1,
                             .width = 5000,
                             .height = 9000,
                             .builtIn = false,
                             .attached = true};
    EXPECT_EQ(MTSimDeclareDevice(&device), -1);
    EXPECT_EQ(MTSimDeliverFrame(1, nullptr, 0, 0), -1);
    EXPECT_EQ(MTSimLiveListCount(), -1);
}

}  // namespace
}  // namespace tavix::platform::mt
