#pragma once

#include <cstdint>

namespace tavix {

// Stamped into the source user-data field of every event we post ("TAVI"), so our own tap can
// tell our events from the user's.
inline constexpr int64_t kTavixEventMarker = 0x54415649;

}  // namespace tavix
