#pragma once

#include <functional>
#include <memory>

#include "platform/linux/mouse/CloneMouseSettings.h"
#include "platform/linux/mouse/DesktopMouseSettings.h"
#include "platform/preferences/PreferenceStore.h"

namespace tavix::platform::mouse {

// The preference store on a Linux desktop. The mirrored mouse settings live where the running
// desktop keeps them and are read back from there every time; a setting the desktop does not
// have, or cannot take right now, falls back to the property-list files, and the Magic Mouse
// clones apply it instead. The files are written every time, so they always hold the latest
// choice. Every other key goes to the files only.
class DesktopPreferenceStore final : public PreferenceStore {
  public:
    // Told the desktop's natural scrolling each time it is read or written, where the desktop
    // turns every mouse's wheel around, Tavix's own virtual pointer included (GNOME).
    using WheelsInverted = std::function<void(bool)>;

    // `desktop` is absent on a desktop with no home for any of them; `clone` may be absent.
    DesktopPreferenceStore(std::shared_ptr<PreferenceStore> files,
                           std::shared_ptr<DesktopMouseSettings> desktop,
                           std::shared_ptr<CloneMouseSettings> clone,
                           WheelsInverted wheelsInverted = {});

    std::optional<PreferenceValue> copyValue(const std::string& key,
                                             const PreferenceDomain& domain) const override;
    void setValue(const std::string& key, const PreferenceValue& value,
                  const PreferenceDomain& domain) override;
    bool synchronize(const PreferenceDomain& domain) override;

  private:
    std::shared_ptr<PreferenceStore> files_;
    std::shared_ptr<DesktopMouseSettings> desktop_;
    std::shared_ptr<CloneMouseSettings> clone_;
    WheelsInverted wheelsInverted_;
};

}  // namespace tavix::platform::mouse
