#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "tests/support/Scenario.h"

namespace tavix::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

MTDeviceInfo device(int& handle, double width = 50, double height = 90) {
    return {.id = reinterpret_cast<uintptr_t>(&handle),
            .ref = &handle,
            .deviceID = 1,
            .family = MTDeviceInfo::kMagicMouseFamily,
            .widthMM = width,
            .heightMM = height};
}

// Every frame that reaches the handler: the device's handle and the contacts.
class FrameRouting : public ::testing::Test {
  protected:
    struct Frame {
        void* device;
        std::vector<Touch> touches;
    };

    FrameRouting() {
        MultitouchManager::shared().onFrame = [this](const MTDeviceInfo& d,
                                                     std::span<const Touch> t) {
            frames.push_back({d.ref, {t.begin(), t.end()}});
        };
    }
    ~FrameRouting() override {
        MultitouchManager::shared().onFrame = nullptr;
        MultitouchManagerTestAccess::setActive({});
    }

    int a = 0, b = 0, stranger = 0;
    std::vector<Frame> frames;
};

TEST_F(FrameRouting, AFrameGoesToItsOwnDeviceOrToTheOnlyOneStarted) {
    MultitouchManagerTestAccess::setActive({device(a), device(b)});
    MTTouch record = rawRecord(1, 4, 0.5f, 0.5f);
    mtCallback(&b, &record, 1, 0, 0);
    mtCallback(&a, &record, 1, 0, 0);
    mtCallback(&stranger, &record, 1, 0, 0);  // two started: unknown handles are dropped
    mtCallback(nullptr, &record, 1, 0, 0);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].device, &b);
    EXPECT_EQ(frames[1].device, &a);

    MultitouchManagerTestAccess::setActive({device(a)});
    mtCallback(&stranger, &record, 1, 0, 0);
    mtCallback(nullptr, &record, 1, 0, 0);
    ASSERT_EQ(frames.size(), 4u);
    EXPECT_EQ(frames[3].device, &a);

    MultitouchManagerTestAccess::setActive({});
    mtCallback(&a, &record, 1, 0, 0);
    EXPECT_EQ(frames.size(), 4u);
}

TEST_F(FrameRouting, RecordsDecodeInOrderInMillimetresWithEveryState) {
    MultitouchManagerTestAccess::setActive({device(a)});
    MTTouch records[] = {rawRecord(3, 4, 0.5f, 0.25f), rawRecord(-2, 7, 1.25f, -0.5f)};
    records[0].frame = 99;
    records[0].timestamp = 1.5;
    records[0].zTotal = 0.7f;
    EXPECT_EQ(mtCallback(&a, records, 2, 123.0, 5), 0);
    ASSERT_EQ(frames.size(), 1u);
    const auto& t = frames[0].touches;
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t[0].id, 3);
    EXPECT_EQ(t[0].state, 4);
    EXPECT_EQ(t[0].pt, (Point{25, 22.5}));
    EXPECT_EQ(t[1].id, -2);
    EXPECT_EQ(t[1].state, 7);  // not a finger, still passed on
    EXPECT_EQ(t[1].nx, 1.25);  // outside the surface: used unchanged
    EXPECT_EQ(t[1].pt, (Point{62.5, -45}));
}

TEST_F(FrameRouting, WithoutASizeEveryPositionIsZeroMillimetres) {
    MultitouchManagerTestAccess::setActive({device(a, 0, 0)});
    MTTouch record = rawRecord(1, 4, 0.3f, 0.6f);
    mtCallback(&a, &record, 1, 0, 0);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].touches[0].pt, (Point{0, 0}));
    EXPECT_FLOAT_EQ(static_cast<float>(frames[0].touches[0].nx), 0.3f);
}

TEST_F(FrameRouting, EmptyFramesStillReachTheHandler) {
    MultitouchManagerTestAccess::setActive({device(a)});
    MTTouch record = rawRecord(1, 4, 0.5f, 0.5f);
    EXPECT_EQ(mtCallback(&a, nullptr, 3, 0, 0), 0);
    EXPECT_EQ(mtCallback(&a, &record, 0, 0, 0), 0);
    EXPECT_EQ(mtCallback(&a, &record, -4, 0, 0), 0);
    ASSERT_EQ(frames.size(), 3u);
    for (const auto& f : frames) EXPECT_THAT(f.touches, IsEmpty());
}

TEST_F(FrameRouting, ManyContactsUpToTheBoundAndUnalignedRecordsDecode) {
    MultitouchManagerTestAccess::setActive({device(a)});
    constexpr auto kBound = static_cast<int32_t>(MultitouchManager::kMaxContactsPerFrame);
    std::vector<MTTouch> many;
    for (int32_t i = 0; i <= kBound; ++i) many.push_back(rawRecord(i, 4, 0.1f, 0.1f));
    mtCallback(&a, many.data(), kBound + 1, 0, 0);  // beyond the bound: dropped whole
    mtCallback(&a, many.data(), kBound, 0, 0);

    std::vector<std::byte> shifted(sizeof(MTTouch) + 1);
    const MTTouch one = rawRecord(77, 5, 0.5f, 0.5f);
    std::memcpy(shifted.data() + 1, &one, sizeof one);
    mtCallback(&a, reinterpret_cast<MTTouch*>(shifted.data() + 1), 1, 0, 0);

    ASSERT_EQ(frames.size(), 2u);
    ASSERT_EQ(frames[0].touches.size(), static_cast<std::size_t>(kBound));
    EXPECT_EQ(frames[0].touches.back().id, kBound - 1);
    EXPECT_EQ(frames[1].touches[0].id, 77);
}

