#include "Tavix/mouse_settings/MouseSettings.h"

#include <dlfcn.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>

#include "Tavix/mouse_settings/MouseSettingsTesting.h"
#include "platform/preferences/DistributedNotificationCenter.h"
#include "platform/preferences/HIDEventSystem.h"
#include "platform/preferences/PreferenceStore.h"

namespace tavix {
namespace {

using platform::PreferenceDomain;

constexpr const char* kTrackingSpeedKey = "com.apple.mouse.scaling";
constexpr const char* kScrollSpeedKey = "com.apple.scrollwheel.scaling";
constexpr const char* kDoubleClickKey = "com.apple.mouse.doubleClickThreshold";
constexpr const char* kNaturalScrollKey = "com.apple.swipescrolldirection";
constexpr const char* kPageSwipeKey = "AppleEnableMouseSwipeNavigateWithScrolls";
constexpr const char* kButtonModeKey = "MouseButtonMode";
constexpr const char* kSmartZoomKey = "MouseOneFingerDoubleTapGesture";
constexpr const char* kMissionControlKey = "MouseTwoFingerDoubleTapGesture";
constexpr const char* kFullscreenSwipeKey = "MouseTwoFingerHorizSwipeGesture";

constexpr const char* kHIDTrackingKey = "HIDMouseAcceleration";
constexpr const char* kHIDScrollKey = "HIDMouseScrollAcceleration";
constexpr const char* kHIDClickTimeKey = "HIDClickTime";

// The value each gesture is stored as when on; off is 0.
constexpr std::int64_t kSmartZoomOn = 1;
constexpr std::int64_t kMissionControlOn = 3;
constexpr std::int64_t kFullscreenSwipeOn = 2;

constexpr const char* kMouseDomain = "com.apple.AppleMultitouchMouse";
constexpr const char* kBluetoothMouseDomain = "com.apple.driver.AppleBluetoothMultitouch.mouse";

constexpr const char* kSwipeDirectionNotification = "SwipeScrollDirectionDidChangeNotification";
constexpr const char* kPreferencePanesPath =
    "/System/Library/PrivateFrameworks/PreferencePanesSupport.framework/PreferencePanesSupport";

constexpr double kFixedPointOne = 65536.0;
constexpr double kNanosecondsPerSecond = 1e9;

// Nothing for NaN, infinities and anything outside int64; the cast would be undefined.
std::optional<std::int64_t> toInt64(double whole) {
    constexpr double kLimit = 9223372036854775808.0;  // 2^63
    if (!(whole >= -kLimit && whole < kLimit)) return std::nullopt;
    return static_cast<std::int64_t>(whole);
}

// std::round rounds halves away from zero.
std::optional<std::int64_t> fixedPoint(double value) {
    return toInt64(std::round(value * kFixedPointOne));
}

std::optional<std::int64_t> nanoseconds(double seconds) {
    return toInt64(std::trunc(seconds * kNanosecondsPerSecond));
}

std::optional<platform::PreferenceValue> copyGlobal(const char* key) {
    return platform::preferenceStore().copyValue(key, PreferenceDomain::global());
}

std::optional<platform::PreferenceValue> copyMouseValue(const char* key) {
    return platform::preferenceStore().copyValue(key, PreferenceDomain::application(kMouseDomain));
}

void setGlobal(const char* key, const platform::PreferenceValue& value) {
    auto& store = platform::preferenceStore();
    store.setValue(key, value, PreferenceDomain::global());
    store.synchronize(PreferenceDomain::global());
}

bool readGestureSwitch(const char* key) {
    const auto number = platform::numberValue(copyMouseValue(key));
    return number ? *number != 0 : true;
}

// The library path is fixed once the library has been looked for.
struct PreferencePanesLocation {
    std::mutex mutex;
    std::string path = kPreferencePanesPath;
    bool taken = false;
};

PreferencePanesLocation& preferencePanesLocation() {
    static PreferencePanesLocation location;
    return location;
}

std::string takePreferencePanesPath() {
    auto& location = preferencePanesLocation();
    std::lock_guard guard(location.mutex);
    location.taken = true;
    return location.path;
}

struct LibraryClose {
    void operator()(void* handle) const { dlclose(handle); }
};

}  // namespace

bool mouse_settings_testing::usePreferencePanesPath(std::string path) {
    auto& location = preferencePanesLocation();
    std::lock_guard guard(location.mutex);
    if (location.taken) return false;
    location.path = std::move(path);
    return true;
}

double MouseSettings::trackingSpeed() {
    return platform::numberValue(copyGlobal(kTrackingSpeedKey)).value_or(1.0);
}

double MouseSettings::scrollSpeed() {
    return platform::numberValue(copyGlobal(kScrollSpeedKey)).value_or(0.3125);
}

double MouseSettings::doubleClickInterval() {
    return platform::numberValue(copyGlobal(kDoubleClickKey)).value_or(0.5);
}

bool MouseSettings::naturalScroll() {
    return platform::booleanValue(copyGlobal(kNaturalScrollKey)).value_or(true);
}

SecondaryClick MouseSettings::secondaryClick() {
    const auto mode = platform::stringValue(copyMouseValue(kButtonModeKey));
    if (mode == "OneButton") return SecondaryClick::off;
    if (mode == "TwoButtonSwapped") return SecondaryClick::left;
    return SecondaryClick::right;
}

bool MouseSettings::smartZoom() {
    return readGestureSwitch(kSmartZoomKey);
}

bool MouseSettings::missionControlTap() {
    return readGestureSwitch(kMissionControlKey);
}

bool MouseSettings::fullscreenSwipe() {
    return readGestureSwitch(kFullscreenSwipeKey);
}

bool MouseSettings::pageSwipe() {
    return platform::booleanValue(copyGlobal(kPageSwipeKey)).value_or(true);
}

void MouseSettings::setTrackingSpeed(double speed) {
    if (!fixedPoint(speed)) return;
    setGlobal(kTrackingSpeedKey, speed);
    hidFixed(kHIDTrackingKey, speed);
}

void MouseSettings::setScrollSpeed(double speed) {
    if (!fixedPoint(speed)) return;
    setGlobal(kScrollSpeedKey, speed);
    hidFixed(kHIDScrollKey, speed);
}

void MouseSettings::setDoubleClickInterval(double seconds) {
    const auto clickTime = nanoseconds(seconds);
    if (!clickTime) return;
    setGlobal(kDoubleClickKey, seconds);
    if (auto* hid = client()) hid->setProperty(kHIDClickTimeKey, *clickTime);
}

void MouseSettings::setNaturalScroll(bool natural) {
    if (const auto function = setSwipe()) {
        function(natural);
    } else {
        setGlobal(kNaturalScrollKey, natural);
    }
    platform::distributedNotificationCenter().postNotification(kSwipeDirectionNotification, true);
}

void MouseSettings::setSecondaryClick(SecondaryClick mode) {
    mouseSet(kButtonModeKey, std::string(mode.rawValue()));
}

void MouseSettings::setSmartZoom(bool on) {
    mouseSet(kSmartZoomKey, on ? kSmartZoomOn : 0);
}

void MouseSettings::setMissionControlTap(bool on) {
    mouseSet(kMissionControlKey, on ? kMissionControlOn : 0);
}

void MouseSettings::setFullscreenSwipe(bool on) {
    mouseSet(kFullscreenSwipeKey, on ? kFullscreenSwipeOn : 0);
}

void MouseSettings::setPageSwipe(bool on) {
    setGlobal(kPageSwipeKey, on);
}

platform::HIDEventSystemClient* MouseSettings::client() {
    // Never destroyed, like the service that made it.
    static const auto& created = *new std::shared_ptr<platform::HIDEventSystemClient>(
        platform::hidEventSystem().createSimpleClient());
    return created.get();
}

const std::array<PreferenceDomain, 2>& MouseSettings::mouseDomains() {
    static const std::array<PreferenceDomain, 2> domains{
        PreferenceDomain::application(kMouseDomain),
        PreferenceDomain::application(kBluetoothMouseDomain),
    };
    return domains;
}

void* MouseSettings::ppsHandle() {
    static const std::unique_ptr<void, LibraryClose> handle(
        dlopen(takePreferencePanesPath().c_str(), RTLD_NOW));
    return handle.get();
}

MouseSettings::SetSwipeScrollDirection MouseSettings::setSwipe() {
    static const SetSwipeScrollDirection function = []() -> SetSwipeScrollDirection {
        void* handle = ppsHandle();
        if (!handle) return nullptr;
        return reinterpret_cast<SetSwipeScrollDirection>(dlsym(handle, "setSwipeScrollDirection"));
    }();
    return function;
}

void MouseSettings::hidFixed(const std::string& key, double value) {
    const auto fixed = fixedPoint(value);
    if (!fixed) return;
    if (auto* hid = client()) hid->setProperty(key, *fixed);
}

void MouseSettings::mouseSet(const std::string& key, const platform::HIDPropertyValue& value) {
    const auto preference =
        std::visit([](const auto& v) { return platform::PreferenceValue(v); }, value);
    auto& store = platform::preferenceStore();
    for (const auto& domain : mouseDomains()) {
        store.setValue(key, preference, domain);
        store.synchronize(domain);
    }
    if (auto* hid = client()) hid->setProperty(key, value);
}

}  // namespace tavix
