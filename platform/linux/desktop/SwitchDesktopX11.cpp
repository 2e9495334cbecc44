#include "platform/linux/desktop/SwitchDesktopX11.h"

#include <X11/Xatom.h>

#include "platform/linux/desktop/EwmhRoot.h"

namespace tavix::platform::desktop {

bool X11DesktopSwitcher::switchDesktop(int step) {
    const auto root = EwmhRoot::open();
    if (!root) return false;
    const Atom current = root->atom("_NET_CURRENT_DESKTOP");
    if (!root->supports(current)) return false;
    const auto index = root->property(current, XA_CARDINAL);
    const auto count = root->property(root->atom("_NET_NUMBER_OF_DESKTOPS"), XA_CARDINAL);
    if (!index || index->empty() || !count || count->empty()) return false;
    const long target = static_cast<long>(index->front()) + step;
    // No wrapping around: the gesture stops at the first and the last workspace.
    if (target < 0 || target >= static_cast<long>(count->front())) return true;
    return root->send(current, target, CurrentTime);
}

}  // namespace tavix::platform::desktop
