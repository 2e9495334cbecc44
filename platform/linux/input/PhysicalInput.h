#pragma once

#include <optional>

#include "platform/events/EventBackend.h"
#include "platform/linux/PointerSource.h"
#include "platform/linux/input/InputAccess.h"
#include "platform/linux/input/MagicMouseTap.h"
#include "platform/linux/input/PointerLocator.h"

namespace tavix::platform::input {

// Everything the desktop's EventBackend needs from the user's own input, over the process-wide
// Magic Mouse reader: each member is what the EventBackend member of the same name returns or
// does for physical events. The output side (posted events) is the backend's own.
class PhysicalInput final : public PointerSource {
  public:
    explicit PhysicalInput(MagicMouseReader& reader = MagicMouseReader::shared(),
                           MagicMouseTap::MakeClone makeClone = MagicMouseTap::uinputClone)
        : tap_(reader, std::move(makeClone)), pointer_([this] { return tap_.motion(); }) {}

    std::optional<Point> pointerLocation() override { return pointer_.location(); }
    bool canCreateTap() { return canReadMagicMice(); }
    void tapsInstalled(bool installed) { tap_.tapsInstalled(installed); }
    bool canDropPhysical() { return tap_.canDropPhysical(); }
    // Call for every event leaving the taps; posted ones are ignored here.
    void leftTaps(const Event& event, EventOrigin origin, bool delivered) {
        tap_.leftTaps(event, origin, delivered);
    }

    PointerLocator::Source pointerSource() const { return pointer_.source(); }

  private:
    MagicMouseTap tap_;
    PointerLocator pointer_;
};

}  // namespace tavix::platform::input
