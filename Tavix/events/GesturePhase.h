#pragma once

#include <cstdint>
#include <optional>

namespace tavix {

// Phase of one magnification step; the values are the desktop's gesture-phase codes.
enum class GesturePhase : int64_t { began = 1, changed = 2, ended = 4, cancelled = 8 };

constexpr std::optional<GesturePhase> gesturePhaseFromRawValue(int64_t raw) {
    switch (raw) {
        case 1:
            return GesturePhase::began;
        case 2:
            return GesturePhase::changed;
        case 4:
            return GesturePhase::ended;
        case 8:
            return GesturePhase::cancelled;
        default:
            return std::nullopt;
    }
}

}  // namespace tavix
