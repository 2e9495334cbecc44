#pragma once

#include <string_view>

namespace tavix {

// The gestures behind the four system-gesture switches of the mouse settings; the names are
// those of the switches.
enum class SystemGesture { pageSwipe, fullscreenSwipe, missionControlTap, smartZoom };

// Where a system gesture goes; `none` for the overview, which only toggles.
enum class SystemDirection { none, back, forward, left, right, in, out };

constexpr std::string_view systemGestureName(SystemGesture gesture) {
    switch (gesture) {
        case SystemGesture::pageSwipe:
            return "pageSwipe";
        case SystemGesture::fullscreenSwipe:
            return "fullscreenSwipe";
        case SystemGesture::missionControlTap:
            return "missionControlTap";
        case SystemGesture::smartZoom:
            return "smartZoom";
    }
    return "";
}

// Empty for `none`.
constexpr std::string_view systemDirectionName(SystemDirection direction) {
    switch (direction) {
        case SystemDirection::none:
            return "";
        case SystemDirection::back:
            return "back";
        case SystemDirection::forward:
            return "forward";
        case SystemDirection::left:
            return "left";
        case SystemDirection::right:
            return "right";
        case SystemDirection::in:
            return "in";
        case SystemDirection::out:
            return "out";
    }
    return "";
}

// The on/off state of the four gestures, as the mouse settings hold it.
struct SystemGestureSwitches {
    bool pageSwipe = false;
    bool fullscreenSwipe = false;
    bool missionControlTap = false;
    bool smartZoom = false;

    friend bool operator==(const SystemGestureSwitches&, const SystemGestureSwitches&) = default;
};

// One recognised system gesture; `text` is the last-gesture line.
struct SystemGestureReport {
    SystemGesture gesture;
    SystemDirection direction;
    std::string_view text;
};

}  // namespace tavix
