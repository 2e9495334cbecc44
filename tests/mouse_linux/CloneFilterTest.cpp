#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <climits>
#include <numeric>

#include "platform/linux/input/CloneFilter.h"

namespace tavix::platform::input {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

using Frame = std::vector<InputEvent>;

InputEvent rel(uint16_t code, int32_t value) {
    return {EV_REL, code, value};
}
InputEvent key(uint16_t code, int32_t value) {
    return {EV_KEY, code, value};
}

class CloneFilterTest : public ::testing::Test {
  protected:
    void set(CloneTransform transform) { settings->setTransform(transform); }
    Frame run(const Frame& frame) { return filter.apply(frame); }
    // The sum of one code over every frame the filter emits for the stream.
    int32_t total(const std::vector<Frame>& stream, uint16_t code) {
        int32_t sum = 0;
        for (const auto& frame : stream) {
            for (const auto& e : filter.apply(frame)) {
                if (e.type == EV_REL && e.code == code) sum += e.value;
            }
        }
        return sum;
    }

    std::shared_ptr<CloneSettings> settings = std::make_shared<CloneSettings>();
    CloneFilter filter{settings};
};

TEST_F(CloneFilterTest, TheDefaultsChangeNothing) {
    const Frame frame{rel(REL_X, 3), rel(REL_Y, -2), rel(REL_WHEEL, 1), rel(REL_WHEEL_HI_RES, 120),
                      key(BTN_RIGHT, 1)};
    EXPECT_EQ(filter.apply(frame), frame);
}

// Slow motion at a quarter of its speed: single counts add up instead of vanishing.
TEST_F(CloneFilterTest, MotionScalingKeepsTheFractions) {
    set({.motionFactor = 0.25});
    const std::vector<Frame> stream(40, Frame{rel(REL_X, 1), rel(REL_Y, -1)});
    std::vector<Frame> out;
    int32_t x = 0;
    int32_t y = 0;
    for (const auto& frame : stream) {
        for (const auto& e : filter.apply(frame)) {
            if (e.code == REL_X) x += e.value;
            if (e.code == REL_Y) y += e.value;
            EXPECT_NE(e.value, 0);  // nothing empty goes out
        }
    }
    EXPECT_EQ(x, 10);
    EXPECT_EQ(y, -10);

    set({.motionFactor = 2.5});
    EXPECT_EQ(total({{rel(REL_X, 3)}, {rel(REL_X, 3)}}, REL_X), 15);
}

// A wheel at 0.3: the high-resolution units add up exactly, and a notch goes out each time
// 120 of them have gone out, in the same frame.
TEST_F(CloneFilterTest, WheelScalingKeepsHighResolutionUnitsAndNotchesInStep) {
    set({.wheelFactor = 0.3});
    const Frame notch{rel(REL_WHEEL, 1), rel(REL_WHEEL_HI_RES, 120)};
    int32_t units = 0;
    int32_t notches = 0;
    for (int i = 0; i < 10; ++i) {
        for (const auto& e : filter.apply(notch)) {
            if (e.code == REL_WHEEL_HI_RES) units += e.value;
            if (e.code == REL_WHEEL) notches += e.value;
        }
        EXPECT_EQ(notches, units / 120) << "after notch " << i;
    }
    EXPECT_EQ(units, 360);
    EXPECT_EQ(notches, 3);

    // Tiny high-resolution steps (a finger barely moving) are not lost either.
    set({.wheelFactor = 0.1});
    EXPECT_EQ(total(std::vector<Frame>(100, Frame{rel(REL_HWHEEL_HI_RES, 3)}), REL_HWHEEL_HI_RES),
              30);
}

// A hostile device's values saturate instead of wrapping round to the other sign, and what was
// cut off is not carried into later frames.
TEST_F(CloneFilterTest, HostileValuesSaturate) {
    set({.motionFactor = 3.0, .wheelFactor = 3.0});
    EXPECT_THAT(run({rel(REL_X, 1'000'000'000), rel(REL_Y, INT32_MIN)}),
                ElementsAre(rel(REL_X, INT32_MAX), rel(REL_Y, INT32_MIN)));
    EXPECT_THAT(run({rel(REL_X, 1)}), ElementsAre(rel(REL_X, 3)));
    for (const Frame& frame : {Frame{rel(REL_WHEEL, 20'000'000)},
                               Frame{rel(REL_WHEEL_HI_RES, INT32_MAX), rel(REL_WHEEL_HI_RES, 9)},
                               Frame{rel(REL_HWHEEL, -20'000'000)}}) {
        const bool positive = frame[0].value > 0;
        for (const auto& e : run(frame)) {
            EXPECT_EQ(e.value > 0, positive) << e.code << " " << e.value;
            if (e.code == REL_WHEEL_HI_RES || e.code == REL_HWHEEL_HI_RES) {
                EXPECT_EQ(e.value, positive ? INT32_MAX : INT32_MIN);
            }
        }
    }
}

TEST_F(CloneFilterTest, InversionTurnsBothWheelsAndAWheelWithoutHighResolution) {
    set({.wheelFactor = 1.0, .invertWheel = true});
    EXPECT_THAT(run({rel(REL_WHEEL, 1), rel(REL_WHEEL_HI_RES, 120)}),
                ElementsAre(rel(REL_WHEEL, -1), rel(REL_WHEEL_HI_RES, -120)));
    EXPECT_THAT(run({rel(REL_HWHEEL, -2)}),
                ElementsAre(rel(REL_HWHEEL, 2), rel(REL_HWHEEL_HI_RES, 240)));
    // Half a notch back and forth leaves no notch behind.
    EXPECT_THAT(run({rel(REL_WHEEL_HI_RES, 60)}), ElementsAre(rel(REL_WHEEL_HI_RES, -60)));
    EXPECT_THAT(run({rel(REL_WHEEL_HI_RES, -60)}), ElementsAre(rel(REL_WHEEL_HI_RES, 60)));
    EXPECT_THAT(run({rel(REL_WHEEL_HI_RES, 60)}), ElementsAre(rel(REL_WHEEL_HI_RES, -60)));
}

TEST_F(CloneFilterTest, ButtonModes) {
    set({.buttons = CloneButtons::left});
    EXPECT_THAT(run({key(BTN_LEFT, 1)}), ElementsAre(key(BTN_RIGHT, 1)));
    EXPECT_THAT(run({key(BTN_LEFT, 0)}), ElementsAre(key(BTN_RIGHT, 0)));
    EXPECT_THAT(run({key(BTN_RIGHT, 1), rel(REL_X, 2)}),
                ElementsAre(key(BTN_LEFT, 1), rel(REL_X, 2)));
    EXPECT_THAT(run({key(BTN_RIGHT, 0)}), ElementsAre(key(BTN_LEFT, 0)));
    EXPECT_THAT(run({key(BTN_MIDDLE, 1)}), ElementsAre(key(BTN_MIDDLE, 1)));

    set({.buttons = CloneButtons::off});
    EXPECT_THAT(run({key(BTN_RIGHT, 1)}), ElementsAre(key(BTN_LEFT, 1)));
    EXPECT_THAT(run({key(BTN_RIGHT, 0)}), ElementsAre(key(BTN_LEFT, 0)));
    // Both pressed: one left press; it stays down until the last of the two is released.
    EXPECT_THAT(run({key(BTN_LEFT, 1)}), ElementsAre(key(BTN_LEFT, 1)));
    EXPECT_THAT(run({key(BTN_RIGHT, 1)}), IsEmpty());
    EXPECT_THAT(run({key(BTN_LEFT, 0)}), IsEmpty());
    EXPECT_THAT(run({key(BTN_RIGHT, 0)}), ElementsAre(key(BTN_LEFT, 0)));
}

// The mode changes while a button is held: the release matches the press that went out, and
// no button is left down or released twice.
TEST_F(CloneFilterTest, AModeChangeMidPressLeavesNoButtonStuck) {
    const std::vector<std::pair<CloneButtons, CloneButtons>> changes{
        {CloneButtons::right, CloneButtons::left},
        {CloneButtons::left, CloneButtons::off},
        {CloneButtons::off, CloneButtons::right},
        {CloneButtons::left, CloneButtons::right}};
    for (const auto& [before, after] : changes) {
        CloneFilter fresh(settings);
        std::map<uint16_t, int> down;
        auto run = [&](const Frame& frame) {
            for (const auto& e : fresh.apply(frame)) {
                if (e.type != EV_KEY) continue;
                down[e.code] += e.value ? 1 : -1;
                ASSERT_GE(down[e.code], 0) << "released twice";
                ASSERT_LE(down[e.code], 1) << "pressed twice";
            }
        };
        set({.buttons = before});
        run({key(BTN_RIGHT, 1)});
        run({key(BTN_LEFT, 1)});
        set({.buttons = after});
        run({key(BTN_RIGHT, 0)});
        run({key(BTN_LEFT, 1)});  // a stray repeat of a press already held
        run({key(BTN_LEFT, 0)});
        run({key(BTN_LEFT, 0)});  // and of a release
        for (const auto& [code, count] : down) EXPECT_EQ(count, 0) << "button " << code;
    }
}

TEST(FilteredClone, WrapsEveryCloneAMakerMakesAndNoneItCannot) {
    auto settings = std::make_shared<CloneSettings>();
    settings->setTransform({.invertWheel = true});
    RecordingSink* made = nullptr;
    const auto make = filteredClones(
        [&](int device) -> std::unique_ptr<InputSink> {
            if (device == 0) return nullptr;
            auto sink = std::make_unique<RecordingSink>();
            made = sink.get();
            return sink;
        },
        settings);
    EXPECT_EQ(make(0), nullptr);
    const auto clone = make(1);
    const InputEvent wheel = rel(REL_WHEEL_HI_RES, 30);
    clone->writeFrame({&wheel, 1});
    ASSERT_NE(made, nullptr);
    EXPECT_THAT(made->frames, ElementsAre(Frame{rel(REL_WHEEL_HI_RES, -30)}));
}

TEST(FilteredClone, WritesTheFilteredFrameAndNothingForAnEmptyOne) {
    auto recording = std::make_unique<RecordingSink>();
    auto* frames = &recording->frames;
    auto settings = std::make_shared<CloneSettings>();
    settings->setTransform({.motionFactor = 0.5});
    FilteredClone clone(std::move(recording), settings);
    const InputEvent one = rel(REL_X, 1);
    EXPECT_TRUE(clone.writeFrame({&one, 1}));  // half a count: nothing yet
    EXPECT_TRUE(clone.writeFrame({&one, 1}));
    EXPECT_THAT(*frames, ElementsAre(Frame{rel(REL_X, 1)}));
}

}  // namespace
}  // namespace tavix::platform::input
