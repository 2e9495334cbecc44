#pragma once

namespace tavix::platform::desktop {

// Asks the X11 window manager to show the desktop (or to end showing it, if it already does):
// the EWMH _NET_SHOWING_DESKTOP client message on the root window.
class ShowDesktopMessenger {
  public:
    virtual ~ShowDesktopMessenger() = default;
    // False without an X display or a window manager that announces the request.
    virtual bool toggleShowingDesktop() = 0;
};

// The display of $DISPLAY, opened for each request.
class X11ShowDesktop final : public ShowDesktopMessenger {
  public:
    bool toggleShowingDesktop() override;
};

}  // namespace tavix::platform::desktop
