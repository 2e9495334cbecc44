#include "platform/linux/mouse/CloneMouseSettings.h"

#include "platform/linux/mouse/MouseSettingMappings.h"

namespace tavix::platform::mouse {
namespace {

constexpr double kFixedPointOne = 65536.0;

}  // namespace

CloneMouseSettings::CloneMouseSettings(std::shared_ptr<input::CloneSettings> target)
    : target_(std::move(target)) {}

void CloneMouseSettings::setHIDProperty(const std::string& key, const HIDPropertyValue& value) {
    std::lock_guard guard(mutex_);
    const auto* fixed = std::get_if<std::int64_t>(&value);
    if (key == "HIDMouseAcceleration" && fixed) {
        trackingSpeed_ = static_cast<double>(*fixed) / kFixedPointOne;
    } else if (key == "HIDMouseScrollAcceleration" && fixed) {
        scrollSpeed_ = static_cast<double>(*fixed) / kFixedPointOne;
    } else if (key == "MouseButtonMode") {
        const auto* mode = std::get_if<std::string>(&value);
        if (!mode) return;
        // As the settings read it: anything unknown is the two-button default.
        buttons_ = *mode == "TwoButtonSwapped" ? input::CloneButtons::left
                   : *mode == "OneButton"      ? input::CloneButtons::off
                                               : input::CloneButtons::right;
    } else {
        return;
    }
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
