#include "platform/linux/LinuxWorkspace.h"

namespace tavix::platform {
namespace {

using desktop::DesktopAction;

const struct {
    const char* path;
    std::vector<std::string> arguments;
    DesktopAction action;
} kBundles[] = {
    {"/System/Applications/Apps.app", {}, DesktopAction::apps},
    {"/System/Applications/Launchpad.app", {}, DesktopAction::apps},
    {"/System/Applications/Mission Control.app", {}, DesktopAction::missionControl},
    {"/System/Applications/Mission Control.app", {"1"}, DesktopAction::showDesktop},
};

}  // namespace

std::optional<DesktopAction> LinuxWorkspace::actionFor(const std::string& path,
                                                       const std::vector<std::string>& args) {
    for (const auto& bundle : kBundles) {
        if (path == bundle.path && args == bundle.arguments) return bundle.action;
    }
    return std::nullopt;
}

void LinuxWorkspace::openApplication(const std::string& path,
                                     const OpenConfiguration& configuration,
                                     Completion completion) {
    if (const auto action = actionFor(path, configuration.arguments)) {
        const bool done = actions_ && actions_->run(*action);
        if (completion) completion(done);
        return;
    }
    files_.openApplication(path, configuration, std::move(completion));
}

bool LinuxWorkspace::fileExists(const std::string& path) const {
    for (const auto& bundle : kBundles) {
        if (path == bundle.path) return true;
    }
    return files_.fileExists(path);
}

}  // namespace tavix::platform
