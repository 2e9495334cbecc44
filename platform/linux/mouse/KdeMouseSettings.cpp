#include "platform/linux/mouse/KdeMouseSettings.h"

#include <dbus/dbus.h>

#include <algorithm>
#include <charconv>
#include <chrono>

#include "platform/linux/input/MagicMouseModels.h"
#include "platform/linux/mouse/KConfigFile.h"
#include "platform/linux/mouse/MouseSettingMappings.h"

namespace tavix::platform::mouse {
namespace {

// KGlobalSettings' change type and category for "the mouse settings changed".
constexpr dbus_int32_t kSettingsChanged = 3;
constexpr dbus_int32_t kSettingsMouse = 0;

struct DeviceProperty {
    const char* property;   // on org.kde.KWin.InputDevice
    const char* configKey;  // in the device's kcminputrc group
};

std::optional<DeviceProperty> deviceProperty(MirroredSetting setting) {
    switch (setting) {
        case MirroredSetting::trackingSpeed:
            return DeviceProperty{"pointerAcceleration", "PointerAcceleration"};
        case MirroredSetting::scrollSpeed:
            return DeviceProperty{"scrollFactor", "ScrollFactor"};
        case MirroredSetting::naturalScroll:
            return DeviceProperty{"naturalScroll", "NaturalScroll"};
        case MirroredSetting::doubleClickInterval:
            return std::nullopt;
    }
    return std::nullopt;
}

// The KWin value of a setting and how kcminputrc spells it.
struct KWinValue {
    desktop::DBusValue live;
    std::string config;
};

// Written without the locale: KDE reads "0,500" as nothing.
std::string number(double value, std::optional<int> decimals = std::nullopt) {
    char text[32];
    const auto result = decimals ? std::to_chars(text, text + sizeof text, value,
                                                 std::chars_format::fixed, *decimals)
                                 : std::to_chars(text, text + sizeof text, value);
    return {text, result.ptr};
}

std::optional<KWinValue> toKWin(MirroredSetting setting, const PreferenceValue& value) {
    switch (setting) {
        case MirroredSetting::trackingSpeed: {
            const auto tracking = numberValue(value);
            if (!tracking) return std::nullopt;
            const double speed = libinputSpeedFromTracking(*tracking);
            return KWinValue{speed, number(speed, 3)};  // as KWin itself writes it
        }
        case MirroredSetting::scrollSpeed: {
            const auto scroll = numberValue(value);
            if (!scroll) return std::nullopt;
            const double factor = wheelFactorFromScrollSpeed(*scroll);
            return KWinValue{factor, number(factor)};
        }
        case MirroredSetting::naturalScroll: {
            const auto natural = booleanValue(value);
            if (!natural) return std::nullopt;
            return KWinValue{*natural, *natural ? "true" : "false"};
        }
        case MirroredSetting::doubleClickInterval:
            return std::nullopt;
    }
    return std::nullopt;
}

std::optional<PreferenceValue> fromKWin(MirroredSetting setting, const desktop::DBusValue& value) {
    const auto* real = std::get_if<double>(&value);
    switch (setting) {
        case MirroredSetting::trackingSpeed:
            if (real) return trackingFromLibinputSpeed(*real);
            return std::nullopt;
        case MirroredSetting::scrollSpeed:
            if (real) return scrollSpeedFromWheelFactor(*real);
            return std::nullopt;
        case MirroredSetting::naturalScroll:
            if (const auto* b = std::get_if<bool>(&value)) return *b;
            return std::nullopt;
        case MirroredSetting::doubleClickInterval:
            return std::nullopt;
    }
    return std::nullopt;
}

// A kcminputrc entry as the value KWin would report.
std::optional<desktop::DBusValue> fromConfig(MirroredSetting setting, const std::string& text) {
    if (setting == MirroredSetting::naturalScroll) {
        if (text == "true") return desktop::DBusValue(true);
        if (text == "false") return desktop::DBusValue(false);
        return std::nullopt;
    }
    double parsed = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return desktop::DBusValue(parsed);
}

// kdeglobals' ConfigChanged: a{saay}, group → names of the keys that changed.
bool appendConfigChanged(DBusMessageIter* iter) {
    DBusMessageIter dict;
    DBusMessageIter entry;
    DBusMessageIter keys;
    DBusMessageIter bytes;
    const char* group = "KDE";
    const char* key = "DoubleClickInterval";
    const int length = static_cast<int>(std::char_traits<char>::length(key));
    return dbus_message_iter_open_container(iter, DBUS_TYPE_ARRAY, "{saay}", &dict) &&
           dbus_message_iter_open_container(&dict, DBUS_TYPE_DICT_ENTRY, nullptr, &entry) &&
           dbus_message_iter_append_basic(&entry, DBUS_TYPE_STRING, &group) &&
           dbus_message_iter_open_container(&entry, DBUS_TYPE_ARRAY, "ay", &keys) &&
           dbus_message_iter_open_container(&keys, DBUS_TYPE_ARRAY, "y", &bytes) &&
           dbus_message_iter_append_fixed_array(&bytes, DBUS_TYPE_BYTE, &key, length) &&
           dbus_message_iter_close_container(&keys, &bytes) &&
           dbus_message_iter_close_container(&entry, &keys) &&
           dbus_message_iter_close_container(&dict, &entry) &&
           dbus_message_iter_close_container(iter, &dict);
}

// A device name KDE can take into a group header: a newline or bracket in it would end the
// header early and let the rest of the name write groups of its own.
bool fitsInGroupHeader(const std::string& name) {
    return std::ranges::none_of(name, [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7f || c == ']';
    });
}

bool appendNotifyChange(DBusMessageIter* iter) {
    return dbus_message_iter_append_basic(iter, DBUS_TYPE_INT32, &kSettingsChanged) &&
           dbus_message_iter_append_basic(iter, DBUS_TYPE_INT32, &kSettingsMouse);
}

}  // namespace

KdeMouseSettings::KdeMouseSettings(std::filesystem::path configHome, ConnectBus connectBus)
    : configHome_(std::move(configHome)), connectBus_(std::move(connectBus)) {}

std::optional<std::vector<KdeMouseSettings::Device>> KdeMouseSettings::magicMice(
    desktop::SessionBus& bus) {
    std::vector<Device> clones;
    std::vector<Device> mice;
    if (!bus.hasOwner(kKWin)) return std::nullopt;
    const auto names = bus.getProperty(kKWin, kDevicesPath, kManager, "devicesSysNames");
    const auto* sysNames = names ? std::get_if<std::vector<std::string>>(&*names) : nullptr;
    if (!sysNames) return std::nullopt;
    // Each call may wait out the bus timeout; a KWin that stalls is treated as absent rather
    // than holding the settings window for a timeout per device.
    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::milliseconds(2 * desktop::SessionBus::kTimeoutMs);
    for (const auto& sysName : *sysNames) {
        if (std::chrono::steady_clock::now() > deadline) return std::nullopt;
        Device device;
        device.path = std::string(kDevicesPath) + "/" + sysName;
        auto get = [&](const char* property) {
            return bus.getProperty(kKWin, device.path, kDevice, property);
        };
        const auto name = get("name");
        const auto vendor = get("vendor");
        const auto product = get("product");
        if (!name || !vendor || !product) continue;
        const auto* text = std::get_if<std::string>(&*name);
        const auto* v = std::get_if<std::int64_t>(&*vendor);
        const auto* p = std::get_if<std::int64_t>(&*product);
        if (!text || !v || !p) continue;
        device.name = *text;
        device.vendor = *v;
        device.product = *p;
        // Anyone can name a device; only the clone also has no ids of its own.
        device.clone = device.name.ends_with(kCloneSuffix) && *v == 0 && *p == 0;
        const bool magicMouse =
            *v >= 0 && *v <= 0xffff && *p >= 0 && *p <= 0xffff &&
            input::magicMouseModel(static_cast<uint16_t>(*v), static_cast<uint16_t>(*p));
        if (device.clone) {
            clones.push_back(std::move(device));
        } else if (magicMouse) {
            mice.push_back(std::move(device));
        }
    }
    clones.insert(clones.end(), mice.begin(), mice.end());
    return clones;
}

std::vector<std::string> KdeMouseSettings::cloneGroups() const {
    std::vector<std::string> groups;
    for (auto& group : kConfigGroups(configHome_ / "kcminputrc")) {
        if (group.starts_with("Libinput][0][0][") && group.ends_with(kCloneSuffix)) {
            groups.push_back(std::move(group));
        }
    }
    return groups;
}

std::optional<PreferenceValue> KdeMouseSettings::read(MirroredSetting setting) {
    if (setting == MirroredSetting::doubleClickInterval) {
        const auto text =
            readKConfigEntry(configHome_ / "kdeglobals", "KDE", "DoubleClickInterval");
        int milliseconds = kDefaultDoubleClickMs;
        if (text) {
            int parsed = 0;
            const auto [end, error] =
                std::from_chars(text->data(), text->data() + text->size(), parsed);
            if (error == std::errc() && end == text->data() + text->size()) milliseconds = parsed;
        }
        return secondsFromMilliseconds(milliseconds);
    }
    const auto property = deviceProperty(setting);
    const auto bus = connectBus_ ? connectBus_() : nullptr;
    if (!property || !bus) return std::nullopt;
    const auto devices = magicMice(*bus);
    if (!devices) return std::nullopt;
    // The first device that answers: the clone when there is one, since it is what KWin reads
    // while Tavix holds the mouse.
    for (const auto& device : *devices) {
        if (const auto value = bus->getProperty(kKWin, device.path, kDevice, property->property)) {
            if (auto converted = fromKWin(setting, *value)) return converted;
        }
    }
    // What KWin will give the clone when the mouse connects: its group's entry, else (Plasma 6)
    // the one every pointer without an entry of its own takes.
    const auto kcminputrc = configHome_ / "kcminputrc";
    for (const auto& group : cloneGroups()) {
        auto text = readKConfigEntry(kcminputrc, group, property->configKey);
        if (!text) text = readKConfigEntry(kcminputrc, kPointerDefaults, property->configKey);
        const auto value = text ? fromConfig(setting, *text) : std::nullopt;
        if (auto converted = value ? fromKWin(setting, *value) : std::nullopt) return converted;
    }
    return std::nullopt;
}

bool KdeMouseSettings::write(MirroredSetting setting, const PreferenceValue& value) {
    if (setting == MirroredSetting::doubleClickInterval) return writeDoubleClick(value);
    return writeDevices(setting, value);
}

bool KdeMouseSettings::writeDevices(MirroredSetting setting, const PreferenceValue& value) {
    const auto property = deviceProperty(setting);
    const auto converted = toKWin(setting, value);
    const auto bus = connectBus_ ? connectBus_() : nullptr;
    if (!property || !converted || !bus) return false;
    const auto devices = magicMice(*bus);
    if (!devices) return false;
    const auto kcminputrc = configHome_ / "kcminputrc";
    if (devices->empty()) {
        // KWin gives the clone its group when the mouse connects. Without one it gives defaults,
        // and the clone applies the setting itself.
        bool kept = false;
        for (const auto& group : cloneGroups()) {
            kept = writeKConfigEntry(kcminputrc, group, property->configKey, converted->config) ||
                   kept;
        }
        return kept;
    }
    bool reached = false;
    for (const auto& device : *devices) {
        if (!bus->setProperty(kKWin, device.path, kDevice, property->property, converted->live)) {
            continue;
        }
        reached = true;
        if (!fitsInGroupHeader(device.name)) continue;
        auto persist = [&](std::int64_t vendor, std::int64_t product, const std::string& name) {
            writeKConfigEntry(kcminputrc,
                              "Libinput][" + std::to_string(vendor) + "][" +
                                  std::to_string(product) + "][" + name,
                              property->configKey, converted->config);
        };
        persist(device.vendor, device.product, device.name);
        // KWin reads a clone's group when the clone appears, which may be later: the tap makes
        // it only while it holds the mouse.
        if (!device.clone) persist(0, 0, device.name + kCloneSuffix);
    }
    return reached;
}

bool KdeMouseSettings::writeDoubleClick(const PreferenceValue& value) {
    const auto seconds = numberValue(value);
    if (!seconds) return false;
    if (!writeKConfigEntry(configHome_ / "kdeglobals", "KDE", "DoubleClickInterval",
                           std::to_string(millisecondsFromSeconds(*seconds)))) {
        return false;
    }
    // KConfigWatcher users listen for the first, older KDE applications for the second.
    if (const auto bus = connectBus_ ? connectBus_() : nullptr) {
        bus->emitSignal("/kdeglobals", "org.kde.kconfig.notify", "ConfigChanged",
                        appendConfigChanged);
        bus->emitSignal("/KGlobalSettings", "org.kde.KGlobalSettings", "notifyChange",
                        appendNotifyChange);
    }
    return true;
}

}  // namespace tavix::platform::mouse
