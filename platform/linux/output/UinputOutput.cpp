#include "platform/linux/output/UinputOutput.h"

#include <linux/input-event-codes.h>

#include <algorithm>
#include <cmath>

#include "platform/linux/output/KeyTranslation.h"

namespace tavix::platform::output {
namespace {

using input::InputEvent;

// The magnification kind and phases of a gesture event.
constexpr int64_t kGestureKindMagnify = 8;
constexpr int64_t kPhaseBegan = 1;
constexpr int64_t kPhaseChanged = 2;
constexpr double kMaxNotchesPerStep = 50;

// Back and forward are the side buttons; browsers and file managers go back and forward on them.
std::optional<uint16_t> otherButtonCode(int64_t number) {
    switch (number) {
        case static_cast<int64_t>(MouseButton::center):
            return BTN_MIDDLE;
        case static_cast<int64_t>(MouseButton::back):
            return BTN_SIDE;
        case static_cast<int64_t>(MouseButton::forward):
            return BTN_EXTRA;
        default:
            return std::nullopt;
    }
}

OutputFrame keyFrame(uint16_t code, bool down) {
    return {OutputDevice::keyboard, {{EV_KEY, code, down ? 1 : 0}}};
}

void appendPress(const std::vector<uint16_t>& modifiers, uint16_t key,
                 std::vector<OutputFrame>& frames) {
    for (const uint16_t modifier : modifiers) frames.push_back(keyFrame(modifier, true));
    frames.push_back(keyFrame(key, true));
}

void appendRelease(const std::vector<uint16_t>& modifiers, uint16_t key,
                   std::vector<OutputFrame>& frames) {
    frames.push_back(keyFrame(key, false));
    // Released in the reverse order of pressing; clang-tidy 14 cannot parse views::reverse.
    // NOLINTNEXTLINE(modernize-loop-convert)
    for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it) {
        frames.push_back(keyFrame(*it, false));
    }
}

}  // namespace

input::DeviceCapabilities UinputOutput::pointerCapabilities() {
    input::DeviceCapabilities caps;
    caps.name = "Tavix virtual pointer";
    // BTN_MIDDLE too: without it libinput emulates the middle button and delays every click.
    for (uint16_t code : {BTN_LEFT, BTN_RIGHT, BTN_MIDDLE, BTN_SIDE, BTN_EXTRA}) caps.codes.push_back({EV_KEY, code});
    for (uint16_t code :
         {REL_X, REL_Y, REL_WHEEL, REL_HWHEEL, REL_WHEEL_HI_RES, REL_HWHEEL_HI_RES}) {
        caps.codes.push_back({EV_REL, code});
    }
    return caps;
}

input::DeviceCapabilities UinputOutput::keyboardCapabilities() {
    input::DeviceCapabilities caps;
    caps.name = "Tavix virtual keyboard";
    std::set<uint16_t> keys;
    // udev calls a device a keyboard only when it has all of KEY_ESC to KEY_D.
    for (uint16_t code = KEY_ESC; code <= KEY_D; ++code) keys.insert(code);
    for (const uint16_t code : translatedKeys()) keys.insert(code);
    for (const uint16_t code : nameableKeys()) keys.insert(code);
    for (const uint16_t code : keys) caps.codes.push_back({EV_KEY, code});
    return caps;
}

UinputOutput::UinputOutput(OpenDevices openDevices)
    : openDevices_(std::move(openDevices)), scheduler_(openDevices_()) {}

std::shared_ptr<UinputOutput> UinputOutput::open(std::shared_ptr<const Clock> clock,
                                                 std::shared_ptr<Sleeper> sleeper,
                                                 std::string* error) {
    auto openDevices = [clock = std::move(clock), sleeper = std::move(sleeper), error]() mutable {
        std::string pointerError;
        std::string keyboardError;
        std::shared_ptr<input::InputSink> pointer =
            input::UinputDevice::create(pointerCapabilities(), &pointerError);
        std::shared_ptr<input::InputSink> keyboard =
            input::UinputDevice::create(keyboardCapabilities(), &keyboardError);
        if (error) {
            error->clear();
            if (!pointer) *error = "virtual pointer: " + pointerError;
            if (!keyboard)
                *error += (error->empty() ? "" : "; ") + ("virtual keyboard: " + keyboardError);
            error = nullptr;  // the caller's string is only there for the first opening
        }
        return std::make_unique<OutputScheduler>(std::move(pointer), std::move(keyboard), clock,
                                                 sleeper, OutputScheduler::Timing{});
    };
    return std::make_shared<UinputOutput>(std::move(openDevices));
}

void UinputOutput::setSuspended(bool suspended) {
    std::unique_ptr<OutputScheduler> gone;
    std::lock_guard guard(mutex_);
    if (suspended == !scheduler_) return;
    if (suspended) {
        // Nothing queued reaches the other user's session. Whatever is held goes up with the
        // devices; nothing is released later on new ones.
        scheduler_->discard();
        gone = std::move(scheduler_);
        heldButtons_.clear();
        heldKeys_.clear();
        notches_ = 0;
    } else {
        scheduler_ = openDevices_();
    }
}

