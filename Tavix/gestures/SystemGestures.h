#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <span>

#include "Tavix/gestures/GestureConfig.h"
#include "Tavix/gestures/GestureEngine.h"
#include "Tavix/gestures/SystemGesture.h"
#include "Tavix/touch/Touch.h"
#include "platform/Geometry.h"

namespace tavix {

// Recognises the system gestures (page swipe, desktop swipe, overview double tap, smart zoom) in
// the frames the gesture engine gets, beside it and without its knowledge. process() runs on
// the frame thread; the switches, the thresholds it shares with the engine and the physical
// press time are atomics other threads write.
//
// A touch sequence runs from the first finger on an empty surface to the frame that finds it
// empty again; a mouse that leaves sends that frame as it goes. A sequence with more than two
// fingers, a physical press, a zoom-like change of spread or the engine disabled fires nothing;
// once a swipe fires, the wheel is held back and the engine's zoom held off until the sequence
// ends. A double tap is two touches the engine would take for taps, pointer rules included.
class SystemGestures {
  public:
    using GestureHandler = std::function<void(const SystemGestureReport&)>;

    // Beside the shared engine.
    static SystemGestures& shared();

    // `engine` is fed the same frames, each before this.
    explicit SystemGestures(GestureEngine& engine) : engine_(engine) {}
    SystemGestures(const SystemGestures&) = delete;
    SystemGestures& operator=(const SystemGestures&) = delete;

    // Any thread; take effect from the next frame.
    void setSwitches(SystemGestureSwitches switches);
    SystemGestureSwitches switches() const;
    void setConfig(const GestureConfig& config);

    // Called on the frame thread before the gesture's events are posted.
    GestureHandler onGesture;

    // One frame, as the engine gets it.
    void process(std::span<const Touch> touches);

    // The input monitor, on the main thread.
    void notePhysicalClick();
    bool holdsWheel() const { return holdingWheel_.load(std::memory_order_relaxed); }

  private:
    struct Finger {
        int32_t id = 0;
        double nx = 0;  // where it touched down, normalized
        Point start;    // mm
        Point at;       // mm, in the latest frame that held it
        double atNx = 0;
        double maxMove = 0;  // mm
    };
    struct Tuning {
        SystemGestureSwitches on;
        bool enabled = true;
        double oneTapMaxDuration = 0;
        double oneTapMaxMoveMM = 0;
        double tapMaxDuration = 0;
        double tapMaxMoveMM = 0;
        double doubleClickInterval = 0;
        double zoomStartMM = 0;
    };

    Tuning tuning() const;
    void track(std::span<const Touch> touches, double now);
    void swipe(const Tuning& t, std::size_t count, double now);
    void endSequence(const Tuning& t, double now);
    void doubleTap(const Tuning& t, std::size_t fingers, double now, Point pointer);
    bool pressedDuringSequence() const;
    void fire(SystemGesture gesture, SystemDirection direction);

    GestureEngine& engine_;
    std::atomic<bool> pageSwipe_{false};
    std::atomic<bool> fullscreenSwipe_{false};
    std::atomic<bool> missionControlTap_{false};
    std::atomic<bool> smartZoom_{false};
    std::atomic<bool> enabled_{true};
    std::atomic<double> oneTapMaxDuration_{GestureConfig{}.oneTapMaxDuration};
    std::atomic<double> oneTapMaxMoveMM_{GestureConfig{}.oneTapMaxMoveMM};
    std::atomic<double> tapMaxDuration_{GestureConfig{}.tapMaxDuration};
    std::atomic<double> tapMaxMoveMM_{GestureConfig{}.tapMaxMoveMM};
    std::atomic<double> doubleClickInterval_{GestureConfig{}.doubleClickInterval};
    std::atomic<double> zoomStartMM_{GestureConfig{}.zoomStartMM};
    std::atomic<double> lastPress_{-std::numeric_limits<double>::infinity()};
    std::atomic<bool> holdingWheel_{false};

    // The current touch sequence; frame thread only.
    bool inSequence_ = false;
    bool void_ = false;  // fires nothing more until the surface is empty
    // Past every time window with this many fingers: nothing can fire until the count changes.
    bool settled_ = false;
    std::size_t settledCount_ = 0;
    double sequenceStart_ = 0;
    Point pointerAtStart_;  // screen points
    std::size_t peak_ = 0;
    std::array<Finger, 2> fingers_{};
    std::size_t known_ = 0;  // fingers_ in use
    bool swiped_ = false;
    // The two-finger swipe measures from the frame in which both fingers were first down.
    bool pairFormed_ = false;
    double pairStart_ = 0;
    double pairNx_ = 0;
    Point pairMean_;
    double pairSpread_ = 0;

    // The last lone tap with one and with two fingers, waiting for its second.
    struct LastTap {
        double end = 0;
        Point pointer;
    };
    std::array<std::optional<LastTap>, 2> lastTap_{};
    bool smartZoomedIn_ = false;
};

}  // namespace tavix
