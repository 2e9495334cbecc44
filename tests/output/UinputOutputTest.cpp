#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <thread>

#include "Tavix/events/Actions.h"
#include "Tavix/events/EventMarker.h"
#include "platform/linux/LinuxEventBackend.h"
#include "platform/sim/SimulatedPlatform.h"
#include "tests/output/OutputRecorder.h"

namespace tavix::platform {
namespace {

using desktop::DesktopAction;
using testing::button;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using testing::key;
using testing::wheel;

struct FixedPointer final : PointerSource {
    std::optional<Point> pointerLocation() override { return Point{640, 400}; }
};

// Actions posts through the real event system into the Linux backend; the devices record.
class UinputOutputTest : public ::testing::Test {
  protected:
    UinputOutputTest() {
        events = std::make_shared<EventSystem>(std::make_shared<LinuxEventBackend>(
            LinuxEventBackend::Parts{.output = output,
                                     .pointer = std::make_shared<FixedPointer>(),
                                     .runAction = [this](DesktopAction a) { ran.push_back(a); },
                                     .physical = {},
                                     .input = nullptr}));
        previous = installEventSystem(events);
    }
    ~UinputOutputTest() override { installEventSystem(previous); }

    std::vector<testing::OutputRecorder::Written> settle() {
        output->waitIdle();
        return recorder.written();
    }

    SimulatedPlatform sim;
    testing::OutputRecorder recorder;
    std::shared_ptr<output::UinputOutput> output = recorder.makeOutput();
    std::vector<DesktopAction> ran;
    std::shared_ptr<EventSystem> events;
    std::shared_ptr<EventSystem> previous;
};

TEST_F(UinputOutputTest, ClicksAreSpacedSoLibinputDebounceKeepsEveryOne) {
    // Posted back to back, as the engine does; the devices need 0.2 s before their first event.
    Actions::leftClick({10, 10}, 1);
    auto written = settle();
    ASSERT_EQ(written.size(), 2u);
    EXPECT_EQ(written[0].frame, button(BTN_LEFT, true));
    EXPECT_EQ(written[1].frame, button(BTN_LEFT, false));
    EXPECT_DOUBLE_EQ(written[0].at, 100.2);
    EXPECT_NEAR(written[1].at - written[0].at, 0.035, 1e-9);

    // The second tap of a double click comes 10 ms after the first click was written: its
    // press waits until 35 ms after the release, so the toolkit sees two separate clicks.
    recorder.clock->advance(0.010);
    Actions::leftClick({10, 10}, 2);
    written = settle();
    ASSERT_EQ(written.size(), 4u);
    EXPECT_EQ(written[2].frame, button(BTN_LEFT, true));
    EXPECT_EQ(written[3].frame, button(BTN_LEFT, false));
    EXPECT_NEAR(written[2].at - written[1].at, 0.035, 1e-9);
    EXPECT_NEAR(written[3].at - written[2].at, 0.035, 1e-9);

    // A click long after needs no wait beyond its own hold.
    recorder.clock->advance(1.0);
    const double posted = recorder.clock->uptime();
    Actions::rightClick();
    written = settle();
    ASSERT_EQ(written.size(), 6u);
    EXPECT_EQ(written[4].frame, button(BTN_RIGHT, true));
    EXPECT_EQ(written[5].frame, button(BTN_RIGHT, false));
    EXPECT_DOUBLE_EQ(written[4].at, posted);
    EXPECT_NEAR(written[5].at - written[4].at, 0.035, 1e-9);
}

TEST_F(UinputOutputTest, ClicksNeverMoveThePointerAndKeepTheirOrderAcrossButtons) {
    Actions::leftClick({5000, 5000}, 1);
    Actions::rightClick();
    Actions::zoomKey(true);
    const auto written = settle();
    EXPECT_THAT(recorder.frames(), ElementsAre(button(BTN_LEFT, true), button(BTN_LEFT, false),
                                               button(BTN_RIGHT, true), button(BTN_RIGHT, false),
                                               key(KEY_LEFTCTRL, true), key(KEY_KPPLUS, true),
                                               key(KEY_KPPLUS, false), key(KEY_LEFTCTRL, false)));
    for (std::size_t i = 1; i < written.size(); ++i) EXPECT_GE(written[i].at, written[i - 1].at);
    // Right press 35 ms after the left release; the keyboard after a device switch.
    EXPECT_NEAR(written[2].at - written[1].at, 0.035, 1e-9);
    EXPECT_NEAR(written[4].at - written[3].at, 0.008, 1e-9);
}

TEST_F(UinputOutputTest, ZoomKeysUseTheKeypadAndCommandSpaceIsTheDesktopSearch) {
    Actions::zoomKey(false);
    Actions::key(Actions::kKeySpace, kEventFlagMaskCommand);
    EXPECT_THAT(settle().size(), 4u);
    EXPECT_THAT(recorder.frames(), ElementsAre(key(KEY_LEFTCTRL, true), key(KEY_KPMINUS, true),
                                               key(KEY_KPMINUS, false), key(KEY_LEFTCTRL, false)));
    // Never a literal Ctrl+Space: the search is run once, for the key-down.
    EXPECT_THAT(ran, ElementsAre(DesktopAction::spotlight));

    // Through the pinch target too (it runs on the main queue).
    Actions::perform(PinchAction::spotlight);
    sim.queue->drain();
    EXPECT_THAT(ran, ElementsAre(DesktopAction::spotlight, DesktopAction::spotlight));
    EXPECT_EQ(settle().size(), 4u);
}

// The desktop actions fall back to another way when a chord cannot be typed.
TEST_F(UinputOutputTest, AChordSaysWhetherThereIsAKeyboardToTypeItOn) {
    EXPECT_TRUE(output->pressChord({{KEY_LEFTMETA}, KEY_A}));
    EXPECT_THAT(settle().size(), 4u);
    output::UinputOutput withoutDevices([&] {
        return std::make_unique<output::OutputScheduler>(
            nullptr, nullptr, recorder.clock,
            std::make_shared<testing::VirtualSleeper>(recorder.clock),
            output::OutputScheduler::Timing{});
    });
    EXPECT_FALSE(withoutDevices.pressChord({{KEY_LEFTMETA}, KEY_A}));
    // Nor while the session is another user's and the devices are gone.
    output->setSuspended(true);
    EXPECT_FALSE(output->pressChord({{KEY_LEFTMETA}, KEY_A}));
}

// Holds the writer in its wait for the devices until opened.
class GateSleeper final : public output::Sleeper {
  public:
    void sleepUntil(double) override {
        std::unique_lock lock(mutex_);
        opened_.wait(lock, [this] { return open_; });
    }
    void open() {
        std::lock_guard guard(mutex_);
        open_ = true;
        opened_.notify_all();
    }

