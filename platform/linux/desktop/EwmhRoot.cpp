#include "platform/linux/desktop/EwmhRoot.h"

#include <X11/Xatom.h>

#include <algorithm>

namespace tavix::platform::desktop {
namespace {

struct XFreeData {
    void operator()(unsigned char* data) const { XFree(data); }
};

}  // namespace

EwmhRoot::EwmhRoot(Display* display) : display_(display), root_(DefaultRootWindow(display)) {}

std::optional<EwmhRoot> EwmhRoot::open() {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return std::nullopt;
    return EwmhRoot(display);
}

Atom EwmhRoot::atom(const char* name) const { return XInternAtom(display_.get(), name, False); }

std::optional<std::vector<unsigned long>> EwmhRoot::property(Atom name, Atom type) const {
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* raw = nullptr;
    if (XGetWindowProperty(display_.get(), root_, name, 0, 1024, False, type, &actualType, &format,
                           &count, &after, &raw) != Success) {
        return std::nullopt;
    }
    const std::unique_ptr<unsigned char, XFreeData> data(raw);
    if (actualType != type || format != 32 || !raw) return std::nullopt;
    // Xlib hands 32-bit properties over as longs.
    const auto* values = reinterpret_cast<const unsigned long*>(raw);
    return std::vector<unsigned long>(values, values + count);
}

bool EwmhRoot::supports(Atom atom) const {
    const auto supported = property(this->atom("_NET_SUPPORTED"), XA_ATOM);
    return supported && std::find(supported->begin(), supported->end(), atom) != supported->end();
}

bool EwmhRoot::send(Atom type, long first, long second) const {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = root_;
    event.xclient.message_type = type;
    event.xclient.format = 32;
    event.xclient.data.l[0] = first;
    event.xclient.data.l[1] = second;
    const bool sent = XSendEvent(display_.get(), root_, False,
                                 SubstructureRedirectMask | SubstructureNotifyMask, &event) != 0;
    XFlush(display_.get());
    return sent;
}

}  // namespace tavix::platform::desktop
