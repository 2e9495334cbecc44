// The framework's own thread delivering while the main thread stops, rescans and polls.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "Tavix/gestures/GestureEngine.h"
#include "Tavix/touch/MultitouchManager.h"
#include "platform/multitouch/MultitouchFramework.h"
#include "tests/touch/SimDevices.h"

namespace tavix::testing {
namespace {

using namespace std::chrono_literals;

// A frame every millisecond from the mouse (handle 1) and now and then a null handle.
void playLoop(const platform::mt::SimControl& control) {
    static const MTSimContact contacts[] = {simContact(1, 0.3f, 0.4f), simContact(2, 0.6f, 0.5f)};
    static const std::vector<MTSimFrame> script = {
        {0.000, 1, contacts, 2},
        {0.001, 1, contacts, 1},
        {0.002, MT_SIM_NULL_DEVICE, contacts, 2},
        {0.003, 1, nullptr, 0},
    };
    ASSERT_EQ(control.playStart(script.data(), static_cast<int32_t>(script.size()), 0.004), 0);
}

// A callback that takes a while, so that stopping often meets one in flight.
std::atomic<int> inFlight{0};
std::atomic<int> calls{0};

int32_t slowCallback(MTDeviceRef, MTContact*, int32_t, double, int32_t) {
    ++inFlight;
    std::this_thread::sleep_for(200us);
    ++calls;
    --inFlight;
    return 0;
}

TEST(MultitouchFrameworkThread, NoCallbackRunsOnceStopOrUnregisterHasReturned) {
    auto control = freshControl(TAVIX_TEST_FRAMEWORK);
    declare(control, simDevice(1, 112, 7));
    MTArrayRef list = MTDeviceCreateList();
    MTDeviceRef handle = MTArrayGetValueAtIndex(list, 0);
    playLoop(control);

    for (int round = 0; round < 20; ++round) {
        MTRegisterContactFrameCallback(handle, slowCallback);
        MTDeviceStart(handle, 0);
        const int before = calls.load();
        ASSERT_TRUE(eventually([&] { return calls.load() > before; }));
        if (round % 2 == 0) {
            MTDeviceStop(handle);
        } else {
            MTUnregisterContactFrameCallback(handle, slowCallback);
        }
        EXPECT_EQ(inFlight.load(), 0);
        const int after = calls.load();
        std::this_thread::sleep_for(3ms);
        EXPECT_EQ(calls.load(), after);
        MTDeviceStop(handle);
        MTUnregisterContactFrameCallback(handle, slowCallback);
    }
    control.playStop();
    MTArrayRelease(list);
}

class ManagerUnderFrames : public ::testing::Test {
  protected:
    ManagerUnderFrames() : control(freshControl(TAVIX_TEST_FRAMEWORK)) {
        manager.onFrame = [this](const MTDeviceInfo& device, std::span<const Touch> touches) {
            ++handling;
            if (stopped.load()) ++late;
            if (device.deviceID == 7 && touches.size() <= 2) ++frames;
            std::this_thread::sleep_for(100us);
            --handling;
        };
        declare(control, simDevice(1, 112, 7));
        declare(control, simDevice(2, 113, 8, 5000, 9000, false, false));
    }
    ~ManagerUnderFrames() override { control.playStop(); }

    platform::mt::SimControl control;
    MultitouchManager manager{TAVIX_TEST_FRAMEWORK};
    std::atomic<int> handling{0};
    std::atomic<int> frames{0};
    std::atomic<int> late{0};
    std::atomic<bool> stopped{false};
};

TEST_F(ManagerUnderFrames, NoHandlerRunsOnceStopAllHasReturned) {
    playLoop(control);
    for (int round = 0; round < 10; ++round) {
        stopped = false;
        manager.rescan();
        const int before = frames.load();
        ASSERT_TRUE(eventually([&] { return frames.load() > before + 2; }));
        manager.stopAll();
        stopped = true;
        EXPECT_EQ(handling.load(), 0);
        std::this_thread::sleep_for(2ms);
        EXPECT_EQ(late.load(), 0);
    }
}

TEST_F(ManagerUnderFrames, RescansAndPollsWhileFramesFlow) {
    manager.rescan();
    playLoop(control);
    for (int round = 0; round < 100; ++round) {
        if (round % 10 == 0) {
            round % 20 == 0 ? control.attach(2) : control.detach(2);
        }
        if (manager.mouseIDsChanged() || round % 3 == 0) manager.rescan();
        std::this_thread::sleep_for(200us);
    }
    const int before = frames.load();
    EXPECT_TRUE(eventually([&] { return frames.load() > before; }));
    EXPECT_EQ(control.liveListCount(), 1);
}

// Playback delivers the first mouse's frames while this thread delivers the second's through the
// control interface: the engine behind the handler still gets one frame at a time.
TEST(FramesFromTwoThreads, ReachTheEngineOneAtATime) {
    auto control = freshControl(TAVIX_TEST_FRAMEWORK);
    declare(control, simDevice(1, 112, 7));
    declare(control, simDevice(2, 113, 8));
    MultitouchManager manager{TAVIX_TEST_FRAMEWORK};
    GestureEngine engine;
    std::atomic<int> inside{0};
    std::atomic<int> overlaps{0};
    std::atomic<int> played{0};
    std::atomic<int> sent{0};
    manager.onFrame = [&](const MTDeviceInfo& device, std::span<const Touch> touches) {
        if (++inside > 1) ++overlaps;
        engine.process(touches);
        std::this_thread::sleep_for(20us);
        ++(device.deviceID == 7 ? played : sent);
        --inside;
    };
    manager.rescan();
    playLoop(control);

    const MTSimContact pair[] = {simContact(5, 0.3f, 0.5f), simContact(6, 0.6f, 0.5f)};
    int delivered = 0;
    EXPECT_TRUE(eventually([&] {
        for (int i = 0; i < 10; ++i) delivered += control.deliverFrame(2, pair, delivered % 3, 0);
        return played.load() >= 100;
    }));
    control.playStop();
    manager.stopAll();
    EXPECT_EQ(overlaps.load(), 0);
    EXPECT_EQ(sent.load(), delivered);
}

}  // namespace
}  // namespace tavix::testing
