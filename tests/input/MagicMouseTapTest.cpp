#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "Tavix/events/InputMonitor.h"
#include "platform/linux/LinuxEventBackend.h"
#include "platform/linux/input/PhysicalInput.h"
#include "tests/input/EvdevApplication.h"

namespace tavix::platform::input::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Frames = std::vector<std::vector<InputEvent>>;

constexpr InputEvent kMoveRight{EV_REL, REL_X, 4};
constexpr InputEvent kMoveDown{EV_REL, REL_Y, -2};
constexpr InputEvent kLeftDown{EV_KEY, BTN_LEFT, 1};
constexpr InputEvent kLeftUp{EV_KEY, BTN_LEFT, 0};

// One recorded mouse, taken over by the tap while the input monitor runs.
struct TappedMouse : ::testing::Test {
    EvdevApplication app;
    std::shared_ptr<RecordedStream> stream = app.devices.attach(recordedMagicMouse(3));

    TappedMouse() {
        app.startMice();
        app.startTap();
    }
    ~TappedMouse() override { InputMonitor::shared().stop(); }

    void startMonitor() { ASSERT_TRUE(InputMonitor::shared().start()); }
    void send(double t, std::initializer_list<InputEvent> events) {
        stream->push(report(t, events));
        app.settle();
    }
};

TEST_F(TappedMouse, TheCloneDeclaresAPlainMouseAndEmitsEachKindOfInputAsAPlainMouseWould) {
    const auto caps = MagicMouseTap::cloneCapabilities({.node = recordedMagicMouse(3)});
    std::vector<std::pair<uint16_t, uint16_t>> codes;
    for (const auto& c : caps.codes) codes.emplace_back(c.type, c.code);
    EXPECT_THAT(codes,
                ElementsAre(std::pair{EV_REL, REL_X}, std::pair{EV_REL, REL_Y},
                            std::pair{EV_REL, REL_HWHEEL}, std::pair{EV_REL, REL_WHEEL},
                            std::pair{EV_REL, REL_WHEEL_HI_RES},
                            std::pair{EV_REL, REL_HWHEEL_HI_RES}, std::pair{EV_KEY, BTN_LEFT},
                            std::pair{EV_KEY, BTN_RIGHT}, std::pair{EV_KEY, BTN_MIDDLE}));
    EXPECT_EQ(caps.bustype, 0x06);

    startMonitor();
    EXPECT_TRUE(stream->grabbed());
    EXPECT_TRUE(InputMonitor::shared().isRunning());
    send(0.00, {kMoveRight, kMoveDown, abs(ABS_MT_SLOT, 0), {EV_MSC, MSC_SCAN, 7}});
    send(0.01, {{EV_KEY, BTN_RIGHT, 1}});
    send(0.02, {{EV_KEY, BTN_RIGHT, 0}});
    send(0.03, {{EV_REL, REL_WHEEL, -1}});          // an older kernel: no high-resolution axis
    send(0.04, {{EV_REL, REL_HWHEEL_HI_RES, 30}});  // part of a notch
    send(0.05, {{EV_KEY, BTN_MIDDLE, 1}, {EV_KEY, BTN_MIDDLE, 2}});
    app.queue->drain();

    EXPECT_THAT(app.clones->written(),
                ElementsAre(ElementsAre(kMoveRight, kMoveDown),
                            ElementsAre(InputEvent{EV_KEY, BTN_RIGHT, 1}),
                            ElementsAre(InputEvent{EV_KEY, BTN_RIGHT, 0}),
                            ElementsAre(InputEvent{EV_REL, REL_WHEEL, -1},
                                        InputEvent{EV_REL, REL_WHEEL_HI_RES, -120}),
                            ElementsAre(InputEvent{EV_REL, REL_HWHEEL_HI_RES, 30}),
                            ElementsAre(InputEvent{EV_KEY, BTN_MIDDLE, 1})));
    const auto verdicts = app.backend->verdicts();
    ASSERT_EQ(verdicts.size(), 5u);
    EXPECT_EQ(verdicts[0].type, EventType::rightMouseDown);
    EXPECT_EQ(verdicts[1].type, EventType::rightMouseUp);
    EXPECT_EQ(verdicts[2].type, EventType::scrollWheel);
    EXPECT_EQ(verdicts[4].type, EventType::otherMouseDown);
}

