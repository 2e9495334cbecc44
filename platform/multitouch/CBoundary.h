#pragma once

#include <cstdint>
#include <utility>

namespace tavix::platform::mt {

// Status results of the C functions.
inline constexpr int32_t kSuccess = 0;
inline constexpr int32_t kFailure = -1;

// Runs the body of a C function: nothing may unwind into a C caller.
template <class Result, class Body>
Result shielded(Result onFailure, Body&& body) noexcept {
    try {
        return std::forward<Body>(body)();
    } catch (...) {
        return onFailure;
    }
}

template <class Body>
void shielded(Body&& body) noexcept {
    try {
        std::forward<Body>(body)();
    } catch (...) {
    }
}

}  // namespace tavix::platform::mt
