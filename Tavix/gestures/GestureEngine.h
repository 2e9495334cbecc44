#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "Tavix/gestures/ContactSet.h"
#include "Tavix/gestures/GestureConfig.h"
#include "Tavix/gestures/LiveStatus.h"
#include "Tavix/gestures/Locked.h"
#include "Tavix/touch/Touch.h"
#include "platform/Geometry.h"

namespace tavix {

// Turns contact frames into clicks, secondary clicks, pinches and zooms. process() runs on the
// frame thread, one frame at a time; the configuration and the record shared with the input
// monitor are the only state other threads touch, each under its own lock.
class GestureEngine {
  public:
    using StatusHandler = std::function<void(LiveStatus)>;

    static GestureEngine& shared();

    GestureEngine();
    GestureEngine(const GestureEngine&) = delete;
    GestureEngine& operator=(const GestureEngine&) = delete;

    // Whole-record copies; safe from any thread. A new configuration applies from the next frame.
    GestureConfig config() const { return cfgLock.read(); }
    void setConfig(const GestureConfig& config) { cfgLock.write(config); }

    // Called on the frame thread; a receiver that touches the UI moves to the main thread itself.
    StatusHandler onStatus;

    // One frame: every contact of the frame, any state, in frame order.
    void process(std::span<const Touch> touches);

    // Frame thread, between frames: whoever took the current stroke for a gesture of its own
    // keeps a two-finger zoom from starting in it. Lasts until the surface is empty.
    void holdZoom();

    // Called by the input monitor on the main thread.
    void notePhysicalClick();
    void noteScroll();
    bool shouldSuppressScroll() const;

  private:
    struct Track {
        double down = 0;     // s
        Point start;         // mm
        double maxMove = 0;  // mm
        Point cursor;        // screen points
        // The last frame that held it, so that finding the ended tracks is one pass.
        uint64_t lastFrame = 0;
    };
    struct RecentDown {
        int32_t id = 0;
        double time = 0;
    };
    // What the input monitor and the engine tell each other, in seconds of uptime.
    struct SharedRecord {
        double lastPhysicalClick = 0;
        double lastScroll = 0;
        double suppressUntil = 0;
        bool zooming = false;
    };

    // Frame steps, in the order process() runs them.
    void trackContacts(double now);
    void collectEnded();
    void pruneRecentDowns(double now);
    void updateFingerCount();
    void resetGestures();
    void oneFingerTap(const GestureConfig& cfg, double now);
    void threeFingerTap(const GestureConfig& cfg, double now);
    void threeFingerPinch(const GestureConfig& cfg, double now);
    void twoFingerZoom(const GestureConfig& cfg);
    void updatePeakCount();

    void beginZoom(const GestureConfig& cfg, double distance);
    void stepZoom(const GestureConfig& cfg, double distance);
    void endZoom();
    void report(std::string_view text);

    Locked<GestureConfig> cfgLock;
    Locked<SharedRecord> sharedRecord;

    LiveStatus status;
    std::unordered_map<int32_t, Track> tracks;
    std::vector<RecentDown> recentDowns;
    std::ptrdiff_t peakCount = 0;

    double lastTapTime = 0;
    Point lastTapPos;
    int64_t lastClickState = 0;

    std::optional<ContactSet<3>> tapGroup;
    double tapStart = 0;
    bool tapValid = false;

    std::ptrdiff_t pinchCount = 0;
    double pinchLastSeen = 0;
    double pinchBase = 0;
    bool pinchFired = false;

    ContactSet<2> zoomIDs;
    double zoomBase = 0;
    double zoomPrev = 0;
    bool zooming = false;
    bool zoomHeld = false;
    double keyAccum = 0;

    // Per-frame scratch, kept to reuse its storage: the frame's fingers and the tracks that ended.
    std::vector<Touch> active;
    std::vector<std::pair<int32_t, Track>> ended;
    std::ptrdiff_t count = 0;
    uint64_t frameNumber = 0;
};

}  // namespace tavix
