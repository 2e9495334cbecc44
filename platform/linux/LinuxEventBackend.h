#pragma once

#include <functional>
#include <memory>

#include "platform/events/EventBackend.h"
#include "platform/linux/PointerSource.h"
#include "platform/linux/desktop/DesktopAction.h"
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
    };

    explicit LinuxEventBackend(Parts parts) : parts_(std::move(parts)) {}

    std::optional<Point> pointerLocation() override;
    void leftTaps(const Event& event, EventOrigin origin, bool delivered) override;

  private:
    Parts parts_;
};

}  // namespace tavix::platform
