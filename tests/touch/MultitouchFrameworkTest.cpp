// The simulated framework, called directly as the system framework would be.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/multitouch/FrameCounter.h"
#include "platform/multitouch/MultitouchFramework.h"
#include "tests/touch/SimDevices.h"

namespace tavix::testing {
namespace {

using ::testing::ElementsAre;

struct Listed {
    MTDeviceRef handle;
    uint64_t deviceID;
};

std::vector<Listed> contents(MTArrayRef list) {
    std::vector<Listed> out;
    for (intptr_t i = 0; i < MTArrayGetCount(list); ++i) {
        MTDeviceRef handle = MTArrayGetValueAtIndex(list, i);
        uint64_t id = 0;
        if (handle) MTDeviceGetDeviceID(handle, &id);
        out.push_back({handle, id});
    }
    return out;
}

std::vector<uint64_t> ids(MTArrayRef list) {
    std::vector<uint64_t> out;
    for (const auto& entry : contents(list)) out.push_back(entry.handle ? entry.deviceID : 0);
    return out;
}

struct Received {
    MTDeviceRef device;
    std::vector<MTContact> contacts;
    double timestamp;
    int32_t frame;
};
std::vector<Received> received;

int32_t record(MTDeviceRef device, MTContact* contacts, int32_t count, double timestamp,
               int32_t frame) {
    received.push_back({device, {contacts, contacts + count}, timestamp, frame});
    return 0;
}

int32_t other(MTDeviceRef, MTContact*, int32_t, double, int32_t) {
    return 0;
}

class MultitouchFramework : public ::testing::Test {
  protected:
    MultitouchFramework() : control(freshControl(TAVIX_TEST_FRAMEWORK)) { received.clear(); }

    int32_t deliver(int64_t device, std::vector<MTSimContact> contacts = {}, double t = 0) {
        return control.deliverFrame(device, contacts.data(), static_cast<int32_t>(contacts.size()),
                                    t);
    }

