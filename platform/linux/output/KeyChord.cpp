#include "platform/linux/output/KeyChord.h"

#include <linux/input-event-codes.h>

#include <algorithm>
#include <array>
#include <cctype>

#include "platform/linux/Trim.h"

namespace tavix::platform::output {
namespace {

struct KeyName {
    std::string_view name;
    uint16_t code;
};

constexpr KeyName kModifierNames[] = {
    {"ctrl", KEY_LEFTCTRL}, {"control", KEY_LEFTCTRL}, {"primary", KEY_LEFTCTRL},
    {"alt", KEY_LEFTALT},   {"shift", KEY_LEFTSHIFT},  {"super", KEY_LEFTMETA},
    {"meta", KEY_LEFTMETA}, {"win", KEY_LEFTMETA},     {"logo", KEY_LEFTMETA},
};

// The X keysym names GNOME stores and the Qt names KDE stores, for the keys a shortcut uses.
constexpr KeyName kKeyNames[] = {
    {"a", KEY_A},
    {"b", KEY_B},
    {"c", KEY_C},
    {"d", KEY_D},
    {"e", KEY_E},
    {"f", KEY_F},
    {"g", KEY_G},
    {"h", KEY_H},
    {"i", KEY_I},
    {"j", KEY_J},
    {"k", KEY_K},
    {"l", KEY_L},
    {"m", KEY_M},
    {"n", KEY_N},
    {"o", KEY_O},
    {"p", KEY_P},
    {"q", KEY_Q},
    {"r", KEY_R},
    {"s", KEY_S},
    {"t", KEY_T},
    {"u", KEY_U},
    {"v", KEY_V},
    {"w", KEY_W},
    {"x", KEY_X},
    {"y", KEY_Y},
    {"z", KEY_Z},
    {"0", KEY_0},
    {"1", KEY_1},
    {"2", KEY_2},
    {"3", KEY_3},
    {"4", KEY_4},
    {"5", KEY_5},
    {"6", KEY_6},
    {"7", KEY_7},
    {"8", KEY_8},
    {"9", KEY_9},
    {"f1", KEY_F1},
    {"f2", KEY_F2},
    {"f3", KEY_F3},
    {"f4", KEY_F4},
    {"f5", KEY_F5},
    {"f6", KEY_F6},
    {"f7", KEY_F7},
    {"f8", KEY_F8},
    {"f9", KEY_F9},
    {"f10", KEY_F10},
    {"f11", KEY_F11},
    {"f12", KEY_F12},
    {"space", KEY_SPACE},
    {"tab", KEY_TAB},
    {"return", KEY_ENTER},
    {"enter", KEY_ENTER},
    {"escape", KEY_ESC},
    {"esc", KEY_ESC},
    {"backspace", KEY_BACKSPACE},
    {"delete", KEY_DELETE},
    {"del", KEY_DELETE},
    {"insert", KEY_INSERT},
    {"home", KEY_HOME},
    {"end", KEY_END},
    {"pageup", KEY_PAGEUP},
    {"page_up", KEY_PAGEUP},
    {"pgup", KEY_PAGEUP},
    {"pagedown", KEY_PAGEDOWN},
    {"page_down", KEY_PAGEDOWN},
    {"pgdown", KEY_PAGEDOWN},
    {"left", KEY_LEFT},
    {"right", KEY_RIGHT},
    {"up", KEY_UP},
    {"down", KEY_DOWN},
    {"minus", KEY_MINUS},
    {"-", KEY_MINUS},
    {"equal", KEY_EQUAL},
    {"=", KEY_EQUAL},
    {"comma", KEY_COMMA},
    {",", KEY_COMMA},
    {"period", KEY_DOT},
    {".", KEY_DOT},
    {"slash", KEY_SLASH},
    {"/", KEY_SLASH},
    {"semicolon", KEY_SEMICOLON},
    {";", KEY_SEMICOLON},
    {"apostrophe", KEY_APOSTROPHE},
    {"'", KEY_APOSTROPHE},
    {"grave", KEY_GRAVE},
    {"`", KEY_GRAVE},
    {"backslash", KEY_BACKSLASH},
    {"\\", KEY_BACKSLASH},
    {"bracketleft", KEY_LEFTBRACE},
    {"[", KEY_LEFTBRACE},
    {"bracketright", KEY_RIGHTBRACE},
    {"]", KEY_RIGHTBRACE},
    {"print", KEY_SYSRQ},
    {"kp_add", KEY_KPPLUS},
    {"kp_plus", KEY_KPPLUS},
    {"kp_subtract", KEY_KPMINUS},
    {"kp_minus", KEY_KPMINUS},
};

std::string lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

template <std::size_t N>
std::optional<uint16_t> lookup(const KeyName (&table)[N], std::string_view name) {
    const std::string key = lower(name);
    for (const auto& entry : table) {
        if (entry.name == key) return entry.code;
    }
    return std::nullopt;
}

void addModifier(KeyChord& chord, uint16_t code) {
    if (std::find(chord.modifiers.begin(), chord.modifiers.end(), code) == chord.modifiers.end()) {
        chord.modifiers.push_back(code);
    }
}

// "<Super><Shift>a"
std::optional<KeyChord> parseAccelerator(std::string_view text) {
    KeyChord chord;
    while (!text.empty() && text.front() == '<') {
        const auto close = text.find('>');
        if (close == std::string_view::npos) return std::nullopt;
        const auto modifier = lookup(kModifierNames, text.substr(1, close - 1));
        if (!modifier) return std::nullopt;
        addModifier(chord, *modifier);
        text.remove_prefix(close + 1);
    }
    if (text.empty()) return std::nullopt;
    const auto key = lookup(kKeyNames, text);
    if (!key) return std::nullopt;
    chord.key = *key;
    return chord;
}

}  // namespace

std::optional<KeyChord> parseKeyChord(std::string_view text) {
    text = trim(text);
    if (text.empty()) return std::nullopt;
    if (text.front() == '<') return parseAccelerator(text);

    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        const auto plus = text.find('+', start);
        parts.push_back(trim(text.substr(start, plus - start)));
        if (plus == std::string_view::npos) break;
        start = plus + 1;
    }
    KeyChord chord;
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
        const auto modifier = lookup(kModifierNames, parts[i]);
        if (!modifier) return std::nullopt;
        addModifier(chord, *modifier);
    }
    const std::string_view last = parts.back();
    if (const auto key = lookup(kKeyNames, last)) {
        chord.key = *key;
    } else if (const auto lone = lookup(kModifierNames, last); lone && chord.modifiers.empty()) {
        chord.key = *lone;
    } else {
        return std::nullopt;
    }
    return chord;
}

std::string formatKeyChord(const KeyChord& chord) {
    auto name = [](uint16_t code) -> std::string {
        for (const auto& entry : kModifierNames) {
            if (entry.code == code) return std::string(entry.name);
        }
        for (const auto& entry : kKeyNames) {
            if (entry.code == code) return std::string(entry.name);
        }
        return std::to_string(code);
    };
    std::string out;
    for (const uint16_t modifier : chord.modifiers) out += name(modifier) + "+";
    return out + name(chord.key);
}

std::vector<uint16_t> nameableKeys() {
    std::vector<uint16_t> codes;
    for (const auto& entry : kModifierNames) codes.push_back(entry.code);
    for (const auto& entry : kKeyNames) codes.push_back(entry.code);
    std::sort(codes.begin(), codes.end());
    codes.erase(std::unique(codes.begin(), codes.end()), codes.end());
    return codes;
}

}  // namespace tavix::platform::output
