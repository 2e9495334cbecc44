#include "Tavix/events/Actions.h"
#include "platform/MainQueue.h"
#include "platform/Workspace.h"

namespace tavix {
namespace {

constexpr const char* kAppsBundle = "/System/Applications/Apps.app";
constexpr const char* kLaunchpadBundle = "/System/Applications/Launchpad.app";
constexpr const char* kMissionControlBundle = "/System/Applications/Mission Control.app";
// The launch argument that makes the Mission Control bundle show the desktop.
constexpr const char* kShowDesktopArgument = "1";

}  // namespace

void Actions::perform(PinchAction action) {
    if (dryRun.load()) return;
    platform::mainQueue().async([action] {
        switch (action) {
            case PinchAction::apps:
                for (const char* bundle : {kAppsBundle, kLaunchpadBundle}) {
                    if (platform::workspace().fileExists(bundle)) {
                        openApp(bundle, {});
                        return;
                    }
                }
                return;
            case PinchAction::missionControl:
                openApp(kMissionControlBundle, {});
                return;
            case PinchAction::spotlight:
                key(kKeySpace, platform::kEventFlagMaskCommand);
                return;
            case PinchAction::showDesktop:
                openApp(kMissionControlBundle, {kShowDesktopArgument});
                return;
        }
    });
}

void Actions::openApp(const std::string& path, const std::vector<std::string>& args) {
    platform::OpenConfiguration configuration{.arguments = args, .activates = true};
    platform::workspace().openApplication(path, configuration, [](bool) {});
}

}  // namespace tavix
