#pragma once

#include <optional>
#include <string_view>

namespace tavix::platform::desktop {

// What a pinch target or a system gesture asks of the desktop. The names are those of the pinch
// targets, and the workspace on either side; users write them in actions.conf.
enum class DesktopAction { apps, missionControl, spotlight, showDesktop, workspaceLeft, workspaceRight };

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
        case DesktopAction::workspaceLeft:
            return "workspaceLeft";
        case DesktopAction::workspaceRight:
            return "workspaceRight";
    }
    return "";
}

constexpr std::optional<DesktopAction> desktopActionFromName(std::string_view name) {
    for (auto action : {DesktopAction::apps, DesktopAction::missionControl,
                        DesktopAction::spotlight, DesktopAction::showDesktop,
                        DesktopAction::workspaceLeft, DesktopAction::workspaceRight}) {
        if (desktopActionName(action) == name) return action;
    }
    return std::nullopt;
}

}  // namespace tavix::platform::desktop
