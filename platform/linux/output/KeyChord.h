#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavix::platform::output {

// Modifiers held around one key; a lone modifier (a tap of Super) is a chord with no modifiers.
struct KeyChord {
    std::vector<uint16_t> modifiers;  // evdev key codes, pressed in this order
    uint16_t key = 0;
    friend bool operator==(const KeyChord&, const KeyChord&) = default;
};

// "Ctrl+KP_Add", "Super+a", "Meta+W", "Alt+F1", "Super"; also GNOME's "<Super>a" and
// "<Primary><Alt>t". Names are case-insensitive. Nothing for an empty or unknown chord.
std::optional<KeyChord> parseKeyChord(std::string_view text);
std::string formatKeyChord(const KeyChord& chord);

// Every key a chord can name, so the virtual keyboard declares them all up front.
std::vector<uint16_t> nameableKeys();

}  // namespace tavix::platform::output
