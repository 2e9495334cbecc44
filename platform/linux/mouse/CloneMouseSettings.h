#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "platform/linux/input/CloneSettings.h"
#include "platform/linux/mouse/DesktopMouseSettings.h"
#include "platform/preferences/HIDEventSystemClient.h"

namespace tavix::platform::mouse {

// Turns the mouse settings into the transform of the Magic Mouse clones. The clones apply a
// setting only where the desktop does not already apply it to the device, never both.
class CloneMouseSettings {
  public:
    explicit CloneMouseSettings(std::shared_ptr<input::CloneSettings> target);

    // "HIDMouseAcceleration" and "HIDMouseScrollAcceleration" (fixed point, 1.0 = 65536) and
    // "MouseButtonMode" ("TwoButton", "TwoButtonSwapped", "OneButton"); others are ignored.
    void setHIDProperty(const std::string& key, const HIDPropertyValue& value);
    // The same settings in the preference store's units.
    void setTrackingSpeed(double speed);
    void setScrollSpeed(double speed);
    void setButtonMode(const std::string& mode);
    void setNaturalScroll(bool natural);
    void setDesktopApplies(MirroredSetting setting, bool applies);

    const std::shared_ptr<input::CloneSettings>& target() const { return target_; }

  private:
    void publish();  // under mutex_

    std::shared_ptr<input::CloneSettings> target_;
    std::mutex mutex_;
    double trackingSpeed_ = 1.0;
    double scrollSpeed_ = 0.3125;
    bool naturalScroll_ = false;
    input::CloneButtons buttons_ = input::CloneButtons::right;
    bool desktopTracks_ = false;
    bool desktopScrolls_ = false;
    bool desktopInverts_ = false;
};

}  // namespace tavix::platform::mouse
