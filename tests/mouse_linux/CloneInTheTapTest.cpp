#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "Tavix/events/InputMonitor.h"
#include "platform/linux/input/CloneFilter.h"
#include "tests/input/EvdevApplication.h"

namespace tavix::platform::input::testing {
namespace {

using ::testing::ElementsAre;

// A recorded Magic Mouse taken over by the event tap, its clone made through filteredClones: the
// settings apply to what the tap passes, as it leaves through the clone.
TEST(CloneInTheTap, TheClonesApplyTheSettingsToWhatTheTapLetsPass) {
    EvdevApplication app;
    auto stream = app.devices.attach(recordedMagicMouse(3));
    auto settings = std::make_shared<CloneSettings>();
    settings->setTransform({.motionFactor = 0.5,
                            .wheelFactor = 0.5,
                            .invertWheel = true,
                            .buttons = CloneButtons::left});
    app.startMice();
    app.tap = std::make_unique<MagicMouseTap>(
        app.reader, filteredClones(app.clones->maker(app.clones), settings));
    app.backend->tap = app.tap.get();
    ASSERT_TRUE(InputMonitor::shared().start());
    auto send = [&](double t, std::initializer_list<InputEvent> events) {
        stream->push(report(t, events));
        app.settle();
        app.queue->drain();  // the verdicts, so the frame has left by the next step
    };
    send(0.00, {{EV_REL, REL_X, 3}});
    send(0.01, {{EV_REL, REL_X, 3}, {EV_KEY, BTN_LEFT, 1}});
    settings->setTransform({});  // changed while the button is down
    send(0.02, {{EV_KEY, BTN_LEFT, 0}});
    send(0.03, {{EV_REL, REL_WHEEL, 1}, {EV_REL, REL_WHEEL_HI_RES, 120}});
    InputMonitor::shared().stop();

    EXPECT_THAT(
        app.clones->written(),
        ElementsAre(ElementsAre(InputEvent{EV_REL, REL_X, 1}),
                    ElementsAre(InputEvent{EV_REL, REL_X, 2}, InputEvent{EV_KEY, BTN_RIGHT, 1}),
                    ElementsAre(InputEvent{EV_KEY, BTN_RIGHT, 0}),
                    ElementsAre(InputEvent{EV_REL, REL_WHEEL, 1},
                                InputEvent{EV_REL, REL_WHEEL_HI_RES, 120})));
}

}  // namespace
}  // namespace tavix::platform::input::testing
