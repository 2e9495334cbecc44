// MultitouchManager over the simulated framework and over framework files that lack functions.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "Tavix/touch/MultitouchManager.h"
#include "tests/touch/SimDevices.h"

namespace tavix::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr int32_t kMouse = 112;
constexpr int32_t kTrackpad = 98;

struct Frame {
    uint64_t deviceID;
    void* ref;
    std::vector<Touch> touches;
};

std::vector<uint64_t> deviceIDs(const std::vector<MTDeviceInfo>& devices) {
    std::vector<uint64_t> out;
    for (const auto& d : devices) out.push_back(d.deviceID);
    return out;
}

class MultitouchManagerTest : public ::testing::Test {
  protected:
    MultitouchManagerTest() : control(freshControl(TAVIX_TEST_FRAMEWORK)) {}

    // A manager whose frames land in `frames`.
    std::unique_ptr<MultitouchManager> make(const char* framework = TAVIX_TEST_FRAMEWORK) {
        auto manager = std::make_unique<MultitouchManager>(framework);
        manager->onFrame = [this](const MTDeviceInfo& device, std::span<const Touch> touches) {
            frames.push_back({device.deviceID, device.ref, {touches.begin(), touches.end()}});
        };
        return manager;
    }

    int32_t deliver(int64_t device, std::vector<MTSimContact> contacts = {}) {
        return control.deliverFrame(device, contacts.data(), static_cast<int32_t>(contacts.size()),
                                    0);
    }

    platform::mt::SimControl control;
    std::vector<Frame> frames;
};

TEST_F(MultitouchManagerTest, AnAbsentFrameworkLeavesEveryOperationInert) {
    auto manager = make(TAVIX_TEST_FRAMEWORK_ABSENT);
    EXPECT_FALSE(manager->isLoaded);
    EXPECT_THAT(manager->rescan(), IsEmpty());
    EXPECT_FALSE(manager->mouseIDsChanged());
    manager->stopAll();
}

TEST_F(MultitouchManagerTest, WithoutTheStartFunctionTheFrameworkIsNotLoaded) {
    auto noStart = freshControl(TAVIX_TEST_FRAMEWORK_NO_START);
    declare(noStart, simDevice(1, kMouse, 7));
    auto manager = make(TAVIX_TEST_FRAMEWORK_NO_START);
    EXPECT_FALSE(manager->isLoaded);
    EXPECT_THAT(manager->rescan(), IsEmpty());
    EXPECT_FALSE(manager->mouseIDsChanged());
    EXPECT_EQ(noStart.liveListCount(), 0);
}

TEST_F(MultitouchManagerTest, MissingOptionalQueriesLeaveTheirDefaults) {
    auto essentials = freshControl(TAVIX_TEST_FRAMEWORK_ESSENTIALS);
    declare(essentials, simDevice(1, kMouse, 7, 4000, 6000, true));
    auto manager = make(TAVIX_TEST_FRAMEWORK_ESSENTIALS);
    ASSERT_TRUE(manager->isLoaded);
    const auto devices = manager->rescan();
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_EQ(devices[0].family, 0);
    EXPECT_EQ(devices[0].deviceID, 0u);
    EXPECT_EQ(devices[0].widthMM, 0);
    EXPECT_EQ(devices[0].heightMM, 0);
    EXPECT_FALSE(devices[0].builtIn);
    manager->stopAll();  // neither unregister nor stop exists: skipped
}

TEST_F(MultitouchManagerTest, RescanListsEveryDeviceAndStartsOnlyTheMouse) {
    declare(control, simDevice(1, kMouse, 7, 5000, 9000));
    control.addNullEntry();
    declare(control, simDevice(2, kTrackpad, 8, 16000, 11000, true));
    auto manager = make();

    const auto devices = manager->rescan();
    EXPECT_THAT(deviceIDs(devices), ElementsAre(7u, 8u));
    ASSERT_EQ(devices.size(), 2u);
    EXPECT_EQ(devices[0].family, kMouse);
    EXPECT_EQ(devices[0].widthMM, 50);
    EXPECT_EQ(devices[0].heightMM, 90);
    EXPECT_EQ(devices[0].id, reinterpret_cast<uintptr_t>(devices[0].ref));
    EXPECT_TRUE(devices[1].builtIn);
    EXPECT_EQ(devices[1].widthMM, 160);

    EXPECT_EQ(deliver(2), 0);
    EXPECT_EQ(deliver(1, {simContact(3, 0.5f, 0.25f)}), 1);
    // A null handle goes to the only started device: the trackpad is not in the table.
    EXPECT_EQ(deliver(MT_SIM_NULL_DEVICE), 1);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].ref, devices[0].ref);
    ASSERT_EQ(frames[0].touches.size(), 1u);
    EXPECT_EQ(frames[0].touches[0].pt.x, 25);
    EXPECT_EQ(frames[0].touches[0].pt.y, 22.5);
    EXPECT_EQ(frames[1].deviceID, 7u);
}

