#include "Tavix/gestures/PinchAction.h"

namespace tavix {

std::optional<PinchAction> PinchAction::fromRawValue(std::string_view raw) {
    for (PinchAction action : allCases()) {
        if (action.rawValue() == raw) return action;
    }
    return std::nullopt;
}

std::string_view PinchAction::rawValue() const {
    switch (value_) {
        case apps:
            return "apps";
        case missionControl:
            return "missionControl";
        case spotlight:
            return "spotlight";
        case showDesktop:
            return "showDesktop";
    }
    return {};
}

std::string_view PinchAction::title() const {
    switch (value_) {
        case apps:
            return "应用程序索引";
        case missionControl:
            return "调度中心";
        case spotlight:
            return "聚焦搜索";
        case showDesktop:
            return "显示桌面";
    }
    return {};
}

}  // namespace tavix
