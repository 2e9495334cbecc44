#pragma once

#include <X11/Xlib.h>

#include <memory>
#include <optional>
#include <vector>

namespace tavix::platform::desktop {

// The root window of $DISPLAY, for the window manager's EWMH requests; one connection per
// request, closed with this object.
class EwmhRoot {
  public:
    // Nothing without an X display.
    static std::optional<EwmhRoot> open();

    Atom atom(const char* name) const;
    // The 32-bit values of a root window property of the given type; nothing when it is unset.
    std::optional<std::vector<unsigned long>> property(Atom name, Atom type) const;
    // Whether the window manager announces `atom` in _NET_SUPPORTED.
    bool supports(Atom atom) const;
    // A client message of `type` to the root window, as EWMH requests are sent; flushed.
    bool send(Atom type, long first, long second = 0) const;

  private:
    struct Close {
        void operator()(Display* display) const { XCloseDisplay(display); }
    };
    explicit EwmhRoot(Display* display);

    std::unique_ptr<Display, Close> display_;
    Window root_;
};

}  // namespace tavix::platform::desktop
