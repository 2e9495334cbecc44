#include "platform/linux/desktop/DesktopActionTable.h"

#include <linux/input-event-codes.h>

#include <map>
#include <sstream>

namespace tavix::platform::desktop {
namespace {

const DBusArgument kTrue{"boolean", "true", true};

DBusCall gnomeShowOverview() {
    return {"org.gnome.Shell",
            "/org/gnome/Shell",
            "org.freedesktop.DBus.Properties",
            "Set",
            {{"string", "org.gnome.Shell"}, {"string", "OverviewActive"}, kTrue}};
}
// A second gesture closes the overview, as on KDE, where the shortcut toggles it.
PropertyToggle gnomeToggleOverview() {
    return {"org.gnome.Shell", "/org/gnome/Shell", "org.gnome.Shell", "OverviewActive"};
}
DBusCall kwinMethod(const std::string& member) {
    return {"org.kde.KWin", "/KWin", "org.kde.KWin", member, {}};
}
DBusCall kwinShortcut(const std::string& name) {
    return {"org.kde.kglobalaccel",
            "/component/kwin",
            "org.kde.kglobalaccel.Component",
            "invokeShortcut",
            {{"string", name}}};
}
ChordTrigger chord(std::vector<uint16_t> modifiers, uint16_t key) {
    return {{std::move(modifiers), key}};
}

using Table = std::map<std::pair<Desktop, DesktopAction>, std::vector<Trigger>>;

// ShowApplications and FocusSearch of GNOME Shell refuse ordinary callers, so the app grid is
// its key binding; GNOME's search is the overview, where typing searches. The overview's own
// binding, toggle-overview, is left out: it is Super+S up to GNOME 44, which opens Quick
// Settings from GNOME 45 on (where the binding is empty); a Super tap opens the overview on
// every version. GNOME binds no key to show the desktop by default. Elsewhere only key chords
// and EWMH are common ground; a Super tap opens the launcher of most desktops. The workspace on
// either side is each desktop's own binding, with its default chord behind it.
// KWin's /KWin steps through desktops without the shortcut registry; its previous and next are
// left and right in one row of desktops but step across rows in a grid, so they come after the
// shortcut. Its showDesktop(b) is not used: KWin ends the state when the caller leaves the bus,
// which Tavix does after each action.
const Table& table() {
    static const Table& t = *new Table{
        {{Desktop::gnome, DesktopAction::apps},
         {LiveShortcut{"org.gnome.shell.keybindings", "toggle-application-view"},
          chord({KEY_LEFTMETA}, KEY_A)}},
        {{Desktop::gnome, DesktopAction::missionControl},
         {gnomeToggleOverview(), chord({}, KEY_LEFTMETA)}},
        {{Desktop::gnome, DesktopAction::spotlight},
         {gnomeShowOverview(), chord({}, KEY_LEFTMETA)}},
        {{Desktop::gnome, DesktopAction::showDesktop},
         {LiveShortcut{"org.gnome.desktop.wm.keybindings", "show-desktop"}, ShowDesktopMessage{}}},

        {{Desktop::gnome, DesktopAction::workspaceLeft},
         {LiveShortcut{"org.gnome.desktop.wm.keybindings", "switch-to-workspace-left"},
          chord({KEY_LEFTMETA}, KEY_PAGEUP)}},
        {{Desktop::gnome, DesktopAction::workspaceRight},
         {LiveShortcut{"org.gnome.desktop.wm.keybindings", "switch-to-workspace-right"},
          chord({KEY_LEFTMETA}, KEY_PAGEDOWN)}},

        {{Desktop::kde, DesktopAction::apps},
         {DBusCall{"org.kde.plasmashell",
                   "/PlasmaShell",
                   "org.kde.PlasmaShell",
                   "activateLauncherMenu",
                   {}},
          LiveShortcut{"plasmashell", "activate application launcher"},
          chord({KEY_LEFTALT}, KEY_F1)}},
        {{Desktop::kde, DesktopAction::missionControl},
         {kwinShortcut("Overview"), LiveShortcut{"kwin", "Overview"},
          chord({KEY_LEFTMETA}, KEY_W)}},
        {{Desktop::kde, DesktopAction::spotlight},
         {DBusCall{"org.kde.krunner", "/App", "org.kde.krunner.App", "display", {}},
          // Plasma 5 and Plasma 6 keep KRunner's shortcut in different groups.
          LiveShortcut{"org.kde.krunner.desktop", "_launch"},
          LiveShortcut{"services][org.kde.krunner.desktop", "_launch"},
          chord({KEY_LEFTALT}, KEY_SPACE)}},
        {{Desktop::kde, DesktopAction::showDesktop},
         {kwinShortcut("Show Desktop"), LiveShortcut{"kwin", "Show Desktop"},
          chord({KEY_LEFTMETA}, KEY_D)}},

        {{Desktop::kde, DesktopAction::workspaceLeft},
         {kwinShortcut("Switch One Desktop to the Left"), kwinMethod("previousDesktop"),
          LiveShortcut{"kwin", "Switch One Desktop to the Left"},
          chord({KEY_LEFTMETA, KEY_LEFTCTRL}, KEY_LEFT)}},
        {{Desktop::kde, DesktopAction::workspaceRight},
         {kwinShortcut("Switch One Desktop to the Right"), kwinMethod("nextDesktop"),
          LiveShortcut{"kwin", "Switch One Desktop to the Right"},
          chord({KEY_LEFTMETA, KEY_LEFTCTRL}, KEY_RIGHT)}},

        // Sway has no overview, launcher, search or desktop of its own: those are the user's.
        {{Desktop::sway, DesktopAction::apps}, {}},
        {{Desktop::sway, DesktopAction::missionControl}, {}},
        {{Desktop::sway, DesktopAction::spotlight}, {}},
        {{Desktop::sway, DesktopAction::showDesktop}, {}},
        {{Desktop::sway, DesktopAction::workspaceLeft}, {SwayCommand{"workspace prev_on_output"}}},
        {{Desktop::sway, DesktopAction::workspaceRight}, {SwayCommand{"workspace next_on_output"}}},

        {{Desktop::other, DesktopAction::apps}, {chord({}, KEY_LEFTMETA)}},
        {{Desktop::other, DesktopAction::missionControl}, {chord({}, KEY_LEFTMETA)}},
        {{Desktop::other, DesktopAction::spotlight}, {chord({}, KEY_LEFTMETA)}},
        {{Desktop::other, DesktopAction::showDesktop},
         {ShowDesktopMessage{}, chord({KEY_LEFTMETA}, KEY_D)}},
        {{Desktop::other, DesktopAction::workspaceLeft},
         {SwitchDesktopMessage{-1}, chord({KEY_LEFTCTRL, KEY_LEFTALT}, KEY_LEFT)}},
        {{Desktop::other, DesktopAction::workspaceRight},
         {SwitchDesktopMessage{+1}, chord({KEY_LEFTCTRL, KEY_LEFTALT}, KEY_RIGHT)}},
    };
    return t;
}

}  // namespace

Session detectSession(const std::string& currentDesktop, const std::string& sessionType,
                      const std::function<bool(const std::string&)>& busHasOwner, bool swaySocket) {
    Session session{.desktop = Desktop::other, .x11 = sessionType == "x11"};
    std::istringstream names(currentDesktop);
    std::string name;
    while (std::getline(names, name, ':')) {
        if (name == "GNOME" || name == "GNOME-Classic") {
            session.desktop = Desktop::gnome;
            return session;
        }
        if (name == "KDE") {
            session.desktop = Desktop::kde;
            return session;
        }
        if (name == "sway") {
            session.desktop = Desktop::sway;
            return session;
        }
    }
    // Sway names its socket to everything it starts, whatever the desktop variable says.
    if (swaySocket) {
        session.desktop = Desktop::sway;
        return session;
    }
    if (!currentDesktop.empty() || !busHasOwner) return session;
    if (busHasOwner("org.gnome.Shell")) {
        session.desktop = Desktop::gnome;
    } else if (busHasOwner("org.kde.plasmashell")) {
        session.desktop = Desktop::kde;
    }
    return session;
}

const std::vector<Trigger>& builtInTriggers(Desktop desktop, DesktopAction action) {
    return table().at({desktop, action});
}

}  // namespace tavix::platform::desktop
