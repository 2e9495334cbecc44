#include "Tavix/gestures/SystemGestures.h"

#include <algorithm>
#include <cmath>

#include "Tavix/events/Actions.h"
#include "Tavix/gestures/TapPointer.h"
#include "Tavix/touch/MTTouch.h"
#include "platform/Clock.h"

namespace tavix {
namespace {

// A quarter of the surface width (normalized): longer than the short strokes of scrolling.
constexpr double kSwipeMinTravel = 0.25;
// A swipe is a flick; covering the distance more slowly is scrolling or dragging.
constexpr double kSwipeMaxDurationS = 0.4;
// Horizontal travel at least this many times the vertical one, in millimetres.
constexpr double kSwipeMinSlope = 2.0;
// Two fingers drawing apart or together by this much are zooming, not swiping (never more than
// the engine's own zoom start).
constexpr double kSwipeMaxSpreadChangeMM = 3.0;
// A physical press this close before the first touch-down belongs to the same touch.
constexpr double kPhysicalClickLeadS = 0.05;
// Four wheel notches of 10 % each: a clear step in, and the same step back out.
constexpr double kSmartZoomAmount = 0.4;

std::string_view reportText(SystemGesture gesture, SystemDirection direction) {
    switch (gesture) {
        case SystemGesture::pageSwipe:
            return direction == SystemDirection::back ? "单指轻扫 → 后退" : "单指轻扫 → 前进";
        case SystemGesture::fullscreenSwipe:
            return direction == SystemDirection::left ? "双指轻扫 → 上一个桌面"
                                                      : "双指轻扫 → 下一个桌面";
        case SystemGesture::missionControlTap:
            return "双指连按两下 → 调度中心";
        case SystemGesture::smartZoom:
            return "单指连按两下 → 智能缩放";
    }
    return "";
}

// Without hypot's overflow care, which costs more than the rest of a frame; distances here are
// a few millimetres.
double distanceMM(Point a, Point b) {
    return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y));
}

// Whether a travel is a horizontal swipe, and if so whether toward growing x.
std::optional<bool> swipeTowardGrowingX(double travelNx, Point travelMM) {
    if (!(std::abs(travelNx) >= kSwipeMinTravel)) return std::nullopt;
    if (!(std::abs(travelMM.x) >= kSwipeMinSlope * std::abs(travelMM.y))) return std::nullopt;
    return travelNx > 0;
}

}  // namespace

SystemGestures& SystemGestures::shared() {
    // Never destroyed: the frame thread may still deliver while the process exits.
    static auto& gestures = *new SystemGestures(GestureEngine::shared());
    return gestures;
}

void SystemGestures::setSwitches(SystemGestureSwitches switches) {
    pageSwipe_.store(switches.pageSwipe);
    fullscreenSwipe_.store(switches.fullscreenSwipe);
    missionControlTap_.store(switches.missionControlTap);
    smartZoom_.store(switches.smartZoom);
}

SystemGestureSwitches SystemGestures::switches() const {
    return {.pageSwipe = pageSwipe_.load(),
            .fullscreenSwipe = fullscreenSwipe_.load(),
            .missionControlTap = missionControlTap_.load(),
            .smartZoom = smartZoom_.load()};
}

void SystemGestures::setConfig(const GestureConfig& config) {
    enabled_.store(config.enabled);
    oneTapMaxDuration_.store(config.oneTapMaxDuration);
    oneTapMaxMoveMM_.store(config.oneTapMaxMoveMM);
    tapMaxDuration_.store(config.tapMaxDuration);
    tapMaxMoveMM_.store(config.tapMaxMoveMM);
    doubleClickInterval_.store(config.doubleClickInterval);
    zoomStartMM_.store(config.zoomStartMM);
}

SystemGestures::Tuning SystemGestures::tuning() const {
    constexpr auto relaxed = std::memory_order_relaxed;
    return {.on = {.pageSwipe = pageSwipe_.load(relaxed),
                   .fullscreenSwipe = fullscreenSwipe_.load(relaxed),
                   .missionControlTap = missionControlTap_.load(relaxed),
                   .smartZoom = smartZoom_.load(relaxed)},
            .enabled = enabled_.load(relaxed),
            .oneTapMaxDuration = oneTapMaxDuration_.load(relaxed),
            .oneTapMaxMoveMM = oneTapMaxMoveMM_.load(relaxed),
            .tapMaxDuration = tapMaxDuration_.load(relaxed),
            .tapMaxMoveMM = tapMaxMoveMM_.load(relaxed),
            .doubleClickInterval = doubleClickInterval_.load(relaxed),
            .zoomStartMM = zoomStartMM_.load(relaxed)};
}

