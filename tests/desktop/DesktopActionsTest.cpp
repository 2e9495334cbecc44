#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "platform/linux/desktop/DesktopActions.h"
#include "tests/desktop/DesktopFixture.h"
#include "tests/support/DecimalComma.h"

namespace tavix::platform::desktop {
namespace {

using tavix::testing::FakeShortcuts;
using tavix::testing::FakeShowDesktop;
using tavix::testing::FakeSwitcher;
using tavix::testing::MockService;
using tavix::testing::PrivateBus;
using tavix::testing::RecordingChords;
using tavix::testing::RecordingLog;
using tavix::testing::ScopedEnvironment;
using tavix::testing::TempDirectory;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

class DesktopActionsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (bus.address().empty()) GTEST_SKIP() << "no dbus-daemon to start";
    }

    std::unique_ptr<DesktopActions> make(
        const std::string& desktop, const std::string& session,
        const std::shared_ptr<ShortcutSettings>& settings = nullptr) {
        DesktopActions::Services services;
        services.chords = chords;
        services.shortcuts = settings ? settings : shortcuts;
        services.showDesktop = showDesktop;
        services.switchDesktop = switcher;
        services.log = log;
        services.spawn = [this](const std::vector<std::string>& words) {
            spawned.push_back(words);
            return true;
        };
        services.currentDesktop = desktop;
        services.sessionType = session;
        services.configFile = config.path() / "Tavix" / "actions.conf";
        return std::make_unique<DesktopActions>(std::move(services));
    }

    void writeConfig(const std::string& text) {
        std::filesystem::create_directories(config.path() / "Tavix");
        tavix::testing::writeFile(config.path() / "Tavix" / "actions.conf", text);
    }

    PrivateBus bus;
    ScopedEnvironment address{"DBUS_SESSION_BUS_ADDRESS", bus.address().c_str()};
    ScopedEnvironment display{"DISPLAY", nullptr};
    TempDirectory config;
    std::shared_ptr<RecordingChords> chords = std::make_shared<RecordingChords>();
    std::shared_ptr<FakeShortcuts> shortcuts = std::make_shared<FakeShortcuts>();
    std::shared_ptr<FakeShowDesktop> showDesktop = std::make_shared<FakeShowDesktop>();
    std::shared_ptr<FakeSwitcher> switcher = std::make_shared<FakeSwitcher>();
    std::shared_ptr<RecordingLog> log = std::make_shared<RecordingLog>();
    std::vector<std::vector<std::string>> spawned;
};

// The overview through the shell itself: RealShellTest.
TEST_F(DesktopActionsTest, GnomeAppGridAndShowDesktopThroughItsBindings) {
    auto actions = make("ubuntu:GNOME", "wayland");
    EXPECT_EQ(actions->session().desktop, Desktop::gnome);

    // The app grid: the user's live binding, else GNOME's default.
    shortcuts->bindings["org.gnome.shell.keybindings/toggle-application-view"] = "<Super>s";
    EXPECT_TRUE(actions->run(DesktopAction::apps));
    shortcuts->bindings.clear();
    EXPECT_TRUE(actions->run(DesktopAction::apps));
    EXPECT_THAT(chords->pressed, ElementsAre("super+s", "super+a"));

    // Show desktop: unbound by default, and EWMH is for X11 only.
    EXPECT_FALSE(actions->run(DesktopAction::showDesktop));
    EXPECT_EQ(showDesktop->toggles, 0);
    shortcuts->bindings["org.gnome.desktop.wm.keybindings/show-desktop"] = "<Super>d";
    EXPECT_TRUE(actions->run(DesktopAction::showDesktop));
    EXPECT_THAT(chords->pressed, ElementsAre("super+s", "super+a", "super+d"));
}

