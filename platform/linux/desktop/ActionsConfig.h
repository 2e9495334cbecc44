#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/linux/desktop/DesktopAction.h"
#include "platform/linux/desktop/Trigger.h"

namespace tavix::platform::desktop {

// The user's own triggers, from $XDG_CONFIG_HOME/Tavix/actions.conf:
//
//   # comment
//   missionControl = chord Super+W
//   apps           = dbus org.kde.plasmashell /PlasmaShell org.kde.PlasmaShell.activateLauncherMenu
//   showDesktop    = command wmctrl -k on
//
// A line that cannot be used is listed in `problems` and leaves its action to the built-ins.
struct ActionsConfig {
    std::map<DesktopAction, Trigger> overrides;
    std::vector<std::string> problems;

    static ActionsConfig parse(std::string_view text);
};

// Words split at blanks; '…' and "…" keep blanks, a backslash takes the next character as is.
// Nothing when a quote is left open.
std::optional<std::vector<std::string>> splitWords(std::string_view text);

}  // namespace tavix::platform::desktop
