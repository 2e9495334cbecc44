#include "Tavix/mouse_settings/MouseSettings.h"

#include <array>
#include <cmath>
#include <limits>
#include <tuple>

#include "tests/mouse_settings/PreferencesFixture.h"

namespace tavix {
namespace {

using platform::InMemoryPreferenceStore;
using platform::PreferenceDomain;
using platform::PreferenceValue;
using Property = platform::RecordingHIDEventSystem::Property;
using Set = InMemoryPreferenceStore::Set;
using Sync = InMemoryPreferenceStore::Synchronize;

const PreferenceDomain kGlobal = PreferenceDomain::global();
const PreferenceDomain kMouse = PreferenceDomain::application("com.apple.AppleMultitouchMouse");
const PreferenceDomain kBluetooth =
    PreferenceDomain::application("com.apple.driver.AppleBluetoothMultitouch.mouse");

class MouseSettingsTest : public testing::PreferencesFixture {};

TEST(SecondaryClickTest, CasesInOrderWithTheirRawValuesAndTitles) {
    const std::array<std::tuple<SecondaryClick, const char*, const char*>, 3> table{{
        {SecondaryClick::right, "TwoButton", "点按右侧"},
        {SecondaryClick::left, "TwoButtonSwapped", "点按左侧"},
        {SecondaryClick::off, "OneButton", "关闭"},
    }};
    for (std::size_t i = 0; i < table.size(); ++i) {
        const auto [mode, raw, title] = table[i];
        EXPECT_EQ(SecondaryClick::allCases()[i], mode);
        EXPECT_EQ(mode.id(), raw);
        EXPECT_EQ(mode.title(), title);
        EXPECT_EQ(SecondaryClick::fromRawValue(raw), mode);
    }
    EXPECT_FALSE(SecondaryClick::fromRawValue("twobutton"));
}

TEST_F(MouseSettingsTest, NothingStoredReadsTheDefaults) {
    EXPECT_EQ(MouseSettings::trackingSpeed(), 1.0);
    EXPECT_EQ(MouseSettings::scrollSpeed(), 0.3125);
    EXPECT_EQ(MouseSettings::doubleClickInterval(), 0.5);
    EXPECT_TRUE(MouseSettings::naturalScroll());
    EXPECT_EQ(MouseSettings::secondaryClick(), SecondaryClick::right);
    EXPECT_TRUE(MouseSettings::smartZoom());
    EXPECT_TRUE(MouseSettings::missionControlTap());
    EXPECT_TRUE(MouseSettings::fullscreenSwipe());
    EXPECT_TRUE(MouseSettings::pageSwipe());
}

TEST_F(MouseSettingsTest, NumbersOfEitherKindReadAndOtherTypesFallBack) {
    store->preset("com.apple.mouse.scaling", std::string("fast"), kGlobal);
    store->preset("com.apple.scrollwheel.scaling", true, kGlobal);
    store->preset("com.apple.mouse.doubleClickThreshold", std::int64_t{2}, kGlobal);
    store->preset("com.apple.swipescrolldirection", std::string("NO"), kGlobal);
    store->preset("AppleEnableMouseSwipeNavigateWithScrolls", false, kGlobal);
    EXPECT_EQ(MouseSettings::trackingSpeed(), 1.0);
    EXPECT_EQ(MouseSettings::scrollSpeed(), 0.3125);
    EXPECT_EQ(MouseSettings::doubleClickInterval(), 2.0);
    EXPECT_TRUE(MouseSettings::naturalScroll());
    EXPECT_FALSE(MouseSettings::pageSwipe());

    // Another tool may store a real that is not finite; it reads as absent.
    for (const double odd : {std::nan(""), std::numeric_limits<double>::infinity(),
                             -std::numeric_limits<double>::infinity()}) {
        store->preset("com.apple.mouse.scaling", odd, kGlobal);
        store->preset("com.apple.scrollwheel.scaling", odd, kGlobal);
        store->preset("com.apple.mouse.doubleClickThreshold", odd, kGlobal);
        store->preset("MouseOneFingerDoubleTapGesture", odd, kMouse);
        EXPECT_EQ(MouseSettings::trackingSpeed(), 1.0) << odd;
        EXPECT_EQ(MouseSettings::scrollSpeed(), 0.3125) << odd;
        EXPECT_EQ(MouseSettings::doubleClickInterval(), 0.5) << odd;
        EXPECT_TRUE(MouseSettings::smartZoom()) << odd;
    }
}

TEST_F(MouseSettingsTest, GestureSwitchesAreOnForAnyNonZeroNumber) {
    const char* key = "MouseTwoFingerDoubleTapGesture";
    for (std::int64_t code : {3, 2, 1, -1}) {
        store->preset(key, code, kMouse);
        EXPECT_TRUE(MouseSettings::missionControlTap()) << code;
    }
    store->preset(key, std::int64_t{0}, kMouse);
    EXPECT_FALSE(MouseSettings::missionControlTap());
    store->preset(key, 0.0, kMouse);
    EXPECT_FALSE(MouseSettings::missionControlTap());
    store->preset(key, std::string("0"), kMouse);
    EXPECT_TRUE(MouseSettings::missionControlTap());
    // Only the first mouse domain is read.
    store->preset("MouseOneFingerDoubleTapGesture", std::int64_t{0}, kBluetooth);
    EXPECT_TRUE(MouseSettings::smartZoom());
}

TEST_F(MouseSettingsTest, SecondaryClickReadsRightUnlessExactlyLeftOrOff) {
    const char* key = "MouseButtonMode";
    store->preset(key, std::string("OneButton"), kMouse);
    EXPECT_EQ(MouseSettings::secondaryClick(), SecondaryClick::off);
    store->preset(key, std::string("TwoButtonSwapped"), kMouse);
    EXPECT_EQ(MouseSettings::secondaryClick(), SecondaryClick::left);
    for (const PreferenceValue& other :
         {PreferenceValue(std::string("twobuttonswapped")), PreferenceValue(std::string("Three")),
          PreferenceValue(std::int64_t{1}), PreferenceValue(std::string("TwoButton"))}) {
        store->preset(key, other, kMouse);
        EXPECT_EQ(MouseSettings::secondaryClick(), SecondaryClick::right);
    }
}

TEST_F(MouseSettingsTest, SpeedsAreStoredAsDoublesAndSentAsFixedPoint) {
    MouseSettings::setScrollSpeed(0.3125);
    EXPECT_EQ(store->operations(),
              (std::vector<InMemoryPreferenceStore::Operation>{
                  Set{kGlobal, "com.apple.scrollwheel.scaling", 0.3125}, Sync{kGlobal}}));
    MouseSettings::setTrackingSpeed(1.5);
    EXPECT_EQ(MouseSettings::trackingSpeed(), 1.5);
    EXPECT_EQ(hid().properties(),
              (std::vector<Property>{{"HIDMouseScrollAcceleration", std::int64_t{20480}},
                                     {"HIDMouseAcceleration", std::int64_t{98304}}}));
}

TEST_F(MouseSettingsTest, FixedPointRoundsHalvesAwayFromZero) {
    for (auto [steps, expected] : {std::pair{0.5, 1}, {1.5, 2}, {2.5, 3}, {-0.5, -1}, {-2.5, -3}}) {
        hid().clearProperties();
        MouseSettings::setTrackingSpeed(steps / 65536.0);
        EXPECT_EQ(hid().properties(),
                  (std::vector<Property>{{"HIDMouseAcceleration", std::int64_t{expected}}}))
            << steps;
    }
}

TEST_F(MouseSettingsTest, DoubleClickIntervalIsSentAsTruncatedNanoseconds) {
    MouseSettings::setDoubleClickInterval(0.25);
    EXPECT_EQ(store->copyValue("com.apple.mouse.doubleClickThreshold", kGlobal),
              PreferenceValue(0.25));
    MouseSettings::setDoubleClickInterval(2.9e-9);
    MouseSettings::setDoubleClickInterval(-2.9e-9);
    EXPECT_EQ(hid().properties(), (std::vector<Property>{{"HIDClickTime", std::int64_t{250000000}},
                                                         {"HIDClickTime", std::int64_t{2}},
                                                         {"HIDClickTime", std::int64_t{-2}}}));
}

TEST_F(MouseSettingsTest, GestureSwitchesWriteTheirOnValueToBothDomainsAndTheClient) {
    struct Case {
        void (*set)(bool);
        const char* key;
        std::int64_t on;
    };
    for (const Case& c :
         {Case{MouseSettings::setSmartZoom, "MouseOneFingerDoubleTapGesture", 1},
          Case{MouseSettings::setMissionControlTap, "MouseTwoFingerDoubleTapGesture", 3},
          Case{MouseSettings::setFullscreenSwipe, "MouseTwoFingerHorizSwipeGesture", 2}}) {
        for (bool on : {true, false}) {
            store->clearOperations();
            hid().clearProperties();
            c.set(on);
            const std::int64_t value = on ? c.on : 0;
            EXPECT_EQ(store->operations(), (std::vector<InMemoryPreferenceStore::Operation>{
                                               Set{kMouse, c.key, value}, Sync{kMouse},
                                               Set{kBluetooth, c.key, value}, Sync{kBluetooth}}))
                << c.key;
            EXPECT_EQ(hid().properties(), (std::vector<Property>{{c.key, value}})) << c.key;
        }
    }
}

TEST_F(MouseSettingsTest, SecondaryClickWritesTheRawStringEverywhere) {
    MouseSettings::setSecondaryClick(SecondaryClick::left);
    const PreferenceValue swapped = std::string("TwoButtonSwapped");
    EXPECT_EQ(store->copyValue("MouseButtonMode", kMouse), swapped);
    EXPECT_EQ(store->copyValue("MouseButtonMode", kBluetooth), swapped);
    EXPECT_EQ(hid().properties(),
              (std::vector<Property>{{"MouseButtonMode", std::string("TwoButtonSwapped")}}));
    EXPECT_EQ(MouseSettings::secondaryClick(), SecondaryClick::left);
}

TEST_F(MouseSettingsTest, NaturalScrollWithoutTheFrameworkWritesThePreferenceAndAnnounces) {
    MouseSettings::setNaturalScroll(false);
    EXPECT_EQ(store->operations(),
              (std::vector<InMemoryPreferenceStore::Operation>{
                  Set{kGlobal, "com.apple.swipescrolldirection", false}, Sync{kGlobal}}));
    EXPECT_FALSE(MouseSettings::naturalScroll());
    EXPECT_EQ(center->posted(), (std::vector<platform::RecordingNotificationCenter::Posted>{
                                    {"SwipeScrollDirectionDidChangeNotification", true}}));
    EXPECT_TRUE(hid().properties().empty());
}

TEST_F(MouseSettingsTest, PageSwipeWritesOnlyTheGlobalBoolean) {
    MouseSettings::setPageSwipe(false);
    EXPECT_EQ(store->operations(),
              (std::vector<InMemoryPreferenceStore::Operation>{
                  Set{kGlobal, "AppleEnableMouseSwipeNavigateWithScrolls", false}, Sync{kGlobal}}));
    EXPECT_TRUE(center->posted().empty());
    EXPECT_TRUE(hid().properties().empty());
}

TEST_F(MouseSettingsTest, UnrepresentableSpeedsAndIntervalsChangeNothing) {
    constexpr double kInf = std::numeric_limits<double>::infinity();
    const double kNaN = std::nan("");
    // 2^63 / 65536: the first speed whose fixed-point value no longer fits.
    constexpr double kTooFast = 140737488355328.0;
    store->preset("com.apple.mouse.scaling", 0.7, kGlobal);
    store->preset("com.apple.scrollwheel.scaling", 0.2, kGlobal);
    store->preset("com.apple.mouse.doubleClickThreshold", 0.4, kGlobal);
    for (double bad : {kNaN, kInf, -kInf, kTooFast, 1e300}) {
        MouseSettings::setTrackingSpeed(bad);
        MouseSettings::setScrollSpeed(bad);
    }
    for (double bad : {kNaN, kInf, -kInf, 9.3e9}) MouseSettings::setDoubleClickInterval(bad);
    EXPECT_TRUE(store->operations().empty());
    EXPECT_TRUE(hid().properties().empty());
    EXPECT_EQ(MouseSettings::trackingSpeed(), 0.7);
    EXPECT_EQ(MouseSettings::scrollSpeed(), 0.2);
    EXPECT_EQ(MouseSettings::doubleClickInterval(), 0.4);

    // The most negative value still fits.
    MouseSettings::setTrackingSpeed(-kTooFast);
    EXPECT_EQ(hid().properties(),
              (std::vector<Property>{
                  {"HIDMouseAcceleration", std::numeric_limits<std::int64_t>::min()}}));
}

}  // namespace
}  // namespace tavix
