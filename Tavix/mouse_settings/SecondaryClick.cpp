#include "Tavix/mouse_settings/SecondaryClick.h"

namespace tavix {

std::optional<SecondaryClick> SecondaryClick::fromRawValue(std::string_view raw) {
    for (SecondaryClick mode : allCases()) {
        if (mode.rawValue() == raw) return mode;
    }
    return std::nullopt;
}

std::string_view SecondaryClick::rawValue() const {
    switch (value_) {
        case right:
            return "TwoButton";
        case left:
            return "TwoButtonSwapped";
        case off:
            return "OneButton";
    }
    return {};
}

std::string_view SecondaryClick::title() const {
    switch (value_) {
        case right:
            return "点按右侧";
        case left:
            return "点按左侧";
        case off:
            return "关闭";
    }
    return {};
}

}  // namespace tavix
