// Desktop actions against the real GNOME Shell and KWin, each started headless for the test.
// What an action did is read back from the shell's own state.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

#include "platform/linux/desktop/CallTarget.h"
#include "platform/linux/desktop/DesktopActions.h"
#include "platform/linux/desktop/SwayIpc.h"
#include "platform/linux/mouse/LinuxPreferenceServices.h"
#include "tests/desktop/DesktopFixture.h"
#include "tests/desktop/HeadlessShell.h"

namespace tavix::platform::desktop {
namespace {

using tavix::testing::FakeShortcuts;
using tavix::testing::HeadlessShell;
using tavix::testing::RecordingChords;
using tavix::testing::RecordingLog;
using tavix::testing::ScopedEnvironment;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

// Effects animate; the state they report settles within a second.
template <typename Read, typename Value>
bool settlesTo(Read read, const Value& wanted) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (read() != wanted) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

class RealShellTest : public ::testing::Test {
  protected:
    // Given live bindings (`shortcuts`), the shell is out of reach: no bus.
    std::unique_ptr<DesktopActions> actions(const std::string& desktop,
                                            std::shared_ptr<ShortcutSettings> shortcuts = {}) {
        DesktopActions::Services services;
        services.chords = chords;
        if (shortcuts) services.connectBus = {};
        services.shortcuts = shortcuts ? shortcuts : std::make_shared<FakeShortcuts>();
        services.log = log;
        services.currentDesktop = desktop;
        services.sessionType = "wayland";
        services.configFile = "/nonexistent/actions.conf";
        return std::make_unique<DesktopActions>(std::move(services));
    }

