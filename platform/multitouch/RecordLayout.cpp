// The framework's contact record and the application's must agree byte for byte.
#include <cstddef>

#include "Tavix/touch/MTTouch.h"
#include "platform/multitouch/MultitouchFramework.h"

namespace {

using App = tavix::MTTouch;

static_assert(sizeof(MTContact) == sizeof(App) && alignof(MTContact) == alignof(App));
static_assert(offsetof(MTContact, frame) == offsetof(App, frame));
static_assert(offsetof(MTContact, timestamp) == offsetof(App, timestamp));
static_assert(offsetof(MTContact, identifier) == offsetof(App, identifier));
static_assert(offsetof(MTContact, state) == offsetof(App, state));
static_assert(offsetof(MTContact, fingerId) == offsetof(App, fingerId));
static_assert(offsetof(MTContact, handId) == offsetof(App, handId));
static_assert(offsetof(MTContact, normalized.position.x) == offsetof(App, normalized.position.x));
static_assert(offsetof(MTContact, normalized.position.y) == offsetof(App, normalized.position.y));
static_assert(offsetof(MTContact, normalized.velocity) == offsetof(App, normalized.velocity));
static_assert(offsetof(MTContact, zTotal) == offsetof(App, zTotal));
static_assert(offsetof(MTContact, field9) == offsetof(App, field9));
static_assert(offsetof(MTContact, angle) == offsetof(App, angle));
static_assert(offsetof(MTContact, majorAxis) == offsetof(App, majorAxis));
static_assert(offsetof(MTContact, minorAxis) == offsetof(App, minorAxis));
static_assert(offsetof(MTContact, absolute.position) == offsetof(App, absolute.position));
static_assert(offsetof(MTContact, absolute.velocity) == offsetof(App, absolute.velocity));
static_assert(offsetof(MTContact, field14) == offsetof(App, field14));
static_assert(offsetof(MTContact, field15) == offsetof(App, field15));
static_assert(offsetof(MTContact, zDensity) == offsetof(App, zDensity));

}  // namespace
