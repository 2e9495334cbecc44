#pragma once

#include <cmath>

namespace tavix {

// A position: screen points for the pointer, millimetres on the mouse surface.
struct Point {
    double x = 0;
    double y = 0;

    friend bool operator==(const Point&, const Point&) = default;
};

inline double distance(Point a, Point b) {
    return std::hypot(a.x - b.x, a.y - b.y);
}

inline bool isFinite(Point p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

}  // namespace tavix
