#include "platform/linux/desktop/SwitchDesktopX11.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

namespace tavix::platform::desktop {
namespace {

struct DisplayClose {
    void operator()(Display* display) const { XCloseDisplay(display); }
};
struct XFreeData {
    void operator()(unsigned char* data) const { XFree(data); }
};

// The 32-bit values of a root window property of the given type; nothing when it is unset.
std::optional<std::vector<unsigned long>> rootProperty(Display* display, Window root, Atom property,
                                                       Atom type) {
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* raw = nullptr;
    if (XGetWindowProperty(display, root, property, 0, 1024, False, type, &actualType, &format,
                           &count, &after, &raw) != Success) {
        return std::nullopt;
    }
    const std::unique_ptr<unsigned char, XFreeData> data(raw);
    if (actualType != type || format != 32 || !raw) return std::nullopt;
    const auto* values = reinterpret_cast<const unsigned long*>(raw);
    return std::vector<unsigned long>(values, values + count);
}

}  // namespace

bool X11DesktopSwitcher::switchDesktop(int step) {
    const std::unique_ptr<Display, DisplayClose> display(XOpenDisplay(nullptr));
    if (!display) return false;
    Display* d = display.get();
    const Window root = DefaultRootWindow(d);
    const Atom current = XInternAtom(d, "_NET_CURRENT_DESKTOP", False);
    const auto supported = rootProperty(d, root, XInternAtom(d, "_NET_SUPPORTED", False), XA_ATOM);
    if (!supported || std::find(supported->begin(), supported->end(), current) == supported->end()) {
        return false;
    }
    const auto index = rootProperty(d, root, current, XA_CARDINAL);
    const auto count =
        rootProperty(d, root, XInternAtom(d, "_NET_NUMBER_OF_DESKTOPS", False), XA_CARDINAL);
    if (!index || index->empty() || !count || count->empty()) return false;
    const long target = static_cast<long>(index->front()) + step;
    // No wrapping around: the gesture stops at the first and the last workspace.
    if (target < 0 || target >= static_cast<long>(count->front())) return true;

    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = root;
    event.xclient.message_type = current;
    event.xclient.format = 32;
    event.xclient.data.l[0] = target;
    event.xclient.data.l[1] = CurrentTime;
    const bool sent =
        XSendEvent(d, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &event) != 0;
    XFlush(d);
    return sent;
}

}  // namespace tavix::platform::desktop
