#pragma once

#include <optional>
#include <string>

#include "platform/preferences/PreferenceDomain.h"
#include "platform/preferences/PreferenceValue.h"

namespace tavix::platform::mouse {

// The mouse settings a Linux desktop may keep itself; all live in the global domain.
enum class MirroredSetting { trackingSpeed, scrollSpeed, doubleClickInterval, naturalScroll };

// The setting a preference key stands for; nothing for every other key and domain.
std::optional<MirroredSetting> mirroredSetting(const std::string& key,
                                               const PreferenceDomain& domain);
// The global key a setting is kept under.
std::string mirroredKey(MirroredSetting setting);

// Where the running desktop keeps the mirrored settings. Values go in and out in the preference
// store's own units (tracking 0…3, scroll 0…1, seconds, natural-scroll boolean).
class DesktopMouseSettings {
  public:
    virtual ~DesktopMouseSettings() = default;

    // Nothing when this desktop has no such setting or cannot be reached right now: the caller
    // then keeps the value itself.
    virtual std::optional<PreferenceValue> read(MirroredSetting setting) = 0;
    // False when the value did not reach the desktop, for the same reasons or a value of the
    // wrong type.
    virtual bool write(MirroredSetting setting, const PreferenceValue& value) = 0;
    // Waits until what was written is durable.
    virtual void synchronize() {}
};

}  // namespace tavix::platform::mouse
