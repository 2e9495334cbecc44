#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "Tavix/events/Actions.h"
#include "platform/linux/LinuxWorkspace.h"
#include "platform/sim/SimulatedPlatform.h"
#include "tests/desktop/DesktopFixture.h"

namespace tavix::platform {
namespace {

using desktop::DesktopAction;
using tavix::testing::FakeShowDesktop;
using tavix::testing::RecordingChords;
using tavix::testing::ScopedEnvironment;
using tavix::testing::TempDirectory;
using ::testing::ElementsAre;

TEST(LinuxWorkspace, TheBundlesOfThePinchTargetsAreDesktopActions) {
    EXPECT_EQ(LinuxWorkspace::actionFor("/System/Applications/Apps.app", {}), DesktopAction::apps);
    EXPECT_EQ(LinuxWorkspace::actionFor("/System/Applications/Launchpad.app", {}),
              DesktopAction::apps);
    EXPECT_EQ(LinuxWorkspace::actionFor("/System/Applications/Mission Control.app", {}),
              DesktopAction::missionControl);
    EXPECT_EQ(LinuxWorkspace::actionFor("/System/Applications/Mission Control.app", {"1"}),
              DesktopAction::showDesktop);
    EXPECT_EQ(LinuxWorkspace::actionFor("/System/Applications/Mission Control.app", {"2"}),
              std::nullopt);
    EXPECT_EQ(LinuxWorkspace::actionFor("/usr/bin/true", {}), std::nullopt);
}

// The application's pinch targets, unchanged, reach the desktop of an X11 window manager.
TEST(LinuxWorkspace, PinchTargetsRunTheDesktopsTriggersOnTheMainQueue) {
    TempDirectory config;
    ScopedEnvironment bus("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/tavix-test-bus");
    SimulatedPlatform sim;
    auto chords = std::make_shared<RecordingChords>();
    auto showDesktop = std::make_shared<FakeShowDesktop>();
    desktop::DesktopActions::Services services;
    services.chords = chords;
    services.showDesktop = showDesktop;
    services.currentDesktop = "XFCE";
    services.sessionType = "x11";
    services.configFile = config.path() / "actions.conf";
    auto workspace = std::make_shared<LinuxWorkspace>(
        std::make_shared<desktop::DesktopActions>(std::move(services)));
    installWorkspace(workspace);

    EXPECT_TRUE(workspace->fileExists("/System/Applications/Apps.app"));
    EXPECT_TRUE(workspace->fileExists("/"));
    EXPECT_FALSE(workspace->fileExists("/System/Applications/Other.app"));

    Actions::perform(PinchAction::apps);
    Actions::perform(PinchAction::missionControl);
    Actions::perform(PinchAction::showDesktop);
    EXPECT_TRUE(chords->pressed.empty());  // nothing before the main queue runs
    sim.queue->drain();
    EXPECT_THAT(chords->pressed, ElementsAre("super", "super"));
    EXPECT_EQ(showDesktop->toggles, 1);

    // A window manager that does not take the request: the default chord.
    showDesktop->answer = false;
    Actions::perform(PinchAction::showDesktop);
    sim.queue->drain();
    EXPECT_THAT(chords->pressed, ElementsAre("super", "super", "super+d"));
}

}  // namespace
}  // namespace tavix::platform