  private:
    std::mutex mutex_;
    std::condition_variable opened_;
    bool open_ = false;
};

// What is still queued when the seat goes to another user never reaches their session; at most
// the write already under way ends.
TEST_F(UinputOutputTest, NothingQueuedIsWrittenOnceSuspended) {
    auto gate = std::make_shared<GateSleeper>();
    auto held = recorder.makeOutput({}, gate);
    const output::KeyChord chord{{KEY_LEFTMETA}, KEY_A};
    ASSERT_TRUE(held->pressChord(chord));
    std::thread switching([&] { held->setSuspended(true); });
    // Queued behind the held write until the switch refuses more.
    while (held->pressChord(chord)) std::this_thread::yield();
    gate->open();
    switching.join();
    EXPECT_LE(recorder.frames().size(), 1u);
}

// The system gestures' output: back and forward are the side buttons, Control-arrow the desktop's
// workspace on either side, run once for the key-down.
TEST_F(UinputOutputTest, SideButtonsGoBackAndForwardAndControlArrowsSwitchWorkspaces) {
    Actions::otherClick(MouseButton::back);
    Actions::otherClick(MouseButton::forward);
    Actions::key(Actions::kKeyLeftArrow, kEventFlagMaskControl);
    Actions::key(Actions::kKeyRightArrow, kEventFlagMaskControl);
    EXPECT_EQ(settle().size(), 4u);
    EXPECT_THAT(recorder.frames(), ElementsAre(button(BTN_SIDE, true), button(BTN_SIDE, false),
                                               button(BTN_EXTRA, true), button(BTN_EXTRA, false)));
    EXPECT_THAT(ran, ElementsAre(DesktopAction::workspaceLeft, DesktopAction::workspaceRight));
}

TEST_F(UinputOutputTest, NativeZoomSendsWholeNotchesWithCtrlOnlyAroundEachBurst) {
    Actions::magnify(0, GesturePhase::began);
    Actions::magnify(0.25, GesturePhase::changed);   // 2 notches, 0.5 kept
    Actions::magnify(0.04, GesturePhase::changed);   // 0.9: nothing yet
    Actions::magnify(0.01, GesturePhase::changed);   // 1.0: one notch
    Actions::magnify(-0.12, GesturePhase::changed);  // -1.2: one notch out, -0.2 kept
    Actions::magnify(-0.08, GesturePhase::changed);  // -1.0: one more
    Actions::magnify(0, GesturePhase::ended);
    const auto written = settle();
    EXPECT_THAT(recorder.frames(),
                ElementsAre(key(KEY_LEFTCTRL, true), wheel(1), wheel(1), key(KEY_LEFTCTRL, false),
                            key(KEY_LEFTCTRL, true), wheel(1), key(KEY_LEFTCTRL, false),
                            key(KEY_LEFTCTRL, true), wheel(-1), key(KEY_LEFTCTRL, false),
                            key(KEY_LEFTCTRL, true), wheel(-1), key(KEY_LEFTCTRL, false)));
    // The compositor reads each device on its own: Ctrl is down well before the wheel and
    // released only after it.
    EXPECT_NEAR(written[1].at - written[0].at, 0.008, 1e-9);
    EXPECT_NEAR(written[3].at - written[2].at, 0.008, 1e-9);

    // A new zoom starts from nothing: what the last one left (half a notch) does not leak into it.
    recorder.clear();
    Actions::magnify(0, GesturePhase::began);
    Actions::magnify(0.05, GesturePhase::changed);
    Actions::magnify(0, GesturePhase::ended);
    Actions::magnify(0, GesturePhase::began);
    Actions::magnify(0.09, GesturePhase::changed);
    Actions::magnify(0, GesturePhase::ended);
    settle();
    EXPECT_TRUE(recorder.frames().empty());

    // With natural scrolling the desktop turns the wheel around; so does the zoom.
    output->setNaturalScrolling(true);
    Actions::magnify(0, GesturePhase::began);
    Actions::magnify(0.1, GesturePhase::changed);
    settle();
    EXPECT_THAT(recorder.frames(),
                ElementsAre(key(KEY_LEFTCTRL, true), wheel(-1), key(KEY_LEFTCTRL, false)));
}

TEST_F(UinputOutputTest, ReleasesAreWrittenEvenWhenATapDropsThemSoNothingStaysHeld) {
    Event down;
    down.setType(EventType::leftMouseDown);
    Event up;
    up.setType(EventType::leftMouseUp);
    output->post(down, false);  // dropped press: nothing
    output->post(up, false);    // and no stray release
    output->post(down, true);
    output->post(up, false);  // dropped release of a held button: written anyway
    output->post(up, true);   // nothing left to release
    settle();
    EXPECT_THAT(recorder.frames(), ElementsAre(button(BTN_LEFT, true), button(BTN_LEFT, false)));
}

TEST(UinputOutputCapabilities, TheDesktopSeesAPlainMouseAndAKeyboard) {
    auto has = [](const input::DeviceCapabilities& caps, uint16_t type, uint16_t code) {
        return std::any_of(caps.codes.begin(), caps.codes.end(),
                           [&](const auto& c) { return c.type == type && c.code == code; });
    };
    const auto pointer = output::UinputOutput::pointerCapabilities();
    EXPECT_EQ(pointer.name, "Tavix virtual pointer");
    for (uint16_t code : {BTN_LEFT, BTN_RIGHT, BTN_MIDDLE, BTN_SIDE, BTN_EXTRA})
        EXPECT_TRUE(has(pointer, EV_KEY, code));
    for (uint16_t code : {REL_X, REL_Y, REL_WHEEL, REL_HWHEEL, REL_WHEEL_HI_RES, REL_HWHEEL_HI_RES})
        EXPECT_TRUE(has(pointer, EV_REL, code));
    EXPECT_FALSE(has(pointer, EV_KEY, KEY_A));

    const auto keyboard = output::UinputOutput::keyboardCapabilities();
    EXPECT_EQ(keyboard.name, "Tavix virtual keyboard");
    for (uint16_t code = KEY_ESC; code <= KEY_D; ++code) EXPECT_TRUE(has(keyboard, EV_KEY, code));
    for (uint16_t code : {KEY_LEFTCTRL, KEY_LEFTALT, KEY_LEFTSHIFT, KEY_LEFTMETA, KEY_KPPLUS,
                          KEY_KPMINUS, KEY_SPACE, KEY_F1})
        EXPECT_TRUE(has(keyboard, EV_KEY, code));
    EXPECT_FALSE(has(keyboard, EV_KEY, BTN_LEFT));
    EXPECT_FALSE(has(keyboard, EV_REL, REL_X));
}

}  // namespace
}  // namespace tavix::platform
