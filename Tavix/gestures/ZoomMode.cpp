#include "Tavix/gestures/ZoomMode.h"

namespace tavix {

std::optional<ZoomMode> ZoomMode::fromRawValue(std::string_view raw) {
    for (ZoomMode mode : allCases()) {
        if (mode.rawValue() == raw) return mode;
    }
    return std::nullopt;
}

std::string_view ZoomMode::rawValue() const {
    switch (value_) {
        case native:
            return "native";
        case keyboard:
            return "keyboard";
    }
    return {};
}

std::string_view ZoomMode::title() const {
    switch (value_) {
        case native:
            return "原生捏合（平滑）";
        case keyboard:
            return "快捷键 ⌘+ / ⌘−";
    }
    return {};
}

}  // namespace tavix
