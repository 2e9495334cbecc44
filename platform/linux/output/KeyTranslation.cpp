#include "platform/linux/output/KeyTranslation.h"

#include <linux/input-event-codes.h>

#include <algorithm>

namespace tavix::platform::output {
namespace {

constexpr EventFlags kShift = 0x20000;
constexpr EventFlags kControl = 0x40000;
constexpr EventFlags kOption = 0x80000;
constexpr EventFlags kCommand = kEventFlagMaskCommand;
constexpr EventFlags kModifierFlags = kShift | kControl | kOption | kCommand;

// Command is the application-shortcut modifier there, Ctrl is here.
constexpr struct {
    EventFlags flag;
    uint16_t key;
} kModifiers[] = {
    {kControl, KEY_LEFTCTRL},
    {kCommand, KEY_LEFTCTRL},
    {kOption, KEY_LEFTALT},
    {kShift, KEY_LEFTSHIFT},
};

// Original virtual key codes (ANSI layout positions) and the evdev key at the same position.
constexpr struct {
    uint16_t virtualKey;
    uint16_t key;
} kKeys[] = {
    {0, KEY_A},          {1, KEY_S},           {2, KEY_D},           {3, KEY_F},
    {4, KEY_H},          {5, KEY_G},           {6, KEY_Z},           {7, KEY_X},
    {8, KEY_C},          {9, KEY_V},           {11, KEY_B},          {12, KEY_Q},
    {13, KEY_W},         {14, KEY_E},          {15, KEY_R},          {16, KEY_Y},
    {17, KEY_T},         {18, KEY_1},          {19, KEY_2},          {20, KEY_3},
    {21, KEY_4},         {22, KEY_6},          {23, KEY_5},          {24, KEY_EQUAL},
    {25, KEY_9},         {26, KEY_7},          {27, KEY_MINUS},      {28, KEY_8},
    {29, KEY_0},         {30, KEY_RIGHTBRACE}, {31, KEY_O},          {32, KEY_U},
    {33, KEY_LEFTBRACE}, {34, KEY_I},          {35, KEY_P},          {36, KEY_ENTER},
    {37, KEY_L},         {38, KEY_J},          {39, KEY_APOSTROPHE}, {40, KEY_K},
    {41, KEY_SEMICOLON}, {42, KEY_BACKSLASH},  {43, KEY_COMMA},      {44, KEY_SLASH},
    {45, KEY_N},         {46, KEY_M},          {47, KEY_DOT},        {48, KEY_TAB},
    {49, KEY_SPACE},     {50, KEY_GRAVE},      {51, KEY_BACKSPACE},  {53, KEY_ESC},
    {69, KEY_KPPLUS},    {78, KEY_KPMINUS},    {96, KEY_F5},         {97, KEY_F6},
    {98, KEY_F7},        {99, KEY_F3},         {100, KEY_F8},        {101, KEY_F9},
    {103, KEY_F11},      {109, KEY_F10},       {111, KEY_F12},       {115, KEY_HOME},
    {116, KEY_PAGEUP},   {117, KEY_DELETE},    {118, KEY_F4},        {119, KEY_END},
    {120, KEY_F2},       {121, KEY_PAGEDOWN},  {122, KEY_F1},        {123, KEY_LEFT},
    {124, KEY_RIGHT},    {125, KEY_DOWN},      {126, KEY_UP},
};

// Chords whose plain translation would do the wrong thing here. Application zoom uses the
// keypad keys, which mean plus and minus on every layout; Command-Space is the desktop's search,
// never Ctrl+Space, which switches input methods on many setups.
const struct {
    uint16_t virtualKey;
    EventFlags flags;
    KeyOutput output;
} kSpecial[] = {
    {24, kCommand, KeyChord{{KEY_LEFTCTRL}, KEY_KPPLUS}},
    {27, kCommand, KeyChord{{KEY_LEFTCTRL}, KEY_KPMINUS}},
    {49, kCommand, desktop::DesktopAction::spotlight},
    // Control-arrow moves one space left or right there; here it is the desktop's own binding.
    {123, kControl, desktop::DesktopAction::workspaceLeft},
    {124, kControl, desktop::DesktopAction::workspaceRight},
};

}  // namespace

std::optional<KeyOutput> translateKey(uint16_t virtualKey, EventFlags flags) {
    flags &= kModifierFlags;
    for (const auto& special : kSpecial) {
        if (special.virtualKey == virtualKey && special.flags == flags) return special.output;
    }
    for (const auto& entry : kKeys) {
        if (entry.virtualKey != virtualKey) continue;
        KeyChord chord{.modifiers = {}, .key = entry.key};
        for (const auto& modifier : kModifiers) {
            if (!(flags & modifier.flag)) continue;
            if (std::find(chord.modifiers.begin(), chord.modifiers.end(), modifier.key) ==
                chord.modifiers.end()) {
                chord.modifiers.push_back(modifier.key);
            }
        }
        return chord;
    }
    return std::nullopt;
}

std::vector<uint16_t> translatedKeys() {
    std::vector<uint16_t> keys;
    for (const auto& modifier : kModifiers) keys.push_back(modifier.key);
    for (const auto& entry : kKeys) keys.push_back(entry.key);
    for (const auto& special : kSpecial) {
        if (const auto* chord = std::get_if<KeyChord>(&special.output)) {
            keys.insert(keys.end(), chord->modifiers.begin(), chord->modifiers.end());
            keys.push_back(chord->key);
        }
    }
    return keys;
}

}  // namespace tavix::platform::output
