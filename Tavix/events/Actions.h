#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "Tavix/events/GesturePhase.h"
#include "Tavix/gestures/PinchAction.h"
#include "platform/Geometry.h"
#include "platform/events/Event.h"

namespace tavix {

// Synthetic input on behalf of the gesture engine. Every event posted carries kTavixEventMarker.
// Called on the frame thread; nothing here reports failure.
class Actions {
  public:
    Actions() = delete;

    // While set, events are still created but none is posted, and perform() does nothing.
    static inline std::atomic<bool> dryRun{false};

    // Global screen points; (0, 0) when the position cannot be read.
    static Point cursorLocation();
    static void leftClick(Point at, int64_t clickState);
    static void rightClick();
    // A press and release of another button (back, forward) where the pointer is.
    static void otherClick(platform::MouseButton button);
    static void magnify(double amount, GesturePhase phase);
    static void key(uint16_t code, platform::EventFlags flags);
    static void zoomKey(bool zoomIn);
    // Opens the pinch target on the main queue; returns at once.
    static void perform(PinchAction action);

    static constexpr uint16_t kKeyEqual = 24;
    static constexpr uint16_t kKeyMinus = 27;
    static constexpr uint16_t kKeySpace = 49;
    static constexpr uint16_t kKeyLeftArrow = 123;
    static constexpr uint16_t kKeyRightArrow = 124;

  private:
    static const platform::EventSource* source();
    static void stampAndPost(std::optional<platform::Event>& event,
                             platform::EventTapLocation location);
    static void openApp(const std::string& path, const std::vector<std::string>& args);
};

}  // namespace tavix
