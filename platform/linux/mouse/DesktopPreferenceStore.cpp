#include "platform/linux/mouse/DesktopPreferenceStore.h"

namespace tavix::platform::mouse {

std::string mirroredKey(MirroredSetting setting) {
    switch (setting) {
        case MirroredSetting::trackingSpeed:
            return "com.apple.mouse.scaling";
        case MirroredSetting::scrollSpeed:
            return "com.apple.scrollwheel.scaling";
        case MirroredSetting::doubleClickInterval:
            return "com.apple.mouse.doubleClickThreshold";
        case MirroredSetting::naturalScroll:
            return "com.apple.swipescrolldirection";
    }
    return {};
}

std::optional<MirroredSetting> mirroredSetting(const std::string& key,
                                               const PreferenceDomain& domain) {
    if (!domain.isGlobal()) return std::nullopt;
    for (const auto setting :
         {MirroredSetting::trackingSpeed, MirroredSetting::scrollSpeed,
          MirroredSetting::doubleClickInterval, MirroredSetting::naturalScroll}) {
        if (key == mirroredKey(setting)) return setting;
    }
    return std::nullopt;
}

DesktopPreferenceStore::DesktopPreferenceStore(std::shared_ptr<PreferenceStore> files,
                                               std::shared_ptr<DesktopMouseSettings> desktop,
                                               std::shared_ptr<CloneMouseSettings> clone,
                                               WheelsInverted wheelsInverted)
    : files_(std::move(files)),
      desktop_(std::move(desktop)),
      clone_(std::move(clone)),
      wheelsInverted_(std::move(wheelsInverted)) {}

std::optional<PreferenceValue> DesktopPreferenceStore::copyValue(
    const std::string& key, const PreferenceDomain& domain) const {
    const auto setting = mirroredSetting(key, domain);
    if (!setting) return files_->copyValue(key, domain);
    auto value = desktop_ ? desktop_->read(*setting) : std::nullopt;
    if (clone_) clone_->setDesktopApplies(*setting, value.has_value());
    if (const auto natural = booleanValue(value);
        natural && wheelsInverted_ && *setting == MirroredSetting::naturalScroll) {
        wheelsInverted_(*natural);
    }
    if (value) return value;
    auto stored = files_->copyValue(key, domain);
    // Until the user chooses, the clone leaves the wheel as the mouse turns it, and the window
    // says so; every other setting's default is already the mouse as it is.
    if (!stored && *setting == MirroredSetting::naturalScroll) return PreferenceValue(false);
    return stored;
}

void DesktopPreferenceStore::setValue(const std::string& key, const PreferenceValue& value,
                                      const PreferenceDomain& domain) {
    const auto setting = mirroredSetting(key, domain);
    if (!setting) return files_->setValue(key, value, domain);
    const bool onDesktop = desktop_ && desktop_->write(*setting, value);
    if (clone_) clone_->setDesktopApplies(*setting, onDesktop);
    // The files always hold the latest choice: they serve when the desktop later cannot.
    files_->setValue(key, value, domain);
    if (*setting != MirroredSetting::naturalScroll) return;
    const auto natural = booleanValue(value);
    if (!natural) return;
    // Natural scrolling has no input-system property: the clones learn it here, and apply it
    // only where the desktop does not.
    if (clone_) clone_->setNaturalScroll(*natural);
    if (onDesktop && wheelsInverted_) wheelsInverted_(*natural);
}

bool DesktopPreferenceStore::synchronize(const PreferenceDomain& domain) {
    if (domain.isGlobal() && desktop_) desktop_->synchronize();
    return files_->synchronize(domain);
}

}  // namespace tavix::platform::mouse
