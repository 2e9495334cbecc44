#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/desktop/SessionBus.h"
#include "platform/linux/mouse/DesktopMouseSettings.h"

namespace tavix::platform::mouse {

// KDE Plasma's mouse settings. Tracking speed, scroll speed and natural scrolling belong to each
// input device in KWin: they are set live on the Magic Mouse's devices (its clone and the mouse
// itself) through org.kde.KWin.InputDevice and kept in kcminputrc for the next session.
// While no Magic Mouse is in KWin, the clone's kcminputrc groups stand for it: KWin gives them to
// the clone when it appears, so they are read and written instead, and only when there are none
// does the clone apply the setting itself. The double-click interval is kdeglobals [KDE]
// DoubleClickInterval, announced to running KDE applications with the two signals they listen to.
class KdeMouseSettings final : public DesktopMouseSettings {
  public:
    using ConnectBus = std::function<std::unique_ptr<desktop::SessionBus>()>;

    static constexpr const char* kKWin = "org.kde.KWin";
    static constexpr const char* kDevicesPath = "/org/kde/KWin/InputDevice";
    static constexpr const char* kManager = "org.kde.KWin.InputDeviceManager";
    static constexpr const char* kDevice = "org.kde.KWin.InputDevice";
    // What a Magic Mouse clone's name ends in.
    static constexpr const char* kCloneSuffix = " (Tavix)";
    // Plasma 6's kcminputrc group for every pointer's settings; never a device's group.
    static constexpr const char* kPointerDefaults = "Libinput][Defaults][Pointer";
    static constexpr int kDefaultDoubleClickMs = 400;

    KdeMouseSettings(std::filesystem::path configHome,
                     ConnectBus connectBus = &desktop::SessionBus::connect);

    std::optional<PreferenceValue> read(MirroredSetting setting) override;
    bool write(MirroredSetting setting, const PreferenceValue& value) override;

  private:
    struct Device {
        std::string path;
        std::string name;
        std::int64_t vendor = 0;
        std::int64_t product = 0;
        bool clone = false;
    };

    // The Magic Mouse's devices KWin has now, clones first; nothing when KWin's device manager
    // cannot be reached.
    std::optional<std::vector<Device>> magicMice(desktop::SessionBus& bus);
    // kcminputrc's groups for clones that KWin may list later.
    std::vector<std::string> cloneGroups() const;
    bool writeDevices(MirroredSetting setting, const PreferenceValue& value);
    bool writeDoubleClick(const PreferenceValue& value);

    std::filesystem::path configHome_;
    ConnectBus connectBus_;
};

}  // namespace tavix::platform::mouse
