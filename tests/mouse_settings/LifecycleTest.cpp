// The members MouseSettings creates once per process, each test run in a process of its own
// where the framework is a stand-in library and the HID system refuses the first client.
#include <dlfcn.h>

#include "Tavix/mouse_settings/MouseSettings.h"
#include "Tavix/mouse_settings/MouseSettingsTesting.h"
#include "tests/mouse_settings/PreferencesFixture.h"

namespace tavix {
namespace {

using platform::PreferenceDomain;

class LifecycleTest : public testing::PreferencesFixture {
  protected:
    void SetUp() override {
        static const bool ready = [] {
            hid().setRefusesClients(true);
            return mouse_settings_testing::usePreferencePanesPath(TAVIX_FAKE_PPS_PATH);
        }();
        ASSERT_TRUE(ready);
        PreferencesFixture::SetUp();
    }

    template <class F>
    static F fake(const char* name) {
        void* library = dlopen(TAVIX_FAKE_PPS_PATH, RTLD_NOW | RTLD_NOLOAD);
        return library ? reinterpret_cast<F>(dlsym(library, name)) : nullptr;
    }
};

TEST_F(LifecycleTest, NaturalScrollGoesThroughTheFrameworkFunctionAndStillAnnounces) {
    MouseSettings::setNaturalScroll(false);
    const auto calls = fake<int (*)()>("fakeSwipeCalls");
    const auto last = fake<bool (*)()>("fakeSwipeLastValue");
    ASSERT_TRUE(calls && last);
    EXPECT_EQ(calls(), 1);
    EXPECT_FALSE(last());
    EXPECT_TRUE(store->operations().empty());
    EXPECT_EQ(center->posted(), (std::vector<platform::RecordingNotificationCenter::Posted>{
                                    {"SwipeScrollDirectionDidChangeNotification", true}}));

    MouseSettings::setNaturalScroll(true);
    EXPECT_EQ(calls(), 2);
    EXPECT_TRUE(last());
    // The library was found once; the path can no longer change.
    EXPECT_FALSE(mouse_settings_testing::usePreferencePanesPath("/nonexistent"));
}

TEST_F(LifecycleTest, WithoutAClientPreferencesAreStillWrittenAndCreationIsNotRetried) {
    MouseSettings::setSmartZoom(false);
    hid().setRefusesClients(false);
    MouseSettings::setTrackingSpeed(2.0);
    MouseSettings::setDoubleClickInterval(0.3);
    EXPECT_EQ(hid().clientsCreated(), 0);
    EXPECT_TRUE(hid().properties().empty());
    EXPECT_FALSE(MouseSettings::smartZoom());
    EXPECT_EQ(store->copyValue(
                  "MouseOneFingerDoubleTapGesture",
                  PreferenceDomain::application("com.apple.driver.AppleBluetoothMultitouch.mouse")),
              platform::PreferenceValue(std::int64_t{0}));
    EXPECT_EQ(MouseSettings::trackingSpeed(), 2.0);
    EXPECT_EQ(MouseSettings::doubleClickInterval(), 0.3);
}

}  // namespace
}  // namespace tavix
