#include "Tavix/events/Actions.h"

#include <optional>

#include "Tavix/events/EventMarker.h"
#include "platform/events/EventSystem.h"

namespace tavix {

using platform::Event;
using platform::EventField;
using platform::EventTapLocation;
using platform::EventType;
using platform::MouseButton;

namespace {

// The magnification gesture kind of a gesture event.
constexpr int64_t kGestureKindMagnify = 8;

}  // namespace

const platform::EventSource* Actions::source() {
    // Never destroyed: the frame thread may still post while the process exits.
    static const auto& created = *new std::optional<platform::EventSource>(
        platform::eventSystem().createSource(platform::EventSourceStateID::hidSystem));
    return created ? &*created : nullptr;
}

void Actions::stampAndPost(std::optional<Event>& event, EventTapLocation location) {
    if (!event || dryRun.load()) return;
    event->setIntegerValue(EventField::eventSourceUserData, kTavixEventMarker);
    platform::eventSystem().post(location, *event);
}

Point Actions::cursorLocation() {
    const auto event = platform::eventSystem().createEvent(nullptr);
    return event ? event->location() : Point{};
}

void Actions::leftClick(Point at, int64_t clickState) {
    auto& events = platform::eventSystem();
    const auto* src = source();
    auto down = events.createMouseEvent(src, EventType::leftMouseDown, at, MouseButton::left);
    auto up = events.createMouseEvent(src, EventType::leftMouseUp, at, MouseButton::left);
    for (auto* event : {&down, &up}) {
        if (*event) (*event)->setIntegerValue(EventField::mouseEventClickState, clickState);
    }
    stampAndPost(down, EventTapLocation::hid);
    stampAndPost(up, EventTapLocation::hid);
}

void Actions::rightClick() {
    auto& events = platform::eventSystem();
    const Point at = cursorLocation();
    const auto* src = source();
    auto down = events.createMouseEvent(src, EventType::rightMouseDown, at, MouseButton::right);
    stampAndPost(down, EventTapLocation::hid);
    auto up = events.createMouseEvent(src, EventType::rightMouseUp, at, MouseButton::right);
    stampAndPost(up, EventTapLocation::hid);
}

void Actions::otherClick(MouseButton button) {
    auto& events = platform::eventSystem();
    const Point at = cursorLocation();
    const auto* src = source();
    auto down = events.createMouseEvent(src, EventType::otherMouseDown, at, button);
    stampAndPost(down, EventTapLocation::hid);
    auto up = events.createMouseEvent(src, EventType::otherMouseUp, at, button);
    stampAndPost(up, EventTapLocation::hid);
}

void Actions::magnify(double amount, GesturePhase phase) {
    auto event = platform::eventSystem().createEvent(nullptr);
    if (!event) return;
    event->setType(EventType::gesture);
    event->setIntegerValue(EventField::gestureHIDType, kGestureKindMagnify);
    event->setIntegerValue(EventField::gesturePhase, static_cast<int64_t>(phase));
    event->setDoubleValue(EventField::gestureZoomValue, amount);
    stampAndPost(event, EventTapLocation::session);
}

void Actions::key(uint16_t code, platform::EventFlags flags) {
    auto& events = platform::eventSystem();
    const auto* src = source();
    auto down = events.createKeyboardEvent(src, code, true);
    auto up = events.createKeyboardEvent(src, code, false);
    for (auto* event : {&down, &up}) {
        if (*event) (*event)->setFlags(flags);
    }
    stampAndPost(down, EventTapLocation::hid);
    stampAndPost(up, EventTapLocation::hid);
}

void Actions::zoomKey(bool zoomIn) {
    key(zoomIn ? kKeyEqual : kKeyMinus, platform::kEventFlagMaskCommand);
}

}  // namespace tavix
