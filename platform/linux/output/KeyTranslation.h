#pragma once

#include <cstdint>
#include <optional>
#include <variant>
#include <vector>

#include "platform/events/Event.h"
#include "platform/linux/desktop/DesktopAction.h"
#include "platform/linux/output/KeyChord.h"

namespace tavix::platform::output {

// What one posted key becomes on Linux: a chord on the virtual keyboard, or a desktop action.
using KeyOutput = std::variant<KeyChord, desktop::DesktopAction>;

// The original platform's virtual key code and modifier flags, translated; nothing for a key
// without a Linux counterpart.
std::optional<KeyOutput> translateKey(uint16_t virtualKey, EventFlags flags);

// Every evdev key the translation can emit.
std::vector<uint16_t> translatedKeys();

}  // namespace tavix::platform::output