TEST_F(DesktopActionsTest, GnomeWithoutItsShellOnTheBusFallsBackToKeysAndEwmhOnX11) {
    auto actions = make("GNOME", "x11");
    EXPECT_TRUE(actions->session().x11);
    // GNOME 43's overview binding is Super+S, Quick Settings from GNOME 45 on: never pressed.
    shortcuts->bindings["org.gnome.shell.keybindings/toggle-overview"] = "<Super>s";
    EXPECT_TRUE(actions->run(DesktopAction::missionControl));
    EXPECT_TRUE(actions->run(DesktopAction::spotlight));
    EXPECT_THAT(chords->pressed, ElementsAre("super", "super"));
    EXPECT_TRUE(actions->run(DesktopAction::showDesktop));
    EXPECT_EQ(showDesktop->toggles, 1);
}

// GNOME's binding read when the swipe happens, its default behind it; elsewhere EWMH on X11 only.
TEST_F(DesktopActionsTest, WorkspaceSwitchesThroughTheLiveBindingOrEwmh) {
    auto gnome = make("GNOME", "wayland");
    shortcuts->bindings["org.gnome.desktop.wm.keybindings/switch-to-workspace-left"] =
        "<Control><Alt>Left";
    EXPECT_TRUE(gnome->run(DesktopAction::workspaceLeft));
    EXPECT_TRUE(gnome->run(DesktopAction::workspaceRight));
    EXPECT_THAT(chords->pressed, ElementsAre("ctrl+alt+left", "super+pagedown"));

    chords->pressed.clear();
    EXPECT_TRUE(make("", "x11")->run(DesktopAction::workspaceRight));
    EXPECT_THAT(switcher->steps, ElementsAre(1));
    EXPECT_THAT(chords->pressed, IsEmpty());
    switcher->answer = false;  // no window manager that takes it
    EXPECT_TRUE(make("", "x11")->run(DesktopAction::workspaceLeft));
    EXPECT_TRUE(make("", "wayland")->run(DesktopAction::workspaceLeft));
    EXPECT_THAT(switcher->steps, ElementsAre(1, -1));
    EXPECT_THAT(chords->pressed, ElementsAre("ctrl+alt+left", "ctrl+alt+left"));
}

TEST_F(DesktopActionsTest, KdeCallsPlasmaKWinAndKRunner) {
    MockService plasma(bus.address(), "kde_plasma.py", "org.kde.krunner",
                       config.path() / "kde.log");
    ASSERT_TRUE(plasma.ready());
    // Detected from the bus alone when the environment does not say.
    auto actions = make("", "wayland");
    EXPECT_EQ(actions->session().desktop, Desktop::kde);
    for (auto action : {DesktopAction::apps, DesktopAction::missionControl,
                        DesktopAction::spotlight, DesktopAction::showDesktop,
                        DesktopAction::workspaceLeft, DesktopAction::workspaceRight}) {
        EXPECT_TRUE(actions->run(action));
    }
    EXPECT_THAT(plasma.calls(),
                ElementsAre(HasSubstr("evaluateScript"), "activateLauncherMenu", "shortcutNames",
                            "invokeShortcut \"Overview\"", "display", "shortcutNames",
                            "invokeShortcut \"Show Desktop\"", "shortcutNames",
                            "invokeShortcut \"Switch One Desktop to the Left\"", "shortcutNames",
                            "invokeShortcut \"Switch One Desktop to the Right\""));
    EXPECT_THAT(chords->pressed, IsEmpty());
}

TEST_F(DesktopActionsTest, AFailingCallFallsBackToTheLiveChordThenTheDefault) {
    MockService plasma(bus.address(), "kde_plasma.py", "org.kde.krunner", config.path() / "kde.log",
                       R"({"refuseShortcuts": true})");
    ASSERT_TRUE(plasma.ready());
    // KWin's own shortcut file, as the user changed it.
    tavix::testing::writeFile(config.path() / "kglobalshortcutsrc",
                              "[kwin]\n"
                              "Overview=Meta+Tab\tMeta+O,Meta+W,Toggle Overview\n"
                              "Show Desktop=none,Meta+D,Peek at Desktop\n");
    auto actions =
        make("KDE", "wayland",
             std::make_shared<KdeShortcutSettings>(config.path() / "kglobalshortcutsrc"));
    EXPECT_TRUE(actions->run(DesktopAction::missionControl));
    EXPECT_TRUE(actions->run(DesktopAction::showDesktop));
    EXPECT_THAT(chords->pressed, ElementsAre("super+tab", "super+d"));
    EXPECT_THAT(plasma.calls(), Contains("invokeShortcut \"Overview\""));
    EXPECT_THAT(plasma.calls(), Contains(HasSubstr("raised")));
}

