#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/Geometry.h"

namespace tavix::platform::input {

// The pointer position that the event system's pointerLocation reports on Linux. On X11 the
// server is asked (XQueryPointer on the root window). Wayland gives ordinary clients no global
// pointer position: there it is the relative motion Tavix re-emitted from the mice, summed from
// (0, 0) — not the pointer's place on screen, but it moves exactly when the mouse moves, which is
// all that the checks whether the pointer stood still need.
class PointerLocator {
  public:
    enum class Source { x11, relativeMotion };

    // The source for a session: X11 for an X11 session, or a display without a Wayland one.
    static Source sourceFor(const char* sessionType, const char* display, const char* wayland);

    // `motion` is the summed relative motion (MagicMouseTap::motion). The session is read from
    // XDG_SESSION_TYPE, DISPLAY and WAYLAND_DISPLAY once, here.
    explicit PointerLocator(std::function<Point()> motion);
    ~PointerLocator();
    PointerLocator(const PointerLocator&) = delete;
    PointerLocator& operator=(const PointerLocator&) = delete;
    PointerLocator(PointerLocator&&) = delete;
    PointerLocator& operator=(PointerLocator&&) = delete;

    // The source in use: X11 only when the display could be opened.
    Source source() const { return display_ ? Source::x11 : Source::relativeMotion; }
    // Any thread.
    std::optional<Point> location();

  private:
    struct XConnection;  // the X11 display; Xlib's header stays out of ours

    const std::function<Point()> motion_;
    std::mutex mutex_;  // Xlib calls on one display are not thread-safe
    std::unique_ptr<XConnection> display_;
};

}  // namespace tavix::platform::input
