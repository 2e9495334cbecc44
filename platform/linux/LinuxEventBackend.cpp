#include "platform/linux/LinuxEventBackend.h"

namespace tavix::platform {

std::optional<Point> LinuxEventBackend::pointerLocation() {
    if (parts_.pointer) return parts_.pointer->pointerLocation();
    return parts_.input ? parts_.input->pointerLocation() : std::nullopt;
}

bool LinuxEventBackend::canCreateTap() {
    return !parts_.input || parts_.input->canCreateTap();
}

void LinuxEventBackend::tapsInstalled(bool installed) {
    if (parts_.input) parts_.input->tapsInstalled(installed);
}

bool LinuxEventBackend::canDropPhysical() {
    return !parts_.input || parts_.input->canDropPhysical();
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
            if (parts_.input) parts_.input->leftTaps(event, origin, delivered);
            if (parts_.physical) parts_.physical(event, delivered);
            return;
    }
}

}  // namespace tavix::platform
