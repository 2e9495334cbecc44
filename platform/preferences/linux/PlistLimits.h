#pragma once

#include <cstddef>
#include <string_view>

namespace tavix::platform {

// What a preference file may hold before it is handed to the property-list parser, which
// recurses once per level and expands every shared reference of a binary list. Real preference
// files nest a handful of levels and hold a few hundred objects.
inline constexpr std::size_t kMaxPlistDepth = 128;
inline constexpr std::size_t kMaxPlistObjects = 100'000;

// Whether the bytes, read as XML or as a binary property list, stay within both limits. Counts
// every element of XML, and every object of a binary list each time it is referenced, so shared
// references cannot multiply. A binary list whose references cannot be followed is refused.
bool withinPlistLimits(std::string_view bytes);

}  // namespace tavix::platform
