#pragma once

#include <charconv>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <variant>
#include <vector>

#include "platform/linux/output/KeyChord.h"

namespace tavix::platform::desktop {

// One argument of a D-Bus call, spelled as dbus-send spells it: "string:Overview",
// "boolean:true", "variant:boolean:true".
struct DBusArgument {
    std::string type;  // string, boolean, int32, uint32, double, objpath
    std::string value;
    bool variant = false;
    friend bool operator==(const DBusArgument&, const DBusArgument&) = default;
};

// The number an int32 or uint32 argument spells, in decimal; nothing when it is not one or is
// out of the type's range (never wrapped).
template <class Integer>
std::optional<Integer> argumentInteger(std::string_view text) {
    Integer value{};
    const auto [last, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || last != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

struct DBusCall {
    std::string service;
    std::string path;
    std::string interface;
    std::string member;
    std::vector<DBusArgument> arguments;
    friend bool operator==(const DBusCall&, const DBusCall&) = default;
};

// A boolean property set to the opposite of what it reads, so the action toggles.
struct PropertyToggle {
    std::string service;
    std::string path;
    std::string interface;
    std::string name;
    friend bool operator==(const PropertyToggle&, const PropertyToggle&) = default;
};

// A shortcut the desktop keeps in its live settings: a GSettings schema and key on GNOME, a
// component and action of kglobalshortcutsrc on KDE.
struct LiveShortcut {
    std::string group;
    std::string name;
    friend bool operator==(const LiveShortcut&, const LiveShortcut&) = default;
};

struct ChordTrigger {
    output::KeyChord chord;
    friend bool operator==(const ChordTrigger&, const ChordTrigger&) = default;
};

// The EWMH _NET_SHOWING_DESKTOP request to the X11 window manager.
struct ShowDesktopMessage {
    friend bool operator==(const ShowDesktopMessage&, const ShowDesktopMessage&) = default;
};

// The EWMH _NET_CURRENT_DESKTOP request for the workspace `step` places away (-1 left, +1 right).
struct SwitchDesktopMessage {
    int step = 0;
    friend bool operator==(const SwitchDesktopMessage&, const SwitchDesktopMessage&) = default;
};

// A program and its arguments, started without a shell.
struct CommandLine {
    std::vector<std::string> words;
    friend bool operator==(const CommandLine&, const CommandLine&) = default;
};

// A command sent to Sway over its IPC socket (RUN_COMMAND), as a line of its config would say it.
struct SwayCommand {
    std::string command;
    friend bool operator==(const SwayCommand&, const SwayCommand&) = default;
};

// One way of doing a desktop action; an action tries its triggers in turn until one works.
using Trigger = std::variant<DBusCall, PropertyToggle, LiveShortcut, ChordTrigger,
                             ShowDesktopMessage, SwitchDesktopMessage, CommandLine, SwayCommand>;

}  // namespace tavix::platform::desktop
