#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "Tavix/events/InputMonitor.h"
#include "platform/linux/input/CloneFilter.h"
#include "platform/linux/mouse/LinuxPreferenceServices.h"
#include "tests/input/EvdevApplication.h"
#include "tests/mouse_settings/TempDirectory.h"

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

// A fresh start on a desktop where the clone applies the settings, nothing stored: every frame
// leaves the clone as the mouse sent it, wheels (whole notches, part notches, either way) first
// of all; the first stored choice is what changes them.
TEST(CloneInTheTap, AFreshStartPassesTheMouseThroughUnchanged) {
    tavix::testing::TempDirectory preferences;
    mouse::LinuxPreferenceServices::Options options;
    options.preferencesDirectory = preferences.path();
    options.connectBus = nullptr;
    options.currentDesktop = "XFCE";
    options.swaySocket = false;
    auto services = mouse::makeLinuxPreferenceServices(options);
    EvdevApplication app;
    auto stream = app.devices.attach(recordedMagicMouse(3));
    app.startMice();
    app.tap = std::make_unique<MagicMouseTap>(
        app.reader, filteredClones(app.clones->maker(app.clones), services.cloneSettings));
    app.backend->tap = app.tap.get();
    ASSERT_TRUE(InputMonitor::shared().start());
    const std::vector<std::vector<InputEvent>> frames{
        {{EV_REL, REL_WHEEL, 1}, {EV_REL, REL_WHEEL_HI_RES, 120}},
        {{EV_REL, REL_WHEEL, -2}, {EV_REL, REL_WHEEL_HI_RES, -240}},
        {{EV_REL, REL_WHEEL_HI_RES, 30}},
        {{EV_REL, REL_WHEEL, 1}, {EV_REL, REL_WHEEL_HI_RES, 90}},
        {{EV_REL, REL_HWHEEL, -1}, {EV_REL, REL_HWHEEL_HI_RES, -120}},
        {{EV_REL, REL_X, 7}, {EV_REL, REL_Y, -3}, {EV_KEY, BTN_RIGHT, 1}},
        {{EV_KEY, BTN_RIGHT, 0}},
    };
    double t = 0;
    auto send = [&](const std::vector<InputEvent>& frame) {
        std::vector<TimedEvent> timed;
        timed.reserve(frame.size() + 1);
        for (const auto& event : frame) timed.push_back({t, event});
        timed.push_back({t, {EV_SYN, SYN_REPORT, 0}});
        t += 0.01;
        stream->push(timed);
        app.settle();
        app.queue->drain();
    };
    for (const auto& frame : frames) send(frame);
    EXPECT_EQ(app.clones->written(), frames);
    // The window reads what the clone does.
    EXPECT_EQ(booleanValue(services.store->copyValue("com.apple.swipescrolldirection",
                                                     PreferenceDomain::global())),
              std::optional(false));

    services.store->setValue("com.apple.swipescrolldirection", true, PreferenceDomain::global());
    send(frames.front());
    InputMonitor::shared().stop();
    EXPECT_EQ(app.clones->written().back(),
              (std::vector<InputEvent>{{EV_REL, REL_WHEEL, -1}, {EV_REL, REL_WHEEL_HI_RES, -120}}));
}

}  // namespace
}  // namespace tavix::platform::input::testing
