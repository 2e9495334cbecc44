#include "platform/linux/mouse/CloneMouseSettings.h"

#include "platform/linux/mouse/MouseSettingMappings.h"

namespace tavix::platform::mouse {
namespace {

constexpr double kFixedPointOne = 65536.0;

}  // namespace

CloneMouseSettings::CloneMouseSettings(std::shared_ptr<input::CloneSettings> target)
    : target_(std::move(target)) {}

void CloneMouseSettings::setHIDProperty(const std::string& key, const HIDPropertyValue& value) {
    const auto* fixed = std::get_if<std::int64_t>(&value);
    const auto* text = std::get_if<std::string>(&value);
    if (key == "HIDMouseAcceleration" && fixed) {
        setTrackingSpeed(static_cast<double>(*fixed) / kFixedPointOne);
    } else if (key == "HIDMouseScrollAcceleration" && fixed) {
        setScrollSpeed(static_cast<double>(*fixed) / kFixedPointOne);
    } else if (key == "MouseButtonMode" && text) {
        setButtonMode(*text);
    }
}

void CloneMouseSettings::setTrackingSpeed(double speed) {
    std::lock_guard guard(mutex_);
    trackingSpeed_ = speed;
    publish();
}

void CloneMouseSettings::setScrollSpeed(double speed) {
    std::lock_guard guard(mutex_);
    scrollSpeed_ = speed;
    publish();
}

void CloneMouseSettings::setButtonMode(const std::string& mode) {
    std::lock_guard guard(mutex_);
    // As the settings read it: anything unknown is the two-button default.
    buttons_ = mode == "TwoButtonSwapped" ? input::CloneButtons::left
               : mode == "OneButton"      ? input::CloneButtons::off
                                          : input::CloneButtons::right;
    publish();
}

void CloneMouseSettings::setNaturalScroll(bool natural) {
    std::lock_guard guard(mutex_);
    naturalScroll_ = natural;
    publish();
}

void CloneMouseSettings::setDesktopApplies(MirroredSetting setting, bool applies) {
    std::lock_guard guard(mutex_);
    switch (setting) {
        case MirroredSetting::trackingSpeed:
            desktopTracks_ = applies;
            break;
        case MirroredSetting::scrollSpeed:
            desktopScrolls_ = applies;
            break;
        case MirroredSetting::naturalScroll:
            desktopInverts_ = applies;
            break;
        case MirroredSetting::doubleClickInterval:
            return;  // decided by the desktop's toolkits; nothing for the clone to do
    }
    publish();
}

void CloneMouseSettings::publish() {
    if (!target_) return;
    input::CloneTransform transform;
    transform.motionFactor = desktopTracks_ ? 1.0 : motionFactorFromTracking(trackingSpeed_);
    transform.wheelFactor = desktopScrolls_ ? 1.0 : wheelFactorFromScrollSpeed(scrollSpeed_);
    transform.invertWheel = !desktopInverts_ && naturalScroll_;
    transform.buttons = buttons_;
    target_->setTransform(transform);
}

}  // namespace tavix::platform::mouse