// Both calls would answer success and do nothing.
TEST_F(DesktopActionsTest, NoKWinShortcutOfThatNameOrNoPlasmaLauncherFallsBackToTheChord) {
    // As after a KWin update that renamed "Overview", and a layout without a launcher.
    MockService plasma(bus.address(), "kde_plasma.py", "org.kde.krunner", config.path() / "kde.log",
                       R"({"shortcutNames": ["Show Desktop"], "layout": "none"})");
    ASSERT_TRUE(plasma.ready());
    auto actions = make("KDE", "wayland");
    EXPECT_TRUE(actions->run(DesktopAction::missionControl));
    EXPECT_TRUE(actions->run(DesktopAction::apps));
    EXPECT_THAT(chords->pressed, ElementsAre("super+w", "alt+f1"));
    EXPECT_THAT(plasma.calls(), ElementsAre("shortcutNames", HasSubstr("evaluateScript")));
}

TEST_F(DesktopActionsTest, TheUserFileOverridesGoodEntriesAndReportsBadOnesOnce) {
    MockService plasma(bus.address(), "kde_plasma.py", "org.kde.krunner",
                       config.path() / "kde.log");
    ASSERT_TRUE(plasma.ready());
    writeConfig(
        "# my desktop\n"
        "apps = chord Ctrl+Alt+Space\n"
        "missionControl = dbus org.kde.krunner /App org.kde.krunner.App.display\n"
        "showDesktop = command \"/usr/bin/my tool\" --show 'the desktop'\n"
        "spotlight = chord Ctrl+Bogus\n"
        "launchpad = chord Super\n"
        "apps\n");
    auto actions = make("KDE", "wayland");
    for (int round = 0; round < 2; ++round) {
        EXPECT_TRUE(actions->run(DesktopAction::apps));
        EXPECT_TRUE(actions->run(DesktopAction::missionControl));
        EXPECT_TRUE(actions->run(DesktopAction::showDesktop));
        EXPECT_TRUE(actions->run(DesktopAction::spotlight));  // bad entry: the built-in
    }
    EXPECT_THAT(chords->pressed, ElementsAre("ctrl+alt+space", "ctrl+alt+space"));
    EXPECT_THAT(plasma.calls(), ElementsAre("display", "display", "display", "display"));
    EXPECT_THAT(spawned[0], ElementsAre("/usr/bin/my tool", "--show", "the desktop"));
    EXPECT_EQ(spawned.size(), 2u);
    // Each bad line once, however often the actions run.
    ASSERT_EQ(log->messages.size(), 3u);
    EXPECT_THAT(log->messages[0], HasSubstr("line 5: not a key chord"));
    EXPECT_THAT(log->messages[1], HasSubstr("line 6: unknown action \"launchpad\""));
    EXPECT_THAT(log->messages[2], HasSubstr("line 7: expected ACTION = TRIGGER"));

    // An edit is picked up without a restart; a failing user trigger falls back too.
    std::filesystem::last_write_time(
        config.path() / "Tavix" / "actions.conf",
        std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
    writeConfig("apps = dbus org.example.Gone /Gone org.example.Gone.Open\n");
    EXPECT_TRUE(actions->run(DesktopAction::apps));
    EXPECT_THAT(plasma.calls().back(), "activateLauncherMenu");
    EXPECT_EQ(log->messages.size(), 3u);
}

// A number goes out as written, on a German desktop too; a line libdbus would abort on (a string
// that is not UTF-8) is reported by its number and the built-in runs.
TEST_F(DesktopActionsTest, UserCallsCarryNumbersInAnyLocaleAndNeverTextThatIsNotUTF8) {
    MockService kwin(bus.address(), "kwin_input.py", "org.kde.KWin", config.path() / "kwin.log");
    MockService plasma(bus.address(), "kde_plasma.py", "org.kde.krunner",
                       config.path() / "kde.log");
    ASSERT_TRUE(kwin.ready() && plasma.ready());
    const tavix::testing::DecimalComma comma;
    writeConfig(
        "missionControl = dbus org.kde.KWin /org/kde/KWin/InputDevice/event3 "
        "org.freedesktop.DBus.Properties.Set string:org.kde.KWin.InputDevice "
        "string:pointerAcceleration variant:double:0.25\n"
        "apps = dbus org.kde.krunner /App org.kde.krunner.App.display string:caf\xe9\n");
    auto actions = make("KDE", "wayland");
    EXPECT_TRUE(actions->run(DesktopAction::missionControl));
    EXPECT_EQ(SessionBus::connect()->getProperty("org.kde.KWin", "/org/kde/KWin/InputDevice/event3",
                                                 "org.kde.KWin.InputDevice", "pointerAcceleration"),
              DBusValue(0.25));
    EXPECT_TRUE(actions->run(DesktopAction::apps));
    EXPECT_THAT(plasma.calls(), ElementsAre(HasSubstr("evaluateScript"), "activateLauncherMenu"));
    ASSERT_EQ(log->messages.size(), 1u);
    EXPECT_THAT(log->messages[0], HasSubstr("line 2: not UTF-8 text"));
}

// Only a regular file of bounded size is read: a FIFO would block, /dev/zero never ends.
TEST(ActionsConfig, ReadsOnlyARegularFileOfBoundedSize) {
    TempDirectory dir;
    const auto fifo = dir.path() / "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const std::filesystem::path& path : {fifo, std::filesystem::path("/dev/zero")}) {
        const auto config = ActionsConfig::read(path);
        EXPECT_THAT(config.problems, ElementsAre(HasSubstr("not a regular file"))) << path;
        EXPECT_THAT(config.overrides, IsEmpty());
    }
    const auto file = dir.path() / "actions.conf";
    // 64 KiB exactly is read; one byte more is not.
    const std::string full = "# " + std::string(ActionsConfig::kMaxSize - 3, 'x') + "\n";
    tavix::testing::writeFile(file, full);
    EXPECT_THAT(ActionsConfig::read(file).problems, IsEmpty());
    tavix::testing::writeFile(file, "#" + full);
    EXPECT_THAT(ActionsConfig::read(file).problems, ElementsAre(HasSubstr("larger than 64 KiB")));
    tavix::testing::writeFile(file, "apps = chord Ctrl+Alt+Space\n");
    const auto config = ActionsConfig::read(file);
    EXPECT_THAT(config.problems, IsEmpty());
    EXPECT_EQ(config.overrides.size(), 1u);
    EXPECT_THAT(ActionsConfig::read(dir.path() / "missing").problems,
                ElementsAre(HasSubstr("cannot be opened")));
}

