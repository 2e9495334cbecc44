#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "Tavix/gestures/GestureConfig.h"
#include "platform/Geometry.h"
#include "platform/events/Event.h"

namespace tavix::replay {

// One line of a touch script, already checked for shape and types. What a line refers to
// (device handles, the clock) is checked by the player.
namespace line {

struct Device {
    int64_t handle = 0;
    int32_t family = 0;
    uint64_t deviceID = 0;
    int32_t width = 0;  // hundredths of a millimetre
    int32_t height = 0;
    bool builtIn = false;
    bool attached = true;
};

struct Contact {
    int32_t id = 0;
    int32_t state = 0;
    float x = 0;
    float y = 0;
};
struct Frame {
    std::optional<int64_t> device;  // none: the framework passes a null handle
    std::vector<Contact> contacts;
};
struct Cursor {
    Point at;
};
struct Input {
    std::string name;
    platform::EventType type;
    bool marker = false;
};
// The named fields replace those of the configuration in force.
struct Config {
    struct Field {
        std::string name;
        std::variant<bool, double, PinchAction, ZoomMode> value;
    };
    std::vector<Field> fields;
};
struct Attach {
    int64_t device;
};
struct Detach {
    int64_t device;
};
struct Rescan {};
struct Poll {};
struct Exists {
    std::set<std::string> paths;
};
struct DryRun {
    bool on;
};
// The system-gesture switches of the mouse settings that the line names; the others stay.
struct Mouse {
    std::optional<bool> pageSwipe;
    std::optional<bool> fullscreenSwipe;
    std::optional<bool> missionControlTap;
    std::optional<bool> smartZoom;
};

using Action = std::variant<Frame, Cursor, Input, Config, Attach, Detach, Rescan, Poll, Exists,
                            DryRun, Mouse>;

struct Timed {
    double t = 0;
    Action action;
};

}  // namespace line

using ScriptLine = std::variant<std::monostate, line::Device, line::Timed>;

// The largest "t" a script may use, in seconds of uptime (about 31 years). Up to it a double
// keeps every microsecond the log shows, and the wall clock (a fixed epoch plus "t") stays far
// inside its 64-bit microsecond count.
inline constexpr double kMaxTime = 1e9;

// A blank or comment line gives monostate. A line that is not what a script allows gives the
// problem, in words, as the error.
struct Parsed {
    ScriptLine line;
    std::string error;
};
Parsed parseLine(std::string_view text);

// The script's name of a physical input type.
std::string_view inputName(platform::EventType type);

// Replaces the fields a config line names; the others keep their values.
void applyConfig(const line::Config& change, GestureConfig& config);

}  // namespace tavix::replay
