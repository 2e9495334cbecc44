#include "platform/linux/input/PointerLocator.h"

#include <X11/Xlib.h>

#include <cstdlib>
#include <string_view>

namespace tavix::platform::input {
namespace {

bool set(const char* value) {
    return value && *value;
}

}  // namespace

PointerLocator::Source PointerLocator::sourceFor(const char* sessionType, const char* display,
                                                 const char* wayland) {
    if (set(sessionType)) {
        return std::string_view(sessionType) == "x11" && set(display) ? Source::x11
                                                                      : Source::relativeMotion;
    }
    // No session type (started outside a login session): Xwayland sets DISPLAY too.
    return set(display) && !set(wayland) ? Source::x11 : Source::relativeMotion;
}

PointerLocator::PointerLocator(std::function<Point()> motion) : motion_(std::move(motion)) {
    if (sourceFor(std::getenv("XDG_SESSION_TYPE"), std::getenv("DISPLAY"),
                  std::getenv("WAYLAND_DISPLAY")) == Source::x11) {
        display_ = XOpenDisplay(nullptr);
    }
}

PointerLocator::~PointerLocator() {
    if (display_) XCloseDisplay(display_);
}

std::optional<Point> PointerLocator::location() {
    if (display_) {
        std::lock_guard guard(mutex_);
        Window root = 0;
        Window child = 0;
        int x = 0;
        int y = 0;
        int windowX = 0;
        int windowY = 0;
        unsigned mask = 0;
        if (XQueryPointer(display_, DefaultRootWindow(display_), &root, &child, &x, &y, &windowX,
                          &windowY, &mask)) {
            return Point{static_cast<double>(x), static_cast<double>(y)};
        }
        return std::nullopt;  // the pointer is on another screen
    }
    return motion_ ? std::optional(motion_()) : std::nullopt;
}

}  // namespace tavix::platform::input