void SystemGestures::notePhysicalClick() {
    lastPress_.store(platform::clock().uptime());
}

bool SystemGestures::pressedDuringSequence() const {
    return lastPress_.load() >= sequenceStart_ - kPhysicalClickLeadS;
}

void SystemGestures::process(std::span<const Touch> touches) {
    // The engine ignores such a frame whole; so does this, to see the same fingers.
    if (!std::ranges::all_of(touches, [](const Touch& t) { return isFinite(t.pt); })) return;
    const auto count = static_cast<std::size_t>(
        std::ranges::count_if(touches, [](const Touch& touch) { return isTouching(touch.state); }));

    if (count == 0) {
        if (inSequence_) endSequence(tuning(), platform::clock().uptime());
        return;
    }
    // Fingers resting or scrolling past every window: nothing to do until their number changes.
    if (inSequence_ && (void_ || (settled_ && count == settledCount_))) return;

    const Tuning t = tuning();
    const double now = platform::clock().uptime();
    if (!inSequence_) {
        inSequence_ = true;
        void_ = false;
        settled_ = false;
        sequenceStart_ = now;
        pointerAtStart_ = Actions::cursorLocation();
        peak_ = 0;
        known_ = 0;
        swiped_ = false;
        pairFormed_ = false;
    }
    peak_ = std::max(peak_, count);
    const bool anyOn =
        t.on.pageSwipe || t.on.fullscreenSwipe || t.on.missionControlTap || t.on.smartZoom;
    if (!t.enabled || !anyOn || peak_ > fingers_.size()) void_ = true;
    if (void_) return;

    track(touches, now);
    if (!void_ && !swiped_) swipe(t, count, now);

    const double swipeFrom = count == 2 && pairFormed_ ? pairStart_ : sequenceStart_;
    settled_ = now - sequenceStart_ > std::max(t.oneTapMaxDuration, t.tapMaxDuration) &&
               (swiped_ || now - swipeFrom > kSwipeMaxDurationS);
    settledCount_ = count;
}

void SystemGestures::track(std::span<const Touch> touches, double now) {
    for (const auto& touch : touches) {
        if (!isTouching(touch.state)) continue;
        const auto end = fingers_.begin() + known_;
        const auto finger =
            std::find_if(fingers_.begin(), end, [&](const Finger& f) { return f.id == touch.id; });
        if (finger == end) {
            // A finger lifted and put down again is a third finger: no gesture of ours.
            if (known_ == fingers_.size()) {
                void_ = true;
                return;
            }
            *finger = {.id = touch.id, .nx = touch.nx, .start = touch.pt, .at = touch.pt,
                       .atNx = touch.nx, .maxMove = 0};
            ++known_;
            continue;
        }
        finger->at = touch.pt;
        finger->atNx = touch.nx;
        finger->maxMove = std::max(finger->maxMove, distanceMM(finger->start, touch.pt));
    }
    if (known_ == 2 && !pairFormed_) {
        pairFormed_ = true;
        pairStart_ = now;
        pairNx_ = (fingers_[0].atNx + fingers_[1].atNx) / 2;
        pairMean_ = {(fingers_[0].at.x + fingers_[1].at.x) / 2,
                     (fingers_[0].at.y + fingers_[1].at.y) / 2};
        pairSpread_ = distanceMM(fingers_[0].at, fingers_[1].at);
    }
}

