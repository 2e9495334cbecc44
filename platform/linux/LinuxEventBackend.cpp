#include "platform/linux/LinuxEventBackend.h"

namespace tavix::platform {

std::optional<Point> LinuxEventBackend::pointerLocation() {
    return parts_.pointer ? parts_.pointer->pointerLocation() : std::nullopt;
}

void LinuxEventBackend::leftTaps(const Event& event, EventOrigin origin, bool delivered) {
    switch (origin) {
        case EventOrigin::posted:
            if (!parts_.output) return;
            if (const auto action = parts_.output->post(event, delivered);
                action && parts_.runAction) {
                parts_.runAction(*action);
            }
            return;
        case EventOrigin::physical:
            if (parts_.physical) parts_.physical(event, delivered);
            return;
    }
}

}  // namespace tavix::platform
