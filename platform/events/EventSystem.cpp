#include "platform/events/EventSystem.h"

#include <algorithm>

#include "platform/MainQueue.h"

namespace tavix::platform {

EventSystem::EventSystem(std::shared_ptr<EventBackend> backend) : backend_(std::move(backend)) {}

std::optional<EventSource> EventSystem::createSource(EventSourceStateID state) {
    if (!backend_->canCreateSource()) return std::nullopt;
    return EventSource{state};
}

std::optional<Event> EventSystem::createEvent(const EventSource* source) {
    if (!backend_->canCreateEvents()) return std::nullopt;
    Event event;
    event.setLocation(backend_->pointerLocation().value_or(Point{}));
    if (source) event.setSourceState(source->state);
    return event;
}

std::optional<Event> EventSystem::createMouseEvent(const EventSource* source, EventType type,
                                                   Point at, MouseButton button) {
    if (!backend_->canCreateEvents()) return std::nullopt;
    Event event;
    event.setType(type);
    event.setLocation(at);
    event.setIntegerValue(EventField::mouseEventButtonNumber, static_cast<int64_t>(button));
    // A fresh button event counts as a single click until told otherwise.
    if (type != EventType::mouseMoved) event.setIntegerValue(EventField::mouseEventClickState, 1);
    if (source) event.setSourceState(source->state);
    return event;
}

std::optional<Event> EventSystem::createKeyboardEvent(const EventSource* source,
                                                      uint16_t virtualKey, bool keyDown) {
    if (!backend_->canCreateEvents()) return std::nullopt;
    Event event;
    event.setType(keyDown ? EventType::keyDown : EventType::keyUp);
    event.setLocation(backend_->pointerLocation().value_or(Point{}));
    event.setIntegerValue(EventField::keyboardEventKeycode, virtualKey);
    if (source) event.setSourceState(source->state);
    return event;
}

void EventSystem::post(EventTapLocation location, const Event& event) {
    backend_->posted(location, event);
    route(event, location, EventOrigin::posted);
}

void EventSystem::injectPhysical(const Event& event) {
    route(event, EventTapLocation::hid, EventOrigin::physical);
}

void EventSystem::route(const Event& event, EventTapLocation location, EventOrigin origin) {
    bool tapped = false;
    {
        std::lock_guard guard(mutex_);
        tapped = !installed_.empty();
    }
    if (!tapped) {
        backend_->leftTaps(event, origin, true);
        return;
    }
    mainQueue().async([self = shared_from_this(), event, location, origin] {
        self->runTaps(event, location, origin);
    });
}

void EventSystem::runTaps(Event event, EventTapLocation location, EventOrigin origin) {
    std::vector<std::shared_ptr<EventTap>> chain;
    {
        std::lock_guard guard(mutex_);
        chain = installed_;
    }
    const EventMask bit = eventMaskBit(event.type());
    for (const auto& tap : chain) {
        if (tap->location_ < location || !tap->enabled_.load() || !(tap->mask_ & bit)) continue;
        Event* result = tap->callback_(nullptr, event.type(), &event, tap->userInfo_);
        if (tap->options_ == EventTapOptions::listenOnly) continue;
        if (!result) {
            backend_->leftTaps(event, origin, false);
            return;
        }
        if (result != &event) event = *result;
    }
    backend_->leftTaps(event, origin, true);
}

std::shared_ptr<EventTap> EventSystem::createTap(EventTapLocation location,
                                                 EventTapPlacement placement,
                                                 EventTapOptions options, EventMask mask,
                                                 EventTapCallback callback, void* userInfo) {
    if (!callback || !backend_->canCreateTap()) return nullptr;
    return std::make_shared<EventTap>(location, placement, options, mask, callback, userInfo);
}

std::shared_ptr<RunLoopSource> EventSystem::createRunLoopSource(
    const std::shared_ptr<EventTap>& tap) {
    if (!tap) return nullptr;
    return std::make_shared<RunLoopSource>(RunLoopSource{tap});
}

void EventSystem::addToMainRunLoop(const std::shared_ptr<RunLoopSource>& source) {
    if (!source || !source->tap) return;
    {
        std::lock_guard guard(mutex_);
        if (std::find(installed_.begin(), installed_.end(), source->tap) != installed_.end())
            return;
        if (source->tap->placement_ == EventTapPlacement::headInsert) {
            installed_.insert(installed_.begin(), source->tap);
        } else {
            installed_.push_back(source->tap);
        }
        if (installed_.size() != 1) return;
    }
    backend_->tapsInstalled(true);
}

void EventSystem::removeFromMainRunLoop(const std::shared_ptr<RunLoopSource>& source) {
    if (!source) return;
    {
        std::lock_guard guard(mutex_);
        const auto before = installed_.size();
        std::erase(installed_, source->tap);
        if (before == installed_.size() || !installed_.empty()) return;
    }
    backend_->tapsInstalled(false);
}

void EventSystem::setTapEnabled(EventTap& tap, bool enabled) {
    tap.enabled_.store(enabled);
}

bool EventSystem::isTapEnabled(const EventTap& tap) const {
    // A filter that cannot drop what it is asked to drop is not working.
    return tap.enabled_.load() &&
           (tap.options_ == EventTapOptions::listenOnly || backend_->canDropPhysical());
}

void EventSystem::disableTaps(EventType notice) {
    std::vector<std::shared_ptr<EventTap>> chain;
    {
        std::lock_guard guard(mutex_);
        chain = installed_;
    }
    for (const auto& tap : chain) tap->enabled_.store(false);
    mainQueue().async([self = shared_from_this(), chain = std::move(chain), notice] {
        Event event;
        event.setType(notice);
        bool passed = true;
        for (const auto& tap : chain) {
            passed = tap->callback_(nullptr, notice, &event, tap->userInfo_) != nullptr && passed;
        }
        self->backend_->leftTaps(event, EventOrigin::physical, passed);
    });
}

}  // namespace tavix::platform
