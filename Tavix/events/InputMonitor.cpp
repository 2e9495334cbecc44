#include "Tavix/events/InputMonitor.h"

#include "Tavix/events/EventMarker.h"
#include "Tavix/gestures/GestureEngine.h"
#include "Tavix/gestures/SystemGestures.h"
#include "platform/events/EventSystem.h"

namespace tavix {

using platform::Event;
using platform::EventType;

InputMonitor& InputMonitor::shared() {
    // Never destroyed, like the engine whose record its callback writes.
    static auto& monitor = *new InputMonitor;
    return monitor;
}

bool InputMonitor::start() {
    if (tap) return true;
    auto& events = platform::eventSystem();
    auto created = events.createTap(
        platform::EventTapLocation::session, platform::EventTapPlacement::headInsert,
        platform::EventTapOptions::defaultTap, kEventMask, &callback, nullptr);
    if (!created) return false;
    tap = std::move(created);
    source = events.createRunLoopSource(tap);
    events.addToMainRunLoop(source);
    events.setTapEnabled(*tap, true);
    return true;
}

void InputMonitor::stop() {
    auto& events = platform::eventSystem();
    if (source) events.removeFromMainRunLoop(source);
    if (tap) events.setTapEnabled(*tap, false);
    tap.reset();
    source.reset();
}

bool InputMonitor::isRunning() const {
    return tap && platform::eventSystem().isTapEnabled(*tap);
}

Event* InputMonitor::callback(platform::EventTapProxy*, EventType type, Event* event, void*) {
    if (type == EventType::tapDisabledByTimeout || type == EventType::tapDisabledByUserInput) {
        if (const auto& current = shared().tap)
            platform::eventSystem().setTapEnabled(*current, true);
        return event;
    }
    if (event->integerValue(platform::EventField::eventSourceUserData) == kTavixEventMarker) {
        return event;
    }
    auto& engine = GestureEngine::shared();
    auto& system = SystemGestures::shared();
    switch (type) {
        case EventType::leftMouseDown:
        case EventType::rightMouseDown:
        case EventType::otherMouseDown:
            engine.notePhysicalClick();
            system.notePhysicalClick();
            return event;
        case EventType::scrollWheel:
            engine.noteScroll();
            // The driver's wheel of a recognised swipe's own movement is held back too.
            return engine.shouldSuppressScroll() || system.holdsWheel() ? nullptr : event;
        case EventType::magnify:
            return engine.shouldSuppressScroll() ? nullptr : event;
        // Not ours to judge: releases, motion, keys, our own gesture type.
        case EventType::null:
        case EventType::leftMouseUp:
        case EventType::rightMouseUp:
        case EventType::mouseMoved:
        case EventType::leftMouseDragged:
        case EventType::rightMouseDragged:
        case EventType::keyDown:
        case EventType::keyUp:
        case EventType::flagsChanged:
        case EventType::otherMouseUp:
        case EventType::otherMouseDragged:
        case EventType::gesture:
        case EventType::tapDisabledByTimeout:
        case EventType::tapDisabledByUserInput:
            break;
    }
    return event;  // and any type this build does not know
}

}  // namespace tavix