TEST_F(TappedMouse, MotionGoesStraightOutButNeverOvertakesATappedEvent) {
    startMonitor();
    send(0.00, {kMoveRight});
    EXPECT_THAT(app.clones->written(), ElementsAre(ElementsAre(kMoveRight)));
    EXPECT_EQ(app.queue->pending(), 0u);

    send(0.01, {kLeftDown});
    send(0.02, {kMoveDown});
    send(0.03, {kLeftUp});
    send(0.04, {kMoveRight});
    // The press waits for the main thread, and everything after it waits behind it.
    EXPECT_EQ(app.clones->written().size(), 1u);
    app.queue->drain();
    EXPECT_THAT(app.clones->written(),
                ElementsAre(ElementsAre(kMoveRight), ElementsAre(kLeftDown), ElementsAre(kMoveDown),
                            ElementsAre(kLeftUp), ElementsAre(kMoveRight)));
    // Nothing pending: motion is direct again.
    send(0.05, {kMoveDown});
    EXPECT_EQ(app.clones->written().size(), 6u);
    EXPECT_EQ(app.tap->motion(), (Point{8, -4}));
}

TEST_F(TappedMouse, ScrollingIsDroppedDuringAZoomAndPassedOtherwise) {
    startMonitor();
    send(0.0, {{EV_REL, REL_WHEEL, 1}, {EV_REL, REL_WHEEL_HI_RES, 120}});
    app.queue->drain();
    // Two fingers spreading on the same mouse: the engine zooms.
    send(1.00, {abs(ABS_MT_SLOT, 0), abs(ABS_MT_TRACKING_ID, 1), abs(ABS_MT_POSITION_X, 0),
                abs(ABS_MT_POSITION_Y, 0), abs(ABS_MT_SLOT, 1), abs(ABS_MT_TRACKING_ID, 2),
                abs(ABS_MT_POSITION_X, 0), abs(ABS_MT_POSITION_Y, 400)});
    send(1.02, {abs(ABS_MT_POSITION_Y, 900)});
    send(1.04, {abs(ABS_MT_POSITION_Y, 1400),
                kMoveRight,
                {EV_REL, REL_WHEEL, 1},
                {EV_REL, REL_WHEEL_HI_RES, 120}});
    app.queue->drain();
    ASSERT_TRUE(GestureEngine::shared().shouldSuppressScroll());
    // Long after the fingers lifted, scrolling passes again.
    send(1.06, {abs(ABS_MT_TRACKING_ID, -1), abs(ABS_MT_SLOT, 0), abs(ABS_MT_TRACKING_ID, -1)});
    app.clock->advance(4);  // only contact frames move the test's clock
    send(5.00, {{EV_REL, REL_WHEEL, -1}, {EV_REL, REL_WHEEL_HI_RES, -120}});
    app.queue->drain();

    const auto written = app.clones->written();
    ASSERT_EQ(written.size(), 3u);
    EXPECT_THAT(written[1], ElementsAre(kMoveRight));  // the motion of the dropped frame stays
    EXPECT_THAT(written[2], ElementsAre(InputEvent{EV_REL, REL_WHEEL, -1},
                                        InputEvent{EV_REL, REL_WHEEL_HI_RES, -120}));
    const auto verdicts = app.backend->verdicts();
    ASSERT_EQ(verdicts.size(), 3u);
    EXPECT_TRUE(verdicts[0].delivered);
    EXPECT_FALSE(verdicts[1].delivered);
    EXPECT_TRUE(verdicts[2].delivered);
}

TEST_F(TappedMouse, APhysicalPressDuringATouchIsNotAlsoATap) {
    startMonitor();
    auto tap = events(fixture("first-model-tap.evemu"));
    // The button goes down and up with the fourth and seventh reports of the touch.
    std::vector<TimedEvent> pressed;
    int reports = 0;
    for (const auto& e : tap) {
        if (e.event.type == EV_SYN) {
            ++reports;
            if (reports == 4) pressed.push_back({e.time, kLeftDown});
            if (reports == 7) pressed.push_back({e.time, kLeftUp});
        }
        pressed.push_back(e);
        if (e.event.type == EV_SYN && (reports == 4 || reports == 7)) {
            stream->push(pressed);
            pressed.clear();
            app.settle();
            app.queue->drain();  // the tap sees the press at the time of its report
        }
    }
    stream->push(pressed);
    app.settle();
    app.queue->drain();

    EXPECT_EQ(app.framesDelivered(), 11);
    EXPECT_THAT(app.backend->posted(), IsEmpty());
    EXPECT_THAT(app.clones->written(), ElementsAre(ElementsAre(kLeftDown), ElementsAre(kLeftUp)));
}

TEST_F(TappedMouse, WithoutAGrabTheTapOnlyWatchesAndSaysSo) {
    stream->refuseGrab(true);
    startMonitor();
    EXPECT_FALSE(InputMonitor::shared().isRunning());
    EXPECT_FALSE(stream->grabbed());
    EXPECT_EQ(app.clones->aliveNow(), 0);  // never a clone beside a mouse the desktop still reads

    send(0.0, {kLeftDown, kMoveRight});
    app.queue->drain();
    EXPECT_THAT(app.clones->written(), IsEmpty());
    ASSERT_EQ(app.backend->verdicts().size(), 1u);  // the press was still noted
    EXPECT_EQ(app.backend->verdicts()[0].type, EventType::leftMouseDown);
}

