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

struct PointerLocator::XConnection {
    explicit XConnection(Display* open) : x(open) {}
    ~XConnection() { XCloseDisplay(x); }
    XConnection(const XConnection&) = delete;
    XConnection& operator=(const XConnection&) = delete;
    XConnection(XConnection&&) = delete;
    XConnection& operator=(XConnection&&) = delete;

    Display* const x;
};

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
        if (auto* open = XOpenDisplay(nullptr)) display_ = std::make_unique<XConnection>(open);
    }
}

PointerLocator::~PointerLocator() = default;

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
        if (XQueryPointer(display_->x, DefaultRootWindow(display_->x), &root, &child, &x, &y, &windowX,
                          &windowY, &mask)) {
            return Point{static_cast<double>(x), static_cast<double>(y)};
        }
        return std::nullopt;  // the pointer is on another screen
    }
    return motion_ ? std::optional(motion_()) : std::nullopt;
}

}  // namespace tavix::platform::input