TEST_F(FrameRouting, AHandlerThatThrowsOrSendsAFrameItselfNeitherUnwindsNorDeadlocks) {
    MultitouchManagerTestAccess::setActive({device(a)});
    MTTouch record = rawRecord(1, 4, 0.5f, 0.5f);
    int calls = 0;
    MultitouchManager::shared().onFrame = [&](const MTDeviceInfo&, std::span<const Touch>) {
        if (++calls == 1) throw std::runtime_error("handler failure");
        mtCallback(&a, &record, 1, 0, 0);  // from inside the handler: dropped
    };
    EXPECT_EQ(mtCallback(&a, &record, 1, 0, 0), 0);
    EXPECT_EQ(mtCallback(&a, &record, 1, 0, 0), 0);  // the throw left nothing held
    EXPECT_EQ(calls, 2);
}

TEST(MTDeviceInfo, TellsAMagicMouseByFamilyThenByShape) {
    auto info = [](int32_t family, bool builtIn, double w, double h) {
        return MTDeviceInfo{.family = family, .widthMM = w, .heightMM = h, .builtIn = builtIn};
    };
    EXPECT_TRUE(info(112, true, 100, 60).isMagicMouse());
    EXPECT_TRUE(info(113, false, 0, 0).isMagicMouse());
    EXPECT_TRUE(info(0, false, 40, 60).isMagicMouse());
    EXPECT_FALSE(info(0, false, 60, 40).isMagicMouse());
    EXPECT_FALSE(info(0, false, 50, 50).isMagicMouse());
    EXPECT_FALSE(info(98, true, 40, 60).isMagicMouse());
}

// Hostile frames through the whole path: nothing crashes, hangs or posts a non-finite value, and
// a frame holding a position that is not finite is ignored whole.
TEST(BadFrames, NeverCrashOrPostNonFiniteValues) {
    constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
    constexpr float kInf = std::numeric_limits<float>::infinity();
    {
        // A resting finger glitching, or joined by a glitching one, neither lifts nor taps.
        Scenario held;
        double t = 10.0;
        held.frame(t, {{1, 25, 45}});
        for (double bad : {kNaN, kInf, -kInf}) {
            held.frame(t += 0.01, {{1, bad, 45}});
            held.frame(t += 0.01, {{1, 25, 45}, {2, 25, bad, 7}});
            held.frame(t += 0.01, {{1, 25, 45}});
        }
        held.frame(10.6, {});
        EXPECT_THAT(held.posted(), IsEmpty());
        std::vector<std::ptrdiff_t> fingers;
        for (const auto& status : held.statuses) fingers.push_back(status.fingers);
        EXPECT_THAT(fingers, ElementsAre(1, 0));
    }

    Scenario s;
    const float hostile[] = {kNaN, kInf, -kInf, 3e38f, -3e38f, 0.5f};

    double t = 10.0;
    for (float x : hostile) {
        for (float y : hostile) {
            MTTouch records[] = {rawRecord(1, 4, 0.4f, 0.5f), rawRecord(2, 4, x, y),
                                 rawRecord(3, 5, y, x)};
            for (int32_t n : {3, 2, 1, 0, -1}) {
                s.platform.clock->set(t += 0.01);
                mtCallback(&s.mouseHandle, records, n, t, 0);
                mtCallback(nullptr, records, n, t, 0);
                mtCallback(&s.mouseHandle, nullptr, n, t, 0);
            }
        }
    }
    // The same identifiers arriving from a second device.
    int other = 0;
    MultitouchManagerTestAccess::setActive(
        {s.mouse, {.id = reinterpret_cast<uintptr_t>(&other), .ref = &other, .family = 112}});
    MTTouch reused = rawRecord(1, 4, kNaN, 0.5f);
    mtCallback(&other, &reused, 1, t, 0);

    GestureConfig absurd;
    absurd.zoomGain = std::numeric_limits<double>::max();
    absurd.zoomMode = ZoomMode::keyboard;
    s.setConfig(absurd);
    s.frame(t += 0.1, pair(20));
    s.frame(t += 0.1, pair(30));
    s.frame(t += 0.1, pair(40));
    s.platform.queue->drain();

    for (const auto& p : s.posted()) {
        EXPECT_TRUE(isFinite(p.event.location()));
        EXPECT_TRUE(std::isfinite(p.event.doubleValue(platform::EventField::gestureZoomValue)));
    }
}

}  // namespace
}  // namespace tavix::testing
