#include "platform/linux/desktop/ShowDesktopX11.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <memory>

namespace tavix::platform::desktop {
namespace {

struct DisplayClose {
    void operator()(Display* display) const { XCloseDisplay(display); }
};
struct XFreeData {
    void operator()(unsigned char* data) const { XFree(data); }
};

// The CARDINAL/ATOM list of a root window property.
template <class Check>
bool rootPropertyAny(Display* display, Window root, Atom property, Atom type, Check check) {
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* raw = nullptr;
    if (XGetWindowProperty(display, root, property, 0, 1024, False, type, &actualType, &format,
                           &count, &after, &raw) != Success) {
        return false;
    }
    const std::unique_ptr<unsigned char, XFreeData> data(raw);
    if (actualType != type || format != 32 || !raw) return false;
    const auto* values = reinterpret_cast<const unsigned long*>(raw);
    for (unsigned long i = 0; i < count; ++i) {
        if (check(values[i])) return true;
    }
    return false;
}

}  // namespace

bool X11ShowDesktop::toggleShowingDesktop() {
    const std::unique_ptr<Display, DisplayClose> display(XOpenDisplay(nullptr));
    if (!display) return false;
    Display* d = display.get();
    const Window root = DefaultRootWindow(d);
    const Atom supported = XInternAtom(d, "_NET_SUPPORTED", False);
    const Atom showing = XInternAtom(d, "_NET_SHOWING_DESKTOP", False);
    if (!rootPropertyAny(d, root, supported, XA_ATOM,
                         [&](unsigned long atom) { return atom == showing; })) {
        return false;
    }
    const bool shown =
        rootPropertyAny(d, root, showing, XA_CARDINAL, [](unsigned long v) { return v != 0; });

    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = root;
    event.xclient.message_type = showing;
    event.xclient.format = 32;
    event.xclient.data.l[0] = shown ? 0 : 1;
    const bool sent =
        XSendEvent(d, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &event) != 0;
    XFlush(d);
    return sent;
}

}  // namespace tavix::platform::desktop
