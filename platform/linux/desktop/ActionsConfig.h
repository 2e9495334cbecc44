#pragma once

#include <filesystem>
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
//   apps           = sway exec $menu
//
// A line that cannot be used is listed in `problems` and leaves its action to the built-ins.
struct ActionsConfig {
    std::map<DesktopAction, Trigger> overrides;
    std::vector<std::string> problems;

    // Files larger than this are refused rather than read.
    static constexpr std::size_t kMaxSize = std::size_t{64} * 1024;

    static ActionsConfig parse(std::string_view text);
    // The file at `path`, which must be a regular file of at most kMaxSize bytes; anything else
    // (a FIFO, a device, a file that cannot be opened) is one problem and no overrides.
    static ActionsConfig read(const std::filesystem::path& path);
};

// Words split at blanks; '…' and "…" keep blanks, a backslash takes the next character as is.
// Nothing when a quote is left open.
std::optional<std::vector<std::string>> splitWords(std::string_view text);

}  // namespace tavix::platform::desktop
