#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/linux/desktop/DesktopActionTable.h"
#include "platform/linux/desktop/SessionBus.h"
#include "platform/linux/desktop/SwayIpc.h"
#include "platform/linux/input/CloneSettings.h"
#include "platform/linux/mouse/DesktopPreferenceStore.h"
#include "platform/preferences/PreferenceStore.h"
#include "platform/preferences/linux/LinuxHIDEventSystem.h"

namespace tavix::platform::mouse {

// The preference store and HID event system of a Linux desktop, put together once at start-up
// for the desktop that is running, and the settings the Magic Mouse clones apply.
struct LinuxPreferenceServices {
    std::shared_ptr<PreferenceStore> store;
    std::shared_ptr<LinuxHIDEventSystem> hid;
    // Hand to every Magic Mouse clone (input::FilteredClone).
    std::shared_ptr<input::CloneSettings> cloneSettings;
    desktop::Desktop desktop = desktop::Desktop::other;

    struct Options {
        // PlistPreferenceStore::defaultDirectory() when absent.
        std::optional<std::filesystem::path> preferencesDirectory;
        // Where KDE's config files are; $XDG_CONFIG_HOME or ~/.config when absent.
        std::optional<std::filesystem::path> configHome;
        std::function<std::unique_ptr<desktop::SessionBus>()> connectBus =
            &desktop::SessionBus::connect;
        // XDG_CURRENT_DESKTOP when absent.
        std::optional<std::string> currentDesktop;
        // Whether SWAYSOCK is set, read from the environment when absent.
        std::optional<bool> swaySocket;
        std::function<std::unique_ptr<desktop::SwayIpc>()> connectSway =
            &desktop::SwayIpc::connectFromEnvironment;
        // Where the desktop turns every mouse's wheel around for natural scrolling (GNOME):
        // told whether it does, so the posted zoom notches can be turned to match.
        DesktopPreferenceStore::WheelsInverted wheelsInverted;
    };
};

// The clones start from the stored settings, read through the new store.
LinuxPreferenceServices makeLinuxPreferenceServices(LinuxPreferenceServices::Options options = {});

// Makes them and installs the store and the HID event system; returns the settings to hand to
// the Magic Mouse clones.
std::shared_ptr<input::CloneSettings> installLinuxPreferenceServices(
    LinuxPreferenceServices::Options options = {});

}  // namespace tavix::platform::mouse
