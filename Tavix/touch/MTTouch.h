#pragma once

#include <cstddef>
#include <cstdint>

namespace tavix {

// The multitouch framework's raw contact record. The layout is shared with a library we do not
// build, so every offset is pinned below.
struct MTPoint {
    float x;
    float y;
};

struct MTVector {
    MTPoint position;
    MTPoint velocity;
};

struct alignas(8) MTTouch {
    int32_t frame;
    double timestamp;
    int32_t identifier;
    int32_t state;
    int32_t fingerId;
    int32_t handId;
    MTVector normalized;
    float zTotal;
    int32_t field9;
    float angle;
    float majorAxis;
    float minorAxis;
    MTVector absolute;
    int32_t field14;
    int32_t field15;
    float zDensity;
};

static_assert(sizeof(MTPoint) == 8 && alignof(MTPoint) == 4);
static_assert(sizeof(MTVector) == 16 && alignof(MTVector) == 4);
static_assert(sizeof(MTTouch) == 96 && alignof(MTTouch) == 8);
static_assert(offsetof(MTTouch, frame) == 0);
static_assert(offsetof(MTTouch, timestamp) == 8);
static_assert(offsetof(MTTouch, identifier) == 16);
static_assert(offsetof(MTTouch, state) == 20);
static_assert(offsetof(MTTouch, fingerId) == 24);
static_assert(offsetof(MTTouch, handId) == 28);
static_assert(offsetof(MTTouch, normalized) == 32);
static_assert(offsetof(MTTouch, normalized.position.x) == 32);
static_assert(offsetof(MTTouch, normalized.position.y) == 36);
static_assert(offsetof(MTTouch, normalized.velocity) == 40);
static_assert(offsetof(MTTouch, zTotal) == 48);
static_assert(offsetof(MTTouch, field9) == 52);
static_assert(offsetof(MTTouch, angle) == 56);
static_assert(offsetof(MTTouch, majorAxis) == 60);
static_assert(offsetof(MTTouch, minorAxis) == 64);
static_assert(offsetof(MTTouch, absolute) == 68);
static_assert(offsetof(MTTouch, absolute.velocity) == 76);
static_assert(offsetof(MTTouch, field14) == 84);
static_assert(offsetof(MTTouch, field15) == 88);
static_assert(offsetof(MTTouch, zDensity) == 92);

// State codes for a finger on the surface; every other code means not touching.
inline constexpr int32_t kTouchStateMakeTouch = 4;
inline constexpr int32_t kTouchStateTouching = 5;

constexpr bool isTouching(int32_t state) {
    return state == kTouchStateMakeTouch || state == kTouchStateTouching;
}

}  // namespace tavix

extern "C" {
// The framework's contact-frame callback.
using MTContactFrameCallback = int32_t (*)(void* device, tavix::MTTouch* touches, int32_t count,
                                           double timestamp, int32_t frame);
}
