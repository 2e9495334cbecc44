#pragma once

#include <optional>

#include "platform/Geometry.h"

namespace tavix::platform {

// Where the desktop's pointer is, in global screen points; nothing when it cannot be known.
class PointerSource {
  public:
    virtual ~PointerSource() = default;
    virtual std::optional<Point> pointerLocation() = 0;
};

}  // namespace tavix::platform
