#include "platform/linux/LinuxDesktop.h"

namespace tavix::platform {

LinuxDesktop LinuxDesktop::open(std::shared_ptr<const Clock> clock) {
    LinuxDesktop desktop;
    desktop.output = output::UinputOutput::open(
        std::move(clock), std::make_shared<output::SystemSleeper>(), &desktop.uinputError);
    desktop::DesktopActions::Services services;
    services.chords = desktop.output;
    desktop.actions = std::make_shared<desktop::DesktopActions>(std::move(services));
    desktop.workspace = std::make_shared<LinuxWorkspace>(desktop.actions);
    return desktop;
}

LinuxEventBackend::Parts LinuxDesktop::backendParts() const {
    return {
        .output = output,
        .pointer = nullptr,
        .runAction = [actions = actions](desktop::DesktopAction action) { actions->run(action); },
        .physical = {},
        .input = nullptr};
}

}  // namespace tavix::platform
