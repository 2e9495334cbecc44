#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/linux/desktop/DesktopAction.h"
#include "platform/linux/desktop/Trigger.h"

namespace tavix::platform::desktop {

enum class Desktop { gnome, kde, sway, other };

struct Session {
    Desktop desktop = Desktop::other;
    bool x11 = false;
};

// XDG_CURRENT_DESKTOP (a colon-separated list, "ubuntu:GNOME"), else Sway when its IPC socket
// is named (SWAYSOCK), else the shell that owns its name on the session bus; XDG_SESSION_TYPE
// tells X11 from Wayland.
Session detectSession(const std::string& currentDesktop, const std::string& sessionType,
                      const std::function<bool(const std::string&)>& busHasOwner,
                      bool swaySocket = false);

// The built-in triggers of an action, in the order they are tried; none for what the desktop
// does not have (Sway's overview, launcher, search and desktop).
const std::vector<Trigger>& builtInTriggers(Desktop desktop, DesktopAction action);

}  // namespace tavix::platform::desktop