std::optional<desktop::DesktopAction> UinputOutput::post(const Event& event, bool delivered) {
    std::lock_guard guard(mutex_);
    std::vector<OutputFrame> frames;
    std::optional<desktop::DesktopAction> action;
    const auto number = event.integerValue(EventField::mouseEventButtonNumber);
    switch (event.type()) {
        case EventType::leftMouseDown:
        case EventType::leftMouseUp:
            button(BTN_LEFT, event.type() == EventType::leftMouseDown, delivered, frames);
            break;
        case EventType::rightMouseDown:
        case EventType::rightMouseUp:
            button(BTN_RIGHT, event.type() == EventType::rightMouseDown, delivered, frames);
            break;
        case EventType::otherMouseDown:
        case EventType::otherMouseUp:
            if (const auto code = otherButtonCode(number)) {
                button(*code, event.type() == EventType::otherMouseDown, delivered, frames);
            }
            break;
        case EventType::keyDown:
        case EventType::keyUp:
            action = key(event, event.type() == EventType::keyDown, delivered, frames);
            break;
        case EventType::gesture:
            if (delivered) magnify(event, frames);
            break;
        case EventType::null:
        case EventType::mouseMoved:
        case EventType::leftMouseDragged:
        case EventType::rightMouseDragged:
        case EventType::otherMouseDragged:
        case EventType::flagsChanged:
        case EventType::scrollWheel:
        case EventType::magnify:
        case EventType::tapDisabledByTimeout:
        case EventType::tapDisabledByUserInput:
            // Motion would move the pointer away from where the user put it; the rest is
            // nothing the application posts.
            break;
    }
    if (scheduler_) scheduler_->enqueue(std::move(frames));
    return action;
}

// A release is written even when a tap dropped it, so nothing is left held down.
void UinputOutput::button(uint16_t code, bool down, bool delivered,
                          std::vector<OutputFrame>& frames) {
    if (down) {
        if (!delivered) return;
        heldButtons_.insert(code);
    } else if (!heldButtons_.erase(code)) {
        return;
    }
    frames.push_back({OutputDevice::pointer, {{EV_KEY, code, down ? 1 : 0}}});
}

std::optional<desktop::DesktopAction> UinputOutput::key(const Event& event, bool down,
                                                        bool delivered,
                                                        std::vector<OutputFrame>& frames) {
    const auto virtualKey =
        static_cast<uint16_t>(event.integerValue(EventField::keyboardEventKeycode));
    const auto output = translateKey(virtualKey, event.flags());
    if (!output) return std::nullopt;
    if (const auto* action = std::get_if<desktop::DesktopAction>(&*output)) {
        return down && delivered ? std::optional(*action) : std::nullopt;
    }
    const auto& chord = std::get<KeyChord>(*output);
    if (down) {
        if (!delivered || heldKeys_.contains(chord.key)) return std::nullopt;
        heldKeys_.emplace(chord.key, chord.modifiers);
        appendPress(chord.modifiers, chord.key, frames);
    } else if (const auto held = heldKeys_.find(chord.key); held != heldKeys_.end()) {
        appendRelease(held->second, chord.key, frames);
        heldKeys_.erase(held);
    }
    return std::nullopt;
}

// Whole notches only, the rest kept for the next step; Ctrl is held just around each burst, so
// a physical click between two steps is never a Ctrl+click.
void UinputOutput::magnify(const Event& event, std::vector<OutputFrame>& frames) {
    if (event.integerValue(EventField::gestureHIDType) != kGestureKindMagnify) return;
    const int64_t phase = event.integerValue(EventField::gesturePhase);
    if (phase == kPhaseBegan) notches_ = 0;
    if (phase != kPhaseChanged) return;
    const double amount = event.doubleValue(EventField::gestureZoomValue);
    if (!std::isfinite(amount)) return;
    notches_ += amount / kMagnificationPerNotch;
    // The small allowance keeps 0.3 / 0.1 from coming out as 2.999… notches.
    double whole = std::trunc(notches_ + std::copysign(1e-9, notches_));
    if (whole == 0) return;
    notches_ -= whole;
    // No finger movement asks for more; anything beyond is a fault upstream, not a zoom.
    whole = std::clamp(whole, -kMaxNotchesPerStep, kMaxNotchesPerStep);
    const int32_t step = (whole > 0) != naturalScrolling_.load() ? 1 : -1;
    frames.push_back(keyFrame(KEY_LEFTCTRL, true));
    for (int i = 0; i < std::abs(static_cast<int>(whole)); ++i) {
        frames.push_back({OutputDevice::pointer,
                          {{EV_REL, REL_WHEEL, step},
                           {EV_REL, REL_WHEEL_HI_RES, step * kHighResolutionPerNotch}}});
    }
    frames.push_back(keyFrame(KEY_LEFTCTRL, false));
}

bool UinputOutput::pressChord(const KeyChord& chord) {
    std::lock_guard guard(mutex_);
    if (!scheduler_ || !scheduler_->hasKeyboard()) return false;
    std::vector<OutputFrame> frames;
    appendPress(chord.modifiers, chord.key, frames);
    appendRelease(chord.modifiers, chord.key, frames);
    scheduler_->enqueue(std::move(frames));
    return true;
}

void UinputOutput::waitIdle() {
    std::lock_guard guard(mutex_);
    if (scheduler_) scheduler_->waitIdle();
}

}  // namespace tavix::platform::output
