#pragma once

#include <cstdint>

#include "platform/Geometry.h"

namespace tavix {

// One contact of one frame, as the rest of the application sees it. Set once, never changed.
struct Touch {
    int32_t id = 0;
    int32_t state = 0;
    double nx = 0;  // normalized across the sensor, 0..1 on the surface
    double ny = 0;
    Point pt;  // millimetres on the surface, the framework's axes and origin
};

}  // namespace tavix
