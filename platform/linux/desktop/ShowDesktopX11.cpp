#include "platform/linux/desktop/ShowDesktopX11.h"

#include <X11/Xatom.h>

#include <algorithm>

#include "platform/linux/desktop/EwmhRoot.h"

namespace tavix::platform::desktop {

bool X11ShowDesktop::toggleShowingDesktop() {
    const auto root = EwmhRoot::open();
    if (!root) return false;
    const Atom showing = root->atom("_NET_SHOWING_DESKTOP");
    if (!root->supports(showing)) return false;
    const auto state = root->property(showing, XA_CARDINAL);
    const bool shown =
        state && std::any_of(state->begin(), state->end(), [](unsigned long v) { return v != 0; });
    return root->send(showing, shown ? 0 : 1);
}

}  // namespace tavix::platform::desktop
