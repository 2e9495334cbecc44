#include "platform/linux/input/MagicMouseTap.h"

#include <linux/input-event-codes.h>

#include <algorithm>

#include "platform/events/EventSystem.h"

namespace tavix::platform::input {
namespace {

using Clock = std::chrono::steady_clock;

bool isWheel(uint16_t code) {
    return code == REL_WHEEL || code == REL_HWHEEL || code == REL_WHEEL_HI_RES ||
           code == REL_HWHEEL_HI_RES;
}

bool isButton(uint16_t code) {
    return code == BTN_LEFT || code == BTN_RIGHT || code == BTN_MIDDLE;
}

EventType buttonEvent(uint16_t code, bool down) {
    switch (code) {
        case BTN_LEFT:
            return down ? EventType::leftMouseDown : EventType::leftMouseUp;
        case BTN_RIGHT:
            return down ? EventType::rightMouseDown : EventType::rightMouseUp;
        default:
            return down ? EventType::otherMouseDown : EventType::otherMouseUp;
    }
}

MouseButton buttonNumber(uint16_t code) {
    if (code == BTN_LEFT) return MouseButton::left;
    if (code == BTN_RIGHT) return MouseButton::right;
    return MouseButton::center;
}

// The frame the clone emits: what a plain mouse sends. A kernel that reports a wheel without its
// high-resolution axis gets it added, since a device declaring the axis must send both.
std::vector<InputEvent> cloneFrame(std::span<const InputEvent> pointer) {
    std::vector<InputEvent> out;
    bool hiRes = false;
    bool hiResH = false;
    for (const auto& e : pointer) {
        hiRes = hiRes || (e.type == EV_REL && e.code == REL_WHEEL_HI_RES);
        hiResH = hiResH || (e.type == EV_REL && e.code == REL_HWHEEL_HI_RES);
    }
    for (const auto& e : pointer) {
        if (e.type == EV_KEY && isButton(e.code) && e.value != 2) {
            out.push_back(e);
        } else if (e.type == EV_REL && (e.code == REL_X || e.code == REL_Y || isWheel(e.code))) {
            out.push_back(e);
            if (e.code == REL_WHEEL && !hiRes)
                out.push_back({EV_REL, REL_WHEEL_HI_RES, e.value * 120});
            if (e.code == REL_HWHEEL && !hiResH) {
                out.push_back({EV_REL, REL_HWHEEL_HI_RES, e.value * 120});
            }
        }
    }
    return out;
}

}  // namespace

MagicMouseTap::MagicMouseTap(MagicMouseReader& reader, MakeClone makeClone)
    : reader_(reader), makeClone_(std::move(makeClone)) {
    reader_.addListener(*this);
}

MagicMouseTap::~MagicMouseTap() {
    // In one step on the reader thread, so no mouse opened meanwhile is taken over again.
    reader_.call([this] {
        {
            std::lock_guard guard(mutex_);
            tapping_ = false;
            for (auto& [key, mouse] : mice_) release(mouse);
        }
        reader_.removeListener(*this);
    });
}

DeviceCapabilities MagicMouseTap::cloneCapabilities(const MagicMouseDevice& device) {
    DeviceCapabilities caps;
    caps.name = device.node.name + " (Tavix)";
    for (uint16_t code :
         {REL_X, REL_Y, REL_HWHEEL, REL_WHEEL, REL_WHEEL_HI_RES, REL_HWHEEL_HI_RES}) {
        caps.codes.push_back({EV_REL, code});
    }
    // BTN_MIDDLE too: without it libinput delays left and right presses to emulate it.
    for (uint16_t code : {BTN_LEFT, BTN_RIGHT, BTN_MIDDLE}) caps.codes.push_back({EV_KEY, code});
    return caps;
}

std::unique_ptr<InputSink> MagicMouseTap::uinputClone(const MagicMouseDevice& device) {
    return UinputDevice::create(cloneCapabilities(device));
}

void MagicMouseTap::tapsInstalled(bool installed) {
    reader_.call([this, installed] {
        std::lock_guard guard(mutex_);
        tapping_ = installed;
        for (auto& [key, mouse] : mice_) {
            if (mouse.closed) continue;
            if (installed) {
                takeOver(mouse);
            } else {
                release(mouse);
            }
        }
    });
}

bool MagicMouseTap::canDropPhysical() {
    std::lock_guard guard(mutex_);
    return std::ranges::all_of(
        mice_, [](const auto& entry) { return entry.second.closed || entry.second.grabbed; });
}

Point MagicMouseTap::motion() {
    std::lock_guard guard(mutex_);
    return motion_;
}

void MagicMouseTap::takeOver(Mouse& mouse) {
    if (mouse.grabbed) return;
    mouse.grabWaitsForRelease = !mouse.buttonsDown.empty();
    if (mouse.grabWaitsForRelease) return;
    // The clone first: a grabbed mouse without one would be dead to the desktop.
    if (!mouse.clone) mouse.clone = makeClone_(mouse.device);
    if (mouse.clone && reader_.grab(mouse.device.key, true)) {
        mouse.grabbed = true;
        return;
    }
    if (mouse.queue.empty()) mouse.clone.reset();
}

void MagicMouseTap::release(Mouse& mouse) {
    if (mouse.grabbed) reader_.grab(mouse.device.key, false);
    mouse.grabbed = false;
    // Frames still waiting for verdicts leave through the clone once they have them.
    if (mouse.queue.empty()) mouse.clone.reset();
}

void MagicMouseTap::opened(const MagicMouseDevice& device) {
    std::lock_guard guard(mutex_);
    auto& mouse = mice_[device.key];
    mouse.device = device;
    if (tapping_) takeOver(mouse);
}

void MagicMouseTap::closed(const MagicMouseDevice& device) {
    std::lock_guard guard(mutex_);
    auto found = mice_.find(device.key);
    if (found == mice_.end()) return;
    found->second.closed = true;
    found->second.grabbed = false;  // the descriptor is gone, and its grab with it
    forgetIfDone(device.key);
}

void MagicMouseTap::forgetIfDone(uint64_t key) {
    auto found = mice_.find(key);
    if (found != mice_.end() && found->second.closed && found->second.queue.empty()) {
        mice_.erase(found);  // a clone still holding a button releases it as it goes
    }
}

void MagicMouseTap::frame(const MagicMouseDevice& device, const DecodedFrame& frame) {
    if (frame.pointer.empty()) return;
    Held held{.events = cloneFrame(frame.pointer), .units = {}, .since = Clock::now()};
    bool wheel = false;
    bool tapping = false;
    Point at;
    {
        std::lock_guard guard(mutex_);
        auto found = mice_.find(device.key);
        for (const auto& e : held.events) {
            if (e.type == EV_REL && e.code == REL_X) motion_.x += e.value;
            if (e.type == EV_REL && e.code == REL_Y) motion_.y += e.value;
            if (e.type == EV_KEY) {
                held.units.push_back({.number = nextNumber_++,
                                      .type = buttonEvent(e.code, e.value == 1),
                                      .code = e.code});
                if (found == mice_.end()) continue;
                if (e.value) {
                    found->second.buttonsDown.insert(e.code);
                } else {
                    found->second.buttonsDown.erase(e.code);
                }
            }
            wheel = wheel || (e.type == EV_REL && isWheel(e.code));
        }
        if (wheel) held.units.push_back({.number = nextNumber_++, .type = EventType::scrollWheel});
        tapping = tapping_;
        at = motion_;
        if (found != mice_.end() && !found->second.grabbed) {
            // This frame still reaches the desktop from the mouse itself; the last release lets
            // a waiting grab happen.
            if (found->second.grabWaitsForRelease && tapping_) takeOver(found->second);
        } else if (found != mice_.end()) {
            Mouse& mouse = found->second;
            if (held.units.empty() && mouse.queue.empty()) {
                mouse.clone->writeFrame(held.events);
                return;
            }
            for (const auto& unit : held.units) waiting_[unit.number] = device.key;
            mouse.queue.push_back(held);
        }
    }
    if (!tapping) return;
    // Outside the lock: with no tap on the main queue the verdict comes back at once. The
    // events carry the summed motion, never a position asked of the X server: a window manager
    // holding a server grab until this very release would wait on it for ever.
    auto& events = eventSystem();
    for (const auto& unit : held.units) {
        Event event;
        event.setType(unit.type);
        event.setLocation(at);
        event.setIntegerValue(EventField::mouseEventNumber, static_cast<int64_t>(unit.number));
        if (unit.code) {
            event.setIntegerValue(EventField::mouseEventButtonNumber,
                                  static_cast<int64_t>(buttonNumber(unit.code)));
            event.setIntegerValue(EventField::mouseEventClickState, 1);
        }
        events.injectPhysical(event);
    }
}

void MagicMouseTap::leftTaps(const Event& event, EventOrigin origin, bool delivered) {
    if (origin != EventOrigin::physical) return;
    const auto number = static_cast<uint64_t>(event.integerValue(EventField::mouseEventNumber));
    std::lock_guard guard(mutex_);
    auto waiting = waiting_.find(number);
    if (waiting == waiting_.end()) return;  // watched only, or already timed out
    const uint64_t key = waiting->second;
    waiting_.erase(waiting);
    auto found = mice_.find(key);
    if (found == mice_.end()) return;
    for (auto& held : found->second.queue) {
        for (auto& unit : held.units) {
            if (unit.number != number) continue;
            unit.decided = true;
            unit.passed = delivered;
        }
    }
    flush(found->second);
    forgetIfDone(key);
}

void MagicMouseTap::flush(Mouse& mouse) {
    while (!mouse.queue.empty()) {
        Held& held = mouse.queue.front();
        if (!std::ranges::all_of(held.units, &Unit::decided)) return;
        for (const auto& unit : held.units) {
            if (unit.passed) continue;
            std::erase_if(held.events, [&](const InputEvent& e) {
                return unit.code ? e.type == EV_KEY && e.code == unit.code
                                 : e.type == EV_REL && isWheel(e.code);
            });
        }
        if (mouse.clone && !held.events.empty()) mouse.clone->writeFrame(held.events);
        mouse.queue.pop_front();
    }
    if (!mouse.grabbed) mouse.clone.reset();
}

int MagicMouseTap::idle() {
    std::lock_guard guard(mutex_);
    const auto now = Clock::now();
    bool waiting = false;
    std::vector<uint64_t> done;
    for (auto& [key, mouse] : mice_) {
        if (mouse.queue.empty()) continue;
        if (now - mouse.queue.front().since >= kVerdictTimeout) {
            for (auto& held : mouse.queue) {
                if (now - held.since < kVerdictTimeout) break;
                for (auto& unit : held.units) {
                    if (unit.decided) continue;
                    unit.decided = true;
                    waiting_.erase(unit.number);
                }
            }
            flush(mouse);
        }
        waiting = waiting || !mouse.queue.empty();
        if (mouse.closed && mouse.queue.empty()) done.push_back(key);
    }
    for (uint64_t key : done) mice_.erase(key);
    return waiting ? 50 : -1;
}

}  // namespace tavix::platform::input
