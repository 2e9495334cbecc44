#pragma once

#include <array>
#include <string>

#include "Tavix/mouse_settings/SecondaryClick.h"
#include "platform/preferences/HIDEventSystemClient.h"
#include "platform/preferences/PreferenceDomain.h"

namespace tavix {

// The system's own mouse settings, read from and written to every place each one lives: the
// global preferences, the mouse driver's preference domains and the live HID event system.
// Nothing is cached: each getter reads the store, each setter writes through at once. Called on
// the main thread; failures are absorbed and missing or mistyped values read as defaults.
class MouseSettings {
  public:
    MouseSettings() = delete;

    static double trackingSpeed();
    static double scrollSpeed();
    static double doubleClickInterval();  // seconds
    static bool naturalScroll();
    static SecondaryClick secondaryClick();
    static bool smartZoom();
    static bool missionControlTap();
    static bool fullscreenSwipe();
    static bool pageSwipe();

    // A speed or interval that is not finite, or whose HID integer would not fit 64 bits, is
    // ignored altogether: the stored preference keeps its value.
    static void setTrackingSpeed(double speed);
    static void setScrollSpeed(double speed);
    static void setDoubleClickInterval(double seconds);
    static void setNaturalScroll(bool natural);
    static void setSecondaryClick(SecondaryClick mode);
    static void setSmartZoom(bool on);
    static void setMissionControlTap(bool on);
    static void setFullscreenSwipe(bool on);
    static void setPageSwipe(bool on);

  private:
    using SetSwipeScrollDirection = void (*)(bool natural);

    // Each is created on first use, once, and kept for the whole run; a failure is not retried.
    static platform::HIDEventSystemClient* client();
    static const std::array<platform::PreferenceDomain, 2>& mouseDomains();
    static void* ppsHandle();
    static SetSwipeScrollDirection setSwipe();

    static void hidFixed(const std::string& key, double value);
    // Mouse driver values are integers or strings, which the HID system takes as they are.
    static void mouseSet(const std::string& key, const platform::HIDPropertyValue& value);
};

}  // namespace tavix