TEST(ActionsConfig, ReadsDBusArgumentsAndRejectsWhatCannotWork) {
    const auto config = ActionsConfig::parse(
        "missionControl = dbus org.gnome.Shell /org/gnome/Shell "
        "org.freedesktop.DBus.Properties.Set string:org.gnome.Shell string:OverviewActive "
        "variant:boolean:true\n"
        "  # indented comment\n"
        "apps = dbus org.gnome.Shell not/a/path org.gnome.Shell.Foo\n"
        "spotlight = dbus org.kde.krunner /App org.kde.krunner.App.display float:1\n"
        "showDesktop = command 'unclosed\n"
        "showDesktop = teleport now\n"
        "apps = command\n"
        "workspaceLeft = sway  exec \"$menu\"  --x ; workspace 2\n"
        "spotlight = sway \n");
    ASSERT_TRUE(config.overrides.contains(DesktopAction::missionControl));
    // Sway's own quoting and variables are Sway's to read.
    EXPECT_EQ(config.overrides.at(DesktopAction::workspaceLeft),
              Trigger(SwayCommand{"exec \"$menu\"  --x ; workspace 2"}));
    const auto& call = std::get<DBusCall>(config.overrides.at(DesktopAction::missionControl));
    EXPECT_EQ(call.interface, "org.freedesktop.DBus.Properties");
    EXPECT_EQ(call.member, "Set");
    EXPECT_THAT(call.arguments, ElementsAre(DBusArgument{"string", "org.gnome.Shell", false},
                                            DBusArgument{"string", "OverviewActive", false},
                                            DBusArgument{"boolean", "true", true}));
    EXPECT_EQ(config.overrides.size(), 2u);
    ASSERT_EQ(config.problems.size(), 6u);
    EXPECT_THAT(config.problems[0], HasSubstr("line 3"));
    EXPECT_THAT(config.problems[1], HasSubstr("\"float:1\""));
    EXPECT_THAT(config.problems[2], HasSubstr("quote"));
    EXPECT_THAT(config.problems[3], HasSubstr("unknown trigger \"teleport\""));
    EXPECT_THAT(config.problems[4], HasSubstr("no program"));
    EXPECT_THAT(config.problems[5], HasSubstr("no Sway command"));
}

