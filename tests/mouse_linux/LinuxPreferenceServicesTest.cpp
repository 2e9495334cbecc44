#include <gtest/gtest.h>

#include "Tavix/mouse_settings/MouseSettings.h"
#include "platform/linux/mouse/LinuxPreferenceServices.h"
#include "platform/preferences/HIDEventSystem.h"
#include "platform/preferences/linux/PlistPreferenceStore.h"
#include "tests/mouse_settings/TempDirectory.h"

namespace tavix::platform::mouse {
namespace {

using tavix::testing::TempDirectory;

// On a desktop with no home for them, the settings window's changes reach the Magic Mouse
// clones: the speeds and the button mode through the HID properties, natural scrolling through
// the store; and the clones start from what was stored before.
TEST(LinuxPreferenceServices, ElsewhereTheSettingsReachTheClones) {
    TempDirectory dir;
    {
        PlistPreferenceStore earlier(dir.path());
        earlier.setValue("com.apple.swipescrolldirection", false, PreferenceDomain::global());
        earlier.setValue("MouseButtonMode", std::string("TwoButtonSwapped"),
                         PreferenceDomain::application("com.apple.AppleMultitouchMouse"));
        earlier.synchronize(PreferenceDomain::global());
        earlier.synchronize(PreferenceDomain::application("com.apple.AppleMultitouchMouse"));
    }
    LinuxPreferenceServices::Options options;
    options.preferencesDirectory = dir.path();
    options.currentDesktop = "XFCE";
    options.connectBus = nullptr;
    auto services = makeLinuxPreferenceServices(options);
    EXPECT_EQ(services.desktop, desktop::Desktop::other);
    EXPECT_EQ(services.cloneSettings->transform(),
              (input::CloneTransform{.buttons = input::CloneButtons::left}));

    installPreferenceStore(services.store);
    installHIDEventSystem(services.hid);
    MouseSettings::setTrackingSpeed(3.0);
    MouseSettings::setScrollSpeed(0.0);
    MouseSettings::setNaturalScroll(true);
    MouseSettings::setSecondaryClick(SecondaryClick::off);
    MouseSettings::setDoubleClickInterval(0.3);  // stored only
    EXPECT_EQ(services.cloneSettings->transform(),
              (input::CloneTransform{.motionFactor = 3.0,
                                     .wheelFactor = 0.1,
                                     .invertWheel = true,
                                     .buttons = input::CloneButtons::off}));
    EXPECT_EQ(MouseSettings::trackingSpeed(), 3.0);
    EXPECT_EQ(MouseSettings::doubleClickInterval(), 0.3);
    EXPECT_TRUE(MouseSettings::naturalScroll());
    EXPECT_EQ(MouseSettings::secondaryClick(), SecondaryClick::off);
    installPreferenceStore(nullptr);
    installHIDEventSystem(nullptr);
}

}  // namespace
}  // namespace tavix::platform::mouse
