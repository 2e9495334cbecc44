#pragma once

#include "platform/linux/desktop/SessionBus.h"
#include "platform/linux/desktop/Trigger.h"

namespace tavix::platform::desktop {

// Some services answer success for a call whose target they do not have: KWin's invokeShortcut
// with a name it does not know, Plasma's activateLauncherMenu with no launcher in the layout.
// Such a call would never fall back. Whether the target is there, where the service can tell;
// true where it cannot.
bool callReachesTarget(SessionBus& bus, const DBusCall& call);

}  // namespace tavix::platform::desktop