// A grab sends no release: taking over a mouse whose button is down would leave that button
// pressed on the desktop. The take-over waits for the release, which the desktop still gets.
TEST_F(TappedMouse, AButtonHeldWhenTheTapStartsDelaysTheTakeOverUntilItIsReleased) {
    send(0.0, {kLeftDown});
    startMonitor();
    EXPECT_FALSE(stream->grabbed());
    EXPECT_FALSE(InputMonitor::shared().isRunning());
    send(0.1, {kMoveRight});
    EXPECT_FALSE(stream->grabbed());
    send(0.2, {kLeftUp});
    EXPECT_TRUE(stream->grabbed());
    EXPECT_TRUE(InputMonitor::shared().isRunning());
    app.queue->drain();
    EXPECT_THAT(app.clones->written(), IsEmpty());  // the release went the mouse's own way
    send(0.3, {kLeftDown});
    send(0.4, {kLeftUp});
    app.queue->drain();
    EXPECT_THAT(app.clones->written(), ElementsAre(ElementsAre(kLeftDown), ElementsAre(kLeftUp)));
}

TEST_F(TappedMouse, WithoutAClonTheMouseIsNeverGrabbed) {
    app.clones->refuse = true;
    startMonitor();
    EXPECT_FALSE(stream->grabbed());
    EXPECT_FALSE(InputMonitor::shared().isRunning());
}

TEST_F(TappedMouse, StoppingTheTapReleasesTheMouseAndStillDeliversWhatWasWaiting) {
    startMonitor();
    send(0.0, {kLeftDown});
    InputMonitor::shared().stop();
    EXPECT_FALSE(stream->grabbed());
    EXPECT_EQ(app.clones->aliveNow(), 1);
    app.queue->drain();
    EXPECT_THAT(app.clones->written(), ElementsAre(ElementsAre(kLeftDown)));
    EXPECT_EQ(app.clones->aliveNow(), 0);
    send(0.1, {kLeftUp});  // the desktop reads the mouse itself again
    EXPECT_EQ(app.clones->written().size(), 1u);
}

TEST_F(TappedMouse, AMouseVanishingWithAPressWaitingEndsCleanly) {
    startMonitor();
    send(0.0, {kLeftDown});
    stream->vanish();
    app.devices.detach("/dev/input/event3");
    app.settle();
    EXPECT_TRUE(InputMonitor::shared().isRunning());
    app.queue->drain();
    EXPECT_THAT(app.clones->written(), ElementsAre(ElementsAre(kLeftDown)));
    EXPECT_EQ(app.clones->aliveNow(), 0);  // and with it, the held button is released
}

TEST_F(TappedMouse, AStuckMainThreadNeverFreezesTheMouse) {
    startMonitor();
    send(0.0, {kLeftDown});
    send(0.01, {kMoveRight});
    // Nobody drains the main queue: the frames leave on their own after the timeout.
    ASSERT_TRUE(eventually([&] { return app.clones->written().size() == 2; }));
    app.queue->drain();  // the late verdict changes nothing
    EXPECT_EQ(app.clones->written().size(), 2u);
}

}  // namespace
}  // namespace tavix::platform::input::testing

namespace tavix::platform::input::testing {
namespace {

// The desktop's event backend with the input side plugged in: the tap's hooks reach the mice.
TEST(LinuxEventBackendInput, TheDesktopBackendTakesTheMiceOverWhileTheMonitorRuns) {
    EvdevApplication app;
    auto stream = app.devices.attach(recordedMagicMouse(3));
    app.reader.devices();
    auto input = std::make_shared<PhysicalInput>(app.reader, app.clones->maker(app.clones));
    auto events = std::make_shared<EventSystem>(
        std::make_shared<LinuxEventBackend>(LinuxEventBackend::Parts{.output = nullptr,
                                                                     .pointer = nullptr,
                                                                     .runAction = {},
                                                                     .physical = {},
                                                                     .input = input}));
    auto previous = installEventSystem(events);

    ASSERT_TRUE(InputMonitor::shared().start());
    EXPECT_TRUE(stream->grabbed());
    stream->push(report(0.0, {kLeftDown, kMoveRight}));
    app.settle();
    app.queue->drain();
    EXPECT_THAT(app.clones->written(), ElementsAre(ElementsAre(kLeftDown, kMoveRight)));
    if (input->pointerSource() == PointerLocator::Source::relativeMotion) {
        EXPECT_EQ(events->backend().pointerLocation(), (Point{4, 0}));
    }
    InputMonitor::shared().stop();
    EXPECT_FALSE(stream->grabbed());
    installEventSystem(previous);
}

}  // namespace
}  // namespace tavix::platform::input::testing
