#pragma once

namespace tavix::platform::desktop {

// Asks the X11 window manager for the workspace next to the current one: the EWMH
// _NET_CURRENT_DESKTOP client message on the root window.
class DesktopSwitcher {
  public:
    virtual ~DesktopSwitcher() = default;
    // `step` -1 is the workspace on the left, +1 the one on the right; at either end nothing is
    // asked and the answer is true. False without an X display or a window manager that
    // announces the request.
    virtual bool switchDesktop(int step) = 0;
};

// The display of $DISPLAY, opened for each request.
class X11DesktopSwitcher final : public DesktopSwitcher {
  public:
    bool switchDesktop(int step) override;
};

}  // namespace tavix::platform::desktop
