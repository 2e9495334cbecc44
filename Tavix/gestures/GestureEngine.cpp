#include "Tavix/gestures/GestureEngine.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "Tavix/events/Actions.h"
#include "Tavix/gestures/TapPointer.h"
#include "Tavix/touch/MTTouch.h"
#include "platform/Clock.h"

namespace tavix {
namespace {

// Recent touch-downs are remembered this long.
constexpr double kRecentDownWindowS = 1.0;
// Another finger down this close before a tapping finger makes it no lone tap.
constexpr double kOtherFingerLeadS = 0.15;
// A physical press this close before a touch-down belongs to the same click.
constexpr double kPhysicalClickLeadS = 0.05;
constexpr int64_t kMaxClickState = 3;

constexpr double kPinchDipToleranceS = 0.15;
constexpr double kPinchMinBaseMM = 4.0;
constexpr double kPinchMinShrinkMM = 1.5;

constexpr double kZoomMinBaseMM = 3.0;
constexpr double kZoomAmountFloorMM = 8.0;
constexpr double kZoomMinAmount = 0.0005;
constexpr double kZoomKeyStep = 0.18;
// Ceiling on key strokes per frame, so an absurd gain cannot stall the frame thread.
constexpr int kMaxZoomKeysPerFrame = 64;
constexpr double kScrollHoldBackS = 0.6;

constexpr std::string_view kReportClick = "单指轻点 → 点按";
constexpr std::string_view kReportMultiClick = "单指轻点两下 → 连按";
constexpr std::string_view kReportSecondaryClick = "三指轻触 → 右键";
constexpr std::string_view kReportPinchPrefix = "三指捏合 → ";
constexpr std::string_view kReportZoomIn = "双指张开 → 放大";
constexpr std::string_view kReportZoomOut = "双指捏合 → 缩小";

// Mean distance of the contacts from their centroid.
double spread(std::span<const Touch> contacts) {
    Point centroid;
    for (const auto& touch : contacts) {
        centroid.x += touch.pt.x;
        centroid.y += touch.pt.y;
    }
    const auto n = static_cast<double>(contacts.size());
    centroid = {centroid.x / n, centroid.y / n};
    double total = 0;
    for (const auto& touch : contacts) total += distance(touch.pt, centroid);
    return total / n;
}

}  // namespace

GestureEngine& GestureEngine::shared() {
    // Never destroyed: the frame thread may still deliver while the process exits.
    static auto& engine = *new GestureEngine;
    return engine;
}

GestureEngine::GestureEngine() {
    // Sized for any real hand, so frames in steady state never allocate.
    tracks.reserve(32);
    recentDowns.reserve(64);
    active.reserve(32);
    ended.reserve(32);
}

void GestureEngine::holdZoom() {
    zoomHeld = true;
}

void GestureEngine::notePhysicalClick() {
    const double now = platform::clock().uptime();
    sharedRecord.with([now](SharedRecord& r) { r.lastPhysicalClick = now; });
}

void GestureEngine::noteScroll() {
    const double now = platform::clock().uptime();
    sharedRecord.with([now](SharedRecord& r) { r.lastScroll = now; });
}

bool GestureEngine::shouldSuppressScroll() const {
    const double now = platform::clock().uptime();
    return sharedRecord.with(
        [now](const SharedRecord& r) { return r.zooming || now < r.suppressUntil; });
}

void GestureEngine::report(std::string_view text) {
    status.lastGesture.assign(text);
    status.lastGestureTime = platform::clock().wallNow();
    if (onStatus) onStatus(status);
}

void GestureEngine::process(std::span<const Touch> touches) {
    // A glitch frame is ignored whole: dropping only its unmeasurable contact would end that
    // finger's track and turn a resting finger into a tap.
    if (!std::ranges::all_of(touches, [](const Touch& t) { return isFinite(t.pt); })) return;

    const GestureConfig cfg = cfgLock.read();
    const double now = platform::clock().uptime();

    active.clear();
    for (const auto& touch : touches) {
        if (isTouching(touch.state)) active.push_back(touch);
    }
    count = static_cast<std::ptrdiff_t>(active.size());
    ++frameNumber;

    trackContacts(now);
    collectEnded();
    if (count == 0) zoomHeld = false;
    pruneRecentDowns(now);
    updateFingerCount();
    if (!cfg.enabled) {
        resetGestures();
        return;
    }
    oneFingerTap(cfg, now);
    threeFingerTap(cfg, now);
    threeFingerPinch(cfg, now);
    twoFingerZoom(cfg);
    updatePeakCount();
}

void GestureEngine::trackContacts(double now) {
    for (const auto& touch : active) {
        if (auto found = tracks.find(touch.id); found != tracks.end()) {
            auto& track = found->second;
            track.maxMove = std::max(track.maxMove, distance(track.start, touch.pt));
            track.lastFrame = frameNumber;
            continue;
        }
        tracks.emplace(touch.id, Track{.down = now,
                                       .start = touch.pt,
                                       .maxMove = 0,
                                       .cursor = Actions::cursorLocation(),
                                       .lastFrame = frameNumber});
        recentDowns.push_back({touch.id, now});
    }
}

void GestureEngine::collectEnded() {
    ended.clear();
    for (auto it = tracks.begin(); it != tracks.end();) {
        if (it->second.lastFrame == frameNumber) {
            ++it;
        } else {
            ended.emplace_back(it->first, it->second);
            it = tracks.erase(it);
        }
    }
}

void GestureEngine::pruneRecentDowns(double now) {
    std::erase_if(recentDowns,
                  [now](const RecentDown& d) { return now - d.time > kRecentDownWindowS; });
}

void GestureEngine::updateFingerCount() {
    if (status.fingers == count) return;
    status.fingers = count;
    if (onStatus) onStatus(status);
}

void GestureEngine::resetGestures() {
    endZoom();
    tapGroup.reset();
    pinchCount = 0;
    zoomIDs.clear();
    pinchFired = false;
}

void GestureEngine::oneFingerTap(const GestureConfig& cfg, double now) {
    if (!cfg.oneTapEnabled || ended.size() != 1) return;
    const auto& [id, track] = ended.front();

    if (!(now - track.down <= cfg.oneTapMaxDuration && track.maxMove <= cfg.oneTapMaxMoveMM)) {
        return;
    }
    for (const auto& down : recentDowns) {
        if (down.id != id && down.time >= track.down - kOtherFingerLeadS) return;
    }
    if ((tapGroup && tapGroup->contains(id)) || pinchFired || zooming) return;

    const auto [lastClick, lastScroll] = sharedRecord.with(
        [](const SharedRecord& r) { return std::pair(r.lastPhysicalClick, r.lastScroll); });
    if (!(lastClick < track.down - kPhysicalClickLeadS && lastScroll < track.down)) return;

    const Point pointer = Actions::cursorLocation();
    if (!tapPointer::stayed(track.cursor, pointer)) return;

    const bool continues =
        now - lastTapTime <= cfg.doubleClickInterval && tapPointer::landsWith(lastTapPos, pointer);
    const int64_t clickState = continues ? std::min(lastClickState + 1, kMaxClickState) : 1;
    lastClickState = clickState;
    lastTapTime = now;
    lastTapPos = pointer;

    Actions::leftClick(pointer, clickState);
    report(clickState >= 2 ? kReportMultiClick : kReportClick);
}

void GestureEngine::threeFingerTap(const GestureConfig& cfg, double now) {
    if (!cfg.tapEnabled) {
        tapGroup.reset();
        return;
    }
    if (count >= 4) {
        tapValid = false;
    } else if (count == 3 && !tapGroup) {
        double earliest = now;
        ContactSet<3> ids;
        for (const auto& touch : active) {
            earliest = std::min(earliest, tracks.at(touch.id).down);
            ids.insert(touch.id);
        }
        if (now - earliest <= cfg.tapMaxDuration) {
            tapGroup = ids;
            tapStart = earliest;
            tapValid = true;
        }
    }
    if (!tapGroup) return;

    bool anyDown = false;
    for (int32_t id : *tapGroup) {
        auto found = tracks.find(id);
        if (found == tracks.end()) continue;
        anyDown = true;
        if (found->second.maxMove > cfg.tapMaxMoveMM) tapValid = false;
    }
    if (now - tapStart > cfg.tapMaxDuration || pinchFired || zooming) tapValid = false;

    if (!anyDown) {
        const double lastClick =
            sharedRecord.with([](const SharedRecord& r) { return r.lastPhysicalClick; });
        tapGroup.reset();
        if (tapValid && lastClick < tapStart - kPhysicalClickLeadS) {
            Actions::rightClick();
            report(kReportSecondaryClick);
        }
        return;
    }
    if (count <= 2 && !tapValid && now - tapStart > cfg.tapMaxDuration) tapGroup.reset();
}

void GestureEngine::threeFingerPinch(const GestureConfig& cfg, double now) {
    if (!cfg.pinch3Enabled) {
        pinchCount = 0;
        return;
    }
    if (count != 3 && count != 4) {
        // A short dip to another finger count keeps the measurement.
        if (pinchCount > 0 && now - pinchLastSeen > kPinchDipToleranceS) pinchCount = 0;
        return;
    }
    const double s = spread(active);
    pinchLastSeen = now;
    if (count != pinchCount) {
        pinchCount = count;
        pinchBase = s;
        return;
    }
    pinchBase = std::max(pinchBase, s);
    if (pinchFired) return;

    const double shrink = pinchBase - s;
    const bool fires = pinchBase > kPinchMinBaseMM && shrink >= kPinchMinShrinkMM &&
                       (s / pinchBase <= cfg.pinch3Ratio || shrink >= cfg.pinch3ShrinkMM);
    if (!fires) return;

    pinchFired = true;
    tapValid = false;
    Actions::perform(cfg.pinch3Action);
    std::string text(kReportPinchPrefix);
    text += cfg.pinch3Action.title();
    report(text);
}

void GestureEngine::twoFingerZoom(const GestureConfig& cfg) {
    // Once three fingers have been down, or the stroke was held, no zoom starts until the
    // surface is empty.
    if (!cfg.zoomEnabled || count != 2 || ((peakCount >= 3 || zoomHeld) && !zooming)) {
        endZoom();
        zoomIDs.clear();
        return;
    }
    const double d = distance(active[0].pt, active[1].pt);
    ContactSet<2> ids;
    ids.insert(active[0].id);
    ids.insert(active[1].id);
    if (ids != zoomIDs) {
        endZoom();
        zoomIDs = ids;
        zoomBase = d;
        zoomPrev = d;
        keyAccum = 0;
        return;
    }
    if (zooming) {
        stepZoom(cfg, d);
    } else if (std::abs(d - zoomBase) >= cfg.zoomStartMM && zoomBase > kZoomMinBaseMM) {
        beginZoom(cfg, d);
    }
}

void GestureEngine::beginZoom(const GestureConfig& cfg, double d) {
    zooming = true;
    zoomPrev = d;
    sharedRecord.with([](SharedRecord& r) { r.zooming = true; });
    if (cfg.zoomMode == ZoomMode::native) Actions::magnify(0, GesturePhase::began);
    report(zoomBase < d ? kReportZoomIn : kReportZoomOut);
}

void GestureEngine::stepZoom(const GestureConfig& cfg, double d) {
    const double amount = cfg.zoomGain * (d - zoomPrev) / std::max(zoomBase, kZoomAmountFloorMM);
    zoomPrev = d;
    // Tiny steps are dropped, not saved up; a non-finite step (absurd gain) is never sent.
    if (!std::isfinite(amount) || !(std::abs(amount) > kZoomMinAmount)) return;

    switch (cfg.zoomMode) {
        case ZoomMode::native:
            Actions::magnify(amount, GesturePhase::changed);
            return;
        case ZoomMode::keyboard: {
            keyAccum += amount;
            int strokes = 0;
            while (keyAccum >= kZoomKeyStep && strokes++ < kMaxZoomKeysPerFrame) {
                Actions::zoomKey(true);
                keyAccum -= kZoomKeyStep;
            }
            while (keyAccum <= -kZoomKeyStep && strokes++ < kMaxZoomKeysPerFrame) {
                Actions::zoomKey(false);
                keyAccum += kZoomKeyStep;
            }
            if (std::abs(keyAccum) >= kZoomKeyStep) keyAccum = std::fmod(keyAccum, kZoomKeyStep);
            return;
        }
    }
}

void GestureEngine::endZoom() {
    if (!zooming) return;
    zooming = false;
    // The live mode, not the frame's copy: a zoom ends the way the user now wants it delivered.
    const ZoomMode mode = cfgLock.with([](const GestureConfig& c) { return c.zoomMode; });
    if (mode == ZoomMode::native) Actions::magnify(0, GesturePhase::ended);
    const double until = platform::clock().uptime() + kScrollHoldBackS;
    sharedRecord.with([until](SharedRecord& r) {
        r.zooming = false;
        r.suppressUntil = until;
    });
}

void GestureEngine::updatePeakCount() {
    if (count == 0) {
        peakCount = 0;
        pinchFired = false;
    } else {
        peakCount = std::max(peakCount, count);
    }
}

}  // namespace tavix
