#pragma once

#include <memory>
#include <string>

#include "platform/Clock.h"
#include "platform/linux/LinuxEventBackend.h"
#include "platform/linux/LinuxWorkspace.h"
#include "platform/linux/desktop/DesktopActions.h"
#include "platform/linux/output/UinputOutput.h"

namespace tavix::platform {

// The output side of a Linux desktop, put together once at start-up: the two uinput devices,
// the desktop actions that use them, and the workspace that runs the actions.
struct LinuxDesktop {
    std::shared_ptr<output::UinputOutput> output;
    std::shared_ptr<desktop::DesktopActions> actions;
    std::shared_ptr<LinuxWorkspace> workspace;
    std::string uinputError;  // why the devices could not be created, if so

    // The clock must be the one the rest of the system runs on (SystemClock).
    static LinuxDesktop open(std::shared_ptr<const Clock> clock);

    // What the event backend needs from this side; the input side adds the pointer and the
    // re-emission of physical events.
    LinuxEventBackend::Parts backendParts() const;
};

}  // namespace tavix::platform
