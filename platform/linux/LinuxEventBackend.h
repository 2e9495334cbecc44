#pragma once

#include <functional>
#include <memory>

#include "platform/events/EventBackend.h"
#include "platform/linux/PointerSource.h"
#include "platform/linux/desktop/DesktopAction.h"
#include "platform/linux/input/PhysicalInput.h"
#include "platform/linux/output/UinputOutput.h"

namespace tavix::platform {

// The event system on a Linux desktop: posted events leave through the uinput devices once they
// have passed the taps; physical ones go to whoever grabbed the mouse and re-emits its input.
class LinuxEventBackend final : public EventBackend {
  public:
    struct Parts {
        std::shared_ptr<output::UinputOutput> output;
        std::shared_ptr<PointerSource> pointer;  // none: the position is unknown
        // A posted key that stands for a desktop action (Command-Space: search).
        std::function<void(desktop::DesktopAction)> runAction;
        std::function<void(const Event&, bool delivered)> physical;
        // The Magic Mice: the tap's access, grab and re-emission (docs/evdev-input.md); the
        // pointer too when no other source is given.
        std::shared_ptr<input::PhysicalInput> input;
    };

    explicit LinuxEventBackend(Parts parts) : parts_(std::move(parts)) {}

    std::optional<Point> pointerLocation() override;
    bool canCreateTap() override;
    void tapsInstalled(bool installed) override;
    bool canDropPhysical() override;
    void leftTaps(const Event& event, EventOrigin origin, bool delivered) override;

  private:
    Parts parts_;
};

}  // namespace tavix::platform