    platform::mt::SimControl control;
};

TEST_F(MultitouchFramework, ListsAttachedDevicesInDeclarationOrderWithNewHandlesEachTime) {
    declare(control, simDevice(1, 112, 11));
    declare(control, simDevice(2, 98, 22, 16000, 11000, true, false));
    control.addNullEntry();
    declare(control, simDevice(3, 113, 33));
    const MTSimDevice again = simDevice(3, 112, 44);
    EXPECT_EQ(control.declareDevice(&again), -1);

    MTArrayRef first = MTDeviceCreateList();
    EXPECT_THAT(ids(first), ElementsAre(11u, 0u, 33u));
    control.attach(2);
    MTArrayRef second = MTDeviceCreateList();
    EXPECT_THAT(ids(second), ElementsAre(11u, 22u, 0u, 33u));
    EXPECT_NE(contents(first)[0].handle, contents(second)[0].handle);

    MTDeviceRef trackpad = contents(second)[1].handle;
    int32_t family = 0, width = 0, height = 0;
    EXPECT_EQ(MTDeviceGetFamilyID(trackpad, &family), 0);
    EXPECT_EQ(MTDeviceGetSensorSurfaceDimensions(trackpad, &width, &height), 0);
    EXPECT_EQ(family, 98);
    EXPECT_EQ(width, 16000);
    EXPECT_EQ(height, 11000);
    EXPECT_TRUE(MTDeviceIsBuiltIn(trackpad));
    EXPECT_EQ(MTDeviceStart(nullptr, 0), -1);

    EXPECT_EQ(control.liveListCount(), 2);
    MTArrayRelease(first);
    MTArrayRelease(second);
    EXPECT_EQ(control.liveListCount(), 0);
}

TEST_F(MultitouchFramework, AHandleOutlivesItsDeviceWhileAListHoldsIt) {
    declare(control, simDevice(1, 112, 7));
    MTArrayRef list = MTDeviceCreateList();
    MTDeviceRef handle = MTArrayGetValueAtIndex(list, 0);
    MTRegisterContactFrameCallback(handle, record);
    MTDeviceStart(handle, 0);

    control.detach(1);
    EXPECT_EQ(deliver(1), 0);  // a detached device sends nothing
    control.reset();
    uint64_t id = 0;
    EXPECT_EQ(MTDeviceGetDeviceID(handle, &id), 0);
    EXPECT_EQ(id, 7u);
    EXPECT_EQ(MTDeviceStop(handle), 0);
    MTArrayRef empty = MTDeviceCreateList();
    EXPECT_EQ(MTArrayGetCount(empty), 0);
    MTArrayRelease(empty);
    MTArrayRelease(list);
    EXPECT_TRUE(received.empty());
}

TEST_F(MultitouchFramework, FramesReachTheCallbacksOfStartedHandlesOnly) {
    declare(control, simDevice(1, 112, 7));
    MTArrayRef list = MTDeviceCreateList();
    MTDeviceRef handle = MTArrayGetValueAtIndex(list, 0);

    EXPECT_EQ(deliver(1), 0);
    MTRegisterContactFrameCallback(handle, record);
    EXPECT_EQ(deliver(1), 0);  // registered, not started
    MTDeviceStart(handle, 0);
    EXPECT_EQ(deliver(1, {simContact(3, 0.25f, 0.75f), simContact(4, 0.5f, 0.5f, 7)}, 1.5), 1);
    MTRegisterContactFrameCallback(handle, other);
    EXPECT_EQ(deliver(MT_SIM_NULL_DEVICE), 2);
    EXPECT_EQ(deliver(9), -1);

    control.detach(1);
    EXPECT_EQ(deliver(1), 0);
    control.attach(1);
    MTUnregisterContactFrameCallback(handle, other);
    EXPECT_EQ(deliver(1), 1);
    MTUnregisterContactFrameCallback(handle, record);
    EXPECT_EQ(deliver(1), 0);
    MTRegisterContactFrameCallback(handle, record);
    MTDeviceStop(handle);
    EXPECT_EQ(deliver(1), 0);

    ASSERT_EQ(received.size(), 4u);
    const Received& first = received[0];
    EXPECT_EQ(first.device, handle);
    EXPECT_EQ(first.timestamp, 1.5);
    ASSERT_EQ(first.contacts.size(), 2u);
    EXPECT_EQ(first.contacts[0].identifier, 3);
    EXPECT_EQ(first.contacts[0].state, 4);
    EXPECT_EQ(first.contacts[0].normalized.position.x, 0.25f);
    EXPECT_EQ(first.contacts[0].normalized.position.y, 0.75f);
    EXPECT_EQ(first.contacts[0].frame, first.frame);
    EXPECT_EQ(first.contacts[1].state, 7);
    EXPECT_EQ(received[1].device, nullptr);
    // Detached with fingers on it: they lift.
    EXPECT_EQ(received[2].device, handle);
    EXPECT_TRUE(received[2].contacts.empty());
    EXPECT_EQ(received[3].device, handle);
    EXPECT_GT(received[3].frame, received[2].frame);
    EXPECT_GT(received[2].frame, first.frame);
    MTArrayRelease(list);
}

// Looping playback may run past 2^31 frames: the count goes on, the callback's number wraps.
TEST(FrameCounter, CountsPastTheCallbacksThirtyTwoBits) {
    platform::mt::FrameCounter counter(INT32_MAX - 1);
    EXPECT_EQ(counter.next(), INT32_MAX);
    EXPECT_EQ(counter.next(), INT32_MIN);
    EXPECT_EQ(counter.delivered(), int64_t{INT32_MAX} + 1);
    platform::mt::FrameCounter later(UINT32_MAX);
    EXPECT_EQ(later.next(), 0);
    EXPECT_EQ(later.delivered(), int64_t{1} << 32);
}

}  // namespace
}  // namespace tavix::testing
