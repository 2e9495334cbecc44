#include "platform/linux/mouse/LinuxPreferenceServices.h"

#include "platform/linux/desktop/DesktopActions.h"
#include "platform/linux/mouse/CloneMouseSettings.h"
#include "platform/linux/mouse/DesktopPreferenceStore.h"
#include "platform/linux/mouse/GnomeMouseSettings.h"
#include "platform/linux/mouse/KdeMouseSettings.h"
#include "platform/linux/mouse/SwayMouseSettings.h"
#include "platform/preferences/HIDEventSystem.h"
#include "platform/preferences/linux/PlistPreferenceStore.h"

namespace tavix::platform::mouse {
namespace {

std::shared_ptr<DesktopMouseSettings> desktopSettings(
    desktop::Desktop desktop, const LinuxPreferenceServices::Options& options,
    const std::shared_ptr<PreferenceStore>& files) {
    switch (desktop) {
        case desktop::Desktop::gnome: {
            auto gnome = std::shared_ptr<GnomeMouseSettings>(GnomeMouseSettings::open());
            if (gnome && options.wheelsInverted) {
                gnome->onNaturalScrollChanged(options.wheelsInverted);
            }
            return gnome;
        }
        case desktop::Desktop::kde:
            return std::make_shared<KdeMouseSettings>(
                options.configHome.value_or(desktop::DesktopActions::configHome()),
                options.connectBus);
        case desktop::Desktop::sway:
            return std::make_shared<SwayMouseSettings>(
                options.connectSway, [files](MirroredSetting setting) {
                    return files->copyValue(mirroredKey(setting), PreferenceDomain::global());
                });
        case desktop::Desktop::other:
            return nullptr;
    }
    return nullptr;
}

// The clones start where the settings stand. With nothing stored every value is the one that
// leaves the mouse as it is (the store reads natural scrolling as off), so a fresh start changes
// nothing until the user does.
void startFromStored(PreferenceStore& store, CloneMouseSettings& clone) {
    const auto global = PreferenceDomain::global();
    clone.setTrackingSpeed(
        numberValue(store.copyValue("com.apple.mouse.scaling", global)).value_or(1.0));
    clone.setScrollSpeed(
        numberValue(store.copyValue("com.apple.scrollwheel.scaling", global)).value_or(0.3125));
    clone.setNaturalScroll(
        booleanValue(store.copyValue("com.apple.swipescrolldirection", global)).value_or(false));
    clone.setButtonMode(
        stringValue(store.copyValue("MouseButtonMode", PreferenceDomain::application(
                                                           "com.apple.AppleMultitouchMouse")))
            .value_or("TwoButton"));
}

}  // namespace

LinuxPreferenceServices makeLinuxPreferenceServices(LinuxPreferenceServices::Options options) {
    LinuxPreferenceServices services;
    services.desktop = desktop::detectRunningSession(options.connectBus, options.currentDesktop,
                                                     std::nullopt, options.swaySocket)
                           .desktop;
    services.cloneSettings = std::make_shared<input::CloneSettings>();
    auto clone = std::make_shared<CloneMouseSettings>(services.cloneSettings);
    auto files = std::make_shared<PlistPreferenceStore>(
        options.preferencesDirectory ? options.preferencesDirectory
                                     : PlistPreferenceStore::defaultDirectory());
    auto desktopMouse = desktopSettings(services.desktop, options, files);
    auto wheelsInverted = services.desktop == desktop::Desktop::gnome
                              ? std::move(options.wheelsInverted)
                              : DesktopPreferenceStore::WheelsInverted{};
    services.store = std::make_shared<DesktopPreferenceStore>(
        std::move(files), std::move(desktopMouse), clone, std::move(wheelsInverted));
    services.hid = std::make_shared<LinuxHIDEventSystem>(
        [clone](const std::string& key, const HIDPropertyValue& value) {
            clone->setHIDProperty(key, value);
        });
    startFromStored(*services.store, *clone);
    return services;
}

std::shared_ptr<input::CloneSettings> installLinuxPreferenceServices(
    LinuxPreferenceServices::Options options) {
    auto services = makeLinuxPreferenceServices(std::move(options));
    installPreferenceStore(services.store);
    installHIDEventSystem(services.hid);
    return services.cloneSettings;
}

}  // namespace tavix::platform::mouse