// Sized integers are refused out of range, never wrapped: the line is named and the built-in
// trigger stays.
TEST(ActionsConfig, IntegerArgumentsAtTheirBounds) {
    const std::pair<std::string, bool> cases[] = {
        {"int32:-2147483648", true}, {"int32:2147483647", true},
        {"int32:2147483648", false}, {"int32:-2147483649", false},
        {"int32:4294967296", false}, {"uint32:0", true},
        {"uint32:4294967295", true}, {"uint32:4294967296", false},
        {"uint32:-1", false},        {"variant:int32:4294967296", false},
        {"int32:", false},           {"int32:1x", false},
    };
    for (const auto& [argument, fits] : cases) {
        const auto config = ActionsConfig::parse(
            "\napps = dbus org.gnome.Shell /org/gnome/Shell org.gnome.Shell.Foo " + argument);
        EXPECT_EQ(config.overrides.contains(DesktopAction::apps), fits) << argument;
        if (!fits) {
            EXPECT_THAT(config.problems, ElementsAre(HasSubstr("line 2"))) << argument;
        }
    }
}

TEST(SessionDetection, EnvironmentFirstThenTheBus) {
    auto none = [](const std::string&) { return false; };
    auto plasma = [](const std::string& name) { return name == "org.kde.plasmashell"; };
    EXPECT_EQ(detectSession("ubuntu:GNOME", "wayland", none).desktop, Desktop::gnome);
    EXPECT_EQ(detectSession("KDE", "x11", none).desktop, Desktop::kde);
    EXPECT_TRUE(detectSession("KDE", "x11", none).x11);
    EXPECT_FALSE(detectSession("KDE", "wayland", none).x11);
    // What the environment names wins over what happens to be on the bus.
    EXPECT_EQ(detectSession("XFCE", "x11", plasma).desktop, Desktop::other);
    EXPECT_EQ(detectSession("", "", plasma).desktop, Desktop::kde);
    EXPECT_EQ(detectSession("", "", none).desktop, Desktop::other);
    // Sway by name, or by its socket unless the environment names GNOME or KDE.
    EXPECT_EQ(detectSession("sway", "wayland", plasma).desktop, Desktop::sway);
    EXPECT_EQ(detectSession("", "wayland", plasma, true).desktop, Desktop::sway);
    EXPECT_EQ(detectSession("XFCE", "wayland", none, true).desktop, Desktop::sway);
    EXPECT_EQ(detectSession("KDE", "wayland", none, true).desktop, Desktop::kde);
}

}  // namespace
}  // namespace tavix::platform::desktop