void SystemGestures::swipe(const Tuning& t, std::size_t count, double now) {
    std::optional<bool> growing;
    if (count == 1 && peak_ == 1 && t.on.pageSwipe) {
        const Finger& f = fingers_[0];
        if (now - sequenceStart_ > kSwipeMaxDurationS) return;
        growing = swipeTowardGrowingX(f.atNx - f.nx, {f.at.x - f.start.x, f.at.y - f.start.y});
    } else if (count == 2 && pairFormed_ && t.on.fullscreenSwipe) {
        const Finger& a = fingers_[0];
        const Finger& b = fingers_[1];
        const double change = std::abs(distanceMM(a.at, b.at) - pairSpread_);
        if (change > std::min(kSwipeMaxSpreadChangeMM, t.zoomStartMM)) {
            void_ = true;
            return;
        }
        if (now - pairStart_ > kSwipeMaxDurationS) return;
        const Point mean{(a.at.x + b.at.x) / 2, (a.at.y + b.at.y) / 2};
        growing = swipeTowardGrowingX((a.atNx + b.atNx) / 2 - pairNx_,
                                      {mean.x - pairMean_.x, mean.y - pairMean_.y});
    }
    if (!growing) return;
    if (pressedDuringSequence()) {
        void_ = true;
        return;
    }
    swiped_ = true;
    holdingWheel_.store(true);
    // A flick that drifts apart afterwards is still the swipe, never also a zoom.
    engine_.holdZoom();
    // Content follows the fingers: moving toward growing x brings back what lies before.
    if (count == 1) {
        fire(SystemGesture::pageSwipe, *growing ? SystemDirection::back : SystemDirection::forward);
    } else {
        fire(SystemGesture::fullscreenSwipe,
             *growing ? SystemDirection::left : SystemDirection::right);
    }
}

void SystemGestures::endSequence(const Tuning& t, double now) {
    inSequence_ = false;
    holdingWheel_.store(false);

    const double duration = now - sequenceStart_;
    const auto still = [&](double limit) {
        return std::all_of(fingers_.begin(), fingers_.begin() + known_,
                           [limit](const Finger& f) { return f.maxMove <= limit; });
    };
    const Point pointer = Actions::cursorLocation();
    const bool tap =
        !void_ && !swiped_ && !pressedDuringSequence() &&
        tapPointer::stayed(pointerAtStart_, pointer) &&
        ((known_ == 1 && duration <= t.oneTapMaxDuration && still(t.oneTapMaxMoveMM)) ||
         (known_ == 2 && duration <= t.tapMaxDuration && still(t.tapMaxMoveMM)));
    if (!tap) {
        lastTap_ = {};
        return;
    }
    doubleTap(t, known_, now, pointer);
}

void SystemGestures::doubleTap(const Tuning& t, std::size_t fingers, double now, Point pointer) {
    auto& last = lastTap_[fingers - 1];
    lastTap_[2 - fingers].reset();
    if (!last || sequenceStart_ - last->end > t.doubleClickInterval ||
        !tapPointer::landsWith(last->pointer, pointer)) {
        last = LastTap{.end = now, .pointer = pointer};
        return;
    }
    // A third tap starts the next pair.
    last.reset();
    if (fingers == 2 && t.on.missionControlTap) {
        fire(SystemGesture::missionControlTap, SystemDirection::none);
    } else if (fingers == 1 && t.on.smartZoom) {
        fire(SystemGesture::smartZoom, smartZoomedIn_ ? SystemDirection::out : SystemDirection::in);
    }
}

void SystemGestures::fire(SystemGesture gesture, SystemDirection direction) {
    if (onGesture) onGesture({gesture, direction, reportText(gesture, direction)});
    switch (gesture) {
        case SystemGesture::pageSwipe:
            Actions::otherClick(direction == SystemDirection::back ? platform::MouseButton::back
                                                                   : platform::MouseButton::forward);
            return;
        case SystemGesture::fullscreenSwipe:
            // The original platform's keys for the space on the left and on the right.
            Actions::key(direction == SystemDirection::left ? Actions::kKeyLeftArrow
                                                            : Actions::kKeyRightArrow,
                         platform::kEventFlagMaskControl);
            return;
        case SystemGesture::missionControlTap:
            Actions::perform(PinchAction::missionControl);
            return;
        case SystemGesture::smartZoom:
            smartZoomedIn_ = direction == SystemDirection::in;
            Actions::magnify(0, GesturePhase::began);
            Actions::magnify(smartZoomedIn_ ? kSmartZoomAmount : -kSmartZoomAmount,
                             GesturePhase::changed);
            Actions::magnify(0, GesturePhase::ended);
            return;
    }
}

}  // namespace tavix