    std::shared_ptr<RecordingChords> chords = std::make_shared<RecordingChords>();
    std::shared_ptr<RecordingLog> log = std::make_shared<RecordingLog>();
};

TEST_F(RealShellTest, GnomeShellTogglesTheOverviewOverDBusAndChordsNeedAKeyboard) {
    HeadlessShell shell(HeadlessShell::Kind::gnomeShell);
    if (!shell.failure().empty()) GTEST_SKIP() << shell.failure();
    ScopedEnvironment address("DBUS_SESSION_BUS_ADDRESS", shell.busAddress().c_str());
    auto bus = SessionBus::connect();
    ASSERT_TRUE(bus);
    auto overview = [&] {
        return bus->getProperty("org.gnome.Shell", "/org/gnome/Shell", "org.gnome.Shell",
                                "OverviewActive");
    };
    // Without a keyboard the shell's own property is the only way; a chord would reach nothing.
    chords->keyboard = false;
    auto gnome = actions("GNOME");

    EXPECT_TRUE(gnome->run(DesktopAction::missionControl));
    EXPECT_TRUE(settlesTo(overview, DBusValue(true)));
    EXPECT_TRUE(gnome->run(DesktopAction::missionControl));
    EXPECT_TRUE(settlesTo(overview, DBusValue(false)));
    // Search opens the overview to type in; it never closes it.
    EXPECT_TRUE(gnome->run(DesktopAction::spotlight));
    EXPECT_TRUE(settlesTo(overview, DBusValue(true)));
    EXPECT_TRUE(gnome->run(DesktopAction::spotlight));
    EXPECT_TRUE(settlesTo(overview, DBusValue(true)));
    EXPECT_THAT(log->messages, IsEmpty());

    // The app grid has no D-Bus way for ordinary callers: its chord, which needs the keyboard.
    EXPECT_FALSE(gnome->run(DesktopAction::apps));
    EXPECT_FALSE(gnome->run(DesktopAction::apps));
    ASSERT_EQ(log->messages.size(), 1u);
    EXPECT_THAT(log->messages[0], HasSubstr("super+a not sent: there is no virtual keyboard"));
    chords->keyboard = true;
    EXPECT_TRUE(gnome->run(DesktopAction::apps));
    EXPECT_THAT(chords->pressed, ElementsAre("super+a"));

    // The shell out of reach: every action falls back to keys, bindings read from the shell's
    // installed schemas. None is Super+S, GNOME 43's overview and Quick Settings from 45 on.
    ScopedEnvironment backend("GSETTINGS_BACKEND", "memory");
    auto offline = actions("GNOME", std::make_shared<GnomeShortcutSettings>());
    for (const auto action : {DesktopAction::apps, DesktopAction::missionControl,
                              DesktopAction::spotlight, DesktopAction::showDesktop,
                              DesktopAction::workspaceLeft, DesktopAction::workspaceRight}) {
        offline->run(action);
    }
    EXPECT_THAT(chords->pressed, ElementsAre("super+a", "super+a", "super", "super", "super+pageup",
                                             "super+pagedown"));
}

DBusCall kwinInvoke(const std::string& name) {
    return {"org.kde.kglobalaccel",
            "/component/kwin",
            "org.kde.kglobalaccel.Component",
            "invokeShortcut",
            {{"string", name}}};
}

DBusCall kwinMethod(const char* member) {
    return {"org.kde.KWin", "/KWin", "org.kde.KWin", member, {}};
}

// Read back from KWin: its showingDesktop and current desktop (of two in a row).
TEST_F(RealShellTest, KWinShowsTheDesktopSwitchesDesktopsAndOnlyInvokesShortcutsItHas) {
    HeadlessShell shell(HeadlessShell::Kind::kwin);
    if (!shell.failure().empty()) GTEST_SKIP() << shell.failure();
    ScopedEnvironment address("DBUS_SESSION_BUS_ADDRESS", shell.busAddress().c_str());
    auto bus = SessionBus::connect();
    ASSERT_TRUE(bus);
    const std::function<std::optional<DBusValue>()> showingDesktop = [&] {
        return bus->getProperty("org.kde.KWin", "/KWin", "org.kde.KWin", "showingDesktop");
    };
    const std::function<std::optional<DBusValue>()> desktop = [&] {
        return bus->callForValue(kwinMethod("currentDesktop"));
    };
    auto kde = actions("KDE");

    const struct {
        DesktopAction action;
        const std::function<std::optional<DBusValue>()>& read;
        DBusValue after;
    } steps[] = {
        {DesktopAction::showDesktop, showingDesktop, true},
        {DesktopAction::showDesktop, showingDesktop, false},
        {DesktopAction::workspaceRight, desktop, std::int64_t{2}},
        {DesktopAction::workspaceLeft, desktop, std::int64_t{1}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(desktopActionName(step.action));
        EXPECT_TRUE(kde->run(step.action));
        EXPECT_TRUE(settlesTo(step.read, step.after));
    }
    EXPECT_THAT(chords->pressed, IsEmpty());
    // Behind the desktop shortcuts, KWin's own next and previous desktop.
    for (const auto& [member, after] : {std::pair{"nextDesktop", 2}, {"previousDesktop", 1}}) {
        EXPECT_TRUE(bus->offers(kwinMethod(member))) << member;
        EXPECT_TRUE(bus->call(kwinMethod(member))) << member;
        EXPECT_TRUE(settlesTo(desktop, DBusValue(std::int64_t{after}))) << member;
    }

    // KWin answers success for any name, so a renamed shortcut is caught before the call.
    EXPECT_TRUE(bus->offers(kwinInvoke("Overview (renamed)")));
    EXPECT_FALSE(callReachesTarget(*bus, kwinInvoke("Overview (renamed)")));
    EXPECT_TRUE(callReachesTarget(*bus, kwinInvoke("Show Desktop")));

    // No Plasma shell or KRunner here: their chords.
    EXPECT_TRUE(kde->run(DesktopAction::apps));
    EXPECT_TRUE(kde->run(DesktopAction::spotlight));
    EXPECT_THAT(chords->pressed, ElementsAre("alt+f1", "alt+space"));
}

// The Overview effect needs OpenGL (KWin 6's virtual backend finds none here): without it KWin
// registers no Overview shortcut, and the gesture is KWin's default chord.
TEST_F(RealShellTest, KWinTogglesTheOverviewOrFallsBackToItsChordWithoutOpenGL) {
    HeadlessShell shell(HeadlessShell::Kind::kwin);
    if (!shell.failure().empty()) GTEST_SKIP() << shell.failure();
    ScopedEnvironment address("DBUS_SESSION_BUS_ADDRESS", shell.busAddress().c_str());
    auto bus = SessionBus::connect();
    ASSERT_TRUE(bus);
    auto effects = [&] {
        const auto value =
            bus->getProperty("org.kde.KWin", "/Effects", "org.kde.kwin.Effects", "activeEffects");
        const auto* names = value ? std::get_if<std::vector<std::string>>(&*value) : nullptr;
        return names ? *names : std::vector<std::string>{"(unreadable)"};
    };
    auto overviewShown = [&] {
        const auto active = effects();
        return std::ranges::find(active, "overview") != active.end();
    };
    auto kde = actions("KDE");

    if (!callReachesTarget(*bus, kwinInvoke("Overview"))) {
        EXPECT_TRUE(kde->run(DesktopAction::missionControl));
        EXPECT_THAT(chords->pressed, ElementsAre("super+w"));
        EXPECT_FALSE(overviewShown());
        const auto compositing = bus->getProperty("org.kde.KWin", "/Compositor",
                                                  "org.kde.kwin.Compositing", "compositingType");
        const auto* type = compositing ? std::get_if<std::string>(&*compositing) : nullptr;
        GTEST_SKIP() << "KWin loaded no Overview effect here (it needs OpenGL; compositing: "
                     << (type ? *type : "unreadable")
                     << "); checked only that Tavix pressed Meta+W instead";
    }
    EXPECT_TRUE(kde->run(DesktopAction::missionControl));
    EXPECT_TRUE(settlesTo(overviewShown, true)) << ::testing::PrintToString(effects());
    EXPECT_TRUE(kde->run(DesktopAction::missionControl));
    EXPECT_TRUE(settlesTo(overviewShown, false)) << ::testing::PrintToString(effects());
    EXPECT_THAT(chords->pressed, IsEmpty());
}

// Sway, detected by its socket or its name: the workspaces through its IPC, the user's
// actions.conf for what Sway does not have (else one log line each), and the mouse settings on
// inputs Sway lists (headless it lists none, so the clone keeps them).
TEST_F(RealShellTest, SwayGoesThroughItsIpcAndLeavesWhatItLacksToActionsConf) {
    if (!std::filesystem::exists("/usr/bin/foot")) GTEST_SKIP() << "foot is not installed";
    HeadlessShell shell(HeadlessShell::Kind::sway);
    if (!shell.failure().empty()) GTEST_SKIP() << shell.failure();
    ScopedEnvironment socket("SWAYSOCK", shell.swaySocket().c_str());
    EXPECT_EQ(detectRunningSession(nullptr, "", "wayland").desktop, Desktop::sway);
    EXPECT_EQ(detectRunningSession(nullptr, "sway", "wayland", false).desktop, Desktop::sway);
    EXPECT_EQ(detectRunningSession(nullptr, "XFCE", "wayland", false).desktop, Desktop::other);

    auto ipc = SwayIpc::connect(shell.swaySocket());
    ASSERT_TRUE(ipc);
    auto focused = [&] {
        const auto reply = ipc->request(SwayIpc::Message::getWorkspaces, "");
        return reply ? focusedSwayWorkspace(*reply) : std::nullopt;
    };
    auto succeeds = [&](const std::string& command) {
        const auto result = ipc->runCommand(command);
        return result && result->success;
    };
    // A window keeps workspace 1 when it is left; an empty one goes when it is left.
    ASSERT_TRUE(succeeds("workspace 1; exec foot --hold true"));
    ASSERT_TRUE(settlesTo([&] { return succeeds("[app_id=\"foot\"] focus"); }, true));

    tavix::testing::TempDirectory config;
    tavix::testing::writeFile(config.path() / "actions.conf", "spotlight = sway workspace 7\n");
    DesktopActions::Services services;
    services.chords = chords;
    services.log = log;
    services.sessionType = "wayland";
    services.configFile = config.path() / "actions.conf";
    DesktopActions actions(std::move(services));
    ASSERT_EQ(actions.session().desktop, Desktop::sway);

    struct Case {
        std::string from;
        DesktopAction action;
        bool done;
        std::string to;
    };
    const std::vector<Case> cases{
        {"3", DesktopAction::workspaceLeft, true, "1"},   // the empty 3 goes, 1 is on its left
        {"1", DesktopAction::workspaceRight, true, "1"},  // no neighbour: Sway stays
        {"1", DesktopAction::workspaceLeft, true, "1"},
        {"1", DesktopAction::spotlight, true, "7"},  // the user's own Sway command
        {"1", DesktopAction::apps, false, "1"},
        {"1", DesktopAction::apps, false, "1"},
        {"1", DesktopAction::showDesktop, false, "1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.from + " " + std::string(desktopActionName(c.action)));
        ASSERT_TRUE(succeeds("workspace " + c.from));
        EXPECT_EQ(actions.run(c.action), c.done);
        EXPECT_TRUE(settlesTo(focused, std::optional(c.to)));
    }
    EXPECT_THAT(chords->pressed, IsEmpty());
    ASSERT_EQ(log->messages.size(), 2u) << ::testing::PrintToString(log->messages);
    EXPECT_THAT(log->messages[0], HasSubstr("apps does nothing: Sway has no such action"));
    EXPECT_THAT(log->messages[0], HasSubstr("\"apps = sway exec $menu\""));
    EXPECT_THAT(log->messages[1], HasSubstr("showDesktop does nothing"));

    // Without an input to take them, the settings stay with the clone; a fresh start changes
    // nothing.
    const auto inputs = ipc->request(SwayIpc::Message::getInputs, "");
    ASSERT_TRUE(inputs);
    EXPECT_THAT(parseSwayInputs(*inputs), ::testing::Optional(IsEmpty()));
    tavix::testing::TempDirectory preferences;
    mouse::LinuxPreferenceServices::Options options;
    options.preferencesDirectory = preferences.path();
    options.connectBus = nullptr;
    options.currentDesktop = "sway";
    auto mouse = mouse::makeLinuxPreferenceServices(options);
    ASSERT_EQ(mouse.desktop, Desktop::sway);
    EXPECT_EQ(mouse.cloneSettings->transform(), input::CloneTransform{});
    mouse.store->setValue("com.apple.swipescrolldirection", true, PreferenceDomain::global());
    EXPECT_TRUE(mouse.cloneSettings->transform().invertWheel);
}

}  // namespace
}  // namespace tavix::platform::desktop