// The callback is in place before the device starts: a frame it sends at once is not lost.
TEST_F(MultitouchManagerTest, AFrameSentTheMomentTheMouseStartsArrives) {
    auto manager = make(TAVIX_TEST_FRAMEWORK_START_DELIVERS);
    ASSERT_EQ(manager->rescan().size(), 1u);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].touches.size(), 1u);
    manager->stopAll();
}

TEST_F(MultitouchManagerTest, TwoMiceEachGetTheirOwnFrames) {
    declare(control, simDevice(1, kMouse, 7));
    declare(control, simDevice(2, 113, 8));
    auto manager = make();
    const auto devices = manager->rescan();
    ASSERT_EQ(devices.size(), 2u);

    EXPECT_EQ(deliver(2), 1);
    EXPECT_EQ(deliver(1), 1);
    deliver(MT_SIM_NULL_DEVICE);  // two started: nobody's frame
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].deviceID, 8u);
    EXPECT_EQ(frames[0].ref, devices[1].ref);
    EXPECT_EQ(frames[1].deviceID, 7u);
    EXPECT_EQ(frames[1].ref, devices[0].ref);
}

TEST_F(MultitouchManagerTest, MouseIDsChangedComparesDeviceIDsNotHandles) {
    declare(control, simDevice(1, kMouse, 7));
    declare(control, simDevice(2, kMouse, 8, 5000, 9000, false, false));
    declare(control, simDevice(3, kTrackpad, 9, 16000, 11000, true, false));
    auto manager = make();
    manager->rescan();
    EXPECT_FALSE(manager->mouseIDsChanged());  // its enumeration made new handles
    EXPECT_EQ(control.liveListCount(), 1);     // and released them at once

    control.attach(3);
    EXPECT_FALSE(manager->mouseIDsChanged());
    control.attach(2);
    EXPECT_TRUE(manager->mouseIDsChanged());
    manager->rescan();
    EXPECT_FALSE(manager->mouseIDsChanged());
    control.detach(1);
    EXPECT_TRUE(manager->mouseIDsChanged());
    manager->rescan();
    EXPECT_FALSE(manager->mouseIDsChanged());
    EXPECT_EQ(control.liveListCount(), 1);
}

TEST_F(MultitouchManagerTest, AFailedEnumerationStopsEverythingButKeepsTheList) {
    declare(control, simDevice(1, kMouse, 7));
    auto manager = make();
    const void* started = manager->rescan().at(0).ref;

    control.setListFailure(true);
    EXPECT_THAT(manager->rescan(), IsEmpty());
    EXPECT_FALSE(manager->mouseIDsChanged());
    EXPECT_EQ(control.liveListCount(), 1);
    EXPECT_EQ(deliver(1), 0);

    control.setListFailure(false);
    EXPECT_NE(manager->rescan().at(0).ref, started);
    EXPECT_EQ(control.liveListCount(), 1);
    manager.reset();
    EXPECT_EQ(control.liveListCount(), 0);
}

int32_t ignoreFrame(MTDeviceRef, MTContact*, int32_t, double, int32_t) {
    return 0;
}

TEST_F(MultitouchManagerTest, StopAllStopsAndUnregistersEveryMouse) {
    declare(control, simDevice(1, kMouse, 7));
    declare(control, simDevice(2, kMouse, 8));
    auto manager = make();
    const auto devices = manager->rescan();
    manager->stopAll();
    EXPECT_EQ(deliver(1), 0);
    EXPECT_EQ(deliver(2), 0);
    // Each undone on its own: given a callback the first stays stopped, started again the
    // second has no callback.
    MTRegisterContactFrameCallback(devices.at(0).ref, ignoreFrame);
    MTDeviceStart(devices.at(1).ref, 0);
    EXPECT_EQ(deliver(1), 0);
    EXPECT_EQ(deliver(2), 0);
    MTDeviceStop(devices.at(1).ref);

    // Even a frame that slipped through finds no started device.
    MTTouch record{};
    mtCallback(devices.at(0).ref, &record, 1, 0, 0);
    mtCallback(nullptr, &record, 1, 0, 0);
    EXPECT_THAT(frames, IsEmpty());
}

TEST_F(MultitouchManagerTest, FramesReachTheLatestManagerMade) {
    declare(control, simDevice(1, kMouse, 7));
    auto first = make();
    first->rescan();
    MTTouch record{};
    {
        auto second = make(TAVIX_TEST_FRAMEWORK_ABSENT);
        mtCallback(nullptr, &record, 1, 0, 0);  // second has no device: dropped
        EXPECT_THAT(frames, IsEmpty());
    }
    mtCallback(nullptr, &record, 1, 0, 0);
    EXPECT_EQ(frames.size(), 1u);
}

TEST_F(MultitouchManagerTest, TheApplicationOpensTheBuiltFramework) {
    EXPECT_EQ(MultitouchManager::frameworkPath(), TAVIX_TEST_FRAMEWORK);
    EXPECT_TRUE(MultitouchManager::shared().isLoaded);
}

}  // namespace
}  // namespace tavix::testing
