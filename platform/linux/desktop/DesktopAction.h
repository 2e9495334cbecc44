#pragma once

#include <optional>
#include <string_view>

namespace tavix::platform::desktop {

// What a pinch target asks of the desktop. The names are those of the pinch targets, which is
// what users write in actions.conf.
enum class DesktopAction { apps, missionControl, spotlight, showDesktop };

constexpr std::string_view desktopActionName(DesktopAction action) {
    switch (action) {
        case DesktopAction::apps:
            return "apps";
        case DesktopAction::missionControl:
            return "missionControl";
        case DesktopAction::spotlight:
            return "spotlight";
        case DesktopAction::showDesktop:
            return "showDesktop";
    }
    return "";
}

constexpr std::optional<DesktopAction> desktopActionFromName(std::string_view name) {
    for (auto action : {DesktopAction::apps, DesktopAction::missionControl,
                        DesktopAction::spotlight, DesktopAction::showDesktop}) {
        if (desktopActionName(action) == name) return action;
    }
    return std::nullopt;
}

}  // namespace tavix::platform::desktop
